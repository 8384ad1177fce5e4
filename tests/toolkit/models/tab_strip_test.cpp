#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/core/notify.h"
#include "toolkit/models/tab_layout.h"

namespace pm2 {
namespace {

struct Message {
  unsigned msg;
  std::intptr_t wParam;
  int newTab = -2;
  int oldTab = -2;
  void* newClient = nullptr;
  void* oldClient = nullptr;
};

struct TabRecorder : TabListener {
  std::vector<Message> got;
  std::intptr_t OnTabMessage(unsigned message, std::intptr_t wParam, TabActivateInfo* info) override {
    Message m{message, wParam};
    if (info) {
      m.newTab = info->nNewTab;
      m.oldTab = info->nOldTab;
      m.newClient = info->pNewClient;
      m.oldClient = info->pOldClient;
    }
    got.push_back(m);
    return 0;
  }
};

int clients[6];

// A flat strip with four tabs whose clients are &clients[i].
struct FlatStrip {
  TabRecorder rec;
  FixedTextMeasurer measure;  // 6 px a character, bold 7
  SECTabControlModel strip{&measure, kTabStripId, &rec};
  explicit FlatStrip(int count = 4, std::uint32_t style = 0x2, int width = 400) {
    strip.Initialize(style);
    for (int i = 0; i < count; ++i) strip.AddTab("Tab" + std::to_string(i), &clients[i]);
    strip.SetClientRect({0, 0, width, 18});
  }
};

TEST(TabModel, DeletingKeepsTheActiveTabValid) {
  struct Row {
    const char* name;
    int active;
    int deleted;
    int expectActive;    // -1: none active
    void* expectClient;  // client of the active tab afterwards
    std::size_t messages;
  } rows[] = {
      {"before the active last tab", 3, 1, 2, &clients[3], 1},
      {"before the active middle tab", 2, 0, 1, &clients[2], 1},
      {"after the active tab", 1, 3, 1, &clients[1], 0},
      {"the active last tab", 3, 3, 2, &clients[2], 1},
      {"the active middle tab", 1, 1, 1, &clients[2], 1},
  };
  for (const Row& r : rows) {
    FlatStrip f;
    f.strip.ActivateTab(r.active);
    f.rec.got.clear();
    f.strip.DeleteTab(r.deleted);
    int active = -1;
    ASSERT_EQ(f.strip.GetActiveTab(&active), r.expectActive >= 0) << r.name;
    EXPECT_EQ(active, r.expectActive) << r.name;
    EXPECT_EQ(f.strip.GetTab(active).m_pClient, r.expectClient) << r.name;
    EXPECT_TRUE(f.strip.GetTab(active).m_bSelected) << r.name;
    int selected = 0;
    for (int i = 0; i < f.strip.GetTabCount(); ++i) selected += f.strip.GetTab(i).m_bSelected;
    EXPECT_EQ(selected, 1) << r.name;
    ASSERT_EQ(f.rec.got.size(), r.messages) << r.name;
    if (r.messages) {
      EXPECT_EQ(f.rec.got[0].msg, WM_TABCTRL_ACTIVATE) << r.name;
      EXPECT_EQ(f.rec.got[0].wParam, r.expectActive) << r.name;
      EXPECT_EQ(f.rec.got[0].newClient, r.expectClient) << r.name;
      EXPECT_TRUE(f.rec.got[0].oldTab < f.strip.GetTabCount()) << r.name;
    }
  }
}

TEST(TabModel, ActivationSelectionAndTheOnlyTab) {
  FlatStrip f(1);
  f.strip.ActivateTab(0);
  ASSERT_EQ(f.rec.got.size(), 1u);
  EXPECT_EQ(f.rec.got[0].oldTab, -1);
  EXPECT_EQ(f.rec.got[0].oldClient, nullptr);
  f.strip.ActivateTab(0);  // already active: nothing sent
  EXPECT_EQ(f.rec.got.size(), 1u);
  f.strip.DeleteTab(0);
  int active = 7;
  EXPECT_FALSE(f.strip.GetActiveTab(&active));
  EXPECT_EQ(f.rec.got.size(), 1u);

  FlatStrip g;
  g.strip.ActivateTab(1);
  g.strip.SelectTab(3);
  ASSERT_EQ(g.rec.got.size(), 2u);
  EXPECT_EQ(g.rec.got[1].wParam, 1);  // the active index, not the selected one
  EXPECT_EQ(g.rec.got[1].newTab, 3);
  g.strip.ClearSelection();
  EXPECT_EQ(g.rec.got.back().msg, WM_TABCTRL_SELCLEARED);
  EXPECT_FALSE(g.strip.GetActiveTab(&active));
  EXPECT_EQ(active, 1);  // stale, as callers expect
}

TEST(FlatTabs, GeometryAndScrollButtons) {
  FlatStrip f;  // four buttons of 18 px (a classic scroll bar + 1): tabs start at 72
  const Rect tabs = f.strip.GetTabsRect();
  EXPECT_EQ(tabs.left, 72);
  // "Tab0" is 4 bold characters: 28 + 20 = 48 wide; neighbours overlap by 5.
  EXPECT_EQ(f.strip.GetTab(0).m_nWidth, 48);
  EXPECT_EQ(f.strip.TabLeft(1), 72 + 48 - 5);
  const auto region = f.strip.TabRegion(1);
  EXPECT_EQ(region[1], (Point{115 + 6, 18}));
  EXPECT_EQ(region[3], (Point{115 + 48, 0}));
  EXPECT_EQ(f.strip.GetButtonRect(kTabButtonNext), (Rect{36, 0, 54, 18}));
  // All tabs fit: every button disabled.
  EXPECT_EQ(f.strip.m_nDisabledButtons, 15u);
  EXPECT_FALSE(f.strip.PressScrollButton(kTabButtonNext));

  // Narrow: forward buttons enabled, backward disabled.
  f.strip.SetClientRect({0, 0, 150, 18});
  EXPECT_EQ(f.strip.m_nDisabledButtons, kTabButtonFirst | kTabButtonPrev);
  EXPECT_TRUE(f.strip.PressScrollButton(kTabButtonNext));
  EXPECT_EQ(f.strip.m_nScrollOffset, -10);
  EXPECT_EQ(f.strip.m_nDisabledButtons, 0u);
  // Repeating never scrolls past the last tab's right edge.
  while (f.strip.RepeatScrollButton(kTabButtonNext)) {
  }
  const int last = f.strip.GetTabCount() - 1;
  EXPECT_EQ(f.strip.TabLeft(last) + f.strip.GetTab(last).m_nWidth, 150);
  EXPECT_EQ(f.strip.m_nDisabledButtons, kTabButtonNext | kTabButtonLast);
  EXPECT_TRUE(f.strip.PressScrollButton(kTabButtonFirst));
  EXPECT_EQ(f.strip.m_nScrollOffset, 0);
  EXPECT_TRUE(f.strip.PressScrollButton(kTabButtonLast));
  EXPECT_EQ(f.strip.TabLeft(last) + f.strip.GetTab(last).m_nWidth, 150);

  // Activating a hidden tab scrolls it into view with the margin; the last
  // tab has no room for one.
  f.strip.PressScrollButton(kTabButtonFirst);
  f.strip.ActivateTab(2);
  EXPECT_EQ(f.strip.TabLeft(2) + f.strip.GetTab(2).m_nWidth, 150 - 20);
  f.strip.ActivateTab(last);
  EXPECT_EQ(f.strip.TabLeft(last) + f.strip.GetTab(last).m_nWidth, 150);

  FlatStrip empty(0);
  EXPECT_EQ(empty.strip.m_nDisabledButtons, 15u);
}

TEST(FlatTabs, MouseActivationAndMultiSelection) {
  FlatStrip f;
  auto centre = [&](int i) { return Point{f.strip.TabLeft(i) + f.strip.GetTab(i).m_nWidth / 2, 8}; };
  f.strip.OnLButtonDown(centre(2), false, false);
  int active = -1;
  ASSERT_TRUE(f.strip.GetActiveTab(&active));
  EXPECT_EQ(active, 2);
  f.rec.got.clear();
  f.strip.OnLButtonDown(centre(2), false, false);
  ASSERT_EQ(f.rec.got.size(), 1u);
  EXPECT_EQ(f.rec.got[0].msg, WM_TABCTRL_ACTIVECLICK);

  // The overlap belongs to the earlier tab; the slanted corner to neither.
  const int edge = f.strip.TabLeft(1);
  EXPECT_EQ(f.strip.HitTab({edge + 2, 1}), 0);
  EXPECT_EQ(f.strip.HitTab({f.strip.TabLeft(3) + 1, 16}), -1);

  f.strip.OnLButtonDown(centre(0), false, true);  // shift: range 0..2
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f.strip.GetTab(i).m_bSelected, i <= 2) << i;
  ASSERT_TRUE(f.strip.GetActiveTab(&active));
  EXPECT_EQ(active, 0);

  f.rec.got.clear();
  f.strip.OnLButtonDown(centre(0), true, false);  // ctrl on the active tab
  EXPECT_FALSE(f.strip.GetActiveTab(&active));
  EXPECT_FALSE(f.strip.GetTab(0).m_bSelected);
  EXPECT_TRUE(f.rec.got.empty());

  f.strip.OnLButtonDblClk({f.strip.TabLeft(3) + f.strip.GetTab(3).m_nWidth + 30, 8});
  EXPECT_TRUE(f.rec.got.empty());
  f.strip.OnLButtonDblClk(centre(3));
  ASSERT_EQ(f.rec.got.size(), 1u);
  EXPECT_EQ(f.rec.got[0].msg, WM_TABCTRL_DBLCLK);
  EXPECT_EQ(f.rec.got[0].wParam, 3);

  // Renaming to a longer label moves later tabs right.
  const int before = f.strip.TabLeft(3);
  f.strip.RenameTab(1, "A much longer label");
  EXPECT_GT(f.strip.TabLeft(3), before);
}

// ---------------------------------------------------------------- 3-D strip

struct Strip3D {
  TabRecorder rec;
  FixedTextMeasurer measure;
  SEC3DTabControlModel strip{&measure, kTabStripId, &rec};
  Strip3D(std::uint32_t style, Rect client, std::vector<std::string> labels = {"One", "Two", "Three"}) {
    strip.Initialize(style);
    strip.SetClientRect(client);
    for (std::size_t i = 0; i < labels.size(); ++i) strip.AddTab(labels[i], &clients[i]);
  }
};

TEST(Tabs3D, FourOrientations) {
  // Three labels of 3, 3 and 5 characters at 6 px: 30, 30 and 42 along.
  struct Row {
    const char* name;
    std::uint32_t style;
    Rect client;
    Rect first, second, activeSecond;
  } rows[] = {
      {"bottom", tab3d::kBottom, {0, 0, 300, 30}, {7, 2, 37, 24}, {37, 2, 67, 24}, {34, 2, 70, 27}},
      {"top", tab3d::kTop, {0, 0, 300, 30}, {7, 5, 37, 27}, {37, 5, 67, 27}, {34, 2, 70, 27}},
      {"left", tab3d::kLeft, {0, 0, 30, 300}, {5, 7, 27, 37}, {5, 37, 27, 67}, {2, 34, 27, 70}},
      {"right", tab3d::kRight, {0, 0, 30, 300}, {2, 7, 24, 37}, {2, 37, 24, 67}, {2, 34, 27, 70}},
      {"no orientation is right", 0, {0, 0, 30, 300}, {2, 7, 24, 37}, {2, 37, 24, 67}, {2, 34, 27, 70}},
  };
  for (const Row& r : rows) {
    Strip3D s(r.style, r.client);
    EXPECT_EQ(s.strip.GetTabRect(0), r.first) << r.name;
    EXPECT_EQ(s.strip.GetTabRect(1), r.second) << r.name;
    s.strip.ActivateTab(1);
    EXPECT_EQ(s.strip.GetTabRect(1), r.activeSecond) << r.name;
    // Flat look: the active tab is not enlarged.
    s.strip.ModifyStyle(0, tab3d::kFlat);
    s.strip.RecalcLayout();
    EXPECT_EQ(s.strip.GetTabRect(1), r.second) << r.name;
  }
}

TEST(Tabs3D, LabelShorteningIsBoundedAndReversible) {
  Strip3D s(tab3d::kBottom, {0, 0, 400, 30}, {"Registers", "Peripherals", "Books"});
  EXPECT_EQ(s.strip.Tab3D(1).m_strLabel, "Peripherals");
  s.strip.SetClientRect({0, 0, 120, 30});
  bool anyTruncated = false;
  for (int i = 0; i < 3; ++i) {
    const SEC3DTab& t = s.strip.Tab3D(i);
    anyTruncated |= t.m_bTruncated;
    if (t.m_bTruncated && s.strip.m_bShowLabels) {
      EXPECT_NE(t.m_strLabel.find("..."), std::string::npos) << i;
    }
  }
  EXPECT_TRUE(anyTruncated);
  EXPECT_LE(s.strip.MeasuredLength(false) + 12, 120);
  EXPECT_EQ(s.strip.ToolTipTab({s.strip.GetTabRect(1).left + 2, 10}), 1);
  std::string full;
  s.strip.GetTabInfo(1, &full, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(full, "Peripherals");
  s.strip.SetClientRect({0, 0, 400, 30});
  EXPECT_EQ(s.strip.Tab3D(1).m_strLabel, "Peripherals");
  EXPECT_FALSE(s.strip.Tab3D(1).m_bTruncated);

  // Every width from nothing to roomy must finish (some label sets made the
  // shortening cycle through its dots for ever) and never grow a label.
  const std::vector<std::vector<std::string>> sets = {
      {"abcdefghijklmnop", "abc"}, {"ab", "abcdefgh", "x"}, {"...", "....", "abcdef"}, {"", "abcdefghij"}};
  for (const auto& labels : sets) {
    for (int width = 0; width <= 160; width += 3) {
      Strip3D t(tab3d::kBottom, {0, 0, width, 30}, labels);
      for (int i = 0; i < t.strip.GetTabCount(); ++i)
        EXPECT_LE(t.strip.Tab3D(i).m_strLabel.size(), t.strip.Tab3D(i).m_strFullLabel.size() + 3)
            << labels[0] << " at " << width;
    }
  }

  // Icons but no room for labels: icons only, 25 px, each with a tip.
  Strip3D icons(tab3d::kBottom, {0, 0, 70, 30});
  for (int i = 0; i < 3; ++i) icons.strip.SetTabIcon(i, &clients[i]);
  EXPECT_FALSE(icons.strip.m_bShowLabels);
  EXPECT_EQ(icons.strip.GetTabRect(0).Width(), 25);
  EXPECT_EQ(icons.strip.ToolTipTab({icons.strip.GetTabRect(2).left + 1, 10}), 2);
}

TEST(Tabs3D, KeyboardMouseAndDrag) {
  Strip3D s(tab3d::kBottom | tab3d::kDrag, {0, 0, 300, 30}, {"A", "B", "C", "D"});
  s.strip.ActivateTab(0);
  s.strip.EnableTab(1, false);
  EXPECT_TRUE(s.strip.OnKeyDown(vk::Right));  // skips the disabled tab
  int active = -1;
  s.strip.GetActiveTab(&active);
  EXPECT_EQ(active, 2);
  EXPECT_TRUE(s.strip.OnKeyDown(vk::Down));
  EXPECT_FALSE(s.strip.OnKeyDown(vk::Right));  // stops at the end
  s.strip.GetActiveTab(&active);
  EXPECT_EQ(active, 3);
  EXPECT_TRUE(s.strip.OnKeyDown(vk::Left));
  s.strip.GetActiveTab(&active);
  EXPECT_EQ(active, 2);

  // A click on a disabled tab does nothing.
  s.rec.got.clear();
  const Rect disabled = s.strip.GetTabRect(1);
  s.strip.OnLButtonDown({disabled.left + 3, disabled.top + 3});
  EXPECT_TRUE(s.rec.got.empty());
  s.strip.OnLButtonDown({s.strip.GetTabRect(0).left + 3, 10});
  s.strip.GetActiveTab(&active);
  EXPECT_EQ(active, 0);

  // Dragging the active tab into the near part of a later tab moves it
  // there; inside itself or past that part it stays.
  s.strip.EnableTab(1, true);
  const Rect target = s.strip.GetTabRect(2);
  EXPECT_FALSE(s.strip.DragTo({s.strip.GetTabRect(0).left + 2, 10}));
  EXPECT_FALSE(s.strip.DragTo({target.right - 2, 10}));
  EXPECT_TRUE(s.strip.DragTo({target.left + 1, 10}));
  s.strip.GetActiveTab(&active);
  EXPECT_EQ(active, 2);
  EXPECT_EQ(s.strip.GetTab(2).m_pClient, &clients[0]);
  EXPECT_EQ(s.strip.GetTab(0).m_pClient, &clients[1]);
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(Tabs3D, ContentGeometryPerEdge) {
  // One inactive tab "One" (18 px of text) with an icon; tab 1 is active so
  // tab 0 keeps its laid-out size. Icon and text offsets run along the tab,
  // from the bottom end on the left edge; the body loses a column on the
  // bottom edge and two rows on the right edge.
  struct Row {
    const char* name;
    std::uint32_t style;
    Rect client;
    Rect body, icon, text, focus;
    int angle;
  } rows[] = {
      {"bottom", tab3d::kBottom, {0, 0, 300, 30},
       {7, 2, 55, 24}, {13, 5, 29, 21}, {32, 2, 55, 24}, {9, 3, 52, 22}, 0},
      {"top", tab3d::kTop, {0, 0, 300, 30},
       {7, 5, 56, 27}, {13, 8, 29, 24}, {32, 5, 56, 27}, {9, 7, 53, 26}, 0},
      {"left", tab3d::kLeft, {0, 0, 30, 300},
       {5, 7, 27, 56}, {8, 34, 24, 50}, {5, 7, 27, 31}, {7, 9, 26, 53}, 90},
      {"right", tab3d::kRight, {0, 0, 30, 300},
       {2, 7, 24, 54}, {5, 13, 21, 29}, {2, 32, 24, 54}, {3, 9, 22, 51}, -90},
  };
  for (const Row& r : rows) {
    Strip3D s(r.style, r.client);
    s.strip.SetTabIcon(0, &clients[0]);
    s.strip.ActivateTab(1);
    const Tab3DGeometry g = s.strip.TabGeometry(0);
    EXPECT_EQ(g.hit, s.strip.GetTabRect(0)) << r.name;
    EXPECT_EQ(g.body, r.body) << r.name;
    EXPECT_EQ(g.icon, r.icon) << r.name;
    EXPECT_EQ(g.text, r.text) << r.name;
    EXPECT_EQ(g.focus, r.focus) << r.name;
    EXPECT_EQ(g.textAngle, r.angle) << r.name;
    // Hit tests read the same rectangle the tab is painted in.
    EXPECT_EQ(s.strip.TabAt({g.hit.left, g.hit.top}, false), 0) << r.name;
    EXPECT_NE(s.strip.TabAt({g.hit.right, g.hit.bottom - 1}, false), 0) << r.name;
  }
  // Without labels there is no text run.
  Strip3D narrow(tab3d::kBottom, {0, 0, 20, 30});
  EXPECT_TRUE(narrow.strip.TabGeometry(0).text.IsEmpty());
  EXPECT_EQ(narrow.strip.TabGeometry(7).hit, Rect{});
}

}  // namespace
}  // namespace pm2
