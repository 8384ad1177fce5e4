// The value tip's place beside the pointer during one drag.
#include <gtest/gtest.h>

#include "toolkit/models/value_tip_geometry.h"

namespace pm2 {
namespace {

TEST(ValueTipGeometry, LeftOfThePointerCentredOnIt) {
  TipDrag drag;
  const TipRect r = PlaceValueTip(drag, 500, 300, 80, 14);
  EXPECT_EQ(r.width, 90);
  EXPECT_EQ(r.height, 20);
  EXPECT_EQ(r.left, 500 - 90 - 20);
  EXPECT_EQ(r.top, 300 - 10);
}

TEST(ValueTipGeometry, NeverOffTheLeftOrTopEdge) {
  TipDrag drag;
  const TipRect r = PlaceValueTip(drag, 30, 3, 80, 14);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
}

TEST(ValueTipGeometry, OneDragKeepsTheFirstX) {
  TipDrag drag;
  const TipRect first = PlaceValueTip(drag, 500, 300, 80, 14);
  const TipRect later = PlaceValueTip(drag, 650, 340, 80, 14);
  EXPECT_EQ(later.left, first.left);
  EXPECT_EQ(later.top, 340 - 10);
  drag.firstShow = true;  // a hide
  EXPECT_EQ(PlaceValueTip(drag, 650, 340, 80, 14).left, 650 - 110);
}

}  // namespace
}  // namespace pm2
