#include "shell/app/line_input_rules.h"

#include <climits>

namespace pm2 {

std::string LineInputResult(const std::string& edit) {
  std::string text = edit.substr(0, kLineInputResultMax);
  std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

long ParseGotoLine(const std::string& edit) {
  std::string text = edit.substr(0, kGotoLineTextMax);
  if (text.empty()) return 0;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    int digit = c - '0';
    if (value > (LONG_MAX - digit) / 10) return 0;  // no line has such a number
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace pm2
