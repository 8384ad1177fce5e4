#include "debugger/driver_shared/tool_box_labels.h"

#include <cctype>

namespace pm2 {

namespace {

// The label as it reads on the button: no '&' marks, blanks of any kind
// and number one space, no letter case.
std::string ShownLabel(const std::string& label) {
  std::string shown;
  bool blank = false;
  for (const char c : label) {
    if (c == '&') continue;
    if (std::isspace(static_cast<unsigned char>(c))) {
      blank = !shown.empty();
      continue;
    }
    if (blank) shown += ' ';
    blank = false;
    shown += char(std::tolower(static_cast<unsigned char>(c)));
  }
  return shown;
}

}  // namespace

bool IsBuiltInButtonLabel(const std::string& label) {
  static const char* const kBuiltIn[] = {kUpdateWindowsLabel};
  const std::string shown = ShownLabel(label);
  for (const char* b : kBuiltIn)
    if (shown == ShownLabel(b)) return true;
  return false;
}

}  // namespace pm2
