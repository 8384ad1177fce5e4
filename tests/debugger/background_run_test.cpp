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

// What a typed resuming command is, so that the driver's own stops on the
// way (the UART stand-in's) go on with it: a run, or the step it is, with
// the command that goes on with the step (one step, without a count).
struct ResumeRow {
  const char* name;
  const char* typed;
  bool resumes;
  int stepMode;
  const char* again;
  const char* location = "";
};

const ResumeRow kResumeRows[] = {
    {"Continue", "continue", true, -1, ""},
    {"JumpIsARun", "jump 40", true, -1, ""},
    {"Next", "next", true, 1, "next &"},
    {"NextAbbreviated", "n", true, 1, "next &"},
    {"NextWithACountGoesOnByOne", "next 3", true, 1, "next &"},
    {"Step", "s", true, 0, "step &"},
    {"StepInstruction", "si", true, 3, "stepi &"},
    {"NextInstruction", "nexti", true, 4, "nexti &"},
    {"Finish", "fin", true, 2, "finish &"},
    {"Until", "until", true, gdb::kTypedUntil, "until &"},
    {"UntilALine", "u 45", true, gdb::kTypedToLocation, "u 45 &", "45"},
    {"AdvanceInTheBackground", "advance Blinky.c:45 &", true, gdb::kTypedToLocation, "advance Blinky.c:45 &", "Blinky.c:45"},
    {"PrintIsNoResume", "print f()", false, -1, ""},
};

class TypedResumeTest : public ::testing::TestWithParam<ResumeRow> {};

TEST_P(TypedResumeTest, AResumingCommandIsARunOrItsStep) {
  const ResumeRow& row = GetParam();
  const gdb::TypedResume resume = gdb::TypedResumeOf(row.typed);
  EXPECT_EQ(resume.resumes, row.resumes);
  EXPECT_EQ(resume.stepMode, row.stepMode);
  EXPECT_EQ(resume.again, row.again);
  EXPECT_EQ(resume.location, row.location);
}

INSTANTIATE_TEST_SUITE_P(Rows, TypedResumeTest, ::testing::ValuesIn(kResumeRows),
                         [](const ::testing::TestParamInfo<ResumeRow>& info) { return info.param.name; });

}  // namespace
}  // namespace pm2
