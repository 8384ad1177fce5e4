// The file a debug command names to run its lines (Include, the project's
// initialisation file, the function editor's compile): read whole before
// its lines run. A name may stand for a named pipe, whose open would wait
// for a writer that never comes, or for a device that never ends: such a
// name is refused with what it is, never waited on.
#pragma once

#include <cstddef>
#include <string>

namespace pm2 {

// Past this a file is no file of commands (and would fill the memory).
inline constexpr std::size_t kCommandFileMax = std::size_t(16) << 20;

// Reads the plain file at `path` into *text. False with *why set (naming
// the file: "'x.ini' is a named pipe (FIFO), not a file of commands",
// "can't read 'x.ini': No such file or directory") when it is not one, is
// larger than kCommandFileMax or does not read.
bool ReadCommandFile(const std::string& path, std::string* text, std::string* why);

}  // namespace pm2
