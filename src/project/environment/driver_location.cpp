#include "project/environment/driver_location.h"

#include <dirent.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>

#include "platform/ascii_case.h"
#include "platform/win_path.h"
#include "project/environment/environment.h"

namespace pm2 {

namespace {

// The real path of an existing file or folder ("" when there is none),
// folders with a trailing '/'.
std::string RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return {};
  std::string out = real;
  std::free(real);
  struct stat st;
  if (::stat(out.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && out.back() != '/') out += '/';
  return out;
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// A driver folder in both forms a path is compared with: as written
// (collapsed) and as the disk resolves it (links followed).
struct Allowed {
  std::string written;
  std::string real;
};

std::vector<Allowed> AllowedFolders(const DriverFolders& folders) {
  std::vector<Allowed> out;
  for (const std::string& f : folders.folders) {
    if (f.empty() || HasDriveLetter(f)) continue;
    const std::string local = WithSlash(NormalizeLocalPath(ToForwardSlashes(f)));
    if (local.empty() || local[0] != '/') continue;
    out.push_back({local, RealPath(local)});
  }
  return out;
}

bool Below(const std::string& path, const std::string& folder) {
  return !folder.empty() && path.compare(0, folder.size(), folder) == 0;
}

bool InsideReal(const std::string& real, const std::vector<Allowed>& allowed) {
  for (const Allowed& a : allowed)
    if (Below(real, a.real)) return true;
  return false;
}

std::string FolderList(const std::vector<Allowed>& allowed) {
  std::string list;
  for (const Allowed& a : allowed) list += (list.empty() ? "" : ", ") + (a.real.empty() ? a.written : a.real);
  return list.empty() ? std::string("none") : list;
}

std::string OutsideText(const std::string& what, const std::vector<Allowed>& allowed) {
  return what + ", outside the installation's driver folders (" + FolderList(allowed) +
         "): a project loads only the installation's own drivers";
}

// The entry of a folder equal to name, else equal ignoring case; "".
std::string FindInFolder(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return {};
  std::string found;
  while (dirent* e = ::readdir(dir)) {
    const std::string entry = e->d_name;
    if (entry == name) {
      found = entry;
      break;
    }
    if (found.empty() && EqualIgnoringCase(entry, name)) found = entry;
  }
  ::closedir(dir);
  return found.empty() ? std::string() : folder + found;
}

std::string FindLibrary(const std::string& folder, const std::string& dllName) {
  for (const std::string& name : DriverFileNames(dllName))
    if (std::string path = FindInFolder(folder, name); !path.empty()) return path;
  return {};
}

// The library of the name in the fallback folder; "" when there is none
// (or the folder lies outside the driver folders).
std::string FindInFallback(const DriverFolders& folders, const std::vector<Allowed>& allowed,
                           const std::string& dllName) {
  const std::string fallback = folders.fallback.empty() ? std::string() : RealPath(WithSlash(folders.fallback));
  return fallback.empty() || !InsideReal(fallback, allowed) ? std::string() : FindLibrary(fallback, dllName);
}

// The found file (may be "") as loaded: its real path, or the refusal of
// a file that is a link leading out of the folders.
DriverLocation Checked(const std::string& found, const std::vector<Allowed>& allowed) {
  DriverLocation out;
  if (found.empty()) return out;
  const std::string file = RealPath(found);
  if (file.empty() || !InsideReal(file, allowed))
    out.refusal = OutsideText("'" + found + "' leads to '" + (file.empty() ? std::string("nothing") : file) + "'",
                              allowed);
  else
    out.file = file;
  return out;
}

}  // namespace

std::vector<std::string> DriverFileNames(const std::string& dllName) {
  std::string base(FileNamePart(ToForwardSlashes(dllName)));
  const std::string ext(ExtensionPart(base));
  if (!ext.empty()) base.resize(base.size() - ext.size());
  if (base.empty()) return {};
  return {base + ".so", "lib" + base + ".so"};
}

std::string DriverPathBelow(const std::string& name, const std::string& folder) {
  if (IsAbsolutePath(name) || HasDriveLetter(name)) return name;
  std::string_view rest = name;
  if (rest.size() >= 2 && rest[0] == '.' && IsPathSeparator(rest[1])) rest.remove_prefix(2);
  return folder + std::string(rest);
}

DriverFolders ToolsetDriverFolders(const ToolsetInfo* toolset, const std::string& programFolder) {
  DriverFolders out;
  out.folders.push_back(programFolder);
  if (toolset) {
    out.folders.push_back(toolset->rootFolder);
    out.folders.push_back(toolset->toolsFolder);
  }
  out.fallback = programFolder;
  return out;
}

DriverLocation LocateDriver(const std::string& path, const DriverFolders& folders) {
  DriverLocation out;
  if (path.empty()) return out;
  const std::vector<Allowed> allowed = AllowedFolders(folders);
  const std::string local = NormalizeLocalPath(ToForwardSlashes(path));
  // A folder with a drive letter (a toolset folder or a name kept from
  // Windows) is no folder of this machine: the library is looked for by
  // its file name among the program's own drivers only, as before a
  // drive was mapped. A name relative to whatever the current folder is
  // (the project's, often) names no folder of the installation.
  if (HasDriveLetter(path)) return Checked(FindInFallback(folders, allowed, local), allowed);
  if (local.empty() || local[0] != '/') {
    out.refusal = OutsideText("'" + path + "' names no folder of this installation", allowed);
    return out;
  }
  // The named folder as the disk has it (its components matched ignoring
  // case, as stored names are), links followed; a folder that does not
  // exist is judged as written.
  const std::string written = WithSlash(std::string(FolderPart(local)));
  PathResolver resolver;
  std::string existing;
  const std::string real = resolver.ResolveStoredPath(written, "/", &existing) ? RealPath(existing) : std::string();
  bool inside = false;
  for (const Allowed& a : allowed)
    inside = inside || (real.empty() ? Below(written, a.written) : Below(real, a.real));
  if (!inside) {
    out.refusal = OutsideText("'" + local + "' lies in '" + (real.empty() ? written : real) + "'", allowed);
    return out;
  }
  std::string found = real.empty() ? std::string() : FindLibrary(real, local);
  if (found.empty()) found = FindInFallback(folders, allowed, local);
  return Checked(found, allowed);
}

}  // namespace pm2
