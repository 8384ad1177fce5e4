// A target may name the folder of its tools itself (the Folders page's own
// folders: "EnvBin"), instead of the installation's. A project made by
// someone else could name its own folder there and bring a program named
// like a tool ("Q51.EXE", "Q166.EXE"): the build would run it. Such a folder,
// the project's own or one inside it, is refused before anything runs;
// the tools are looked up only in the installation's folders and in those
// the user keeps outside the project.
#pragma once

#include <string>
#include <string_view>

namespace pm2 {

class DriveMap;

// Why the tools' folder stored as `stored` may not be used by a project in
// `projectFolder` (this machine's path); "" when it may (it lies outside
// the project's folder, links followed).
std::string ProjectToolFolderFault(std::string_view stored, const std::string& projectFolder,
                                   const DriveMap& drives);

}  // namespace pm2
