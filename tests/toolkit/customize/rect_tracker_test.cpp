// The rectangle tracker of button drags: moving keeps the grab offset,
// resizing moves only the right edge and never below the minimum width,
// cancelling puts the rectangle back, and a second track is refused.
#include "toolkit/customize/rect_tracker.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace pm2 {
namespace {

class RectTrackerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char arg0[] = "toolkit_customize_ui_test";
    static char* argv[] = {arg0, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  SECToolBarRectTracker tracker;
  const QRect start{100, 50, 60, 22};
};

struct ResizeRow {
  const char* name;
  int toX;
  int expectedWidth;
  bool changed;
};

class RectTrackerResize : public RectTrackerTest, public testing::WithParamInterface<ResizeRow> {};

TEST_P(RectTrackerResize, MovesTheRightEdge) {
  ASSERT_TRUE(tracker.BeginResize(start, 30));
  tracker.MoveTo(QPoint(GetParam().toX, 500));
  QRect r;
  EXPECT_EQ(tracker.End(&r), GetParam().changed);
  EXPECT_EQ(r.left(), start.left());
  EXPECT_EQ(r.top(), start.top());
  EXPECT_EQ(r.height(), start.height());
  EXPECT_EQ(r.width(), GetParam().expectedWidth);
  EXPECT_FALSE(tracker.IsTracking());
}

INSTANTIATE_TEST_SUITE_P(Rows, RectTrackerResize,
                         testing::Values(ResizeRow{"Wider", 199, 100, true}, ResizeRow{"Narrower", 139, 40, true},
                                         ResizeRow{"StopsAtTheMinimum", 105, 30, true},
                                         ResizeRow{"LeftOfTheRectangle", 20, 30, true},
                                         ResizeRow{"Unchanged", 159, 60, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RectTrackerTest, MovingKeepsTheGrabOffset) {
  tracker.BeginMove(start, QPoint(110, 60));
  tracker.MoveTo(QPoint(310, 260));
  EXPECT_EQ(tracker.Rect(), QRect(300, 250, 60, 22));
  QRect r;
  EXPECT_TRUE(tracker.End(&r));
  EXPECT_EQ(r, QRect(300, 250, 60, 22));
}

TEST_F(RectTrackerTest, CancelPutsTheRectangleBackAndEndsTheTrack) {
  ASSERT_TRUE(tracker.BeginResize(start, 10));
  tracker.MoveTo(QPoint(400, 0));
  tracker.Cancel();
  EXPECT_FALSE(tracker.IsTracking());
  EXPECT_EQ(tracker.Rect(), start);
  tracker.MoveTo(QPoint(500, 0));  // no longer tracking
  EXPECT_EQ(tracker.Rect(), start);
}

TEST_F(RectTrackerTest, ASecondResizeIsRefusedWhileOneRuns) {
  ASSERT_TRUE(tracker.BeginResize(start, 10));
  EXPECT_FALSE(tracker.BeginResize(QRect(0, 0, 5, 5), 1));
  EXPECT_EQ(tracker.Rect(), start);
}

}  // namespace
}  // namespace pm2
