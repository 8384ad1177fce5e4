// The two programs of the installation's program folder: pelmora2 (the
// command line and the build without a window, no Qt) and the window
// program beside it, which pelmora2 starts in its own place when there is
// a display.
#pragma once

#include <string>

namespace pm2 {

inline constexpr char kWindowProgramName[] = "pelmora2_window";
inline constexpr char kMainProgramName[] = "pelmora2";

// The window program in the folder of `program` (pelmora2's path).
std::string WindowProgramPath(const std::string& program);

// pelmora2's path from the window program's: the installation paths and
// the files named after the program (its device database) are pelmora2's.
std::string MainProgramPath(const std::string& windowProgram);

}  // namespace pm2
