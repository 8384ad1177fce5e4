#include "options/core/compiler_texts.h"

#include "options/core/field_text.h"
#include "options/core/list_check.h"
#include "options/core/options_session.h"
#include "options/core/tool_command.h"
#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"

namespace pm2 {

namespace {

struct CompilerTextRow {
  uint16_t toolset;
  int limit;
};
// The 51 compiler takes the longest texts; the others their 128.
constexpr CompilerTextRow kCompilerTexts[] = {
    {kToolset51, 256}, {kToolset251, 128}, {kToolset166, 128}, {kToolsetArmGnu, 128}, {kToolsetArmAds, 128},
};

std::string Join(const std::vector<std::string>& items, const char* sep) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += sep;
    out += items[i];
  }
  return out;
}

}  // namespace

int CompilerTextLimit(uint16_t toolset) {
  for (const CompilerTextRow& row : kCompilerTexts)
    if (row.toolset == toolset) return row.limit;
  return 0;
}

std::string CompilerTextsRefusal(uint16_t toolset, const std::vector<std::string>& symbols,
                                 const std::vector<std::string>& includePaths) {
  const int limit = CompilerTextLimit(toolset);
  if (limit == 0) return "The target's toolset has no compiler options.";
  // In the page's order: the Define edit, then the include folder list.
  const std::string defines = Join(symbols, ",");
  if (int(defines.size()) > limit) return TooLongRefusal(kDefineField, limit);
  if (const ListCheckResult r = CheckOptionList(ListMode::kDefine, defines); !r.ok) return r.message;
  for (const std::string& row : includePaths)
    if (std::string why = FolderRowRefusal(row, kFolderListSeparators, kIncludePathsField); !why.empty()) return why;
  if (int(Join(includePaths, ";").size()) > kIncludePathsLimit)
    return TooLongRefusal(kIncludePathsField, kIncludePathsLimit);
  return std::string();
}

OptionBlock* NodeOptionsToEdit(NodeRec* node) {
  ProjectRec* project = theApp().m_pProject;
  TargetRec* target = project ? project->curTarget : nullptr;
  if (!target || !node || (node->kind != kKindGroup && node->kind != kKindFile)) return nullptr;
  if (OptionBlock* own = FindTargetOptions(node->pOpts, target)) return own;
  OptionBlock made;
  if (const OptionBlock* targetBlock = FindTargetOptions(target->pOpts, target)) {
    made = *targetBlock;
  } else {
    // As the sheet begins on a target without a block: its toolset's defaults.
    made.owner = target;
    if (!SetDefaultOptions(made, target, target->toolset, kLevelTarget)) return nullptr;
  }
  MakeNodeLevelBlock(made, target, node->kind);
  made.hdrWord |= 1;
  OptionBlock* attached = CloneOptionBlock(node, &made);
  attached->owner = target;
  return attached;
}

}  // namespace pm2
