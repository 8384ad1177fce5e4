// Which texts gdb would only read: the literals it would place in target
// memory, also where one alone is, and an edit split at its assignment.
#include "debugger/gdb/commands/expression_effects.h"

#include <gtest/gtest.h>

#include <string>

namespace pm2::gdb {
namespace {

constexpr const char* kWritten = " is not allowed: gdb would write it into target memory";

// What a client's text is by gdb's rules (the GDB driver's answer to the
// interface's question whether an expression only reads).
struct ReadOnlyRow {
  const char* name;
  const char* text;
  const char* fault;  // "" when the text only reads
};

const ReadOnlyRow kReadOnlyRows[] = {
    {"RegisterName", "R1", ""},
    {"Member", "timer.count", ""},
    {"Pointer", "p->next", ""},
    {"CastAndDereference", "*(unsigned long *)0x40000000", ""},
    {"Comparisons", "R1 == 2 && R2 != 3 && R3 <= 4 && R4 >= 5", ""},
    {"Shift", "R1 << 2", ""},
    {"Sizeof", "sizeof x", ""},
    {"SizeofBrackets", "sizeof(int)", ""},
    {"EqualsInQuotes", "\"a=b\"", ""},
    {"Assignment", "R1 = 7", "an assignment is not allowed"},
    {"AssignmentWithoutBlanks", "R1=7", "an assignment is not allowed"},
    {"CompoundAssignment", "x += 1", "an assignment is not allowed"},
    {"ShiftAssignment", "x <<= 1", "an assignment is not allowed"},
    {"AssignmentInBrackets", "(x = 1)", "an assignment is not allowed"},
    {"Increment", "x++", "an increment or decrement is not allowed"},
    {"Decrement", "--x", "an increment or decrement is not allowed"},
    {"Call", "f(1)", "the function call 'f(' is not allowed"},
    {"GdbFunction", "$_shell(\"touch x\")", "the function call '$_shell(' is not allowed"},
    {"CommandWord", "INCLUDE x.ini", "'INCLUDE x.ini' is not one expression"},
    {"ToolBoxCommand", "KILL BUTTON *", "'KILL BUTTON *' is not one expression"},
    {"OpenQuote", "\"abc", "the text's quotes are not closed"},
    // A call however its callee is written: bracketed, through a pointer,
    // inside a sum, without arguments, on an index or a member.
    {"CallOfBracketedName", "(LED_On)(2)", "the function call '(LED_On)(' is not allowed"},
    {"CallThroughPointer", "(*LED_On)(2)", "the function call '(*LED_On)(' is not allowed"},
    {"CallInASum", "(LED_On)(2)+R0", "the function call '(LED_On)(' is not allowed"},
    {"CallWithoutArguments", "(main)()", "the function call '(main)(' is not allowed"},
    {"CallWithBlanks", "( main ) ( )", "the function call '( main ) (' is not allowed"},
    {"CallInsideBrackets", "R0 + ((LED_On)(2))", "the function call '(LED_On)(' is not allowed"},
    {"CallOfACastValue", "((void (*)(int))0x220)(2)", "the function call '((void (*)(int))0x220)(' is not allowed"},
    {"CallAfterACast", "(int)(LED_On)(2)", "the function call '(LED_On)(' is not allowed"},
    {"CallOfAnIndex", "table[1](2)", "the function call 'table[1](' is not allowed"},
    {"CallOfAMember", "ops.start(1)", "the function call 'start(' is not allowed"},
    {"CallInSizeof", "sizeof(LED_On(2))", "the function call 'LED_On(' is not allowed"},
    {"CallOfAGdbFunctionBracketed", "($_shell)(\"touch x\")", "the function call '($_shell)(' is not allowed"},
    // Casts are no calls: what follows them in brackets is their operand.
    {"CastOfBracketed", "(unsigned long)(R0 + 4)", ""},
    {"CastToPointerOfOwnType", "*(uint32_t *)(0x40000000)", ""},
    {"CastToStruct", "((struct timer *)(R0))->count", ""},
    {"CastToFunctionPointer", "(void (*)(int))0x220", ""},
    {"GdbCastOfBracketed", "{int}(0x40000000)", ""},
    {"GroupedSum", "(R0 + 4) * 2", ""},
};

class ReadOnlyTexts : public ::testing::TestWithParam<ReadOnlyRow> {};

TEST_P(ReadOnlyTexts, OnlyOneReadingExpressionIsTaken) {
  EXPECT_EQ(ReadOnlyExpressionFault(GetParam().text), GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReadOnlyTexts, ::testing::ValuesIn(kReadOnlyRows),
                         [](const auto& info) { return std::string(info.param.name); });

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
