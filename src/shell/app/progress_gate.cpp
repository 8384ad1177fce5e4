#include "shell/app/progress_gate.h"

#include <chrono>
#include <utility>

namespace pm2 {

int64_t SteadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ProgressGate::ProgressGate(MillisecondClock clock) : m_clock(std::move(clock)), m_start(m_clock()) {}

}  // namespace pm2
