// The bars gallery: the demo frame with its menu bar and toolbars, a popup
// dropped down from the menu bar in the plain and the XP look, and toolbars
// being customised (a selected button, a toolbar docked at the side, a
// floating one wrapped into rows), as PNG files in <build>/gallery/bars.
// `toolkit_bars_gallery <folder>` writes them; with --show it stays on screen.

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <cstdio>
#include <cstring>

#include "demo_frame.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/frames/workbook.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/toolbars/xp_look.h"

namespace {

QString g_folder;
bool g_ok = true;

void Save(const QImage& image, const char* name) {
  const QString path = g_folder + "/" + name;
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write '%s'\n", qPrintable(path));
    g_ok = false;
  }
}

// The frame, its floating windows and the open popup in one picture.
QImage Grab(pm2::DemoFrame& d) {
  QCoreApplication::processEvents();
  QImage img = pm2::GrabFrameWithFloating(d.frame);
  if (QWidget* popup = QApplication::activePopupWidget()) {
    QPainter p(&img);
    p.drawPixmap(popup->pos() - d.frame->mapToGlobal(QPoint(0, 0)), popup->grab());
  }
  return img;
}

void PopupPicture(bool xp, const char* name) {
  pm2::SECSetXPLook(xp);
  pm2::DemoFrame d = pm2::BuildDemoFrame(true, QSize(1000, 640));
  d.frame->show();
  (void)QTest::qWaitForWindowExposed(d.frame);
  d.menuBar->OpenPopup(0, true);
  QTest::qWait(30);
  Save(Grab(d), name);
  if (QWidget* p = QApplication::activePopupWidget()) p->close();
  delete d.frame;
  pm2::SECSetXPLook(false);
}

void CustomisingPicture() {
  pm2::DemoFrame d = pm2::BuildDemoFrame(true, QSize(1000, 640));
  d.frame->show();
  (void)QTest::qWaitForWindowExposed(d.frame);
  pm2::SECToolBarManager* mgr = d.toolbars;
  pm2::SECCustomToolBar* build = mgr->GetToolBar(pm2::kBuildToolBarId);
  d.frame->DockControlBar(build, d.frame->GetDockBar(pm2::AFX_IDW_DOCKBAR_LEFT));
  pm2::SECCustomToolBar* debug = mgr->GetToolBar(pm2::kDebugToolBarId);
  debug->State().mruWidth = 180;
  d.frame->ShowControlBar(debug, true, false);
  d.frame->FloatControlBar(debug, d.frame->mapToGlobal(QPoint(560, 330)), pm2::CBRS_ALIGN_TOP);
  mgr->SetCustomizeMode(true);
  pm2::SECCustomToolBar* file = mgr->GetToolBar(pm2::kFileToolBarId);
  file->SelectButton(file->FindButton(57603));
  Save(Grab(d), "toolbars_customising.png");
  delete d.frame;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery/bars");
  QDir().mkpath(g_folder);
  {
    pm2::DemoFrame d = pm2::BuildDemoFrame(true, QSize(1000, 640));
    d.frame->show();
    (void)QTest::qWaitForWindowExposed(d.frame);
    Save(Grab(d), "frame_with_bars.png");
    delete d.frame;
  }
  PopupPicture(false, "menu_bar_popup_plain.png");
  PopupPicture(true, "menu_bar_popup_xp.png");
  CustomisingPicture();
  return g_ok ? 0 : 1;
}
