// The Qt notification hub and timers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>

#include "hang_guard.h"
#include "shell/app/shell_app.h"
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
    result = hub.Send(kNotifyStatusText, reinterpret_cast<intptr_t>(line));
    done = true;
  });
  QElapsedTimer t;
  t.start();
  while (!done && t.elapsed() < 5000) QCoreApplication::processEvents();
  worker.join();
  EXPECT_EQ(result.load(), 2 * kNotifyStatusText);
  EXPECT_EQ(handledOn, QThread::currentThread());
  EXPECT_EQ(seen, "on the worker's stack");
}

// Records the notifications the GUI thread handles: code and text ("<null>"
// for a null text).
struct HandledLog {
  std::vector<std::string> seen;
  std::vector<QThread*> threads;
  void Attach(QtNotificationHub& hub) {
    hub.SetHandler([this](int code, intptr_t arg) -> intptr_t {
      threads.push_back(QThread::currentThread());
      seen.push_back(std::to_string(code) + ":" +
                     (arg ? reinterpret_cast<const char*>(arg) : "<null>"));
      return 1;
    });
  }
};

void RunUntil(const std::atomic<bool>& done) {
  QElapsedTimer t;
  t.start();
  while (!done && t.elapsed() < 5000) QCoreApplication::processEvents();
}

TEST(QtNotificationHubTest, BuildLinesFromAWorkerAreCopiedAndTheWorkerGoesOn) {
  QtNotificationHub hub;
  HandledLog log;
  log.Attach(hub);
  std::thread worker([&] {
    for (const char* text : std::initializer_list<const char*>{"compiling a.c...", nullptr, "compiling b.c..."}) {
      std::string line = text ? text : "";
      // The worker's buffer is gone (and reused) before the GUI thread runs.
      EXPECT_EQ(hub.Send(kNotifyBuildOutputLine, text ? reinterpret_cast<intptr_t>(line.c_str()) : 0), 0);
      line.assign(line.size(), 'x');
    }
  });
  worker.join();  // without the GUI thread having run anything
  EXPECT_TRUE(log.seen.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(log.seen, (std::vector<std::string>{"6:compiling a.c...", "6:<null>", "6:compiling b.c..."}));
  for (QThread* t : log.threads) EXPECT_EQ(t, QThread::currentThread());
}

TEST(QtNotificationHubTest, QueuedLinesComeBeforeWhatFollowsThem) {
  QtNotificationHub hub;
  HandledLog log;
  log.Attach(hub);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    hub.Send(kNotifyBuildOutputLine, reinterpret_cast<intptr_t>("one"));
    hub.Post(kNotifyStatusText, reinterpret_cast<intptr_t>("posted"));
    hub.Send(kNotifyBuildOutputLine, reinterpret_cast<intptr_t>("two"));
    hub.Send(kNotifyBuildFinished, 0);  // waits, as before
    done = true;
  });
  RunUntil(done);
  worker.join();
  // A line sent on the GUI thread follows the lines still queued.
  std::thread late([&] { hub.Send(kNotifyBuildOutputLine, reinterpret_cast<intptr_t>("queued")); });
  late.join();
  hub.Send(kNotifyBuildOutputLine, reinterpret_cast<intptr_t>("from the GUI thread"));
  EXPECT_EQ(log.seen, (std::vector<std::string>{"6:one", "13:posted", "6:two", "7:<null>", "6:queued",
                                                "6:from the GUI thread"}));
  QCoreApplication::processEvents();  // the queued call finds nothing left
  EXPECT_EQ(log.seen.size(), 6u);
}

TEST(QtNotificationHubTest, AWorkerWaitsWhileTooManyLinesWait) {
  QtNotificationHub hub;
  HandledLog log;
  log.Attach(hub);
  const int lines = int(NotificationQueue::kMaxWaiting) + 50;
  std::atomic<int> sent{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < lines; ++i) {
      const std::string line = std::to_string(i);
      hub.Send(kNotifyBuildOutputLine, reinterpret_cast<intptr_t>(line.c_str()));
      ++sent;
    }
    done = true;
  });
  // Without the GUI thread the worker stops at the bound.
  QElapsedTimer t;
  t.start();
  while (sent < int(NotificationQueue::kMaxWaiting) - 1 && t.elapsed() < 5000) QThread::msleep(1);
  QThread::msleep(50);
  EXPECT_EQ(sent.load(), int(NotificationQueue::kMaxWaiting) - 1);
  RunUntil(done);
  worker.join();
  QCoreApplication::processEvents();
  ASSERT_EQ(log.seen.size(), size_t(lines));
  for (int i = 0; i < lines; ++i) EXPECT_EQ(log.seen[size_t(i)], "6:" + std::to_string(i)) << i;
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

// A posted notification whose argument points at a text or a record: the
// poster frees it as soon as Post returns (a driver's memory goes with the
// driver library at the session's end), before the GUI thread handles it.
struct PostedRow {
  const char* name;
  int code;
  bool fromWorker;
};

const PostedRow kPostedRows[] = {
    {"StatusTextFromTheGuiThread", kNotifyStatusText, false},
    {"StatusTextFromAWorker", kNotifyStatusText, true},
    {"CommandTextFromAWorker", kNotifyCommandText, true},
    {"FindInFilesTextFromTheGuiThread", kNotifyFindInFilesText, false},
    {"SerialBytesFromAWorker", kNotifySerialOutput1, true},
    {"SerialCharsFromTheGuiThread", kNotifySerialOutput2, false},
    {"DriverInputFromAWorker", kNotifyDriverCall, true},
};

// What the handler reads through the argument of a posted code.
std::string ReadPosted(int code, intptr_t arg) {
  if (code == kNotifySerialOutput1 || code == kNotifySerialOutput2) {
    const auto* r = reinterpret_cast<const SerialOutputRecord*>(arg);
    std::string out = std::to_string(r->window) + ":";
    for (int i = 0; i < r->count; ++i)
      out += code == kNotifySerialOutput1 ? char(static_cast<const uint8_t*>(r->chars)[i])
                                          : char(static_cast<const uint16_t*>(r->chars)[i]);
    return out;
  }
  if (code == kNotifyDriverCall) {
    const auto* r = reinterpret_cast<const DriverInputRecord*>(arg);
    return std::to_string(r->value) + "/" + std::to_string(r->extra);
  }
  return reinterpret_cast<const char*>(arg);
}

// Posts `code` with an argument in memory that is freed at once; what the
// handler is to read.
std::string PostAndFree(QtNotificationHub& hub, int code) {
  if (code == kNotifySerialOutput1 || code == kNotifySerialOutput2) {
    const std::string text = "blink";
    auto chars8 = std::make_unique<uint8_t[]>(text.size());
    auto chars16 = std::make_unique<uint16_t[]>(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) chars8[i] = chars16[i] = uint8_t(text[i]);
    auto record = std::make_unique<SerialOutputRecord>();
    record->window = 1;
    record->count = int32_t(text.size());
    record->chars = code == kNotifySerialOutput1 ? static_cast<const void*>(chars8.get()) : chars16.get();
    hub.Post(code, reinterpret_cast<intptr_t>(record.get()));
    return "1:" + text;
  }
  if (code == kNotifyDriverCall) {
    auto record = std::make_unique<DriverInputRecord>();
    record->value = 0x41;
    record->extra = 7;
    hub.Post(code, reinterpret_cast<intptr_t>(record.get()));
    return "65/7";
  }
  auto text = std::make_unique<std::string>("Running: pass " + std::to_string(code));
  hub.Post(code, reinterpret_cast<intptr_t>(text->c_str()));
  return *text;
}

class PostedArgumentTest : public ::testing::TestWithParam<PostedRow> {};

TEST_P(PostedArgumentTest, TheHandlerReadsWhatWasPostedAfterThePosterFreedIt) {
  const PostedRow& row = GetParam();
  QtNotificationHub hub;
  std::vector<std::string> seen;
  hub.SetHandler([&](int code, intptr_t arg) -> intptr_t {
    seen.push_back(ReadPosted(code, arg));
    return 0;
  });
  std::string expected;
  if (row.fromWorker) {
    std::thread worker([&] { expected = PostAndFree(hub, row.code); });
    worker.join();
  } else {
    expected = PostAndFree(hub, row.code);
  }
  EXPECT_TRUE(seen.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(seen, std::vector<std::string>{expected});
}

INSTANTIATE_TEST_SUITE_P(Rows, PostedArgumentTest, ::testing::ValuesIn(kPostedRows),
                         [](const ::testing::TestParamInfo<PostedRow>& info) { return info.param.name; });

TEST(QtTimerPortTest, FiresUntilKilled) {
  QtTimerPort timers;
  int fired = 0;
  int id = timers.StartTimer(5, [&](int firing) {
    ++fired;
    EXPECT_NE(firing, 0);
    timers.KillTimer(firing);
  });
  EXPECT_NE(id, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return fired > 0; }, test::kHangWaitMs));
  QTest::qWait(60);  // room for a second firing, which must not come
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

struct DefaultRow {
  const char* name;
  int kind;
  int answer;  // what Enter answers
};

class BoxDefault : public ::testing::TestWithParam<DefaultRow> {};

// Enter takes the box's default button: the first, or the second where the
// question asks so (a yes that cannot be undone is never the default).
TEST_P(BoxDefault, EnterAnswersTheDefaultButton) {
  QtUserDialogs dialogs(nullptr);
  QTimer press;
  QObject::connect(&press, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) QTest::keyClick(box, Qt::Key_Return);
  });
  press.start(10);
  EXPECT_EQ(dialogs.MessageBox("Write through the link ?", GetParam().kind), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BoxDefault,
    ::testing::Values(DefaultRow{"YesNo", kMbYesNo | kMbIconQuestion, kIdYes},
                      DefaultRow{"YesNoSecondDefault", kMbYesNo | kMbIconQuestion | kMbDefButton2, kIdNo},
                      DefaultRow{"OkCancelSecondDefault", kMbOkCancel | kMbDefButton2, kIdCancel}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
