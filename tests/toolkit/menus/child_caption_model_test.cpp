// The maximised child's caption parts on the menu bar: geometry, hit tests
// by caption style, and the press, move and release machine.
#include "toolkit/menus/child_caption_model.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

const Rect kButtons{100, 4, 100 + 3 * 16 + 2, 18};

Point CentreOf(const ChildCaptionButtons& c, int part) {
  const Rect r = c.PartRect(part, kButtons);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(ChildCaption, PartsSitSideBySideWithAGapBeforeClose) {
  ChildCaptionButtons c;
  EXPECT_EQ(c.Extent().cx, 50);
  EXPECT_EQ(c.Extent().cy, 14);
  EXPECT_EQ(c.PartRect(0, kButtons).left, 100);
  EXPECT_EQ(c.PartRect(1, kButtons).left, 116);
  EXPECT_EQ(c.PartRect(2, kButtons).left, 134);
  EXPECT_EQ(c.PartRect(2, kButtons).right, kButtons.right);
}

struct HitRow {
  const char* name;
  unsigned style;
  int part;      // the part whose centre is hit
  int expected;  // the part the hit test answers
};

class ChildCaptionHit : public testing::TestWithParam<HitRow> {};

TEST_P(ChildCaptionHit, AnswersByStyle) {
  ChildCaptionButtons c;
  c.SetStyle(GetParam().style);
  EXPECT_EQ(c.HitTest(CentreOf(c, GetParam().part), kButtons), GetParam().expected);
}

constexpr unsigned kAll = kChildSysMenu | kChildMinimizeBox | kChildMaximizeBox;
INSTANTIATE_TEST_SUITE_P(
    Rows, ChildCaptionHit,
    testing::Values(HitRow{"Minimise", kAll, 0, 0}, HitRow{"Restore", kAll, 1, 1}, HitRow{"Close", kAll, 2, 2},
                    HitRow{"RestoreNeedsAMinimiseBox", kChildSysMenu | kChildMaximizeBox, 1, -1},
                    HitRow{"MinimiseNeedsAMinimiseBox", kChildSysMenu, 0, -1},
                    HitRow{"CloseWithoutMinimiseBox", kChildSysMenu, 2, 2},
                    HitRow{"NothingWithoutASystemMenu", kChildMinimizeBox | kChildMaximizeBox, 2, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChildCaption, TheGapBetweenRestoreAndCloseHitsNothing) {
  ChildCaptionButtons c;
  EXPECT_EQ(c.HitTest({133, 10}, kButtons), -1);
}

TEST(ChildCaption, AReleaseOverThePressedPartGivesItsCommand) {
  ChildCaptionButtons c;
  c.Press(2, false);
  EXPECT_EQ(c.ShownPressed(), 2);
  c.Move(1);  // off the part: drawn raised
  EXPECT_EQ(c.ShownPressed(), -1);
  c.Move(2);
  EXPECT_EQ(c.ShownPressed(), 2);
  EXPECT_EQ(c.Release(2), ChildCommand::Close);
  EXPECT_EQ(c.Pressed(), -1);
}

TEST(ChildCaption, AReleaseElsewhereOrADisabledPressGivesNothing) {
  ChildCaptionButtons c;
  c.Press(0, false);
  EXPECT_EQ(c.Release(1), ChildCommand::None);
  c.Press(1, true);
  EXPECT_EQ(c.Pressed(), -1);
  EXPECT_EQ(c.Release(1), ChildCommand::None);
  c.Press(1, false);
  EXPECT_EQ(c.Release(1), ChildCommand::Restore);
  c.Press(0, false);
  EXPECT_EQ(c.Release(0), ChildCommand::Minimize);
}

}  // namespace
}  // namespace pm2
