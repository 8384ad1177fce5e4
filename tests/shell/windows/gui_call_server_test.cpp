// The GUI thread joining a worker that waits for it, with the window
// program's own hub: the worker's sent notification and its call run on the
// GUI thread are served while the join waits, in the order they were made.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/notification_hub.h"
#include "platform/serve_while_waiting.h"
#include "shell/windows/gui_call_server.h"
#include "shell/windows/qt_notification_hub.h"
#include "shell/windows/watchdog.h"

namespace pm2 {
namespace {

TEST(GuiCallServer, JoinServesTheWorkersCallsInOrder) {
  QtNotificationHub hub;
  std::vector<int> seen;  // touched on the GUI thread only
  hub.SetHandler([&](int code, intptr_t) {
    seen.push_back(code);
    return intptr_t(code);
  });
  intptr_t answer = 0;
  std::thread worker([&] {
    hub.Post(kNotifyCommandText, 0);
    answer = hub.Send(kNotifyLintFinished, 0);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { seen.push_back(-1); }, Qt::BlockingQueuedConnection);
  });
  {
    Watchdog guard(std::chrono::seconds(20));
    JoinServing(worker, ServePendingGuiCalls);
  }
  EXPECT_EQ(seen, (std::vector<int>{kNotifyCommandText, kNotifyLintFinished, -1}));
  EXPECT_EQ(answer, kNotifyLintFinished);
}

// On another thread it serves nothing: the calls stay for the GUI thread.
TEST(GuiCallServer, DoesNothingOffTheGuiThread) {
  QtNotificationHub hub;
  int handled = 0;
  hub.SetHandler([&](int, intptr_t) { return intptr_t(++handled); });
  hub.Post(kNotifyCommandText, 0);
  std::thread other([] { ServePendingGuiCalls(); });
  other.join();
  EXPECT_EQ(handled, 0);
  ServePendingGuiCalls();
  EXPECT_EQ(handled, 1);
}

}  // namespace
}  // namespace pm2
