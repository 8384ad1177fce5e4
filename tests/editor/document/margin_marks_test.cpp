#include "editor/document/margin_marks.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace pm2 {
namespace {

struct Lines {
  std::vector<std::unique_ptr<CEditLine>> lines;
  explicit Lines(int n) {
    for (int i = 0; i < n; ++i) {
      lines.push_back(std::make_unique<CEditLine>());
      lines.back()->m_nFlags = kLineBreakSet | kLineBreakEnabled | kLineHasCode;
      if (i) lines[std::size_t(i - 1)]->m_pNext = lines.back().get();
    }
    ResetMarginMarks(lines[0].get());
  }
  CEditLine* At(int number) { return lines[std::size_t(number - 1)].get(); }
};

TEST(MarginReset, NumbersEveryLineAndClearsTheMarks) {
  Lines t(3);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(t.At(n)->m_nDebugWord, uint32_t(n));
    EXPECT_EQ(t.At(n)->m_nFlags, kLineDebugWordValid);
  }
}

// Two lines typed above line 3 and line 5 deleted since the text was
// numbered: the words stay with their lines.
TEST(MarginWords, FollowTheirLinesUntilTheTextIsNumberedAgain) {
  Lines t(6);
  CEditLine typed[2];
  for (CEditLine& l : typed) {
    l.m_pNext = t.At(2)->m_pNext;
    t.At(2)->m_pNext = &l;
  }
  t.At(4)->m_pNext = t.At(6);
  ClearBreakMarks(t.At(1));
  EXPECT_EQ(t.At(3)->m_nDebugWord, 3u) << "clearing the marks keeps the words";
  EXPECT_EQ(t.At(3)->m_nFlags, kLineDebugWordValid);
  struct Row {
    const char* name;
    uint32_t word;
    int line;
  };
  const Row rows[] = {
      {"above the typed lines", 2, 2}, {"below them", 3, 5}, {"deleted", 5, 0}, {"after the deleted line", 6, 7},
      {"never given", 9, 0},
  };
  for (const Row& r : rows) EXPECT_EQ(LineOfDebugWord(t.At(1), r.word), r.line) << r.name;
  EXPECT_EQ(FreshDebugWord(t.At(1), 6), 7u) << "beyond the numbered lines";
  typed[0].m_nFlags = kLineDebugWordValid;
  typed[0].m_nDebugWord = 7;
  EXPECT_EQ(FreshDebugWord(t.At(1), 6), 8u) << "beyond the words given since";
  t.At(2)->m_pNext = t.At(3);
  t.At(4)->m_pNext = t.At(5);
}

struct TableRow {
  const char* name;
  std::vector<DbgLinePair> pairs;
  std::vector<int> codeLines;         // lines that get the code mark
  std::vector<uint32_t> addresses;    // their addresses
};
class MarginLineTable : public ::testing::TestWithParam<TableRow> {};
TEST_P(MarginLineTable, Marks) {
  Lines t(12);
  const DbgLineTableRecord record{uint32_t(GetParam().pairs.size()), GetParam().pairs.data()};
  ApplyLineTable(t.lines[0].get(), &record);
  std::vector<int> code;
  std::vector<uint32_t> addresses;
  for (int n = 1; n <= 12; ++n)
    if (t.At(n)->m_nFlags & kLineHasCode) {
      code.push_back(n);
      addresses.push_back(t.At(n)->m_nCodeAddress);
    }
  EXPECT_EQ(code, GetParam().codeLines);
  EXPECT_EQ(addresses, GetParam().addresses);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, MarginLineTable,
    ::testing::Values(TableRow{"Empty", {}, {}, {}},
                      TableRow{"InOrder", {{2, 0x100}, {4, 0x104}, {5, 0x10A}}, {2, 4, 5}, {0x100, 0x104, 0x10A}},
                      TableRow{"EqualAddressLastWins", {{3, 0x200}, {7, 0x200}, {8, 0x208}}, {7, 8}, {0x200, 0x208}},
                      TableRow{"LineBeyondTheTextIgnored", {{30, 0x300}, {1, 0x304}}, {1}, {0x304}},
                      TableRow{"FirstStatementOfALine", {{6, 0x400}, {6, 0x410}}, {6}, {0x400}}),
    [](const auto& i) { return std::string(i.param.name); });

TEST(MarginCells, SessionStateGivesFillBoxAndArrow) {
  Lines t(4);
  const DbgLinePair pairs[] = {{1, 0x100}, {2, 0x108}, {4, 0x110}};
  const DbgLineTableRecord record{3, pairs};
  ApplyLineTable(t.lines[0].get(), &record);
  MarginCell c = SessionMarginCell(*t.At(1), 0x1 | 0x4, 0, 0);
  EXPECT_TRUE(c.codeFill && c.executed && c.box && c.boxEnabled);
  c = SessionMarginCell(*t.At(2), 0x2, 2, 0);
  EXPECT_TRUE(c.box);
  EXPECT_FALSE(c.boxEnabled || c.executed);
  EXPECT_EQ(c.arrow, MarginArrow::ProgramCounter);
  // The shown address inside line 1's range (0x100 up to 0x108).
  EXPECT_EQ(SessionMarginCell(*t.At(1), 0, 0, 0x104).arrow, MarginArrow::Shown);
  EXPECT_EQ(SessionMarginCell(*t.At(2), 0, 0, 0x104).arrow, MarginArrow::None);
  // A line without code has no fill and no box.
  c = SessionMarginCell(*t.At(3), 0x1, 0, 0);
  EXPECT_FALSE(c.codeFill || c.box);
}

TEST(MarginCells, StoredBreakpointsOutsideASession) {
  Lines t(2);
  t.At(1)->m_nFlags |= kLineBreakSet;
  t.At(2)->m_nFlags |= kLineBreakSet | kLineBreakEnabled | kLineBookmark;
  EXPECT_TRUE(StoredMarginCell(*t.At(1), 0).box);
  EXPECT_FALSE(StoredMarginCell(*t.At(1), 0).boxEnabled);
  const MarginCell c = StoredMarginCell(*t.At(2), 2);
  EXPECT_TRUE(c.boxEnabled && c.bookmark);
  EXPECT_EQ(c.arrow, MarginArrow::Shown);
}

TEST(MarginArrow, PolygonOfARow) {
  // h = 18, w = 18: m = 9, a = 2, b = 9, d = 7.
  const auto p = MarginArrowPolygon(0, 18, 18);
  const std::array<std::array<int, 2>, 8> expected{
      {{1, 11}, {1, 7}, {9, 7}, {9, 2}, {16, 9}, {9, 16}, {9, 11}, {1, 11}}};
  EXPECT_EQ(p, expected);
  EXPECT_EQ(MarginArrowPolygon(36, 18, 18)[4][1], 45);
}

struct HintRow {
  const char* name;
  uint32_t hint;
  MarginHintAction action;
  bool activate;
};
class MarginHints : public ::testing::TestWithParam<HintRow> {};
TEST_P(MarginHints, Action) {
  const MarginHint h = LookUpMarginHint(GetParam().hint);
  EXPECT_EQ(h.action, GetParam().action);
  EXPECT_EQ(h.activate, GetParam().activate);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, MarginHints,
    ::testing::Values(HintRow{"Repaint", 0x12341000, MarginHintAction::Repaint, false},
                      HintRow{"PcWithActivation", 0x12341001, MarginHintAction::ProgramCounter, true},
                      HintRow{"PcWithout", 0x12341003, MarginHintAction::ProgramCounter, false},
                      HintRow{"LineInfo", 0x12341002, MarginHintAction::LoadLineInfo, false},
                      HintRow{"Reset", 0x12342000, MarginHintAction::ResetMarks, false},
                      HintRow{"Stored", 0x12342100, MarginHintAction::ReloadStored, false},
                      HintRow{"BeforeSave", 0x12342110, MarginHintAction::BeforeSave, false},
                      HintRow{"BeforeClose", 0x12342111, MarginHintAction::BeforeClose, false},
                      HintRow{"ShowLine", 0x12348002, MarginHintAction::ShowLine, true},
                      HintRow{"TextChanged", 0, MarginHintAction::None, false},
                      HintRow{"Unknown", 0x12349999, MarginHintAction::None, false}),
    [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace pm2
