// A run that gdb answered but its server did not take: a server held
// (a stopped qemu, a board's server that hangs) never acknowledges the
// packet that resumes the target, gdb sends it again and again and reads
// nothing meanwhile, and what the server answers once it goes on gdb takes
// for a stop of the target (or the server, going on, stops the target at
// the next copy of the packet). The command page says that the target
// does not answer; once it answers, the run the user asked for goes on.
#include "debugger/gdb/target/gdb_target.h"

#include <algorithm>

namespace pm2::gdb {


bool GdbTarget::RunTaken(const CreditedBound& until) {
  // gdb answers "running" before it sends the run to its server, and then
  // reads nothing until the server has acknowledged the packet: a question
  // it answers shows that the server took the run. One held (a stopped
  // qemu) never acknowledges: gdb sends the packet again and again, and
  // later takes what the server answers then for a stop of the target.
  // The question has a bound of its own: gdb that answered the run late
  // (a busy machine) may have left it little of the run's.
  if (m_gdb->Call("-gdb-show remotetimeout", std::max(until.RestMs(), kReplyBoundMs)).cls != "timeout") return true;
  m_runUntaken = true;
  m_runLateSaid = false;
  // gdb's words of that stop ("Program received signal SIGINT") are held
  // until the stop shows whether it is one.
  HoldConsole();
  WaitEnded(WaitFor::Run, WaitEnd::NoAnswer);
  return false;
}

bool GdbTarget::UntakenRunEnded(const MiRecord& r) {
  if (!m_runUntaken) return false;
  // A stop the user asked for, or one of the program's own (a breakpoint,
  // a step's end): the server takes what gdb sends as it comes again.
  if (m_stopAsked || r.results.Str("reason") != "signal-received" || r.results.Str("signal-name") != "SIGINT") {
    m_runUntaken = false;
    return false;
  }
  // No one asked for this stop: the server, going on, took the first of
  // the packets gdb sent again and again for the run, and a later copy
  // stopped the target (a stub stops the target at any byte while it
  // runs). More copies may wait in the server's input, each a stop of the
  // same kind at the next run: until the user asks for a stop or the
  // program stops for a reason of its own, such a stop is the driver's,
  // and the run or step the user asked for goes on, as it would have if
  // the server had answered in time.
  TakeHeldConsole();
  m_ownStop = true;
  AnsweredAgain();
  if (!m_runLateSaid.exchange(true)) {
    if (m_events.print)
      m_events.print("GDB driver: the target answers again, late: the run asked for while it did not answer goes "
                     "on (Esc stops it)\n");
    if (m_events.status) m_events.status("Run goes on");
  }
  if (m_stepMode >= 0 && m_stepMode != 3)
    ContinueStep(r);
  else if (m_stepMode == 3)
    EndOwnStep(r, true);
  else
    ContinueRun();
  return true;
}

}  // namespace pm2::gdb
