#include "options/core/driver_caps.h"

#include <dlfcn.h>

#include "project/environment/environment.h"

namespace pm2 {

namespace {

using CapFunction = int32_t (*)(int32_t, void*);

// The separator of the parts a path made here gets: the folder's own when
// it ends in one (a folder stored in Windows form keeps it), else '/'.
char SeparatorOf(const std::string& folder) { return !folder.empty() && folder.back() == '\\' ? '\\' : '/'; }

}  // namespace

bool LoadedDriverCaps::Call(const std::string& dllPath, int code, void* argument, int32_t* result) {
  const DriverLocation where = LocateDriver(dllPath, m_folders());
  if (where.file.empty()) return false;
  void* handle = dlopen(where.file.c_str(), RTLD_NOW | RTLD_LOCAL);
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

std::string LoadedDriverCaps::Refusal(const std::string& dllPath) { return LocateDriver(dllPath, m_folders()).refusal; }

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
