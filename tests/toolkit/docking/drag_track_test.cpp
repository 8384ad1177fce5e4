#include <gtest/gtest.h>

#include "toolkit/docking/control_bar_state.h"
#include "toolkit/docking/drag_track.h"

namespace pm2 {
namespace {

// A 1000 x 800 frame: left dock bar 200 wide holding a bar, bottom and top
// empty, right holding one bar.
std::vector<DockTarget> Targets() {
  return {{DockSide::Top, {0, 0, 1000, 0}},
          {DockSide::Bottom, {0, 800, 1000, 800}},
          {DockSide::Left, {0, 0, 200, 800}},
          {DockSide::Right, {800, 0, 1000, 800}}};
}

DragTrack Start(std::uint32_t align, bool floating, Point at) {
  ControlBarState s;
  s.style = align | (floating ? CBRS_FLOATING : 0);
  s.dockStyle = CBRS_ALIGN_ANY;
  s.szHorz = {400, 150};
  s.szVert = {200, 400};
  DragTrack t;
  t.Begin(s, Rect{at.x - 10, at.y - 10, at.x + 190, at.y + 390}, at, Size{6, 24});
  return t;
}

TEST(DragTrack, TargetFollowsTheCursor) {
  const struct {
    const char* name;
    Point to;
    bool ctrl, shift;
    int target;
  } rows[] = {
      {"inside the left dock bar", {100, 300}, false, false, 2},
      {"middle of the client floats", {500, 400}, false, false, -1},
      {"at the bottom edge", {500, 795}, false, false, 1},
      {"inside the right dock bar", {900, 300}, false, false, 3},
      {"ctrl never docks", {100, 300}, true, false, -1},
      {"near the top edge", {500, 5}, false, false, 0},
  };
  for (const auto& r : rows) {
    DragTrack t = Start(CBRS_ALIGN_LEFT, false, {100, 300});
    t.forceFrame = r.ctrl;
    t.flip = r.shift;
    t.Move(r.to, Targets());
    EXPECT_EQ(t.overDock, r.target) << r.name;
  }
}

TEST(DragTrack, RectanglesMoveWithTheCursorAndContainIt) {
  DragTrack t = Start(CBRS_ALIGN_LEFT, false, {100, 300});
  for (const Rect& r : {t.dragHorz, t.dragVert, t.frameHorz}) EXPECT_TRUE(r.Contains({100, 300}));
  Rect before = t.dragHorz;
  t.Move({130, 250}, Targets());
  EXPECT_EQ(t.dragHorz.left - before.left, 30);
  EXPECT_EQ(t.dragHorz.top - before.top, -50);
  EXPECT_EQ(t.dragHorz.Width(), 400);
}

// A top dock bar holding rows (0..50) still takes a horizontal bar a few
// pixels below its last row, where a new row goes, before the drag floats;
// a dock bar that holds the cursor comes first.
TEST(DragTrack, ADockBarWithRowsTakesADragJustBeyondItsClientEdge) {
  const struct {
    const char* name;
    Point to;
    int target;
  } rows[] = {
      {"inside the top dock bar", {500, 40}, 0},
      {"just below it", {500, 55}, 0},
      {"the band's last pixel", {500, 50 + kNewRowCatch - 1}, 0},
      {"past the band: floats", {500, 50 + kNewRowCatch}, -1},
      {"below it but inside the left dock bar: the left dock bar", {100, 55}, 2},
      {"beside the left dock bar: its band", {205, 300}, 2},
  };
  std::vector<DockTarget> targets = {{DockSide::Top, {0, 0, 1000, 50}},
                                     {DockSide::Bottom, {0, 800, 1000, 800}},
                                     {DockSide::Left, {0, 50, 200, 800}},
                                     {DockSide::Right, {1000, 50, 1000, 800}}};
  for (const auto& r : rows) {
    DragTrack t = Start(CBRS_ALIGN_TOP, false, {500, 20});
    t.Move(r.to, targets);
    EXPECT_EQ(t.overDock, r.target) << r.name;
  }
}

TEST(DragTrack, FloatingBarDocksOnlyAfterMovingMoreThanFourPixels) {
  const struct {
    Point to;
    bool docks;
  } rows[] = {{{102, 302}, false}, {{103, 302}, true}, {{100, 300}, false}};
  for (const auto& r : rows) {
    DragTrack t = Start(CBRS_ALIGN_TOP, true, {100, 300});
    t.Move(r.to, Targets());
    EXPECT_EQ(t.DocksOnRelease(), r.docks) << r.to.x << "," << r.to.y;
  }
}

TEST(DragTrack, FloatStyleFollowsShift) {
  DragTrack t = Start(CBRS_ALIGN_LEFT, false, {100, 300});
  EXPECT_EQ(t.FloatStyle(false) & CBRS_ALIGN_ANY, CBRS_ALIGN_LEFT);
  t.flip = true;
  EXPECT_EQ(t.FloatStyle(false) & CBRS_ALIGN_ANY, CBRS_ALIGN_TOP);
  // A dynamic bar always floats horizontally.
  t.flip = false;
  EXPECT_EQ(t.FloatStyle(true) & CBRS_ALIGN_ANY, CBRS_ALIGN_TOP);
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// A floating frame over the left dock bar: it takes the bar only when both
// the frame and the dragged bar hold several bars.
TEST(DragTrack, AFloatingFrameTakesABarOnlyWhenBothAllowSeveralBars) {
  const struct {
    const char* name;
    bool frameMulti, barMulti;
    Point to;
    int target;
  } rows[] = {
      {"both allow: the frame, above the dock bar under it", true, true, {120, 320}, 4},
      {"the frame holds one bar: the dock bar under it", false, true, {120, 320}, 2},
      {"the bar does not allow it: the dock bar under it", true, false, {120, 320}, 2},
      {"just below the frame: the frame", true, true, {300, 460}, 4},
      {"farther below: floats", true, true, {300, 475}, -1},
      {"outside the frame: the dock bar", true, true, {100, 600}, 2},
      {"outside the frame and the dock bars: floats", true, true, {500, 400}, -1},
  };
  for (const auto& r : rows) {
    std::vector<DockTarget> targets = Targets();
    targets.push_back(DockTarget{DockSide::Float, {50, 250, 350, 450}, r.frameMulti});
    ControlBarState s;
    s.style = CBRS_ALIGN_BOTTOM;
    s.dockStyle = CBRS_ALIGN_ANY | (r.barMulti ? CBRS_FLOAT_MULTI : 0);
    s.szHorz = {400, 150};
    s.szVert = {200, 400};
    DragTrack t;
    t.Begin(s, Rect{590, 690, 990, 840}, Point{600, 700}, Size{6, 24});
    t.Move(r.to, targets);
    EXPECT_EQ(t.overDock, r.target) << r.name;
    // Ctrl keeps the bar floating even over such a frame.
    t.forceFrame = true;
    t.Move(r.to, targets);
    EXPECT_EQ(t.overDock, -1) << r.name;
  }
}

}  // namespace
}  // namespace pm2
