// Which texts gdb would only read: the literals it would place in target
// memory, also where one alone is, and an edit split at its assignment.
#include "debugger/gdb/commands/expression_effects.h"

#include <gtest/gtest.h>

#include <string>

namespace pm2::gdb {
namespace {

constexpr const char* kWritten = " is not allowed: gdb would write it into target memory";

struct LiteralRow {
  const char* name;
  const char* text;
  const char* literal;  // the one refused, "" when the text only reads
};

const LiteralRow kLiteralRows[] = {
    {"ShownWhole", "\"abc\"", ""},
    {"ShownWholeInBrackets", "((\"abc\"))", ""},
    {"Indexed", "\"abc\"[1]", ""},
    {"IndexedInBrackets", "(\"abc\")[1] + 1", ""},
    {"Measured", "sizeof \"abc\" + 1", ""},
    {"MeasuredInBrackets", "sizeof(\"abc\")", ""},
    {"ConcatenatedShownWhole", "\"ab\" \"cd\"", ""},
    {"ArrayIndexed", "{1, 2}[1]", ""},
    {"CharacterOfAQuote", "'\"' + 1", ""},
    {"GdbCastOfAType", "{unsigned int} 0x40000000", ""},
    {"GdbCastOfOwnType", "{uint32_t} 0x40000000", ""},
    {"GdbCastOfOwnTypeBracketed", "{uint32_t}(0x40000000)", ""},
    {"Sum", "\"abc\" + 1", "\"abc\""},
    {"SumInBrackets", "(\"abc\") + 1", "\"abc\""},
    {"Dereferenced", "*\"A\"", "\"A\""},
    {"Cast", "(char *)\"abc\"", "\"abc\""},
    {"GdbCastOfALiteral", "{char}\"abc\"", "\"abc\""},
    {"Compared", "x == \"abc\"", "\"abc\""},
    {"Negated", "!\"abc\"", "\"abc\""},
    {"MeasuredSum", "sizeof(\"abc\" + 1)", "\"abc\""},
    {"ConcatenatedSum", "\"ab\" \"cd\" + 1", "\"ab\" \"cd\""},
    {"Prefixed", "L\"ab\" + 1", "L\"ab\""},
    {"ElementOfAnArray", "{\"ab\", \"cd\"}[1] + 1", "\"ab\""},
    {"ArrayDereferenced", "*{1, 2}", "{1, 2}"},
    {"ArrayOfAName", "{x} - 1", "{x}"},
    {"Chosen", "x ? \"a\" : \"b\"", "\"a\""},
};

class Literals : public ::testing::TestWithParam<LiteralRow> {};

TEST_P(Literals, ALiteralIsReadOnlyWhereGdbKeepsItInItsOwnMemory) {
  const LiteralRow& row = GetParam();
  const std::string expected = row.literal[0] ? "the literal '" + std::string(row.literal) + "'" + kWritten : "";
  EXPECT_EQ(ReadOnlyExpressionFault(row.text), expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, Literals, ::testing::ValuesIn(kLiteralRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A value edit's value or a watch row: a literal alone would be placed in
// target memory too.
TEST(WholeLiteral, IsRefusedWhereGdbWouldAssignItOrGiveItsAddress) {
  const auto fault = [](const char* text) { return ReadOnlyExpressionFault(text, WholeLiteral::Refused); };
  EXPECT_EQ(fault("pattern_step + 2"), "");
  EXPECT_EQ(fault("\"abc\"[0]"), "");
  EXPECT_EQ(fault("'a'"), "");
  EXPECT_EQ(fault("\"abc\""), "the literal '\"abc\"'" + std::string(kWritten));
  EXPECT_EQ(fault("(\"abc\")"), "the literal '\"abc\"'" + std::string(kWritten));
  EXPECT_EQ(fault("{1, 2}"), "the literal '{1, 2}'" + std::string(kWritten));
  EXPECT_EQ(fault("LED_On(3)"), "the function call 'LED_On(' is not allowed");
  EXPECT_EQ(fault("*(unsigned*)0x40000200 = 0x55"), "an assignment is not allowed");
}

struct SplitRow {
  const char* name;
  const char* text;
  bool split;
  const char* target;
  const char* value;
};

const SplitRow kSplitRows[] = {
    {"Edit", " `n = LED_On(3)", true, " `n ", " LED_On(3)"},
    {"SecondAssignmentInTheValue", "x = *p = 5", true, "x ", " *p = 5"},
    {"ComparisonInAnIndex", "a[i == 1] = 2", true, "a[i == 1] ", " 2"},
    {"EqualsInQuotes", "s = \"a=b\"", true, "s ", " \"a=b\""},
    {"ComparisonsOnly", "a == b && c <= d && e >= f && g != h", false, "", ""},
    {"None", "pattern_step", false, "", ""},
};

class Split : public ::testing::TestWithParam<SplitRow> {};

TEST_P(Split, AnEditAtItsAssignment) {
  const SplitRow& row = GetParam();
  std::string_view target, value;
  ASSERT_EQ(SplitAssignment(row.text, &target, &value), row.split);
  if (!row.split) return;
  EXPECT_EQ(target, row.target);
  EXPECT_EQ(value, row.value);
}

INSTANTIATE_TEST_SUITE_P(Rows, Split, ::testing::ValuesIn(kSplitRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2::gdb
