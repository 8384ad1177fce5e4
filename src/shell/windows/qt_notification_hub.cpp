#include "shell/windows/qt_notification_hub.h"

#include <QThread>

namespace pm2 {

QtNotificationHub::QtNotificationHub(QObject* parent) : QObject(parent) {}

intptr_t QtNotificationHub::Handle(int code, intptr_t arg) {
  return m_handler ? m_handler(code, arg) : 0;
}

intptr_t QtNotificationHub::Send(int code, intptr_t arg) {
  if (QThread::currentThread() == thread()) return Handle(code, arg);
  intptr_t result = 0;
  QMetaObject::invokeMethod(
      this, [this, code, arg] { return Handle(code, arg); }, Qt::BlockingQueuedConnection, &result);
  return result;
}

void QtNotificationHub::Post(int code, intptr_t arg) {
  QMetaObject::invokeMethod(this, [this, code, arg] { Handle(code, arg); }, Qt::QueuedConnection);
}

}  // namespace pm2
