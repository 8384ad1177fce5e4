// The walk's check that the window takes the user's input: a key queued
// where the platform queues a user's is taken by an event loop that takes
// input, and waits through one that shuts out the keyboard and mouse, however
// busy its timers and posted calls keep it. The program's own time is a
// clock of the test's, moved on by hand at each turn of the loop.
#include <gtest/gtest.h>
#include <sys/syscall.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <QWidget>

#include "frame/frame_fixture.h"
#include "walk_input_answered.h"

namespace pm2 {
namespace {

struct InputRow {
  const char* name;
  QEventLoop::ProcessEventsFlags loop;  // how each turn of the loop runs
  bool answered;                        // the check passes
};

const InputRow kInputRows[] = {
    {"ALoopThatTakesInput", QEventLoop::AllEvents, true},
    {"ALoopThatShutsOutKeyboardAndMouseWhileTimersRun", QEventLoop::ExcludeUserInputEvents, false},
};

class InputAnsweredTest : public ::testing::TestWithParam<InputRow> {};

TEST_P(InputAnsweredTest, TheCheckJudgesWhetherTheKeyWasTaken) {
  const InputRow& row = GetParam();
  QWidget window;
  window.resize(200, 100);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  double now = 100;
  test::InputWatch watch([&now] { return now; });
  watch.Restart();
  // The first key goes out.
  watch.Tick();
  // Eight seconds of the program's time, a turn of the loop each; the
  // program's own work (a posted call) goes on at every turn.
  int work = 0;
  for (int second = 0; second < 8; ++second) {
    QMetaObject::invokeMethod(&window, [&work] { ++work; }, Qt::QueuedConnection);
    now += 1;
    QCoreApplication::processEvents(row.loop);
  }
  EXPECT_EQ(work, 8) << "the loop did not turn";
  const std::string said = test::InputUnanswered(watch.Longest(), 5);
  EXPECT_EQ(said.empty(), row.answered) << said;
  if (!row.answered) {
    EXPECT_NE(said.find("did not take the user's input for 8.0 s"), std::string::npos) << said;
    // The key waited, it was not lost: the next loop that takes input
    // takes it.
    EXPECT_EQ(watch.taken, 0);

    EXPECT_TRUE(test::WaitFor([&] { return watch.taken > 0; }));
  }
}

INSTANTIATE_TEST_SUITE_P(Loops, InputAnsweredTest, ::testing::ValuesIn(kInputRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2

namespace pm2::test {
namespace {

// The time a loaded machine took from the GUI thread over a gap: its own
// wait for a processor, and its blocked time as far as a thread it may wait
// for (gdb, a worker) waited for one; a thread that spins or is blocked on
// work that runs keeps its time, whatever the load.
struct LoadTakenRow {
  const char* name;
  double gap, ran, waited, othersWaited, taken;
};
const LoadTakenRow kLoadTakenRows[] = {
    {"SpinningAllTheGap", 6, 6, 0, 5, 0},
    {"WaitingForAProcessor", 6, 1, 5, 0, 5},
    {"BlockedOnGdbWhileItWaitedForAProcessor", 6, 0.5, 0.5, 4.5, 5},
    {"BlockedOnGdbThatRan", 6, 0.5, 0.5, 0.2, 0.7},
    {"OthersWaitedLongerThanTheThreadWasBlocked", 6, 4, 1, 9, 2},
};
class LoadTakenTest : public ::testing::TestWithParam<LoadTakenRow> {};
TEST_P(LoadTakenTest, OnlyTheMachinesLoadIsTakenOff) {
  const LoadTakenRow& r = GetParam();
  EXPECT_DOUBLE_EQ(LoadTaken(r.gap, r.ran, r.waited, r.othersWaited), r.taken);
}
INSTANTIATE_TEST_SUITE_P(Gaps, LoadTakenTest, ::testing::ValuesIn(kLoadTakenRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A sleep of a fixed time in the GUI thread waits for nobody: the ticks it
// slept through give it no credit for the others' waits, so a held thread
// hangs however loaded the machine; a loop that polls with short sleeps
// runs between them and keeps its credit, and so does a wait for a lock.
struct SleptRow {
  const char* name;
  long call;
  unsigned long long before, now;
  bool slept;
};
const SleptRow kSleptRows[] = {
    {"OneLongSleep", SYS_clock_nanosleep, 7, 7, true},
    {"PollingWithShortSleeps", SYS_clock_nanosleep, 7, 19, false},
    {"WaitingForALock", SYS_futex, 7, 7, false},
    {"NotInASystemCall", -1, 7, 7, false},
#ifdef SYS_nanosleep
    {"OldSleepCall", SYS_nanosleep, 3, 3, true},
#endif
};
class SleptThroughTest : public ::testing::TestWithParam<SleptRow> {};
TEST_P(SleptThroughTest, OnlyASleepThroughTheTickLosesTheCredit) {
  const SleptRow& r = GetParam();
  EXPECT_EQ(SleptThrough(r.call, r.before, r.now), r.slept);
}
INSTANTIATE_TEST_SUITE_P(Ticks, SleptThroughTest, ::testing::ValuesIn(kSleptRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2::test
