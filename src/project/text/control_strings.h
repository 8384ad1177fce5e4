// Comparison of tool control strings for the up-to-date check.
#ifndef PM2_PROJECT_CONTROL_STRINGS_H
#define PM2_PROJECT_CONTROL_STRINGS_H

namespace pm2 {

// True when two control strings say the same thing: blanks, line ends,
// quoting and the letter case outside the parentheses of a DEFINE control
// do not count; the order and the letters of every control do. Uses a
// scanner of its own, so the shared scanner's state is left alone and the
// build thread may call it.
bool ControlStringsMatch(const char* first, const char* second);

}  // namespace pm2

#endif
