#pragma once
// The lock setting of a file type on this system. A locked file was kept
// open for reading with others allowed to read only, so no other program
// could change it while it was being edited. POSIX has no such open mode:
// the editor that keeps a file holds a shared advisory lock (flock) on its
// read handle, and every writer of ours asks before it writes, renames or
// replaces a file whether another handle keeps it. Programs that do not
// ask are not stopped.

#include <string>

namespace pm2 {

// Takes the shared lock on a kept read handle. False when a writer holds
// the file exclusively at this moment (the handle is kept all the same).
bool LockKeptFile(int fd);

// True when a handle other than `ownFd` (-1: none of ours) keeps `path`
// locked. A file that cannot be opened is kept by no one.
bool IsFileKeptByOther(const std::string& path, int ownFd = -1);

// The system's code for a file another program keeps (the sharing
// violation of the platform the files come from), and its message.
int FileKeptCode();
std::string FileKeptMessage(const std::string& path);

}  // namespace pm2
