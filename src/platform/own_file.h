// Files the program writes in a project's folders (build outputs, command
// files, the build log, the build's journal) are its own: a project made by
// someone else may hold, at any of those names, a symbolic link to a file
// elsewhere (git and zip keep links), or a second name of another file.
// Opened as usual, the write would go through to that file and destroy
// it. Here the name is made a file of the program's own first: whatever
// stands there that is not a plain file with one name (a link, a second
// name of another file, a named pipe) is removed, and the file is opened
// with O_NOFOLLOW, so a link made at the name in between is refused rather
// than followed. Never a folder: a folder at the name is an error.
#pragma once

#include <cstdio>
#include <string>

namespace pm2 {

// What stood at a name before it was made the program's own.
struct ReplacedName {
  bool replaced = false;  // a link or a second name was removed
  std::string linkTarget; // a link's text (empty for anything else)
  // What it was, as the message says it ("a named pipe (FIFO)", "a second
  // name of another file", ...); empty when nothing was removed.
  std::string kind;
};

// Removes what stands at `path` unless it is a plain file with one name,
// a folder, or nothing. 0 or an errno value; *what tells what was removed.
int MakeNameOwn(const std::string& path, ReplacedName* what = nullptr);

// True when something stands at `path` that a write must not go through
// (what MakeNameOwn removes): a link, a second name of another file, a pipe.
bool IsForeignName(const std::string& path);

// Opens `path` for writing as a file of its own (see above), creating it
// with `mode` (less the umask) when it is not there. `flags` adds O_TRUNC,
// O_APPEND or O_RDWR to O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC.
// A descriptor, or -1 with errno set.
int OpenOwnFile(const std::string& path, int flags, unsigned mode = 0666, ReplacedName* what = nullptr);

// The same as a stream opened "wb" (emptied), or null with errno set.
std::FILE* OpenOwnFileStream(const std::string& path, ReplacedName* what = nullptr);

// "'<path>' was a link to '<target>': ..." for the output window, naming
// what a write at `path` replaced (a link and where it went, a second name
// of another file, a named pipe, a socket, a device); empty when nothing
// was.
std::string ReplacedNameText(const std::string& path, const ReplacedName& what);

}  // namespace pm2
