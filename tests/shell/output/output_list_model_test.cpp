// The output pane's line list without a window: selection as a list with
// extended selection does it, keeping the end in view, the scroll ranges
// and the hit test.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/output/output_list_model.h"

namespace pm2 {
namespace {

// 10 lines in a client area of 4 whole lines (16-pixel lines, 7-pixel
// characters), scrolled to the top.
void Fill(OutputListModel& m, int lines = 10) {
  m.SetMetrics({16, 7, 200, 4 * 16 + 5});
  for (int i = 0; i < lines; ++i) m.AddLine("line " + std::to_string(i));
  m.SetTopIndex(0);
}

struct SelectionRow {
  const char* name;
  std::function<void(OutputListModel&)> actions;
  std::vector<int> selected;
  int caret;
};

class Selection : public ::testing::TestWithParam<SelectionRow> {};

TEST_P(Selection, SelectsAsAnExtendedSelectionList) {
  OutputListModel m;
  Fill(m);
  GetParam().actions(m);
  EXPECT_EQ(m.Selection(), GetParam().selected);
  EXPECT_EQ(m.SelectedCount(), int(GetParam().selected.size()));
  EXPECT_EQ(m.Caret(), GetParam().caret);
}

using M = OutputListModel&;
using CM = OutputCaretMove;
INSTANTIATE_TEST_SUITE_P(
    Rows, Selection,
    ::testing::Values(
        SelectionRow{"ClickSelectsOnlyTheLine", [](M m) { m.Click(2, false, false); m.Click(5, false, false); }, {5}, 5},
        SelectionRow{"ShiftClickSelectsFromTheAnchor",
                     [](M m) { m.Click(6, false, false); m.Click(3, true, false); }, {3, 4, 5, 6}, 3},
        SelectionRow{"ShiftClickAgainReplacesTheRange",
                     [](M m) { m.Click(3, false, false); m.Click(6, true, false); m.Click(4, true, false); },
                     {3, 4}, 4},
        SelectionRow{"CtrlClickTogglesAndKeepsOthers",
                     [](M m) { m.Click(1, false, false); m.Click(4, false, true); m.Click(1, false, true); }, {4}, 1},
        SelectionRow{"CtrlShiftClickAddsARange",
                     [](M m) { m.Click(0, false, false); m.Click(5, false, true); m.Click(7, true, true); },
                     {0, 5, 6, 7}, 7},
        SelectionRow{"ShiftDownExtends",
                     [](M m) { m.Click(2, false, false); m.MoveCaret(CM::kDown, true, false);
                               m.MoveCaret(CM::kDown, true, false); }, {2, 3, 4}, 4},
        SelectionRow{"ShiftUpPastTheAnchorTurnsTheRange",
                     [](M m) { m.Click(2, false, false); m.MoveCaret(CM::kDown, true, false);
                               m.MoveCaret(CM::kUp, true, false); m.MoveCaret(CM::kUp, true, false); }, {1, 2}, 1},
        SelectionRow{"CtrlDownMovesTheCaretAlone",
                     [](M m) { m.Click(2, false, false); m.MoveCaret(CM::kDown, false, true);
                               m.MoveCaret(CM::kDown, false, true); }, {2}, 4},
        SelectionRow{"CtrlSpaceAddsTheCaretLine",
                     [](M m) { m.Click(2, false, false); m.MoveCaret(CM::kDown, false, true);
                               m.MoveCaret(CM::kDown, false, true); m.SpaceAtCaret(true); }, {2, 4}, 4},
        SelectionRow{"PlainDownSelectsTheNextLineOnly",
                     [](M m) { m.Click(2, false, false); m.Click(5, true, false); m.MoveCaret(CM::kDown, false, false); },
                     {6}, 6},
        SelectionRow{"PageDownMovesByAPageLessOne",
                     [](M m) { m.Click(1, false, false); m.MoveCaret(CM::kPageDown, false, false); }, {4}, 4},
        SelectionRow{"EndAndHomeGoToTheEnds",
                     [](M m) { m.MoveCaret(CM::kEnd, false, false); m.MoveCaret(CM::kHome, true, false); },
                     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0},
        SelectionRow{"UpStopsAtTheFirstLine",
                     [](M m) { m.Click(0, false, false); m.MoveCaret(CM::kUp, false, false); }, {0}, 0},
        SelectionRow{"DragSelectsFromWhereThePressWas",
                     [](M m) { m.Click(3, false, false); m.DragTo(6); m.DragTo(1); }, {1, 2, 3}, 1},
        SelectionRow{"DragPastTheEndStopsAtTheLastLine",
                     [](M m) { m.Click(8, false, false); m.DragTo(40); }, {8, 9}, 9},
        SelectionRow{"ClickBelowTheLinesChangesNothing",
                     [](M m) { m.Click(2, false, false); m.Click(-1, false, false); m.Click(10, false, false); },
                     {2}, 2},
        SelectionRow{"ClearForgetsTheSelection", [](M m) { m.Click(2, false, false); m.Clear(); }, {}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OutputListModel, AppendingKeepsTheLastLineTheLastVisibleOne) {
  OutputListModel m;
  m.SetMetrics({16, 7, 200, 4 * 16 + 5});  // 4 whole lines
  for (int i = 0; i < 4; ++i) m.AddLine("x");
  EXPECT_EQ(m.TopIndex(), 0);
  m.AddLine("fifth");
  EXPECT_EQ(m.TopIndex(), 1);
  int first = 0, last = 0;
  m.VisibleRange(&first, &last);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 5);
  EXPECT_EQ(m.LineRect(4).bottom, 4 * 16);  // whole, at the bottom of the whole lines
  // Scrolled back by the user, the next line brings the end into view again.
  m.SetTopIndex(0);
  m.AddLine("sixth");
  EXPECT_EQ(m.TopIndex(), 2);
  EXPECT_EQ(m.VertRange(), (OutputScrollRange{0, 2, 4, 2, 1}));
}

TEST(OutputListModel, AResizedPaneAtTheEndStaysAtTheEnd) {
  OutputListModel m;
  m.SetMetrics({16, 7, 200, 30 * 16});
  for (int i = 0; i < 50; ++i) m.AddLine("x");
  ASSERT_EQ(m.TopIndex(), 20);
  m.SetMetrics({16, 7, 200, 9 * 16});
  EXPECT_EQ(m.TopIndex(), 41);
  EXPECT_EQ(m.HitTest(8 * 16), 49);
  // Scrolled away from the end, the top line stays where it is.
  m.SetTopIndex(10);
  m.SetMetrics({16, 7, 200, 4 * 16});
  EXPECT_EQ(m.TopIndex(), 10);
  m.SetMetrics({16, 7, 200, 45 * 16});
  EXPECT_EQ(m.TopIndex(), 5);  // no room left below: the end shows
}

TEST(OutputListModel, HorizontalRangeFollowsTheLongestLineAndTheWidth) {
  OutputListModel m;
  m.SetMetrics({16, 7, 200, 100});
  m.AddLine("short");
  m.SetLongest(5);
  EXPECT_EQ(m.HorzRange().max, 0);  // fits
  m.SetLongest(100);
  const int margins = 2 * OutputListModel::kTextMargin;
  const int content = 100 * 7 + margins;
  EXPECT_EQ(m.HorzRange(), (OutputScrollRange{0, content - 200, 35, 0, 7}));
  m.SetHorzPos(10000);
  EXPECT_EQ(m.HorzPos(), content - 200);
  // A wider font widens the range; a wider window narrows it and the
  // position stays inside.
  m.SetMetrics({20, 9, 200, 100});
  EXPECT_EQ(m.HorzRange().max, 100 * 9 + margins - 200);
  m.SetMetrics({20, 9, 800, 100});
  EXPECT_EQ(m.HorzRange().max, 100 * 9 + margins - 800);
  EXPECT_EQ(m.HorzPos(), 100 * 9 + margins - 800);
  // An unrounded width counts for the range, the rounded one for the steps.
  m.SetMetrics({20, 7, 200, 100, 7.25});
  EXPECT_EQ(m.HorzRange(), (OutputScrollRange{0, 725 + margins - 200, 35, 100 * 9 + margins - 800, 7}));
  m.Clear();
  EXPECT_EQ(m.HorzRange().max, 0);
  EXPECT_EQ(m.HorzPos(), 0);
}

struct HitRow {
  const char* name;
  int top;
  int y;
  int expected;
};

class HitTest : public ::testing::TestWithParam<HitRow> {};

TEST_P(HitTest, FindsTheLineUnderY) {
  OutputListModel m;
  Fill(m);
  m.SetTopIndex(GetParam().top);
  EXPECT_EQ(m.HitTest(GetParam().y), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, HitTest,
                         ::testing::Values(HitRow{"FirstPixel", 0, 0, 0}, HitRow{"LastPixelOfFirstLine", 0, 15, 0},
                                           HitRow{"SecondLine", 0, 16, 1}, HitRow{"ScrolledList", 3, 40, 5},
                                           HitRow{"PartlyVisibleLine", 0, 66, 4},
                                           HitRow{"AboveTheAreaIsTheLineAbove", 3, -1, 2},
                                           HitRow{"AboveTheFirstLine", 0, -5, -1},
                                           HitRow{"BelowTheLastLine", 6, 4 * 16 + 2, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OutputListModel, MovingTheCaretScrollsItIntoView) {
  OutputListModel m;
  Fill(m, 30);
  m.Click(0, false, false);
  m.MoveCaret(OutputCaretMove::kEnd, false, false);
  EXPECT_EQ(m.TopIndex(), 26);
  m.MoveCaret(OutputCaretMove::kPageUp, false, false);
  EXPECT_EQ(m.Caret(), 26);
  m.MoveCaret(OutputCaretMove::kUp, false, false);
  EXPECT_EQ(m.TopIndex(), 25);
}

TEST(OutputListModel, SelectedTextJoinsLinesWithLineFeedsBetween) {
  OutputListModel m;
  Fill(m);
  EXPECT_EQ(m.SelectedText(), "");
  m.Click(7, false, false);
  m.Click(2, false, true);
  m.Click(4, false, true);
  EXPECT_EQ(m.SelectedText(), "line 2\nline 4\nline 7");
  EXPECT_EQ(m.FirstSelected(), 2);
  EXPECT_EQ(m.CurrentLine(), 4);
  m.Click(4, false, true);  // the caret line deselected: no current line
  EXPECT_EQ(m.CurrentLine(), -1);
}

}  // namespace
}  // namespace pm2
