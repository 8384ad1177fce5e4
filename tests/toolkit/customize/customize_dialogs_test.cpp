// The toolbar customisation dialogs on the demo frame's toolbars, driven by
// the mouse on the offscreen platform: a new toolbar by name, showing and
// hiding bars from the list, resetting and deleting, and a button dragged
// from the commands dialog onto a toolbar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "demo_frame.h"
#include "toolkit/customize/check_list_box.h"
#include "toolkit/customize/cmd_page.h"
#include "toolkit/customize/new_toolbar_dlg.h"
#include "toolkit/customize/toolbars_dlg.h"
#include "toolkit/frames/workbook.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/toolbar_manager.h"

namespace pm2 {
namespace {

class CustomizeTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char arg0[] = "toolkit_customize_ui_test";
    static char* argv[] = {arg0, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  void SetUp() override {
    d = BuildDemoFrame(true, QSize(1000, 640));
    d.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.frame));
    mgr = d.toolbars;
  }
  void TearDown() override { delete d.frame; }

  // The dialog beside the frame, so drops on the frame never land on it.
  template <class Dlg>
  void ShowBeside(Dlg* dlg) {
    dlg->move(d.frame->mapToGlobal(QPoint(d.frame->width() + 40, 0)));
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
  }
  int RowOf(const SECToolBarsDlg& dlg, unsigned id) { return dlg.Model().Find(id); }
  void ClickRow(SECToolBarsDlg& dlg, int row, bool onCheck) {
    SECCheckListBox* list = dlg.List();
    const QPoint at = onCheck ? list->CheckRect(row).center() : list->RowRect(row).center() + QPoint(40, 0);
    QTest::mouseClick(list, Qt::LeftButton, {}, at);
  }

  DemoFrame d;
  SECToolBarManager* mgr = nullptr;
};

TEST_F(CustomizeTest, ANewToolbarByNameAppearsFloatingAndListed) {
  SECToolBarsDlg dlg(mgr);
  ShowBeside(&dlg);
  EXPECT_TRUE(mgr->IsCustomizing());
  // The New button asks for the name in its own dialog.
  bool answered = false;
  QTimer::singleShot(0, [&] {
    auto* ask = dynamic_cast<SECNewToolBar*>(QApplication::activeModalWidget());
    ASSERT_NE(ask, nullptr);
    EXPECT_FALSE(ask->OkButton()->isEnabled());  // no name yet
    QTest::keyClicks(ask->NameEdit(), "Flash Tools");
    EXPECT_TRUE(ask->OkButton()->isEnabled());
    answered = true;
    QTest::mouseClick(ask->OkButton(), Qt::LeftButton);
  });
  QTest::mouseClick(dlg.NewButton(), Qt::LeftButton);
  ASSERT_TRUE(answered);
  SECCustomToolBar* bar = mgr->GetToolBar(kFirstUserToolBarId);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Title(), "Flash Tools");
  EXPECT_TRUE(bar->IsFloating());
  EXPECT_TRUE(bar->IsCustomizing());
  QCoreApplication::processEvents();
  EXPECT_TRUE(bar->window()->isVisible());
  // Listed, selected, renameable and deletable.
  const int row = RowOf(dlg, kFirstUserToolBarId);
  ASSERT_GE(row, 0);
  EXPECT_EQ(dlg.Model().Selected(), row);
  EXPECT_EQ(dlg.List()->Items()[std::size_t(row)].text, "Flash Tools");
  EXPECT_TRUE(dlg.List()->Items()[std::size_t(row)].checked);
  EXPECT_TRUE(dlg.NameEdit()->isEnabled());
  EXPECT_EQ(dlg.ResetButton()->text(), "&Delete");
  dlg.reject();
  EXPECT_FALSE(mgr->IsCustomizing());
}

TEST_F(CustomizeTest, RenamingAUserToolbarCutsTheNameAndRetitlesIt) {
  SECToolBarsDlg dlg(mgr);
  ShowBeside(&dlg);
  SECControlBar* bar = dlg.NewToolBar("Mine");
  ASSERT_NE(bar, nullptr);
  dlg.NameEdit()->setFocus();
  dlg.NameEdit()->selectAll();
  QTest::keyClicks(dlg.NameEdit(), QString(200, 'r'));
  QTest::keyClick(dlg.NameEdit(), Qt::Key_Return);
  EXPECT_EQ(bar->Title(), std::string(128, 'r'));
  EXPECT_EQ(dlg.List()->Items()[std::size_t(dlg.Model().Selected())].text, std::string(128, 'r'));
}

TEST_F(CustomizeTest, UncheckingAToolbarHidesItAndCheckingShowsIt) {
  SECToolBarsDlg dlg(mgr);
  ShowBeside(&dlg);
  SECCustomToolBar* file = mgr->GetToolBar(kFileToolBarId);
  ASSERT_TRUE(file->isVisible());
  const int row = RowOf(dlg, kFileToolBarId);
  ASSERT_GE(row, 0);
  EXPECT_TRUE(dlg.List()->Items()[std::size_t(row)].checked);
  ClickRow(dlg, row, true);
  EXPECT_FALSE(file->isVisible());
  EXPECT_FALSE(file->IsBarVisible());
  EXPECT_FALSE(dlg.List()->Items()[std::size_t(row)].checked);
  ClickRow(dlg, row, true);
  EXPECT_TRUE(file->isVisible());
  // A click beside the box only selects.
  ClickRow(dlg, row, false);
  EXPECT_TRUE(file->isVisible());
  EXPECT_EQ(dlg.Model().Selected(), row);
  EXPECT_EQ(dlg.NameEdit()->text(), "File");
  EXPECT_FALSE(dlg.NameEdit()->isEnabled());  // predefined bars keep their names
}

TEST_F(CustomizeTest, TheMenuBarCannotBeHidden) {
  SECToolBarsDlg dlg(mgr);
  ShowBeside(&dlg);
  const int row = RowOf(dlg, kMenuBarId);
  ASSERT_GE(row, 0);
  ClickRow(dlg, row, true);
  EXPECT_TRUE(dlg.List()->Items()[std::size_t(row)].checked);
  EXPECT_TRUE(d.menuBar->isVisible());
}

TEST_F(CustomizeTest, ResetRestoresTheDefaultButtons) {
  SECCustomToolBar* build = mgr->GetToolBar(kBuildToolBarId);
  std::vector<unsigned> defaults;
  ASSERT_TRUE(mgr->GetDefaultButtons(kBuildToolBarId, &defaults));
  build->RemoveButton(0);
  build->RemoveButton(0);
  build->InsertButton(1, 57600);
  ASSERT_NE(build->ButtonIds(), defaults);
  SECToolBarsDlg dlg(mgr);
  ShowBeside(&dlg);
  ClickRow(dlg, RowOf(dlg, kBuildToolBarId), false);
  EXPECT_EQ(dlg.ResetButton()->text(), "&Reset");
  QTest::mouseClick(dlg.ResetButton(), Qt::LeftButton);
  EXPECT_EQ(build->ButtonIds(), defaults);
}

TEST_F(CustomizeTest, DeletingAUserToolbarRemovesItsRowAndSelectsTheNext) {
  SECToolBarsDlg dlg(mgr);
  ShowBeside(&dlg);
  ASSERT_NE(dlg.NewToolBar("One"), nullptr);
  ASSERT_NE(dlg.NewToolBar("Two"), nullptr);
  const int row = RowOf(dlg, kFirstUserToolBarId);
  ClickRow(dlg, row, false);
  QTest::mouseClick(dlg.ResetButton(), Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(mgr->GetToolBar(kFirstUserToolBarId), nullptr);
  EXPECT_EQ(RowOf(dlg, kFirstUserToolBarId), -1);
  ASSERT_EQ(dlg.Model().Selected(), row);
  EXPECT_EQ(dlg.Model().Rows()[std::size_t(row)].title, "Two");
}

TEST_F(CustomizeTest, CancelPutsTheSwitchesBack) {
  SECToolBarsDlg dlg(mgr);
  ShowBeside(&dlg);
  const ToolBarManagerSettings before = mgr->Settings();
  QTest::mouseClick(dlg.LargeButtonsCheck(), Qt::LeftButton);
  QTest::mouseClick(dlg.CoolLookCheck(), Qt::LeftButton);
  EXPECT_NE(mgr->Settings(), before);  // applied at once
  EXPECT_FALSE(mgr->GetToolBar(kFileToolBarId)->IsCoolLook());
  QTest::keyClick(&dlg, Qt::Key_Escape);
  EXPECT_EQ(mgr->Settings(), before);
  EXPECT_TRUE(mgr->GetToolBar(kFileToolBarId)->IsCoolLook());
}

TEST_F(CustomizeTest, AButtonDraggedFromTheCommandsDialogOntoAToolbarIsAddedThere) {
  SECToolBarCmdPage page(mgr, CommandGroupsOf(*mgr));
  ShowBeside(&page);
  EXPECT_TRUE(mgr->IsCustomizing());
  // The Build group, then its Download button.
  int group = -1;
  for (int i = 0; i < int(page.GroupList()->Items().size()); ++i)
    if (page.GroupList()->Items()[std::size_t(i)].text == "Build") group = i;
  ASSERT_GE(group, 0);
  QTest::mouseClick(page.GroupList(), Qt::LeftButton, {}, page.GroupList()->RowRect(group).center());
  ASSERT_EQ(page.CurrentGroup(), group);
  SECCustomizeToolBar* strip = page.Group(group);
  ASSERT_TRUE(strip->isVisible());
  int source = -1;
  for (int i = 0; i < strip->ButtonCount(); ++i)
    if (strip->Button(i)->m_nID == 32720) source = i;
  ASSERT_GE(source, 0);
  const SECStdBtn* from = strip->Button(source);
  const QPoint grab(from->m_x + from->m_cx / 2, from->m_y + from->m_cy / 2);

  SECCustomToolBar* file = mgr->GetToolBar(kFileToolBarId);
  const int before = file->ButtonCount();
  ASSERT_EQ(file->FindButton(32720), -1);
  const SECStdBtn* onto = file->Button(2);
  const QPoint dropGlobal = file->mapToGlobal(QPoint(onto->m_x + from->m_cx / 2, onto->m_y + from->m_cy / 2));

  QTest::mousePress(strip, Qt::LeftButton, {}, grab);
  EXPECT_EQ(page.Description()->text(), "Build the target");
  QTest::mouseMove(strip, strip->mapFromGlobal(dropGlobal));
  QTest::mouseRelease(strip, Qt::LeftButton, {}, strip->mapFromGlobal(dropGlobal));
  ASSERT_EQ(file->ButtonCount(), before + 1);
  EXPECT_EQ(file->FindButton(32720), 2);
  // The group keeps its button: the drag copies.
  EXPECT_EQ(strip->Button(source)->m_nID, 32720u);
  page.accept();
  EXPECT_FALSE(mgr->IsCustomizing());
}

TEST_F(CustomizeTest, AClickOnAGroupButtonOnlySelectsIt) {
  SECToolBarCmdPage page(mgr, CommandGroupsOf(*mgr));
  ShowBeside(&page);
  SECCustomizeToolBar* strip = page.Group(page.CurrentGroup());
  const std::vector<unsigned> before = mgr->GetToolBar(kFileToolBarId)->ButtonIds();
  const SECStdBtn* b = strip->Button(0);
  QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(b->m_x + 5, b->m_y + 5));
  EXPECT_EQ(strip->SelectedIndex(), 0);
  EXPECT_TRUE(strip->Button(0)->m_nStyle & TBBS_CUSTOMIZESEL);
  EXPECT_EQ(mgr->GetToolBar(kFileToolBarId)->ButtonIds(), before);
}

}  // namespace
}  // namespace pm2
