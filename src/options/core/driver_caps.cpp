#include "options/core/driver_caps.h"

#include <dlfcn.h>

#include "platform/win_path.h"
#include "project/environment/environment.h"

namespace pm2 {

namespace {

using CapFunction = int32_t (*)(int32_t, void*);

// "X.DLL" is looked up as X.so, then libX.so, beside it, ignoring case.
std::vector<std::string> Candidates(const std::string& dllPath) {
  std::string path = dllPath;
  for (char& c : path)
    if (c == '\\') c = '/';
  std::vector<std::string> out{path};
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.resize(dot);
  out.push_back(folder + base + ".so");
  out.push_back(folder + "lib" + base + ".so");
  return out;
}

// The separator of the parts a path made here gets: the folder's own when
// it ends in one (a folder stored in Windows form keeps it), else '/'.
char SeparatorOf(const std::string& folder) { return !folder.empty() && folder.back() == '\\' ? '\\' : '/'; }

}  // namespace

bool LoadedDriverCaps::Call(const std::string& dllPath, int code, void* argument, int32_t* result) {
  void* handle = nullptr;
  for (const std::string& candidate : Candidates(dllPath)) {
    std::string local;
    PathResolver resolver;
    if (!resolver.ResolveStoredPath(candidate, "/", &local)) continue;
    handle = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle) break;
  }
  if (!handle) return false;
  auto cap = reinterpret_cast<CapFunction>(dlsym(handle, "DllPm3Cap"));
  if (!cap) {
    dlclose(handle);
    return false;
  }
  *result = cap(code, argument);
  dlclose(handle);
  return true;
}

std::vector<DriverEntry> ToolsetDrivers(const ToolsetInfo* toolset) {
  std::vector<DriverEntry> out;
  if (!toolset) return out;
  for (const TitledPath& d : toolset->targetDrivers) {
    if (int(out.size()) >= kMaxTargetDrivers || d.path.empty()) break;
    out.push_back({d.title.empty() ? "<untitled>" : d.title, d.path, 0});
  }
  return out;
}

bool FamilyMatches(uint16_t toolset, int32_t id) {
  switch (toolset) {
    case 0: return id == 8563 || id == 8051 || id == 8307;
    case 1: return id == 80251;
    case 2: return id == 80167;
    case 3: case 4: return id == 7;
    default: return false;
  }
}

bool DialogFamilyMatches(uint16_t toolset, int32_t id) {
  if (toolset == 0) return id == 8051 || id == 8307;
  return FamilyMatches(toolset, id);
}

std::string DialogLoadPath(const std::string& entry, const std::string& folder, int folderKind) {
  if (folderKind == 1 || folderKind == 2) return DriverLoadPath(entry, folder, folderKind);
  const bool absolute = entry.size() > 2 && (entry[0] == '\\' || entry[0] == '/' || entry[1] == ':');
  return absolute ? entry : folder + "BIN" + SeparatorOf(folder) + entry;
}

std::string DriverFileName(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string DriverBaseName(const std::string& path) {
  std::string name = DriverFileName(path);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

std::string DriverLoadPath(const std::string& entry, const std::string& folder, int folderKind) {
  const bool absolute =
      entry.size() > 2 && (entry[0] == '\\' || entry[0] == '/' || entry[1] == ':');
  if (absolute) return entry;
  const std::string base = DriverBaseName(entry);
  const char sep = SeparatorOf(folder);
  if (folderKind == 1) return folder + base + sep + "Debug" + sep + base + ".dll";
  if (folderKind == 2) return folder + base + sep + "Release" + sep + base + ".dll";
  return folder + entry;
}

std::string DriverConfigFile(const std::string& projectFolder, const std::string& projectName,
                             const std::string& targetName) {
  return projectFolder + projectName + "_" + targetName + ".cfg";
}

}  // namespace pm2
