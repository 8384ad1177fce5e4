// Timers of the GUI thread, as the deferred commands use them: a started
// timer fires its callback every interval on the GUI thread until it is
// killed. The window's implementation uses QTimer; tests advance a fake
// clock.
#pragma once

#include <functional>

namespace pm2 {

class TimerPort {
 public:
  virtual ~TimerPort() = default;
  // Returns the timer's identifier (never 0).
  virtual int StartTimer(int intervalMs, std::function<void(int id)> onTimer) = 0;
  virtual void KillTimer(int id) = 0;
};

}  // namespace pm2
