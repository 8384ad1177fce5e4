#include "shell/windows/gui_call_server.h"

#include <QCoreApplication>
#include <QThread>

namespace pm2 {

void ServePendingGuiCalls() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread()) return;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

}  // namespace pm2
