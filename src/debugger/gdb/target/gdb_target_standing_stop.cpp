// A stop request that the target did not answer within its bound stands
// until the target stops.
// The request reaches qemu's stub as a byte that the stub reads as a stop
// only while the machine runs: one it reads while the machine stands is
// dropped. A run from a breakpoint starts with gdb's own step over it (the
// breakpoint taken out, one instruction stepped, the breakpoint put back,
// then the run). A qemu held while it takes that step reads the requests
// that gdb sent meanwhile only once it goes on, after the step has ended
// with the machine standing: it drops them all, and gdb, its step done,
// lets the program run on without a word (gdb tells nothing of its own
// steps). The session then stayed in "does not answer" with the target
// running, and only Ctrl+F5 left it.
// In simulation the request also goes to qemu's monitor, which answers a
// command once qemu has read it: that answer is the sign that qemu goes on.
// The requests then go to gdb again, to a qemu that reads them now, until
// one stops the target; a target that still runs then runs for the IDE
// too, and Esc stops it. Nothing goes to gdb while qemu is held.
#include <cstdint>

#include "debugger/gdb/target/gdb_target.h"

namespace pm2::gdb {

namespace {

// How long a request sent again waits for its stop before the next goes;
// they go for one stop request's bound in all.
constexpr int kStandingRequestEveryMs = 300;

}  // namespace

void GdbTarget::LeaveStopStanding(uint64_t reportedBefore) {
  // Only an emulator of the driver's own tells when it answers again.
  if (!m_qemuMonitor.IsOpen()) return;
  // Sent once: not again when it went already (gdb did not read the
  // requests), and qemu stops the machine when it reads it, if it runs then.
  m_qemuMonitor.Stop();
  m_standingSince = int64_t(reportedBefore);
}

void GdbTarget::TakeStandingStop() {
  const int64_t since = m_standingSince;
  if (since < 0 || !m_qemuMonitor.Taken(0)) return;
  m_standingSince = -1;
  const uint64_t before = uint64_t(since);
  // qemu answers again: a request it read with the machine running stops
  // it now; one it dropped goes again until one lands.
  for (int round = 0; round < kReplyBoundMs / kStandingRequestEveryMs && !m_closing; ++round) {
    if (WaitReported(before + 1, kStandingRequestEveryMs)) return;
    if (m_gdb->State() != SessionState::Running) break;
    // gdb still at a command it did not answer reads no request.
    if (!m_gdb->Owing()) m_gdb->Send("-exec-interrupt");
  }
  // A stop that gdb reported and the IDE has not yet heard of comes; a
  // gdb that ended ends the session.
  if (m_closing || Reported() > before || m_gdb->State() != SessionState::Running) return;
  // gdb runs the target, and none of the requests stopped it (nor did gdb
  // say so already, answering one of them late).
  if (!m_unanswered.exchange(false)) return;
  SetExecuting(true);
  if (m_events.print)
    m_events.print("GDB driver: the target answers again and runs on: the stop request did not stop it (Esc stops "
                   "it)\n");
  if (m_events.status) m_events.status("Target runs on");
}

}  // namespace pm2::gdb
