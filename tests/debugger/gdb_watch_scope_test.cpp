// A watch row whose name the place the target stopped at does not see is
// out of scope, as the window has always shown it, and shows its value
// again once the target is back where the name is known. On the example
// program under qemu.
#include <string>

#include "debugger/model/watch_format.h"
#include "debugger/model/watch_model.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace {

TEST_F(GdbSessionTest, AWatchedLocalOfAnotherFunctionIsOutOfScope) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  StepOver();  // n holds LED_Count()'s answer
  DebugInterface* record = r;
  WatchModel watch(false, &record);
  watch.Attach();
  watch.AddExpression("n");
  ASSERT_GE(watch.Rows().size(), 1u);
  const WatchItem& row = *watch.Rows()[0];
  EXPECT_EQ(row.value, "8") << CommandTexts();
  EXPECT_FALSE(row.flags & kWatchOutScope);

  // In LED_On main's n is no name gdb knows.
  ASSERT_EQ(r->DbgExecCommand("BS LED_On", 9), 0) << CommandTexts();
  const uint32_t ledOn = Evaluate("&LED_On");
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= ledOn && r->pc < ledOn + 32; }))
      << CommandTexts();
  watch.Refresh();
  EXPECT_EQ(row.value, kWatchOutOfScopeText);
  EXPECT_TRUE(row.flags & kWatchOutScope);
  EXPECT_FALSE(row.flags & kWatchFailed);

  // Back in main: its value again, which is no change.
  session->Step(kDbgStepOut);
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  watch.Refresh();
  EXPECT_EQ(row.value, "8") << CommandTexts();
  EXPECT_FALSE(row.flags & kWatchOutScope);
  EXPECT_FALSE(row.flags & kWatchChanged);
}

}  // namespace
}  // namespace pm2
