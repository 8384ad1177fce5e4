// Loading a driver library. A driver named "X.DLL" in a project or the
// environment file is the shared library X.so, else libX.so, in the same
// folder, names compared ignoring case; the drivers that ship with the
// program lie beside it, so a name not found in its own folder is also
// looked up in the program's folder.
#pragma once

#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2 {

// The file names tried for a driver name, in order: "X.so", "libX.so".
std::vector<std::string> DriverFileNames(const std::string& dllName);

// The existing library file for a stored driver path ('\' or '/'), looked
// up in the path's folder and then in fallbackFolder (may be empty); ""
// when none exists.
std::string FindDriverLibrary(const std::string& storedPath, const std::string& fallbackFolder);

// A loaded driver: the library handle and its "BootDll" entry.
struct LoadedDriver {
  void* handle = nullptr;
  BootDllFn boot = nullptr;
};

// Loads the library named at offset 0 of the settings. False with *err set
// to "*** Error: '%s' not found\n" or "*** Error: '%s' invalid debug Dll\n".
bool LoadDebugDll(const DebugSettings& settings, const std::string& programFolder, LoadedDriver* out,
                  std::string* err);
void UnloadDebugDll(LoadedDriver* driver);

}  // namespace pm2
