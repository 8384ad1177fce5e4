#include "shell/windows/message_pump.h"

#include <QCoreApplication>

namespace pm2 {

void PumpPendingMessages() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace pm2
