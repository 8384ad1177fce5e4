// The user's breakpoints kept as defined on a GDB target: a pass count
// counts again after each stop at its breakpoint, a conditional breakpoint
// stops a run whose expression holds already, and a change made while the
// program runs freely is made in a stop of the driver's own (WhileStill).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <utility>

#include "debugger/gdb/target/gdb_target.h"

namespace pm2::gdb {

namespace {

constexpr int kCommandTimeoutMs = 3000;
// How long a stop request waits before it goes again (gdb refuses one
// that reaches it in a stop of the UART stand-in's).
constexpr int kInterruptRepeatMs = 300;

// The milliseconds left of a bound (0 once it has ended).
int RestMs(const CreditedBound& until) { return until.RestMs(); }

}  // namespace

bool GdbTarget::StopForTrueCondition(bool* stepped) {
  std::map<int, std::string> conditionals;
  {
    std::lock_guard<std::mutex> lock(m_bpMutex);
    conditionals = m_conditionals;
  }
  if (conditionals.empty()) return false;
  std::vector<GdbBreakpointInfo> list;
  if (!ListBreakpoints(&list)) return false;
  for (const GdbBreakpointInfo& b : list) {
    const auto truth = conditionals.find(b.number);
    uint64_t holds = 0;
    if (truth == conditionals.end() || !b.enabled || !Evaluate("(" + truth->second + ") != 0", &holds) || !holds)
      continue;
    const std::string number = std::to_string(b.number);
    if (b.ignoreLeft > 0) {
      // This run is one of the passes it lets go by.
      m_gdb->Call("-break-after " + number + " " + std::to_string(b.ignoreLeft - 1), kCommandTimeoutMs);
      continue;
    }
    // It stops now, and counts its passes anew from the count defined.
    if (b.passCount > 1)
      m_gdb->Call("-break-after " + number + " " + std::to_string(b.passCount - 1), kCommandTimeoutMs);
    if (m_events.print) {
      int shown = 0;
      {
        std::lock_guard<std::mutex> lock(m_bpMutex);
        shown = UserNumber(b.number);
      }
      m_events.print("Conditional breakpoint " + std::to_string(shown) + ": " + b.location + " holds\n");
    }
    *stepped = Step(3);
    return true;
  }
  return false;
}

bool GdbTarget::WhileStill(const std::function<bool()>& change) {
  if (Still()) return change();
  {
    // A change made within a change of this thread's pause.
    std::lock_guard<std::mutex> lock(m_pauseStateMutex);
    if (m_pauseThread == std::this_thread::get_id()) return change();
  }
  // A step's own stops go on where the step would: only a run is stopped.
  if (!m_gdb || m_unanswered || !m_executing || !m_freeRun || State() == SessionState::Dead) return false;
  std::lock_guard<std::mutex> one(m_pauseMutex);
  const uint64_t before = Reported();
  {
    std::lock_guard<std::mutex> lock(m_pauseStateMutex);
    m_pauseWanted = true;
    m_paused = false;
  }
  const CreditedBound until = ReplyBound(kReplyBoundMs);
  const auto settled = [&] { return m_paused || Reported() != before || State() == SessionState::Dead; };
  // gdb's answer to the last request: 0 none yet, 1 taken, 2 refused.
  auto answer = std::make_shared<std::atomic<int>>(2);
  for (;;) {
    // A request that reaches gdb in one of the UART stand-in's stops is
    // refused (the target stands): it goes again. One gdb took ends in the
    // next stop, the interrupt's own or one of the stand-in's, which then
    // is the pause (ResumeAfterUart): it is not sent again.
    if (answer->load() == 2) {
      // gdb's words on the interrupt are the driver's, dropped at its stop.
      HoldConsole();
      *answer = 0;
      m_gdb->Send("-exec-interrupt", [answer](MiRecord& r) { *answer = r.cls == "done" ? 1 : 2; });
    }
    std::unique_lock<std::mutex> lock(m_pauseStateMutex);
    m_pauseCv.wait_for(lock, std::chrono::milliseconds(std::min(kInterruptRepeatMs, RestMs(until))), settled);
    if (settled() || RestMs(until) == 0) break;
  }
  bool paused = false;
  MiRecord stop;
  {
    std::lock_guard<std::mutex> lock(m_pauseStateMutex);
    paused = std::exchange(m_paused, false);
    m_pauseWanted = false;
    stop = m_pauseStop;
  }
  if (!paused) {
    const std::string held = TakeHeldConsole();
    if (!held.empty() && m_events.print) m_events.print(held);
    // A stop the IDE hears of came first (a breakpoint, Esc): the target
    // stands for the change.
    return Still() && change();
  }
  // gdb takes questions once its stop settled.
  m_gdb->WaitStopped(RestMs(until));
  {
    std::lock_guard<std::mutex> lock(m_pauseStateMutex);
    m_pauseThread = std::this_thread::get_id();
  }
  const bool ok = change();
  {
    std::lock_guard<std::mutex> lock(m_pauseStateMutex);
    m_pauseThread = std::thread::id();
  }
  // The program runs on, unless a stop request came meanwhile: the stop
  // is then the user's.
  if (m_freeRun) {
    const GdbPermissions::Hold run(m_access, GdbAccess::Run);
    if (run.ok() && ContinueRun()) return ok;
  }
  ReportOwnStop(stop);
  return ok;
}

bool GdbTarget::TakePause(const MiRecord& r) {
  {
    std::lock_guard<std::mutex> lock(m_pauseStateMutex);
    if (!m_pauseWanted) return false;
    m_pauseWanted = false;
    m_paused = true;
    m_pauseStop = r;
  }
  // The interrupt gdb took may still reach the target once it runs again.
  m_strayInterrupt = true;
  m_pauseCv.notify_all();
  return true;
}

bool GdbTarget::StrayInterrupt(const MiRecord& r) {
  if (r.results.Str("reason") != "signal-received" || !m_strayInterrupt.exchange(false)) return false;
  // Only in a run the driver let go on: a stop request's stop is the user's.
  if (!m_freeRun || m_keyInterrupt) return false;
  TakeHeldConsole();
  m_ownStop = true;
  ContinueRun();
  return true;
}

bool GdbTarget::PauseStop(const MiRecord& r) {
  {
    std::lock_guard<std::mutex> lock(m_pauseStateMutex);
    if (!m_pauseWanted || r.results.Str("reason") != "signal-received") return false;
    m_pauseWanted = false;
    m_paused = true;
    m_pauseStop = r;
  }
  m_strayInterrupt = false;
  TakeHeldConsole();
  m_ownStop = true;
  // A key that waited for a stop of the driver's own takes this one.
  if (m_keyInterrupt.exchange(false)) ArmKey();
  m_pauseCv.notify_all();
  return true;
}

std::vector<int> GdbTarget::HitNumbers(const MiRecord& r) {
  std::vector<int> out;
  for (const MiItem& item : r.results.items) {
    if (item.first == "bkptno")
      out.push_back(std::atoi(item.second.text.c_str()));
    else if (item.first == "wpt" || item.first == "hw-awpt" || item.first == "hw-rwpt")
      out.push_back(std::atoi(item.second.Str("number").c_str()));
  }
  return out;
}

void GdbTarget::ReloadCounts(const MiRecord& r) {
  std::lock_guard<std::mutex> lock(m_bpMutex);
  for (int number : HitNumbers(r))
    if (const auto it = m_definedCounts.find(number); it != m_definedCounts.end())
      m_pendingCounts[number] = it->second;
}

void GdbTarget::SendPendingCounts() {
  std::map<int, uint32_t> counts;
  {
    std::lock_guard<std::mutex> lock(m_bpMutex);
    counts.swap(m_pendingCounts);
  }
  // gdb takes its commands in order: the counts are set before the run or
  // step that follows them.
  if (m_gdb)
    for (const auto& [number, count] : counts)
      m_gdb->Send("-break-after " + std::to_string(number) + " " + std::to_string(count - 1));
}

}  // namespace pm2::gdb
