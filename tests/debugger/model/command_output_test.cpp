// The command window's output list: line cutting, limits, echo and history,
// the input request's bounded copy, the prompt.
#include <gtest/gtest.h>

#include <string>

#include "debugger/model/command_output.h"

namespace pm2 {
namespace {

struct AppendRow {
  const char* name;
  std::string text;
  std::vector<std::string> lines;
  std::string pending;
};

class CommandAppend : public ::testing::TestWithParam<AppendRow> {};

TEST_P(CommandAppend, CutsLines) {
  CommandOutput out;
  const AppendRow& row = GetParam();
  EXPECT_EQ(out.Append(row.text.c_str()), row.text.size());
  ASSERT_EQ(out.LineCount(), row.lines.size());
  for (size_t i = 0; i < row.lines.size(); ++i) EXPECT_EQ(out.Line(i).text, row.lines[i]) << i;
  EXPECT_EQ(out.Pending(), row.pending);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandAppend,
    ::testing::Values(
        AppendRow{"CarriageReturnDropped", "ab\r\ncd", {"ab"}, "cd"},
        AppendRow{"TabIsOneBlank", "a\tb\n", {"a b"}, ""},
        AppendRow{"LongTextSplitAt290", std::string(600, 'x'), {std::string(290, 'x'), std::string(290, 'x')},
                  std::string(20, 'x')},
        AppendRow{"EmptyLinesKept", "\n\nz\n", {"", "", "z"}, ""},
        AppendRow{"Exactly290StaysPending", std::string(290, 'y'), {}, std::string(290, 'y')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandOutput, PendingLineEndsWithLaterLineFeed) {
  CommandOutput out;
  out.Append("ab\r\ncd");
  out.Append("\n");
  ASSERT_EQ(out.LineCount(), 2u);
  EXPECT_EQ(out.Line(1).text, "cd");
  EXPECT_EQ(out.CharCount(), 6u);
}

TEST(CommandOutput, NullClearsEverything) {
  CommandOutput out;
  out.Append("one\ntwo");
  out.Append(nullptr);
  EXPECT_EQ(out.LineCount(), 0u);
  EXPECT_EQ(out.Pending(), "");
  EXPECT_EQ(out.CharCount(), 0u);
  EXPECT_EQ(out.Longest(), 0u);
}

TEST(CommandOutput, LineLimitDropsFiftyOldest) {
  CommandOutput out;
  for (size_t i = 0; i < CommandOutput::kMaxLines; ++i) out.AddLine(std::to_string(i));
  ASSERT_EQ(out.LineCount(), CommandOutput::kMaxLines);
  out.AddLine("new");
  EXPECT_EQ(out.LineCount(), CommandOutput::kMaxLines - 50 + 1);
  EXPECT_EQ(out.Line(0).text, "50");
  EXPECT_EQ(out.Line(out.LineCount() - 1).text, "new");
}

TEST(CommandOutput, CharacterLimitDropsOldestUntilBelow) {
  CommandOutput out;
  const std::string line(289, 'c');  // 290 counted each
  size_t added = 0;
  while (out.CharCount() + 290 < CommandOutput::kMaxChars) {
    out.AddLine(line);
    ++added;
  }
  const size_t before = out.LineCount();
  out.AddLine(line);
  EXPECT_LT(out.CharCount(), CommandOutput::kMaxChars);
  EXPECT_EQ(out.LineCount(), before);  // one dropped, one added
  EXPECT_EQ(out.Dropped(), 1u);
  EXPECT_GT(added, 400u);
}

TEST(CommandOutput, EchoSelectsOnlyTheNextNonEmptyLine) {
  CommandOutput out;
  out.SetEcho();
  out.AddLine("typed");
  out.AddLine("answer");
  out.SetEcho();
  out.AddLine("");
  out.AddLine("later");
  EXPECT_TRUE(out.Line(0).selected);
  EXPECT_FALSE(out.Line(1).selected);
  EXPECT_FALSE(out.Line(2).selected);
  EXPECT_FALSE(out.Line(3).selected);
}

TEST(CommandOutput, HistoryWalksSelectedLinesBothWays) {
  CommandOutput out;
  std::string line;
  ASSERT_TRUE(out.Enter("g", &line));
  out.Append("running\n");
  ASSERT_TRUE(out.Enter("BS main", &line));
  EXPECT_EQ(line, "BS main\n");
  out.Append("breakpoint set\n");
  std::string t;
  ASSERT_TRUE(out.HistoryUp(&t));
  EXPECT_EQ(t, "BS main");
  ASSERT_TRUE(out.HistoryUp(&t));
  EXPECT_EQ(t, "g");
  EXPECT_FALSE(out.HistoryUp(&t));
  EXPECT_EQ(out.HistoryCursor(), 0u);
  ASSERT_TRUE(out.HistoryDown(&t));
  EXPECT_EQ(t, "BS main");
  EXPECT_FALSE(out.HistoryDown(&t));
  EXPECT_EQ(out.HistoryCursor(), out.LineCount());
}

TEST(CommandOutput, HistoryWithoutSelectedLinesHasNoEntry) {
  CommandOutput out;
  out.Append("only output\n");
  std::string t;
  EXPECT_FALSE(out.HistoryUp(&t));
  EXPECT_FALSE(out.HistoryDown(&t));
}

TEST(CommandOutput, UserSelectionIsHistoryToo) {
  CommandOutput out;
  out.Append("a\nb\n");
  out.Select(0, true);
  std::string t;
  ASSERT_TRUE(out.HistoryUp(&t));
  EXPECT_EQ(t, "a");
}

TEST(CommandOutput, EmptyEnterSendsOneLineFeedAndSelectsNothing) {
  CommandOutput out;
  std::string line;
  ASSERT_TRUE(out.Enter("", &line));
  EXPECT_EQ(line, "\n");
  ASSERT_EQ(out.LineCount(), 1u);
  EXPECT_FALSE(out.Line(0).selected);
}

TEST(CommandOutput, TypedTextCutAt256) {
  CommandOutput out;
  std::string line;
  ASSERT_TRUE(out.Enter(std::string(300, 'q'), &line));
  EXPECT_EQ(line.size(), 257u);
}

struct RequestRow {
  const char* name;
  std::string typed;
  uint32_t capacity;
  std::string delivered;
};

class CommandRequest : public ::testing::TestWithParam<RequestRow> {};

TEST_P(CommandRequest, CopyStaysInsideTheBuffer) {
  const RequestRow& row = GetParam();
  CommandOutput out;
  std::string buffer(row.capacity + 16, '#');
  uint32_t length = 12345;
  out.Request({&length, buffer.data(), "Value?", row.capacity});
  EXPECT_EQ(out.Prompt(), "Value?");
  std::string line;
  EXPECT_FALSE(out.Enter(row.typed, &line));
  EXPECT_TRUE(line.empty());
  EXPECT_FALSE(out.RequestPending());
  EXPECT_EQ(length, row.delivered.size());
  EXPECT_EQ(std::string(buffer.c_str()), row.delivered);
  // Nothing beyond the stated capacity was touched.
  EXPECT_EQ(buffer.substr(row.capacity), std::string(16, '#'));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandRequest,
    ::testing::Values(RequestRow{"LineAndLineFeed", "12", 258, "12\n"},
                      RequestRow{"FullLineIn258", std::string(256, 'a'), 258, std::string(256, 'a') + "\n"},
                      RequestRow{"SmallBufferCut", "abcdefgh", 5, "abcd"},
                      RequestRow{"OneByteHoldsTerminatorOnly", "abc", 1, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct WordRow {
  const char* name;
  std::string line;
  std::string word;
};
class CommandHelpWords : public ::testing::TestWithParam<WordRow> {};
TEST_P(CommandHelpWords, F1) { EXPECT_EQ(CommandHelpWord(GetParam().line), GetParam().word); }
INSTANTIATE_TEST_SUITE_P(Rows, CommandHelpWords,
                         ::testing::Values(WordRow{"LeadingBlanks", "   display x", "display"},
                                           WordRow{"UnderscoreAndQuestion", "_is_set? 1", "_is_set?"},
                                           WordRow{"DigitEnds", "bs2 main", "bs"},
                                           WordRow{"Empty", "   ", ""},
                                           WordRow{"AtMost64", std::string(100, 'a'), std::string(64, 'a')},
                                           WordRow{"OnlyThe128First", std::string(127, ' ') + "go", "g"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandOutput, NullPromptCancelsTheRequest) {
  CommandOutput out;
  char buffer[8] = "keep";
  uint32_t length = 7;
  out.Request({&length, buffer, nullptr, sizeof buffer});
  out.SetPrompt(nullptr);
  std::string line;
  EXPECT_TRUE(out.Enter("x", &line));
  EXPECT_STREQ(buffer, "keep");
  EXPECT_EQ(length, 7u);
  EXPECT_EQ(out.Prompt(), ">");
}

TEST(CommandOutput, LongPromptKeepsItsLast63Characters) {
  CommandOutput out;
  std::string prompt;
  for (int i = 0; i < 100; ++i) prompt.push_back(char('A' + i % 26));
  out.SetPrompt(prompt.c_str());
  EXPECT_EQ(out.Prompt(), prompt.substr(37));
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

struct ErrorLineRow {
  const char* name;
  std::string line;
  bool taken;
  uint32_t number;
};

const ErrorLineRow kErrorLineRows[] = {
    {"LineBeforeTheColon", "*** error 12, line 27: undefined identifier", true, 27},
    {"NoDigitBeforeTheColon", "*** error: syntax error", true, 0},
    {"OnlyTheFirstColonCounts", "*** line 3: a:5", true, 3},
    {"NoColon", "*** error 12 somewhere", false, 0},
    {"NotAnError", "line 27: undefined identifier", false, 0},
    {"TooShort", "*** 1:ab", false, 0},
    {"TooLong", "*** 1:" + std::string(249, 'x'), false, 0},
    {"LongestTaken", "*** 1:" + std::string(248, 'x'), true, 1},
};

class CommandErrorLines : public ::testing::TestWithParam<ErrorLineRow> {};

TEST_P(CommandErrorLines, TakesTheNumberBeforeTheFirstColon) {
  const ErrorLineRow& row = GetParam();
  uint32_t number = 99;
  EXPECT_EQ(CommandErrorLine(row.line, &number), row.taken);
  if (row.taken) {
    EXPECT_EQ(number, row.number);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, CommandErrorLines, ::testing::ValuesIn(kErrorLineRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A refusal's reason is the rest of its marked line, wherever the mark
// stands in what the driver printed during the command.
struct RefusalRow {
  const char* name;
  std::string printed;
  std::string reason;
};

const RefusalRow kRefusalRows[] = {
    {"LowerCaseMark", "*** error: the GDB driver has no MAP command\n", "the GDB driver has no MAP command"},
    {"UpperCaseMark", "*** Error: no such register\r\n", "no such register"},
    {"AfterOtherText", "> MAP 0,0xFF READ\n*** error: bad range\nmore\n", "bad range"},
    {"NoLineEnd", "*** error: cut short", "cut short"},
    {"EmptyReasonIsNone", "*** error: \n", ""},
    {"PlainTextIsNone", "R0 = 0x00000005\n", ""},
    {"MarkWithoutBlankIsNone", "***error: x\n", ""},
};

class DriverRefusals : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(DriverRefusals, TakeTheMarkedLinesRest) {
  EXPECT_EQ(DriverRefusal(GetParam().printed), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Rows, DriverRefusals, ::testing::ValuesIn(kRefusalRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
