#include "shell/app/deferred_commands.h"

#include <utility>

#include "shell/app/timer_port.h"

namespace pm2 {

namespace {

struct IntervalRow {
  int code;
  int ms;
};

constexpr IntervalRow kIntervals[] = {
    {kDeferStopDebugger, 150},   {kDeferRefreshWatch, 100}, {kDeferIncludeInitFile, 100},
    {kDeferReloadCheck, 100},    {kDeferStartDebugger, 100}, {kDeferUnused1, 50},
    {kDeferUnused2, 50},         {kDeferActivateFrame, 20},
};
constexpr int kOtherInterval = 18;

bool HasOwnInterval(int code) {
  for (const IntervalRow& r : kIntervals)
    if (r.code == code) return true;
  return false;
}

}  // namespace

DeferredCommands::DeferredCommands(TimerPort& timer, std::function<void(int)> run,
                                   std::function<void()> beep, std::function<bool()> targetExecuting)
    : m_timer(timer), m_run(std::move(run)), m_beep(std::move(beep)),
      m_targetExecuting(std::move(targetExecuting)) {}

DeferredCommands::~DeferredCommands() { Cancel(); }

int DeferredCommands::IntervalFor(int code) {
  for (const IntervalRow& r : kIntervals)
    if (r.code == code) return r.ms;
  return kOtherInterval;
}

bool DeferredCommands::Post(int code) {
  if (m_timerId != 0) {
    if (m_beep) m_beep();
    return false;
  }
  // Running to the cursor makes no sense while the target runs already.
  if (!HasOwnInterval(code) && m_targetExecuting && m_targetExecuting()) return false;
  m_code = static_cast<uint16_t>(code);
  m_timerId = m_timer.StartTimer(IntervalFor(code), [this](int id) { OnTimer(id); });
  return m_timerId != 0;
}

bool DeferredCommands::OnTimer(int id) {
  if (id == 0 || id != m_timerId) return false;
  m_timer.KillTimer(id);
  m_timerId = 0;
  if (m_run) m_run(m_code);
  return true;
}

void DeferredCommands::Cancel() {
  if (m_timerId) m_timer.KillTimer(m_timerId);
  m_timerId = 0;
}

}  // namespace pm2
