// When the progress dialog of a long operation appears: not before its
// start delay (2000 ms) has passed since the operation began, and only
// for an update that names a maximum. A clock passed in keeps tests off
// the wall clock.
#pragma once

#include <cstdint>
#include <functional>

namespace pm2 {

using MillisecondClock = std::function<int64_t()>;

// Milliseconds of a monotonic clock.
int64_t SteadyMilliseconds();

class ProgressGate {
 public:
  static constexpr int64_t kStartDelayMs = 2000;

  explicit ProgressGate(MillisecondClock clock = SteadyMilliseconds);

  // Whether an update at this moment may create the window (not yet shown).
  bool MayCreate(int maximum) const { return DelayPassed() && maximum != 0; }
  bool DelayPassed() const { return m_clock() - m_start >= kStartDelayMs; }

  bool Cancelled() const { return m_cancelled; }
  void Cancel() { m_cancelled = true; }

 private:
  MillisecondClock m_clock;
  int64_t m_start;
  bool m_cancelled = false;
};

}  // namespace pm2
