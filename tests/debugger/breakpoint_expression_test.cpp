// Which expressions ask for a conditional breakpoint, and where a location
// ends and its condition begins, without a process.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "debugger/gdb/breakpoints/breakpoint_expression.h"

namespace pm2::gdb {
namespace {

struct TruthTextRow {
  const char* name;
  const char* expression;
  bool truth;
};
void PrintTo(const TruthTextRow& row, std::ostream* out) { *out << row.name; }

class TruthExpression : public ::testing::TestWithParam<TruthTextRow> {};

TEST_P(TruthExpression, IsTold) { EXPECT_EQ(IsTruthExpression(GetParam().expression), GetParam().truth); }

INSTANTIATE_TEST_SUITE_P(
    Rows, TruthExpression,
    ::testing::Values(TruthTextRow{"Equal", "U == 3", true}, TruthTextRow{"NotEqual", "U != 3", true},
                      TruthTextRow{"Less", "a < b", true}, TruthTextRow{"GreaterOrEqual", "a >= 4", true},
                      TruthTextRow{"And", "a && b", true}, TruthTextRow{"Or", "a || b", true},
                      TruthTextRow{"Not", "!flag", true}, TruthTextRow{"InParentheses", "((U == 3))", true},
                      TruthTextRow{"Function", "main", false}, TruthTextRow{"Number", "0x200", false},
                      TruthTextRow{"Shift", "base << 2", false}, TruthTextRow{"ShiftRight", "base >> 2", false},
                      TruthTextRow{"Member", "p->next", false}, TruthTextRow{"Index", "table[i == 1]", false},
                      TruthTextRow{"Call", "f(a == b)", false}, TruthTextRow{"Quoted", "\"a==b\"", false},
                      TruthTextRow{"Sum", "(a) + (b == 1)", false}, TruthTextRow{"Empty", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct ConditionRow {
  const char* name;
  const char* text;
  bool split;
  const char* location;
  const char* condition;
};
void PrintTo(const ConditionRow& row, std::ostream* out) { *out << row.name; }

class ConditionSplit : public ::testing::TestWithParam<ConditionRow> {};

TEST_P(ConditionSplit, TakesTheLocationAndItsCondition) {
  std::string location = "unchanged", condition = "unchanged";
  ASSERT_EQ(SplitCondition(GetParam().text, &location, &condition), GetParam().split);
  EXPECT_EQ(location, GetParam().location);
  EXPECT_EQ(condition, GetParam().condition);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConditionSplit,
    ::testing::Values(ConditionRow{"Function", "LED_On if n > 2", true, "LED_On", "n > 2"},
                      ConditionRow{"Address", "0x00000230 if a == 1 && b", true, "0x00000230", "a == 1 && b"},
                      ConditionRow{"None", "LED_On", false, "unchanged", "unchanged"},
                      ConditionRow{"WordInside", "diff == 2", false, "unchanged", "unchanged"},
                      ConditionRow{"Quoted", "\"x if y\"", false, "unchanged", "unchanged"},
                      ConditionRow{"NoCondition", "main if ", false, "unchanged", "unchanged"},
                      ConditionRow{"NoLocation", " if a", false, "unchanged", "unchanged"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2::gdb
