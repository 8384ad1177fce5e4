#include "shell/windows/qt_timer_port.h"

#include <QTimer>

namespace pm2 {

QtTimerPort::~QtTimerPort() {
  for (auto& [id, timer] : m_timers) delete timer;
}

int QtTimerPort::StartTimer(int intervalMs, std::function<void(int)> onTimer) {
  int id = ++m_lastId;
  if (id == 0) id = ++m_lastId;
  auto* timer = new QTimer(this);
  timer->setInterval(intervalMs);
  connect(timer, &QTimer::timeout, this, [id, onTimer] { onTimer(id); });
  m_timers[id] = timer;
  timer->start();
  return id;
}

void QtTimerPort::KillTimer(int id) {
  auto it = m_timers.find(id);
  if (it == m_timers.end()) return;
  it->second->stop();
  // The timer may be the one whose signal runs now.
  it->second->deleteLater();
  m_timers.erase(it);
}

}  // namespace pm2
