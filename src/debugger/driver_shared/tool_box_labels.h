// The labels of the tool box's own buttons. The IDE's box and every driver
// that takes DEFINE BUTTON read them alike, so a button brought by a file
// is refused by the same rule wherever it arrives first.
#pragma once

#include <string>

namespace pm2 {

// The label of the box's own button.
inline constexpr const char* kUpdateWindowsLabel = "Update Windows";

// True when `label` reads as the label of one of the box's own buttons
// (ignoring letter case, blanks and '&' marks): a button that a file
// brings may not take it, or it would pass for the box's own.
bool IsBuiltInButtonLabel(const std::string& label);

}  // namespace pm2
