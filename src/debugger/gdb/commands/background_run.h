// A typed command of gdb's own that resumes the target ("continue",
// "next", "until 30", ...) reaches gdb through its console interpreter,
// which runs it in the foreground: gdb reads nothing more until the target
// stops, so a stop request (-exec-interrupt) waits unread, and only a
// signal to gdb is left (which, after a call that a signal already ended,
// gdb takes as giving up the target). Run in the background ("continue &"),
// as the driver's own runs are, gdb keeps reading and the stop request
// stops it as it stops F5.
#pragma once

#include <string>

namespace pm2::gdb {

// The typed line with " &" added when it is one of gdb's resuming commands
// (in gdb's own spelling and abbreviations) not run in the background
// already; any other line as it is.
std::string InBackground(const std::string& typed);

}  // namespace pm2::gdb
