#include "builder/commands/compiler_includes.h"

#include <iterator>

#include "project/model/option_block.h"
#include "project/model/project_records.h"

namespace pm2 {

namespace {

// By ToolsetId.
constexpr ListText kCompilerIncludes[] = {
    [](const OptionBlock& b) { return b.q51.INCC5; },
    [](const OptionBlock& b) { return b.q251.INCC2; },
    [](const OptionBlock& b) { return b.q166.INCC6; },
    [](const OptionBlock& b) { return b.cGnu.ACINCD; },
    [](const OptionBlock& b) { return b.cAds.ADSCINCD; },
};

bool IsArm(uint16_t toolset) { return toolset == kToolsetArmGnu || toolset == kToolsetArmAds; }

}  // namespace

ListText CompilerIncludeField(uint16_t toolset) {
  return toolset < std::size(kCompilerIncludes) ? kCompilerIncludes[toolset] : nullptr;
}

std::vector<std::string> IncludeFolders(std::string_view text, uint16_t toolset) {
  const char* separators = IsArm(toolset) ? ",;" : ";";
  std::vector<std::string> out;
  while (!text.empty()) {
    std::size_t end = text.find_first_of(separators);
    std::string_view piece = text.substr(0, end);
    while (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
    while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
    if (!piece.empty()) out.emplace_back(piece);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return out;
}

std::vector<std::string> TargetIncludeFolders(const TargetRec& target) {
  ListText field = CompilerIncludeField(target.toolset);
  const OptionBlock* own = FindTargetOptions(target.pOpts, &target);
  if (!field || !own) return {};
  return IncludeFolders(field(*own).view(), target.toolset);
}

}  // namespace pm2
