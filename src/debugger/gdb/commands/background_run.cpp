#include "debugger/gdb/commands/background_run.h"

#include <cctype>
#include <cstddef>

namespace pm2::gdb {

namespace {

struct ResumingCommand {
  const char* name;      // gdb's name of the command, or an alias of it
  std::size_t shortest;  // the shortest abbreviation gdb takes for it alone
  int stepMode;          // the step it is (-1: a run)
  // With an argument: the step mode then (the location of "until 50"), or
  // the same (a count, the signal's name).
  int withArgument;
  const char* again;  // the command that goes on with the step ("": the typed line)
};

// gdb's own abbreviations: a shorter one is ambiguous ("con": condition
// or continue; "nex": next or nexti) or another command.
constexpr ResumingCommand kResuming[] = {
    {"continue", 4, -1, -1, ""},
    {"c", 1, -1, -1, ""},
    {"fg", 2, -1, -1, ""},
    {"next", 4, 1, 1, "next"},
    {"n", 1, 1, 1, "next"},
    {"nexti", 5, 4, 4, "nexti"},
    {"ni", 2, 4, 4, "nexti"},
    {"step", 4, 0, 0, "step"},
    {"s", 1, 0, 0, "step"},
    {"stepi", 5, 3, 3, "stepi"},
    {"si", 2, 3, 3, "stepi"},
    {"until", 3, kTypedUntil, kTypedToLocation, "until"},
    {"u", 1, kTypedUntil, kTypedToLocation, "until"},
    {"advance", 3, kTypedToLocation, kTypedToLocation, ""},
    {"finish", 3, 2, 2, "finish"},
    {"jump", 2, -1, -1, ""},
    {"j", 1, -1, -1, ""},
    {"signal", 3, -1, -1, ""},
};

// The row of a typed line's command and where its arguments start; null
// when the line is no resuming command.
const ResumingCommand* RowOf(const std::string& typed, std::size_t* arguments) {
  std::size_t at = 0;
  while (at < typed.size() && (typed[at] == ' ' || typed[at] == '\t')) ++at;
  std::size_t end = at;
  while (end < typed.size() && std::isalpha(static_cast<unsigned char>(typed[end]))) ++end;
  // The word ends the command name: "c3" or "next-thing" is another command.
  if (end == at || (end < typed.size() && typed[end] != ' ' && typed[end] != '\t')) return nullptr;
  std::string word = typed.substr(at, end - at);
  for (char& c : word) c = char(std::tolower(static_cast<unsigned char>(c)));
  *arguments = end;
  for (const ResumingCommand& c : kResuming) {
    const std::string name = c.name;
    if (word.size() >= c.shortest && name.compare(0, word.size(), word) == 0) return &c;
  }
  return nullptr;
}

}  // namespace

std::string InBackground(const std::string& typed) {
  std::size_t arguments = 0;
  if (!RowOf(typed, &arguments)) return typed;
  std::size_t last = typed.find_last_not_of(" \t\r\n");
  if (typed[last] == '&') return typed;
  return typed.substr(0, last + 1) + " &";
}

TypedResume TypedResumeOf(const std::string& typed) {
  std::size_t arguments = 0;
  const ResumingCommand* row = RowOf(typed, &arguments);
  if (!row) return {};
  std::string rest = typed.substr(arguments);
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r' ||
                           rest.back() == '\n' || rest.back() == '&'))
    rest.pop_back();
  const bool argument = rest.find_first_not_of(" \t") != std::string::npos;
  TypedResume out;
  out.resumes = true;
  out.stepMode = argument ? row->withArgument : row->stepMode;
  if (out.stepMode == kTypedToLocation) out.location = rest.substr(rest.find_first_not_of(" \t"));
  if (out.stepMode >= 0)
    out.again = (out.stepMode == kTypedToLocation ? typed.substr(0, arguments) + rest : std::string(row->again)) + " &";
  return out;
}

}  // namespace pm2::gdb
