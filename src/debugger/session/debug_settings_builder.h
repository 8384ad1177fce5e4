// Filling the settings block of a debug or flash session from the current
// target's options and the environment file's toolset record.
#pragma once

#include <string>

#include "driver_abi/debug_interface.h"

namespace pm2 {

struct ProjectRec;
struct TargetRec;
struct ToolsetInfo;

// The words the session start copies into the IDE's record.
struct DeviceWords {
  uint32_t device16 = 0;  // toolsets 0-2 only
  uint32_t selector = 0;
  uint32_t device32 = 0;
};

enum DebugSettingsMode : int { kSettingsDebug = 0, kSettingsFlash = 1 };

// The section name of a toolset's family ("Q51", "Q251", "Q166", "ARM", "ARM").
const char* FamilySectionName(int toolset);

// The program file of a target: output folder (".\" below the project) and
// output name, ".ELF" for ARM-GNU, ".AXF" for ARM-ADS, nothing for others.
std::string TargetProgramFile(const ProjectRec& project, const TargetRec& target, int toolset);

// Fills *settings (which the caller cleared) for the target. 1, or 0 with
// *err set to the message. `family` is the toolset's environment record
// (null when the section is missing); the previous device words are kept
// where the toolset sets none.
int BuildDebugSettings(const ProjectRec& project, const TargetRec& target, int toolset,
                       const ToolsetInfo* family, int mode, DebugSettings* settings, DeviceWords* words,
                       std::string* err);

}  // namespace pm2
