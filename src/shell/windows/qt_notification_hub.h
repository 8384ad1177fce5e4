// The notification hub of the window program: one object living on the GUI
// thread. Send runs the handler at once on the GUI thread and, from any
// other thread, as a blocking queued call (the sender waits); Post queues
// the call and returns at once. A build-page line sent from another thread
// is the exception: its text is copied into a queue and the sender goes on
// (waiting only while many lines wait), so a build does not pause for each
// repaint of the window. Posts from other threads join the same queue, and
// a blocking call follows the queue's turn, so the GUI thread sees
// everything in the order it was sent. A posted argument that points at a
// text or record is copied at the post (posted_argument.h).
#pragma once

#include <QObject>
#include <functional>

#include "platform/notification_hub.h"
#include "shell/windows/notification_queue.h"

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
  // After a push: the first of a lot asks for the queue's turn; a full
  // queue waits for it.
  void Queued(bool first);
  void HandleQueued();
  Handler m_handler;
  NotificationQueue m_queue;
};

}  // namespace pm2
