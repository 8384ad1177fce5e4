// The texts of a breakpoint defined by a command line ("BS U == 3, 2,
// \"print U\""), typed on the Command page, run by a tool box button or
// asked by a peer's SetBreakpoint. The session keeps its breakpoints with
// the target in the options file, the expression between parentheses and
// the command between angle brackets: a text the file could not give back
// as it was is refused before the driver defines the breakpoint, by the
// rule the Breakpoints dialog applies to the same fields, so no
// breakpoint exists only to be lost when the session ends.
#pragma once

#include <string>
#include <string_view>

namespace pm2 {

// Why the breakpoint the command line defines could not be kept, "BS: "
// and the reason ("BS: The breakpoint's command 'x>' cannot be kept with
// the project: it holds a '>' without its '<'."); "" when it can, or when
// the line is no BS command.
std::string TypedBreakpointTextRefusal(std::string_view line);

}  // namespace pm2
