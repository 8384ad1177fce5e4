#include "debugger/gdb/commands/background_run.h"

#include <cctype>
#include <cstddef>

namespace pm2::gdb {

namespace {

struct ResumingCommand {
  const char* name;      // gdb's name of the command, or an alias of it
  std::size_t shortest;  // the shortest abbreviation gdb takes for it alone
};

// gdb's own abbreviations: a shorter one is ambiguous ("con": condition
// or continue; "nex": next or nexti) or another command.
constexpr ResumingCommand kResuming[] = {
    {"continue", 4}, {"c", 1},     {"fg", 2},      {"next", 4},    {"n", 1},      {"nexti", 5},
    {"ni", 2},       {"step", 4},  {"s", 1},       {"stepi", 5},   {"si", 2},     {"until", 3},
    {"u", 1},        {"advance", 3}, {"finish", 3}, {"jump", 2},   {"j", 1},      {"signal", 3},
};

}  // namespace

std::string InBackground(const std::string& typed) {
  std::size_t at = 0;
  while (at < typed.size() && (typed[at] == ' ' || typed[at] == '\t')) ++at;
  std::size_t end = at;
  while (end < typed.size() && std::isalpha(static_cast<unsigned char>(typed[end]))) ++end;
  // The word ends the command name: "c3" or "next-thing" is another command.
  if (end == at || (end < typed.size() && typed[end] != ' ' && typed[end] != '\t')) return typed;
  std::string word = typed.substr(at, end - at);
  for (char& c : word) c = char(std::tolower(static_cast<unsigned char>(c)));
  std::size_t last = typed.find_last_not_of(" \t\r\n");
  if (typed[last] == '&') return typed;
  for (const ResumingCommand& c : kResuming) {
    const std::string name = c.name;
    if (word.size() >= c.shortest && name.compare(0, word.size(), word) == 0)
      return typed.substr(0, last + 1) + " &";
  }
  return typed;
}

}  // namespace pm2::gdb
