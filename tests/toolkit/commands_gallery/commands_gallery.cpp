// Renders toolbar buttons in every state, bitmap menus in the plain and XP
// looks and the key-assignment dialog to PNG files for a person to look at;
// exits with 1 when a picture cannot be written.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QDir>
#include <QPainter>
#include <cstdio>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/color_math.h"
#include "toolkit/core/resources.h"
#include "toolkit/menus/assign_key_dialog.h"
#include "toolkit/menus/bmp_menu.h"
#include "toolkit/menus/command_list.h"
#include "toolkit/menus/hot_key_edit.h"
#include "toolkit/menus/shortcut_table.h"
#include "toolkit/menus/menu_builder.h"
#include "toolkit/toolbars/button_strip.h"
#include "toolkit/toolbars/qt_resource_module.h"
#include "toolkit/toolbars/xp_look.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

QString g_dir;
bool g_ok = true;

// Pixel pictures are small: each is also written three times as large,
// pixel for pixel, as <name>_x3.png.
void Save(const QImage& image, const char* name) {
  const QString path = g_dir + "/" + name;
  const QImage large = image.scaled(image.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  QString largePath = path;
  largePath.replace(".png", "_x3.png");
  if (!large.save(largePath)) g_ok = false;
  if (!image.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    g_ok = false;
  }
}

QImage Grab(QWidget& w) {
  w.resize(w.sizeHint());
  w.show();
  QApplication::processEvents();
  return w.grab().toImage();
}

// One labelled row per look: a button in each state.
struct StateColumn {
  const char* label;
  std::uint32_t style;
};
const StateColumn kStates[] = {
    {"normal", 0},
    {"hot", TBBS_HOT},
    {"pressed", TBBS_PRESSED | TBBS_HOT},
    {"checked", TBBS_CHECKBOX | TBBS_CHECKED},
    {"checked hot", TBBS_CHECKBOX | TBBS_CHECKED | TBBS_HOT},
    {"disabled", TBBS_DISABLED},
    {"dis. checked", TBBS_DISABLED | TBBS_CHECKED},
    {"indeterm.", TBBS_INDETERMINATE},
    {"drop-down", TBSTYLE_DROPDOWN},
};

QImage ButtonStates(SECBmpMgr* mgr) {
  const struct {
    const char* label;
    bool cool, xp, customizing;
  } looks[] = {{"classic", false, false, false},
               {"cool", true, false, false},
               {"XP", true, true, false},
               {"customising", true, false, true}};
  const int colW = 80, rowH = 44, labelW = 90;
  const int n = int(std::size(kStates));
  QImage out(labelW + n * colW, 20 + int(std::size(looks)) * rowH, QImage::Format_RGB32);
  out.fill(SysQColor(SysColor::BtnFace));
  QPainter p(&out);
  p.setFont(DefaultGuiFont());
  for (int c = 0; c < n; ++c) p.drawText(labelW + c * colW, 14, kStates[c].label);
  for (int r = 0; r < int(std::size(looks)); ++r) {
    SECSetXPLook(looks[r].xp);
    SECBuildXPPalette();
    mgr->ReloadBitmaps();
    p.drawText(4, 20 + r * rowH + 22, looks[r].label);
    for (int c = 0; c < n; ++c) {
      SECButtonStrip strip(mgr, 1);
      strip.SetLook({looks[r].cool, false, looks[r].customizing, false});
      strip.SetButtons({32720}, 0);
      strip.Button(0)->m_nStyle = kStates[c].style | (looks[r].customizing && c == 0 ? TBBS_CUSTOMIZESEL : 0);
      p.drawImage(labelW + c * colW, 20 + r * rowH + 6, Grab(strip));
    }
  }
  SECSetXPLook(false);
  mgr->ReloadBitmaps();
  return out;
}

QImage Toolbars(SECBmpMgr* mgr, bool xp, bool large) {
  SECSetXPLook(xp);
  mgr->ReloadBitmaps();
  mgr->SetSmallImages(!large);
  std::vector<QImage> rows;
  for (unsigned bar : {59392u, 59398u, 59397u}) {
    SECButtonStrip strip(mgr, bar);
    strip.SetButtons(*ToolkitResources().Toolbar(bar), 0);
    if (bar == 59397) {  // the debug bar as it looks without a session
      for (int i = 0; i < strip.ButtonCount(); ++i) strip.Button(i)->m_nStyle |= TBBS_DISABLED;
    }
    if (SECStdBtn* b = strip.FindButton(35037)) b->m_nStyle |= TBBS_CHECKBOX | TBBS_CHECKED;
    if (SECStdBtn* b = strip.FindButton(57603)) b->m_nStyle |= TBBS_HOT;
    rows.push_back(Grab(strip));
  }
  mgr->SetSmallImages(true);
  SECSetXPLook(false);
  mgr->ReloadBitmaps();
  int w = 0, h = 0;
  for (const QImage& r : rows) {
    w = std::max(w, r.width());
    h += r.height() + 4;
  }
  QImage out(w, h, QImage::Format_RGB32);
  out.fill(SysQColor(SysColor::AppWorkspace));
  QPainter p(&out);
  int y = 0;
  for (const QImage& r : rows) {
    p.drawImage(0, y, r);
    y += r.height() + 4;
  }
  return out;
}

// The menu bar's text buttons: Edit hot, Project pressed (its popup open).
QImage MenuBarButtons(SECBmpMgr* mgr) {
  std::vector<QImage> rows;
  for (bool xp : {false, true}) {
    SECSetXPLook(xp);
    SECBuildXPPalette();
    SECButtonStrip strip(mgr, 0xE8FF);
    for (const char* title : {"&File", "&Edit", "&View", "&Project", "&Debug", "Flas&h", "&Help"})
      strip.AddMenuButton({0, 0, title, 0});
    strip.Button(1)->m_nStyle |= TBBS_HOT;
    strip.Button(3)->m_nStyle |= TBBS_PRESSED;
    rows.push_back(Grab(strip));
  }
  SECSetXPLook(false);
  SECBuildXPPalette();
  QImage out(rows[0].width(), rows[0].height() + rows[1].height() + 4, QImage::Format_RGB32);
  out.fill(SysQColor(SysColor::AppWorkspace));
  QPainter p(&out);
  p.drawImage(0, 0, rows[0]);
  p.drawImage(0, rows[0].height() + 4, rows[1]);
  return out;
}

// A File and a View menu as the IDE shows them, one item selected.
QImage BitmapMenu(SECBmpMenuPlugIn& plugIn, bool xp, int selected) {
  SECSetXPLook(xp);
  SECBuildXPPalette();
  plugIn.BmpMgr()->ReloadBitmaps();
  std::string err;
  ResourceTables t;
  t.Load("MENU 1\n"
         "ITEM 57600 \"&New\\tCtrl+N\"\nITEM 57601 \"&Open...\\tCtrl+O\"\nITEM 57603 \"&Save\\tCtrl+S\"\n"
         "ITEM 32717 \"Save A&ll\"\nSEPARATOR\nITEM 32702 \"New &Project...\"\nITEM 32792 \"Open P&roject...\"\n"
         "ITEM 32793 \"&Close Project\"\nSEPARATOR\nITEM 57607 \"&Print...\\tCtrl+P\"\n"
         "POPUP \"Recent &Files\"\nITEM 1 \"&1 Blinky.pm2\"\nEND\nSEPARATOR\n"
         "ITEM 35037 \"Project &Window\"\nITEM 35033 \"&Output Window\"\nITEM 32705 \"Work&book Mode\"\n"
         "ITEM 35124 \"&Decimal\"\nITEM 35125 \"&Hexadecimal\"\nSEPARATOR\nITEM 57665 \"E&xit\"\nEND\n",
         "gallery", &err);
  QMenu menu;
  FillQMenu(&menu, *t.Menu(1));
  const QList<QAction*> a = menu.actions();
  const auto find = [&](int id) {
    for (QAction* x : a)
      if (x->data().toInt() == id) return x;
    return a[0];
  };
  find(32793)->setEnabled(false);
  for (int id : {35037, 32705}) {
    find(id)->setCheckable(true);
    find(id)->setChecked(true);
  }
  auto* radix = new QActionGroup(&menu);
  for (int id : {35124, 35125}) {
    find(id)->setCheckable(true);
    radix->addAction(find(id));
  }
  find(35125)->setChecked(true);
  menu.setDefaultAction(find(57601));
  plugIn.Track(&menu);
  menu.popup(QPoint(0, 0));
  menu.setActiveAction(find(selected));
  QApplication::processEvents();
  const QImage image = menu.grab().toImage();
  menu.hide();
  SECSetXPLook(false);
  SECBuildXPPalette();
  plugIn.BmpMgr()->ReloadBitmaps();
  return image;
}

// A frame with the Project menu and the build keys, for the dialog.
class GalleryFrame : public AcceleratorFrame {
 public:
  GalleryFrame() : menu(Parse()) {
    const AccelTable keys = {{FVIRTKEY | FNOINVERT, 118, 32720}, {FVIRTKEY | FNOINVERT | FALT, 118, 35051}};
    current = std::make_shared<const AccelTable>(keys);
  }
  static std::vector<MenuEntry> Parse() {
    ResourceTables t;
    std::string err;
    t.Load("MENU 1\nPOPUP \"&Project\"\nITEM 32720 \"&Build target\"\n"
           "ITEM 35051 \"&Options for Target...\"\nEND\nEND\n",
           "gallery", &err);
    return *t.Menu(1);
  }
  bool HasMainWindow() const override { return true; }
  std::shared_ptr<const AccelTable> Accelerators() const override { return current; }
  void SetAccelerators(std::shared_ptr<const AccelTable> t) override { current = std::move(t); }
  std::vector<MenuAccess*> Menus() override { return {&menu}; }
  std::shared_ptr<const AccelTable> current;
  EntryMenuAccess menu;
};

QImage AssignKeyDialog(bool typed) {
  GalleryFrame frame;
  SECShortcutTable table(frame, {"/nonexistent/x.Mac", "/nonexistent/x.Mac"});
  ResourceTables strings;
  SECCommandList list(frame, strings);
  list.BuildFromMenus();
  SECAssignKeyDlg dlg(list, table);
  dlg.show();
  if (typed) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F7, Qt::AltModifier);
    QApplication::sendEvent(dlg.HotKeyControl(), &press);
  }
  QApplication::processEvents();
  return dlg.grab().toImage();
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  using namespace pm2;
  QApplication app(argc, argv);
  g_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery/commands");
  QDir().mkpath(g_dir);
  SECBmpMgr* mgr = new SECBmpMgr(ToolkitResourceModule());
  if (mgr->AddToolBarResource(120) == 0) {
    std::fprintf(stderr, "%s\n", mgr->LastError().c_str());
    return 1;
  }
  Save(ButtonStates(mgr), "button_states.png");
  Save(Toolbars(mgr, false, false), "toolbars_classic.png");
  Save(Toolbars(mgr, true, false), "toolbars_xp.png");
  Save(Toolbars(mgr, false, true), "toolbars_large.png");
  Save(MenuBarButtons(mgr), "menu_bar_buttons.png");
  SECBmpMenuPlugIn plugIn(ToolkitResourceModule());
  plugIn.SetBmpMgr(mgr);
  Save(BitmapMenu(plugIn, false, 57603), "menu_plain.png");
  Save(BitmapMenu(plugIn, true, 57603), "menu_xp.png");
  Save(BitmapMenu(plugIn, false, 35037), "menu_plain_checked.png");
  Save(BitmapMenu(plugIn, true, 35037), "menu_xp_checked.png");
  Save(AssignKeyDialog(false), "assign_key_empty.png");
  Save(AssignKeyDialog(true), "assign_key_bound.png");
  mgr->Release();
  return g_ok ? 0 : 1;
}
