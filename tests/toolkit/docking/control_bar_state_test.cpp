#include <gtest/gtest.h>

#include "toolkit/docking/control_bar_state.h"

namespace pm2 {
namespace {

ControlBarState Ide(std::uint32_t align) {
  ControlBarState s;
  s.style = align | CBRS_BORDER_ANY;
  s.exStyle = kIdeBarExStyle;
  return s;
}

TEST(ControlBarState, InsideRectanglePerSideAndFloating) {
  const Rect client{0, 0, 200, 100};
  const struct {
    const char* name;
    std::uint32_t style;
    std::uint32_t ex;
    Rect inside;
  } rows[] = {
      {"row: gripper at the left", CBRS_ALIGN_BOTTOM, SECBAR_EX_GRIPPER, {17, 3, 197, 97}},
      {"column: gripper at the top", CBRS_ALIGN_LEFT, SECBAR_EX_GRIPPER, {3, 17, 197, 97}},
      {"floating: no gripper, inside border", CBRS_ALIGN_TOP | CBRS_FLOATING, SECBAR_EX_GRIPPER | SECBAR_EX_INSIDEBORDER,
       {10, 10, 190, 90}},
      {"floating without inside border", CBRS_ALIGN_TOP | CBRS_FLOATING, SECBAR_EX_GRIPPER, {0, 0, 200, 100}},
      {"docked without gripper", CBRS_ALIGN_RIGHT, SECBAR_EX_INSIDEBORDER, {10, 10, 190, 90}},
  };
  for (const auto& r : rows) {
    ControlBarState s;
    s.style = r.style;
    s.exStyle = r.ex;
    EXPECT_EQ(s.GetInsideRect(client), r.inside) << r.name;
  }
}

TEST(ControlBarState, FlatInsideRectangleTurnsBordersForAColumn) {
  ControlBarState s = Ide(CBRS_ALIGN_LEFT);
  s.borderLeft = 2;
  s.borderTop = 1;
  EXPECT_EQ(s.CalcInsideRect(Rect{0, 0, 100, 100}, true, true), (Rect{18, 2, 99, 99}));
  EXPECT_EQ(s.CalcInsideRect(Rect{0, 0, 100, 100}, false, true), (Rect{2, 18, 99, 99}));
  EXPECT_EQ(s.CalcInsideRect(Rect{0, 0, 100, 100}, false, false), (Rect{2, 3, 99, 99}));
}

TEST(ControlBarState, DynamicLayoutCommitsIntoTheStateTheModeNames) {
  const struct {
    const char* name;
    std::uint32_t mode;
    Size horz, vert, flt;
    int mru;
  } rows[] = {
      {"horizontal dock width", LM_HORZDOCK | LM_HORZ | LM_COMMIT, {77, 180}, {300, 180}, {300, 180}, 32767},
      {"horizontal dock height", LM_HORZDOCK | LM_LENGTHY | LM_COMMIT, {300, 77}, {300, 180}, {300, 180}, 32767},
      {"vertical dock height", LM_VERTDOCK | LM_LENGTHY | LM_COMMIT, {300, 180}, {300, 77}, {300, 180}, 32767},
      {"floating width sets the last width too", LM_COMMIT, {300, 180}, {300, 180}, {77, 180}, 77},
      {"stretch takes the share", LM_HORZDOCK | LM_STRETCH | LM_COMMIT, {38, 180}, {300, 180}, {300, 180}, 32767},
      {"no commit changes nothing", LM_HORZDOCK, {300, 180}, {300, 180}, {300, 180}, 32767},
  };
  for (const auto& r : rows) {
    ControlBarState s;
    s.stretch = 0.5f;
    s.CalcDynamicLayout(77, r.mode);
    EXPECT_EQ(s.szHorz, r.horz) << r.name;
    EXPECT_EQ(s.szVert, r.vert) << r.name;
    EXPECT_EQ(s.szFloat, r.flt) << r.name;
    EXPECT_EQ(s.mruWidth, r.mru) << r.name;
  }
}

TEST(ControlBarState, ThemedBitSurvivesLaterStyles) {
  ControlBarState s;
  s.SetExStyle(SECBAR_EX_THEMED | SECBAR_EX_GRIPPER);
  s.SetExStyle(SECBAR_EX_CLOSEBTN);
  EXPECT_EQ(s.exStyle, SECBAR_EX_THEMED | SECBAR_EX_CLOSEBTN);
}

TEST(ControlBarState, FillChildIgnoresTheGripperWhenFloatingAndNothingWhenMinimised) {
  ControlBarState s = Ide(CBRS_ALIGN_LEFT);
  s.exStyle |= SECBAR_EX_FILLCHILD;
  EXPECT_EQ(FillChildRect(s, 200, 100), (Rect{3, 17, 197, 97}));
  s.style |= CBRS_FLOATING;
  EXPECT_EQ(FillChildRect(s, 200, 100), (Rect{0, 0, 200, 100}));
  EXPECT_TRUE(FillChildRect(s, 0, 100).IsEmpty());
}

TEST(ControlBarState, ProportionalChildrenScaleAndAnEmptyBaseGivesNothing) {
  ControlBarState s;
  s.exStyle = SECBAR_EX_PROPORTIONAL;
  ChildRecords rec{{0, 0, 100, 50}, {{10, 10, 50, 40}}};
  std::vector<Rect> out = ProportionalChildRects(s, rec, 200, 100);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], (Rect{20, 20, 100, 80}));
  ChildRecords empty{{0, 0, 0, 0}, {{10, 10, 50, 40}}};
  EXPECT_TRUE(ProportionalChildRects(s, empty, 200, 100).empty());
}

TEST(ControlBarState, DecorationsPlaceCloseThenExpandAtTheStripsEnd) {
  const struct {
    const char* name;
    std::uint32_t align;
    Rect strip, close, expand, text;
  } rows[] = {
      // A row: vertical strip at the left, buttons at its top, text below.
      {"row", CBRS_ALIGN_BOTTOM, {2, 5, 19, 95}, {4, 5, 15, 16}, {4, 18, 15, 29}, {2, 31, 19, 95}},
      // A column: horizontal strip at the top, buttons at its right end.
      {"column", CBRS_ALIGN_LEFT, {5, 2, 195, 19}, {184, 4, 195, 15}, {171, 4, 182, 15}, {5, 2, 169, 19}},
  };
  for (const auto& r : rows) {
    ControlBarState s = Ide(r.align);
    BarDecorations d = ComputeBarDecorations(s, Rect{0, 0, 200, 100});
    EXPECT_EQ(d.strip, r.strip) << r.name;
    EXPECT_EQ(d.closeBtn, r.close) << r.name;
    EXPECT_EQ(d.expandBtn, r.expand) << r.name;
    EXPECT_EQ(d.text, r.text) << r.name;
  }
}

TEST(ControlBarState, NoBorderBitMeansNoGripperAndFloatingShowsNone) {
  ControlBarState s = Ide(CBRS_ALIGN_LEFT);
  s.style &= ~CBRS_BORDER_ANY;
  EXPECT_TRUE(ComputeBarDecorations(s, Rect{0, 0, 200, 100}).strip.IsEmpty());
  s = Ide(CBRS_ALIGN_TOP);
  s.style |= CBRS_FLOATING;
  EXPECT_TRUE(ComputeBarDecorations(s, Rect{0, 0, 200, 100}).closeBtn.IsEmpty());
}

}  // namespace
}  // namespace pm2
