#include "builder/commands/arm_controls.h"

#include <cctype>

#include "builder/commands/command_context.h"
#include "builder/commands/compiler_includes.h"
#include "builder/runner/command_line_split.h"
#include "platform/ascii_case.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

bool IsMarked(std::string_view reg) {
  return !reg.empty() && (static_cast<unsigned char>(reg[0]) == 0xFF || reg[0] == '.');
}

}  // namespace

void AppendArmIncludeLevels(CommandContext& ctx, ListText includes) {
  OptString levels[3] = {includes(ctx.g_WorkOptions)};
  int count = 1;
  if (ctx.IsGroupNode() || ctx.IsFileNode()) levels[count++] = includes(ctx.g_ParentOptions);
  if (ctx.IsFileNode()) levels[count++] = includes(ctx.g_TargetLevelOptions);

  std::string joined;
  for (int i = 0; i < count; ++i) {
    bool repeated = false;
    for (int j = 0; j < i; ++j) repeated = repeated || levels[j].SameStored(levels[i]);
    if (repeated || levels[i].empty()) continue;
    if (!joined.empty()) joined += ';';
    joined += levels[i].view();
  }
  for (const std::string& folder : IncludeFolders(joined, kToolsetArmGnu))
    ctx.AppendControl("-I" + QuoteIfBlank(folder));
}

void AppendArmToolsetInclude(CommandContext& ctx) {
  const TargetRec* t = ctx.g_pCmdTarget;
  if (!t) return;
  if (t->USEENV == 1 && !t->ENVINC.empty()) {
    std::string_view reg = t->ENVREG.view();
    if (IsMarked(reg)) {
      // The device folder is relative to the include folder.
      reg.remove_prefix(static_cast<unsigned char>(reg[0]) == 0xFF ? 1 : std::min<std::size_t>(2, reg.size()));
      ctx.AppendControl("-I" + QuoteIfBlank(t->ENVINC.str() + std::string(reg)));
    } else if (!reg.empty()) {
      ctx.AppendControl("-I" + QuoteIfBlank(reg));
    }
    ctx.AppendControl("-I" + QuoteIfBlank(t->ENVINC.view()));
    return;
  }
  std::string_view device = !t->ORGREG.empty() ? t->ORGREG.view() : t->ENVREG.view();
  if (!device.empty() && static_cast<unsigned char>(device[0]) == 0xFF) device.remove_prefix(1);
  ctx.AppendControl("-I" + QuoteIfBlank(ToolsetIncludeFolder(ctx.m_szToolsFolder, device)));
}

std::string QuoteIfBlank(std::string_view path) {
  if (path.find_first_of(" \t\"") == std::string_view::npos) return std::string(path);
  return QuoteCommandLineArg(path);
}

std::string ArmCompilerDefine(std::string_view name, std::string_view value) {
  return DefineArgument("-D", name, value);
}

std::string QuotedPath(std::string_view path) {
  if (!path.empty() && path.find('"') == std::string_view::npos && path.back() != '\\')
    return "\"" + std::string(path) + "\"";
  std::string quoted = QuoteCommandLineArg(path);
  return quoted.front() == '"' ? quoted : "\"" + quoted + "\"";
}

std::string NotAnOption(std::string_view path) {
  return !path.empty() && path[0] == '-' ? "./" + std::string(path) : std::string(path);
}

std::string ToolsetIncludeFolder(std::string_view toolsFolder, std::string_view device) {
  return JoinFolderName(JoinFolderName(StripBinFolder(toolsFolder), "INC"), device);
}

void MergeArmDefineLevels(const CommandContext& ctx, ListText defines, ListText undefines,
                          bool targetUndefines, DefineList& list) {
  auto level = [&](const OptionBlock& b) {
    ParseDefineList(defines(b).c_str(), list);
    ApplyUndefineList(undefines(b).c_str(), list);
  };
  if (targetUndefines) level(ctx.g_WorkOptions);
  else ParseDefineList(defines(ctx.g_WorkOptions).c_str(), list);
  if (ctx.IsGroupNode()) {
    level(ctx.g_ParentOptions);
  } else if (ctx.IsFileNode()) {
    if (ctx.g_pCmdGroupOptions) level(ctx.g_ParentOptions);
    level(ctx.g_TargetLevelOptions);
  }
}

void AppendDefinePiece(CommandContext& ctx, const DefineList& list,
                       std::string (*format)(std::string_view name, std::string_view value)) {
  NoteDroppedEntries(ctx, list, "Define");
  std::string piece;
  for (int i = 0; i < list.count; ++i) {
    const DefineEntry& e = list.entries[i];
    if (e.removed) continue;
    if (!piece.empty()) piece += ' ';
    piece += format(list.Name(e), list.Value(e));
  }
  ctx.AppendControl(piece);
}

bool ArmBigEndian(const CommandContext& ctx) {
  return (ctx.g_WorkOptions.lst.GLFLAGS & kGlFlagsBigEndian) != 0;
}

std::string ArmNodeFileName(const CommandContext& ctx, std::string_view ext) {
  const FileRec* file = ctx.CmdFile();
  std::string name = file ? std::string(GetFileNamePart(file->name.view())) : std::string("*");
  ChangeFileExt(name, ext);
  return name;
}

void MakeArmObjectName(CommandContext& ctx) {
  ctx.g_szObjFileName = ctx.g_szObjFolder + ArmNodeFileName(ctx, "o");
}

void BuildArmNodeLine(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName,
                      void (*body)(CommandContext&)) {
  ctx.SetCommandContext(node, target);
  const FileRec* file = ctx.CmdFile();
  if (withObjectName && file) ctx.SetObjFolder(file->path.view());
  body(ctx);
  if (!(withObjectName && file)) ctx.g_szObjFileName.clear();
}

}  // namespace pm2
