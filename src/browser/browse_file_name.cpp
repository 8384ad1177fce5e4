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

}  // namespace pm2
