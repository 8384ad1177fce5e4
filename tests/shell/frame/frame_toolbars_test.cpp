// The program's toolbars where the user meets them, in the real frame at
// its default size: the Debug toolbar shown from the View menu outside a
// session and as a session shows it, every button inside the window; the
// Build toolbar's target box docked in a column still chooses the target;
// Alt and a title's letter in a floating toolbar's find box open the menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "project/model/project_records.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/frame_fixture.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/toolbars/window_button.h"

namespace pm2 {
namespace frame_toolbars_test {

class FrameToolbarsTest : public test::ExampleFrameTest {
 protected:
  // Every button of every shown toolbar (the menu bar's titles too) lies
  // inside the main window.
  static void ExpectEveryButtonInside(CMainFrame* f) {
    for (SECCustomToolBar* bar : f->Bars()->Manager()->ToolBars()) {
      if (!bar->IsBarVisible() || bar->IsFloating()) continue;
      for (int i = 0; i < bar->ButtonCount(); ++i) {
        const SECStdBtn* b = bar->Button(i);
        if (b->m_nStyle & TBBS_HIDDEN) continue;
        const QPoint end = f->mapFromGlobal(bar->mapToGlobal(QPoint(b->m_x + b->m_cx, b->m_y + b->m_cy)));
        EXPECT_LE(end.x(), f->width()) << bar->State().title << " button " << i;
        EXPECT_LE(end.y(), f->ClientLayoutRect().top()) << bar->State().title << " button " << i;
      }
    }
  }
  static QMenu* Popup() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
};

TEST_F(FrameToolbarsTest, TheDebugToolbarShowsWholeFromTheViewMenuAndInASession) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  FrameBars* bars = f->Bars();
  ASSERT_FALSE(bars->IsToolBarVisible(kDebugToolBarId));
  EXPECT_EQ(f->QueryCommand(cmd::kViewDebugBar).check, 0);
  // Outside a session, beside the File and Build toolbars.
  ASSERT_TRUE(f->ExecuteCommand(cmd::kViewDebugBar));
  QCoreApplication::processEvents();
  ASSERT_TRUE(bars->IsToolBarVisible(kDebugToolBarId));
  EXPECT_TRUE(bars->ToolBar(kDebugToolBarId)->isVisible());
  EXPECT_EQ(f->QueryCommand(cmd::kViewDebugBar).check, 1);
  ExpectEveryButtonInside(f);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kViewDebugBar));
  EXPECT_FALSE(bars->IsToolBarVisible(kDebugToolBarId));
  EXPECT_FALSE(bars->ToolBar(kDebugToolBarId)->isVisible());
  // A session hides the Build toolbar and shows the Debug toolbar.
  bars->ToggleToolBar(kBuildToolBarId);
  bars->ToggleToolBar(kDebugToolBarId);
  QCoreApplication::processEvents();
  ASSERT_TRUE(bars->IsToolBarVisible(kDebugToolBarId));
  ExpectEveryButtonInside(f);
  // A narrower window keeps them all too.
  f->resize(f->width() * 2 / 3, f->height());
  QCoreApplication::processEvents();
  ExpectEveryButtonInside(f);
}

// Docked at the left, the Build toolbar's target box is a button whose
// click lists the targets, the current one checked; the one picked is the
// project's current target.
TEST_F(FrameToolbarsTest, TheTargetBoxInAColumnStillChoosesTheTarget) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SECCustomToolBar* build = f->Bars()->ToolBar(kBuildToolBarId);
  ASSERT_NE(build, nullptr);
  f->DockControlBar(build, f->GetDockBar(AFX_IDW_DOCKBAR_LEFT));
  QCoreApplication::processEvents();
  ASSERT_TRUE(build->IsVerticalDock());
  const int at = build->FindButton(kTargetBoxButton);
  ASSERT_GE(at, 0);
  auto* button = dynamic_cast<SECComboBtn*>(build->Button(at));
  ASSERT_NE(button, nullptr);
  QComboBox* box = f->Bars()->TargetBox();
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isVisible());
  const std::string target = s.App().Project()->curTarget->name.str();
  QTest::mouseClick(build, Qt::LeftButton, {}, QPoint(button->m_x + button->m_cx / 2, button->m_y + button->m_cy / 2));
  QMenu* list = Popup();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->actions().size(), box->count());
  EXPECT_EQ(list->actions()[0]->text().toStdString(), target);
  EXPECT_TRUE(list->actions()[0]->isChecked());
  list->actions()[0]->trigger();
  list->close();
  EXPECT_EQ(s.App().Project()->curTarget->name.str(), target);
  EXPECT_EQ(box->currentText().toStdString(), target);
}

// The File toolbar floated: Alt+W in its find box opens the Window menu and
// types nothing there.
TEST_F(FrameToolbarsTest, AltAndALetterInAFloatingFindBoxOpenTheMenu) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SECCustomToolBar* file = f->Bars()->ToolBar(kFileToolBarId);
  ASSERT_NE(file, nullptr);
  f->FloatControlBar(file, f->mapToGlobal(QPoint(200, 200)), CBRS_ALIGN_TOP);
  QCoreApplication::processEvents();
  ASSERT_TRUE(file->IsFloating());
  QComboBox* find = f->Bars()->FindBox();
  ASSERT_NE(find, nullptr);
  QLineEdit* edit = find->lineEdit();
  ASSERT_NE(edit, nullptr);
  edit->clear();
  file->window()->activateWindow();
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_W, Qt::AltModifier);
  QCoreApplication::processEvents();
  ASSERT_NE(Popup(), nullptr);
  SECMenuBar* menus = f->Bars()->MenuBar();
  EXPECT_EQ(menus->OpenIndex(), menus->FindMnemonic('w'));
  EXPECT_TRUE(edit->text().isEmpty());
  menus->CancelMenu();
}

}  // namespace frame_toolbars_test
}  // namespace pm2
