#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>

#include "toolkit/docking/dock_bar_model.h"
#include "toolkit/docking/dock_drop_place.h"

namespace pm2 {
// A namespace of its own: the folder's test files are compiled as one
// file in CI, and the dock bar's tests have helpers of these names.
namespace drop_place_test {

// Rows of a top dock bar as laid out: a menu row 0..22 that nothing shares,
// a toolbar row 22..48 with bars centred at 100 and 300, and a row 48..100
// that wraps into two lines (48..74: bars at 50 and 250; 74..100: a bar at
// 80).
std::vector<DropRow> ThreeRows() {
  return {
      {0, 22, true, {{0, 22, 200}}},
      {22, 48, false, {{22, 48, 100}, {22, 48, 300}}},
      {48, 100, false, {{48, 74, 50}, {48, 74, 250}, {74, 100, 80}}},
  };
}

TEST(DockDropPlace, TheCursorAndTheDroppedEdgeChooseRowAndColumn) {
  const struct {
    const char* name;
    int across, lead;
    bool barOwnsRow;
    DropPlace place;
  } rows[] = {
      {"above every row: a new first row", -5, 0, false, {true, 0, 0}},
      {"upper half of the menu row: a new row above it", 5, 400, false, {true, 0, 0}},
      {"lower half of the menu row: a new row below it", 15, 400, false, {true, 1, 0}},
      {"lower half of the menu row, dropped at its front: still below it", 20, 0, false, {true, 1, 0}},
      {"toolbar row, before the first middle: the front", 30, 40, false, {false, 1, 0}},
      {"toolbar row, between the middles: between the bars", 30, 150, false, {false, 1, 1}},
      {"toolbar row, past the last middle: the end", 30, 500, false, {false, 1, 2}},
      {"a middle exactly at the edge is not beyond it", 30, 100, false, {false, 1, 1}},
      {"a bar that keeps its own row never joins one", 30, 150, true, {true, 1, 0}},
      {"first line of a wrapped row, past its bars: before the next line", 60, 400, false, {false, 2, 2}},
      {"second line of a wrapped row, before its bar", 90, 10, false, {false, 2, 2}},
      {"second line of a wrapped row, past its bar: the end", 90, 200, false, {false, 2, 3}},
      {"below every row: a new last row", 105, 0, false, {true, 3, 0}},
  };
  for (const auto& r : rows)
    EXPECT_EQ(FindDropPlace(ThreeRows(), r.across, r.lead, r.barOwnsRow), r.place) << r.name;
}

TEST(DockDropPlace, GapsBetweenRowsAndNoRowsAtAllMakeNewRows) {
  const std::vector<DropRow> gapped = {{0, 20, false, {{0, 20, 50}}}, {40, 60, false, {{40, 60, 50}}}};
  EXPECT_EQ(FindDropPlace(gapped, 30, 0, false), (DropPlace{true, 1, 0}));
  EXPECT_EQ(FindDropPlace({}, 10, 0, false), (DropPlace{true, 0, 0}));
}

// Bars named by letters, as in the dock bar's own tests; each gets a fixed
// size (a toolbar) of `width` x 26.
struct Bars {
  std::map<char, std::unique_ptr<ControlBarState>> byName;
  ControlBarState* Get(char c, int width = 200) {
    auto& b = byName[c];
    if (!b) {
      b = std::make_unique<ControlBarState>();
      b->id = unsigned(c);
      b->exStyle = SECBAR_EX_FIXEDSIZE;
      b->szHorz = {width, 26};
      b->szVert = {26, width};
    }
    return b.get();
  }
};

void Fill(DockBarModel& m, Bars& bars, const std::string& text) {
  auto& e = m.MutableEntries();
  e.assign(1, DockEntry{});
  std::istringstream in(text);
  std::string tok;
  while (in >> tok) {
    if (tok == "|") e.push_back(DockEntry{});
    else e.push_back(DockEntry{bars.Get(tok[0]), 0});
  }
}

std::string Show(const DockBarModel& m) {
  std::string out;
  for (size_t i = 1; i < m.Entries().size(); ++i) {
    const DockEntry& e = m.Entries()[i];
    if (!out.empty()) out += ' ';
    out += e.bar ? char(e.bar->id) : '|';
  }
  return out;
}

// A top dock bar 1000 long: the menu bar M (600 long) in a row of its own,
// then toolbars. A bar dropped goes where the drop rectangle's left edge
// and the cursor say, also when it came from the same dock bar (it leaves
// its place first, as the frame's drop does).
TEST(DockDropPlace, ABarDroppedOnATopDockBarTakesThePlaceItWasDroppedAt) {
  const struct {
    const char* name;
    const char* before;
    char bar;
    Point at;  // the cursor; the drop rectangle's left edge is 20 to its left
    const char* after;
  } rows[] = {
      {"on the menu row's lower half: a new row under it", "M | A |", 'N', {300, 20}, "M | N | A |"},
      {"on the menu row's upper half: a new row above it", "M | A |", 'N', {300, 3}, "N | M | A |"},
      {"just below the menu bar alone: a new row", "M |", 'N', {300, 30}, "M | N |"},
      {"on a toolbar row, right half of its last bar: after it", "M | A B |", 'N', {350, 40}, "M | A B N |"},
      {"on a toolbar row, left half of its second bar: before it", "M | A B |", 'N', {230, 40}, "M | A N B |"},
      {"moved right past its neighbour's middle", "M | A B |", 'A', {330, 40}, "M | B A |"},
      {"moved right, short of its neighbour's middle", "M | A B |", 'A', {250, 40}, "M | A B |"},
      {"moved left to the row's front", "M | A B C |", 'C', {30, 40}, "M | C A B |"},
      {"the menu bar onto a toolbar row: a row of its own", "M | A B |", 'M', {150, 45}, "A B | M |"},
  };
  for (const auto& r : rows) {
    Bars bars;
    bars.Get('M', 600)->exStyle |= SECBAR_EX_OWNROW;
    DockBarModel m(DockSide::Top);
    Fill(m, bars, r.before);
    m.Layout(Size{1000, 400});
    ControlBarState* bar = bars.Get(r.bar);
    if (m.Contains(bar)) m.RemoveControlBar(bar, false);
    const Size size = bar->szHorz;
    const Rect drop{r.at.x - 20, r.at.y - 5, r.at.x - 20 + size.cx, r.at.y - 5 + size.cy};
    m.DockControlBar(bar, &drop, &r.at);
    EXPECT_EQ(Show(m), r.after) << r.name;
  }
}

// The overlay shows the same place: over a row that the bar may join, the
// bar's own rectangle where it was dropped, on the row's line under the
// cursor; elsewhere a new row across the dock bar at its boundary.
TEST(DockDropPlace, TheDropRectangleShowsWhereTheBarWillGo) {
  const struct {
    const char* name;
    Point at;
    Rect shown;
  } rows[] = {
      {"on the toolbar row: the bar where it was dropped", {400, 40}, {380, 26, 580, 52}},
      {"past the dock bar's end: kept within it", {950, 40}, {800, 26, 1000, 52}},
      {"on the menu row's lower half: a new row under it", {300, 20}, {0, 26, 1000, 52}},
      {"on the menu row's upper half: a new first row", {300, 3}, {0, 0, 1000, 26}},
      {"below the rows: a new last row", {300, 60}, {0, 52, 1000, 78}},
  };
  for (const auto& r : rows) {
    Bars bars;
    bars.Get('M', 600)->exStyle |= SECBAR_EX_OWNROW;
    DockBarModel m(DockSide::Top);
    Fill(m, bars, "M | A |");
    m.Layout(Size{1000, 400});
    const Rect drag{r.at.x - 20, r.at.y - 5, r.at.x + 180, r.at.y + 21};
    EXPECT_EQ(m.CalcDropRect(bars.Get('N'), drag, r.at), r.shown) << r.name;
  }
}

// Bars of their own size that do not fit the dock bar's length wrap into
// further lines of their row, each bar whole; a bar alone in a line keeps
// it even when it is longer.
TEST(DockDropPlace, ARowLongerThanTheDockBarWrapsIntoLines) {
  const struct {
    const char* name;
    const char* list;
    int length;
    std::vector<Rect> rects;  // in entry order
    int thickness;
  } rows[] = {
      {"all fit", "A B |", 1000, {{0, 0, 200, 26}, {200, 0, 400, 26}}, 26},
      {"the third wraps", "A B C |", 500, {{0, 0, 200, 26}, {200, 0, 400, 26}, {0, 26, 200, 52}}, 52},
      {"one a line", "A B C |", 300, {{0, 0, 200, 26}, {0, 26, 200, 52}, {0, 52, 200, 78}}, 78},
      {"a following row starts below the lines", "A B | C |", 300,
       {{0, 0, 200, 26}, {0, 26, 200, 52}, {0, 52, 200, 78}}, 78},
      {"a bar longer than the dock bar keeps a line", "A |", 100, {{0, 0, 200, 26}}, 26},
  };
  for (const auto& r : rows) {
    Bars bars;
    DockBarModel m(DockSide::Top);
    Fill(m, bars, r.list);
    const DockLayoutResult res = m.Layout(Size{r.length, 400});
    EXPECT_EQ(res.rects, r.rects) << r.name;
    EXPECT_EQ(res.size.cy, r.thickness) << r.name;
  }
}

// The same on a left dock bar: the column wraps into further columns.
TEST(DockDropPlace, AColumnLongerThanTheDockBarWrapsIntoColumns) {
  Bars bars;
  DockBarModel m(DockSide::Left);
  Fill(m, bars, "A B C |");
  const DockLayoutResult res = m.Layout(Size{400, 500});
  EXPECT_EQ(res.rects, (std::vector<Rect>{{0, 0, 26, 200}, {0, 200, 26, 400}, {26, 0, 52, 200}}));
  EXPECT_EQ(res.size.cx, 52);
}

}  // namespace drop_place_test
}  // namespace pm2
