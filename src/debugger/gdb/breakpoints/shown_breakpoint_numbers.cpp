#include "debugger/gdb/breakpoints/shown_breakpoint_numbers.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>
#include <vector>

namespace pm2::gdb {

namespace {

// The messages that name one breakpoint by its number right after a word,
// by what follows the number.
const char* const kNamed[] = {"Breakpoint ",
                              "Temporary breakpoint ",
                              "Dprintf ",
                              "Hardware watchpoint ",
                              "Hardware read watchpoint ",
                              "Hardware access (read/write) watchpoint ",
                              "Watchpoint ",
                              "Software watchpoint ",
                              "Catchpoint ",
                              "No breakpoint number "};

// Reads a number at s (digits only); false when there are none.
bool NumberAt(const std::string& s, std::size_t at, int* number, std::size_t* end) {
  std::size_t e = at;
  while (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e])) && e - at < 9) ++e;
  if (e == at) return false;
  *number = std::atoi(s.substr(at, e - at).c_str());
  *end = e;
  return true;
}

// "Note: breakpoints 2 and 5 also set at pc" / "Deleted breakpoints 2 5 ":
// the numbers between from and to, each of the user's as the page's, the
// driver's left out; "" when none is left. `joined` lists as the note
// does ("2, 3 and 5"), else by blanks.
std::string NumberList(const std::string& text, std::size_t from, std::size_t to, const char* single,
                       const char* plural, bool joined, const BreakpointNumbering& n) {
  std::vector<int> shown;
  std::istringstream words(text.substr(from, to - from));
  for (std::string w; words >> w;) {
    if (!w.empty() && w.back() == ',') w.pop_back();
    if (w == "and") continue;
    int number = 0;
    std::size_t end = 0;
    if (!NumberAt(w, 0, &number, &end) || end != w.size()) return text;
    if (!n.own(number)) shown.push_back(n.user(number));
  }
  if (shown.empty()) return "";
  std::string list = shown.size() == 1 ? single : plural;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (i > 0) list += !joined ? " " : i + 1 == shown.size() ? " and " : ", ";
    list += std::to_string(shown[i]);
  }
  return list + text.substr(to);
}

}  // namespace

std::string ShownBreakpointText::Line(const std::string& text, const BreakpointNumbering& n) {
  if (m_inTable || (text.compare(0, 4, "Num ") == 0 && text.find(" Type ") != std::string::npos &&
                    text.find(" What") != std::string::npos))
    return Table(text, n);
  for (const char* prefix : kNamed) {
    const std::size_t length = std::strlen(prefix);
    if (text.compare(0, length, prefix) != 0) continue;
    int number = 0;
    std::size_t end = 0;
    if (!NumberAt(text, length, &number, &end)) return text;
    std::size_t after = end;
    int place = 0;
    if (after < text.size() && text[after] == '.')  // one place of several: "3.2"; or the sentence's end
      NumberAt(text, end + 1, &place, &after);
    const std::string rest = text.substr(after);
    // A stop at one of the driver's own names none: what follows the number.
    if (n.own(number)) return rest.compare(0, 2, ", ") == 0 ? rest.substr(2) : std::string();
    // BL lists a breakpoint of several places once: its number alone.
    return prefix + std::to_string(n.user(number)) + rest;
  }
  // gdb's answers to a pass count ("ignore"): "Will ignore next 2 crossings
  // of breakpoint 3.", "Will stop next time breakpoint 3 is reached.".
  if (text.compare(0, 5, "Will ") == 0) {
    const std::size_t word = text.find("breakpoint ");
    int number = 0;
    std::size_t end = 0;
    if (word == std::string::npos || !NumberAt(text, word + 11, &number, &end) || n.own(number)) return text;
    return text.substr(0, word + 11) + std::to_string(n.user(number)) + text.substr(end);
  }
  for (const bool note : {true, false}) {
    const char* single = note ? "Note: breakpoint " : "Deleted breakpoint ";
    const char* plural = note ? "Note: breakpoints " : "Deleted breakpoints ";
    for (const char* word : {plural, single}) {
      if (text.compare(0, std::strlen(word), word) != 0) continue;
      const std::size_t from = std::strlen(word);
      const std::size_t to = note ? text.find(" also set at ", from) : text.find_last_not_of(" \n") + 1;
      if (to == std::string::npos || to < from) return text;
      return NumberList(text, from, to, single, plural, note, n);
    }
  }
  return text;
}

std::string ShownBreakpointText::Table(const std::string& text, const BreakpointNumbering& n) {
  if (!m_inTable) {
    m_inTable = true;
    m_hiding = false;
    m_header = text;
    return "";
  }
  // An indented line belongs to the row above it.
  if (!text.empty() && (text[0] == ' ' || text[0] == '\t')) return m_hiding ? "" : text;
  int number = 0;
  std::size_t end = 0;
  if (!NumberAt(text, 0, &number, &end) || (end < text.size() && text[end] != ' ' && text[end] != '.')) {
    const std::string header = End();  // the table has ended
    return header + Line(text, n);
  }
  m_hiding = n.own(number);
  if (m_hiding) return "";
  std::string shown = std::to_string(n.user(number));
  // Keep the columns where gdb put them.
  if (end < text.size() && text[end] == ' ' && shown.size() < end) shown.append(end - shown.size(), ' ');
  shown += text.substr(end);
  return std::exchange(m_header, std::string()) + shown;
}

std::string ShownBreakpointText::End() {
  if (!m_inTable) return "";
  m_inTable = m_hiding = false;
  // Only the driver's rows: none the user can see.
  return m_header.empty() ? "" : (m_header.clear(), "No breakpoints or watchpoints.\n");
}

}  // namespace pm2::gdb
