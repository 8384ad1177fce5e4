// The dockable frame moved between its placements by its caption and its
// placement menu, the dialog bar made again from a saved dock state, the
// single-document frame's layout modes, and gallery pictures.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>
#include <cstdlib>

#include "toolkit/controls/dialog_item.h"
#include "toolkit/dockable/dockable_frame.h"
#include "toolkit/dockable/frame_bar.h"
#include "toolkit/dockable/sdi_frame.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/docking/dock_state.h"
#include "toolkit/docking/sdi_layout.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"

namespace pm2 {
namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "toolkit_dockable_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
  return app;
}

QString GalleryDir() {
  const char* bin = std::getenv("PM2_TEST_BIN");
  QString dir = QString(bin ? bin : ".") + "/gallery/dockable";
  QDir().mkpath(dir);
  return dir;
}

TEST(SdiLayout, ModeFollowsTheBarStyle) {
  struct Row {
    const char* name;
    std::uint32_t style;
    std::uint32_t mode;
  };
  const Row rows[] = {
      {"dynamic and floating", CBRS_SIZE_DYNAMIC | CBRS_FLOATING | CBRS_ALIGN_LEFT, 38 | 64},
      {"top aligned", CBRS_ALIGN_TOP, 42 | 64},
      {"bottom aligned and dynamic", CBRS_ALIGN_BOTTOM | CBRS_SIZE_DYNAMIC, 42 | 64},
      {"left aligned", CBRS_ALIGN_LEFT, 16 | 64},
      {"no alignment", 0, 16 | 64},
  };
  for (const Row& r : rows) EXPECT_EQ(SdiDockLayoutMode(r.style), r.mode) << r.name;
}

struct Main {
  QApplication* app = App();
  std::unique_ptr<SECMDIFrameWnd> frame = std::make_unique<SECMDIFrameWnd>();
  SECDockableFrame* view = nullptr;
  Main() {
    frame->resize(900, 600);
    frame->move(0, 0);
    frame->EnableDocking(CBRS_ALIGN_ANY);
    view = new SECDockableFrame(frame.get(), 0xE950, "Disassembly");
    view->SetView(new QPlainTextEdit("0x08000100  B.W  main"));
    view->Bar()->State().szVert = {240, 400};
    frame->DockControlBarEx(view->Bar(), AFX_IDW_DOCKBAR_LEFT, 0, 0, 1.0f, 240);
    frame->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  }
  QPoint CaptionPoint() const { return view->CaptionRect().center() - QPoint(40, 0); }
};

TEST(DockableFrame, RightDoubleClickTogglesBetweenDockedAndMdiChild) {
  Main m;
  EXPECT_EQ(m.view->CurrentPlacement(nullptr), kPlaceLeft);
  QTest::mouseDClick(m.view, Qt::RightButton, {}, m.CaptionPoint());
  EXPECT_TRUE(m.view->Bar()->IsMDIChildFloat());
  EXPECT_EQ(m.view->CurrentPlacement(nullptr), kPlaceMdiRestored);
  QTest::mouseDClick(m.view, Qt::RightButton, {}, m.CaptionPoint());
  EXPECT_FALSE(m.view->Bar()->IsMDIChildFloat());
  EXPECT_EQ(m.view->CurrentPlacement(nullptr), kPlaceLeft);
}

TEST(DockableFrame, CaptionDragMovesTheBarThroughItsDockContext) {
  Main m;
  const QPoint start = m.frame->mapFromGlobal(m.view->mapToGlobal(m.CaptionPoint()));
  QTest::mousePress(m.view, Qt::LeftButton, {}, m.CaptionPoint());
  ASSERT_TRUE(m.view->Bar()->DockContext()->IsTracking());
  QTest::keyPress(m.frame.get(), Qt::Key_Control);  // Ctrl keeps it floating
  const QPoint target(600, 300);
  for (int i = 1; i <= 4; ++i) QTest::mouseMove(m.frame.get(), start + (target - start) * i / 4);
  QTest::mouseRelease(m.frame.get(), Qt::LeftButton, {}, target);
  QTest::keyRelease(m.frame.get(), Qt::Key_Control);
  EXPECT_FALSE(m.view->Bar()->DockContext()->IsTracking());
  EXPECT_TRUE(m.view->IsFloating());
  EXPECT_EQ(m.view->CurrentPlacement(nullptr), kPlaceFloating);
  // A double click on the caption docks it again.
  QTest::mouseDClick(m.view, Qt::LeftButton, {}, m.CaptionPoint());
  EXPECT_EQ(m.view->CurrentPlacement(nullptr), kPlaceLeft);
}

TEST(DockableFrame, PlacementMenuMovesTheView) {
  Main m;
  std::vector<bool> checked;
  int choice = kPlaceBottom;
  m.view->SetMenuChooser([&](const std::vector<PlacementMenuItem>& menu) {
    checked.clear();
    for (const auto& i : menu[4].children) checked.push_back(i.checked);
    return choice;
  });
  QTest::mouseClick(m.view, Qt::RightButton, {}, m.CaptionPoint());
  EXPECT_EQ(checked, (std::vector<bool>{false, true, false, false}));  // left is checked
  EXPECT_EQ(m.view->CurrentPlacement(nullptr), kPlaceBottom);
  EXPECT_EQ(m.view->Bar()->DockBar(), m.frame->DockBarFor(DockSide::Bottom));
  choice = kPlaceFloating;
  QTest::mouseClick(m.view, Qt::RightButton, {}, m.CaptionPoint());
  EXPECT_TRUE(m.view->IsFloating());
  choice = kPlaceMdiMax;
  QTest::mouseClick(m.view, Qt::RightButton, {}, m.CaptionPoint());
  EXPECT_EQ(m.view->CurrentPlacement(nullptr), kPlaceMdiMax);
}

// A click on a document window takes the activation back from the
// dockable frame: the document's menu shows and the frame routes no more.
TEST(DockableFrame, AClickOnADocumentHandsTheActivationBack) {
  Main m;
  auto* child = new SECMDIChildWnd(m.frame.get());
  child->SetMenuResourceId(141);
  auto* text = new QPlainTextEdit("int main(void);");
  child->setWidget(text);
  m.frame->MdiClient()->addSubWindow(child);
  child->show();
  m.frame->MdiClient()->setActiveSubWindow(child);
  bool ran = false;
  m.view->OnCommand(0x9001, [&](CommandId) { ran = true; });
  m.view->SetMenuResourceId(140);
  int menu = 0;
  m.frame->SetMenuSelector([&](int id) { menu = id; });
  QTest::mouseClick(m.view->View(), Qt::LeftButton);
  ASSERT_TRUE(m.view->IsActiveFrame());
  EXPECT_EQ(menu, 140);
  QTest::mouseClick(text->viewport(), Qt::LeftButton);
  EXPECT_FALSE(m.view->IsActiveFrame());
  EXPECT_EQ(menu, 141);
  EXPECT_FALSE(m.frame->RouteCommand(0x9001));
  EXPECT_FALSE(ran);
}

TEST(DockableFrame, CloseButtonHidesTheBarAndActivationRoutesCommands) {
  Main m;
  bool ran = false;
  m.view->OnCommand(0x9001, [&](CommandId) { ran = true; });
  m.view->SetMenuResourceId(140);
  int menu = 0;
  m.frame->SetMenuSelector([&](int id) { menu = id; });
  QTest::mouseClick(m.view->View(), Qt::LeftButton);
  EXPECT_TRUE(m.view->IsActiveFrame());
  EXPECT_EQ(menu, 140);
  EXPECT_TRUE(m.frame->RouteCommand(0x9001));
  EXPECT_TRUE(ran);
  // The close button is the rightmost caption button.
  auto* list = dynamic_cast<SECCaptionControlListMsgFilter*>(m.view->Filters().FindFilter(256, nullptr, 0));
  ASSERT_NE(list, nullptr);
  list->LayoutControls();
  auto* close = dynamic_cast<SECCaptionControlMsgFilter*>(list->FindFilter(kCapClose, nullptr, 0));
  const Rect r = close->ButtonRect();
  ASSERT_FALSE(r.IsEmpty());
  const QPoint on((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  QTest::mousePress(m.view, Qt::LeftButton, {}, on);
  QTest::mouseRelease(m.view, Qt::LeftButton, {}, on);
  QApplication::processEvents();
  EXPECT_FALSE(m.view->Bar()->IsBarVisible());
}

TEST(DialogBar, SizedByItsDialogAndMadeAgainFromTheDockState) {
  App();
  SECDialogBar::SetDialogFactory([](unsigned id) -> QWidget* {
    if (id != 3100) return nullptr;
    auto* w = new QWidget;
    w->setFixedSize(220, 90);
    return w;
  });
  SECDockState state;
  {
    SECMDIFrameWnd frame;
    frame.EnableDocking(CBRS_ALIGN_ANY);
    auto* bar = new SECDialogBar;
    ASSERT_TRUE(bar->Create(&frame, 3100, CBRS_ALIGN_TOP, 0, 0xE960, "Find"));
    EXPECT_EQ(bar->State().szHorz, (Size{220, 90}));
    EXPECT_EQ(bar->State().szFloat, (Size{220, 90}));
    frame.DockControlBar(bar);
    frame.GetDockState(state);
    auto* failing = new SECDialogBar;
    EXPECT_FALSE(failing->Create(&frame, 9999, CBRS_ALIGN_TOP, 0, 0xE961));
    frame.RemoveControlBar(failing);
    delete failing;
  }
  SECMDIFrameWnd fresh;
  fresh.EnableDocking(CBRS_ALIGN_ANY);
  fresh.SetBarFactory(CreateDockableBar);
  fresh.SetDockState(state);
  auto* again = dynamic_cast<SECDialogBar*>(fresh.GetControlBar(0xE960));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->TemplateId(), 3100u);
  EXPECT_EQ(again->DialogSize(), QSize(220, 90));
  EXPECT_EQ(again->DockBar(), fresh.DockBarFor(DockSide::Top));
}

// A dialog bar's controls follow the frame's command states, as a
// toolbar's buttons do.
TEST(DialogBar, ItsControlsFollowTheCommandStates) {
  App();
  SECDialogBar::SetDialogFactory([](unsigned id) -> QWidget* {
    if (id != 3101) return nullptr;
    auto* w = new QWidget;
    w->setFixedSize(200, 40);
    auto* go = new QPushButton("Go", w);
    go->setProperty(kDialogItemId, 4001u);
    auto* trace = new QCheckBox("Trace", w);
    trace->setProperty(kDialogItemId, 4002u);
    return w;
  });
  SECMDIFrameWnd frame;
  frame.EnableDocking(CBRS_ALIGN_ANY);
  bool running = false;
  frame.OnCommand(4001, [](CommandId) {});
  frame.OnUpdate(4001, [&](CommandState& s) { s.Enable(!running); });
  frame.OnCommand(4002, [](CommandId) {});
  frame.OnUpdate(4002, [&](CommandState& s) { s.SetCheck(running ? 1 : 0); });
  auto* bar = new SECDialogBar;
  ASSERT_TRUE(bar->Create(&frame, 3101, CBRS_ALIGN_TOP, 0, 0xE962, "Run"));
  frame.DockControlBar(bar);
  frame.show();
  auto* go = bar->findChild<QPushButton*>();
  auto* trace = bar->findChild<QCheckBox*>();
  ASSERT_TRUE(go && trace);
  frame.UpdateControlBars();
  EXPECT_TRUE(go->isEnabled());
  EXPECT_FALSE(trace->isChecked());
  running = true;
  frame.UpdateControlBars();
  EXPECT_FALSE(go->isEnabled());
  EXPECT_TRUE(trace->isChecked());
}

TEST(SdiFrame, ViewTakesTheClientArea) {
  App();
  SECFrameWnd frame;
  frame.resize(600, 400);
  frame.EnableDocking(CBRS_ALIGN_ANY);
  auto* view = new QPlainTextEdit;
  frame.SetView(view);
  auto* bar = new SECControlBar;
  bar->Create(&frame, "Output", CBRS_ALIGN_BOTTOM | CBRS_SIZE_DYNAMIC, kIdeBarExStyle, 0xE970);
  bar->EnableDocking(CBRS_ALIGN_ANY);
  bar->State().szHorz = {600, 120};
  frame.DockControlBarEx(bar, AFX_IDW_DOCKBAR_BOTTOM, 0, 0, 1.0f, 120);
  frame.RecalcLayout();
  EXPECT_EQ(bar->DockBar(), frame.DockBarFor(DockSide::Bottom));
  EXPECT_EQ(view->geometry(), frame.ClientLayoutRect());
  EXPECT_LT(view->geometry().bottom(), frame.DockBarFor(DockSide::Bottom)->geometry().top());
}

// What the single-document frame does differently: no bar floats as a
// child window of it (its bar menu offers no Float In Main Window), and
// without a workspace manager of its own its commands go through the one
// of the frame it lies in.
TEST(SdiFrame, NoMdiFloatingAndTheOuterFramesWorkspaceManager) {
  App();
  SECMDIFrameWnd outer;
  outer.EnableDocking(CBRS_ALIGN_ANY);
  CommandTarget manager;
  int opened = 0;
  manager.OnCommand(43008, [&opened](CommandId) { ++opened; });
  outer.SetWorkspaceHook(&manager);
  auto* inner = new SECFrameWnd(&outer);
  EXPECT_TRUE(inner->RouteCommand(43008));
  EXPECT_EQ(opened, 1);
  SECFrameWnd alone;
  EXPECT_FALSE(alone.RouteCommand(43008));
  EXPECT_EQ(opened, 1);
  CommandTarget own;
  own.OnCommand(43008, [&opened](CommandId) { opened += 10; });
  inner->SetWorkspaceHook(&own);
  EXPECT_TRUE(inner->RouteCommand(43008));
  EXPECT_EQ(opened, 11);

  auto offersMdiFloat = [](SECMDIFrameWnd& frame) {
    frame.EnableDocking(CBRS_ALIGN_ANY);
    auto* bar = new SECControlBar;
    bar->Create(&frame, "Output", CBRS_ALIGN_BOTTOM | CBRS_SIZE_DYNAMIC, kIdeBarExStyle | SECBAR_EX_MDIFLOAT, 0xE971);
    QMenu menu;
    frame.OnBarContextMenu(bar, &menu);
    for (QAction* a : menu.actions())
      if (a->data().toUInt() == kIdFloatInMainWindow) return true;
    return false;
  };
  SECMDIFrameWnd mdi;
  EXPECT_TRUE(offersMdiFloat(mdi));
  SECFrameWnd sdi;
  EXPECT_FALSE(offersMdiFloat(sdi));
}

TEST(DockableGallery, WritesThePictures) {
  Main m;
  auto* doc = new QMdiSubWindow;
  doc->setWidget(new QPlainTextEdit("int main(void) {\n  for (;;) {}\n}\n"));
  doc->setWindowTitle("main.c");
  m.frame->MdiClient()->addSubWindow(doc);
  doc->setGeometry(20, 20, 420, 260);
  doc->show();
  m.view->OnUpdateFrameMenu(true);
  QApplication::processEvents();
  QImage img = m.frame->grab().toImage();
  EXPECT_TRUE(img.save(GalleryDir() + "/dockable_docked.png", "PNG"));
  EXPECT_TRUE(m.view->grab(QRect(0, 0, m.view->width(), 40)).scaled(m.view->width() * 3, 120).save(
      GalleryDir() + "/dockable_caption_closeup.png", "PNG"));
  m.view->SetMenuChooser([](const std::vector<PlacementMenuItem>&) { return int(kPlaceMdiRestored); });
  QTest::mouseClick(m.view, Qt::RightButton, {}, m.CaptionPoint());
  QApplication::processEvents();
  EXPECT_TRUE(m.frame->grab().toImage().save(GalleryDir() + "/dockable_mdi_child.png", "PNG"));
}

}  // namespace
}  // namespace pm2
