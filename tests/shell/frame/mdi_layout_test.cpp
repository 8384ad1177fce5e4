// Window > Cascade and stored editor windows brought into a smaller area.
#include "shell/frame/mdi_layout.h"

#include <gtest/gtest.h>

#include <ostream>

namespace pm2 {

std::ostream& operator<<(std::ostream& os, const AreaRect& r) {
  return os << "(" << r.x << "," << r.y << " " << r.width << "x" << r.height << ")";
}

namespace {

struct CascadeRow {
  const char* name;
  int count, width, height, step;
  std::vector<AreaRect> expected;
};

const CascadeRow kCascadeRows[] = {
    {"OneWindowFillsTheArea", 1, 900, 560, 24, {{0, 0, 900, 560}}},
    {"ThreeWindowsLeaveRoomForTwoCaptions", 3, 900, 560, 24, {{0, 0, 852, 512}, {24, 24, 852, 512}, {48, 48, 852, 512}}},
    // Twenty windows would be tiny: they keep three fifths of the area and
    // start again at the top left when the steps reach its edge.
    {"ManyWindowsKeepAUsefulSize", 20, 500, 300, 20, {}},
    {"NoWindows", 0, 900, 560, 24, {}},
    {"NoArea", 2, 0, 0, 24, {}},
};

class Cascade : public ::testing::TestWithParam<CascadeRow> {};

TEST_P(Cascade, GivesEachWindowItsPlace) {
  const CascadeRow& r = GetParam();
  const std::vector<AreaRect> got = CascadeRects(r.count, r.width, r.height, r.step);
  if (!r.expected.empty() || r.count == 0 || r.width == 0) {
    EXPECT_EQ(got, r.expected);
    return;
  }
  ASSERT_EQ(int(got.size()), r.count);
  for (const AreaRect& w : got) {
    EXPECT_GE(w.width, r.width * 3 / 5) << w;
    EXPECT_GE(w.height, r.height * 3 / 5) << w;
    EXPECT_LE(w.x + w.width, r.width) << w;
    EXPECT_LE(w.y + w.height, r.height) << w;
  }
  EXPECT_EQ(got[0], (AreaRect{0, 0, 300, 180}));
  EXPECT_EQ(got[1], (AreaRect{20, 20, 300, 180}));
  // 120 pixels of room below: places at 0 to 120, then the top again.
  EXPECT_EQ(got[7], (AreaRect{0, 0, 300, 180}));
}

INSTANTIATE_TEST_SUITE_P(Rows, Cascade, ::testing::ValuesIn(kCascadeRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct MdiFitRow {
  const char* name;
  AreaRect stored;
  int width, height;
  AreaRect expected;
};

const MdiFitRow kFitRows[] = {
    {"InsideStaysAsItIs", {10, 20, 300, 200}, 900, 560, {10, 20, 300, 200}},
    {"PastTheRightEdgeMovesLeft", {700, 20, 300, 200}, 900, 560, {600, 20, 300, 200}},
    {"PastTheBottomMovesUp", {10, 500, 300, 200}, 900, 560, {10, 360, 300, 200}},
    {"LargerThanTheAreaShrinks", {40, 30, 1200, 800}, 900, 560, {0, 0, 900, 560}},
    {"AboveAndLeftComesIn", {-50, -20, 300, 200}, 900, 560, {0, 0, 300, 200}},
    {"NoAreaYetLeavesItAlone", {700, 500, 300, 200}, 0, 0, {700, 500, 300, 200}},
};

class Fit : public ::testing::TestWithParam<MdiFitRow> {};

TEST_P(Fit, KeepsTheCaptionButtonsInTheArea) {
  const MdiFitRow& r = GetParam();
  EXPECT_EQ(FitInArea(r.stored, r.width, r.height), r.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, Fit, ::testing::ValuesIn(kFitRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
