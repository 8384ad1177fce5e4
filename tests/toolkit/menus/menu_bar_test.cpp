// The menu bar on the offscreen platform: titles from menu resources,
// popups opened by the mouse, by Alt and the arrows, by mnemonics, closed by
// Esc, switched by Left/Right and by the mouse, and the menu following the
// active document window.
#include "toolkit/menus/menu_bar.h"
#include "menu_frame_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>

#include "hang_guard.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/toolbars/tb_menu_btn.h"

namespace pm2 {
namespace {

const char* kRc = R"(
MENU 120
POPUP "&File"
ITEM 101 "&Open"
ITEM 102 "&Save"
END
POPUP "&Edit"
ITEM 201 "&Copy"
POPUP "&Advanced"
ITEM 211 "&Upper Case"
END
END
POPUP "&Project"
ITEM 301 "&Build"
END
END
MENU 121
POPUP "&File"
ITEM 101 "&Open"
END
POPUP "&Window"
ITEM 401 "&Cascade"
END
END
)";

class MenuBarTest : public test::MenuFrameTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(MakeFrame(kRc, "test menus", 700, 400));
    std::string err;
    frame->OnCommandRange(100, 499, [this](CommandId id) { ran.push_back(id); });
    bar = InstallMenuBar(frame, tables, {120, 121}, nullptr, MenuBarPlace::CommandSlot, &err);
    ASSERT_NE(bar, nullptr) << err;
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    frame->activateWindow();
  }
  QPoint Centre(int index) { return ToQPoint(bar->Button(index)); }
  static QPoint ToQPoint(const SECStdBtn* b) { return QPoint(b->m_x + b->m_cx / 2, b->m_y + b->m_cy / 2); }
  QMenu* Popup() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
  void Key(int key, Qt::KeyboardModifiers mods = {}) {
    QWidget* to = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : frame;
    QTest::keyClick(to, Qt::Key(key), mods);
    QCoreApplication::processEvents();
  }
  std::string ActiveText() {
    QMenu* m = Popup();
    return m && m->activeAction() ? m->activeAction()->text().toStdString() : std::string();
  }

  SECMenuBar* bar = nullptr;
  std::vector<CommandId> ran;
};

TEST_F(MenuBarTest, TitlesComeFromTheFramesMenu) {
  std::vector<std::string> shown;
  for (int i = 0; i < bar->ButtonCount(); ++i)
    if (!(bar->Button(i)->m_nStyle & TBBS_HIDDEN))
      shown.push_back(static_cast<SECTBMenuBtn*>(bar->Button(i))->Text());
  EXPECT_EQ(shown, (std::vector<std::string>{"&File", "&Edit", "&Project"}));
  EXPECT_EQ(frame->CommandBar(), bar);
  EXPECT_EQ(bar->geometry().top(), 0);
  // The titles sit in one row, left to right.
  EXPECT_LT(bar->Button(0)->m_x, bar->Button(1)->m_x);
  EXPECT_EQ(bar->Button(0)->m_y, bar->Button(1)->m_y);
}

TEST_F(MenuBarTest, AClickOnATitleOpensItsPopupAndEscClosesIt) {
  QTest::mouseClick(bar, Qt::LeftButton, {}, Centre(1));
  ASSERT_NE(Popup(), nullptr);
  EXPECT_EQ(Popup(), bar->PopupFor(1));
  EXPECT_EQ(bar->OpenIndex(), 1);
  EXPECT_TRUE(bar->Button(1)->m_nStyle & TBBS_PRESSED);
  // The popup drops down under its title.
  EXPECT_EQ(Popup()->pos(), bar->mapToGlobal(QPoint(bar->Button(1)->m_x, bar->Button(1)->m_y + bar->Button(1)->m_cy)));
  Key(Qt::Key_Escape);
  EXPECT_EQ(Popup(), nullptr);
  EXPECT_FALSE(bar->Button(1)->m_nStyle & TBBS_PRESSED);
  // Esc leaves the title hot in keyboard menu mode; a second Esc leaves it.
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Keyboard);
  EXPECT_TRUE(bar->Button(1)->m_nStyle & TBBS_HOT);
  Key(Qt::Key_Escape);
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Idle);
}

// A double click on a title: the second press reaches the open popup (it
// holds the mouse) and then the bar as a double click; neither closes the
// menu the first press opened.
TEST_F(MenuBarTest, ADoubleClickOnATitleLeavesItsMenuOpen) {
  QTest::mouseClick(bar, Qt::LeftButton, {}, Centre(1));
  QMenu* popup = Popup();
  ASSERT_NE(popup, nullptr);
  int hidden = 0;
  QObject::connect(popup, &QMenu::aboutToHide, [&hidden] { ++hidden; });
  const QPoint global = bar->mapToGlobal(Centre(1));
  QMouseEvent press(QEvent::MouseButtonPress, popup->mapFromGlobal(global), global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(popup, &press);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, Centre(1), global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &dbl);
  QCoreApplication::processEvents();
  EXPECT_EQ(hidden, 0);
  EXPECT_EQ(Popup(), popup);
  EXPECT_EQ(bar->OpenIndex(), 1);
  QObject::disconnect(popup, &QMenu::aboutToHide, nullptr, nullptr);
  Key(Qt::Key_Escape);
  Key(Qt::Key_Escape);
}

TEST_F(MenuBarTest, AltThenArrowsWalkTheBarAndDownOpens) {
  Key(Qt::Key_Alt);
  ASSERT_EQ(bar->Tracker().Mode(), MenuMode::Keyboard);
  EXPECT_TRUE(bar->Button(0)->m_nStyle & TBBS_HOT);
  Key(Qt::Key_Right);
  EXPECT_TRUE(bar->Button(1)->m_nStyle & TBBS_HOT);
  EXPECT_FALSE(bar->Button(0)->m_nStyle & TBBS_HOT);
  Key(Qt::Key_Down);
  ASSERT_EQ(Popup(), bar->PopupFor(1));
  EXPECT_EQ(ActiveText(), "&Copy");  // opened by the keyboard: first item selected
  // Right on an item without a submenu moves to the next title's popup.
  Key(Qt::Key_Right);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Popup() == bar->PopupFor(2); }, test::kHangWaitMs));
  ASSERT_EQ(Popup(), bar->PopupFor(2));
  EXPECT_EQ(ActiveText(), "&Build");
  Key(Qt::Key_Left);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Popup() == bar->PopupFor(1); }, test::kHangWaitMs));
  ASSERT_EQ(Popup(), bar->PopupFor(1));
  // Into a submenu, Right opens it instead of moving on.
  Key(Qt::Key_Down);
  EXPECT_EQ(ActiveText(), "&Advanced");
  Key(Qt::Key_Right);
  // Something other than the title's popup opens: the submenu, not the next title.
  EXPECT_TRUE(QTest::qWaitFor([&] { return Popup() && Popup() != bar->PopupFor(1); }, test::kHangWaitMs));
  EXPECT_NE(Popup(), bar->PopupFor(2));
  EXPECT_EQ(bar->OpenIndex(), 1);
}

TEST_F(MenuBarTest, AltTwiceLeavesTheKeyboardMode) {
  Key(Qt::Key_Alt);
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Keyboard);
  Key(Qt::Key_Alt);
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Idle);
  EXPECT_FALSE(bar->Button(0)->m_nStyle & TBBS_HOT);
  Key(Qt::Key_F10);
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Keyboard);
  Key(Qt::Key_F10);
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Idle);
  // A command bound to F10 keeps its key.
  bar->SetF10Bound([] { return true; });
  Key(Qt::Key_F10);
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Idle);
}

// A window's own Alt mnemonic (a label's buddy) moves the focus and leaves
// the menu bar alone: the key after it is typed, no menu opens.
TEST_F(MenuBarTest, AWindowsOwnMnemonicDoesNotArmTheMenuBar) {
  auto* page = new QWidget;
  auto* first = new QLineEdit(page);
  auto* label = new QLabel("File &Outline:", page);
  auto* outline = new QLineEdit(page);
  label->setBuddy(outline);
  auto* layout = new QVBoxLayout(page);
  for (QWidget* w : std::initializer_list<QWidget*>{first, label, outline}) layout->addWidget(w);
  frame->MdiClient()->addSubWindow(page)->show();
  QCoreApplication::processEvents();
  first->setFocus();
  QCoreApplication::processEvents();
  ASSERT_TRUE(first->hasFocus());
  QTest::keyClick(first, Qt::Key_O, Qt::AltModifier);
  QCoreApplication::processEvents();
  EXPECT_TRUE(outline->hasFocus());
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Idle);
  QTest::keyClick(outline, Qt::Key_F);
  QCoreApplication::processEvents();
  EXPECT_EQ(Popup(), nullptr);
  EXPECT_EQ(outline->text().toStdString(), "f");
}

TEST_F(MenuBarTest, AMnemonicOpensItsPopupWithTheFirstItemSelected) {
  Key(Qt::Key_P, Qt::AltModifier);
  ASSERT_EQ(Popup(), bar->PopupFor(2));
  EXPECT_EQ(ActiveText(), "&Build");
  Key(Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Popup() == nullptr && !ran.empty(); }, test::kHangWaitMs));
  EXPECT_EQ(Popup(), nullptr);
  EXPECT_EQ(ran, (std::vector<CommandId>{301}));
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Idle);
}

TEST_F(MenuBarTest, TheMouseOverAnotherTitleSwitchesPopups) {
  QTest::mouseClick(bar, Qt::LeftButton, {}, Centre(0));
  QMenu* first = Popup();
  ASSERT_EQ(first, bar->PopupFor(0));
  const QPoint over = bar->mapToGlobal(Centre(2));
  QTest::mouseMove(first, first->mapFromGlobal(over));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Popup() == bar->PopupFor(2); }, test::kHangWaitMs));
  EXPECT_EQ(Popup(), bar->PopupFor(2));
  // A press on the open title closes its popup.
  QMenu* second = Popup();
  ASSERT_NE(second, nullptr);
  QTest::mousePress(second, Qt::LeftButton, {}, second->mapFromGlobal(over));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Popup() == nullptr; }, test::kHangWaitMs));
  EXPECT_EQ(Popup(), nullptr);
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Idle);
}

TEST_F(MenuBarTest, DisabledCommandsShowGreyedAndTheMenuFollowsTheDocument) {
  frame->OnUpdate(102, [](CommandState& s) { s.Enable(false); });
  QTest::mouseClick(bar, Qt::LeftButton, {}, Centre(0));
  ASSERT_NE(Popup(), nullptr);
  EXPECT_TRUE(Popup()->actions()[0]->isEnabled());
  EXPECT_FALSE(Popup()->actions()[1]->isEnabled());
  Popup()->close();

  auto* child = new SECMDIChildWnd(frame);
  child->SetMenuResourceId(121);
  child->setWidget(new QWidget);
  frame->MdiClient()->addSubWindow(child);
  child->show();
  frame->MdiClient()->setActiveSubWindow(child);
  EXPECT_EQ(bar->Model().CurrentMenu(), 121u);
  std::vector<int> shown;
  for (int i = 0; i < bar->ButtonCount(); ++i)
    if (!(bar->Button(i)->m_nStyle & TBBS_HIDDEN)) shown.push_back(i);
  EXPECT_EQ(shown, (std::vector<int>{3, 4}));
  Key(Qt::Key_W, Qt::AltModifier);
  EXPECT_EQ(Popup(), bar->PopupFor(4));
  Popup()->close();
  child->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(bar->Model().CurrentMenu(), 120u);
}

}  // namespace
}  // namespace pm2
