#include "debugger/session/typed_breakpoint_texts.h"

#include <vector>

#include "debugger/driver_shared/command_arguments.h"
#include "project/edit/stored_setters.h"

namespace pm2 {

namespace {

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return std::string_view();
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The pieces of BS's arguments, split as the command language splits
// them.
std::vector<std::string_view> Arguments(std::string_view s) { return SplitCommandArguments(s); }

// A quoted command as the breakpoint keeps it: the quotes gone, the
// escapes of a C string read ("\"" a quote, "\n" a line feed).
std::string Unquoted(std::string_view quoted) {
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return std::string(quoted);
  std::string out;
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    char c = quoted[i];
    if (c == '\\' && i + 2 < quoted.size()) {
      c = quoted[++i];
      if (c == 'n') c = '\n';
      else if (c == 'r') c = '\r';
      else if (c == 't') c = '\t';
    }
    out += c;
  }
  return out;
}

bool IsBs(std::string_view word) {
  return word.size() == 2 && (word[0] == 'B' || word[0] == 'b') && (word[1] == 'S' || word[1] == 's');
}

}  // namespace

std::string TypedBreakpointTextRefusal(std::string_view line) {
  line = Trim(line);
  const std::size_t end = line.find_first_of(" \t");
  if (!IsBs(line.substr(0, end)) || end == std::string_view::npos) return std::string();
  const std::vector<std::string_view> args = Arguments(Trim(line.substr(end)));
  std::string why = DebugWindowTextRefusal(DebugWindowText::kBreakpointExpression, args[0]);
  if (why.empty() && args.size() > 2)
    why = DebugWindowTextRefusal(DebugWindowText::kBreakpointCommand, Unquoted(args[2]));
  return why.empty() ? why : "BS: " + why;
}

}  // namespace pm2
