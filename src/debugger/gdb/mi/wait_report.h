// What the driver says when a wait on gdb or the target reaches its bound:
// one text for the command page and a short one for the status line (whose
// pane shows about 15 of the 30 characters it takes), by what was waited
// for and how the wait ended. A stop request has only the one end: no
// answer.
#pragma once

#include <string>

namespace pm2::gdb {

// Setting: one of gdb's own settings the driver sends before a command
// (what the command may do to the target); the command is then not sent.
// Command: a command of gdb's own typed by the user.
enum class WaitFor { Step, Run, Stop, Setting, Command };
enum class WaitEnd {
  NoAnswer,  // gdb did not answer the command (gdb or its server stopped)
  RunsOn,    // the target runs and has not stopped yet
};

struct WaitReport {
  std::string command;  // a line for the command page, with its line end
  std::string status;   // at most 15 characters
};

WaitReport ReportWait(WaitFor what, WaitEnd end, int boundMs);

}  // namespace pm2::gdb
