// Where a source file that the driver names for an address lies on this
// machine. The driver names it as the program's debug information does:
// relative to the project, in either separator, or with the folder the
// program was built in, which may be gone when the project was moved or
// copied since.
#pragma once

#include <functional>
#include <string>

namespace pm2 {

struct ProjectRec;

// True when a regular file exists at the local path.
using SourceFileProbe = std::function<bool(const std::string& path)>;

// The first of these that exists: the named file itself (relative to the
// project folder when it is relative), then its name in the folder of each
// file of the project's groups, in project order. Empty when none exists
// or nothing is named.
std::string FindDriverSourceFile(const ProjectRec* project, const std::string& named, const SourceFileProbe& exists);

}  // namespace pm2
