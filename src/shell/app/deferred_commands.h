// Deferred commands: one command code waits for timer 1 of the main frame
// and runs from the timer, after the handler that asked for it returned.
// Only one can wait; a request made meanwhile beeps and is dropped.
//
// Intervals: 2049 150 ms; 2048, 2050, 2051, 2052 100 ms; 2053, 2054 50 ms;
// 16384 20 ms; any other code (run to the cursor, 4) 18 ms, but none is
// started while the target executes.
#pragma once

#include <cstdint>
#include <functional>

namespace pm2 {

class TimerPort;

enum DeferredCode : int {
  kDeferRunToCursor = 4,
  kDeferRefreshWatch = 2048,
  kDeferStopDebugger = 2049,
  kDeferIncludeInitFile = 2050,
  kDeferReloadCheck = 2051,
  kDeferStartDebugger = 2052,
  kDeferUnused1 = 2053,
  kDeferUnused2 = 2054,
  kDeferActivateFrame = 16384,
};

class DeferredCommands {
 public:
  // run: what a code does when its timer fires; beep: the refusal;
  // targetExecuting: whether the debugged target runs now.
  DeferredCommands(TimerPort& timer, std::function<void(int code)> run, std::function<void()> beep,
                   std::function<bool()> targetExecuting);
  ~DeferredCommands();

  // PostDeferredCommand: false when refused (one already waits: beep) or
  // nothing was started (code 4 while the target executes).
  bool Post(int code);
  // The frame's timer message: runs the waiting code when id is its timer;
  // false for any other timer (the frame's default handling then runs).
  bool OnTimer(int id);
  bool Pending() const { return m_timerId != 0; }
  // Forgets a waiting code without running it.
  void Cancel();

  static int IntervalFor(int code);

 private:
  TimerPort& m_timer;
  std::function<void(int)> m_run;
  std::function<void()> m_beep;
  std::function<bool()> m_targetExecuting;
  int m_timerId = 0;  // 0: nothing waits
  uint16_t m_code = 0;
};

}  // namespace pm2
