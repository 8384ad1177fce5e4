// The environment's view of a project target and its toolset record.
#include "builder/runner/tool_environment.h"
#include "project/environment/environment.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"

namespace pm2 {

ToolEnvInput MakeToolEnvInput(const TargetRec& target, const ToolsetInfo* toolset) {
  ToolEnvInput in;
  in.toolset = target.toolset;
  in.device = target.DEVICE.str();
  in.vendor = target.VENDOR.str();
  in.targetName = target.name.str();
  if (const OptionBlock* opts = target.pOpts) {
    in.clock51 = opts->t51.clock;
    in.clock251 = opts->t251.clock;
    in.clock166 = opts->t166.clock;
    in.clockArm = opts->tGnu.clock;
  }
  in.useOwnEnv = target.USEENV == 1;
  in.envBin = target.ENVBIN.str();
  in.envInc = target.ENVINC.str();
  in.envLib = target.ENVLIB.str();
  in.envReg = target.ENVREG.str();
  in.orgReg = target.ORGREG.str();
  if (toolset) {
    in.toolsFolder = toolset->toolsFolder;
    in.programFolder = toolset->secondToolsFolder;
    in.gnuFolder1 = toolset->makerFolder;
    // The search list has to reach the GNU programs themselves, which lie
    // in the program folder below the GNU folder ("Arm-Tools\Bin\").
    in.gnuFolder2 = toolset->toolset == kToolsetArmGnu && !toolset->secondToolsFolder.empty()
                        ? toolset->secondToolsFolder
                        : toolset->armToolFolder;
  }
  return in;
}

}  // namespace pm2
