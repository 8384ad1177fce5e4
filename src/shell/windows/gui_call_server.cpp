#include "shell/windows/gui_call_server.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <algorithm>
#include <vector>

namespace pm2 {

namespace {
// GUI thread only. Never destroyed: a receiver may go after the static
// objects at the program's end.
std::vector<QObject*>& Receivers() {
  static auto* receivers = new std::vector<QObject*>;
  return *receivers;
}
}  // namespace

void ServeCallsOf(QObject* receiver) {
  std::vector<QObject*>& all = Receivers();
  if (std::find(all.begin(), all.end(), receiver) != all.end()) return;
  all.push_back(receiver);
  QObject::connect(receiver, &QObject::destroyed, [receiver] {
    std::vector<QObject*>& now = Receivers();
    now.erase(std::remove(now.begin(), now.end(), receiver), now.end());
  });
}

void ServePendingGuiCalls() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread()) return;
  // The application object takes the calls run on the GUI thread.
  QCoreApplication::sendPostedEvents(app, QEvent::MetaCall);
  // A call served may add or remove a receiver: the list is copied.
  const std::vector<QObject*> receivers = Receivers();
  for (QObject* r : receivers)
    if (std::find(Receivers().begin(), Receivers().end(), r) != Receivers().end())
      QCoreApplication::sendPostedEvents(r, QEvent::MetaCall);
}

}  // namespace pm2
