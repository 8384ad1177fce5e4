// A counted breakpoint met again, judged by what the program did: in the
// walk's counting programs the loop adds one to `counter` on every pass,
// so a Go from a stop at a breakpoint of count N that stops at the same
// breakpoint again must have let exactly N passes go by. A count that ran
// down (stopping at every pass after its first firing) or one that was
// never set fails here, whatever the lists and the stored files say.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "debugger/session/debug_session.h"
#include "driver_abi/debug_records.h"

namespace pm2::test {

class CountedPasses {
 public:
  // A step about to run: a Go that begins a chain notes where the target
  // stands; any other step but the wait for a stop forgets it (a stop by
  // Stop Running, say, may fall on the breakpoint's address).
  void StepBegins(DebugSession& session, const std::string& step, bool firstOfChain) {
    if (IsGo(step) && firstOfChain)
      m_goFrom = Where(session);
    else if (step != "await-stop")
      m_goFrom.reset();
  }
  // The chain ended: why the passes since the Go differ from the count, or "".
  std::string StepEnded(DebugSession& session) {
    if (!m_goFrom || !m_goFrom->counted) return {};
    if (!session.SessionActive()) {
      m_goFrom.reset();
      return {};
    }
    if (session.TargetExecuting()) return {};  // still going: the wait for its stop may follow
    const Stand now = Where(session);
    const Stand from = *std::exchange(m_goFrom, std::nullopt);
    if (!now.counted || now.address != from.address || now.count != from.count) return {};
    if (now.passes - from.passes == now.count) return {};
    return "the breakpoint at 0x" + Hex(now.address) + " with a count of " + std::to_string(now.count) +
           " stopped again after " + std::to_string(now.passes - from.passes) + " passes of the loop ('counter' " +
           std::to_string(from.passes) + " -> " + std::to_string(now.passes) + ")";
  }

 private:
  struct Stand {
    bool counted = false;  // stopped on an enabled breakpoint with a count above one
    uint32_t address = 0, count = 0;
    uint64_t passes = 0;  // the program's `counter` there
  };

  static bool IsGo(const std::string& step) {
    const std::string name = step.rfind("key:", 0) == 0 ? step.substr(4) : step;
    return name.compare(0, 5, "32791") == 0 && (name.size() == 5 || name[5] == '/' || name[5] == '!');
  }
  static std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", v);
    return text;
  }
  static Stand Where(DebugSession& session) {
    Stand s;
    DebugInterface* r = session.Record();
    if (!session.SessionActive() || session.TargetExecuting() || session.DriverBusy() || !r || !r->DbgBreakpointList ||
        !r->DbgEvalExpression)
      return s;
    for (auto* b = reinterpret_cast<const DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr)); b;
         b = b->next)
      if ((b->flags & kDbgBpTypeMask) == 0 && (b->flags & kDbgBpEnabled) && b->passCount > 1 && b->address == r->pc) {
        s.address = b->address;
        s.count = b->passCount;
      }
    if (s.count == 0 || r->DbgEvalExpression(1, "counter", &s.passes) != 0) return s;
    s.counted = true;
    return s;
  }

  std::optional<Stand> m_goFrom;  // where the last Go started, while only waits for its stop followed
};

}  // namespace pm2::test
