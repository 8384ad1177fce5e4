// The notification hub of the window program: one object living on the GUI
// thread. Send runs the handler at once on the GUI thread and, from any
// other thread, as a blocking queued call (the sender waits); Post queues
// the call and returns at once.
#pragma once

#include <QObject>
#include <functional>

#include "platform/notification_hub.h"

namespace pm2 {

class QtNotificationHub : public QObject, public NotificationHub {
  Q_OBJECT
 public:
  using Handler = std::function<intptr_t(int code, intptr_t arg)>;
  // Must be created on the GUI thread.
  explicit QtNotificationHub(QObject* parent = nullptr);
  void SetHandler(Handler handler) { m_handler = std::move(handler); }

  intptr_t Send(int code, intptr_t arg) override;
  void Post(int code, intptr_t arg) override;

 private:
  intptr_t Handle(int code, intptr_t arg);
  Handler m_handler;
};

}  // namespace pm2
