#include "project/edit/stored_setters.h"

#include "platform/win_path.h"
#include "project/files/project_lines.h"
#include "project/files/stored_texts.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

std::string Join(const std::vector<std::string>& items, const char* sep) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += sep;
    out += items[i];
  }
  return out;
}

}  // namespace

std::string SetComponentName(NodeRec& node, std::string_view name) {
  const bool target = node.kind == kKindTarget;
  if (!target && node.kind != kKindGroup) return "Only a target or a group can be renamed.";
  if (std::string why = StoredComponentNameRefusal(target ? "target" : "group", name); !why.empty()) return why;
  const OptString stored = OptString::Pooled(name, kPoolProject);
  if (target)
    static_cast<TargetRec&>(node).name = stored;
  else
    static_cast<GroupRec&>(node).name = stored;
  return std::string();
}

std::string ControlCharacterRefusal(std::string_view what, std::string_view text, std::string_view holds) {
  const std::string code = FirstControlCharacter(text);
  if (code.empty()) return code;
  return "The " + std::string(what) + " cannot be stored: " + std::string(holds) + " the control character " + code +
         ".";
}

std::string GroupFilesRefusal(std::string_view storedFolder, std::string_view localFolder,
                              const std::vector<std::string>& names) {
  const std::string folder(storedFolder);
  for (const std::string& name : names) {
    if (name.empty()) continue;
    const std::string path = JoinFilePath(folder.c_str(), name.c_str());
    std::string why = StoredFileNameRefusal(path, name);
    if (why.empty()) why = LocalFolderRefusal(path, localFolder);
    if (!why.empty()) return why;
  }
  return std::string();
}

std::string GroupCompilerTextsRefusal(std::string_view group, const std::vector<std::string>& symbols,
                                      const std::vector<std::string>& includePaths) {
  // Stored as " ACDEFN (A,B)": a define "A)B" would read back as "A".
  const std::string defines = Join(symbols, ","), paths = Join(includePaths, ";");
  for (const auto& [what, text] : {std::pair{"symbols", &defines}, std::pair{"include paths", &paths}}) {
    const std::string whose = std::string(what) + " of group '" + std::string(group) + "'";
    if (const std::string fault = ParenthesisedTextFault(*text); !fault.empty())
      return "The " + whose + " cannot be stored: they hold " + fault + ".";
    // A line break is read back whole from the project file, but reaches
    // the compiler's command line as one.
    if (std::string why = ControlCharacterRefusal(whose, *text, "they hold"); !why.empty()) return why;
  }
  return std::string();
}

std::string SetGroupCompilerTexts(OptionBlock& block, std::string_view group, const std::vector<std::string>& symbols,
                                  const std::vector<std::string>& includePaths) {
  if (std::string why = GroupCompilerTextsRefusal(group, symbols, includePaths); !why.empty()) return why;
  // The fields the block's target compiles with: a block is read with its
  // own target's family, and another family's fields reach no compiler.
  struct Fields {
    uint16_t toolset;
    OptString& (*define)(OptionBlock&);
    OptString& (*include)(OptionBlock&);
  };
  static const Fields kFields[] = {
      {kToolset51, [](OptionBlock& b) -> OptString& { return b.q51.Q51DEF; },
       [](OptionBlock& b) -> OptString& { return b.q51.INCC5; }},
      {kToolset251, [](OptionBlock& b) -> OptString& { return b.q251.Q251DEF; },
       [](OptionBlock& b) -> OptString& { return b.q251.INCC2; }},
      {kToolset166, [](OptionBlock& b) -> OptString& { return b.q166.DEFINE; },
       [](OptionBlock& b) -> OptString& { return b.q166.INCC6; }},
      {kToolsetArmGnu, [](OptionBlock& b) -> OptString& { return b.cGnu.ACDEFN; },
       [](OptionBlock& b) -> OptString& { return b.cGnu.ACINCD; }},
      {kToolsetArmAds, [](OptionBlock& b) -> OptString& { return b.cAds.ADSCDEFN; },
       [](OptionBlock& b) -> OptString& { return b.cAds.ADSCINCD; }},
  };
  const Fields* fields = nullptr;
  for (const Fields& f : kFields)
    if (block.owner && f.toolset == block.owner->toolset) fields = &f;
  if (!fields) return "The options of group '" + std::string(group) + "' belong to no target with a compiler.";
  fields->define(block) = OptString::Pooled(Join(symbols, ","), kPoolProject);
  fields->include(block) = OptString::Pooled(Join(includePaths, ";"), kPoolProject);
  return std::string();
}

std::string DebugWindowTextRefusal(DebugWindowText kind, std::string_view text) {
  static const char* const kNames[] = {"watch expression",          "memory address",
                                       "tool box button's label",   "tool box button's command",
                                       "breakpoint's expression",   "breakpoint's command"};
  const std::string fault = FieldTextFault(
      text, kind == DebugWindowText::kBreakpointCommand ? FieldBrackets::kAngles : FieldBrackets::kParentheses);
  if (fault.empty()) return fault;
  return "The " + std::string(kNames[int(kind)]) + " '" + std::string(text) +
         "' cannot be kept with the project: it holds " + fault + ".";
}

}  // namespace pm2
