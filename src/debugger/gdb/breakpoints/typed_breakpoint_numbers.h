// gdb's own commands typed on the command page that name breakpoints by
// number ("delete 1", "disable 2-3", "enable once 1", "condition 1 n > 2",
// "ignore 1 5", "commands 2"). The numbers typed are the command page's
// (those BL lists); gdb's numbers also count the driver's own breakpoints
// (the UART stand-in's watchpoint, a run's stop address), which a typed
// command never reaches: the numbers become gdb's, and a command that names
// no number ("delete", "disable") names each of the user's breakpoints.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pm2::gdb {

struct TypedBreakpoints {
  // The user's breakpoints: the command page's numbers.
  std::vector<int> userNumbers;
  // gdb's number of a command page's number.
  std::function<int(int user)> gdbNumber;
  // The target runs: gdb changes no breakpoint then, yet marks some of
  // them changed before it says so ("disable" while running leaves them
  // disabled, the driver's own among them). A command that names
  // breakpoints is refused, whatever form it takes.
  bool running = false;
};

// The command as gdb takes it: `typed` itself when it names no
// breakpoints; "" when it names breakpoints and the user has none it
// could reach (nothing is to be done). A command behind gdb's "with
// SETTING -- " prefix is mapped as it would be alone. False with *err for
// a number gdb must not read as its own (a convenience variable such as
// "$bpnum", also inside a range "1-$bpnum"), for "with" without its
// command, and for any command that names breakpoints while the target
// runs.
bool TypedBreakpointCommand(const std::string& typed, const TypedBreakpoints& breakpoints, std::string* out,
                            std::string* err);

}  // namespace pm2::gdb
