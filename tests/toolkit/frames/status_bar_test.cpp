// The status bar widget on the offscreen platform: pane layout in the real
// font, texts that reach the screen, the progress control over a pane and
// the size grip.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/core/resources.h"
#include "toolkit/core/sys_colors.h"
#include "toolkit/frames/status_bar.h"

namespace pm2 {
namespace {

QApplication* StatusApp() {
  static int argc = 1;
  static char name[] = "toolkit_frames_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return app;
}

constexpr CommandId kLine = 0xE710, kCap = 0xE701, kNum = 0xE702, kBuild = 0xE711;

const ResourceTables& Strings() {
  static ResourceTables t = [] {
    ResourceTables r;
    std::string err;
    r.Load("STRING 59152 \"L:99999 C:999\"\n"
           "STRING 59137 \"CAP\"\n"
           "STRING 59138 \"NUM\"\n"
           "STRING 59153 \"                              \"\n",
           "status strings", &err);
    return r;
  }();
  return t;
}

const CommandId kIndicators[] = {0, kBuild, kLine, kCap, kNum};

class StatusBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame.resize(640, 200);
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    bar = new SECStatusBar(&frame);
    layout->addWidget(bar);
    ASSERT_TRUE(bar->SetIndicators(kIndicators, 5, Strings()));
    frame.show();
    QApplication::processEvents();
  }
  QApplication* app = StatusApp();  // before any widget
  QWidget frame;
  SECStatusBar* bar = nullptr;
};

// Count of pixels in `r` that are dark like text.
int DarkPixels(const QImage& img, const QRect& r) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (qGray(img.pixel(x, y)) < 80) ++n;
  return n;
}

TEST_F(StatusBarTest, PanesFillTheBarUpToTheGrip) {
  EXPECT_EQ(bar->width(), 640);
  EXPECT_TRUE(bar->SizeGripStyle());
  const QRect last = bar->GetItemRect(4);
  const QRect message = bar->GetItemRect(0);
  // The message pane stretches; the last pane ends where the grip's room
  // (a scroll bar's width and the two-pixel gap) begins.
  EXPECT_EQ(last.right() + 1, 640 - 2 - GetSystemMetric(SysMetric::CxVScroll));
  EXPECT_GT(message.width(), 300);
  const QFontMetrics fm(bar->font());
  EXPECT_EQ(bar->GetItemRect(2).width(), fm.horizontalAdvance("L:99999 C:999") + 6);
  EXPECT_EQ(bar->height(), bar->sizeHint().height());
}

// Without a grip the last pane reaches the edge.
TEST_F(StatusBarTest, FixedSizeParentGetsNoGrip) {
  QWidget fixed;
  fixed.setFixedSize(640, 200);
  auto* layout = new QVBoxLayout(&fixed);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addStretch();
  auto* inFixed = new SECStatusBar(&fixed);
  layout->addWidget(inFixed);
  ASSERT_TRUE(inFixed->SetIndicators(kIndicators, 5, Strings()));
  fixed.show();
  QApplication::processEvents();
  EXPECT_FALSE(inFixed->SizeGripStyle());
  EXPECT_EQ(inFixed->GetItemRect(4).right() + 1, 640);
  EXPECT_TRUE(inFixed->Model().GripRect().IsEmpty());
}

TEST_F(StatusBarTest, TextSetWithoutUpdateShowsWithTheNextPaint) {
  bar->SetPaneText(2, "L:12 C:5", false);
  EXPECT_EQ(bar->Model().Pane(2).shown, "L:99999 C:999");
  bar->grab();
  EXPECT_EQ(bar->Model().Pane(2).shown, "L:12 C:5");
}

TEST_F(StatusBarTest, DisabledPaneDrawsNoText) {
  const QRect cap = bar->GetItemRect(3).adjusted(2, 2, -2, -2);
  EXPECT_GT(DarkPixels(bar->grab().toImage(), cap), 0);
  bar->SetPaneStyle(3, bar->GetPaneStyle(3) | sbps::kDisabled);
  EXPECT_EQ(DarkPixels(bar->grab().toImage(), cap), 0);
  EXPECT_EQ(bar->GetPaneText(3), "CAP");
}

TEST_F(StatusBarTest, MessagePaneTakesTheWindowText) {
  EXPECT_EQ(bar->SetWindowText("Ready"), 0);
  EXPECT_EQ(bar->GetPaneText(0), "Ready");
  const QRect msg = bar->GetItemRect(0).adjusted(1, 1, -1, -1);
  EXPECT_GT(DarkPixels(bar->grab().toImage(), msg), 0);
}

TEST_F(StatusBarTest, ProgressControlSitsOverItsPaneAndFollowsIt) {
  EXPECT_EQ(bar->ShowProgress(7), nullptr);
  SECProgressCtrl* progress = bar->ShowProgress(1);
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(bar->ShowProgress(1), progress) << "one control, reused";
  EXPECT_TRUE(progress->isVisible());
  EXPECT_EQ(progress->geometry(), bar->GetItemRect(1).adjusted(1, 1, -1, -1));
  progress->SetPos(40);

  frame.resize(900, 200);
  QApplication::processEvents();
  EXPECT_EQ(bar->width(), 900);
  EXPECT_EQ(progress->geometry(), bar->GetItemRect(1).adjusted(1, 1, -1, -1));

  // A pane made to stretch moves the panes after it; the control follows.
  bar->SetPaneStyle(1, bar->GetPaneStyle(1) | sbps::kStretch);
  EXPECT_EQ(progress->geometry(), bar->GetItemRect(1).adjusted(1, 1, -1, -1));

  bar->HideProgress();
  EXPECT_FALSE(progress->isVisible());
  EXPECT_EQ(bar->ProgressPane(), -1);
}

TEST_F(StatusBarTest, MinimumHeightRaisesTheBar) {
  const int natural = bar->sizeHint().height();
  bar->SetMinHeight(natural + 12);
  QApplication::processEvents();
  EXPECT_EQ(bar->sizeHint().height(), natural + 12);
  EXPECT_EQ(bar->height(), natural + 12);
}

TEST_F(StatusBarTest, GripCursorOnlyOverTheGrip) {
  const Rect grip = bar->Model().GripRect();
  QTest::mouseMove(bar, QPoint(grip.left + 4, grip.top + 4));
  EXPECT_EQ(bar->cursor().shape(), Qt::SizeFDiagCursor);
  QTest::mouseMove(bar, bar->GetItemRect(2).center());
  EXPECT_EQ(bar->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(StatusBarTest, CommandUpdatesReachTheScreen) {
  CommandTarget frameTarget;
  frameTarget.OnUpdate(kCap, [](CommandState& s) { s.Enable(true); });
  frameTarget.OnUpdate(kLine, [](CommandState& s) {
    s.Enable(true);
    s.SetText("L:3 C:14");
  });
  CommandRouter router;
  router.SetChain({&frameTarget});
  bar->UpdateCmdUI(router);
  EXPECT_EQ(bar->GetPaneStyle(4) & sbps::kDisabled, sbps::kDisabled) << "NUM has no handler";
  EXPECT_EQ(bar->GetPaneStyle(3) & sbps::kDisabled, 0u);
  EXPECT_EQ(bar->Model().Pane(2).shown, "L:3 C:14");
}

class OwnerDrawnBar : public SECStatusBar {
 public:
  using SECStatusBar::SECStatusBar;
  std::vector<int> drawn;

 protected:
  void DrawItem(QPainter&, int index, const QRect&) override { drawn.push_back(index); }
};

TEST(StatusBarOwnerDraw, OwnerDrawnPaneIsLeftToTheHook) {
  StatusApp();
  OwnerDrawnBar bar;
  bar.resize(500, bar.sizeHint().height());
  ASSERT_TRUE(bar.SetIndicators(kIndicators, 5, Strings()));
  bar.SetPaneStyle(3, bar.GetPaneStyle(3) | sbps::kOwnerDraw);
  const QImage shot = bar.grab().toImage();
  EXPECT_EQ(bar.drawn, std::vector<int>{3});
  EXPECT_EQ(DarkPixels(shot, bar.GetItemRect(3).adjusted(2, 2, -2, -2)), 0) << "no text of its own";
  EXPECT_GT(DarkPixels(shot, bar.GetItemRect(4).adjusted(2, 2, -2, -2)), 0);
}

}  // namespace
}  // namespace pm2
