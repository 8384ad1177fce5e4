#include "options/core/tool_command.h"

#include <algorithm>
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

ToolCommand SplitToolLine(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  s.remove_prefix(b);
  std::size_t end = 0;
  ToolCommand c;
  if (s[0] == '"') {
    const std::size_t close = s.find('"', 1);
    c.program = std::string(s.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    end = close == std::string_view::npos ? s.size() : close + 1;
  } else {
    end = std::min(s.find_first_of(" \t("), s.size());
    c.program = std::string(s.substr(0, end));
  }
  std::string_view rest = s.substr(end);
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
  // "(arguments)" whole: the stored form's parentheses go.
  if (!rest.empty() && rest.front() == '(') {
    int depth = 0;
    std::size_t close = std::string_view::npos;
    for (std::size_t i = 0; i < rest.size() && close == std::string_view::npos; ++i) {
      if (rest[i] == '(') ++depth;
      if (rest[i] == ')' && --depth == 0) close = i;
    }
    if (close == rest.size() - 1 || close == std::string_view::npos)
      rest = rest.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
  }
  c.arguments = std::string(rest);
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

std::string FolderRowRefusal(std::string_view row, std::string_view separators, std::string_view list) {
  const std::size_t at = row.find_first_of(separators);
  if (at == std::string_view::npos) return {};
  std::string named;
  for (char c : separators) {
    if (!named.empty()) named += " and ";
    named += "'" + std::string(1, c) + "'";
  }
  const std::string which = list.empty() ? std::string("this list") : "'" + std::string(list) + "'";
  return "The folder '" + std::string(row) + "' cannot be a row of " + which + ": " + named +
         " separate the list's folders, so '" + std::string(1, row[at]) + "' would split it into several.";
}

}  // namespace pm2
