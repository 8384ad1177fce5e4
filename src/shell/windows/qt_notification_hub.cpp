#include "shell/windows/qt_notification_hub.h"

#include <QThread>

#include "shell/windows/gui_call_server.h"

namespace pm2 {

QtNotificationHub::QtNotificationHub(QObject* parent) : QObject(parent) { ServeCallsOf(this); }

intptr_t QtNotificationHub::Handle(int code, intptr_t arg) {
  return m_handler ? m_handler(code, arg) : 0;
}

intptr_t QtNotificationHub::Send(int code, intptr_t arg) {
  if (QThread::currentThread() == thread()) {
    if (code == kNotifyBuildOutputLine) HandleQueued();  // what workers queued came first
    return Handle(code, arg);
  }
  if (code == kNotifyBuildOutputLine) {
    Queued(m_queue.PushLine(code, reinterpret_cast<const char*>(arg)));
    return 0;
  }
  intptr_t result = 0;
  QMetaObject::invokeMethod(
      this, [this, code, arg] { return Handle(code, arg); }, Qt::BlockingQueuedConnection, &result);
  return result;
}

void QtNotificationHub::Post(int code, intptr_t arg) {
  if (QThread::currentThread() != thread()) {
    // Behind the lines queued before it, as it was posted after them.
    Queued(m_queue.PushPosted(code, arg));
    return;
  }
  // What the argument points at may be gone by the time the queue gets here.
  const PostedArgument posted(code, arg);
  QMetaObject::invokeMethod(this, [this, code, posted] { Handle(code, posted.Arg()); }, Qt::QueuedConnection);
}

void QtNotificationHub::Queued(bool first) {
  if (first)
    QMetaObject::invokeMethod(this, [this] { HandleQueued(); }, Qt::QueuedConnection);
  else if (m_queue.Waiting() >= NotificationQueue::kMaxWaiting)
    QMetaObject::invokeMethod(this, [this] { HandleQueued(); }, Qt::BlockingQueuedConnection);
}

void QtNotificationHub::HandleQueued() {
  for (const NotificationQueue::Entry& e : m_queue.TakeAll()) Handle(e.code, e.Arg());
}

}  // namespace pm2
