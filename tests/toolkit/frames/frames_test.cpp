// The docking frame on the offscreen platform, driven by QTest.

#include <gtest/gtest.h>

#include <functional>

#include <QLineEdit>

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>

#include "demo_frame.h"
#include "platform/settings_store.h"
#include "toolkit/core/persistent_tree.h"
#include "toolkit/docking/dock_state.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/frames/workbook.h"
#include "toolkit/menus/menu_bar.h"

namespace pm2 {
namespace {

void EnsureApp() {
  static int argc = 1;
  static char name[] = "toolkit_frames_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);  // never destroyed, as Qt wants
  (void)app;
}

// A picture of the frame for a person to look at, in <build>/gallery/frames.
void SaveFramePicture(SECWorkbookWnd* frame, const char* name) {
  const char* bin = std::getenv("PM2_TEST_BIN");
  const QString dir = QString(bin ? bin : ".") + "/gallery/frames";
  QDir().mkpath(dir);
  GrabFrameWithFloating(frame).save(dir + "/" + name + ".png", "PNG");
}

class FramesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApp();
    d = BuildDemoFrame();
    d.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.frame));
    d.frame->RecalcLayout();
  }
  void TearDown() override { delete d.frame; }

  SECDockBar* Side(DockSide s) { return d.frame->DockBarFor(s); }
  // A point on a bar's gripper caption, in the frame's coordinates.
  QPoint Gripper(SECControlBar* bar) {
    BarDecorations dec = bar->Decorations();
    QPoint local(dec.text.left + 6, dec.text.top + 6);
    return d.frame->mapFromGlobal(bar->mapToGlobal(local));
  }
  void PressOn(SECControlBar* bar) {
    BarDecorations dec = bar->Decorations();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(dec.text.left + 6, dec.text.top + 6));
  }
  // Moves in steps so that the drag sees a path, in frame coordinates.
  void MoveTo(QPoint from, QPoint to) {
    for (int i = 1; i <= 4; ++i) QTest::mouseMove(d.frame, from + (to - from) * i / 4);
  }
  QPoint InFrame(QWidget* w, QPoint local) { return d.frame->mapFromGlobal(w->mapToGlobal(local)); }

  DemoFrame d;
};

TEST_F(FramesTest, DraggingABarFromTheLeftToTheBottomDocksItThere) {
  ASSERT_EQ(d.project->DockBar(), Side(DockSide::Left));
  QPoint start = Gripper(d.project);
  PressOn(d.project);
  ASSERT_TRUE(d.project->DockContext()->IsTracking());
  QPoint target = InFrame(Side(DockSide::Bottom), QPoint(200, 60));
  MoveTo(start, target);
  EXPECT_TRUE(d.project->DockContext()->OverlayRect().isValid());
  QTest::mouseRelease(d.frame, Qt::LeftButton, {}, target);
  EXPECT_FALSE(d.project->DockContext()->IsTracking());
  EXPECT_EQ(d.project->DockBar(), Side(DockSide::Bottom));
  EXPECT_EQ(d.project->State().style & CBRS_ALIGN_ANY, CBRS_ALIGN_BOTTOM);
  EXPECT_EQ(d.project->parentWidget(), Side(DockSide::Bottom));
  EXPECT_TRUE(d.project->isVisible());
  // The left dock bar keeps a held place for it and takes no room.
  EXPECT_EQ(Side(DockSide::Left)->width(), 0);
}

TEST_F(FramesTest, CtrlDragFloatsTheBar) {
  QPoint start = Gripper(d.project);
  PressOn(d.project);
  QTest::keyPress(d.frame, Qt::Key_Control);
  QPoint target = InFrame(Side(DockSide::Bottom), QPoint(200, 60));
  MoveTo(start, target);
  QTest::mouseRelease(d.frame, Qt::LeftButton, {}, target);
  QTest::keyRelease(d.frame, Qt::Key_Control);
  EXPECT_TRUE(d.project->IsFloating());
  ASSERT_NE(d.project->DockBar(), nullptr);
  EXPECT_TRUE(d.project->DockBar()->IsFloatingBar());
  EXPECT_TRUE(d.project->window()->isVisible());
}

TEST_F(FramesTest, EscapeAndTheRightButtonCancelADrag) {
  for (int way = 0; way < 2; ++way) {
    std::vector<std::uint32_t> before = Side(DockSide::Left)->StoredEntries();
    QPoint start = Gripper(d.project);
    PressOn(d.project);
    QPoint target = InFrame(Side(DockSide::Bottom), QPoint(200, 60));
    MoveTo(start, target);
    if (way == 0) QTest::keyClick(d.frame, Qt::Key_Escape);
    else QTest::mousePress(d.frame, Qt::RightButton, {}, target);
    EXPECT_FALSE(d.project->DockContext()->IsTracking()) << way;
    QTest::mouseRelease(d.frame, Qt::LeftButton, {}, target);
    EXPECT_EQ(d.project->DockBar(), Side(DockSide::Left)) << way;
    EXPECT_EQ(Side(DockSide::Left)->StoredEntries(), before) << way;
    EXPECT_FALSE(d.project->DockContext()->OverlayRect().isValid()) << way;
  }
}

TEST_F(FramesTest, TheMessageLineShowsTheDragHintAndThenReady) {
  std::vector<std::string> texts;
  d.frame->SetMessageHandler([&](const std::string& t) { texts.push_back(t); });
  PressOn(d.project);
  QTest::keyClick(d.frame, Qt::Key_Escape);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find("CTRL"), std::string::npos);
  EXPECT_EQ(texts[1], "Ready");
}

TEST_F(FramesTest, LosingTheApplicationsFocusCancelsADrag) {
  PressOn(d.project);
  ASSERT_TRUE(d.project->DockContext()->IsTracking());
  QEvent deactivate(QEvent::ApplicationDeactivate);
  QApplication::sendEvent(qApp, &deactivate);
  EXPECT_FALSE(d.project->DockContext()->IsTracking());
  EXPECT_EQ(d.project->DockBar(), Side(DockSide::Left));
}

TEST_F(FramesTest, DoubleClicksFloatABarAndDockItBackInItsPlace) {
  std::vector<std::uint32_t> before = Side(DockSide::Bottom)->StoredEntries();
  BarDecorations dec = d.watch->Decorations();
  QTest::mouseDClick(d.watch, Qt::LeftButton, {}, QPoint(dec.text.left + 6, dec.text.bottom - 10));
  ASSERT_TRUE(d.watch->IsFloating());
  auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(d.watch->window());
  ASSERT_NE(mf, nullptr);
  QTest::mouseDClick(mf, Qt::LeftButton, {}, mf->CaptionRect().center() - QPoint(20, 0));
  EXPECT_FALSE(d.watch->IsFloating());
  EXPECT_EQ(d.watch->DockBar(), Side(DockSide::Bottom));
  EXPECT_EQ(Side(DockSide::Bottom)->StoredEntries(), before);
}

TEST_F(FramesTest, ClosingAFloatingFrameHidesItsBarsWithoutDestroyingThem) {
  QPointer<SECControlBar> serial = d.serial;
  auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(d.serial->window());
  ASSERT_NE(mf, nullptr);
  ASSERT_TRUE(mf->isVisible());
  QPoint close = mf->CloseButtonRect().center();
  QTest::mousePress(mf, Qt::LeftButton, {}, close);
  QTest::mouseRelease(mf, Qt::LeftButton, {}, close);
  QApplication::processEvents();
  ASSERT_FALSE(serial.isNull());
  EXPECT_FALSE(serial->State().visible);
  EXPECT_FALSE(mf->isVisible());
  d.frame->ShowControlBar(serial, true, false);
  EXPECT_TRUE(mf->isVisible());
  EXPECT_EQ(serial->window(), mf);
}

TEST_F(FramesTest, ARightClickOnAFloatingFramesCaptionOpensItsSystemMenuWhoseHideHidesTheBar) {
  QPointer<SECControlBar> serial = d.serial;
  auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(d.serial->window());
  ASSERT_NE(mf, nullptr);
  ASSERT_TRUE(mf->isVisible());
  const QPoint caption = mf->CaptionRect().center() - QPoint(20, 0);
  ASSERT_EQ(mf->HitTest(caption), kHitCaption);
  QTest::mousePress(mf, Qt::RightButton, {}, caption);
  QTest::mouseRelease(mf, Qt::RightButton, {}, caption);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu, mf->SystemMenu());
  std::vector<std::string> items;
  for (QAction* a : menu->actions()) items.push_back(a->isSeparator() ? "-" : a->text().toStdString());
  EXPECT_EQ(items, (std::vector<std::string>{"&Move", "-", "&Hide"}));
  QTest::keyClick(menu, Qt::Key_H);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  ASSERT_FALSE(serial.isNull());
  EXPECT_FALSE(serial->State().visible);
  EXPECT_FALSE(mf->isVisible());
  d.frame->ShowControlBar(serial, true, false);
  EXPECT_TRUE(mf->isVisible());
}

TEST_F(FramesTest, MoveFromAFloatingFramesSystemMenuFollowsTheMouseUntilItIsPutDownOrTakenBack) {
  struct Row {
    const char* name;
    std::function<void(SECMiniDockFrameWnd*)> end;
    bool kept;
  } rows[] = {
      {"left click puts it down", [](SECMiniDockFrameWnd* f) { QTest::mouseClick(f, Qt::LeftButton, {}, QPoint(5, 5)); }, true},
      {"Enter puts it down", [](SECMiniDockFrameWnd* f) { QTest::keyClick(f, Qt::Key_Return); }, true},
      {"Escape takes it back", [](SECMiniDockFrameWnd* f) { QTest::keyClick(f, Qt::Key_Escape); }, false},
      {"right click takes it back", [](SECMiniDockFrameWnd* f) { QTest::mouseClick(f, Qt::RightButton, {}, QPoint(5, 5)); }, false},
  };
  auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(d.serial->window());
  ASSERT_NE(mf, nullptr);
  for (const Row& r : rows) {
    const QPoint start = mf->pos();
    const QPoint caption = mf->CaptionRect().center() - QPoint(20, 0);
    QTest::mousePress(mf, Qt::RightButton, {}, caption);
    QTest::mouseRelease(mf, Qt::RightButton, {}, caption);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << r.name;
    QTest::keyClick(menu, Qt::Key_M);
    QApplication::processEvents();
    ASSERT_TRUE(mf->IsMovingByMenu()) << r.name;
    // The pointer starts at the middle of the caption; the frame moves
    // under it, so each point is given on the screen.
    const QPoint grip = mf->mapToGlobal(mf->CaptionRect().center());
    QTest::mouseMove(mf, mf->mapFromGlobal(grip + QPoint(20, 15)));
    QTest::mouseMove(mf, mf->mapFromGlobal(grip + QPoint(40, 30)));
    EXPECT_EQ(mf->pos(), start + QPoint(40, 30)) << r.name;
    r.end(mf);
    EXPECT_FALSE(mf->IsMovingByMenu()) << r.name;
    EXPECT_EQ(mf->pos(), r.kept ? start + QPoint(40, 30) : start) << r.name;
    EXPECT_EQ(d.serial->State().mru.floatPos, (Point{mf->x(), mf->y()})) << r.name;
    // The frame takes presses as before once the move has ended.
    EXPECT_TRUE(d.serial->IsFloating()) << r.name;
    EXPECT_TRUE(mf->isVisible()) << r.name;
  }
  // A bar hidden while its frame is being moved ends the move.
  mf->SysCommand(SC_MOVE_CMD);
  ASSERT_TRUE(mf->IsMovingByMenu());
  d.frame->ShowControlBar(d.serial, false, false);
  EXPECT_FALSE(mf->isVisible());
  EXPECT_FALSE(mf->IsMovingByMenu());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(FramesTest, SplitterDragChangesTheTwoNeighboursAndStopsAtTheLimits) {
  // Third in the bottom row (column 2, row 0).
  d.frame->DockControlBarEx(d.callStack, AFX_IDW_DOCKBAR_BOTTOM, 2, 0, 0.3f, 170);
  SECDockBar* bottom = Side(DockSide::Bottom);
  std::vector<SECControlBar*> row = {d.output, d.watch, d.callStack};
  for (SECControlBar* b : row) ASSERT_EQ(b->DockBar(), bottom);
  ASSERT_EQ(bottom->Model().GetRowBars(&d.output->State()).size(), 3u);
  const auto& splitters = bottom->Model().LastLayout().splitters;
  ASSERT_TRUE(splitters[0].between);
  auto widths = [&] {
    std::vector<int> w;
    for (SECControlBar* b : row) w.push_back(b->width());
    return w;
  };
  // The first bar in the row is the one left of the first splitter.
  std::vector<SECControlBar*> ordered = bottom->Bars();
  ASSERT_EQ(ordered.size(), 3u);
  row = ordered;
  std::vector<int> before = widths();
  QPoint grab(splitters[0].rect.left + 3, splitters[0].rect.top + 20);
  QTest::mousePress(bottom, Qt::LeftButton, {}, grab);
  ASSERT_TRUE(bottom->IsTrackingSplitter());
  QTest::mouseMove(bottom, grab + QPoint(20, 0));
  QTest::mouseMove(bottom, grab + QPoint(40, 0));
  QTest::mouseRelease(bottom, Qt::LeftButton, {}, grab + QPoint(40, 0));
  std::vector<int> after = widths();
  EXPECT_NEAR(after[0], before[0] + 40, 1);
  EXPECT_NEAR(after[1], before[1] - 40, 1);
  EXPECT_EQ(after[2], before[2]);
  // Far to the left: the first bar keeps 24 pixels.
  const auto& s2 = bottom->Model().LastLayout().splitters;
  grab = QPoint(s2[0].rect.left + 3, s2[0].rect.top + 20);
  QTest::mousePress(bottom, Qt::LeftButton, {}, grab);
  QTest::mouseMove(bottom, grab - QPoint(2000, 0));
  QTest::mouseRelease(bottom, Qt::LeftButton, {}, grab - QPoint(2000, 0));
  EXPECT_EQ(row[0]->width(), 24);
  EXPECT_EQ(row[2]->width(), before[2]);
}

TEST_F(FramesTest, EscapeDuringASplitterDragLeavesSizesUnchanged) {
  SECDockBar* bottom = Side(DockSide::Bottom);
  int w = d.output->width();
  const auto& splitters = bottom->Model().LastLayout().splitters;
  QPoint grab(splitters[0].rect.left + 3, splitters[0].rect.top + 20);
  QTest::mousePress(bottom, Qt::LeftButton, {}, grab);
  QTest::mouseMove(bottom, grab + QPoint(60, 0));
  QTest::keyClick(bottom, Qt::Key_Escape);
  EXPECT_FALSE(bottom->IsTrackingSplitter());
  QTest::mouseRelease(bottom, Qt::LeftButton, {}, grab + QPoint(60, 0));
  EXPECT_EQ(d.output->width(), w);
}

TEST_F(FramesTest, RowSplitterMakesTheRowThicker) {
  SECDockBar* bottom = Side(DockSide::Bottom);
  int h = d.output->height();
  const DockSplitter& row = bottom->Model().LastLayout().splitters.back();
  ASSERT_FALSE(row.between);
  QPoint grab(300, row.rect.top + 3);
  QTest::mousePress(bottom, Qt::LeftButton, {}, grab);
  QTest::mouseMove(bottom, grab - QPoint(0, 30));
  QTest::mouseRelease(bottom, Qt::LeftButton, {}, grab - QPoint(0, 30));
  EXPECT_EQ(d.output->height(), h + 30);
  EXPECT_EQ(d.watch->height(), h + 30);
}

// The splitter between the Output window and the Watches window in a row
// of their own below it, dragged far up: the dock bar stops where the
// editors keep their minimum, never over the menu bar and the toolbars;
// nor does a smaller window let it cover them, and a larger one shows the
// rows as they were.
TEST_F(FramesTest, NoSplitterDragOrSmallerWindowPushesTheMenuBarAndToolbarsOff) {
  d.frame->DetachBar(d.watch, false);  // no place held beside the Output window
  d.frame->DockControlBarEx(d.watch, DockPosition{1, 0, 0}, AFX_IDW_DOCKBAR_BOTTOM, DockSizeInfo{1.0f, 170});
  SECDockBar* bottom = Side(DockSide::Bottom);
  SECDockBar* top = Side(DockSide::Top);
  ASSERT_EQ(d.watch->DockBar(), bottom);
  ASSERT_EQ(bottom->Model().GetRowBars(&d.watch->State()).size(), 1u) << "Watches in a row of its own";
  const int watchHeight = d.watch->height();
  // What must stay in view: the command bar, everything docked at the top,
  // and the editors' area.
  const QRect menu = d.frame->CommandBar() ? d.frame->CommandBar()->geometry() : QRect();
  auto checkLayout = [&](const char* when) {
    SCOPED_TRACE(when);
    const QRect b = bottom->geometry(), t = top->geometry(), client = d.frame->ClientLayoutRect();
    EXPECT_GE(t.top(), menu.isValid() ? menu.bottom() + 1 : 0);
    EXPECT_GT(b.top(), t.bottom() + DockBarModel::kMinRow) << "bottom dock bar from y " << b.top();
    EXPECT_GE(client.height(), DockBarModel::kMinRow);
    EXPECT_FALSE(b.intersects(t));
    if (menu.isValid()) {
      EXPECT_FALSE(b.intersects(menu));
    }
    EXPECT_FALSE(d.menuBar->visibleRegion().isEmpty()) << "the menu bar is covered";
    EXPECT_FALSE(d.watch->visibleRegion().isEmpty());
  };
  // The splitter on the Watches row's side that faces the Output window.
  DockSplitter split;
  for (const DockSplitter& s : bottom->Model().LastLayout().splitters)
    if (!s.between && s.rowFirst == bottom->Model().Find(&d.watch->State())) split = s;
  ASSERT_GT(split.rect.Width(), 0);
  const QPoint grab(300, split.rect.top + 3);
  QTest::mousePress(bottom, Qt::LeftButton, {}, grab);
  ASSERT_TRUE(bottom->IsTrackingSplitter());
  for (int step = 1; step <= 4; ++step) QTest::mouseMove(bottom, grab - QPoint(0, 500 * step));
  QTest::mouseRelease(bottom, Qt::LeftButton, {}, grab - QPoint(0, 2000));
  QApplication::processEvents();
  EXPECT_GT(d.watch->height(), watchHeight) << "the drag made the Watches row thicker";
  EXPECT_EQ(d.frame->ClientLayoutRect().height(), DockBarModel::kMinRow) << "the drag went as far as it may";
  checkLayout("after the drag");
  SaveFramePicture(d.frame, "frame_splitter_dragged_up");
  // A smaller window shows the rows thinner.
  const QSize size = d.frame->size();
  d.frame->resize(size.width(), size.height() - 250);
  QApplication::processEvents();
  checkLayout("in a smaller window");
  SaveFramePicture(d.frame, "frame_splitter_smaller_window");
  // A second drag, in the smaller window, is held as well.
  const int watchRow = bottom->Model().Find(&d.watch->State());
  for (const DockSplitter& s : bottom->Model().LastLayout().splitters)
    if (!s.between && s.rowFirst == watchRow) split = s;
  QTest::mousePress(bottom, Qt::LeftButton, {}, QPoint(300, split.rect.top + 3));
  QTest::mouseMove(bottom, QPoint(300, split.rect.top - 1000));
  QTest::mouseRelease(bottom, Qt::LeftButton, {}, QPoint(300, split.rect.top - 1000));
  checkLayout("after a drag in the smaller window");
  // The window back at its size: nothing is covered.
  d.frame->resize(size);
  QApplication::processEvents();
  checkLayout("back at its size");
}

TEST_F(FramesTest, CloseAndExpandButtons) {
  BarDecorations dec = d.output->Decorations();
  QPoint expand = QRect(dec.expandBtn.left, dec.expandBtn.top, dec.expandBtn.Width(), dec.expandBtn.Height()).center();
  QTest::mouseClick(d.output, Qt::LeftButton, {}, expand);
  EXPECT_TRUE(Side(DockSide::Bottom)->IsBarExpanded(d.output));
  EXPECT_GT(d.output->width(), 4 * d.watch->width());
  QTest::mouseClick(d.output, Qt::LeftButton, {}, expand);
  EXPECT_NEAR(d.output->width(), d.watch->width(), 8);
  // Pressing close and releasing outside hides nothing.
  QPoint close = QRect(dec.closeBtn.left, dec.closeBtn.top, dec.closeBtn.Width(), dec.closeBtn.Height()).center();
  QTest::mousePress(d.output, Qt::LeftButton, {}, close);
  QTest::mouseRelease(d.output, Qt::LeftButton, {}, close + QPoint(0, 60));
  EXPECT_TRUE(d.output->State().visible);
  QTest::mouseClick(d.output, Qt::LeftButton, {}, close);
  EXPECT_FALSE(d.output->State().visible);
  EXPECT_FALSE(d.output->isVisible());
  EXPECT_EQ(d.watch->x(), 0);
}

TEST_F(FramesTest, ContextMenuOffersTheDockingCommands) {
  QMenu* menu = d.output->BuildContextMenu();
  std::vector<unsigned> ids;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) ids.push_back(a->data().toUInt());
  EXPECT_EQ(ids, (std::vector<unsigned>{kIdAllowDocking, kIdHideBar, kIdFloatInMainWindow}));
  EXPECT_TRUE(menu->actions()[0]->isChecked());
  delete menu;
  // Allow Docking off floats the bar; on again restores the dock style.
  d.output->OnAllowDocking();
  EXPECT_TRUE(d.output->IsFloating());
  EXPECT_EQ(d.output->State().dockStyle, 0u);
  d.output->OnAllowDocking();
  EXPECT_EQ(d.output->State().dockStyle, CBRS_ALIGN_ANY);
}

TEST_F(FramesTest, FloatInMainWindowAndBack) {
  d.memory->OnFloatInMainWindow();
  ASSERT_TRUE(d.memory->IsMDIChildFloat());
  QMdiSubWindow* host = nullptr;
  for (QMdiSubWindow* w : d.frame->MdiClient()->subWindowList())
    if (dynamic_cast<BarChildHost*>(w) && dynamic_cast<BarChildHost*>(w)->SingleBar() == d.memory) host = w;
  ASSERT_NE(host, nullptr);
  EXPECT_NE(dynamic_cast<SECControlBarWorksheet*>(host), nullptr);  // a sheet of the workbook
  EXPECT_EQ(host->pos(), QPoint(30, 30));
  QMenu* menu = d.memory->BuildContextMenu();
  EXPECT_FALSE(menu->actions()[0]->isEnabled());  // Allow Docking greyed inside the main window
  delete menu;
  // Closing the window hides the bar.
  host->close();
  EXPECT_FALSE(d.memory->State().visible);
  d.frame->ShowControlBar(d.memory, true, false);
  d.memory->OnFloatInMainWindow();
  EXPECT_FALSE(d.memory->IsMDIChildFloat());
  EXPECT_EQ(d.memory->DockBar(), Side(DockSide::Right));
}

// Hide on a bar floating as a maximised window of the main window restores
// that window before hiding it, and gives the keyboard back to the
// document window left active.
TEST_F(FramesTest, HideRestoresAMaximisedHolderAndGivesBackTheFocus) {
  auto* doc = new QMdiSubWindow;
  auto* edit = new QLineEdit;
  doc->setWidget(edit);
  d.frame->MdiClient()->addSubWindow(doc);
  doc->show();
  d.memory->OnFloatInMainWindow();
  ASSERT_TRUE(d.memory->IsMDIChildFloat());
  QMdiSubWindow* host = nullptr;
  for (QMdiSubWindow* w : d.frame->MdiClient()->subWindowList())
    if (dynamic_cast<BarChildHost*>(w) && dynamic_cast<BarChildHost*>(w)->SingleBar() == d.memory) host = w;
  ASSERT_NE(host, nullptr);
  d.frame->MdiClient()->setActiveSubWindow(host);
  host->showMaximized();
  ASSERT_TRUE(host->isMaximized());
  d.memory->OnHide();
  EXPECT_FALSE(d.memory->State().visible);
  EXPECT_FALSE(host->isMaximized());
  EXPECT_FALSE(doc->isMaximized());
  EXPECT_EQ(d.frame->MdiClient()->activeSubWindow(), doc);
  EXPECT_EQ(d.frame->focusWidget(), edit);
}

// Back from the main window, a bar takes its place in its dock bar again
// (its row beside the others), not the dock bar's end.
TEST_F(FramesTest, FloatInMainWindowReturnsToItsPlace) {
  d.frame->RecalcLayout();
  SECDockBar* dock = d.callStack->DockBar();
  ASSERT_NE(dock, nullptr);
  const QRect before = d.callStack->geometry();
  d.callStack->OnFloatInMainWindow();
  ASSERT_TRUE(d.callStack->IsMDIChildFloat());
  d.callStack->OnFloatInMainWindow();
  d.frame->RecalcLayout();
  EXPECT_FALSE(d.callStack->IsMDIChildFloat());
  EXPECT_EQ(d.callStack->DockBar(), dock);
  EXPECT_EQ(d.callStack->geometry(), before);
}

TEST_F(FramesTest, WorkbookTabClickActivatesItsSheet) {
  const auto& sheets = d.frame->Sheets();
  ASSERT_EQ(sheets.size(), 3u);
  EXPECT_EQ(d.frame->MdiClient()->activeSubWindow(), sheets[2]);
  TabPolygon p;
  ASSERT_TRUE(d.frame->GetTabPolygon(sheets[0], &p));
  QPoint inTab((p[0].x + p[4].x) / 2, (p[0].y + p[2].y) / 2);
  QTest::mouseClick(d.frame, Qt::LeftButton, {}, inTab);
  EXPECT_EQ(d.frame->MdiClient()->activeSubWindow(), sheets[0]);
  EXPECT_FALSE(d.frame->IsTabLabelFullyShown(sheets[0]));  // "startup_stm32f10x.s" is cut
  EXPECT_TRUE(d.frame->IsTabLabelFullyShown(sheets[2]));
  d.frame->ToggleWorkbookMode();
  EXPECT_EQ(d.frame->MdiClient()->geometry(), d.frame->ClientLayoutRect());
  d.frame->ToggleWorkbookMode();
  EXPECT_EQ(d.frame->MdiClient()->geometry(), d.frame->ClientLayoutRect().adjusted(13, 13, -13, -33));
}

TEST_F(FramesTest, CommandsGoToTheActiveChildThenTheHookThenTheFrame) {
  std::vector<std::string> calls;
  auto* child = dynamic_cast<SECMDIChildWnd*>(d.frame->MdiClient()->activeSubWindow());
  ASSERT_NE(child, nullptr);
  CommandTarget hook;
  child->OnCommand(100, [&](CommandId) { calls.push_back("child"); });
  hook.OnCommand(100, [&](CommandId) { calls.push_back("hook"); });
  hook.OnCommand(101, [&](CommandId) { calls.push_back("hook"); });
  d.frame->OnCommand(101, [&](CommandId) { calls.push_back("frame"); });
  d.frame->OnCommand(102, [&](CommandId) { calls.push_back("frame"); });
  d.frame->SetWorkspaceHook(&hook);
  EXPECT_TRUE(d.frame->RouteCommand(100));
  EXPECT_TRUE(d.frame->RouteCommand(101));
  EXPECT_TRUE(d.frame->RouteCommand(102));
  EXPECT_FALSE(d.frame->RouteCommand(103));
  EXPECT_EQ(calls, (std::vector<std::string>{"child", "hook", "frame"}));
  d.frame->SetWorkspaceHook(nullptr);
}

TEST_F(FramesTest, NoStandardDockingWidgetsAreUsed) {
  EXPECT_EQ(qobject_cast<QMainWindow*>(d.frame), nullptr);
  EXPECT_TRUE(d.frame->findChildren<QDockWidget*>().isEmpty());
  EXPECT_TRUE(d.frame->findChildren<QStatusBar*>().isEmpty());
  EXPECT_TRUE(d.frame->findChildren<QTabBar*>().isEmpty());
}

TEST_F(FramesTest, DraggingAFloatingFramesBorderResizesTheBar) {
  auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(d.serial->window());
  ASSERT_NE(mf, nullptr);
  int w = mf->width(), h = mf->height();
  Size before = d.serial->State().szFloat;
  QPoint edge(mf->width() - 1, mf->height() / 2);
  ASSERT_EQ(mf->HitTest(edge), HTRIGHT);
  QTest::mousePress(mf, Qt::LeftButton, {}, edge);
  ASSERT_TRUE(d.serial->DockContext()->IsTracking());
  QTest::mouseMove(mf, edge + QPoint(25, 0));
  QTest::mouseMove(mf, edge + QPoint(50, 0));
  QTest::mouseRelease(mf, Qt::LeftButton, {}, edge + QPoint(50, 0));
  EXPECT_EQ(d.serial->State().szFloat, (Size{before.cx + 50, before.cy}));
  EXPECT_EQ(mf->width(), w + 50);
  EXPECT_EQ(mf->height(), h);
  EXPECT_TRUE(d.serial->IsFloating());
}

TEST_F(FramesTest, TheMenuFollowsTheActiveDocumentWindow) {
  std::vector<int> menus;
  d.frame->SetMenuSelector([&](int id) { menus.push_back(id); });
  const auto& sheets = d.frame->Sheets();
  sheets[0]->SetMenuResourceId(121);
  sheets[1]->SetMenuResourceId(124);
  d.frame->MdiClient()->setActiveSubWindow(sheets[0]);
  d.frame->MdiClient()->setActiveSubWindow(sheets[1]);
  d.frame->MdiClient()->setActiveSubWindow(sheets[2]);  // names no menu
  for (SECWorksheetWnd* s : std::vector<SECWorksheetWnd*>(sheets)) s->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(menus, (std::vector<int>{121, 124, -1}));
  EXPECT_EQ(d.frame->CurrentMenu(), -1);
  EXPECT_TRUE(d.frame->Sheets().empty());
}

TEST_F(FramesTest, ABarDestroyedWhileDockedLeavesItsRow) {
  SECDockBar* bottom = Side(DockSide::Bottom);
  delete d.watch;
  d.watch = nullptr;
  d.frame->RecalcLayout();
  EXPECT_EQ(bottom->Bars(), (std::vector<SECControlBar*>{d.output}));
  EXPECT_EQ(d.output->width(), bottom->width());
  EXPECT_EQ(d.frame->GetControlBar(kDemoWatchBar), nullptr);
}

TEST(FrameState, StateSavedOnCloseRestoresTheLayoutOnTheNextStart) {
  EnsureApp();
  SettingsStore store("/nonexistent/pm2-frames-test.ini");
  struct Seen {
    std::vector<std::uint32_t> sides[4];
    std::vector<bool> visible, floating;
    std::vector<float> shares;
    QPoint floatPos;
  };
  auto look = [](DemoFrame& d) {
    Seen s;
    for (int i = 0; i < 4; ++i) s.sides[i] = d.frame->DockBarFor(DockSide(i))->StoredEntries();
    for (SECControlBar* b : {d.project, d.output, d.watch, d.memory, d.callStack, d.serial}) {
      s.visible.push_back(b->State().visible);
      s.floating.push_back(b->IsFloating());
      s.shares.push_back(b->State().stretch);
    }
    s.floatPos = d.serial->window()->pos();
    return s;
  };
  Seen first;
  {
    DemoFrame d = BuildDemoFrame();
    d.frame->show();
    d.frame->DockControlBar(d.project, d.frame->DockBarFor(DockSide::Bottom));
    d.frame->ShowControlBar(d.watch, false, false);
    d.frame->FloatControlBar(d.serial, QPoint(300, 200), CBRS_ALIGN_TOP);
    d.frame->SetCloseHook([&] {
      d.frame->SaveBarState(store, "Pm2Frame");
      return true;
    });
    first = look(d);
    EXPECT_TRUE(d.frame->close());
    delete d.frame;
  }
  EXPECT_GT(store.GetProfileInt("Pm2Frame-Summary", "Bars", 0), 6);
  DemoFrame d = BuildDemoFrame(false);
  // The call stack bar is made from its stored class when the frame lacks it.
  delete d.callStack;
  d.frame->SetBarFactory([](const std::string& cls) { return cls == "SECControlBar" ? new SECControlBar : nullptr; });
  d.frame->show();
  d.frame->LoadBarState(store, "Pm2Frame");
  d.callStack = d.frame->GetControlBar(kDemoCallStackBar);
  ASSERT_NE(d.callStack, nullptr);
  EXPECT_EQ(d.frame->DynamicBars().size(), 1u);
  EXPECT_EQ(d.callStack->Title(), "Call Stack");
  Seen second = look(d);
  // The place the left dock bar held for the project bar is stale (the bar
  // now lives at the bottom) and is not stored.
  EXPECT_EQ(first.sides[int(DockSide::Left)], (std::vector<std::uint32_t>{kDemoProjectBar | kHiddenBarIdFlag, 0}));
  first.sides[int(DockSide::Left)].clear();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(second.sides[i], first.sides[i]) << "side " << i;
  EXPECT_EQ(second.visible, first.visible);
  EXPECT_EQ(second.floating, first.floating);
  for (size_t i = 0; i < first.shares.size(); ++i) EXPECT_NEAR(second.shares[i], first.shares[i], 1e-5) << i;
  EXPECT_EQ(second.floatPos, first.floatPos);
  delete d.frame;
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

QMdiSubWindow* HostOf(SECControlBar* bar) {
  QWidget* w = bar->DockBar() ? bar->DockBar()->parentWidget() : nullptr;
  while (w && !qobject_cast<QMdiSubWindow*>(w)) w = w->parentWidget();
  return qobject_cast<QMdiSubWindow*>(w);
}

TEST(FrameState, ABarInsideTheMainWindowComesBackThereThroughASettingsTree) {
  EnsureApp();
  SECPTNFactory factory;
  SECPersistentTreeNode* root = factory.CreateNode("WorkState_v1_2");
  QRect placed;
  {
    DemoFrame d = BuildDemoFrame();
    d.frame->show();
    d.memory->OnFloatInMainWindow();
    QMdiSubWindow* host = HostOf(d.memory);
    ASSERT_NE(host, nullptr);
    host->setGeometry(60, 40, 280, 200);
    placed = host->geometry();
    SECDockState state;
    ASSERT_TRUE(d.frame->GetDockState(state));
    state.RemoveStaleBarIDs();
    ASSERT_TRUE(state.SaveStateToNode(root));
    delete d.frame;
  }
  DemoFrame d = BuildDemoFrame(false);
  d.frame->show();
  SECDockState state;
  ASSERT_TRUE(state.LoadStateFromNode(root));
  ASSERT_TRUE(d.frame->SetDockState(state));
  EXPECT_TRUE(d.memory->IsMDIChildFloat());
  QMdiSubWindow* host = HostOf(d.memory);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->geometry(), placed);
  EXPECT_EQ(d.project->DockBar(), d.frame->DockBarFor(DockSide::Left));
  delete d.frame;
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(ControlBarWidget, ProportionalChildrenWaitForARealSizeThenScale) {
  EnsureApp();
  SECWorkbookWnd frame;
  auto* bar = new SECControlBar;
  // Created without a size: the records have an empty base.
  ASSERT_TRUE(bar->Create(&frame, "Proportional", CBRS_ALIGN_TOP, SECBAR_EX_PROPORTIONAL, 0xE950));
  auto* child = new QWidget(bar);
  child->setGeometry(10, 20, 30, 40);
  // A hidden widget gets its resize events when shown: lay out directly.
  bar->resize(100, 100);  // no division by the empty base; the records are taken now
  bar->LayoutChild();
  EXPECT_EQ(child->geometry(), QRect(10, 20, 30, 40));
  bar->resize(200, 300);
  bar->LayoutChild();
  EXPECT_EQ(child->geometry(), QRect(20, 60, 60, 120));
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(FrameSlots, CommandBarAtTheTopStatusBarAtTheBottomDockBarsBetween) {
  EnsureApp();
  DemoFrame d = BuildDemoFrame();
  d.frame->show();
  QWidget* status = d.frame->StatusBar();
  QWidget* command = d.frame->CommandBar();
  ASSERT_NE(status, nullptr);
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(command->geometry(), QRect(0, 0, d.frame->width(), command->sizeHint().height()));
  EXPECT_EQ(status->geometry().bottom(), d.frame->height() - 1);
  EXPECT_EQ(status->width(), d.frame->width());
  SECDockBar* bottom = d.frame->DockBarFor(DockSide::Bottom);
  EXPECT_EQ(bottom->geometry().bottom() + 1, status->geometry().top());
  EXPECT_EQ(d.frame->DockBarFor(DockSide::Top)->geometry().top(), command->geometry().bottom() + 1);
  // Any widget can take the status bar's place.
  auto* other = new QWidget;
  other->setFixedHeight(30);
  d.frame->SetStatusBar(other);
  delete status;
  EXPECT_EQ(other->geometry(), QRect(0, d.frame->height() - 30, d.frame->width(), 30));
  delete d.frame;
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// A bar with an entry of its own in the saved state.
struct PaneRecord : ControlBarInfoEx {
  int panes = 0;
  bool SaveToProfile(SettingsStore& s, const std::string& section) override {
    return s.WriteProfileInt(section, "Panes", panes);
  }
  bool LoadFromProfile(const SettingsStore& s, const std::string& section) override {
    panes = s.GetProfileInt(section, "Panes", -1);
    return true;
  }
};
struct PaneSource : ControlBarInfoExSource {
  std::unique_ptr<ControlBarInfoEx> CreateInfoEx() override { return std::make_unique<PaneRecord>(); }
};
class PaneBar : public SECControlBar {
 public:
  int panes = 0;
  void OnGetBarInfoEx(ControlBarInfo* info) const override {
    if (auto* r = dynamic_cast<PaneRecord*>(info->ext.get())) r->panes = panes;
  }
  void OnSetBarInfoEx(const ControlBarInfo& info, SECMDIFrameWnd*) override {
    if (auto* r = dynamic_cast<PaneRecord*>(info.ext.get())) panes = r->panes;
  }
};

TEST(FrameState, BarsKeepTheirOwnEntriesThroughTheExtensionSource) {
  EnsureApp();
  SettingsStore store("/nonexistent/pm2-frames-ext.ini");
  PaneSource source;
  for (int round = 0; round < 2; ++round) {
    SECWorkbookWnd frame;
    frame.EnableDocking(CBRS_ALIGN_ANY);
    frame.SetControlBarManager(&source);
    auto* bar = new PaneBar;
    bar->Create(&frame, "Panes", CBRS_ALIGN_BOTTOM, kIdeBarExStyle, 0xE960);
    bar->EnableDocking(CBRS_ALIGN_ANY);
    bar->SetInfoExSource(&source);
    frame.DockControlBar(bar);
    if (round == 0) {
      bar->panes = 3;
      frame.SaveBarState(store, "Ext");
    } else {
      frame.LoadBarState(store, "Ext");
      EXPECT_EQ(bar->panes, 3);
    }
  }
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// Bars that allow several bars in one floating frame.
class FloatMultiTest : public FramesTest {
 protected:
  void SetUp() override {
    FramesTest::SetUp();
    for (SECControlBar* b : {d.serial, d.watch}) b->EnableDocking(CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI);
    d.serial->State().szFloat = {300, 150};
    d.frame->FloatControlBar(d.serial, QPoint(500, 250), CBRS_ALIGN_TOP | CBRS_FLOAT_MULTI);
    mf = dynamic_cast<SECMiniDockFrameWnd*>(d.serial->window());
    ASSERT_NE(mf, nullptr);
    ASSERT_TRUE(mf->FloatDockBar()->IsFloatMulti());
  }
  // Drags the watch bar by its caption to a point by the serial bar.
  void DragWatchOntoSerial(QPoint local) {
    QPoint start = Gripper(d.watch);
    PressOn(d.watch);
    ASSERT_TRUE(d.watch->DockContext()->IsTracking());
    QPoint target = InFrame(d.serial, local);
    MoveTo(start, target);
    QTest::mouseRelease(d.frame, Qt::LeftButton, {}, target);
  }
  SECMiniDockFrameWnd* mf = nullptr;
};

TEST_F(FloatMultiTest, ABarDraggedOntoAFloatingFrameJoinsItBelowItsBar) {
  int frames = int(d.frame->FloatingFrames().size());
  ASSERT_NO_FATAL_FAILURE(DragWatchOntoSerial(QPoint(100, d.serial->height() + 8)));
  EXPECT_EQ(d.watch->window(), mf);
  EXPECT_EQ(mf->FloatDockBar()->Bars(), (std::vector<SECControlBar*>{d.serial, d.watch}));
  EXPECT_EQ(mf->FloatDockBar()->StoredEntries(), (std::vector<std::uint32_t>{kDemoSerialBar, 0, kDemoWatchBar, 0}));
  EXPECT_TRUE(d.watch->IsFloating());
  EXPECT_EQ(int(d.frame->FloatingFrames().size()), frames);
  // Stacked: the frame wraps both rows.
  EXPECT_EQ(d.watch->y(), d.serial->geometry().bottom() + 1);
  EXPECT_EQ(mf->height(), d.serial->height() + d.watch->height() + SECMiniDockFrameWnd::Chrome().height());
  EXPECT_TRUE(d.watch->isVisible());
  // The bottom dock bar holds the watch bar's place.
  EXPECT_EQ(d.frame->DockBarFor(DockSide::Bottom)->Bars(), (std::vector<SECControlBar*>{d.output}));
  // The caption names no bar and moves the frame instead of dragging one.
  EXPECT_TRUE(mf->windowTitle().isEmpty());
  QPoint cap = mf->CaptionRect().center() - QPoint(30, 0);
  QPoint before = mf->pos();
  QTest::mousePress(mf, Qt::LeftButton, {}, cap);
  EXPECT_FALSE(d.serial->DockContext()->IsTracking());
  QTest::mouseMove(mf, cap + QPoint(40, 20));
  QTest::mouseRelease(mf, Qt::LeftButton, {}, cap + QPoint(40, 20));
  EXPECT_EQ(mf->pos(), before + QPoint(40, 20));
  // A double click on it docks nothing.
  QTest::mouseDClick(mf, Qt::LeftButton, {}, mf->CaptionRect().center() - QPoint(30, 0));
  EXPECT_TRUE(d.serial->IsFloating());
  EXPECT_TRUE(d.watch->IsFloating());
}

TEST_F(FloatMultiTest, ABarThatDoesNotAllowItFloatsInAFrameOfItsOwn) {
  QPoint start = Gripper(d.output);
  PressOn(d.output);
  QPoint target = InFrame(d.serial, QPoint(100, 60));
  MoveTo(start, target);
  QTest::mouseRelease(d.frame, Qt::LeftButton, {}, target);
  EXPECT_TRUE(d.output->IsFloating());
  EXPECT_NE(d.output->window(), mf);
  EXPECT_EQ(mf->FloatDockBar()->Bars(), (std::vector<SECControlBar*>{d.serial}));
}

TEST_F(FloatMultiTest, DraggingOneBarOutLeavesTwoFramesAndTheLastOneOutClosesIt) {
  ASSERT_NO_FATAL_FAILURE(DragWatchOntoSerial(QPoint(100, d.serial->height() + 8)));
  ASSERT_EQ(d.watch->window(), mf);
  int frames = int(d.frame->FloatingFrames().size());
  mf->move(850, 450);
  // The watch bar is grabbed by its inside border and dropped at the top
  // left of the document area, away from the floating frame.
  QPoint grab(3, 3);
  QPoint start = InFrame(d.watch, grab);
  QTest::mousePress(d.watch, Qt::LeftButton, {}, grab);
  ASSERT_TRUE(d.watch->DockContext()->IsTracking());
  QPoint target = d.frame->MdiClient()->geometry().topLeft() + QPoint(20, 20);
  MoveTo(start, target);
  QTest::mouseRelease(d.frame, Qt::LeftButton, {}, target);
  EXPECT_TRUE(d.watch->IsFloating());
  EXPECT_NE(d.watch->window(), mf);
  EXPECT_EQ(int(d.frame->FloatingFrames().size()), frames + 1);
  EXPECT_EQ(mf->FloatDockBar()->Bars(), (std::vector<SECControlBar*>{d.serial}));
  EXPECT_EQ(mf->height(), d.serial->height() + SECMiniDockFrameWnd::Chrome().height());
  // The serial bar, last in its frame, docks at the bottom: the frame goes.
  QPointer<SECMiniDockFrameWnd> gone = mf;
  d.frame->DockControlBar(d.serial, d.frame->DockBarFor(DockSide::Bottom));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(gone.isNull());
  EXPECT_EQ(int(d.frame->FloatingFrames().size()), frames);
}

TEST_F(FloatMultiTest, HidingOneBarShrinksTheFrameAndHidingBothHidesIt) {
  ASSERT_NO_FATAL_FAILURE(DragWatchOntoSerial(QPoint(100, d.serial->height() + 8)));
  ASSERT_EQ(d.watch->window(), mf);
  const int chrome = SECMiniDockFrameWnd::Chrome().height();
  d.frame->ShowControlBar(d.watch, false, false);
  EXPECT_TRUE(mf->isVisible());
  EXPECT_EQ(mf->height(), d.serial->height() + chrome);
  d.frame->ShowControlBar(d.serial, false, false);
  EXPECT_FALSE(mf->isVisible());
  // Both bars stay in the frame and come back into their rows.
  d.frame->ShowControlBar(d.watch, true, false);
  d.frame->ShowControlBar(d.serial, true, false);
  EXPECT_TRUE(mf->isVisible());
  EXPECT_EQ(mf->FloatDockBar()->Bars(), (std::vector<SECControlBar*>{d.serial, d.watch}));
  EXPECT_EQ(mf->height(), d.serial->height() + d.watch->height() + chrome);
}

TEST_F(FloatMultiTest, SeveralBarsInOneFloatingFrameComeBackTogether) {
  ASSERT_NO_FATAL_FAILURE(DragWatchOntoSerial(QPoint(100, d.serial->height() + 8)));
  SettingsStore store("/nonexistent/pm2-frames-multi.ini");
  d.frame->SaveBarState(store, "Multi");
  const std::vector<std::uint32_t> rows = mf->FloatDockBar()->StoredEntries();
  const QPoint at = mf->pos();
  DemoFrame e = BuildDemoFrame(false);
  for (SECControlBar* b : {e.serial, e.watch}) b->EnableDocking(CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI);
  e.frame->show();
  e.frame->LoadBarState(store, "Multi");
  ASSERT_TRUE(e.watch->IsFloating());
  auto* back = dynamic_cast<SECMiniDockFrameWnd*>(e.watch->window());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(e.serial->window(), back);
  EXPECT_TRUE(back->FloatDockBar()->IsFloatMulti());
  EXPECT_EQ(back->FloatDockBar()->StoredEntries(), rows);
  EXPECT_EQ(back->pos(), at);
  EXPECT_TRUE(back->isVisible());
  EXPECT_EQ(back->height(), e.serial->height() + e.watch->height() + SECMiniDockFrameWnd::Chrome().height());
  delete e.frame;
}

}  // namespace
}  // namespace pm2
