// The progress dialog on the offscreen platform, on a fake clock.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "shell/windows/progress_dialog.h"
#include "toolkit/controls/progress_ctrl.h"

namespace pm2 {
namespace {

class ProgressDialogTest : public ::testing::Test {
 protected:
  MillisecondClock Clock() {
    return [this] { return now; };
  }
  int64_t now = 1000;
  QWidget main;
};

TEST_F(ProgressDialogTest, ShortOperationNeverShowsTheWindow) {
  ProgressDialog d("Loading", "Cancel", &main, Clock());
  for (int i = 0; i < 10; ++i) {
    now += 199;
    EXPECT_EQ(d.Update(i, 10), 1);
  }
  EXPECT_EQ(d.Window(), nullptr);
  EXPECT_TRUE(main.isEnabled());
}

TEST_F(ProgressDialogTest, WindowAppearsAfterTheDelayAndDisablesTheMainWindow) {
  {
    ProgressDialog d("Downloading", "Cancel", &main, Clock());
    d.SetText("Erase sector 3");
    now += 2000;
    EXPECT_EQ(d.Update(3, 10), 1);
    ASSERT_NE(d.Window(), nullptr);
    EXPECT_TRUE(d.Window()->isVisible());
    EXPECT_EQ(d.Window()->windowTitle(), "Downloading");
    EXPECT_FALSE(main.isEnabled());
    auto* w = static_cast<ProgressWindow*>(d.Window());
    EXPECT_EQ(w->Bar()->GetPos(), 3);
    EXPECT_EQ(w->TextLine()->text(), "Erase sector 3");
    EXPECT_EQ(w->size(), QSize(370, 150));
  }
  EXPECT_TRUE(main.isEnabled());
}

TEST_F(ProgressDialogTest, MaximumZeroNeverCreatesTheWindow) {
  ProgressDialog d("Loading", "", &main, Clock());
  now += 5000;
  EXPECT_EQ(d.Update(0, 0), 1);
  EXPECT_EQ(d.Window(), nullptr);
  EXPECT_EQ(d.Update(1, 4), 1);
  ASSERT_NE(d.Window(), nullptr);
  EXPECT_EQ(d.Window()->size(), QSize(370, 100));
}

TEST_F(ProgressDialogTest, CancelButtonMakesEveryLaterUpdateStop) {
  ProgressDialog d("Loading", "Cancel", &main, Clock());
  now += 2500;
  ASSERT_EQ(d.Update(1, 10), 1);
  auto* w = static_cast<ProgressWindow*>(d.Window());
  ASSERT_NE(w->CancelButton(), nullptr);
  QTest::mouseClick(w->CancelButton(), Qt::LeftButton);
  EXPECT_EQ(d.Update(2, 10), 0);
  EXPECT_EQ(d.Update(3, 10), 0);
  EXPECT_TRUE(w->isVisible());  // the window stays until the operation ends
}

TEST_F(ProgressDialogTest, EscapeCancelsWithoutClosing) {
  ProgressDialog d("Loading", "Cancel", &main, Clock());
  now += 2500;
  d.Update(1, 10);
  QTest::keyClick(d.Window(), Qt::Key_Escape);
  EXPECT_TRUE(d.Cancelled());
  EXPECT_TRUE(d.Window()->isVisible());
}

class QuitSeen : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Quit) {
      seen = true;
      return true;
    }
    return false;
  }
  bool seen = false;
};

TEST_F(ProgressDialogTest, QuitRequestStopsTheOperationAndStaysPending) {
  ProgressDialog d("Loading", "", &main, Clock());
  now += 2500;
  ASSERT_EQ(d.Update(1, 10), 1);
  QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
  EXPECT_EQ(d.Update(2, 10), 0);
  QuitSeen seen;
  qApp->installEventFilter(&seen);
  QCoreApplication::sendPostedEvents();
  qApp->removeEventFilter(&seen);
  EXPECT_TRUE(seen.seen);
}

}  // namespace
}  // namespace pm2
