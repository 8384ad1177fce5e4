#include "options/core/tool_command.h"

#include <cstdio>

#include "project/text/path_text.h"

namespace pm2 {

ToolCommand SplitToolCommand(std::string_view s) {
  ToolCommand c;
  std::size_t i = 0;
  if (!s.empty() && s[0] == '"') {
    const std::size_t close = s.find('"', 1);
    const std::size_t end = close == std::string_view::npos ? s.size() : close;
    c.program = std::string(s.substr(1, end - 1));
    i = close == std::string_view::npos ? s.size() : close + 1;
  } else {
    const std::size_t open = s.find('(');
    const std::size_t end = open == std::string_view::npos ? s.size() : open;
    c.program = std::string(s.substr(0, end));
    i = end;
  }
  while (!c.program.empty() && (c.program.back() == ' ' || c.program.back() == '\t')) c.program.pop_back();
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  if (i < s.size() && s[i] == '(') {
    int depth = 1;
    std::size_t j = i + 1;
    for (; j < s.size(); ++j) {
      if (s[j] == '(') ++depth;
      if (s[j] == ')' && --depth == 0) break;
    }
    c.arguments = std::string(s.substr(i + 1, j - i - 1));
  }
  return c;
}

std::string JoinToolCommand(const ToolCommand& command) {
  return "\"" + command.program + "\" (" + command.arguments + ")";
}

std::vector<std::string> SplitFolderList(std::string_view text, std::string_view separators) {
  std::vector<std::string> rows;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(separators, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) rows.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return rows;
}

std::string JoinFolderList(const std::vector<std::string>& rows, std::string_view separators) {
  const char joiner = separators.empty() ? ';' : separators[0];
  std::string out;
  for (const std::string& row : rows) {
    const std::string_view t = TrimBlanks(row);
    if (t.empty()) continue;
    if (!out.empty()) out += joiner;
    out += t;
  }
  return out;
}

}  // namespace pm2
