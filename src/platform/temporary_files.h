// Temporary files of the program's own runs (a tool's output capture, a
// lint run's command file) that must not outlive the program: each run
// removes its own when it ends, on Exit too; the end by SIGTERM, SIGINT or
// SIGHUP (termination.h) removes those still there.
//
// A file is made under the lock that removal takes, and none is made once
// the end by a signal is under way, so no file is made after the removal
// ran.
#pragma once

#include <string>

namespace pm2 {

// Makes the file exclusively (O_CREAT | O_EXCL, mode 0600, close-on-exec,
// open for reading and writing) and keeps it for the removal. The open
// descriptor, or -1 with errno set (EEXIST for a name taken; ECANCELED once
// the end by a signal is under way).
int CreateTemporaryFile(const std::string& path);

// As mkstemps: `path` ends in "XXXXXX" and then `suffixLength` characters;
// the X's are replaced by the name made.
int CreateUniqueTemporaryFile(std::string& path, int suffixLength);

// Removes the file and forgets it.
void RemoveTemporaryFile(const std::string& path);

}  // namespace pm2
