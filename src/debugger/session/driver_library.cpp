#include "debugger/session/driver_library.h"

#include <dlfcn.h>

namespace pm2 {

bool LoadDebugDll(const DebugSettings& settings, const DriverFolders& folders, LoadedDriver* out, std::string* err) {
  const std::string stored(settings.dllPath);
  const DriverLocation where = LocateDriver(stored, folders);
  if (!where.refusal.empty()) {
    // The refusal names the file as resolved ("..\" collapsed), which
    // says more than the toolset folder joined with the project's name.
    *err = "*** Error: the debug Dll is not loaded: " + where.refusal + "\n";
    return false;
  }
  const std::string& path = where.file;
  if (path.empty()) {
    *err = "*** Error: '" + stored + "' not found\n";
    return false;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    // The file is there but no library (damaged, cut short, some other
    // file): the loader's words say why.
    const char* why = dlerror();
    *err = "*** Error: not a driver library: " + std::string(why ? why : path.c_str()) + "\n";
    return false;
  }
  auto boot = reinterpret_cast<BootDllFn>(dlsym(handle, "BootDll"));
  if (!boot) {
    dlclose(handle);
    *err = "*** Error: '" + stored + "' invalid debug Dll\n";
    return false;
  }
  out->handle = handle;
  out->boot = boot;
  return true;
}

void UnloadDebugDll(LoadedDriver* driver) {
  if (driver->handle) dlclose(driver->handle);
  driver->handle = nullptr;
  driver->boot = nullptr;
}

}  // namespace pm2
