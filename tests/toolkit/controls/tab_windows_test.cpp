#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QToolTip>
#include <functional>
#include <memory>

#include "toolkit/qt_test_app.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/tab_controls.h"
#include "toolkit/controls/tab_windows.h"
#include "toolkit/controls/wnd_plugin.h"
#include "toolkit/core/color_math.h"
#include "toolkit/core/notify.h"

namespace pm2 {
namespace {

using test::App;

struct Pane : QWidget, TabPaneScrollClient {
  std::vector<std::pair<int, int>> scrolls;
  void OnTabWndScroll(int bar, int value) override { scrolls.push_back({bar, value}); }
};

// Made narrow (a floating frame) and wide again (docked), the tab strip
// takes its width back instead of staying squeezed.
TEST(TabWnd, TheStripWidthComesBackWhenTheWindowGrowsAgain) {
  App();
  SECTabWnd wnd(nullptr, 0x2, 59648);
  wnd.resize(900, 200);
  Pane a;
  wnd.AddTab(&a, "Build");
  wnd.SetScrollStyle(0, kPaneHScroll);
  wnd.show();
  wnd.ActivateTab(0);
  QApplication::processEvents();
  const int wide = wnd.TabWidget()->width();
  ASSERT_GT(wide, 500);
  wnd.resize(300, 200);
  QApplication::processEvents();
  EXPECT_LT(wnd.TabWidget()->width(), 300);
  wnd.resize(900, 200);
  QApplication::processEvents();
  EXPECT_EQ(wnd.TabWidget()->width(), wide);
}

// The mouse passing over the splitter, no button held, shows the resize
// cursor; off it, the arrow.
TEST(TabWnd, TheSplitterShowsItsCursorAsTheMousePasses) {
  App();
  SECTabWnd wnd(nullptr, 0x2, 59648);
  wnd.resize(400, 200);
  Pane a;
  wnd.AddTab(&a, "Build");
  wnd.SetScrollStyle(0, kPaneHScroll | kPaneVScroll);
  wnd.show();
  wnd.ActivateTab(0);
  QApplication::processEvents();
  const Rect s = wnd.GetSplitterRect();
  auto move = [&](QPoint at) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(wnd.mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&wnd, &e);
    return wnd.cursor().shape();
  };
  EXPECT_EQ(move(QPoint(s.left + 2, (s.top + s.bottom) / 2)), Qt::SplitHCursor);
  EXPECT_EQ(move(QPoint(s.left - 20, (s.top + s.bottom) / 2)), Qt::ArrowCursor);
}

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

// An owner may destroy a pane before its tab window (as Qt allows): the
// tab goes with it, the neighbour takes over, and the window's own teardown
// later touches only the panes still alive.
TEST(TabWnd, APaneDestroyedFirstLosesItsTab) {
  App();
  const struct {
    const char* name;
    std::function<std::unique_ptr<SECTabWndBase>()> make;
  } rows[] = {
      {"shared bars", [] { return std::make_unique<SECTabWnd>(nullptr, 0x2); }},
      {"3-D", [] { return std::make_unique<SEC3DTabWnd>(nullptr, 0x10); }},
  };
  for (const auto& r : rows) {
    std::unique_ptr<SECTabWndBase> wnd = r.make();
    wnd->resize(300, 200);
    auto a = std::make_unique<Pane>();
    auto b = std::make_unique<Pane>();
    auto c = std::make_unique<Pane>();
    wnd->AddTab(a.get(), "One");
    wnd->AddTab(b.get(), "Two");
    wnd->SetScrollStyle(1, kPaneHScroll);
    wnd->InsertTab(c.get(), 0, "Zero");
    wnd->show();
    wnd->ActivateTab(1);
    ASSERT_EQ(wnd->GetActiveWnd(), a.get()) << r.name;

    a.reset();  // the active pane
    EXPECT_EQ(wnd->GetTabCount(), 2) << r.name;
    EXPECT_EQ(wnd->GetActiveWnd(), b.get()) << r.name;
    EXPECT_TRUE(b->isVisible()) << r.name;
    if (auto* shared = dynamic_cast<SECTabWnd*>(wnd.get())) {
      EXPECT_NE(shared->GetScrollBar(0, b.get()), nullptr) << "its scroll style stays with it";
    }

    c.reset();  // an inactive one before the active
    EXPECT_EQ(wnd->GetTabCount(), 1) << r.name;
    EXPECT_EQ(wnd->PaneOf(0), b.get()) << r.name;
    EXPECT_EQ(wnd->GetActiveWnd(), b.get()) << r.name;

    // A pane taken out earlier is no longer the window's business.
    wnd->RemoveTab(b.get());
    b.reset();
    EXPECT_EQ(wnd->GetTabCount(), 0) << r.name;
    wnd.reset();
  }
}

TEST(TabWnd, ThreeDInsideRectAndForwarding) {
  App();
  struct Owner : TabListener {
    std::vector<unsigned> ids, messages;
    std::intptr_t OnTabMessage(unsigned msg, std::intptr_t, TabActivateInfo* info) override {
      messages.push_back(msg);
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

  // The strip's other notices end at the tab window.
  owner.messages.clear();
  for (unsigned msg : {WM_TABCTRL_DBLCLK, WM_TABCTRL_SELCLEARED, WM_TABCTRL_ACTIVECLICK})
    wnd.OnTabMessage(msg, 1, nullptr);
  EXPECT_TRUE(owner.messages.empty());
}

TEST(TabWnd, OperationsByWindowAndCreatedViews) {
  App();
  QWidget top;
  auto* wnd = new SEC3DTabWnd(&top, 0x10, 59648);
  wnd->setGeometry(0, 0, 300, 200);
  QWidget a, b;
  a.setFocusPolicy(Qt::StrongFocus);
  b.setFocusPolicy(Qt::StrongFocus);
  wnd->AddTab(&a, "Files");
  wnd->AddTab(&b, "Books");
  top.resize(300, 200);
  top.show();
  QApplication::setActiveWindow(&top);

  // Activating a tab gives its pane the focus.
  EXPECT_TRUE(wnd->ActivateTab(&b));
  EXPECT_TRUE(b.hasFocus());
  QWidget stranger;
  EXPECT_FALSE(wnd->ActivateTab(&stranger));
  EXPECT_FALSE(wnd->TabExists(&stranger));
  EXPECT_TRUE(wnd->TabExists(&a));

  wnd->RenameTab(&a, "Sources");
  wnd->RenameTab(&stranger, "nothing");
  std::string label;
  QWidget* pane = nullptr;
  ASSERT_TRUE(wnd->GetTabInfo(0, &label, nullptr, &pane, nullptr, nullptr));
  EXPECT_EQ(label, "Sources");
  EXPECT_EQ(pane, &a);
  EXPECT_FALSE(wnd->GetTabInfo(5, &label, nullptr, &pane, nullptr, nullptr));

  // Icons reach the 3-D strip; a bad index or path is refused.
  QPixmap red(16, 16);
  red.fill(Qt::red);
  EXPECT_TRUE(wnd->SetTabIcon(0, QIcon(red)));
  EXPECT_NE(static_cast<SEC3DTab&>(wnd->TabCtrl()->GetTab(0)).m_hIcon, nullptr);
  EXPECT_FALSE(wnd->SetTabIcon(7, QIcon(red)));
  EXPECT_FALSE(wnd->SetTabIcon(0, QString("/nonexistent/icon.png")));

  wnd->TabCtrl()->SelectTab(0);
  wnd->ClearSelection();
  bool selected = true;
  wnd->GetTabInfo(0, nullptr, &selected, nullptr, nullptr, nullptr);
  EXPECT_FALSE(selected);
  EXPECT_EQ(wnd->GetActiveWnd(), nullptr);  // the strip's clearing ends the activation too
  ASSERT_TRUE(wnd->ActivateTab(&b));

  // Views made by the tab window: the next pane id by default.
  QWidget* made = wnd->AddTab([](QWidget* parent) { return new QWidget(parent); }, "Made");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->parentWidget(), wnd);
  EXPECT_EQ(SECTabWndBase::ViewId(made), kTabWndFirstPaneId + 2);
  QWidget* named = wnd->InsertTab([](QWidget* parent) { return new QWidget(parent); }, 0, "Named", 1234);
  EXPECT_EQ(SECTabWndBase::ViewId(named), 1234u);
  EXPECT_EQ(wnd->PaneOf(0), named);
  const int before = wnd->GetTabCount();
  EXPECT_EQ(wnd->AddTab([](QWidget*) -> QWidget* { return nullptr; }, "Failed"), nullptr);
  EXPECT_EQ(wnd->AddTab([](QWidget*) -> QWidget* { throw std::bad_alloc(); }, "Thrown"), nullptr);
  EXPECT_EQ(wnd->GetTabCount(), before);

  // Removing by window leaves the window alone; an unknown one is ignored.
  wnd->RemoveTab(&stranger);
  EXPECT_EQ(wnd->GetTabCount(), before);
  wnd->RemoveTab(&a);
  EXPECT_FALSE(wnd->TabExists(&a));
  EXPECT_EQ(wnd->GetTabCount(), before - 1);

  // The active view gets the focus back.
  ASSERT_EQ(wnd->GetActiveWnd(), &b);
  top.setFocus();
  wnd->ActivateActiveView();
  EXPECT_TRUE(b.hasFocus());
  // The panes on this stack go before `top`: take them out of the window.
  while (wnd->GetTabCount() > 0) wnd->RemoveTab(0);
  b.setParent(nullptr);
}

TEST(TabWnd, NotifyWindowFallsBackToTheParent) {
  App();
  struct ListeningParent : QWidget, TabListener {
    std::intptr_t OnTabMessage(unsigned, std::intptr_t, TabActivateInfo*) override { return 0; }
  } parent;
  struct Other : TabListener {
    std::intptr_t OnTabMessage(unsigned, std::intptr_t, TabActivateInfo*) override { return 0; }
  } other;
  auto* wnd = new SEC3DTabWnd(&parent, 0x10);
  wnd->SetNotifyWnd(&other);
  EXPECT_EQ(wnd->GetNotifyWnd(), &other);
  wnd->SetNotifyWnd(nullptr);
  EXPECT_EQ(wnd->GetNotifyWnd(), static_cast<TabListener*>(&parent));
  SEC3DTabWnd orphan(nullptr, 0x10);
  orphan.SetNotifyWnd(nullptr);
  EXPECT_EQ(orphan.GetNotifyWnd(), nullptr);
}

TEST(TabWnd, ScrollToTabByWindowBringsItIntoTheStrip) {
  App();
  SECTabWnd wnd(nullptr, 0x2, 59648);
  wnd.resize(300, 120);
  std::vector<std::unique_ptr<QWidget>> panes;
  for (int i = 0; i < 12; ++i) {
    panes.push_back(std::make_unique<QWidget>());
    wnd.AddTab(panes.back().get(), "A long page " + std::to_string(i));
  }
  wnd.show();
  QApplication::processEvents();
  wnd.ActivateTab(0);
  auto* strip = static_cast<SECTabControl*>(wnd.TabCtrl());
  EXPECT_EQ(strip->m_nScrollOffset, 0);
  wnd.ScrollToTab(panes.back().get());
  EXPECT_LT(strip->m_nScrollOffset, 0);
  EXPECT_LE(strip->TabLeft(11) + strip->GetTab(11).m_nWidth, strip->GetTabsRect().right);
  EXPECT_GE(strip->TabLeft(11), strip->GetTabsRect().left);
  wnd.ScrollToTab(0);
  EXPECT_EQ(strip->m_nScrollOffset, 0);
  while (wnd.GetTabCount() > 0) wnd.RemoveTab(0);
  for (auto& pane : panes) pane->setParent(nullptr);
}

// A dialog-like parent: a button before the tab window, the window (a
// keyboard stop) with two panes of two edits each, a button after it.
struct KeyboardDialog {
  struct Wnd : SEC3DTabWnd {
    using SEC3DTabWnd::SEC3DTabWnd;
    std::intptr_t answer = 0;
    std::vector<unsigned> asked;
    std::intptr_t OnCtrlNavigationKey(unsigned vkey, bool) override {
      asked.push_back(vkey);
      return answer;
    }
  };
  QWidget top;
  QWidget* before = new QWidget(&top);
  Wnd* wnd = new Wnd(&top, 0x10 | kTabWndTabStop);
  QWidget* after = new QWidget(&top);
  QWidget pane[2];
  QWidget* edits[2][2];
  KeyboardDialog() {
    for (QWidget* w : {before, after}) w->setFocusPolicy(Qt::StrongFocus);
    for (int p = 0; p < 2; ++p) {
      for (auto*& e : edits[p]) {
        e = new QWidget(&pane[p]);
        e->setFocusPolicy(Qt::StrongFocus);
      }
      wnd->AddTab(&pane[p], p ? "Two" : "One");
    }
    wnd->setGeometry(0, 20, 300, 200);
    top.resize(300, 260);
    top.show();
    QApplication::setActiveWindow(&top);
    wnd->ActivateTab(0);
    QApplication::processEvents();
  }
  int Active() const {
    int a = -1;
    wnd->GetActiveTab(&a);
    return a;
  }
  bool Key(QWidget* focus, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    focus->setFocus();
    return wnd->PreTranslateKey(focus, key, mods);
  }
};

TEST(TabWnd3D, KeyboardStopMovesBetweenStripPaneAndNeighbours) {
  App();
  KeyboardDialog d;
  QWidget* strip = d.wnd->TabWidget();
  // The strip steps with arrows and Ctrl+(Shift+)Tab, and keeps the key.
  EXPECT_TRUE(d.Key(strip, Qt::Key_Right));
  EXPECT_EQ(d.Active(), 1);
  EXPECT_TRUE(d.Key(strip, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier));
  EXPECT_EQ(d.Active(), 0);
  EXPECT_EQ(d.wnd->asked, (std::vector<unsigned>{vk::Tab}));
  // Tab from the strip enters the pane; inside it walks the pane's stops;
  // from the last one it leaves for the window's next sibling.
  struct Row {
    const char* name;
    QWidget* from;
    int key;
    QWidget* to;
  } rows[] = {
      {"strip to pane", strip, Qt::Key_Tab, d.edits[0][0]},
      {"inside the pane", d.edits[0][0], Qt::Key_Tab, d.edits[0][1]},
      {"out to the next sibling", d.edits[0][1], Qt::Key_Tab, d.after},
      {"back inside the pane", d.edits[0][1], Qt::Key_Backtab, d.edits[0][0]},
      {"first control back to the strip", d.edits[0][0], Qt::Key_Backtab, strip},
      {"strip back to the previous sibling", strip, Qt::Key_Backtab, d.before},
  };
  for (const Row& r : rows) {
    EXPECT_TRUE(d.Key(r.from, r.key)) << r.name;
    EXPECT_EQ(QApplication::focusWidget(), r.to) << r.name;
  }
  // Other keys go on to the focused control.
  EXPECT_FALSE(d.Key(d.edits[0][0], Qt::Key_A));
}

TEST(TabWnd3D, CtrlKeysAskTheWindowFirst) {
  App();
  KeyboardDialog d;
  d.wnd->answer = 1;  // the answer consumes the key: the strip does not step
  EXPECT_TRUE(d.Key(d.wnd->TabWidget(), Qt::Key_Tab, Qt::ControlModifier));
  EXPECT_EQ(d.Active(), 0);
  EXPECT_TRUE(d.Key(d.edits[0][0], Qt::Key_PageDown, Qt::ControlModifier));
  EXPECT_EQ(d.wnd->asked, (std::vector<unsigned>{vk::Tab, vk::Next}));

  // Without the tab-stop style the window handles no keys at all.
  SEC3DTabWnd plain(nullptr, 0x10);
  QWidget pane;
  plain.AddTab(&pane, "One");
  plain.ActivateTab(0);
  EXPECT_FALSE(plain.PreTranslateKey(plain.TabWidget(), Qt::Key_Right, Qt::NoModifier));
  EXPECT_FALSE(plain.PreTranslateKey(&pane, Qt::Key_Tab, Qt::NoModifier));
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
              {"empty range", 5, 5, 5, "0 %", 0},
              {"whole int range, middle", INT32_MIN, INT32_MAX, 0, "50 %", 100},
              {"whole int range, end", INT32_MIN, INT32_MAX, INT32_MAX, "100 %", 200}};
  for (const Row& r : rows) {
    bar.SetRange(r.lower, r.upper);
    bar.SetPos(r.pos);
    Rect filled, empty;
    bar.CalcBarRects(bar.GetPercent(), &filled, &empty);
    EXPECT_EQ(bar.BarText(bar.GetPercent()).toStdString(), r.text) << r.name;
    EXPECT_EQ(filled.Width(), r.filled) << r.name;
    EXPECT_EQ(filled.Width() + empty.Width(), 200) << r.name;
  }
  bar.SetRange(0, INT32_MAX);
  bar.SetPos(INT32_MAX - 5);
  bar.StepIt();
  EXPECT_EQ(bar.GetPos(), INT32_MAX);  // no wrap to a negative position
  bar.SetRange(0, 100);
  bar.SetPos(100);
  EXPECT_FALSE(bar.SetTimerSpeed(10));
  bar.SetPos(0);
  EXPECT_TRUE(bar.SetTimerSpeed(10));
  EXPECT_TRUE(bar.TimerRunning());
}


// A change of the system colours reaches each control either as Qt's
// application-wide palette event or as the explicit call; afterwards it
// paints with the new colours and the XP palette is rebuilt from them.
TEST(SysColorChange, ControlsRepaintWithTheNewColours) {
  App();
  struct Row {
    const char* name;
    std::function<std::unique_ptr<QWidget>()> make;
    std::function<QPoint(QWidget&)> probe;
    SysColor changed;
    bool explicitCall;
  };
  auto strip = [](QWidget* w) {
    auto* t = dynamic_cast<SECTabControlBase*>(w);
    t->AddTab("One", nullptr);
    t->AddTab("Two", nullptr);
    t->ActivateTab(0);
  };
  const Row rows[] = {
      {"flat strip background", [&] {
         auto w = std::make_unique<SECTabControl>(nullptr, 0x2);
         w->resize(300, 18);
         strip(w.get());
         return std::unique_ptr<QWidget>(std::move(w));
       },
       [](QWidget& w) { return QPoint(w.width() - 3, w.height() / 2); }, SysColor::BtnFace, false},
      {"3-D strip outer light line", [&] {
         auto w = std::make_unique<SEC3DTabControl>(nullptr, 0x10);
         w->resize(300, 30);
         strip(w.get());
         return std::unique_ptr<QWidget>(std::move(w));
       },
       [](QWidget& w) { return QPoint(w.width() - 2, 0); }, SysColor::BtnHighlight, true},
      {"3-D tab window frame", [] {
         auto w = std::make_unique<SEC3DTabWnd>(nullptr, 0x10);
         w->resize(300, 200);
         return std::unique_ptr<QWidget>(std::move(w));
       },
       [](QWidget& w) {
         const Rect i = static_cast<SEC3DTabWnd&>(w).GetInsideRect();
         return QPoint(i.left - 4, i.top + 10);
       },
       SysColor::BtnHighlight, false},
      {"progress control", [] { return std::unique_ptr<QWidget>(std::make_unique<SECProgressCtrl>()); }, nullptr,
       SysColor::BtnFace, true},
  };
  const Color fresh = MakeRgb(10, 200, 30);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SysColors().ResetToClassic();
    TheSysColorRecord().LoadSysColors();
    std::unique_ptr<QWidget> w = row.make();
    w->grab();
    SysColors().Set(row.changed, fresh);
    if (row.explicitCall) {
      if (auto* p = dynamic_cast<SECProgressCtrl*>(w.get())) p->OnSysColorChange();
      if (auto* t = dynamic_cast<SEC3DTabControl*>(w.get())) t->OnSysColorChange();
    } else {
      QEvent change(QEvent::ApplicationPaletteChange);
      QApplication::sendEvent(w.get(), &change);
    }
    if (row.probe) {
      const QImage shot = w->grab().toImage();
      const QPoint at = row.probe(*w);
      EXPECT_EQ(shot.pixel(at) & 0xFFFFFFu, fresh) << at.x() << "," << at.y();
    }
    EXPECT_EQ(TheSysColorRecord().btnFace, GetSysColor(SysColor::BtnFace));
    EXPECT_EQ(SECGetXPColor(28), GetSysColor(SysColor::BtnFace));
  }
  SysColors().ResetToClassic();
  TheSysColorRecord().LoadSysColors();
}

// The right button closes an open tip and still reaches the owner, which
// may open its context menu; the left button keeps activating tabs.
TEST(Tab3DStrip, RightButtonClosesTheTipAndGoesOnToTheOwner) {
  App();
  struct Owner : QWidget {
    std::vector<Qt::MouseButton> presses;
    void mousePressEvent(QMouseEvent* e) override { presses.push_back(e->button()); }
  } owner;
  owner.resize(300, 60);
  auto* strip = new SEC3DTabControl(&owner, 0x10);
  strip->setGeometry(0, 0, 300, 30);
  strip->AddTab("One", nullptr);
  strip->AddTab("Two", nullptr);
  strip->ActivateTab(0);
  owner.show();
  auto press = [&](Qt::MouseButton button, QPoint at) {
    QMouseEvent down(QEvent::MouseButtonPress, at, strip->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(strip, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, strip->mapToGlobal(at), button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &up);
  };
  const Rect second = strip->GetTabRect(1);
  const QPoint onSecond((second.left + second.right) / 2, (second.top + second.bottom) / 2);

  QToolTip::showText(strip->mapToGlobal(onSecond), "Two", strip);
  ASSERT_TRUE(QToolTip::isVisible());
  press(Qt::RightButton, onSecond);
  EXPECT_FALSE(QToolTip::isVisible());
  EXPECT_EQ(owner.presses, std::vector<Qt::MouseButton>{Qt::RightButton});
  int active = -1;
  EXPECT_TRUE(strip->GetActiveTab(&active));
  EXPECT_EQ(active, 0) << "the right button activates nothing";

  press(Qt::LeftButton, onSecond);
  EXPECT_TRUE(strip->GetActiveTab(&active));
  EXPECT_EQ(active, 1);
  EXPECT_EQ(owner.presses.size(), 1u) << "the left press is the strip's own";
}

}  // namespace
}  // namespace pm2
