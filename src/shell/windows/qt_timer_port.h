// GUI-thread timers over QTimer for the deferred commands.
#pragma once

#include <QObject>
#include <map>

#include "shell/app/timer_port.h"

class QTimer;

namespace pm2 {

class QtTimerPort : public QObject, public TimerPort {
  Q_OBJECT
 public:
  explicit QtTimerPort(QObject* parent = nullptr) : QObject(parent) {}
  ~QtTimerPort() override;
  int StartTimer(int intervalMs, std::function<void(int id)> onTimer) override;
  void KillTimer(int id) override;
  int Running() const { return static_cast<int>(m_timers.size()); }

 private:
  std::map<int, QTimer*> m_timers;
  int m_lastId = 0;
};

}  // namespace pm2
