#include "debugger/gdb/mi/wait_report.h"

#include <cstdio>

namespace pm2::gdb {

namespace {

struct Row {
  WaitFor what;
  WaitEnd end;
  const char* command;  // %d: the bound in seconds
  const char* status;
};

constexpr Row kRows[] = {
    {WaitFor::Step, WaitEnd::NoAnswer,
     "*** Error: the step got no answer within %d s: the target does not answer (Ctrl+F5 ends the session)",
     "Step: no answer"},
    {WaitFor::Step, WaitEnd::RunsOn, "*** the step did not end within %d s: the target runs on (Esc stops it)",
     "Step: runs on"},
    {WaitFor::Run, WaitEnd::NoAnswer,
     "*** Error: the run command got no answer within %d s: the target does not answer (Ctrl+F5 ends the "
     "session)",
     "Run: no answer"},
    {WaitFor::Stop, WaitEnd::NoAnswer,
     "*** Error: the target does not answer the stop request within %d s (Ctrl+F5 or File > Exit end the "
     "session)",
     "Stop: no answer"},
    {WaitFor::Setting, WaitEnd::NoAnswer,
     "*** Error: gdb did not answer within %d s: the command is not done, the target does not answer (Ctrl+F5 "
     "ends the session)",
     "gdb: no answer"},
    {WaitFor::Command, WaitEnd::RunsOn, "*** the command did not end within %d s: gdb runs on with it (Esc stops it)",
     "Command: runs on"},
};

}  // namespace

WaitReport ReportWait(WaitFor what, WaitEnd end, int boundMs) {
  for (const Row& r : kRows) {
    if (r.what != what || r.end != end) continue;
    char text[256];
    std::snprintf(text, sizeof text, r.command, (boundMs + 999) / 1000);
    return {std::string(text) + "\n", r.status};
  }
  return {};
}

}  // namespace pm2::gdb
