// The Qt notification hub and timers.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>

#include "shell/windows/qt_notification_hub.h"
#include "shell/windows/qt_timer_port.h"
#include "shell/windows/qt_user_dialogs.h"

namespace pm2 {
namespace {

TEST(QtNotificationHubTest, SendFromAWorkerRunsOnTheGuiThreadAndWaits) {
  QtNotificationHub hub;
  QThread* handledOn = nullptr;
  std::string seen;
  hub.SetHandler([&](int code, intptr_t arg) -> intptr_t {
    handledOn = QThread::currentThread();
    seen = reinterpret_cast<const char*>(arg);
    return code * 2;
  });
  std::atomic<intptr_t> result{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    char line[] = "on the worker's stack";  // valid only while Send waits
    result = hub.Send(6, reinterpret_cast<intptr_t>(line));
    done = true;
  });
  QElapsedTimer t;
  t.start();
  while (!done && t.elapsed() < 5000) QCoreApplication::processEvents();
  worker.join();
  EXPECT_EQ(result.load(), 12);
  EXPECT_EQ(handledOn, QThread::currentThread());
  EXPECT_EQ(seen, "on the worker's stack");
}

TEST(QtNotificationHubTest, SendOnTheGuiThreadRunsAtOnce) {
  QtNotificationHub hub;
  hub.SetHandler([](int code, intptr_t) -> intptr_t { return code + 1; });
  EXPECT_EQ(hub.Send(10, 0), 11);
}

TEST(QtNotificationHubTest, PostIsQueued) {
  QtNotificationHub hub;
  std::vector<int> codes;
  hub.SetHandler([&](int code, intptr_t) -> intptr_t {
    codes.push_back(code);
    return 0;
  });
  hub.Post(16, 0);
  hub.Post(12, 0);
  EXPECT_TRUE(codes.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(codes, (std::vector<int>{16, 12}));
}

TEST(QtTimerPortTest, FiresUntilKilled) {
  QtTimerPort timers;
  int fired = 0;
  int id = timers.StartTimer(5, [&](int firing) {
    ++fired;
    EXPECT_NE(firing, 0);
    timers.KillTimer(firing);
  });
  EXPECT_NE(id, 0);
  QTest::qWait(60);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(timers.Running(), 0);
}

struct FilterRow {
  const char* name;
  const char* stored;
  const char* qt;
};

class FileFilter : public ::testing::TestWithParam<FilterRow> {};

TEST_P(FileFilter, BecomesQtsForm) {
  EXPECT_EQ(QtUserDialogs::QtFilter(GetParam().stored).toStdString(), GetParam().qt);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FileFilter,
    ::testing::Values(FilterRow{"One", "Project Files (*.pm2)|*.pm2||", "Project Files (*.pm2)"},
                      FilterRow{"Two", "Project Files (*.pm2)|*.pm2|Dave Project Files (*.dpt)|*.dpt||",
                                "Project Files (*.pm2);;Dave Project Files (*.dpt)"},
                      FilterRow{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
