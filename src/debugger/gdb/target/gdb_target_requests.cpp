// The IDE's run control, off the GUI thread. A run, a step or a stop
// request goes to the request thread, which waits on gdb and its server
// for as long as the driver's bounds say; the caller gets the window back
// at once. From the request on the target runs for the IDE (Stop Running
// is offered, the debug windows ask nothing): a run or step ends in its
// stop, which the IDE hears of as of any other; one that never ran the
// target (refused, or gdb gave no answer within its bound) is told as a
// stop where the target stands, with its reason on the command page; so is
// a stop request that got no answer.
#include <exception>
#include <string>
#include <utility>

#include "debugger/gdb/target/gdb_target.h"

namespace pm2::gdb {

bool GdbTarget::AskRun(uint32_t stopAddress, std::function<void()> first) {
  // Refused at once where nothing would be sent (the target did not answer
  // the last command): the reason is said on the caller's thread.
  if (!Halted()) return SayUnanswered();
  return Ask([this, stopAddress, first = std::move(first)] {
    if (first) first();
    Go(stopAddress);
  });
}

bool GdbTarget::AskStep(int mode, std::function<void()> first) {
  if (!Halted()) return SayUnanswered();
  if (!StepCommand(mode)) return false;
  return Ask([this, mode, first = std::move(first)] {
    if (first) first();
    Step(mode);
  });
}

bool GdbTarget::Ask(std::function<void()> request) {
  const uint64_t before = Reported();
  ++m_runsQueued;
  m_runAsked = true;
  {
    std::lock_guard<std::mutex> lock(m_executingMutex);
    if (m_events.executing) m_events.executing(true);
  }
  return m_requests.Post([this, request = std::move(request), before] {
    RunGuarded(request);
    // A run asked for after this one stands in its turn.
    if (--m_runsQueued == 0) m_runAsked = false;
    RequestEnded(before);
  });
}

bool GdbTarget::AskStop() {
  // One stop request stands at a time; a second Esc adds nothing to it.
  if (m_stopQueued.exchange(true)) return true;
  // A step waiting for its stop hands over to the request at once.
  WakeWaits();
  // A request the target did not answer leaves it standing for the IDE
  // too: told as a stop, so that what waited for one (a session's end asked
  // for while it ran) goes on.
  return m_requests.Post([this] {
    m_stopQueued = false;
    const uint64_t before = Reported();
    if (m_closing) return;
    RunGuarded([this] { Interrupt(); });
    RequestEnded(before);
  });
}

void GdbTarget::RunGuarded(const std::function<void()>& request) {
  // What gdb answered that the driver could not take (a text cut short)
  // ends the request with a message: an exception left on this thread
  // would end the program, and the user's unsaved texts with it.
  try {
    request();
  } catch (const std::exception& e) {
    if (m_events.print) m_events.print(std::string("*** Error: GDB driver: the request ended: ") + e.what() + "\n");
  }
}

void GdbTarget::RequestEnded(uint64_t reportedBefore) {
  // A run asked for since then tells its own end.
  if (m_closing || m_runsQueued > 0) return;
  {
    std::lock_guard<std::mutex> lock(m_executingMutex);
    if (m_executing || Reported() > reportedBefore) return;
    if (m_events.executing) m_events.executing(false);
  }
  if (m_events.stopped) m_events.stopped();
}

}  // namespace pm2::gdb
