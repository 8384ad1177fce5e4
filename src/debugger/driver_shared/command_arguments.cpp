#include "debugger/driver_shared/command_arguments.h"

namespace pm2 {

std::string_view TrimCommandBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> SplitCommandArguments(std::string_view s) {
  std::vector<std::string_view> out;
  int depth = 0;
  char quote = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (quote) {
      if (c == '\\' && i + 1 < s.size())
        ++i;
      else if (c == quote)
        quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') quote = c;
    else if (c == '(' || c == '[') ++depth;
    else if ((c == ')' || c == ']') && depth > 0) --depth;
    else if (c == ',' && depth == 0) {
      out.push_back(TrimCommandBlanks(s.substr(start, i - start)));
      start = i + 1;
    }
  }
  out.push_back(TrimCommandBlanks(s.substr(start)));
  return out;
}

}  // namespace pm2
