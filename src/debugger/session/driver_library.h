// Loading a driver library. The library is found in the installation's
// driver folders only (project/environment/driver_location.h: "X.DLL" is
// X.so or libX.so, ignoring case, in the named folder, else in the
// program's); a name that leads anywhere else is refused before anything
// is loaded, since loading a library runs its code.
#pragma once

#include <string>

#include "driver_abi/debug_interface.h"
#include "project/environment/driver_location.h"

namespace pm2 {

// A loaded driver: the library handle and its "BootDll" entry.
struct LoadedDriver {
  void* handle = nullptr;
  BootDllFn boot = nullptr;
};

// Loads the library named at offset 0 of the settings from the driver
// folders. False with *err set to "*** Error: '%s' not found\n",
// "*** Error: '%s' invalid debug Dll\n", or the reason a name outside
// the folders is refused ("*** Error: the debug Dll is not loaded: ...").
bool LoadDebugDll(const DebugSettings& settings, const DriverFolders& folders, LoadedDriver* out, std::string* err);
void UnloadDebugDll(LoadedDriver* driver);

}  // namespace pm2
