#include "debugger/session/driver_library.h"

#include <dirent.h>
#include <dlfcn.h>

#include "platform/ascii_case.h"
#include "platform/win_path.h"

namespace pm2 {

std::vector<std::string> DriverFileNames(const std::string& dllName) {
  std::string base(FileNamePart(ToForwardSlashes(dllName)));
  std::string ext(ExtensionPart(base));
  if (!ext.empty()) base.resize(base.size() - ext.size());
  if (base.empty()) return {};
  return {base + ".so", "lib" + base + ".so"};
}

namespace {

// The entry of a folder equal to name ignoring case; "" when none.
std::string FindInFolder(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::string found;
  while (dirent* e = readdir(dir)) {
    std::string entry = e->d_name;
    if (entry == name) {
      found = entry;
      break;
    }
    if (found.empty() && EqualIgnoringCase(entry, name)) found = entry;
  }
  closedir(dir);
  if (found.empty()) return {};
  return folder.empty() ? found : JoinPath(folder, found);
}

}  // namespace

std::string FindDriverLibrary(const std::string& storedPath, const std::string& fallbackFolder) {
  std::string local = ToForwardSlashes(storedPath);
  std::string folder(FolderPart(local));
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::vector<std::string> folders{folder};
  if (!fallbackFolder.empty()) folders.push_back(fallbackFolder);
  for (const std::string& f : folders)
    for (const std::string& name : DriverFileNames(storedPath)) {
      std::string path = FindInFolder(f, name);
      if (!path.empty()) return path;
    }
  return {};
}

bool LoadDebugDll(const DebugSettings& settings, const std::string& programFolder, LoadedDriver* out,
                  std::string* err) {
  const std::string stored(settings.dllPath);
  std::string path = FindDriverLibrary(stored, programFolder);
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
