#include <gtest/gtest.h>

#include "toolkit/docking/frame_layout.h"

namespace pm2 {
namespace {

constexpr unsigned B = AFX_IDW_DOCKBAR_BOTTOM, L = AFX_IDW_DOCKBAR_LEFT, R = AFX_IDW_DOCKBAR_RIGHT;

TEST(DockOrder, SixPassesOpenRowsAtTheirBoundaries) {
  const std::vector<unsigned> expected = {
      0, B, 0, L, 0, R,  // pass 0
      B, L, R,           // pass 1
      B, 0, L, 0, R,     // pass 2
      0, B, L, R,        // pass 3
      B, 0, L, 0, R,     // pass 4
      B, L, R,           // pass 5
  };
  EXPECT_EQ(DockOrder().List(), expected);
}

TEST(DockOrder, NextWalksTheListInsteadOfRepeatingOnePlace) {
  struct Step {
    unsigned id;
    DockPosition pos;
  };
  // Bottom and right count columns from the row's end (flag 2); left also
  // counts rows from the last (flag 1); a boundary before the entry opens a
  // new row (flag 4; with flag 1 the row becomes 1).
  const Step steps[] = {
      {B, {0, 1, 2 | 4}}, {L, {1, 1, 3 | 4}}, {R, {0, 1, 2 | 4}}, {B, {0, 1, 2}},
      {L, {0, 1, 3}},     {R, {0, 1, 2}},     {B, {0, 1, 2}},     {L, {1, 1, 3 | 4}},
  };
  DockOrder order;
  for (size_t i = 0; i < std::size(steps); ++i) {
    DockPosition pos;
    DockSizeInfo size;
    EXPECT_EQ(order.Next(&pos, &size), steps[i].id) << "step " << i;
    EXPECT_EQ(pos, steps[i].pos) << "step " << i;
    EXPECT_FLOAT_EQ(size.share, 1.0f);
    EXPECT_EQ(size.length, 150);
  }
}

TEST(DockOrder, NextWrapsAroundTheList) {
  DockOrder order;
  DockPosition pos;
  DockSizeInfo size;
  int found = 0;
  for (int i = 0; i < 18; ++i) found += order.Next(&pos, &size) != 0;
  EXPECT_EQ(found, 18);
  // The eighteen ids have been handed out once; the next is the first again.
  EXPECT_EQ(order.Next(&pos, &size), B);
  EXPECT_EQ(pos, (DockPosition{0, 1, 2 | 4}));
}

TEST(MdiCascade, StepsAndWrapsEachCoordinate) {
  const struct {
    const char* name;
    Size client;
    std::vector<Point> points;
  } rows[] = {
      {"roomy client", {400, 400}, {{30, 30}, {50, 53}, {70, 76}, {90, 99}}},
      {"narrow client wraps x", {100, 400}, {{30, 30}, {50, 53}, {70, 76}, {30, 99}, {50, 122}}},
      {"low client wraps y", {400, 110}, {{30, 30}, {50, 53}, {70, 76}, {90, 30}}},
  };
  for (const auto& r : rows) {
    MdiCascade c;
    for (size_t i = 0; i < r.points.size(); ++i) EXPECT_EQ(c.Take(r.client), r.points[i]) << r.name << " " << i;
  }
}

TEST(MdiCascade, PointsAreClampedIntoTheClient) {
  EXPECT_EQ(ClampIntoMdiClient({-5, 500}, {300, 200}), (Point{0, 170}));
  EXPECT_EQ(ClampIntoMdiClient({900, 10}, {300, 200}), (Point{300, 10}));
}

TEST(FloatClamp, KeepsTenPixelsOfAFloatingBarReachable) {
  const Rect wa{0, 0, 1280, 1000};
  const struct {
    const char* name;
    Point in;
    Point out;
  } rows[] = {
      {"inside stays", {200, 300}, {200, 300}},
      {"far right", {5000, 300}, {1270, 300}},
      {"far below", {200, 5000}, {200, 990}},
      {"far left", {-5000, 300}, {10 - 300, 300}},
      {"far above", {200, -5000}, {200, 10 - 150}},
  };
  for (const auto& r : rows) EXPECT_EQ(ClampFloatPoint(r.in, Size{300, 150}, wa), r.out) << r.name;
}

TEST(DockSideTable, OrderAndStylesAndAlignmentLookup) {
  const auto& t = DockSideTable();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].id, AFX_IDW_DOCKBAR_TOP);
  EXPECT_EQ(t[1].style, 0x8200u);
  EXPECT_EQ(t[2].style, 0x1400u);
  EXPECT_EQ(SideRowForAlign(CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)->id, AFX_IDW_DOCKBAR_RIGHT);
  EXPECT_EQ(SideRowForAlign(0), nullptr);
  EXPECT_EQ(DockLayoutModeFor(AFX_IDW_DOCKBAR_TOP), 42u);
  EXPECT_EQ(DockLayoutModeFor(AFX_IDW_DOCKBAR_RIGHT), 16u);
  EXPECT_EQ(DockLayoutModeFor(AFX_IDW_DOCKBAR_FLOAT), 38u);
}

}  // namespace
}  // namespace pm2
