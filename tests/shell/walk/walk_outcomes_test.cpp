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

TEST(WalkOutcomeTable, NamesEachCommandOnce) {
  for (size_t i = 0; i < CommandOutcomes().size(); ++i) {
    EXPECT_NE(std::string(CommandOutcomes()[i].expected), "");
    for (size_t j = i + 1; j < CommandOutcomes().size(); ++j) EXPECT_NE(CommandOutcomes()[i].id, CommandOutcomes()[j].id);
  }
  EXPECT_NE(OutcomeOf(cmd::kFileSave), nullptr);
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
