// gdb's commands that read further lines of their own before they end (a
// breakpoint's command list, a user command's definition, a loop's body, a
// script typed at gdb's prompt) up to a line "end". The command page hands
// gdb one line at a time through MI, so gdb would wait for lines that
// never come and answer nothing more: such a line is refused with the
// reason, and with the one-line form where gdb has one.
#pragma once

#include <string>

namespace pm2::gdb {

// Why gdb would wait for more lines after this typed line (in gdb's own
// spelling, abbreviations and a "with ... --" prefix included); "" when it
// would not.
std::string NestedInputRefusal(const std::string& typed);

}  // namespace pm2::gdb
