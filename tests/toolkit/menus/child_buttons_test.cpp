// A maximised document window's buttons on the menu bar, on the offscreen
// platform: they appear with the maximised child and follow the active
// one, their parts minimise, restore and close it, and the icon opens the
// child's system menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QTest>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/dockable/max_child_buttons.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/menus/menu_bar.h"
#include "menu_frame_fixture.h"

namespace pm2 {
namespace {

const char* kChildRc = R"(
MENU 120
POPUP "&File"
ITEM 101 "&Open"
END
POPUP "&Window"
ITEM 401 "&Cascade"
END
END
)";

class ChildButtonsTest : public test::MenuFrameTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(MakeFrame(kChildRc, "test menus", 700, 400));
    std::string err;
    bar = InstallMenuBar(frame, tables, {120}, nullptr, MenuBarPlace::CommandSlot, &err);
    ASSERT_NE(bar, nullptr) << err;
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    a = AddChild("a.c");
    b = AddChild("b.c");
  }
  SECMDIChildWnd* AddChild(const char* title) {
    auto* child = new SECMDIChildWnd(frame);
    child->setWidget(new QWidget);
    child->setWindowTitle(title);
    frame->MdiClient()->addSubWindow(child);
    child->resize(200, 150);
    child->show();
    return child;
  }
  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }
  QPoint PartCentre(int part) {
    const QRect r = ToQRect(bar->ChildCaption().PartRect(part, FromQRect(bar->ChildCaptionRect())));
    return r.center();
  }

  SECMenuBar* bar = nullptr;
  SECMDIChildWnd* a = nullptr;
  SECMDIChildWnd* b = nullptr;
};

TEST_F(ChildButtonsTest, AMaximisedChildPutsItsButtonsOnTheBarAtBothEnds) {
  EXPECT_FALSE(bar->ChildButtonsShown());
  const int titleX = bar->Button(0)->m_x;
  frame->MdiClient()->setActiveSubWindow(b);
  b->showMaximized();
  Settle();
  ASSERT_TRUE(bar->ChildButtonsShown());
  EXPECT_EQ(bar->ActiveChild(), b);
  // Only the menu bar shows them: the frame's own strip for a maximised
  // child (used without a menu bar) stays hidden.
  ASSERT_NE(frame->MaxChildButtons(), nullptr);
  EXPECT_FALSE(frame->MaxChildButtons()->isVisible());
  // The icon at the left pushes the titles right; the parts end at the
  // bar's right end.
  EXPECT_LT(bar->ChildIconRect().right(), bar->Button(0)->m_x);
  EXPECT_GT(bar->Button(0)->m_x, titleX);
  EXPECT_GT(bar->ChildCaptionRect().left(), bar->width() - 60);
  EXPECT_LE(bar->ChildCaptionRect().right(), bar->width() - 1);
  b->showNormal();
  Settle();
  EXPECT_FALSE(bar->ChildButtonsShown());
  EXPECT_EQ(bar->Button(0)->m_x, titleX);
}

TEST_F(ChildButtonsTest, TheButtonsFollowTheActiveChild) {
  frame->MdiClient()->setActiveSubWindow(a);
  a->showMaximized();
  Settle();
  ASSERT_TRUE(bar->ChildButtonsShown());
  frame->MdiClient()->setActiveSubWindow(b);  // the area maximises it in turn
  Settle();
  EXPECT_EQ(bar->ActiveChild(), b);
  EXPECT_TRUE(b->isMaximized());
  EXPECT_TRUE(bar->ChildButtonsShown());
  b->close();
  a->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  Settle();
  EXPECT_FALSE(bar->ChildButtonsShown());
}

TEST_F(ChildButtonsTest, RestoreAndCloseActOnTheChild) {
  frame->MdiClient()->setActiveSubWindow(b);
  b->showMaximized();
  Settle();
  ASSERT_TRUE(bar->ChildButtonsShown());
  QTest::mousePress(bar, Qt::LeftButton, {}, PartCentre(1));
  EXPECT_EQ(bar->ChildCaption().ShownPressed(), 1);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, PartCentre(1));
  Settle();
  EXPECT_FALSE(b->isMaximized());
  EXPECT_FALSE(bar->ChildButtonsShown());

  b->showMaximized();
  Settle();
  QPointer<SECMDIChildWnd> watch(b);
  QTest::mouseClick(bar, Qt::LeftButton, {}, PartCentre(2));
  Settle();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watch.isNull());
}

TEST_F(ChildButtonsTest, AReleaseOffThePressedPartDoesNothing) {
  frame->MdiClient()->setActiveSubWindow(b);
  b->showMaximized();
  Settle();
  QTest::mousePress(bar, Qt::LeftButton, {}, PartCentre(0));
  QTest::mouseMove(bar, PartCentre(2));
  EXPECT_EQ(bar->ChildCaption().ShownPressed(), -1);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, PartCentre(2));
  Settle();
  EXPECT_TRUE(b->isMaximized());
  EXPECT_FALSE(b->isMinimized());
}

TEST_F(ChildButtonsTest, WithoutAMinimiseBoxOnlyCloseResponds) {
  b->EnableCaptionButtons(1 | 2);  // no minimise box
  frame->MdiClient()->setActiveSubWindow(b);
  b->showMaximized();
  Settle();
  ASSERT_TRUE(bar->ChildButtonsShown());
  QTest::mouseClick(bar, Qt::LeftButton, {}, PartCentre(1));
  Settle();
  EXPECT_TRUE(b->isMaximized());
}

TEST_F(ChildButtonsTest, TheIconOpensTheChildsSystemMenu) {
  frame->MdiClient()->setActiveSubWindow(b);
  b->showMaximized();
  Settle();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->ChildIconRect().center());
  EXPECT_EQ(QApplication::activePopupWidget(), b->systemMenu());
}

// With a maximised child the keyboard reaches the window menus: Alt+-
// opens the child's, Alt+Space the main window's; from File, Left goes on
// to the child's window menu (popup open or in the keyboard menu mode) and
// Right back to File.
TEST_F(ChildButtonsTest, TheKeyboardReachesTheWindowMenus) {
  frame->MdiClient()->setActiveSubWindow(b);
  b->showMaximized();
  Settle();
  ASSERT_TRUE(bar->ChildButtonsShown());
  auto key = [&](int k, Qt::KeyboardModifiers mods = {}) {
    QWidget* to = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : frame;
    QTest::keyClick(to, Qt::Key(k), mods);
    Settle();
  };
  key(Qt::Key_Minus, Qt::AltModifier);
  EXPECT_EQ(QApplication::activePopupWidget(), b->systemMenu());
  key(Qt::Key_Escape);
  key(Qt::Key_Escape);
  ASSERT_EQ(QApplication::activePopupWidget(), nullptr);

  key(Qt::Key_Space, Qt::AltModifier);
  ASSERT_NE(bar->FrameWindowMenu(), nullptr);
  EXPECT_EQ(QApplication::activePopupWidget(), bar->FrameWindowMenu());
  key(Qt::Key_Escape);
  ASSERT_EQ(QApplication::activePopupWidget(), nullptr);

  // File's popup open: Left opens the child's window menu, Right File's again.
  key(Qt::Key_F, Qt::AltModifier);
  ASSERT_EQ(QApplication::activePopupWidget(), bar->PopupFor(0));
  key(Qt::Key_Left);
  EXPECT_EQ(QApplication::activePopupWidget(), b->systemMenu());
  key(Qt::Key_Right);
  EXPECT_EQ(QApplication::activePopupWidget(), bar->PopupFor(0));
  key(Qt::Key_Escape);
  key(Qt::Key_Escape);
  ASSERT_EQ(QApplication::activePopupWidget(), nullptr);

  // Alt alone, then Left from File and Down: the child's window menu.
  key(Qt::Key_Alt);
  key(Qt::Key_Left);
  key(Qt::Key_Down);
  EXPECT_EQ(QApplication::activePopupWidget(), b->systemMenu());
}

// Records what the bar calls the active child while the window it lives
// in is being destroyed.
struct ActiveChildProbe : QWidget {
  ActiveChildProbe(QWidget* parent, SECMenuBar* bar, QMdiSubWindow** seen) : QWidget(parent), bar(bar), seen(seen) {}
  ~ActiveChildProbe() override { *seen = bar->ActiveChild(); }
  SECMenuBar* bar;
  QMdiSubWindow** seen;
};

// A child being destroyed is a sub-window no more once its own part is
// gone and its widgets go: the bar then has no active child, rather than
// handing out the half-destroyed window.
TEST_F(ChildButtonsTest, AChildBeingDestroyedIsNoLongerTheActiveOne) {
  frame->MdiClient()->setActiveSubWindow(b);
  b->showMaximized();
  Settle();
  ASSERT_EQ(bar->ActiveChild(), b);
  QMdiSubWindow* seen = b;
  new ActiveChildProbe(b, bar, &seen);
  delete b;
  b = nullptr;
  EXPECT_EQ(seen, nullptr);
  Settle();
  EXPECT_FALSE(bar->ChildButtonsShown());
}

}  // namespace
}  // namespace pm2
