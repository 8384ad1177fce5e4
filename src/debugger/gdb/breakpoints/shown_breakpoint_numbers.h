// gdb's console lines that name its breakpoint numbers, as the command page
// shows them: gdb's numbers also count the driver's own breakpoints (the
// UART stand-in's watchpoint, a run's stop address), the page's leave them
// out, so the user's first breakpoint is number 1. The driver's own never
// show: a stop at one names no number, its row of "info breakpoints" goes.
//   "Breakpoint 3 at 0x21c: file Blinky.c, line 35."  (and Temporary, Dprintf)
//   "Breakpoint 3, main () at Blinky.c:35"            (a stop; "3.2" a place of several)
//   "Hardware watchpoint 4: pattern_step"             (set, and a stop at it)
//   "Note: breakpoints 2 and 5 also set at pc 0x21c."
//   "Deleted breakpoints 2 5 "
//   "No breakpoint number 9."
//   the table of "info breakpoints": a header line, a row per breakpoint
//   and place ("2", "2.1") and the rows' indented lines below them.
#pragma once

#include <functional>
#include <string>

namespace pm2::gdb {

struct BreakpointNumbering {
  std::function<bool(int gdb)> own;   // one of the driver's own
  std::function<int(int gdb)> user;   // the page's number of one of the user's
};

class ShownBreakpointText {
 public:
  // One line (or piece) of gdb's console text as the page shows it; "" for
  // a line about the driver's own breakpoints only.
  std::string Line(const std::string& text, const BreakpointNumbering& numbers);
  // A typed command's answer has ended: what the page still owes it (a
  // table whose rows were all the driver's says there are none).
  std::string End();

 private:
  std::string Table(const std::string& text, const BreakpointNumbering& numbers);

  bool m_inTable = false;
  bool m_hiding = false;      // a row of the driver's, with its indented lines
  std::string m_header;       // held until a row of the user's shows
};

}  // namespace pm2::gdb
