// gdb's resuming commands typed on the command page run in the background
// (gdb keeps reading its input, so a stop request reaches it); every other
// line reaches gdb as typed.
#include <gtest/gtest.h>

#include "debugger/gdb/commands/background_run.h"

namespace pm2 {
namespace {

struct BackgroundRow {
  const char* name;
  const char* typed;
  const char* sent;
};

const BackgroundRow kBackgroundRows[] = {
    {"Continue", "continue", "continue &"},
    {"ContinueAbbreviated", "c", "c &"},
    {"ContinueWithACount", "cont 3  ", "cont 3 &"},
    {"Next", "next", "next &"},
    {"NextInstruction", "ni", "ni &"},
    {"StepInstructions", "stepi 4", "stepi 4 &"},
    {"UntilALine", "until 30", "until 30 &"},
    {"Advance", "adv LED_On", "adv LED_On &"},
    {"Finish", "fin", "fin &"},
    {"InTheBackgroundAlready", "continue &", "continue &"},
    {"ConditionIsNoContinue", "condition 1 x", "condition 1 x"},
    {"ShowIsNoStep", "show step-mode", "show step-mode"},
    {"SetVar", "set var U = 7", "set var U = 7"},
    {"PrintACall", "print f()", "print f()"},
    {"NotACommandWord", "c3", "c3"},
};

class BackgroundRunTest : public ::testing::TestWithParam<BackgroundRow> {};

TEST_P(BackgroundRunTest, AResumingCommandIsRunInTheBackground) {
  EXPECT_EQ(gdb::InBackground(GetParam().typed), GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(Rows, BackgroundRunTest, ::testing::ValuesIn(kBackgroundRows),
                         [](const ::testing::TestParamInfo<BackgroundRow>& info) { return info.param.name; });

}  // namespace
}  // namespace pm2
