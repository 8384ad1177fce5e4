// Where a driver library that a project names is loaded from. Loading a
// library runs its code (its constructors run inside dlopen), and a
// project may come from anyone (a download, a clone, a colleague's zip),
// so a name is mapped to a file of the installation's own driver folders
// before anything is loaded: the program's folder and the toolset's tools
// folder that the environment file names, and the folders below them. A
// name whose folder lies elsewhere ("..\..\..\x\GDBDRV.DLL", "/tmp/x.dll")
// or whose file leads elsewhere through a link is refused with the reason.
//
// A driver named "X.DLL" is the shared library X.so, else libX.so, in the
// folder the name gives, file names compared ignoring case; the drivers
// that ship with the program lie beside it, so a name its own folder does
// not hold is also looked up in the fallback folder (the program's).
#pragma once

#include <string>
#include <vector>

namespace pm2 {

struct ToolsetInfo;

struct DriverFolders {
  // The installation's driver folders; empty entries are ignored. A
  // library is loaded only when its real path lies in one of them or
  // below.
  std::vector<std::string> folders;
  // Looked in by file name when the named folder holds no library of the
  // name; empty: nowhere. Should be one of `folders`.
  std::string fallback;
};

struct DriverLocation {
  std::string file;     // the library to load (its real path); "" when refused or not found
  std::string refusal;  // why the name is refused, naming the file; "" when found or not found
};

// A toolset's driver folders: the program's folder (also the fallback),
// the toolset's root and tools folders (null toolset: the program's only).
DriverFolders ToolsetDriverFolders(const ToolsetInfo* toolset, const std::string& programFolder);

// Maps a driver path as the session or the options page makes it (a
// rooted path: the toolset's folder joined with the project's name, see
// DriverPathBelow, or a name the project gave rooted) to the library file.
// A path with a drive letter names no folder of this machine: only the
// fallback folder is looked in. Neither `file` nor `refusal` set: no
// library of the name exists there.
DriverLocation LocateDriver(const std::string& path, const DriverFolders& folders);

// The path of a project's driver name: a rooted name ('/', '\' or a drive
// letter) as it is, else below `folder` (a leading ".\" dropped).
std::string DriverPathBelow(const std::string& name, const std::string& folder);

// The file names tried for a driver name, in order: "X.so", "libX.so".
std::vector<std::string> DriverFileNames(const std::string& dllName);

}  // namespace pm2
