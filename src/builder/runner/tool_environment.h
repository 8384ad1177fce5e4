// The environment the tools of a target see. The original program set these
// variables in its own process and handed a snapshot to each tool; here they
// form an overlay over the IDE's environment, from which each child's
// environment is made at spawn time (no setenv on worker threads).
//
// Variables set (mode 0): PATH for ARM-GNU; "<prefix>BIN", "<prefix>INC",
// "<prefix>LIB" with the prefixes Q51, Q251, GCC (toolset 3) and Q166;
// ARMCONF, ARMDLL, ARMHOME, ARMINC, ARMLIB for ARM-ADS; always CPU_TYPE,
// CPU_VENDOR, PM2_TARGET and CPU_XTAL (51, 251) or CPU_CLOCK ("0x%08X").
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "project/model/option_block.h"  // ToolsetId

namespace pm2 {

class BatchFile;
struct TargetRec;
struct ToolsetInfo;

// Name -> value; a value of nullopt removes the variable from the child.
class EnvOverlay {
 public:
  void Set(const std::string& name, std::string value) { vars_[name] = std::move(value); }
  void Remove(const std::string& name) { vars_[name] = std::nullopt; }
  // The overlay's value, or the base environment's when the overlay has none.
  std::optional<std::string> Get(const std::string& name, char** base) const;
  const std::map<std::string, std::optional<std::string>>& Vars() const { return vars_; }
  bool Empty() const { return vars_.empty(); }
  // "NAME=value" entries: base (e.g. environ) with the overlay applied.
  std::vector<std::string> Build(char** base) const;

 private:
  std::map<std::string, std::optional<std::string>> vars_;
};

// What the environment needs of a target and its toolset record. Filled by
// MakeToolEnvInput from the project model; tests fill it directly.
struct ToolEnvInput {
  int toolset = kToolset51;
  std::string device;      // DEVICE
  std::string vendor;      // VENDOR
  std::string targetName;
  // Clocks in Hz of the option block's target sub-records, by family.
  uint32_t clock51 = 0, clock251 = 0, clock166 = 0, clockArm = 0;
  bool useOwnEnv = false;  // USEENV
  std::string envBin, envInc, envLib, envReg;  // ENVBIN, ENVINC, ENVLIB, ENVREG
  std::string orgReg;      // ORGREG
  // From the toolset record (folders end in a backslash or slash).
  std::string toolsFolder;    // the executables folder
  std::string programFolder;  // ARM-ADS program folder
  std::string gnuFolder1, gnuFolder2;  // ARM-GNU: the maker's and the GNU folder
};

// What a target of the project model and its toolset record (may be null)
// give the environment.
ToolEnvInput MakeToolEnvInput(const TargetRec& target, const ToolsetInfo* toolset);

const char* ToolsetVarPrefix(int toolset);

// Removes a final "BIN\" or "BIN/" (case ignored) from a folder longer than 4.
std::string FolderWithoutBin(const std::string& folder);

// Sets the variables of toolsets 0 to 3 into env (and as SET lines into the
// batch file when one is given and active); returns the tool folder. With a
// non-zero mode only CPU_TYPE, CPU_VENDOR, PM2_TARGET and the clock change.
std::string SetToolEnvironment(const ToolEnvInput& in, int mode, EnvOverlay& env, BatchFile* batch);

// The same for ARM-ADS (toolset 4); CPU_CLOCK is always 0.
std::string SetArmToolEnvironment(const ToolEnvInput& in, int mode, EnvOverlay& env, BatchFile* batch);

}  // namespace pm2
