// The whole-file copies a killed process of ours left behind.
//
// A whole-file write (atomic_file.h) writes "<name>.~pm2tmp<pid>_<n>" beside
// its target and renames it over the target; a process killed between the
// two leaves the copy, which nothing else removes. Such a copy is taken away
// when its process no longer runs, it is a plain file (never a link or a
// folder) and it belongs to this user: a copy of a running program, of
// another user or under any other name stays.
#pragma once

#include <string>
#include <string_view>

namespace pm2 {

// The process id in a copy's name, 0 when the name is no such copy.
long StaleTemporaryOwner(std::string_view fileName);
// Removes the left copies in the folder; returns how many were removed.
int RemoveStaleTemporaries(const std::string& folder);
// The same, once per folder in this process: a write calls it before each
// file it writes, and only its first write into a folder looks.
void RemoveStaleTemporariesOnce(const std::string& folder);

}  // namespace pm2
