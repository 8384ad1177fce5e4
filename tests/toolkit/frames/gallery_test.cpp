// The frame gallery: pictures of the demo frame in its typical states,
// written to <build>/gallery/frames for a person to look at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTest>
#include <cstdlib>

#include "demo_frame.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/frames/workbook.h"

namespace pm2 {
namespace {

QString GalleryDir() {
  const char* bin = std::getenv("PM2_TEST_BIN");
  QString dir = QString(bin ? bin : ".") + "/gallery/frames";
  QDir().mkpath(dir);
  return dir;
}

QApplication* App() {
  static int argc = 1;
  static char name[] = "toolkit_frames_gallery";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
  return app;
}

void Save(const QImage& img, const char* name) {
  QString path = GalleryDir() + "/" + name + ".png";
  EXPECT_TRUE(img.save(path, "PNG")) << path.toStdString();
}

TEST(FrameGallery, WritesThePicturesOfTheDemoFrame) {
  App();
  DemoFrame d = BuildDemoFrame();
  d.frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(d.frame));
  d.frame->RecalcLayout();
  QApplication::processEvents();
  QImage full = GrabFrameWithFloating(d.frame);
  Save(full, "frame_demo");
  // A close-up of the gripper captions and buttons, twice the size.
  Save(full.copy(0, 20, 480, 300).scaled(960, 600), "frame_grippers_closeup");

  // A drag of the project bar over the bottom dock bar: the preview shows
  // the share it would get in that row.
  BarDecorations dec = d.project->Decorations();
  QTest::mousePress(d.project, Qt::LeftButton, {}, QPoint(dec.text.left + 6, dec.text.top + 6));
  SECDockBar* bottom = d.frame->DockBarFor(DockSide::Bottom);
  QPoint target = d.frame->mapFromGlobal(bottom->mapToGlobal(QPoint(500, 60)));
  for (int i = 1; i <= 4; ++i) QTest::mouseMove(d.frame, target * i / 4 + QPoint(60, 150) * (4 - i) / 4);
  QImage drag = GrabFrameWithFloating(d.frame);
  {
    QRect r = d.project->DockContext()->OverlayRect();
    ASSERT_TRUE(r.isValid());
    QPainter p(&drag);
    QColor fill(10, 36, 106, 50);
    p.fillRect(QRect(d.frame->mapFromGlobal(r.topLeft()), r.size()), fill);
    p.setPen(QPen(QColor(10, 36, 106), 2));
    p.drawRect(QRect(d.frame->mapFromGlobal(r.topLeft()), r.size()).adjusted(1, 1, -1, -1));
  }
  Save(drag, "frame_drag_preview");
  QTest::keyClick(d.frame, Qt::Key_Escape);
  QTest::mouseRelease(d.frame, Qt::LeftButton, {}, target);

  bottom->ToggleExpand(d.output, 1);
  Save(GrabFrameWithFloating(d.frame), "frame_bar_expanded");
  bottom->ToggleExpand(d.output, 2);

  d.frame->SetWorkbookStyle(true);
  Save(GrabFrameWithFloating(d.frame), "frame_flat_workbook");
  d.frame->SetWorkbookStyle(false);

  d.memory->OnFloatInMainWindow();
  d.frame->DockControlBar(d.project, d.frame->DockBarFor(DockSide::Right));
  Save(GrabFrameWithFloating(d.frame), "frame_bar_in_main_window");
  delete d.frame;
}

TEST(FrameGallery, ClassicBarsWithRidgesAndThreeDimensionalBorders) {
  App();
  SECWorkbookWnd frame;
  frame.resize(720, 420);
  frame.EnableDocking(CBRS_ALIGN_ANY);
  const std::uint32_t classic = SECBAR_EX_GRIPPER | SECBAR_EX_CLOSEBTN | SECBAR_EX_EXPANDBTN | SECBAR_EX_CONTEXTMENU;
  const struct {
    const char* title;
    unsigned id;
    std::uint32_t align;
  } bars[] = {{"Registers", 0xE970, CBRS_ALIGN_TOP}, {"Symbols", 0xE971, CBRS_ALIGN_TOP}, {"Books", 0xE972, CBRS_ALIGN_LEFT}};
  for (const auto& b : bars) {
    auto* bar = new SECControlBar;
    bar->Create(&frame, b.title, b.align | CBRS_BORDER_3D | CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC, classic, b.id);
    bar->EnableDocking(CBRS_ALIGN_ANY);
    bar->State().szHorz = {300, 90};
    bar->State().szVert = {160, 300};
    frame.DockControlBarEx(bar, b.align == CBRS_ALIGN_TOP ? AFX_IDW_DOCKBAR_TOP : AFX_IDW_DOCKBAR_LEFT,
                           b.id == 0xE971 ? 1 : 0, 0, 0.5f, b.align == CBRS_ALIGN_TOP ? 90 : 160);
  }
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  frame.RecalcLayout();
  Save(frame.grab().toImage(), "frame_classic_bars");
}


// Two bars in one floating frame: stacked rows, a caption without a title,
// each bar with the border strip it is grabbed by.
TEST(FrameGallery, SeveralBarsInOneFloatingFrame) {
  App();
  DemoFrame d = BuildDemoFrame();
  for (SECControlBar* b : {d.serial, d.watch}) b->EnableDocking(CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI);
  d.frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(d.frame));
  d.frame->FloatControlBar(d.serial, QPoint(560, 200), CBRS_ALIGN_TOP | CBRS_FLOAT_MULTI);
  auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(d.serial->window());
  ASSERT_NE(mf, nullptr);
  d.frame->DockControlBar(d.watch, mf->FloatDockBar());
  ASSERT_EQ(d.watch->window(), mf);
  QApplication::processEvents();
  Save(GrabFrameWithFloating(d.frame), "frame_float_several_bars");
  delete d.frame;
}

}  // namespace
}  // namespace pm2
