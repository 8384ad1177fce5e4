// gdb's breakpoint table (the answer to -break-list) as the user's
// breakpoints: one row per breakpoint number. gdb lists a breakpoint or
// watchpoint with several code locations (an inlined function, a line of
// a header two files include, "watch x++") as its own row followed by a
// row per location numbered "N.1", "N.2", ... (MI2), or with the locations
// in a "locations" list of its row (MI3). A location is no breakpoint of
// its own: it folds into its breakpoint, which shows its first location's
// address, file and line. Whatever the table holds, a number comes out
// once: a repeated row is ignored, a location without its breakpoint's row
// stands for that breakpoint, and one listed before its breakpoint's row
// folds into it all the same.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "debugger/gdb/mi/mi_parser.h"

namespace pm2::gdb {

// A breakpoint or watchpoint as gdb lists it.
struct GdbBreakpointInfo {
  int number = 0;         // gdb's number, > 0, once per list
  bool enabled = true;
  uint64_t address = 0;
  std::string location;   // the expression it was set with
  std::string condition;
  // The passes before it stops: as the user defined it, where the driver
  // knows that (gdb counts its ignore count down as the target passes).
  uint32_t passCount = 1;
  uint32_t ignoreLeft = 0;  // the passes gdb still lets go by (its ignore count now)
  std::string command;
  int access = 0;         // watchpoints: 1 read, 2 write, 3 both
  uint32_t length = 0;    // watchpoints: the watched size
  std::string file;       // the source file gdb placed it in (full path; "" none)
  int line = 0;           // and its line there
};

// The breakpoints of a BreakpointTable value (its "body" list of rows), in
// the order their numbers first appear; rows whose number is not one are
// left out. Watchpoints get no address or size here (gdb evaluates them).
std::vector<GdbBreakpointInfo> BreakpointTableRows(const MiValue& table);

// A code breakpoint as -break-insert (or =breakpoint-created) answers it:
// the "bkpt" tuple, followed by a bare tuple per location ("N.1", "N.2",
// ...) when gdb placed it in several places (MI2), or with those in its
// "locations" list (MI3). One breakpoint, whatever the number of places.
struct InsertedBreakpoint {
  int number = 0;                   // gdb's number; 0 when the answer names none
  std::vector<uint64_t> addresses;  // each code location's, in gdb's order; none while pending
  std::string file;                 // the first location's file as gdb writes it ("" none)
  std::string line;                 // and its line there
};
InsertedBreakpoint InsertedBreakpointOf(const MiValue& results);

}  // namespace pm2::gdb
