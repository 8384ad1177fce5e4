// A run that gdb answered but its server did not take: a server held
// (a stopped qemu, a board's server that hangs) never acknowledges the
// packet that resumes the target, gdb sends it again and again and reads
// nothing meanwhile, and what the server answers once it goes on gdb takes
// for a stop of the target (or the server, going on, stops the target at
// the next copy of the packet). The command page says that the target
// does not answer, and that stop is told as what it is, not as one the
// user asked for.
#include "debugger/gdb/target/gdb_target.h"

#include <algorithm>

namespace pm2::gdb {

namespace {

// The milliseconds left until a deadline (0 when it passed).
int LeftMs(std::chrono::steady_clock::time_point until) {
  const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
  return rest.count() > 0 ? int(rest.count()) : 0;
}

}  // namespace

bool GdbTarget::RunTaken(std::chrono::steady_clock::time_point until) {
  // gdb answers "running" before it sends the run to its server, and then
  // reads nothing until the server has acknowledged the packet: a question
  // it answers shows that the server took the run. One held (a stopped
  // qemu) never acknowledges: gdb sends the packet again and again, and
  // later takes what the server answers then for a stop of the target.
  // The question has a bound of its own: gdb that answered the run late
  // (a busy machine) may have left it little of the run's.
  if (m_gdb->Call("-gdb-show remotetimeout", std::max(LeftMs(until), kReplyBoundMs)).cls != "timeout") return true;
  m_runUntaken = true;
  // gdb's words of that stop ("Program received signal SIGINT") are held
  // until the stop shows whether it is one.
  HoldConsole();
  WaitEnded(WaitFor::Run, WaitEnd::NoAnswer);
  return false;
}

bool GdbTarget::UntakenRunEnded(const MiRecord& r) {
  if (!m_runUntaken.exchange(false) || m_stopAsked || r.results.Str("reason") != "signal-received" ||
      r.results.Str("signal-name") != "SIGINT")
    return false;
  // No one asked for this stop: the server, going on, took the first of
  // the packets gdb sent again and again for the run, and the next one
  // stopped the target (a stub stops the target at any byte while it
  // runs), or it answered the run it had not taken with a stop.
  TakeHeldConsole();
  m_ownStop = false;
  ReportStop(r, false);
  if (m_events.print) {
    const MiValue* frame = r.results.Find("frame");
    std::string where = frame ? frame->Str("addr") : std::string();
    if (frame && !frame->Str("func").empty()) where += " in " + frame->Str("func") + " ()";
    m_events.print("GDB driver: the target answers again, late: the run asked for while it did not answer ended "
                   "at once, and it stands at " + where + " (F5 runs it)\n");
  }
  if (m_events.status) m_events.status("Run not taken");
  return true;
}

}  // namespace pm2::gdb
