// Where a step stops, read from gdb's texts: whether a line starts at the
// stop's address (gdb's "info line *ADDR"), and the stop's place as gdb
// prints it at the end of a step of its own, made from what its "frame"
// command prints there. A typed step whose end was one of the driver's own
// stops (the UART stand-in's way) left gdb nothing to print.
#pragma once

#include <string>

namespace pm2::gdb {

// gdb's "info line *ADDR" says the line starts at that very address
// ("Line 38 of \"Blinky.c\" starts at address 0x240 <main+16> and ends at ...").
bool LineStartsAt(const std::string& info, const std::string& address);

// gdb's "frame" text ("#0  main () at Blinky.c:44\n44\t<text>\n", or
// "#0  0x00000270 in main () at ...") as gdb prints the end of a step: in
// the step's own frame and function only the line ("44\t<text>", after
// the address where the stop is inside the line), anywhere else the frame
// without its number, then the line. A text of another form stays as it is.
std::string StepEndText(const std::string& frame, bool sameFrame);

}  // namespace pm2::gdb
