// The program's menu bar as a bar of the main window: in a row of its own
// above the toolbars on a first start, floated by a double click on its
// gripper and docked at the left, opened by the keys wherever it is, and
// back where the user left it after a restart.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTest>

#include "editor/engine/edit_engine.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/frame_fixture.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/toolbar_manager.h"

namespace pm2 {
namespace frame_menu_bar_test {

class FrameMenuBarTest : public test::ExampleFrameTest {};

QMenu* ShownPopup() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

void Press(QWidget* to, int key, Qt::KeyboardModifiers mods = {}) {
  if (QApplication::activePopupWidget()) to = QApplication::activePopupWidget();
  QTest::keyClick(to, Qt::Key(key), mods);
  QCoreApplication::processEvents();
}

// Alt and Down from the main window open the File menu; its first item is
// File New. Escape twice closes it and leaves the menus.
void ExpectAltDownOpensFile(CMainFrame* f, SECMenuBar* bar) {
  f->activateWindow();
  QTest::keyClick(f, Qt::Key_Alt);
  QCoreApplication::processEvents();
  Press(f, Qt::Key_Down);
  QMenu* popup = ShownPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(bar->OpenIndex(), 0);
  ASSERT_FALSE(popup->actions().isEmpty());
  EXPECT_EQ(popup->actions()[0]->data().toUInt(), 57600u);
  Press(f, Qt::Key_Escape);
  Press(f, Qt::Key_Escape);
  EXPECT_EQ(ShownPopup(), nullptr);
}

TEST_F(FrameMenuBarTest, TheMenuBarMovesAndIsBackThereAfterARestart) {
  SettingsStore settings(dir + "settings.ini");
  {
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    SECMenuBar* bar = f->Bars()->MenuBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(f->CommandBar(), nullptr);
    SECDockBar* top = f->GetDockBar(AFX_IDW_DOCKBAR_TOP);
    ASSERT_EQ(bar->DockBar(), top);
    const std::vector<std::uint32_t> entries = top->StoredEntries();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[0], kMenuBarId);
    EXPECT_EQ(entries[1], 0u);
    SECCustomToolBar* file = f->Bars()->ToolBar(kFileToolBarId);
    ASSERT_NE(file, nullptr);
    EXPECT_LT(bar->geometry().bottom(), file->geometry().top());
    // A double click on the gripper floats it, in a frame without a close
    // button.
    QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(3, bar->height() / 2));
    QCoreApplication::processEvents();
    ASSERT_TRUE(bar->IsFloating());
    auto* floating = dynamic_cast<SECMiniDockFrameWnd*>(bar->window());
    ASSERT_NE(floating, nullptr);
    EXPECT_TRUE(floating->isVisible());
    EXPECT_TRUE(floating->CloseButtonRect().isEmpty());
    ExpectAltDownOpensFile(f, bar);
    // Docked at the left: the titles stand in a column.
    f->DockControlBar(bar, f->GetDockBar(AFX_IDW_DOCKBAR_LEFT));
    QCoreApplication::processEvents();
    ASSERT_TRUE(bar->IsVerticalDock());
    EXPECT_LT(bar->Button(0)->m_y, bar->Button(1)->m_y);
    ExpectAltDownOpensFile(f, bar);
    EXPECT_TRUE(f->close());
  }
  ResetAppState();
  PoolFreeAll();
  SettingsStore again(dir + "settings.ini");
  ASSERT_TRUE(again.Load());
  test::Session s(again, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SECMenuBar* bar = f->Bars()->MenuBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->DockBar(), f->GetDockBar(AFX_IDW_DOCKBAR_LEFT));
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(f->GetControlBar(kMenuBarId), bar);
  ExpectAltDownOpensFile(f, bar);
}

// An Alt+drag in the editor selects a column block; the release of Alt
// after it leaves the keyboard with the text, so Delete removes the block
// at once (the menu bar is not armed), while Alt pressed and released
// alone still arms it.
TEST_F(FrameMenuBarTest, AltReleasedAfterAColumnDragLeavesTheKeysInTheText) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SECMenuBar* bar = f->Bars()->MenuBar();
  ASSERT_NE(bar, nullptr);
  EditorView* v = OpenActive(f, dir + "LED.h", 1);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  QTest::keyClick(v, Qt::Key_Home);  // off the line the opening selected
  QWidget* port = v->viewport();
  const EditState& st = v->Engine().State();
  auto cell = [&st](int row, int col) {
    return QPoint(st.nLeftMargin + (col - st.nLeftCol) * st.nCharWidth + 1,
                  (row - st.nTopLine) * st.nLineHeight + st.nLineHeight / 2);
  };
  const int topLine = st.nTopLine;
  const std::string before = v->Document().Text().GetText();
  QTest::keyPress(v, Qt::Key_Alt, Qt::AltModifier);
  QTest::mousePress(port, Qt::LeftButton, Qt::AltModifier, cell(topLine, 0));
  QTest::mouseMove(port, cell(topLine + 1, 2));
  QTest::mouseRelease(port, Qt::LeftButton, Qt::AltModifier, cell(topLine + 1, 2));
  QTest::keyRelease(v, Qt::Key_Alt);
  QCoreApplication::processEvents();
  bool column = false;
  ASSERT_FALSE(v->Engine().GetSelectedText(&column).empty());
  EXPECT_TRUE(column);
  EXPECT_NE(bar->Tracker().Mode(), MenuMode::Keyboard);
  QTest::keyClick(v, Qt::Key_Delete);
  QCoreApplication::processEvents();
  EXPECT_EQ(v->Document().Text().GetText().size(), before.size() - 4) << "the 2 x 2 block is deleted";
  // Alt alone, without the mouse, still gives the keys to the menu bar.
  QTest::keyClick(v, Qt::Key_Alt);
  QCoreApplication::processEvents();
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Keyboard);
  Press(f, Qt::Key_Escape);
}

}  // namespace frame_menu_bar_test
}  // namespace pm2
