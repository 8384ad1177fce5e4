// Renders the tab strips, tab windows and progress control to PNG files in
// <build>/gallery for a person to look at; fails when a picture cannot be
// written.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <memory>
#include <vector>

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
  flat.resize(360, 18);
  for (int i = 0; i < 4; ++i) flat.AddTab(i == 2 ? "Find in Files" : "Build " + std::to_string(i), &clients[i]);
  flat.ActivateTab(1);
  EXPECT_TRUE(Save(flat, "tabs_flat.png"));

  // A small drawn image for the tabs that carry one.
  QPixmap iconPixmap(16, 16);
  iconPixmap.fill(Qt::transparent);
  {
    QPainter ip(&iconPixmap);
    ip.fillRect(2, 1, 10, 14, Qt::white);
    ip.setPen(Qt::black);
    ip.drawRect(2, 1, 10, 13);
    ip.fillRect(5, 4, 9, 10, QColor(0, 0, 128));
  }
  const QIcon icon(iconPixmap);

  const struct {
    std::uint32_t style;
    const char* file;
    int w, h;
  } strips[] = {{0x10, "tabs_3d_bottom.png", 300, 30},      {0x20, "tabs_3d_top.png", 300, 30},
                {0x40, "tabs_3d_left.png", 30, 240},        {0x80, "tabs_3d_right.png", 30, 240},
                {0x18, "tabs_3d_flat_bottom.png", 300, 28}, {0x28, "tabs_3d_flat_top.png", 300, 26},
                {0x48, "tabs_3d_flat_left.png", 26, 240},   {0x88, "tabs_3d_flat_right.png", 26, 240},
                {0x10, "tabs_3d_narrow.png", 120, 30},      {0x610, "tabs_3d_classic_noouter.png", 300, 30}};
  for (const auto& s : strips) {
    SEC3DTabControl strip(nullptr, s.style);
    strip.resize(s.w, s.h);
    strip.AddTab("Project", &clients[0]);
    strip.AddTab("Registers", &clients[1]);
    strip.AddTab("Books", &clients[2]);
    strip.AddTab("Disabled", &clients[3]);
    strip.SetTabIcon(0, icon);
    strip.EnableTab(3, false);
    strip.SetParentTabStop(true);
    strip.ActivateTab(1);
    strip.show();
    strip.setFocus();
    EXPECT_TRUE(Save(strip, s.file)) << s.file;
  }

  const struct {
    std::uint32_t style;
    const char* file;
  } windows3d[] = {{0x10, "tabwnd_3d.png"},        {0x20, "tabwnd_3d_top.png"}, {0x40, "tabwnd_3d_left.png"},
                   {0x80, "tabwnd_3d_right.png"},  {0x18, "tabwnd_3d_flat.png"}, {0x410, "tabwnd_3d_noouter.png"}};
  for (const auto& s : windows3d) {
    SEC3DTabWnd w3(nullptr, s.style);
    w3.resize(300, 200);
    QWidget a, b;
    a.setStyleSheet("background: white");
    b.setStyleSheet("background: white");
    w3.AddTab(&a, "Files");
    w3.AddTab(&b, "Books");
    static_cast<SEC3DTabControl*>(w3.TabWidget())->SetTabIcon(0, icon);
    w3.ActivateTab(0);
    EXPECT_TRUE(Save(w3, s.file)) << s.file;
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

  SECProgressCtrl bar;
  bar.resize(240, 20);
  bar.SetPos(37);
  EXPECT_TRUE(Save(bar, "progress.png"));

  // The progress control in each of its styles: horizontal bars on the
  // left, vertical ones on the right, each with its text.
  QWidget panel;
  panel.resize(420, 230);
  panel.setStyleSheet("background: rgb(212, 208, 200)");
  using namespace progress;
  const struct {
    std::uint32_t style;
    int pos;
    const char* caption;
    QRect where;
  } bars[] = {
      {kDefault | kPercent, 37, "", {10, 10, 240, 20}},
      {kDefault | kPercent | kFromRight, 62, "", {10, 40, 240, 20}},
      {kDefault | kCaption, 50, "Building target 'Blinky'", {10, 70, 240, 20}},
      {kDefault | kCaption | kTextLeft, 80, "Loading...", {10, 100, 240, 20}},
      {kDefault | kPercent | kTextRight, 15, "", {10, 130, 240, 20}},
      {kDefault, 90, "", {10, 160, 240, 20}},
      {kDefault | kNative | kPercent, 45, "", {10, 190, 240, 20}},
      {kDefault | kVertical | kPercent, 40, "", {270, 10, 40, 210}},
      {kDefault | kVertical | kFromTop | kPercent, 70, "", {320, 10, 40, 210}},
      {kDefault | kVertical | kCaption, 55, "Flash", {370, 10, 40, 210}},
  };
  std::vector<std::unique_ptr<SECProgressCtrl>> kept;
  for (const auto& b : bars) {
    auto ctrl = std::make_unique<SECProgressCtrl>(&panel);
    ctrl->SetBarStyle(b.style);
    ctrl->SetCaption(b.caption);
    ctrl->SetPos(b.pos);
    ctrl->setGeometry(b.where);
    kept.push_back(std::move(ctrl));
  }
  EXPECT_TRUE(Save(panel, "progress_styles.png"));
  kept.clear();
}

}  // namespace
}  // namespace pm2
