// The status bar's progress indicator driven by progress requests.
#include <gtest/gtest.h>

#include "shell/app/status_progress.h"

namespace pm2 {
namespace {

StatusProgress Model() {
  return StatusProgress([](const std::string& text) { return static_cast<int>(text.size()) * 7; });
}

ProgressRequest Req(int kind, int pos = 0, int low = 0, int high = 0, const char* label = nullptr,
                    const char* text = nullptr) {
  return ProgressRequest{kind, pos, low, high, label, text};
}

TEST(StatusProgressTest, StartShowsTheLabelAndPlacesTheBarBesideIt) {
  StatusProgress m = Model();
  EXPECT_EQ(m.Apply(Req(kProgressStart, 55, 10, 90, "Load")), StatusProgress::Result::Changed);
  EXPECT_TRUE(m.Shown());
  EXPECT_EQ(m.Message(), "Load");
  EXPECT_EQ(m.Position(), 10);  // a start begins at low, whatever the position says
  EXPECT_EQ(m.BarX(), 4 * 7 + 10);
  EXPECT_EQ(m.Style(), 256);
  m.Apply(Req(kProgressStartAlt, 0, 0, 5, ""));
  EXPECT_EQ(m.Message(), StatusProgress::kDefaultLabel);
  EXPECT_EQ(m.Style(), 512);
}

struct PosRow {
  const char* name;
  int position;
  int expected;
};

class StatusProgressPosition : public ::testing::TestWithParam<PosRow> {};

TEST_P(StatusProgressPosition, IsKeptInsideTheRange) {
  StatusProgress m = Model();
  m.Apply(Req(kProgressStart, 0, 10, 90, "x"));
  m.Apply(Req(kProgressPosition, GetParam().position));
  EXPECT_EQ(m.Position(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, StatusProgressPosition,
                         ::testing::Values(PosRow{"Inside", 50, 50}, PosRow{"BelowLow", 3, 10},
                                           PosRow{"AboveHigh", 200, 90}, PosRow{"AtHigh", 90, 90}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StatusProgressTest, PositionsWhileHiddenAreIgnored) {
  StatusProgress m = Model();
  EXPECT_EQ(m.Apply(Req(kProgressPosition, 40)), StatusProgress::Result::Ignored);
  EXPECT_EQ(m.Position(), 0);
  EXPECT_FALSE(m.Shown());
}

TEST(StatusProgressTest, PositionWithTextSetsTheBarText) {
  StatusProgress m = Model();
  m.Apply(Req(kProgressStart, 0, 0, 100, "Flash"));
  m.Apply(Req(kProgressPositionText, 30, 0, 0, nullptr, "30 %"));
  EXPECT_EQ(m.BarText(), "30 %");
  m.Apply(Req(kProgressPositionText, 40));
  EXPECT_EQ(m.BarText(), "");
  EXPECT_EQ(m.Position(), 40);
}

TEST(StatusProgressTest, EndWaitsThenSaysReady) {
  StatusProgress m = Model();
  m.Apply(Req(kProgressStart, 0, 0, 100, "Flash"));
  m.Apply(Req(kProgressPosition, 60));
  EXPECT_EQ(m.Apply(Req(kProgressEnd)), StatusProgress::Result::EndPending);
  EXPECT_TRUE(m.Shown());  // until the delay has passed
  m.FinishEnd();
  EXPECT_FALSE(m.Shown());
  EXPECT_EQ(m.Message(), "Ready");
  EXPECT_EQ(m.Position(), 0);
}

TEST(StatusProgressTest, UnknownKindsDoNothing) {
  StatusProgress m = Model();
  EXPECT_EQ(m.Apply(Req(0)), StatusProgress::Result::Ignored);
  EXPECT_EQ(m.Apply(Req(6)), StatusProgress::Result::Ignored);
  EXPECT_FALSE(m.Shown());
}

}  // namespace
}  // namespace pm2
