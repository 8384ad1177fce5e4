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

// What a typed resuming command asks for, so that a stop of the driver's
// own on the way (the UART stand-in's) does not end it or turn it into a
// free run: the step it is (the driver's step modes: 0 into, 1 over, 2 out,
// 3 one instruction, 4 one instruction over calls, and 5 "until", 6 "until"
// or "advance" to a location; -1 a run: continue, jump, signal), and the
// console command that goes on with the step from the step's own frame
// (with the background mark; a count is not repeated, one step goes on).
struct TypedResume {
  bool resumes = false;
  int stepMode = -1;
  std::string again;
  std::string location;  // of a step to a location: its argument
};
constexpr int kTypedUntil = 5, kTypedToLocation = 6;
TypedResume TypedResumeOf(const std::string& typed);

}  // namespace pm2::gdb
