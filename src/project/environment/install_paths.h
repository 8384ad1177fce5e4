// The installation paths fixed at start-up: the program's folder, the
// installation root above it, the spawn helper beside the program and the
// environment file in the root.
//
// Layout: <root>/TOOLS.INI, <root>/PM2/pelmora2, <root>/PM2/VSPAWN.EXE.
#pragma once

#include <string>

#include "project/model/app_state.h"

namespace pm2 {

// The running program's own path (from /proc/self/exe); empty when it
// cannot be read.
std::string CurrentProgramPath();

// Fills app.m_programDir (the program's folder), app.m_installRoot (the
// folder above it), app.m_vspawnPath ("VSPAWN.EXE" beside the program) and
// app.m_toolsIniPath ("TOOLS.INI" in the root) from the program's path.
// Folders end in '/'. A program in "/" has the root "/".
void SetupInstallPaths(AppState& app, const std::string& programPath);

}  // namespace pm2
