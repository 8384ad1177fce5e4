// The GUI thread joining a worker that waits for it, with the window
// program's own hub: the worker's sent notification and its call run on the
// GUI thread are served while the join waits, in the order they were made.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
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

// Only the calls of the objects that take a worker's calls are served: a
// call the program queued for itself (File > Exit's close of the main
// window) waits for the event loop, so a command that waits for a worker
// never has another command run beneath it.
TEST(GuiCallServer, ServesNoCallTheProgramQueuedForItself) {
  QtNotificationHub hub;
  int handled = 0;
  hub.SetHandler([&](int, intptr_t) { return intptr_t(++handled); });
  QObject window;
  bool closed = false;
  QMetaObject::invokeMethod(&window, [&] { closed = true; }, Qt::QueuedConnection);
  hub.Post(kNotifyCommandText, 0);
  ServePendingGuiCalls();
  EXPECT_EQ(handled, 1);
  EXPECT_FALSE(closed);
  QCoreApplication::sendPostedEvents(&window, QEvent::MetaCall);
  EXPECT_TRUE(closed);
}

// A call served while a worker is joined that joins the same worker again
// (a peer's request that ends the runs) waits for the worker's end, serving
// its calls meanwhile; two joins of one thread would end the program.
TEST(GuiCallServer, ASecondJoinOfTheSameWorkerWaitsForItsEnd) {
  QtNotificationHub hub;
  std::thread worker;
  std::atomic<bool> workerEnded{false};
  bool endedAtTheSecondJoin = false;
  int secondJoins = 0;
  hub.SetHandler([&](int code, intptr_t) {
    if (code == kNotifyCommandText) {
      ++secondJoins;
      JoinServing(worker, ServePendingGuiCalls);
      endedAtTheSecondJoin = workerEnded;
    }
    return intptr_t(code);
  });
  // Queued before the worker starts: served first, while the join waits.
  hub.Post(kNotifyCommandText, 0);
  worker = std::thread([&] {
    hub.Send(kNotifyLintFinished, 0);  // waits for the GUI thread
    workerEnded = true;
  });
  {
    Watchdog guard(std::chrono::seconds(20));
    JoinServing(worker, ServePendingGuiCalls);
  }
  EXPECT_EQ(secondJoins, 1);
  EXPECT_TRUE(endedAtTheSecondJoin);
  EXPECT_FALSE(worker.joinable());
}

}  // namespace
}  // namespace pm2
