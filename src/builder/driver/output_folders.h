// Where a build writes when a target's output or listing folder is no
// folder of the project's own: a project made by someone else may name
// "..\..\.config\" as its output folder, or hold "Obj" as a link to any
// folder of the user's (git and zip keep links). The build says where its
// files go before it writes anything there, and the window says it as
// the project opens, so the user knows before the first write.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

class DriveMap;
struct ProjectRec;
struct TargetRec;

// The note for the folder stored as `stored` (as the options give it,
// "./Obj/", "..\out\") of a project in `projectFolder` (this machine's
// path): "" when it lies inside the project's folder and no link leads
// there; otherwise "*** NOTE: the folder ... : the build writes its files
// there", naming the link and where it goes, or the folder outside.
std::string OutputFolderNote(std::string_view stored, const std::string& projectFolder, const DriveMap& drives);

// The notes of the target's output and listing folders, each once (the
// two are often one), in the project's folder as the build takes it (a
// project opened by its bare name lies in the current folder).
// True when `path` is `folder` or lies below it, name by name (both
// lexically normal; the empty name a trailing '/' leaves is skipped).
bool PathIsWithin(const std::filesystem::path& path, const std::filesystem::path& folder);

std::vector<std::string> OutputFolderNotes(const ProjectRec& project, const TargetRec& target, const DriveMap& drives);

}  // namespace pm2
