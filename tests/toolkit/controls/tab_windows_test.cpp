#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/tab_windows.h"
#include "toolkit/controls/wnd_plugin.h"

namespace pm2 {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: Qt's teardown must not race the static destructors.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

struct Pane : QWidget, TabPaneScrollClient {
  std::vector<std::pair<int, int>> scrolls;
  void OnTabWndScroll(int bar, int value) override { scrolls.push_back({bar, value}); }
};

TEST(TabWnd, SharedScrollBarsFollowTheActivePane) {
  App();
  SECTabWnd wnd(nullptr, 0x2, 59648);
  wnd.resize(400, 200);
  Pane a, b, plain;
  wnd.AddTab(&a, "Build");
  wnd.SetScrollStyle(0, kPaneHScroll | kPaneVScroll);
  wnd.AddTab(&b, "Find");
  wnd.SetScrollStyle(1, kPaneHScroll | kPaneVScroll);
  wnd.AddTab(&plain, "Plain");
  wnd.show();
  wnd.ActivateTab(0);
  QScrollBar* h = wnd.GetScrollBar(0);
  ASSERT_NE(h, nullptr);
  h->setRange(0, 500);
  h->setValue(120);
  wnd.GetScrollBar(1)->setRange(0, 90);
  wnd.GetScrollBar(1)->setValue(40);
  ASSERT_FALSE(a.scrolls.empty());
  EXPECT_EQ(a.scrolls.back(), (std::pair<int, int>{1, 40}));

  wnd.ActivateTab(1);
  EXPECT_EQ(h->value(), 0);  // b's own, untouched state
  EXPECT_TRUE(b.scrolls.empty());
  h->setRange(0, 50);
  h->setValue(7);
  wnd.ActivateTab(0);
  EXPECT_EQ(h->maximum(), 500);
  EXPECT_EQ(h->value(), 120);
  EXPECT_EQ(wnd.GetScrollBar(1)->value(), 40);
  wnd.ActivateTab(1);
  EXPECT_EQ(h->value(), 7);

  // A pane without bars: none shown, and the strip spans the width.
  wnd.ActivateTab(2);
  EXPECT_EQ(wnd.GetScrollBar(0), nullptr);
  EXPECT_FALSE(h->isVisible());
  EXPECT_EQ(wnd.TabWidget()->width(), 400);
  EXPECT_EQ(a.isVisible(), false);
  EXPECT_TRUE(plain.isVisible());

  // Removing the active tab shows the neighbour that takes its place.
  wnd.RemoveTab(2);
  EXPECT_EQ(wnd.GetActiveWnd(), &b);
  EXPECT_TRUE(b.isVisible());
  wnd.RemoveTab(0);
  EXPECT_EQ(wnd.GetActiveWnd(), &b);
  EXPECT_EQ(wnd.GetScrollBar(0, &b), h);
  EXPECT_EQ(h->value(), 7);
}

TEST(TabWnd, ThreeDInsideRectAndForwarding) {
  App();
  struct Owner : TabListener {
    std::vector<unsigned> ids;
    std::intptr_t OnTabMessage(unsigned msg, std::intptr_t, TabActivateInfo* info) override {
      if (msg == WM_TABCTRL_ACTIVATE && info) ids.push_back(info->nCtrlID);
      return 0;
    }
  } owner;
  SEC3DTabWnd wnd(nullptr, 0x10, 59648);
  wnd.SetNotifyWnd(&owner);
  wnd.resize(300, 200);
  QWidget a, b;
  wnd.AddTab(&a, "Files");
  wnd.AddTab(&b, "Books");
  wnd.show();
  wnd.ActivateTab(1);
  const Rect i = wnd.GetInsideRect();
  EXPECT_EQ(i, (Rect{6, 4, 300 - 7, 200 - 31}));
  EXPECT_EQ(wnd.StripRect().top, i.bottom + 1);
  ASSERT_FALSE(owner.ids.empty());
  EXPECT_EQ(owner.ids.back(), 59648u);
}

TEST(Controls, PlugInEndsEventsAndProgressText) {
  App();
  struct Host : QWidget {
    int presses = 0;
    void mousePressEvent(QMouseEvent*) override { ++presses; }
  } host;
  struct Eater : SECWndPlugIn {
    bool exit = true;
    bool OnPlugInEvent(QEvent* e, std::intptr_t*) override {
      if (e->type() != QEvent::MouseButtonPress) return false;
      m_bExitMsg = exit;
      return true;
    }
  } plug;
  auto press = [&] {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&host, &e);
  };
  press();
  EXPECT_EQ(host.presses, 1);  // detached: the host sees everything
  ASSERT_TRUE(plug.AttachToFrame(&host));
  press();
  EXPECT_EQ(host.presses, 1);
  plug.exit = false;  // answered but not ended: the host still handles it
  press();
  EXPECT_EQ(host.presses, 2);
  EXPECT_FALSE(plug.AttachToFrame(nullptr));

  SECProgressCtrl bar;
  bar.resize(200, 20);
  struct Row {
    const char* name;
    int lower, upper, pos;
    const char* text;
    int filled;
  } rows[] = {{"half", 0, 100, 50, "50 %", 100},
              {"past the end", 0, 100, 150, "100 %", 200},
              {"below the start", 10, 20, 0, "0 %", 0},
              {"empty range", 5, 5, 5, "0 %", 0}};
  for (const Row& r : rows) {
    bar.SetRange(r.lower, r.upper);
    bar.SetPos(r.pos);
    Rect filled, empty;
    bar.CalcBarRects(bar.GetPercent(), &filled, &empty);
    EXPECT_EQ(bar.BarText(bar.GetPercent()).toStdString(), r.text) << r.name;
    EXPECT_EQ(filled.Width(), r.filled) << r.name;
    EXPECT_EQ(filled.Width() + empty.Width(), 200) << r.name;
  }
  bar.SetRange(0, 100);
  bar.SetPos(100);
  EXPECT_FALSE(bar.SetTimerSpeed(10));
  bar.SetPos(0);
  EXPECT_TRUE(bar.SetTimerSpeed(10));
  EXPECT_TRUE(bar.TimerRunning());
}

}  // namespace
}  // namespace pm2
