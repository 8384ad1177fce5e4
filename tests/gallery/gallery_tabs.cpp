// Renders the tab strips, tab windows and progress control to PNG files in
// <build>/gallery for a person to look at; fails when a picture cannot be
// written.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/tab_controls.h"
#include "toolkit/controls/tab_windows.h"

namespace pm2 {
namespace {

QString OutDir() {
  const char* bin = std::getenv("PM2_TEST_BIN");
  QDir dir(QString(bin ? bin : ".") + "/gallery");
  dir.mkpath(".");
  return dir.path();
}

bool Save(QWidget& w, const char* name) {
  w.show();
  QApplication::processEvents();
  return w.grab().save(OutDir() + "/" + name);
}

TEST(GalleryTabs, Render) {
  int argc = 1;
  char arg0[] = "gallery";
  char* argv[] = {arg0, nullptr};
  QApplication app(argc, argv);
  int clients[4];

  SECTabControl flat(nullptr, 0x2);
  flat.resize(360, 17);
  for (int i = 0; i < 4; ++i) flat.AddTab(i == 2 ? "Find in Files" : "Build " + std::to_string(i), &clients[i]);
  flat.ActivateTab(1);
  EXPECT_TRUE(Save(flat, "tabs_flat.png"));

  const struct {
    std::uint32_t style;
    const char* file;
    int w, h;
  } strips[] = {{0x10, "tabs_3d_bottom.png", 300, 30}, {0x20, "tabs_3d_top.png", 300, 30},
                {0x40, "tabs_3d_left.png", 30, 240},   {0x80, "tabs_3d_right.png", 30, 240},
                {0x18, "tabs_3d_flat.png", 300, 30},   {0x10, "tabs_3d_narrow.png", 120, 30}};
  for (const auto& s : strips) {
    SEC3DTabControl strip(nullptr, s.style);
    strip.resize(s.w, s.h);
    strip.AddTab("Project", &clients[0]);
    strip.AddTab("Registers", &clients[1]);
    strip.AddTab("Books", &clients[2]);
    strip.SetTabIcon(0, &clients[0]);
    strip.ActivateTab(1);
    EXPECT_TRUE(Save(strip, s.file)) << s.file;
  }

  SECTabWnd wnd(nullptr, 0x2);
  wnd.resize(400, 160);
  QWidget p1, p2;
  p1.setStyleSheet("background: white");
  wnd.AddTab(&p1, "Build");
  wnd.SetScrollStyle(0, kPaneHScroll | kPaneVScroll);
  wnd.AddTab(&p2, "Command");
  wnd.ActivateTab(0);
  EXPECT_TRUE(Save(wnd, "tabwnd_flat.png"));

  SEC3DTabWnd wnd3(nullptr, 0x10);
  wnd3.resize(300, 200);
  QWidget q1, q2;
  q1.setStyleSheet("background: white");
  wnd3.AddTab(&q1, "Files");
  wnd3.AddTab(&q2, "Books");
  wnd3.ActivateTab(0);
  EXPECT_TRUE(Save(wnd3, "tabwnd_3d.png"));

  SECProgressCtrl bar;
  bar.resize(240, 20);
  bar.SetPos(37);
  EXPECT_TRUE(Save(bar, "progress.png"));
}

}  // namespace
}  // namespace pm2
