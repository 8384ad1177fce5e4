// Reading a stored file (project, options, dependency, environment file)
// whole, as a reader that must not be made to hang or run away: only a
// regular file is read (a named pipe, a device or a folder is refused
// before anything is read from it), and no more than the format can hold.
#pragma once

#include <cstddef>
#include <string>

namespace pm2 {

// Bounds of the stored formats: far above any real file, far below what
// would exhaust memory.
inline constexpr std::size_t kStoredTextFileMax = std::size_t(64) << 20;       // project, options, dependency
inline constexpr std::size_t kEnvironmentFileMax = std::size_t(4) << 20;       // TOOLS.INI

// Reads the file into out. False with *err (when given) naming the file:
// "Can't read '<path>': <reason>" for a missing or unreadable file,
// "'<path>' is not a regular file" and "'<path>' is larger than <n> bytes".
// errnoOut (when given) is the system's error code of a failed open, 0
// for the refusals.
bool ReadStoredFile(const std::string& path, std::size_t limit, std::string& out, std::string* err,
                    int* errnoOut = nullptr);

}  // namespace pm2
