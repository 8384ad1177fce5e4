#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>

#include "toolkit/docking/dock_bar_model.h"

namespace pm2 {
namespace {

// Bars named by letters; a list written as "A B | C |" (| ends a row,
// lower-case letters are held places).
struct Bars {
  std::map<char, std::unique_ptr<ControlBarState>> byName;
  ControlBarState* operator[](char c) {
    auto& b = byName[c];
    if (!b) {
      b = std::make_unique<ControlBarState>();
      b->id = unsigned(c);
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
    else if (std::islower(tok[0])) e.push_back(DockEntry{nullptr, unsigned(std::toupper(tok[0]))});
    else e.push_back(DockEntry{bars[tok[0]], 0});
  }
}

std::string Show(const DockBarModel& m) {
  std::string out;
  for (size_t i = 1; i < m.Entries().size(); ++i) {
    const DockEntry& e = m.Entries()[i];
    if (!out.empty()) out += ' ';
    if (e.bar) out += char(e.bar->id);
    else if (e.placeholder) out += char(std::tolower(int(e.placeholder)));
    else out += '|';
  }
  return out;
}

struct InsertRow {
  const char* name;
  const char* before;
  DockPosition pos;
  const char* after;
};

TEST(DockBarModel, InsertAtPositionPlacesBarsByRowColumnAndFlags) {
  const InsertRow rows[] = {
      {"empty dock bar", "", {0, 0, 0}, "N |"},
      {"front of the first row", "A B |", {0, 0, 0}, "N A B |"},
      {"after the first bar", "A B |", {0, 1, 0}, "A N B |"},
      {"column past the row's end", "A B |", {0, 5, 0}, "A B N |"},
      {"second row", "A | B |", {1, 0, 0}, "A | N B |"},
      {"row beyond the last adds empty rows", "A |", {2, 0, 0}, "A | | N |"},
      {"negative row -1 joins the first row", "A |", {-1, 0, 0}, "N A |"},
      {"negative row -2 makes a new first row", "A |", {-2, 0, 0}, "N | A |"},
      {"from the last row", "A | B |", {0, 0, 1}, "A | N B |"},
      {"from the row's end", "A B |", {0, 1, 2}, "A B N |"},
      {"new row before", "A | B |", {1, 0, 4}, "A | N | B |"},
  };
  for (const InsertRow& r : rows) {
    Bars bars;
    DockBarModel m(DockSide::Bottom);
    Fill(m, bars, r.before);
    m.InsertAtPosition(bars['N'], r.pos);
    EXPECT_EQ(Show(m), r.after) << r.name;
  }
}

TEST(DockBarModel, OwnRowBarNeverSharesARow) {
  Bars bars;
  DockBarModel m(DockSide::Top);
  Fill(m, bars, "A B |");
  bars['N']->exStyle = SECBAR_EX_OWNROW;
  m.InsertAtPosition(bars['N'], DockPosition{0, 1, 0});
  EXPECT_EQ(Show(m), "A | N | B |");
}

// Nor does anything join its row: a place given in it, a place held in it,
// or a stored layout that had them share it.
TEST(DockBarModel, NothingJoinsTheRowOfABarThatKeepsItToItself) {
  const struct {
    const char* name;
    const char* before;
    DockPosition pos;
    const char* after;
  } rows[] = {
      {"after it", "M | A |", {0, 1, 0}, "M | N | A |"},
      {"before it", "M | A |", {0, 0, 0}, "N | M | A |"},
      {"another row is joined as asked", "M | A |", {1, 1, 0}, "M | A N |"},
  };
  for (const auto& r : rows) {
    Bars bars;
    bars['M']->exStyle = SECBAR_EX_OWNROW;
    DockBarModel m(DockSide::Top);
    Fill(m, bars, r.before);
    m.InsertAtPosition(bars['N'], r.pos);
    EXPECT_EQ(Show(m), r.after) << r.name;
  }
  Bars bars;
  bars['M']->exStyle = SECBAR_EX_OWNROW;
  DockBarModel m(DockSide::Top);
  Fill(m, bars, "M n | A |");
  m.DockControlBar(bars['N'], nullptr);
  EXPECT_EQ(Show(m), "M | N | A |") << "held place";
  Fill(m, bars, "A M B |");
  m.SeparateOwnRows();
  EXPECT_EQ(Show(m), "A | M | B |") << "stored shared row";
}

struct RemoveRow {
  const char* name;
  const char* before;
  char bar;
  bool hold;
  const char* after;
};

TEST(DockBarModel, RemoveLeavesHeldPlacesAndClosesEmptyRows) {
  const RemoveRow rows[] = {
      {"held place", "A B |", 'A', true, "a B |"},
      {"removed outright", "A B |", 'A', false, "B |"},
      {"last bar of a middle row", "A | B | C |", 'B', false, "A | C |"},
      {"one held place per id", "a | A B |", 'A', true, "| a B |"},
  };
  for (const RemoveRow& r : rows) {
    Bars bars;
    DockBarModel m(DockSide::Left);
    Fill(m, bars, r.before);
    m.RemoveControlBar(bars[r.bar], r.hold);
    std::string shown = Show(m);
    // A leading row end is never kept.
    if (std::string(r.after).rfind("| ", 0) == 0) EXPECT_EQ(shown, std::string(r.after).substr(2)) << r.name;
    else EXPECT_EQ(shown, r.after) << r.name;
  }
}

TEST(DockBarModel, DockingWithoutRectangleReturnsToTheHeldPlace) {
  Bars bars;
  DockBarModel m(DockSide::Bottom);
  Fill(m, bars, "A b C |");
  m.DockControlBar(bars['B'], nullptr);
  EXPECT_EQ(Show(m), "A B C |");
  EXPECT_EQ(bars['B']->style & CBRS_ALIGN_ANY, CBRS_ALIGN_BOTTOM);
  EXPECT_FALSE(bars['B']->IsFloating());
}

struct ShareRow {
  const char* name;
  std::vector<float> shares;
  std::vector<bool> set;
  int newBar;  // -1 none
  std::vector<float> expected;
};

TEST(DockBarModel, NormalizeRowKeepsRequestedSharesAndOldProportions) {
  const ShareRow rows[] = {
      {"new bar asks 30% of a row of two", {0.5f, 0.5f, 0.3f}, {true, true, true}, 2, {0.35f, 0.35f, 0.3f}},
      {"a lone new bar takes the row", {0.4f}, {false}, -1, {1.0f}},
      {"two fresh bars share evenly", {0.5f, 0.5f}, {false, false}, -1, {0.5f, 0.5f}},
      {"old shares are rescaled to sum one", {0.2f, 0.6f}, {true, true}, -1, {0.25f, 0.75f}},
      {"new bar asking more than the old bars hold", {0.05f, 0.9f}, {true, true}, 1, {0.1f, 0.9f}},
      {"a share above 95% is not treated as new", {0.5f, 0.97f}, {true, true}, 1, {0.34f, 0.66f}},
  };
  for (const ShareRow& r : rows) {
    Bars bars;
    DockBarModel m(DockSide::Top);
    std::string text;
    for (size_t i = 0; i < r.shares.size(); ++i) {
      ControlBarState* b = bars[char('A' + i)];
      b->stretch = r.shares[i];
      b->shareSet = r.set[i];
      text += std::string(1, char('A' + i)) + " ";
    }
    Fill(m, bars, text + "|");
    m.NormalizeRow(1, r.newBar >= 0 ? bars[char('A' + r.newBar)] : nullptr);
    for (size_t i = 0; i < r.expected.size(); ++i)
      EXPECT_NEAR(bars[char('A' + i)]->stretch, r.expected[i], 0.01f) << r.name << " bar " << i;
  }
}

TEST(DockBarModel, HiddenBarGivesUpItsShareAndGetsItBackAsNew) {
  Bars bars;
  DockBarModel m(DockSide::Top);
  Fill(m, bars, "A B |");
  bars['A']->stretch = bars['B']->stretch = 0.5f;
  bars['B']->visible = false;
  m.NormalizeRow(1, nullptr);
  EXPECT_FALSE(bars['B']->shareSet);
  EXPECT_NEAR(bars['A']->stretch, 1.0f, 1e-4);
  bars['B']->visible = true;
  m.NormalizeRow(1, nullptr);
  // It asks for the share it had; the other bar gives it up.
  EXPECT_NEAR(bars['B']->stretch, 0.5f, 1e-4);
  EXPECT_NEAR(bars['A']->stretch, 0.5f, 1e-4);
}

TEST(DockBarModel, RowLayoutGivesSharesOfTheLengthLessSplitters) {
  Bars bars;
  DockBarModel m(DockSide::Bottom);
  Fill(m, bars, "A B |");
  bars['A']->stretch = 0.5f;
  bars['B']->stretch = 0.5f;
  bars['A']->szHorz = {100, 120};
  bars['B']->szHorz = {100, 80};
  DockLayoutResult r = m.Layout(Size{606, 400});
  ASSERT_EQ(r.rects.size(), 2u);
  // The row splitter leads in a bottom dock bar; the client edge trails.
  EXPECT_EQ(r.rects[0], (Rect{0, 6, 300, 126}));
  EXPECT_EQ(r.rects[1], (Rect{306, 6, 606, 126}));
  EXPECT_EQ(r.size, (Size{606, 128}));
  ASSERT_EQ(r.splitters.size(), 2u);
  EXPECT_TRUE(r.splitters[0].between);
  EXPECT_EQ(r.splitters[0].rect, (Rect{300, 6, 306, 126}));
  EXPECT_FALSE(r.splitters[1].between);
  EXPECT_EQ(r.splitters[1].rect, (Rect{0, 0, 606, 6}));
  ASSERT_EQ(r.edges.size(), 1u);
  EXPECT_EQ(r.edges[0].rect, (Rect{0, 126, 606, 128}));
  // Both bars took the row's thickness.
  EXPECT_EQ(bars['B']->szHorz.cy, 120);
}

TEST(DockBarModel, LastBarTakesWhatTruncationLeft) {
  Bars bars;
  DockBarModel m(DockSide::Left);
  Fill(m, bars, "A B C |");
  for (char c : {'A', 'B', 'C'}) bars[c]->stretch = 1.0f / 3.0f;
  DockLayoutResult r = m.Layout(Size{300, 413});
  ASSERT_EQ(r.rects.size(), 3u);
  EXPECT_EQ(r.rects[2].bottom, 413);
  EXPECT_EQ(r.rects[0].Height() + r.rects[1].Height() + r.rects[2].Height() + 12, 413);
}

struct SplitRow {
  const char* name;
  int splitter;  // index among the between-bar splitters
  int delta;
  std::vector<int> expected;  // lengths after the move
};

TEST(DockBarModel, SplitterDragChangesOnlyItsNeighboursAndStopsAtLimits) {
  const SplitRow rows[] = {
      {"first splitter right", 0, 30, {130, 70, 100}},
      {"first splitter left", 0, -30, {70, 130, 100}},
      {"second splitter right", 1, 40, {100, 140, 60}},
      {"a squeezed bar stops at 18 and the next one gives the rest", 0, 95, {195, 18, 87}},
  };
  for (const SplitRow& r : rows) {
    Bars bars;
    DockBarModel m(DockSide::Top);
    Fill(m, bars, "A B C |");
    for (char c : {'A', 'B', 'C'}) bars[c]->stretch = 1.0f / 3.0f;
    m.Layout(Size{312, 300});
    std::vector<DockSplitter> between;
    for (const DockSplitter& s : m.LastLayout().splitters)
      if (s.between) between.push_back(s);
    m.ApplySplitterDelta(between[r.splitter], r.delta);
    DockLayoutResult after = m.Layout(Size{312, 300});
    for (size_t i = 0; i < r.expected.size(); ++i) EXPECT_EQ(after.rects[i].Width(), r.expected[i]) << r.name << " bar " << i;
  }
}

TEST(DockBarModel, SplitterLimitsKeepBarsAndRowsUsable) {
  Bars bars;
  DockBarModel m(DockSide::Top);
  Fill(m, bars, "A B C |");
  for (char c : {'A', 'B', 'C'}) {
    bars[c]->stretch = 1.0f / 3.0f;
    bars[c]->szHorz.cy = 100;
  }
  DockLayoutResult r = m.Layout(Size{312, 500});
  int min = 0, max = 0;
  m.GetSplitterLimits(r.splitters[0], Rect{0, 0, 312, 500}, &min, &max);
  EXPECT_EQ(min, 24);               // one bar before of 24 pixels
  EXPECT_EQ(max - 6, 312 - 2 * 24 - 6 - 6);  // two bars after, one splitter between them
  const DockSplitter& row = r.splitters.back();
  ASSERT_FALSE(row.between);
  // Frame client from y = 108 to 400 in the dock bar's coordinates.
  m.GetSplitterLimits(row, Rect{0, 108, 312, 400}, &min, &max);
  EXPECT_EQ(min, row.rect.top - 100 + 19);
  EXPECT_EQ(max, 400 - 19);
}

TEST(DockBarModel, RowSplitterResizesTheWholeRow) {
  const struct {
    DockSide side;
    int delta;
    int thickness;
  } rows[] = {{DockSide::Top, 20, 120}, {DockSide::Bottom, 20, 80}, {DockSide::Left, -20, 80}, {DockSide::Right, -20, 120}};
  for (const auto& r : rows) {
    Bars bars;
    DockBarModel m(r.side);
    Fill(m, bars, "A B |");
    for (char c : {'A', 'B'}) bars[c]->szHorz.cy = bars[c]->szVert.cx = 100;
    DockLayoutResult l = m.Layout(Size{400, 400});
    m.ApplySplitterDelta(l.splitters.back(), r.delta);
    int t = IsHorzSide(r.side) ? bars['B']->szHorz.cy : bars['B']->szVert.cx;
    EXPECT_EQ(t, r.thickness) << int(r.side);
  }
}

// A frame 400 pixels across the dock bar's rows, of which the bars laid out
// before the dock bar take 50: the free area is what the dock bar leaves,
// in the dock bar's coordinates.
Rect FreeArea(DockSide side, int dockThickness, int length) {
  const int free = 350 - dockThickness;
  switch (side) {
    case DockSide::Top: return Rect{0, dockThickness, length, dockThickness + free};
    case DockSide::Bottom: return Rect{0, -free, length, 0};
    case DockSide::Left: return Rect{dockThickness, 0, dockThickness + free, length};
    default: return Rect{-free, 0, 0, length};
  }
}

int Across(DockSide side, const DockLayoutResult& r) { return IsHorzSide(side) ? r.size.cy : r.size.cx; }

// A row splitter dragged as far as it goes toward the client area leaves
// the free area its minimum, whichever row it belongs to: an outer row
// pushes the rows between it and the free area along, and a limit at the
// free area's far edge let it push the whole dock bar over the bars laid
// out before it (the menu bar, the toolbars).
TEST(DockBarModel, ARowSplitterDraggedToItsLimitLeavesTheFreeAreaItsMinimum) {
  const struct {
    const char* name;
    DockSide side;
    int row;  // of the splitter dragged, from the one next to the free area
  } rows[] = {
      {"bottom, the row next to the client", DockSide::Bottom, 0},
      {"bottom, an outer row (Output over Watches)", DockSide::Bottom, 1},
      {"bottom, the outermost of three rows", DockSide::Bottom, 2},
      {"top, the row next to the client", DockSide::Top, 2},
      {"top, an outer row", DockSide::Top, 0},
      {"left, an outer row", DockSide::Left, 0},
      {"right, the row next to the client", DockSide::Right, 0},
      {"right, an outer row", DockSide::Right, 2},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Bars bars;
    DockBarModel m(r.side);
    Fill(m, bars, "A | B | C |");
    for (char c : {'A', 'B', 'C'}) bars[c]->szHorz.cy = bars[c]->szVert.cx = 60;
    const Size available{600, 600};
    DockLayoutResult l = m.Layout(available);
    const int before = Across(r.side, l);
    ASSERT_EQ(before, 3 * (60 + 8));
    std::vector<DockSplitter> rowSplitters;
    for (const DockSplitter& s : l.splitters)
      if (!s.between) rowSplitters.push_back(s);
    ASSERT_EQ(rowSplitters.size(), 3u);
    const DockSplitter& s = rowSplitters[size_t(r.row)];
    int min = 0, max = 0;
    m.GetSplitterLimits(s, FreeArea(r.side, before, 600), &min, &max);
    const bool growsForward = r.side == DockSide::Top || r.side == DockSide::Left;
    const int lead = s.vertical ? s.rect.left : s.rect.top;
    m.ApplySplitterDelta(s, (growsForward ? max - DockBarModel::kSplitter : min) - lead);
    const int after = Across(r.side, m.Layout(available));
    EXPECT_EQ(350 - after, DockBarModel::kMinRow) << "free area left: " << 350 - after;
  }
}

// A dock bar too thick for what the frame can give it shows its sizable
// rows thinner, the thickest first and none below the minimum; the rows
// keep their own sizes, and a frame that grows again shows them whole.
TEST(DockBarModel, ATooThickDockBarShowsItsThickestRowsThinner) {
  const struct {
    const char* name;
    std::vector<int> thickness;  // of the rows, from the first
    int maxAcross;
    std::vector<int> shown;
  } rows[] = {
      {"room enough", {100, 60}, 400, {100, 60}},
      {"exactly enough", {100, 60}, 176, {100, 60}},
      {"the thickest row gives", {200, 60}, 176, {100, 60}},
      {"both give once they are equal", {120, 100}, 176, {80, 80}},
      {"in whole pixels one more may go", {120, 101}, 177, {80, 80}},
      {"no row below the minimum", {300, 200, 30}, 30, {19, 19, 19}},
      {"a thin row keeps its size", {300, 10}, 60, {34, 10}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    for (DockSide side : {DockSide::Bottom, DockSide::Left}) {
      Bars bars;
      DockBarModel m(side);
      std::string text;
      for (size_t i = 0; i < r.thickness.size(); ++i) text += std::string(1, char('A' + i)) + " | ";
      Fill(m, bars, text);
      for (size_t i = 0; i < r.thickness.size(); ++i) {
        ControlBarState* b = bars[char('A' + i)];
        b->szHorz.cy = b->szVert.cx = r.thickness[i];
      }
      DockLayoutResult l = m.Layout(Size{500, 500}, r.maxAcross);
      ASSERT_EQ(l.rows.size(), r.shown.size());
      int sum = 0;
      for (size_t i = 0; i < r.shown.size(); ++i) {
        EXPECT_EQ(l.rows[i].thickness, r.shown[i]) << "row " << i;
        const Rect& rect = l.rects[i];
        EXPECT_EQ(IsHorzSide(side) ? rect.Height() : rect.Width(), r.shown[i]) << "bar of row " << i;
        sum += r.shown[i] + 8;
      }
      EXPECT_EQ(Across(side, l), sum);
      DockLayoutResult whole = m.Layout(Size{500, 500});
      for (size_t i = 0; i < r.thickness.size(); ++i) EXPECT_EQ(whole.rows[i].thickness, r.thickness[i]) << "row " << i;
    }
  }
}

// A drag on a row shown thinner than its own size moves from what was shown.
TEST(DockBarModel, ARowShownThinnerIsDraggedFromWhatWasShown) {
  Bars bars;
  DockBarModel m(DockSide::Bottom);
  Fill(m, bars, "A |");
  bars['A']->szHorz.cy = 300;
  DockLayoutResult l = m.Layout(Size{500, 500}, 108);
  ASSERT_EQ(l.rows[0].thickness, 100);
  m.ApplySplitterDelta(l.splitters.back(), 10);  // down: thinner
  EXPECT_EQ(bars['A']->szHorz.cy, 90);
  EXPECT_EQ(m.Layout(Size{500, 500}).rows[0].thickness, 90);
}

TEST(DockBarModel, ExpandAndContractWorkOnTheBarsOwnRow) {
  Bars bars;
  DockBarModel m(DockSide::Bottom);
  Fill(m, bars, "X Y | A B C |");
  for (char c : {'X', 'Y'}) bars[c]->stretch = 0.5f;
  bars['A']->stretch = 0.2f;
  bars['B']->stretch = 0.5f;
  bars['C']->stretch = 0.3f;
  m.Layout(Size{600, 400});
  EXPECT_FALSE(m.IsBarExpanded(bars['B']));
  m.ToggleExpand(bars['B'], 1);
  m.Layout(Size{600, 400});
  EXPECT_TRUE(m.IsBarExpanded(bars['B']));
  EXPECT_NEAR(bars['A']->stretch, m.MinShare(), 0.01f);
  m.ToggleExpand(bars['B'], 2);
  m.Layout(Size{600, 400});
  for (char c : {'A', 'B', 'C'}) EXPECT_NEAR(bars[c]->stretch, 1.0f / 3.0f, 1e-4) << c;
  // The first row was not touched.
  EXPECT_NEAR(bars['X']->stretch, 0.5f, 1e-4);
}

TEST(DockBarModel, LoneBarCannotExpandAndReportsItselfExpanded) {
  Bars bars;
  DockBarModel m(DockSide::Left);
  Fill(m, bars, "A | B C |");
  m.Layout(Size{300, 300});
  EXPECT_TRUE(m.IsExpandDisabled(bars['A']));
  EXPECT_TRUE(m.IsBarExpanded(bars['A']));
  EXPECT_FALSE(m.IsExpandDisabled(bars['B']));
}

TEST(DockBarModel, DropRectangleShowsTheShareTheBarWouldGet) {
  Bars bars;
  DockBarModel m(DockSide::Bottom);
  Fill(m, bars, "A B |");
  bars['A']->stretch = bars['B']->stretch = 0.5f;
  m.Layout(Size{606, 400});
  ControlBarState* n = bars['N'];
  n->stretch = 0.5f;
  // Over the row: a third of the row, as thick as the row.
  Rect r = m.CalcDropRect(n, Rect{100, 20, 400, 200}, Point{150, 30});
  EXPECT_EQ(r.Width(), 202);
  EXPECT_EQ(r.top, 6);
  // Above the dock bar: a new row across the whole length.
  Rect above = m.CalcDropRect(n, Rect{100, -150, 400, -20}, Point{150, -30});
  EXPECT_EQ(above, (Rect{0, -130, 606, 0}));
}

TEST(DockBarModel, InsertAtRectFollowsTheCursor) {
  Bars bars;
  DockBarModel m(DockSide::Bottom);
  Fill(m, bars, "A B |");
  m.Layout(Size{606, 400});
  m.InsertBarAtRect(bars['N'], Rect{250, 10, 400, 100}, Point{260, 30});
  EXPECT_EQ(Show(m), "A N B |");
  m.Layout(Size{606, 400});
  m.InsertBarAtRect(bars['M'], Rect{0, -100, 100, -10}, Point{50, -20});
  EXPECT_EQ(Show(m), "M | A N B |");
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// A floating frame's dock bar: bars of a row side by side at their own
// floating sizes, as tall as the row's tallest; rows stack; the size is
// what the frame wraps.
TEST(DockBarModel, FloatingRowsStackAndTheirBarsStandSideBySide) {
  const struct {
    const char* name;
    const char* list;
    std::vector<Rect> rects;  // in entry order
    Size size;
  } rows[] = {
      {"one bar", "A |", {{0, 0, 300, 150}}, {300, 150}},
      {"two rows", "A | B |", {{0, 0, 300, 150}, {0, 150, 200, 250}}, {300, 250}},
      {"one row of two", "A B |", {{0, 0, 300, 150}, {300, 0, 500, 150}}, {500, 150}},
      {"a held place takes no room", "A | b | B |", {{0, 0, 300, 150}, {0, 150, 200, 250}}, {300, 250}},
  };
  for (const auto& r : rows) {
    Bars bars;
    bars['A']->szFloat = {300, 150};
    bars['B']->szFloat = {200, 100};
    DockBarModel m(DockSide::Float);
    Fill(m, bars, r.list);
    DockLayoutResult res = m.Layout(Size{32767, 32767});
    EXPECT_EQ(res.rects, r.rects) << r.name;
    EXPECT_EQ(res.size, r.size) << r.name;
  }
}

// Dropped onto a floating frame: into the row under the cursor, else a new
// row above or below it.
TEST(DockBarModel, ABarDroppedOnAFloatingFrameJoinsItsRows) {
  const struct {
    const char* name;
    Point at;
    const char* after;
  } rows[] = {
      {"right half of the bar: after it", {250, 60}, "A N |"},
      {"left half of the bar: before it", {20, 60}, "N A |"},
      {"below the row: a new last row", {100, 200}, "A | N |"},
      {"above the row: a new first row", {100, -10}, "N | A |"},
  };
  for (const auto& r : rows) {
    Bars bars;
    bars['A']->szFloat = {300, 150};
    DockBarModel m(DockSide::Float);
    Fill(m, bars, "A |");
    m.Layout(Size{32767, 32767});
    Rect drag{r.at.x - 10, r.at.y - 10, r.at.x + 190, r.at.y + 90};
    m.DockControlBar(bars['N'], &drag, &r.at);
    EXPECT_EQ(Show(m), r.after) << r.name;
    EXPECT_TRUE(bars['N']->IsFloating()) << r.name;
  }
}

}  // namespace
}  // namespace pm2
