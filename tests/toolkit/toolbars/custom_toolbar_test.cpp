// Toolbars as docking bars on the offscreen platform: the manager's default
// toolbars, button clicks routed to commands, customising by Alt- and
// Ctrl-dragging buttons, docking at the side, window buttons, and saving
// and restoring every toolbar with the dock state.
#include "toolkit/toolbars/custom_toolbar.h"

#include <gtest/gtest.h>

#include <QDialog>

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QTest>
#include <memory>

#include "hang_guard.h"
#include "platform/settings_store.h"
#include "toolkit/core/persistent_tree.h"
#include "toolkit/core/resources.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/toolbars/plain_toolbar.h"
#include "toolkit/toolbars/qt_resource_module.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/toolbars/window_button.h"

namespace pm2 {
namespace {

constexpr unsigned kNew = 57600, kOpen = 57601, kSave = 57603, kBuild = 32720, kFindCombo = 32750;

struct Bars {
  SECMDIFrameWnd* frame = nullptr;
  std::unique_ptr<SECToolBarManager> mgr;
  std::vector<CommandId> ran;
  std::vector<ToolbarNotify> notes;

  Bars() {
    frame = new SECMDIFrameWnd;
    // Wide enough for the File and Build toolbars side by side.
    frame->resize(1200, 500);
    frame->EnableDocking(CBRS_ALIGN_ANY);
    frame->OnCommandRange(32000, 0xEFFF, [this](CommandId id) { ran.push_back(id); });
    mgr = std::make_unique<SECToolBarManager>(frame, ToolkitResourceModule());
    mgr->LoadToolBarResource(120);
    static const SECComboBtn kCombo;
    mgr->SetButtonMap({{kCombo.GetButtonClass(), kFindCombo, TBBS_NOAUTODISABLE, 1000, CBS_DROPDOWN, 150, 70, 150}});
    const ResourceTables& tk = ToolkitResources();
    mgr->DefineDefaultToolBar({kFileToolBarId, "File", *tk.Toolbar(59392)});
    mgr->DefineDefaultToolBar({kDebugToolBarId, "Debug", *tk.Toolbar(59397), CBRS_ALIGN_ANY, AFX_IDW_DOCKBAR_TOP,
                               kFileToolBarId, true, false});
    mgr->DefineDefaultToolBar(
        {kBuildToolBarId, "Build", *tk.Toolbar(59398), CBRS_ALIGN_ANY, AFX_IDW_DOCKBAR_TOP, kFileToolBarId});
  }
  ~Bars() {
    delete frame;  // the bars go with it; the manager after
  }
  void Show() {
    frame->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
    frame->RecalcLayout();
    for (SECCustomToolBar* tb : mgr->ToolBars()) tb->onNotify = [this](const ToolbarNotify& n) { notes.push_back(n); };
  }
  SECCustomToolBar* Bar(unsigned id) const { return mgr->GetToolBar(id); }
};

void EnsureApp() {
  static int argc = 1;
  static char arg0[] = "toolkit_toolbars_ui_test";
  static char* argv[] = {arg0, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

class CustomToolBarTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureApp(); }
  void SetUp() override {
    b = std::make_unique<Bars>();
    b->mgr->AttachToolBars();
    b->Show();
  }
  static QPoint Centre(SECCustomToolBar* tb, unsigned id) {
    const SECStdBtn* btn = tb->Button(tb->FindButton(id));
    return QPoint(btn->m_x + btn->m_cx / 2, btn->m_y + btn->m_cy / 2);
  }
  std::unique_ptr<Bars> b;
};

TEST_F(CustomToolBarTest, FirstStartMakesTheDefaultToolbarsAtTheTop) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  SECCustomToolBar* build = b->Bar(kBuildToolBarId);
  SECCustomToolBar* debug = b->Bar(kDebugToolBarId);
  ASSERT_TRUE(file && build && debug);
  SECDockBar* top = b->frame->GetDockBar(AFX_IDW_DOCKBAR_TOP);
  EXPECT_EQ(file->DockBar(), top);
  EXPECT_EQ(build->DockBar(), top);
  EXPECT_TRUE(file->isVisible());
  EXPECT_FALSE(debug->isVisible());
  // Build docks beside File, in its row.
  EXPECT_EQ(build->y(), file->y());
  EXPECT_GE(build->x(), file->x() + file->width());
  // One row of buttons: every button on the same line, none wrapped.
  for (int i = 0; i < file->ButtonCount(); ++i) {
    EXPECT_EQ(file->Button(i)->m_nStyle & TBBS_WRAPPED, 0u) << i;
    if (!(file->Button(i)->m_nStyle & TBBS_SEPARATOR)) {
      EXPECT_EQ(file->Button(i)->m_y, file->Button(0)->m_y);
    }
  }
  EXPECT_EQ(file->height(), 22 + 4);
  EXPECT_TRUE(b->mgr->Settings().toolTips && b->mgr->Settings().coolLook && !b->mgr->Settings().largeButtons);
}

TEST_F(CustomToolBarTest, AButtonClickRunsItsCommandAndTracksTheHotButton) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  QTest::mouseMove(file, Centre(file, kSave));
  EXPECT_EQ(file->HotIndex(), file->FindButton(kSave));
  QTest::mouseClick(file, Qt::LeftButton, {}, Centre(file, kSave));
  EXPECT_EQ(b->ran, (std::vector<CommandId>{kSave}));
  // Released outside the button: nothing runs.
  QTest::mousePress(file, Qt::LeftButton, {}, Centre(file, kOpen));
  QTest::mouseRelease(file, Qt::LeftButton, {}, Centre(file, kOpen) + QPoint(0, 40));
  EXPECT_EQ(b->ran.size(), 1u);
  // A command the frame greys cannot be clicked.
  b->frame->OnUpdate(kNew, [](CommandState& s) { s.Enable(false); });
  file->UpdateCmdUI();
  EXPECT_TRUE(file->Button(file->FindButton(kNew))->m_nStyle & TBBS_DISABLED);
  QTest::mouseClick(file, Qt::LeftButton, {}, Centre(file, kNew));
  EXPECT_EQ(b->ran.size(), 1u);
}

// A button its handler checks is pressed; unchecked again, it comes up.
TEST_F(CustomToolBarTest, AButtonCheckedByItsHandlerComesUpWhenUnchecked) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  int check = 1;
  b->frame->OnUpdate(kSave, [&](CommandState& s) { s.SetCheck(check); });
  file->UpdateCmdUI();
  const SECStdBtn* save = file->Button(file->FindButton(kSave));
  EXPECT_TRUE(save->m_nStyle & TBBS_CHECKED);
  check = 0;
  file->UpdateCmdUI();
  EXPECT_FALSE(save->m_nStyle & TBBS_CHECKED);
  // A handler that only enables leaves the check alone.
  check = 1;
  file->UpdateCmdUI();
  b->frame->OnUpdate(kSave, [](CommandState& s) { s.Enable(true); });
  file->UpdateCmdUI();
  EXPECT_TRUE(save->m_nStyle & TBBS_CHECKED);
}

TEST_F(CustomToolBarTest, TipsNameTheCommandUnderTheMouseWhileSwitchedOn) {
  std::vector<unsigned> asked;
  b->mgr->SetTipSource([&](unsigned id) {
    asked.push_back(id);
    return std::string("Save the active document\nSave File");
  });
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  const QPoint at = Centre(file, kSave);
  QHelpEvent help(QEvent::ToolTip, at, file->mapToGlobal(at));
  QApplication::sendEvent(file, &help);
  EXPECT_EQ(asked, (std::vector<unsigned>{kSave}));
  b->mgr->EnableToolTips(false);
  QApplication::sendEvent(file, &help);
  EXPECT_EQ(asked.size(), 1u);
  // The tip is the part after the status prompt.
  EXPECT_EQ(b->mgr->TipText(kSave), "Save File");
}

TEST_F(CustomToolBarTest, CtrlAltDragCopiesAndAltDragMovesAButtonToAnotherToolbar) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  SECCustomToolBar* build = b->Bar(kBuildToolBarId);
  const int buildCount = build->ButtonCount();
  const QPoint onBuild = file->mapFromGlobal(build->mapToGlobal(Centre(build, kBuild)));
  const Qt::KeyboardModifiers copy = Qt::ControlModifier | Qt::AltModifier;
  QTest::mousePress(file, Qt::LeftButton, copy, Centre(file, kNew));
  QTest::mouseMove(file, onBuild);
  QTest::mouseRelease(file, Qt::LeftButton, copy, onBuild);
  EXPECT_EQ(build->ButtonCount(), buildCount + 1);
  EXPECT_GE(build->FindButton(kNew), 0);
  EXPECT_GE(file->FindButton(kNew), 0);  // a copy leaves the original
  EXPECT_TRUE(b->ran.empty());
  // Alt moves it.
  const int fileCount = file->ButtonCount();
  QTest::mousePress(file, Qt::LeftButton, Qt::AltModifier, Centre(file, kOpen));
  QTest::mouseRelease(file, Qt::LeftButton, Qt::AltModifier,
                      file->mapFromGlobal(build->mapToGlobal(Centre(build, kBuild))));
  EXPECT_EQ(file->FindButton(kOpen), -1);
  EXPECT_GE(build->FindButton(kOpen), 0);
  EXPECT_EQ(file->ButtonCount(), fileCount - 1);
}

TEST_F(CustomToolBarTest, APlainCtrlClickRunsTheCommandInsteadOfCopyingTheButton) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  const int count = file->ButtonCount();
  QTest::mouseClick(file, Qt::LeftButton, Qt::ControlModifier, Centre(file, kSave));
  EXPECT_EQ(b->ran, (std::vector<CommandId>{kSave}));
  EXPECT_EQ(file->ButtonCount(), count);
  EXPECT_EQ(b->Bar(kFirstUserToolBarId), nullptr);
}

TEST_F(CustomToolBarTest, CtrlAltDragOffEveryToolbarMakesUserToolbarOne) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  const QPoint empty = file->mapFromGlobal(b->frame->mapToGlobal(QPoint(450, 300)));
  const Qt::KeyboardModifiers copy = Qt::ControlModifier | Qt::AltModifier;
  QTest::mousePress(file, Qt::LeftButton, copy, Centre(file, kSave));
  QTest::mouseRelease(file, Qt::LeftButton, copy, empty);
  SECCustomToolBar* user = b->Bar(kFirstUserToolBarId);
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(user->Title(), "Toolbar1");
  EXPECT_TRUE(user->IsFloating());
  EXPECT_EQ(user->ButtonIds(), (std::vector<unsigned>{kSave}));
  // Moving its only button away closes the user toolbar; a predefined one
  // stays even when emptied.
  QTest::mousePress(user, Qt::LeftButton, Qt::AltModifier, Centre(user, kSave));
  QTest::mouseRelease(user, Qt::LeftButton, Qt::AltModifier, user->mapFromGlobal(b->frame->mapToGlobal(QPoint(150, 420))));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(b->Bar(kFirstUserToolBarId), nullptr);
  SECCustomToolBar* build = b->Bar(kBuildToolBarId);
  while (build->ButtonCount() > 0) build->RemoveButton(0);
  EXPECT_EQ(b->Bar(kBuildToolBarId), build);
}

// A short drag of the selected button within its own place edits the
// separators beside it, alike in both directions: a gap opens behind the
// button, or, when that gap is already there, the one ahead of it closes.
struct NudgeRow {
  const char* name;
  std::vector<unsigned> before;  // 0: a separator; the nudged button is kOpen
  int dx;
  std::vector<unsigned> after;
};

const NudgeRow kNudgeRows[] = {
    {"RightOpensAGapBefore", {kNew, kOpen, kSave}, 4, {kNew, 0, kOpen, kSave}},
    {"RightWithTheGapBeforeClosesTheOneAfter", {kNew, 0, kOpen, 0, kSave}, 4, {kNew, 0, kOpen, kSave}},
    {"RightWithTheGapBeforeAndNoneAfterKeepsAll", {kNew, 0, kOpen, kSave}, 4, {kNew, 0, kOpen, kSave}},
    {"LeftOpensAGapAfter", {kNew, kOpen, kSave}, -4, {kNew, kOpen, 0, kSave}},
    {"LeftWithAGapBeforeOpensOneAfter", {kNew, 0, kOpen, kSave}, -4, {kNew, 0, kOpen, 0, kSave}},
    {"LeftWithTheGapAfterClosesTheOneBefore", {kNew, 0, kOpen, 0, kSave}, -4, {kNew, kOpen, 0, kSave}},
    {"LeftAlmostHalfItsWidthIsStillANudge", {kNew, kOpen, kSave}, -10, {kNew, kOpen, 0, kSave}},
    {"OnePixelChangesNothing", {kNew, 0, kOpen, kSave}, -1, {kNew, 0, kOpen, kSave}},
    {"NoMoveChangesNothing", {kNew, kOpen, kSave}, 0, {kNew, kOpen, kSave}},
};

TEST_F(CustomToolBarTest, ANudgeWithinItsPlaceEditsTheSeparators) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  for (const NudgeRow& row : kNudgeRows) {
    SCOPED_TRACE(row.name);
    file->SetButtons(row.before);
    b->frame->RecalcLayout();
    const int at = file->FindButton(kOpen);
    ASSERT_GE(at, 0);
    const SECStdBtn* open = file->Button(at);
    ASSERT_GT(open->m_cx, 2 * 10);
    file->DropDraggedButton(at, file->mapToGlobal(QPoint(open->m_x + row.dx, open->m_y)), false);
    EXPECT_EQ(file->ButtonIds(), row.after);
  }
}

// A drag left onto the neighbour is a move, not a nudge.
TEST_F(CustomToolBarTest, ALongDragLeftMovesTheButtonBeforeItsNeighbour) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  file->SetButtons({kNew, kOpen, kSave});
  b->frame->RecalcLayout();
  const SECStdBtn* open = file->Button(1);
  file->DropDraggedButton(file->FindButton(kSave), file->mapToGlobal(QPoint(open->m_x + 2, open->m_y)), false);
  EXPECT_EQ(file->ButtonIds(), (std::vector<unsigned>{kNew, kSave, kOpen}));
}

// Drops that edit separators: onto a separator the button takes its place;
// above a toolbar's buttons it goes first with a separator after it; onto
// the open customise dialog nothing happens.
TEST_F(CustomToolBarTest, DropsReplaceOrAddSeparatorsAndDoNothingOnTheCustomiseDialog) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  SECCustomToolBar* build = b->Bar(kBuildToolBarId);
  int sep = -1;
  for (int i = 1; i < build->ButtonCount() && sep < 0; ++i)
    if (build->Button(i)->m_nStyle & TBBS_SEPARATOR) sep = i;
  ASSERT_GT(sep, 0);
  const int count = build->ButtonCount();
  const SECStdBtn* s = build->Button(sep);
  file->DropDraggedButton(file->FindButton(kNew), build->mapToGlobal(QPoint(s->m_x + 1, s->m_y)), true);
  EXPECT_EQ(build->ButtonCount(), count);
  EXPECT_EQ(build->Button(sep)->m_nID, kNew);
  EXPECT_FALSE(build->Button(sep)->m_nStyle & TBBS_SEPARATOR);

  // Above the buttons: first, and a separator after it.
  const SECStdBtn* open = file->Button(file->FindButton(kOpen));
  const QPoint aboveBuild = build->mapToGlobal(QPoint(build->Button(0)->m_x, -open->m_cy / 2 - 1));
  file->DropDraggedButton(file->FindButton(kOpen), aboveBuild, true);
  ASSERT_GE(build->ButtonCount(), 2);
  EXPECT_EQ(build->Button(0)->m_nID, kOpen);
  EXPECT_TRUE(build->Button(1)->m_nStyle & TBBS_SEPARATOR);

  // On the customise dialog: the moved button stays where it was.
  QDialog dialog(b->frame);
  dialog.setGeometry(500, 300, 200, 120);
  dialog.show();
  b->mgr->SetCustomizeMode(true, &dialog);
  const std::vector<unsigned> before = file->ButtonIds();
  file->DropDraggedButton(file->FindButton(kSave), dialog.frameGeometry().center(), false);
  EXPECT_EQ(file->ButtonIds(), before);
  b->mgr->SetCustomizeMode(false);
  dialog.hide();
}

TEST_F(CustomToolBarTest, AToolbarDraggedFromTheTopToTheLeftDocksVertically) {
  SECCustomToolBar* build = b->Bar(kBuildToolBarId);
  const QPoint grip = b->frame->mapFromGlobal(build->mapToGlobal(QPoint(4, 10)));
  QTest::mousePress(build, Qt::LeftButton, {}, QPoint(4, 10));
  ASSERT_TRUE(build->DockContext()->IsTracking());
  const QPoint target(6, 250);
  for (int i = 1; i <= 4; ++i) QTest::mouseMove(b->frame, grip + (target - grip) * i / 4);
  QTest::mouseRelease(b->frame, Qt::LeftButton, {}, target);
  ASSERT_EQ(build->DockBar(), b->frame->GetDockBar(AFX_IDW_DOCKBAR_LEFT));
  EXPECT_TRUE(build->IsVerticalDock());
  EXPECT_GT(build->height(), build->width());
  // One button a row; the target combo falls back to a plain button.
  int x = -1;
  for (int i = 0; i < build->ButtonCount(); ++i) {
    const SECStdBtn* btn = build->Button(i);
    if (btn->m_nStyle & TBBS_SEPARATOR) continue;
    if (x < 0) x = btn->m_x;
    EXPECT_EQ(btn->m_x, x) << i;
    EXPECT_EQ(btn->m_cx, 23) << i;
  }
}

// A toolbar dragged to the left side and back into the top row has all
// its buttons inside it again, its window button (the combo) at its full
// width: the row's size is measured with the buttons in their row form.
TEST_F(CustomToolBarTest, AToolbarDockedAtTheLeftAndBackKeepsEveryButtonReachable) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  auto* combo = dynamic_cast<SECComboBtn*>(file->Button(file->FindButton(kFindCombo)));
  ASSERT_NE(combo, nullptr);
  const int fullWidth = combo->m_cxWnd;
  const std::vector<unsigned> ids = file->ButtonIds();
  // Drags the bar by its gripper (`grip`, in the bar) to `target` (in the frame).
  const auto drag = [&](QPoint grip, QPoint target) {
    const QPoint from = b->frame->mapFromGlobal(file->mapToGlobal(grip));
    QTest::mousePress(file, Qt::LeftButton, {}, grip);
    ASSERT_TRUE(file->DockContext()->IsTracking());
    for (int i = 1; i <= 4; ++i) QTest::mouseMove(b->frame, from + (target - from) * i / 4);
    QTest::mouseRelease(b->frame, Qt::LeftButton, {}, target);
  };
  drag(QPoint(4, 10), QPoint(6, 250));
  ASSERT_EQ(file->DockBar(), b->frame->GetDockBar(AFX_IDW_DOCKBAR_LEFT));
  ASSERT_TRUE(file->IsVerticalDock());
  SECDockBar* top = b->frame->GetDockBar(AFX_IDW_DOCKBAR_TOP);
  const QRect topRow(b->frame->mapFromGlobal(top->mapToGlobal(QPoint())), top->size());
  drag(QPoint(10, 4), QPoint(topRow.right() - 200, topRow.center().y()));
  ASSERT_EQ(file->DockBar(), top);
  ASSERT_FALSE(file->IsVerticalDock());
  QCoreApplication::processEvents();
  EXPECT_EQ(file->ButtonIds(), ids);
  const QRect inside = file->rect();
  for (int i = 0; i < file->ButtonCount(); ++i) {
    const SECStdBtn* btn = file->Button(i);
    const QRect r(btn->m_x, btn->m_y, btn->m_cx, btn->m_cy);
    EXPECT_TRUE(inside.contains(r)) << "button " << i << " (" << btn->m_nID << ") at " << r.x() << "," << r.y()
                                    << " size " << r.width() << "x" << r.height() << " outside the bar's "
                                    << inside.width() << "x" << inside.height();
  }
  ASSERT_TRUE(combo->Combo()->isVisible());
  EXPECT_EQ(combo->m_cx, fullWidth);
  EXPECT_EQ(combo->Combo()->width(), fullWidth);
  EXPECT_TRUE(inside.contains(combo->Combo()->geometry()));
}

TEST_F(CustomToolBarTest, AFloatingToolbarResizedNarrowerWrapsIntoRows) {
  SECCustomToolBar* build = b->Bar(kBuildToolBarId);
  b->frame->FloatControlBar(build, b->frame->mapToGlobal(QPoint(200, 200)), CBRS_ALIGN_TOP);
  ASSERT_TRUE(build->IsFloating());
  const int oneRow = build->height();
  QWidget* mf = build->window();
  // The frame's border drag commits a narrower width; the bar snaps to the
  // rows its buttons make there.
  build->resize(4 * 23 + 4, build->height());
  EXPECT_TRUE(QTest::qWaitFor([&] { return build->height() > oneRow; }, test::kHangWaitMs));
  EXPECT_GT(build->height(), oneRow);
  EXPECT_LE(build->width(), 4 * 23 + 4);
  EXPECT_EQ(mf->height(), build->height() + SECMiniDockFrameWnd::Chrome().height());
  int rows = 0, lastY = -1;
  for (int i = 0; i < build->ButtonCount(); ++i) {
    const SECStdBtn* btn = build->Button(i);
    if (!(btn->m_nStyle & TBBS_SEPARATOR) && btn->m_y != lastY) {
      ++rows;
      lastY = btn->m_y;
    }
  }
  EXPECT_GE(rows, 2);
}

TEST_F(CustomToolBarTest, AComboBoxButtonNotifiesAndFallsBackWhenVertical) {
  SECCustomToolBar* file = b->Bar(kFileToolBarId);
  auto* combo = dynamic_cast<SECComboBtn*>(file->Button(file->FindButton(kFindCombo)));
  ASSERT_NE(combo, nullptr);
  ASSERT_NE(combo->Combo(), nullptr);
  EXPECT_TRUE(combo->Combo()->isEditable());
  EXPECT_EQ(combo->m_cx, 150);
  EXPECT_TRUE(combo->Combo()->isVisible());
  QTest::keyClick(combo->Combo(), Qt::Key_Return);
  ASSERT_FALSE(b->notes.empty());
  EXPECT_EQ(b->notes.back().code, kWndNotifyEnter);
  EXPECT_EQ(b->notes.back().param1, 1000);
  // Without a handler of its own the toolbar hands it to the manager's.
  std::vector<ToolbarNotify> managerNotes;
  b->mgr->onNotify = [&](const ToolbarNotify& n) { managerNotes.push_back(n); };
  file->onNotify = nullptr;
  QTest::keyClick(combo->Combo(), Qt::Key_Enter);
  ASSERT_EQ(managerNotes.size(), 1u);
  EXPECT_EQ(managerNotes[0].barId, kFileToolBarId);
  EXPECT_EQ(managerNotes[0].item, kFindCombo);
  // Saved width: two bytes; anything else is ignored.
  EXPECT_EQ(combo->GetPersistData(), std::string("\x96\x00", 2));
  const std::uint8_t three[3] = {1, 2, 3};
  combo->SetPersistData(three, 3);
  EXPECT_EQ(combo->m_cxWnd, 150);
  EXPECT_FALSE(combo->ResizeTo(60));  // below the minimum of 70
  EXPECT_TRUE(combo->ResizeTo(200));
  EXPECT_EQ(combo->m_cx, 200);
  // Only while customising, the selected combo's last pixels widen it with
  // the mouse; outside, Alt there takes the button, not its width.
  QComboBox* box = combo->Combo();
  const int y = box->height() / 2;
  const auto dragLastPixels = [&](Qt::KeyboardModifiers mods) {
    QTest::mousePress(box, Qt::LeftButton, mods, QPoint(box->width() - 2, y));
    QTest::mouseMove(box, QPoint(box->width() + 30, y));
    QTest::mouseRelease(box, Qt::LeftButton, mods, QPoint(box->width() + 30, y));
  };
  dragLastPixels(Qt::AltModifier);
  EXPECT_EQ(combo->m_cxWnd, 200);
  b->mgr->SetCustomizeMode(true);
  // Not yet the selected button: the press takes the button.
  ASSERT_FALSE(combo->m_nStyle & TBBS_CUSTOMIZESEL);
  dragLastPixels({});
  EXPECT_EQ(combo->m_cxWnd, 200);
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() / 2, y));  // selects the button
  ASSERT_TRUE(combo->m_nStyle & TBBS_CUSTOMIZESEL);
  dragLastPixels({});
  b->mgr->SetCustomizeMode(false);
  EXPECT_EQ(combo->m_cxWnd, 230);
  EXPECT_EQ(box->width(), 230);
  EXPECT_EQ(b->ran.size(), 0u);
  b->frame->DockControlBar(file, b->frame->GetDockBar(AFX_IDW_DOCKBAR_RIGHT));
  EXPECT_FALSE(combo->Combo()->isVisible());
  EXPECT_EQ(combo->m_cx, 23);
  b->frame->DockControlBar(file, b->frame->GetDockBar(AFX_IDW_DOCKBAR_TOP));
  EXPECT_TRUE(combo->Combo()->isVisible());
  EXPECT_EQ(combo->m_cx, 230);
}

TEST(CustomToolBarState, ToolbarsAndSwitchesSurviveARestart) {
  EnsureApp();
  SettingsStore store("/nonexistent/pm2-toolbars.ini");
  std::vector<unsigned> fileButtons;
  {
    Bars first;
    first.mgr->AttachToolBars();
    first.Show();
    SECCustomToolBar* file = first.Bar(kFileToolBarId);
    file->RemoveButton(0);
    file->InsertButton(2, kBuild);
    auto* combo = dynamic_cast<SECComboBtn*>(file->Button(file->FindButton(kFindCombo)));
    ASSERT_TRUE(combo && combo->ResizeTo(210));
    fileButtons = file->ButtonIds();
    SECCustomToolBar* user = first.mgr->CreateUserToolBar("Mine");
    ASSERT_NE(user, nullptr);
    user->SetButtons({kOpen, 0, kSave});
    first.frame->FloatControlBar(user, first.frame->mapToGlobal(QPoint(300, 200)), CBRS_ALIGN_TOP);
    first.mgr->EnableLargeButtons(true);
    first.mgr->EnableToolTips(false);
    first.mgr->SaveBarState(store, "Main");
  }
  Bars second;
  second.mgr->LoadBarState(store, "Main");
  second.Show();
  SECCustomToolBar* file = second.Bar(kFileToolBarId);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->ButtonIds(), fileButtons);
  auto* combo = dynamic_cast<SECComboBtn*>(file->Button(file->FindButton(kFindCombo)));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->m_cxWnd, 210);
  SECCustomToolBar* user = second.Bar(kFirstUserToolBarId);
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(user->Title(), "Mine");
  EXPECT_EQ(user->ButtonIds(), (std::vector<unsigned>{kOpen, 0, kSave}));
  EXPECT_TRUE(user->IsFloating());
  EXPECT_TRUE(second.mgr->Settings().largeButtons);
  EXPECT_FALSE(second.mgr->Settings().toolTips);
  EXPECT_EQ(file->Button(file->FindButton(kOpen))->m_cx, 22 + 7);  // large images
  EXPECT_FALSE(second.Bar(kDebugToolBarId)->isVisible());
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(PlainToolBar, ItsImageWellHoldsWidthByImageWidthImages) {
  EnsureApp();
  SECToolBar bar;
  std::vector<unsigned> ids;
  for (unsigned i = 0; i < 12; ++i) ids.push_back(100 + i);
  EXPECT_EQ(bar.AddReplaceBitmap(PixelBuffer(160, 15, 0xC0C0C0), 16, 15, ids), 10);
  EXPECT_EQ(bar.ButtonCount(), 12);
  StripHandle strip;
  int image = -1;
  EXPECT_TRUE(bar.BmpMgr()->GetBitmap(109, &strip, &image));
  EXPECT_EQ(image, 9);
  EXPECT_FALSE(bar.BmpMgr()->GetBitmap(110, &strip, &image));  // past the well
  EXPECT_EQ(bar.AddReplaceBitmap(PixelBuffer(10, 15), 16, 15, ids), 0);
  EXPECT_FALSE(bar.AcceptsDrop());
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(CustomToolBarState, ToolbarsSurviveInAWorkspaceTree) {
  EnsureApp();
  SECPTNFactory f;
  SECPersistentTreeNode* root = f.CreateNode("WorkState_v1_2");
  std::vector<unsigned> buildButtons;
  {
    Bars first;
    first.mgr->AttachToolBars();
    first.Show();
    SECCustomToolBar* build = first.Bar(kBuildToolBarId);
    build->RemoveButton(1);
    buildButtons = build->ButtonIds();
    SECDockState state(first.mgr.get());
    ASSERT_TRUE(state.GetFrameState(first.frame));
    ASSERT_TRUE(state.SaveStateToNode(root));
    first.mgr->EnableCoolLook(false);
    ASSERT_TRUE(first.mgr->SaveStateToNode(root));
  }
  Bars second;
  SECDockState state(second.mgr.get());
  ASSERT_TRUE(state.LoadStateFromNode(root));
  ASSERT_TRUE(state.SetFrameState(second.frame));
  ASSERT_TRUE(second.mgr->LoadStateFromNode(root));
  second.Show();
  ASSERT_NE(second.Bar(kBuildToolBarId), nullptr);
  EXPECT_EQ(second.Bar(kBuildToolBarId)->ButtonIds(), buildButtons);
  EXPECT_FALSE(second.mgr->Settings().coolLook);
  EXPECT_FALSE(second.Bar(kBuildToolBarId)->IsCoolLook());
}

}  // namespace
}  // namespace pm2
