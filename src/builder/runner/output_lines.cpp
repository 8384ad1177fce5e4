#include "builder/runner/output_lines.h"

#include <cctype>
#include <cstring>

#include "builder/runner/build_log.h"
#include "project/model/app_state.h"

namespace pm2 {

void OutputPane::AppendOutputLine(const char* text) {
  if (!text) {
    longest_ = 0;
    sink_.Clear();
    return;
  }
  if (static_cast<unsigned char>(text[0]) == 0xFE) {
    sink_.SetRedraw(true);
    return;
  }
  if (static_cast<unsigned char>(text[0]) == 0xFF) {
    sink_.SetRedraw(false);
    return;
  }
  std::string line(text, strnlen(text, kOutputLineMax));
  if (kind_ == PaneKind::kBuild && log_) log_->WriteOutputLine(line);
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) return;
  if (line.size() > longest_) {
    longest_ = line.size();
    sink_.LongestLineChanged(longest_);
  }
  sink_.AddLine(std::move(line));
}

bool ParseMessageSource(const std::string& line, SourceLocation& out) {
  if (line.empty() || line.size() > kJumpLineMax) return false;
  size_t open = line.find('(');
  if (open == std::string::npos) return false;
  size_t p = open + 1;
  auto digits = [&](int& value) {
    value = 0;
    while (p < line.size() && std::isdigit(static_cast<unsigned char>(line[p]))) {
      if (value < 100000000) value = value * 10 + (line[p] - '0');
      ++p;
    }
  };
  SourceLocation loc;
  loc.file = line.substr(0, open);
  digits(loc.line);
  if (p < line.size() && line[p] == ',') {
    ++p;
    digits(loc.column);
  }
  if (p >= line.size() || line[p] != ')' || loc.line == 0) return false;
  out = loc;
  return true;
}

std::string MessageHelpTopic(const std::string& line) {
  auto number = [&](size_t p, char letter) -> std::string {
    if (p >= line.size() || !std::isdigit(static_cast<unsigned char>(line[p]))) return {};
    long v = 0;
    while (p < line.size() && std::isdigit(static_cast<unsigned char>(line[p])) && v < 100000000)
      v = v * 10 + (line[p++] - '0');
    return letter + std::to_string(v);
  };
  for (const char* key : {"*** ERROR ", "*** WARNING ", "*** FATAL ERROR "}) {
    size_t at = line.find(key);
    if (at == std::string::npos) continue;
    size_t p = at + std::strlen(key);
    while (p < line.size() && line[p] == ' ') ++p;
    if (p < line.size() && line[p] == 'L') ++p;
    return number(p, 'L');
  }
  for (const char* key : {"warning ", "error "}) {
    size_t at = line.find(key);
    if (at == std::string::npos) continue;
    size_t p = at + std::strlen(key);
    char letter = ' ';
    if (p < line.size() && (line[p] == 'A' || line[p] == 'C')) letter = line[p++];
    return number(p, letter);
  }
  return {};
}

void JumpToMessageSource(const std::vector<std::string>& lines, int index, int mode, ShellServices& shell,
                         MessageJumpTarget& target) {
  if (index < 0 || static_cast<size_t>(index) >= lines.size()) {
    if (mode == 0) shell.Beep();
    return;
  }
  const std::string& line = lines[static_cast<size_t>(index)];
  if (mode == 1) {
    std::string topic = MessageHelpTopic(line);
    if (!topic.empty()) target.ShowToolHelp(100, topic);
    return;
  }
  SourceLocation loc;
  if (!ParseMessageSource(line, loc)) {
    shell.Beep();
    return;
  }
  target.OpenFileAndShow(loc.file, loc.line, loc.column);
}

namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Upper(const std::string& s) {
  std::string u = s;
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

bool LineMatches(const std::string& line, const std::string& what, const FindOptions& o) {
  const std::string hay = o.matchCase ? line : Upper(line);
  const std::string needle = o.matchCase ? what : Upper(what);
  for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) {
    if (!o.wholeWord) return true;
    bool before = at > 0 && IsWordChar(hay[at - 1]);
    size_t end = at + needle.size();
    bool after = end < hay.size() && IsWordChar(hay[end]);
    if (!before && !after) return true;
  }
  return false;
}

}  // namespace

int FindOutputLine(const std::vector<std::string>& lines, int firstSelected, const std::string& text,
                   const FindOptions& options, ShellServices& shell) {
  const int n = static_cast<int>(lines.size());
  const int step = options.down ? 1 : -1;
  int i = firstSelected < 0 ? (options.down ? 0 : n - 1) : firstSelected + step;
  // Every line is tested once; the selected line itself last.
  for (int tested = 0; tested < n; ++tested) {
    if (i >= n || i < 0) {
      const char* question = options.down ? "String not found - Continue search from the top?"
                                           : "String not found - Continue search from the bottom?";
      if (shell.MessageBox(question, kMbYesNo) != kIdYes) return -1;
      i = options.down ? 0 : n - 1;
    }
    if (LineMatches(lines[static_cast<size_t>(i)], text, options)) return i;
    i += step;
  }
  shell.MessageBox("String not found.", kMbOk);
  return -1;
}

}  // namespace pm2
