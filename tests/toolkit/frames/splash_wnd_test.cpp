// The splash window on the offscreen platform: closes on its timer, on a
// key or a click, stays without a timer, and stands centred on the screen
// it is given.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTimerEvent>
#include <QtTest/QTest>
#include <memory>

#include "hang_guard.h"
#include "toolkit/frames/splash_wnd.h"

namespace pm2 {
namespace {

QApplication* SplashApp() {
  static int argc = 1;
  static char name[] = "toolkit_frames_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return app;
}

const QRect kScreen(0, 0, 1280, 1024);

std::unique_ptr<SECSplashWnd> Shown(int durationMs = 60000, bool noTimer = false) {
  SplashApp();
  auto s = std::make_unique<SECSplashWnd>(SECSplashWnd::kDefaultBitmap, durationMs, noTimer);
  EXPECT_TRUE(s->Create(nullptr, true, kScreen));
  EXPECT_TRUE(s->isVisible());
  return s;
}

// Lets queued closes run.
void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

TEST(SplashWnd, ProductPictureIsBuiltIn) {
  auto s = Shown();
  EXPECT_FALSE(s->Image().isNull());
  EXPECT_EQ(s->size(), s->Image().size());
  EXPECT_EQ(s->windowTitle(), "SECSplashWnd");
  // What it paints is the picture, 1:1.
  const QImage shot = s->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage pic = s->Image().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shot.pixel(10, 10), pic.pixel(10, 10));
  EXPECT_EQ(shot.pixel(200, 130), pic.pixel(200, 130));
}

TEST(SplashWnd, ClosesOnItsTimer) {
  auto s = Shown(40);
  EXPECT_TRUE(s->TimerRunning());
  QTRY_VERIFY_WITH_TIMEOUT(!s->isVisible(), pm2::test::kHangWaitMs);
  EXPECT_FALSE(s->TimerRunning());
}

TEST(SplashWnd, ClosesOnAKey) {
  auto s = Shown();
  QTest::keyClick(s.get(), Qt::Key_Space);
  QTRY_VERIFY_WITH_TIMEOUT(!s->isVisible(), pm2::test::kHangWaitMs);
}

struct ButtonRow {
  const char* name;
  Qt::MouseButton button;
};

TEST(SplashWnd, ClosesOnAnyButton) {
  const ButtonRow rows[] = {{"left", Qt::LeftButton}, {"right", Qt::RightButton}, {"middle", Qt::MiddleButton}};
  for (const ButtonRow& row : rows) {
    SCOPED_TRACE(row.name);
    auto s = Shown();
    QTest::mouseClick(s.get(), row.button, Qt::NoModifier, QPoint(30, 30));
    QTRY_VERIFY_WITH_TIMEOUT(!s->isVisible(), pm2::test::kHangWaitMs);
  }
}

TEST(SplashWnd, WithoutTimerInputLeavesItOpenUntilClosed) {
  auto s = Shown(3000, true);
  EXPECT_FALSE(s->TimerRunning());
  QTest::keyClick(s.get(), Qt::Key_Escape);
  QTest::mouseClick(s.get(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
  Settle();
  EXPECT_TRUE(s->isVisible());
  s->Close();
  EXPECT_FALSE(s->isVisible());
}

TEST(SplashWnd, StartingTheTimerLaterMakesInputCloseIt) {
  auto s = Shown(3000, true);
  s->SetDuration(60000);
  EXPECT_TRUE(s->TimerRunning());
  QTest::keyClick(s.get(), Qt::Key_A);
  QTRY_VERIFY_WITH_TIMEOUT(!s->isVisible(), pm2::test::kHangWaitMs);
}

TEST(SplashWnd, CloseOnInputSwitchedOff) {
  auto s = Shown();
  s->SetCloseOnInput(false);
  QTest::keyClick(s.get(), Qt::Key_A);
  QTest::mouseClick(s.get(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  Settle();
  EXPECT_TRUE(s->isVisible());
}

TEST(SplashWnd, AnotherTimerLeavesItOpen) {
  auto s = Shown();
  QTimerEvent other(s->TimerId() + 1000);
  QApplication::sendEvent(s.get(), &other);
  Settle();
  EXPECT_TRUE(s->isVisible());
  QTimerEvent own(s->TimerId());
  QApplication::sendEvent(s.get(), &own);
  Settle();
  EXPECT_FALSE(s->isVisible());
}

struct PlaceRow {
  const char* name;
  QRect screen;
};

TEST(SplashWnd, CentredOnTheGivenScreen) {
  SplashApp();
  const PlaceRow rows[] = {
      {"large screen", QRect(0, 0, 1280, 1024)},
      {"second screen", QRect(1280, 0, 1920, 1080)},
      {"screen smaller than the picture", QRect(0, 0, 400, 200)},
  };
  for (const PlaceRow& row : rows) {
    SCOPED_TRACE(row.name);
    SECSplashWnd s(SECSplashWnd::kDefaultBitmap, 60000);
    ASSERT_TRUE(s.Create(nullptr, true, row.screen));
    const QRect g = s.geometry();
    // Equal room on both sides, to the pixel.
    EXPECT_LE(std::abs((g.left() - row.screen.left()) - (row.screen.right() - g.right())), 1);
    EXPECT_LE(std::abs((g.top() - row.screen.top()) - (row.screen.bottom() - g.bottom())), 1);
    EXPECT_EQ(g.size(), s.Image().size());
  }
}

TEST(SplashWnd, UnreadablePictureShowsNothing) {
  SplashApp();
  SECSplashWnd s(QDir::tempPath() + "/no-such-splash-picture.png");
  EXPECT_FALSE(s.Create(nullptr, true, kScreen));
  EXPECT_FALSE(s.isVisible());
}

TEST(SplashWnd, OwnSplashStaysOnTopUnlessTitled) {
  auto plain = Shown();
  EXPECT_TRUE(plain->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(plain->Rules().topmost);

  SECSplashWnd titled;
  titled.SetTitle("Pelmora2");
  ASSERT_TRUE(titled.Create(nullptr, true, kScreen));
  EXPECT_FALSE(titled.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(titled.windowTitle(), "Pelmora2");
  titled.SetTopmost(true);
  EXPECT_TRUE(titled.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(titled.isVisible());
}

TEST(SplashWnd, DisabledParentIsEnabledAgainOnClose) {
  SplashApp();
  QWidget frame;
  frame.resize(400, 300);
  frame.show();
  SECSplashWnd s(SECSplashWnd::kDefaultBitmap, 60000);
  ASSERT_TRUE(s.Create(&frame, true, kScreen));
  EXPECT_TRUE(s.isWindow());
  s.DisableParent(true);
  EXPECT_FALSE(frame.isEnabled());
  EXPECT_TRUE(s.isEnabled());
  QTest::keyClick(&s, Qt::Key_Return);
  QTRY_VERIFY_WITH_TIMEOUT(!s.isVisible(), pm2::test::kHangWaitMs);
  EXPECT_TRUE(frame.isEnabled());
}

}  // namespace
}  // namespace pm2
