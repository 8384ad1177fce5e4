// The judges of what a command did against what the user asked for
// (walk_outcomes.h): an outcome that follows the program's answer instead
// of the request fails, and the road a crash ends on is written by the
// crash itself (walk_crash_road.h).
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "walk_crash_road.h"
#include "walk_outcomes.h"

namespace pm2::test {
namespace {

struct SavedRow {
  const char* name;
  std::string editor, disk;
  const char* fault;  // nullptr: judged right
};
class WalkSavedTest : public ::testing::TestWithParam<SavedRow> {};
TEST_P(WalkSavedTest, TheFileHoldsTheEditorsTextByteForByte) {
  const SavedRow& r = GetParam();
  const std::string why = JudgeSaved("/w/LED.c", r.editor, r.disk);
  if (!r.fault) {
    EXPECT_EQ(why, "");
  } else {
    EXPECT_NE(why.find(r.fault), std::string::npos) << why;
    EXPECT_NE(why.find("'/w/LED.c'"), std::string::npos) << why;
  }
}
const SavedRow kSavedRows[] = {
    {"Same", "int a;\r\nint b;\r\n", "int a;\r\nint b;\r\n", nullptr},
    {"LastByteLost", "int a;\nint b;\n", "int a;\nint b;", "at byte 13 of 14"},
    {"LineEndChanged", "a\r\nb\r\n", "a\nb\n", "at byte 1 of 6"},
    {"CaseChanged", "Walk\n", "walk\n", "at byte 0 of 5"},
    {"EmptyTextWritten", "", "", nullptr},
    {"NothingWritten", "x", "", "at byte 0 of 1"},
};
INSTANTIATE_TEST_SUITE_P(Saves, WalkSavedTest, ::testing::ValuesIn(kSavedRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Whether a text was saved is taken from what the user asked (Save alone
// without a message, Yes to the close's question, another name), never
// from the program's changed mark alone: a save that writes nothing and
// keeps the text marked changed, or a Yes that saved nothing, is judged
// (and then fails on the file), where the program's word would pass it by.
struct SavedBecauseRow {
  const char* name;
  SaveSeen seen;
  const char* because;  // "" not taken for saved
};
SaveSeen SaveSeenOf(bool closed, bool saveAsked, bool messages, bool answeredYes, bool saysChanged, bool fileWritten) {
  SaveSeen s;
  s.changedBefore = s.hasFile = true;
  s.closed = closed;
  s.saveAsked = saveAsked;
  s.messages = messages;
  s.answeredYes = answeredYes;
  s.saysChanged = saysChanged;
  s.fileWritten = fileWritten;
  return s;
}
class WalkSavedBecauseTest : public ::testing::TestWithParam<SavedBecauseRow> {};
TEST_P(WalkSavedBecauseTest, TheUsersRequestTellsASave) {
  EXPECT_EQ(SavedBecause(GetParam().seen), GetParam().because);
}
SaveSeen UntitledSaveSeen() {
  SaveSeen s = SaveSeenOf(false, true, false, false, true, false);
  s.hasFile = false;
  return s;
}
SaveSeen RenamedSaveSeen() {
  SaveSeen s;
  s.renamed = true;
  return s;
}
// A text the walk's own keys changed: changed whatever the program's mark
// says, and closed without the question its changes must be in its file.
SaveSeen TypedSaveSeen(bool closed, bool saveAsked, bool asked, bool answeredYes) {
  SaveSeen s = SaveSeenOf(closed, saveAsked, asked, answeredYes, false, false);
  s.changedBefore = false;
  s.typedBefore = true;
  s.asked = asked;
  return s;
}
const SavedBecauseRow kSavedBecauseRows[] = {
    {"SaveThatWroteNothingAndKeptTheMark", SaveSeenOf(false, true, false, false, true, false), "asked to save it"},
    {"SaveThatClearedTheMarkAndWroteNothing", SaveSeenOf(false, true, false, false, false, false), "asked to save it"},
    {"SaveRefusedWithAMessage", SaveSeenOf(false, true, true, false, true, false), ""},
    {"YesOnClosingThatSavedNothing", SaveSeenOf(true, false, true, true, false, false), "answered Yes to save it on closing"},
    {"NoOnClosing", SaveSeenOf(true, false, true, false, false, false), ""},
    {"ClosedAfterASaveWithoutAQuestion", SaveSeenOf(true, false, false, false, false, true),
     "closed it, and its file was written"},
    {"UndoBackToTheSavedText", SaveSeenOf(false, false, false, false, false, false), ""},
    {"MarkClearedByAnotherCommandThatWrote", SaveSeenOf(false, false, false, false, false, true), "was told it is saved"},
    {"UntitledText", UntitledSaveSeen(), ""},
    {"SaveAs", RenamedSaveSeen(), "saved it under that name"},
    // The program took the typed text for unchanged: its Save wrote
    // nothing and its close asked nothing, and the changes are lost.
    {"TypedTextSavedUnmarked", TypedSaveSeen(false, true, false, false), "asked to save it"},
    {"TypedTextClosedUnasked", TypedSaveSeen(true, false, false, false),
     "changed it, and it closed without asking whether to save it"},
    {"TypedTextClosedWithYes", TypedSaveSeen(true, false, true, true), "answered Yes to save it on closing"},
    {"TypedTextClosedWithNo", TypedSaveSeen(true, false, true, false), ""},
};
INSTANTIATE_TEST_SUITE_P(Saves, WalkSavedBecauseTest, ::testing::ValuesIn(kSavedBecauseRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct CaretRow {
  const char* name;
  long asked, lines, caret;
  bool fails;
};
class WalkCaretTest : public ::testing::TestWithParam<CaretRow> {};
TEST_P(WalkCaretTest, TheCaretStandsOnTheLineTyped) {
  const CaretRow& r = GetParam();
  EXPECT_EQ(!JudgeCaretLine(r.asked, r.lines, r.caret).empty(), r.fails);
}
const CaretRow kCaretRows[] = {
    {"OnTheLine", 7, 20, 7, false},
    {"OnTheNextLine", 7, 20, 8, true},
    {"OnTheLineBefore", 7, 20, 6, true},
    {"FirstLine", 1, 20, 1, false},
    {"LastLineMissed", 20, 20, 19, true},
    // A line outside the file is refused: where the caret stays is not judged.
    {"PastTheEndRefused", 21, 20, 3, false},
};
INSTANTIATE_TEST_SUITE_P(GoToLine, WalkCaretTest, ::testing::ValuesIn(kCaretRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct KillRow {
  const char* name;
  int selected;
  std::vector<std::string> shown;
  std::vector<uintptr_t> kept;
  const char* fault;
};
const std::vector<ListRow> kRows = {{"00: LED.c:13", 0x10}, {"01: main", 0x20}, {"02: counter > 5", 0x30}};
class WalkKillSelectedTest : public ::testing::TestWithParam<KillRow> {};
TEST_P(WalkKillSelectedTest, TheRowClickedIsTheOneGone) {
  const KillRow& r = GetParam();
  const std::string why = JudgeKillSelected(kRows, r.selected, r.shown, r.kept);
  if (!r.fault)
    EXPECT_EQ(why, "");
  else
    EXPECT_NE(why.find(r.fault), std::string::npos) << why;
}
const KillRow kKillRows[] = {
    {"LastRowGone", 2, {"00: LED.c:13", "01: main"}, {0x20, 0x10}, nullptr},
    {"FirstRowGone", 0, {"01: main", "02: counter > 5"}, {0x20, 0x30}, nullptr},
    // The program removed the row above the one clicked, from the list
    // and from the driver alike: agreeing with itself, wrong for the user.
    {"RowAboveGone", 2, {"00: LED.c:13", "02: counter > 5"}, {0x10, 0x30}, "left the list showing"},
    // The list not redrawn after the kill: the breakpoint is gone, its
    // row still shown.
    {"ListNotRefreshed", 1, {"00: LED.c:13", "01: main", "02: counter > 5"}, {0x10, 0x30}, "left the list showing"},
    {"RowGoneBreakpointKept", 1, {"00: LED.c:13", "02: counter > 5"}, {0x10, 0x20, 0x30}, "left the driver 3"},
    {"OtherBreakpointKilled", 1, {"00: LED.c:13", "02: counter > 5"}, {0x10, 0x20}, "left the driver 2"},
    {"AllGone", 1, {}, {}, "showing nothing"},
    {"NoRowSelected", -1, {"x"}, {}, nullptr},
};
INSTANTIATE_TEST_SUITE_P(Breakpoints, WalkKillSelectedTest, ::testing::ValuesIn(kKillRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct WatchRow {
  const char* name;
  std::string item;
  std::vector<std::string> after1, after2;
  const char* fault;
};
class WalkWatchAddedTest : public ::testing::TestWithParam<WatchRow> {};
TEST_P(WalkWatchAddedTest, TheRowNamesTheWordPointedAt) {
  const WatchRow& r = GetParam();
  const std::vector<std::string> before[2] = {{"sample"}, {"history[1]"}};
  const std::vector<std::string> after[2] = {r.after1, r.after2};
  std::string word;
  const int page = WatchItemAsked(r.item, &word);
  ASSERT_NE(page, 0) << r.item;
  const std::string why = JudgeWatchAdded(word, page, before, after);
  if (!r.fault)
    EXPECT_EQ(why, "");
  else
    EXPECT_NE(why.find(r.fault), std::string::npos) << why;
}
const WatchRow kWatchRows[] = {
    {"AddedToPageOne", "Add \"counter\" to Watch Window...>#1", {"sample", "counter"}, {"history[1]"}, nullptr},
    {"AddedToPageTwo", "Add \"counter\" to Watch Window...>#2", {"sample"}, {"history[1]", "counter"}, nullptr},
    {"AddedToTheOtherPage", "Add \"counter\" to Watch Window...>#1", {"sample"}, {"history[1]", "counter"},
     "shows no such row"},
    {"AnotherWordAdded", "Add \"counter\" to Watch Window...>#1", {"sample", "Count"}, {"history[1]"},
     "shows no such row"},
    {"WordInAnotherCase", "Add \"counter\" to Watch Window...>#1", {"sample", "COUNTER"}, {"history[1]"},
     "shows no such row"},
    {"RowReplacedAnother", "Add \"counter\" to Watch Window...>#1", {"counter"}, {"history[1]"},
     "other rows changed"},
    {"AlreadyThere", "Add \"sample\" to Watch Window...>#1", {"sample"}, {"history[1]"}, nullptr},
};
INSTANTIATE_TEST_SUITE_P(Watch, WalkWatchAddedTest, ::testing::ValuesIn(kWatchRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The judges of Find Next, Replace and Replace All count the matches in the
// text as it stood; a program that replaced or selected otherwise, however
// consistently with its own report, fails.
const std::string kLed = "int count;\r\nvoid Count(void) { count = count + 1; }\r\n";
FindAsked Search(const char* pattern, const char* with, bool matchCase = false, bool wrap = true, bool regex = false) {
  FindAsked a;
  a.pattern = pattern;
  a.with = with;
  a.matchCase = matchCase;
  a.wrap = wrap;
  a.regex = regex;
  return a;
}
void ExpectJudged(const std::string& why, const char* fault) {
  if (!fault)
    EXPECT_EQ(why, "");
  else
    EXPECT_NE(why.find(fault), std::string::npos) << why;
}

struct ReplaceAllRow {
  const char* name;
  FindAsked asked;
  bool readOnly;
  std::string after;
  const char* fault;
};
class WalkReplaceAllTest : public ::testing::TestWithParam<ReplaceAllRow> {};
TEST_P(WalkReplaceAllTest, ExactlyTheMatchesCountedAreReplaced) {
  const ReplaceAllRow& r = GetParam();
  ExpectJudged(JudgeReplaceAll(kLed, r.asked, r.readOnly, r.after), r.fault);
}
const ReplaceAllRow kReplaceAllRows[] = {
    {"EveryMatchMatchCase", Search("count", "n", true), false, "int n;\r\nvoid Count(void) { n = n + 1; }\r\n", nullptr},
    {"EveryMatchAnyCase", Search("count", "n"), false, "int n;\r\nvoid n(void) { n = n + 1; }\r\n", nullptr},
    {"LastMatchSkipped", Search("count", "n", true), false, "int n;\r\nvoid Count(void) { n = count + 1; }\r\n",
     "(3 matches in the text) did not replace exactly those: line 2"},
    {"FirstLineOnly", Search("count", "n", true), false, "int n;\r\nvoid Count(void) { count = count + 1; }\r\n",
     "line 2"},
    {"OtherCaseReplacedUnderMatchCase", Search("count", "n", true), false,
     "int n;\r\nvoid n(void) { n = n + 1; }\r\n", "did not replace"},
    {"OtherCaseLeftWithoutMatchCase", Search("count", "n"), false, "int n;\r\nvoid Count(void) { n = n + 1; }\r\n",
     "(4 matches"},
    {"LineEndsChanged", Search("count", "n", true), false, "int n;\nvoid Count(void) { n = n + 1; }\n", "line 1"},
    {"ReadOnlyLeftAlone", Search("count", "n", true), true, kLed, nullptr},
    {"ReadOnlyChanged", Search("count", "n", true), true, "int n;\r\nvoid Count(void) { n = n + 1; }\r\n",
     "read-only"},
    {"NothingReplaced", Search("count", "n", true), false, kLed, "did not replace"},
    // Not the model's search: whatever the program did is left to the
    // walk's other checks.
    {"RegularExpressionNotJudged", Search("c.unt", "n", true, true, true), false, kLed, nullptr},
};
INSTANTIATE_TEST_SUITE_P(Replace, WalkReplaceAllTest, ::testing::ValuesIn(kReplaceAllRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WalkReplaceAll, MatchesNeverOverlap) {
  // "aa" in "aaaaa": two matches, the fifth letter left.
  EXPECT_EQ(JudgeReplaceAll("aaaaa\n", Search("aa", "b"), false, "bba\n"), "");
  EXPECT_NE(JudgeReplaceAll("aaaaa\n", Search("aa", "b"), false, "bbb\n"), "");
  EXPECT_EQ(MatchesIn("x\r\naa aa\n", Search("aa", "")).size(), 2u);
}

struct ReplaceOneRow {
  const char* name;
  TextAt selected;
  std::string after;
  const char* fault;
};
class WalkReplaceOneTest : public ::testing::TestWithParam<ReplaceOneRow> {};
TEST_P(WalkReplaceOneTest, TheMatchSelectedAloneIsReplaced) {
  const ReplaceOneRow& r = GetParam();
  ExpectJudged(JudgeReplaceOne(kLed, Search("count", "n", true), r.selected, false, r.after), r.fault);
}
const ReplaceOneRow kReplaceOneRows[] = {
    {"SelectedMatch", {2, 19}, "int count;\r\nvoid Count(void) { n = count + 1; }\r\n", nullptr},
    {"NextMatchInstead", {2, 19}, "int count;\r\nvoid Count(void) { count = n + 1; }\r\n", "selected did not replace"},
    {"TwoReplaced", {2, 19}, "int count;\r\nvoid Count(void) { n = n + 1; }\r\n", "line 2"},
    {"NothingReplaced", {1, 4}, kLed, "on line 1 at byte 4"},
};
INSTANTIATE_TEST_SUITE_P(Replace, WalkReplaceOneTest, ::testing::ValuesIn(kReplaceOneRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct FindNextRow {
  const char* name;
  FindAsked asked;
  TextAt from;
  bool selected;
  TextAt start, end;
  const char* fault;
};
class WalkFindNextTest : public ::testing::TestWithParam<FindNextRow> {};
TEST_P(WalkFindNextTest, TheNextMatchIsSelected) {
  const FindNextRow& r = GetParam();
  ExpectJudged(JudgeFindNext(kLed, r.asked, r.from, r.selected, r.start, r.end), r.fault);
}
const FindNextRow kFindNextRows[] = {
    {"OnTheCaretsLine", Search("count", "", true), {1, 0}, true, {1, 4}, {1, 9}, nullptr},
    {"OnTheNextLine", Search("count", "", true), {1, 5}, true, {2, 19}, {2, 24}, nullptr},
    {"MatchAfterTheNext", Search("count", "", true), {1, 5}, true, {2, 27}, {2, 32}, "should select line 2 bytes 19..24"},
    {"OtherCaseUnderMatchCase", Search("count", "", true), {1, 5}, true, {2, 5}, {2, 10}, "should select line 2 bytes 19"},
    {"OtherCaseWithoutMatchCase", Search("count", ""), {1, 5}, true, {2, 5}, {2, 10}, nullptr},
    {"NothingSelected", Search("count", "", true), {1, 0}, false, {}, {}, "nothing is selected"},
    {"WrapsToTheFirst", Search("count", "", true), {2, 33}, true, {1, 4}, {1, 9}, nullptr},
    // Come back round to where the pass began: the pass may end there.
    {"PassEndsAtTheWrap", Search("count", "", true), {2, 33}, false, {}, {}, nullptr},
    {"NoWrapNoMatch", Search("count", "", true, false), {2, 33}, false, {}, {}, nullptr},
    {"NoWrapFirstSelected", Search("count", "", true, false), {2, 33}, true, {1, 4}, {1, 9}, "found no match"},
    {"MatchEndMissed", Search("count", "", true), {1, 0}, true, {1, 4}, {1, 8}, "should select line 1 bytes 4..9"},
};
INSTANTIATE_TEST_SUITE_P(Find, WalkFindNextTest, ::testing::ValuesIn(kFindNextRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The first Find Next in the dialog closed and opened again begins a pass
// of its own: a match found by wrapping round must be selected then, where
// a program that kept the pass of the dialog closed ends it and says the
// search is finished (its own report, which the judge never asks).
struct PassBeginsRow {
  const char* name;
  TextAt from;
  bool selected;
  TextAt start, end;
  const char* fault;
};
class WalkFindNextPassTest : public ::testing::TestWithParam<PassBeginsRow> {};
TEST_P(WalkFindNextPassTest, ANewPassEndsNowhere) {
  const PassBeginsRow& r = GetParam();
  ExpectJudged(JudgeFindNext(kLed, Search("count", "", true), r.from, r.selected, r.start, r.end, true), r.fault);
}
const PassBeginsRow kPassBeginsRows[] = {
    {"NextMatchSelected", {1, 9}, true, {2, 19}, {2, 24}, nullptr},
    {"PassKeptEndedBeforeTheNext", {1, 9}, false, {}, {},
     "(the first search in the dialog opened again) should select line 2"},
    {"WrappedMatchSelected", {2, 33}, true, {1, 4}, {1, 9}, nullptr},
    {"PassKeptEndedAtTheWrap", {2, 33}, false, {}, {}, "should select line 1 bytes 4..9, and nothing is selected"},
};
INSTANTIATE_TEST_SUITE_P(Find, WalkFindNextPassTest, ::testing::ValuesIn(kPassBeginsRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The pass the find step takes round: it begins on the line after the
// first match's, and takes one Find Next for each match, so that the last
// is found by wrapping round and the next would come back to its start.
struct PassRoundRow {
  const char* name;
  std::string text;
  FindAsked asked;
  long line;
  size_t presses;
};
class WalkPassRoundTest : public ::testing::TestWithParam<PassRoundRow> {};
TEST_P(WalkPassRoundTest, BeginsAfterTheFirstMatchsLine) {
  const PassRoundRow& r = GetParam();
  const PassRound round = PassRoundFor(r.text, r.asked);
  EXPECT_EQ(round.line, r.line);
  if (r.line) {
    EXPECT_EQ(round.presses, r.presses);
  }
}
const PassRoundRow kPassRoundRows[] = {
    {"ThreeLines", "key a\r\nkey b\r\nkey c\r\n", Search("key", "", true), 2, 3},
    {"AnyCase", kLed, Search("count", ""), 2, 4},
    {"MatchCase", kLed, Search("count", "", true), 2, 3},
    {"AllOnOneLine", "key key key\n\nnone\n", Search("key", "", true), 0, 0},
    {"OneMatch", "key\nnone\n", Search("key", "", true), 0, 0},
    {"NoWrap", kLed, Search("count", "", true, false), 0, 0},
    {"RegularExpression", kLed, Search("c.unt", "", true, true, true), 0, 0},
};
INSTANTIATE_TEST_SUITE_P(Find, WalkPassRoundTest, ::testing::ValuesIn(kPassRoundRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The pass taken round, as the judge follows it: each Find Next judged
// from where the one before left the selection, the last found by wrapping
// round; then, in the dialog opened again, the match after it. A program
// that kept the old pass selects nothing there, and fails.
TEST(WalkPassRound, EachFindNextOfThePassIsTheModelsNext) {
  const std::string text = "key a\r\nkey b\r\nkey c\r\n";
  const FindAsked a = Search("key", "", true);
  const PassRound round = PassRoundFor(text, a);
  ASSERT_EQ(round.line, 2);
  TextAt from{round.line, 0};
  const std::vector<long> lines = {2, 3, 1};
  ASSERT_EQ(round.presses, lines.size());
  for (long line : lines) {
    EXPECT_EQ(JudgeFindNext(text, a, from, true, {line, 0}, {line, 3}), "") << line;
    from = {line, 3};
  }
  EXPECT_EQ(JudgeFindNext(text, a, from, true, {2, 0}, {2, 3}, true), "");
  EXPECT_NE(JudgeFindNext(text, a, from, false, {}, {}, true), "");
}

TEST(WalkFindNext, SearchesFromInsideAMatchOnItsLine) {
  // "aa" from byte 1 of "aaa": the match that begins there.
  EXPECT_EQ(JudgeFindNext("aaa\n", Search("aa", "", true), {1, 1}, true, {1, 1}, {1, 3}), "");
  EXPECT_NE(JudgeFindNext("aaa\n", Search("aa", "", true), {1, 1}, true, {1, 0}, {1, 2}), "");
}

struct ToggledRow {
  const char* name;
  long line;
  std::vector<long> before, after;
  bool refused;
  const char* fault;
};
class WalkLineToggledTest : public ::testing::TestWithParam<ToggledRow> {};
TEST_P(WalkLineToggledTest, TheCaretsLineAloneIsTurnedOver) {
  const ToggledRow& r = GetParam();
  ExpectJudged(JudgeLineToggled("a bookmark", r.line, r.before, r.after, r.refused), r.fault);
}
const ToggledRow kToggledRows[] = {
    {"Set", 5, {2}, {2, 5}, false, nullptr},
    {"Cleared", 5, {2, 5}, {2}, false, nullptr},
    {"SetOnTheNextLine", 5, {2}, {2, 6}, false, "left the lines marked 2, 6, not 2, 5"},
    {"AnotherLineCleared", 5, {2}, {5}, false, "not 2, 5"},
    {"NothingChanged", 5, {2}, {2}, false, "toggled on line 5"},
    {"RefusedNothingChanged", 5, {2}, {2}, true, nullptr},
    {"RefusedYetChanged", 5, {2}, {6, 2}, true, "left the lines marked 2, 6"},
    {"FirstOfNone", 1, {}, {1}, false, nullptr},
};
INSTANTIATE_TEST_SUITE_P(Marks, WalkLineToggledTest, ::testing::ValuesIn(kToggledRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WalkOutcomeTable, NamesEachCommandOnce) {
  for (size_t i = 0; i < CommandOutcomes().size(); ++i) {
    EXPECT_NE(std::string(CommandOutcomes()[i].expected), "");
    for (size_t j = i + 1; j < CommandOutcomes().size(); ++j) EXPECT_NE(CommandOutcomes()[i].id, CommandOutcomes()[j].id);
  }
  EXPECT_NE(OutcomeOf(cmd::kFileSave), nullptr);
  for (CommandId judged : {CommandId(57636), CommandId(57641), CommandId(45027), CommandId(35012), CommandId(35017)})
    EXPECT_NE(OutcomeOf(judged), nullptr) << judged;
  EXPECT_EQ(OutcomeOf(cmd::kAppAbout), nullptr);
}

// A crash writes the road it ended on from the fatal signal's handler,
// whatever the tree (no sanitizer's callback needed), a quote escaped as
// the shell's replay line takes it.
TEST(WalkCrashRoadDeathTest, ACrashWritesItsRoad) {
#ifdef GTEST_FLAG_SET
  GTEST_FLAG_SET(death_test_style, "threadsafe");
#else
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
#endif
  EXPECT_DEATH(
      {
        CrashRoad::Begin("state ExampleOpen, seed 7", "example");
        CrashRoad::Step("open:Blinky.c");
        CrashRoad::Step("ctx:project@file:Open 'x'");
        CrashRoad::Install();
        std::raise(SIGSEGV);
      },
      "the walk crashed in state ExampleOpen, seed 7, on the road:\n"
      "  PM2_WALK_REPLAY='example:open:Blinky.c;ctx:project@file:Open '\\\\''x'\\\\'''");
}

TEST(WalkCrashRoad, KeepsTheRoadAsTheReplayTakesIt) {
  CrashRoad::Begin("state S, seed 1", "none");
  EXPECT_EQ(CrashRoad::Text(), "\n*** the walk crashed in state S, seed 1, on the road:\n  PM2_WALK_REPLAY='none:'\n");
  CrashRoad::Step("32720");
  CrashRoad::Step("32802/c");
  EXPECT_NE(CrashRoad::Text().find("PM2_WALK_REPLAY='none:32720;32802/c'\n"), std::string::npos);
}

}  // namespace
}  // namespace pm2::test
