// The rules behind the line-input and go-to-line dialogs, without a window.
#pragma once

#include <string>

namespace pm2 {

inline constexpr int kLineInputEditLimit = 64;   // characters the edit accepts
inline constexpr int kLineInputResultMax = 77;   // characters OK keeps
inline constexpr int kGotoLineEditLimit = 10;
inline constexpr int kGotoLineTextMax = 30;

// What OK of the line input keeps: at most 77 characters, leading blanks
// removed.
std::string LineInputResult(const std::string& edit);

// The line a go-to-line entry names: decimal digits only (at most 30
// characters are read), not 0; 0 when the entry is refused.
long ParseGotoLine(const std::string& edit);

}  // namespace pm2
