#include "editor/document/code_lines.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace pm2 {
namespace {

// The example's Timer.c as gdb-multiarch lists its lines (-symbol-list-lines)
// for the program the example builds: line 10 (`T0MR0 = ...`) has code at
// 0x448 to 0x463 in four pairs; Timer_Init opens on line 7 at 0x41C and its
// body starts on line 8 at 0x430, where gdb's "break Timer_Init" stops.
const std::vector<DbgLinePair> kTimerC = {
    {7, 0x41C},  {8, 0x430},  {8, 0x434},  {9, 0x43C},  {9, 0x440},  {10, 0x448}, {10, 0x458}, {10, 0x45C},
    {10, 0x460}, {11, 0x464}, {11, 0x468}, {12, 0x470}, {12, 0x474}, {13, 0x47C}, {13, 0x480}, {14, 0x488},
    {16, 0x4B0}, {17, 0x4BC}, {17, 0x4C4}, {17, 0x4C8}, {18, 0x4D0}, {18, 0x4D4}, {19, 0x4DC}, {21, 0x4F0},
    {22, 0x4F8}, {24, 0x510}, {25, 0x524}, {26, 0x52C}, {28, 0x54C}};

CodeLines Timer() {
  static const DbgLineTableRecord record{uint32_t(kTimerC.size()), kTimerC.data()};
  return CodeLines(&record);
}

struct AddressRow {
  const char* name;
  uint32_t line;
  bool hasCode;
  uint32_t address;  // the line's code address, what gdb's "break Timer.c:<line>" takes
};
class CodeLineAddress : public ::testing::TestWithParam<AddressRow> {};
TEST_P(CodeLineAddress, IsTheFirstStatementAddress) {
  uint32_t address = 0;
  ASSERT_EQ(Timer().Address(GetParam().line, &address), GetParam().hasCode);
  EXPECT_EQ(address, GetParam().address);
}
INSTANTIATE_TEST_SUITE_P(TimerC, CodeLineAddress,
                         ::testing::Values(AddressRow{"MatchRegisterLine", 10, true, 0x448},
                                           AddressRow{"FirstBodyLineOfTimerInit", 8, true, 0x430},
                                           AddressRow{"OpeningLineOfTimerInit", 7, true, 0x41C},
                                           AddressRow{"FirstBodyLineOfTimerTicks", 17, true, 0x4BC},
                                           AddressRow{"LoopLine", 26, true, 0x52C},
                                           AddressRow{"LastLine", 28, true, 0x54C},
                                           AddressRow{"CommentLine", 6, false, 0},
                                           AddressRow{"ElseLessBraceLine", 20, false, 0}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(CodeLines, RangesOfALineJoinItsPairs) {
  const CodeLines t = Timer();
  ASSERT_EQ(t.Ranges(10).size(), 1u);
  EXPECT_EQ(t.Ranges(10)[0].begin, 0x448u);
  EXPECT_EQ(t.Ranges(10)[0].end, 0x464u);
  EXPECT_TRUE(t.Ranges(20).empty());
  uint32_t address = 0;
  ASSERT_TRUE(t.AddressAtOrAfter(20, &address));
  EXPECT_EQ(address, 0x4F0u) << "a line without code takes the next line's";
}

struct CodeTableRow {
  const char* name;
  std::vector<DbgLinePair> pairs;
  std::map<uint32_t, uint32_t> lines;  // line -> address
};
class CodeLineTable : public ::testing::TestWithParam<CodeTableRow> {};
TEST_P(CodeLineTable, Lines) {
  const DbgLineTableRecord record{uint32_t(GetParam().pairs.size()), GetParam().pairs.data()};
  EXPECT_EQ(CodeLines(&record).Lines(), GetParam().lines);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, CodeLineTable,
    ::testing::Values(CodeTableRow{"Empty", {}, {}},
                      CodeTableRow{"EqualAddressLastWins", {{3, 0x200}, {7, 0x200}, {8, 0x208}}, {{7, 0x200}, {8, 0x208}}},
                      CodeTableRow{"LineInTwoPlacesTakesTheLower", {{6, 0x410}, {5, 0x414}, {6, 0x400}}, {{5, 0x414}, {6, 0x400}}},
                      CodeTableRow{"EndMarkerIsNoLine", {{4, 0x100}, {0, 0x108}}, {{4, 0x100}}}),
    [](const auto& i) { return std::string(i.param.name); });

// A driver's breakpoints by address, answering DbgBreakpoint ops 1 and 7.
struct Breakpoints {
  std::map<uint32_t, uint32_t> at;  // address -> 1 enabled, 2 disabled (| executed bits for op 7)
  std::function<uint32_t(uint32_t, int32_t)> Query() {
    return [this](uint32_t address, int32_t op) {
      auto it = at.find(address);
      const uint32_t v = it == at.end() ? 0 : it->second;
      return op == 7 ? v : v & 3;
    };
  }
};

// A header's line table as the GDB driver answers it: the copy in Timer.c's
// unit, then the one in LED.c's, each ending where that unit's code of the
// header ends (line 0); LED.c's own functions lie between the two copies.
TEST(CodeLines, AHeadersLastLineEndsWithItsCopy) {
  const std::vector<DbgLinePair> pairs = {{10, 0x454}, {11, 0x468}, {12, 0x470}, {0, 0x480},
                                          {10, 0x320}, {11, 0x334}, {12, 0x33C}, {0, 0x34C}};
  const DbgLineTableRecord record{uint32_t(pairs.size()), pairs.data()};
  const CodeLines t(&record);
  ASSERT_EQ(t.Ranges(12).size(), 2u);
  EXPECT_EQ(t.Ranges(12)[0].begin, 0x33Cu);
  EXPECT_EQ(t.Ranges(12)[0].end, 0x34Cu);
  EXPECT_EQ(t.Ranges(12)[1].begin, 0x470u);
  EXPECT_EQ(t.Ranges(12)[1].end, 0x480u);
  // A breakpoint in LED.c's code between the copies is none of the header's.
  Breakpoints b{{{0x3F0, 1}}};
  EXPECT_TRUE(LineBreakpoints(t.Ranges(12), b.Query()).empty());
  EXPECT_EQ(LineBreakState(0x33C, t.Ranges(12), b.Query()), 0u);
}

struct StateRow {
  const char* name;
  std::map<uint32_t, uint32_t> breakpoints;
  uint32_t state;  // of line 10
};
class LineState : public ::testing::TestWithParam<StateRow> {};
TEST_P(LineState, ShowsABreakpointAnywhereInTheLine) {
  Breakpoints b{GetParam().breakpoints};
  EXPECT_EQ(LineBreakState(0x448, Timer().Ranges(10), b.Query()), GetParam().state);
}
INSTANTIATE_TEST_SUITE_P(
    TimerC, LineState,
    ::testing::Values(StateRow{"None", {}, 0}, StateRow{"AtTheLinesAddress", {{0x448, 1}}, 1},
                      StateRow{"AtTheLastInstruction", {{0x460, 1}}, 1},
                      StateRow{"DisabledInTheMiddle", {{0x44C, 2}}, 2},
                      StateRow{"OneEnabledMakesItRed", {{0x448, 2}, {0x45C, 1}}, 1},
                      StateRow{"ExecutedBitsOfTheOwnAddress", {{0x448, 0x4}, {0x458, 1}}, 0x5},
                      StateRow{"NextLineIsNotThisOne", {{0x464, 1}}, 0}),
    [](const auto& i) { return std::string(i.param.name); });

TEST(LineBreakpoints, ListsEveryAddressOfTheLineThatHasOne) {
  Breakpoints b{{{0x430, 1}, {0x434, 2}, {0x43C, 1}}};
  EXPECT_EQ(LineBreakpoints(Timer().Ranges(8), b.Query()), (std::vector<uint32_t>{0x430, 0x434}));
}

}  // namespace
}  // namespace pm2
