// gdb's commands that read further lines of their own before they end (a
// breakpoint's command list, a user command's definition, a loop's body, a
// script typed at gdb's prompt) up to a line "end". The command page hands
// gdb one line at a time through MI, so gdb would wait for lines that
// never come and answer nothing more: such a line is refused with the
// reason, and with the one-line form where gdb has one.
#pragma once

#include <string>

namespace pm2::gdb {

// Why gdb would wait for more lines after this typed line; "" when it
// would not. The line is read as gdb reads it: a command by its name, its
// alias ("w" for "with") or an abbreviation, and the command a "with ...
// --", a pipe or an apply runs judged in turn. A line that would give a
// command a name of the user's ("alias") or build its command only as gdb
// runs it ("eval", "interpreter-exec") is refused too: gdb would run
// what the command page never saw.
std::string NestedInputRefusal(const std::string& typed);

}  // namespace pm2::gdb
