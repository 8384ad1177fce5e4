// Where a step stops, read from gdb's texts: the line that starts at an
// address, and the end of a step printed as gdb prints its own.
#include <gtest/gtest.h>

#include "debugger/gdb/commands/step_places.h"

namespace pm2 {
namespace {

struct StepEndRow {
  const char* name;
  const char* frame;  // gdb's "frame" text at the stop
  bool sameFrame;
  const char* printed;
};

const StepEndRow kStepEndRows[] = {
    {"LineStartInTheStepsFrame", "#0  main () at Blinky.c:44\n44\t    Serial_PutChar((char)('0' + pattern_step));\n",
     true, "44\t    Serial_PutChar((char)('0' + pattern_step));\n"},
    {"InsideALineOfTheStepsFrame",
     "#0  0x00000270 in main () at Blinky.c:43\n43\t    Serial_PutString(\"LED \");\n", true,
     "0x00000270\t43\t    Serial_PutString(\"LED \");\n"},
    {"AnotherFrame", "#0  main () at Blinky.c:44\n44\t    Serial_PutChar((char)('0' + pattern_step));\n", false,
     "main () at Blinky.c:44\n44\t    Serial_PutChar((char)('0' + pattern_step));\n"},
    {"AnotherFrameInsideALine", "#0  0x00000270 in main () at Blinky.c:43\n43\t    Serial_PutString(\"LED \");\n",
     false, "0x00000270 in main () at Blinky.c:43\n43\t    Serial_PutString(\"LED \");\n"},
    {"NoSourceLine", "#0  0x00000020 in ?? ()\n", true, "0x00000020 in ?? ()\n"},
    {"NotAFrameText", "No stack.\n", true, "No stack.\n"},
};

class StepEndTextTest : public ::testing::TestWithParam<StepEndRow> {};

TEST_P(StepEndTextTest, IsWhatGdbPrintsAtTheEndOfItsStep) {
  EXPECT_EQ(gdb::StepEndText(GetParam().frame, GetParam().sameFrame), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(Rows, StepEndTextTest, ::testing::ValuesIn(kStepEndRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct LineStartRow {
  const char* name;
  const char* info;
  const char* address;
  bool starts;
};

const LineStartRow kLineStartRows[] = {
    {"StartsThere", "Line 44 of \"Blinky.c\" starts at address 0x270 <main+80> and ends at 0x280 <main+96>.\n",
     "0x00000270", true},
    {"StartsElsewhere", "Line 44 of \"Blinky.c\" starts at address 0x270 <main+80> and ends at 0x280 <main+96>.\n",
     "0x00000278", false},
    {"InsideTheLine", "Line 43 of \"Blinky.c\" starts at address 0x264 <main+68> and ends at 0x270 <main+80>.\n",
     "0x00000268", false},
    {"NoLineThere", "No line number information available for address 0x20\n", "0x00000020", false},
};

class LineStartsAtTest : public ::testing::TestWithParam<LineStartRow> {};

TEST_P(LineStartsAtTest, ReadsGdbsInfoLine) {
  EXPECT_EQ(gdb::LineStartsAt(GetParam().info, GetParam().address), GetParam().starts);
}

INSTANTIATE_TEST_SUITE_P(Rows, LineStartsAtTest, ::testing::ValuesIn(kLineStartRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
