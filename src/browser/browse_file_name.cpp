#include "browser/browse_file_name.h"

#include "builder/driver/link_steps.h"
#include "platform/win_path.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"

namespace pm2 {

std::string TargetBrowseFile(const ProjectRec& project, const TargetRec& target) {
  if (!target.pOpts) return std::string();
  struct Extension {
    uint16_t toolset;
    const char* ext;
  };
  static constexpr Extension kExtensions[] = {{kToolsetArmGnu, ".elf"}, {kToolsetArmAds, ".axf"}};
  std::string stored = OutputBase(*target.pOpts);
  for (const Extension& e : kExtensions)
    if (e.toolset == target.toolset) stored += e.ext;
  static const DriveMap kNoDrives;
  std::string local, err;
  if (ToLocalPath(stored, project.folder.view(), kNoDrives, &local, &err)) return local;
  return stored;
}

const char* ToolsetWithoutBrowseInfo(int toolset) {
  struct Row {
    int toolset;
    const char* name;
  };
  static const Row kRows[] = {{kToolsetArmGnu, "ARM-GNU"}, {kToolsetArmAds, "ARM-ADS"}};
  for (const Row& r : kRows)
    if (r.toolset == toolset) return r.name;
  return nullptr;
}

std::string NoBrowseInfoText(const char* toolsetName) {
  return std::string("Source Browser: the compiler of this ") + (toolsetName ? toolsetName : "") +
         " target writes no browse information.";
}

}  // namespace pm2
