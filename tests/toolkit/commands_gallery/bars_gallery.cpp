// The bars gallery: the demo frame with its menu bar and toolbars, a popup
// dropped down from the menu bar in the plain and the XP look, and toolbars
// being customised (a selected button, a toolbar docked at the side, a
// floating one wrapped into rows), the toolbars and commands dialogs open
// over the frame while a toolbar is customised, and the menu bar carrying
// a maximised document window's buttons, as PNG files in
// <build>/gallery/bars.
// `toolkit_bars_gallery <folder>` writes them; with --show it stays on screen.

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <cstdio>
#include <cstring>

#include "demo_frame.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/customize/cmd_page.h"
#include "toolkit/customize/toolbars_dlg.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/frames/workbook.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/toolbars/xp_look.h"
#include "test_leftovers.h"

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

// A dialog as the window manager would frame it: a raised border and an
// active caption with its title and close box, drawn into `p` at `at`.
void DrawDialog(QPainter& p, QWidget* dlg, QPoint at) {
  constexpr int kBorder = 4, kCaption = 18;
  const QRect outer(at, QSize(dlg->width() + 2 * kBorder, dlg->height() + 2 * kBorder + kCaption));
  p.fillRect(outer, pm2::SysQColor(pm2::SysColor::BtnFace));
  p.setPen(pm2::SysQColor(pm2::SysColor::Light3D));
  p.drawLine(outer.topLeft(), outer.topRight());
  p.drawLine(outer.topLeft(), outer.bottomLeft());
  p.setPen(pm2::SysQColor(pm2::SysColor::BtnHighlight));
  p.drawLine(outer.topLeft() + QPoint(1, 1), outer.topRight() + QPoint(-1, 1));
  p.drawLine(outer.topLeft() + QPoint(1, 1), outer.bottomLeft() + QPoint(1, -1));
  p.setPen(pm2::SysQColor(pm2::SysColor::DkShadow3D));
  p.drawLine(outer.bottomLeft(), outer.bottomRight());
  p.drawLine(outer.topRight(), outer.bottomRight());
  p.setPen(pm2::SysQColor(pm2::SysColor::BtnShadow));
  p.drawLine(outer.bottomLeft() + QPoint(1, -1), outer.bottomRight() + QPoint(-1, -1));
  p.drawLine(outer.topRight() + QPoint(-1, 1), outer.bottomRight() + QPoint(-1, -1));
  const QRect caption(outer.left() + kBorder, outer.top() + kBorder, dlg->width(), kCaption - 1);
  QLinearGradient g(caption.topLeft(), caption.topRight());
  g.setColorAt(0, pm2::SysQColor(pm2::SysColor::ActiveCaption));
  g.setColorAt(1, pm2::SysQColor(pm2::SysColor::GradientActiveCaption));
  p.fillRect(caption, g);
  QFont f = pm2::DefaultGuiFont();
  f.setBold(true);
  p.setFont(f);
  p.setPen(pm2::SysQColor(pm2::SysColor::CaptionText));
  p.drawText(caption.adjusted(4, 0, -20, 0), Qt::AlignVCenter | Qt::AlignLeft, dlg->windowTitle());
  // The close box.
  const QRect box(caption.right() - 17, caption.top() + 2, 16, 14);
  p.fillRect(box, pm2::SysQColor(pm2::SysColor::BtnFace));
  p.setPen(pm2::SysQColor(pm2::SysColor::BtnHighlight));
  p.drawLine(box.topLeft(), box.topRight());
  p.drawLine(box.topLeft(), box.bottomLeft());
  p.setPen(pm2::SysQColor(pm2::SysColor::DkShadow3D));
  p.drawLine(box.bottomLeft(), box.bottomRight());
  p.drawLine(box.topRight(), box.bottomRight());
  p.setPen(pm2::SysQColor(pm2::SysColor::BtnText));
  for (int k = 0; k < 7; ++k) {
    p.drawLine(box.left() + 4 + k, box.top() + 3 + k, box.left() + 5 + k, box.top() + 3 + k);
    p.drawLine(box.left() + 10 - k, box.top() + 3 + k, box.left() + 11 - k, box.top() + 3 + k);
  }
  p.drawPixmap(caption.left(), caption.bottom() + 1, dlg->grab());
}

// The toolbars dialog open over the frame: a new user toolbar floats under
// the top dock bar, the File toolbar shows a selected button in customise
// mode; then the commands dialog with its Build group.
void CustomiseDialogPictures() {
  pm2::DemoFrame d = pm2::BuildDemoFrame(true, QSize(1000, 640));
  d.frame->show();
  (void)QTest::qWaitForWindowExposed(d.frame);
  pm2::SECToolBarManager* mgr = d.toolbars;
  {
    pm2::SECToolBarsDlg dlg(mgr);
    dlg.move(d.frame->mapToGlobal(QPoint(560, 150)));
    dlg.show();
    (void)QTest::qWaitForWindowExposed(&dlg);
    if (pm2::SECControlBar* mine = dlg.NewToolBar("Flash Tools")) {
      auto* tb = static_cast<pm2::SECCustomToolBar*>(mine);
      tb->SetButtons({35404, 35405, 0, 35051});
    }
    pm2::SECCustomToolBar* file = mgr->GetToolBar(pm2::kFileToolBarId);
    file->SelectButton(file->FindButton(57603));
    QCoreApplication::processEvents();
    QImage img = Grab(d);
    {
      QPainter p(&img);
      DrawDialog(p, &dlg, QPoint(560, 150));
    }
    Save(img, "toolbars_dialog_customising.png");
    dlg.accept();
  }
  {
    pm2::SECToolBarCmdPage page(mgr, pm2::CommandGroupsOf(*mgr));
    page.move(d.frame->mapToGlobal(QPoint(330, 170)));
    page.show();
    (void)QTest::qWaitForWindowExposed(&page);
    page.ShowGroup(2);
    if (pm2::SECCustomizeToolBar* g = page.Group(2)) g->Select(1);
    pm2::SECCustomToolBar* build = mgr->GetToolBar(pm2::kBuildToolBarId);
    build->InsertButton(2, 35405);
    build->SelectButton(2);
    QCoreApplication::processEvents();
    QImage img = Grab(d);
    {
      QPainter p(&img);
      DrawDialog(p, &page, QPoint(330, 170));
    }
    Save(img, "toolbars_commands_dialog.png");
    page.accept();
  }
  delete d.frame;
}

// A maximised document window: its icon at the menu bar's left end and its
// minimise, restore and close parts at the right; with a close-up of the
// bar's two ends.
void MaximisedChildPicture() {
  pm2::DemoFrame d = pm2::BuildDemoFrame(true, QSize(1000, 640));
  d.frame->show();
  (void)QTest::qWaitForWindowExposed(d.frame);
  QList<QMdiSubWindow*> children = d.frame->MdiClient()->subWindowList();
  if (!children.isEmpty()) {
    d.frame->MdiClient()->setActiveSubWindow(children.back());
    children.back()->showMaximized();
  }
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  QImage img = Grab(d);
  Save(img, "menu_bar_maximised_child.png");
  if (d.menuBar) {
    const QRect r = d.menuBar->geometry();
    const QImage left = img.copy(QRect(r.left(), r.top(), 240, r.height()));
    const QImage right = img.copy(QRect(r.right() - 239, r.top(), 240, r.height()));
    QImage zoom(480 * 3 + 12, r.height() * 3, QImage::Format_RGB32);
    zoom.fill(Qt::white);
    QPainter p(&zoom);
    p.drawImage(QRect(0, 0, 720, r.height() * 3), left);
    p.drawImage(QRect(732, 0, 720, r.height() * 3), right);
    p.end();
    Save(zoom, "menu_bar_maximised_child_zoom.png");
  }
  delete d.frame;
}

}  // namespace

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
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
  CustomiseDialogPictures();
  MaximisedChildPicture();
  return g_ok ? 0 : 1;
}
