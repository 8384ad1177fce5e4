#include "toolkit/filters/syscommand_ex.h"

#include <gtest/gtest.h>

#include "fake_filter_window.h"

namespace pm2 {
namespace {

// A frame whose view moves between placements; records the calls.
class FakePlacements : public PlacementHost {
 public:
  bool Exists(FilterWindow* w) const override { return w && !gone; }
  int CurrentPlacement(FilterWindow*) const override { return current; }
  bool ToMdiChild(FilterWindow*, int show) override {
    calls.push_back("mdi " + std::to_string(show));
    current = show;
    return true;
  }
  bool ToDocked(FilterWindow*, int side, const DockParams& p) override {
    calls.push_back("dock " + std::to_string(side) + " " + std::to_string(p.pos1) + "/" + std::to_string(p.pos2) + " " +
                    std::to_string(p.length));
    current = side ? side : kPlaceLeft;
    return true;
  }
  bool ToFloating(FilterWindow*, const Point* pos, const Size* size) override {
    calls.push_back(std::string("float") + (pos ? " at" : "") + (size ? " sized" : ""));
    current = kPlaceFloating;
    return true;
  }
  int TrackMenu(const std::vector<PlacementMenuItem>& m, Point at, FilterWindow*) override {
    menu = m;
    menuAt = at;
    return choice;
  }
  int current = kPlaceLeft;
  bool gone = false;
  int choice = 0;
  std::vector<PlacementMenuItem> menu;
  Point menuAt;
  std::vector<std::string> calls;
};

TEST(SysCommandEx, CarryingOutPlacements) {
  struct Row {
    const char* name;
    int current;
    int command;
    unsigned flags;
    const char* call;
  };
  const Row rows[] = {
      {"default from docked goes to an MDI child", kPlaceLeft, kPlaceDefault, 0, "mdi 4"},
      {"default from floating goes to an MDI child", kPlaceFloating, kPlaceDefault, 0, "mdi 4"},
      {"default from an MDI child docks again", kPlaceMdiMax, kPlaceDefault, 0, "dock 0 0/0 150"},
      {"docked when docked does nothing", kPlaceTop, kPlaceDocked, 0, ""},
      {"docked from floating docks again", kPlaceFloating, kPlaceDocked, 0, "dock 0 0/0 150"},
      {"top uses its defaults", kPlaceFloating, kPlaceTop, 0, "dock 7 1/3 150"},
      {"right uses its defaults", kPlaceLeft, kPlaceRight, 0, "dock 8 0/4 150"},
      {"MDI child maximised", kPlaceLeft, kPlaceMdiMax, 0, "mdi 3"},
      {"floating with position and size", kPlaceLeft, kPlaceFloating, 3, "float at sized"},
      {"floating as it was", kPlaceLeft, kPlaceFloating, 0, "float"},
  };
  for (const Row& r : rows) {
    FakeFilterWindow w;
    FakePlacements host;
    host.current = r.current;
    ScxMsgFilter f(&host, &w, 257);
    SysCommandExRecord rec;
    rec.window = &w;
    rec.command = r.command;
    rec.flags = r.flags;
    std::intptr_t result = 0;
    const unsigned got =
        f.Filter(FilterMessage{SysCommandExMessage(), kScxExecute | 0x3, reinterpret_cast<std::intptr_t>(&rec), {}}, &result);
    EXPECT_EQ(got, 15u) << r.name;
    EXPECT_EQ(result, 1) << r.name;
    EXPECT_EQ(host.calls.empty() ? std::string() : host.calls[0], r.call) << r.name;
  }
}

TEST(SysCommandEx, MenuChecksTheCurrentPlacementAndRunsTheChoice) {
  FakeFilterWindow w;
  FakePlacements host;
  host.current = kPlaceLeft;
  host.choice = kPlaceBottom;
  ScxMsgFilter f(&host, &w, 257);
  SysCommandExRecord rec;
  rec.window = &w;
  rec.x = 40;
  rec.y = 70;
  EXPECT_EQ(f.Handle(kScxShowMenu, &rec), 15u);
  ASSERT_EQ(host.menu.size(), 6u);
  EXPECT_TRUE(host.menu[0].checked);    // docked
  EXPECT_FALSE(host.menu[1].checked);   // floating
  EXPECT_FALSE(host.menu[2].checked);   // MDI child
  EXPECT_EQ(host.menu[3].textId, 0u);   // separator
  EXPECT_EQ(host.menu[4].textId, 21082u);
  std::vector<bool> dockTo;
  for (const auto& i : host.menu[4].children) dockTo.push_back(i.checked);
  EXPECT_EQ(dockTo, (std::vector<bool>{false, true, false, false}));  // top, left, bottom, right
  EXPECT_EQ(host.menuAt.x, 40);
  EXPECT_EQ(host.calls, std::vector<std::string>{"dock 9 0/4 150"});
  EXPECT_EQ(rec.window, nullptr);
}

TEST(SysCommandEx, GoneWindowDoesNothing) {
  FakeFilterWindow w;
  FakePlacements host;
  host.gone = true;
  ScxMsgFilter f(&host, &w, 257);
  SysCommandExRecord rec;
  rec.window = &w;
  EXPECT_EQ(f.Handle(kScxExecute, &rec), 0u);
  EXPECT_TRUE(host.calls.empty());
}

// The dockable frame's table on a window: a right double click on the
// caption and a click on the extra button both reach ScxMsgFilter.
TEST(SysCommandEx, DockableFrameFiltersSendTheCommand) {
  FakeFilterWindow w;
  w.exStyle = WS_EX_TOOLWINDOW_BIT;
  FakePlacements host;
  SECMsgFilter root(&w, -1);
  root.ApplyDescriptors(DockableFrameDescriptors(&host), true);
  w.onSend = [&](unsigned msg, std::uintptr_t wp, std::intptr_t lp) -> std::intptr_t {
    std::intptr_t r = 0;
    root.Filter(FilterMessage{msg, wp, lp, {}}, &r);
    return r;
  };
  EXPECT_EQ(root.Filter(FilterMessage{wm::NcRButtonDblClk, std::uintptr_t(kHitCaption), 0, {}}, nullptr) & 8u, 8u);
  EXPECT_EQ(host.calls, std::vector<std::string>{"mdi 4"});
  // The extra button sits left of close: tool-window buttons are 10 wide.
  auto* button = static_cast<SECCaptionControlMsgFilter*>(root.FindFilter(258, nullptr, -1));
  ASSERT_NE(button, nullptr);
  root.Filter(FilterMessage{wm::NcPaint, 0, 0, {}}, nullptr);
  EXPECT_EQ(button->ButtonRect(), (Rect{272, 6, 282, 17}));
  const Point on{100 + 276, 50 + 10};
  EXPECT_EQ(root.Filter(FilterMessage{wm::NcLButtonDown, std::uintptr_t(kHitCaption), 0, on}, nullptr), 15u);
  root.Filter(FilterMessage{wm::LButtonUp, 0, 0, Point{on.x - 104, on.y - 73}}, nullptr);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"mdi 4", "dock 0 0/0 150"}));
  // Switched off, the caption list keeps running (flag bit 0), the rest stop.
  root.ApplyDescriptors(DockableFrameDescriptors(&host), false);
  EXPECT_TRUE(root.FindFilter(256, nullptr, 0)->IsEnabled());
  EXPECT_FALSE(root.FindFilter(259, nullptr, 0)->IsEnabled());
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// The state a button paints with: a caption button adds its kind, a
// placement button keeps its own state whatever id its table gives it
// (258 would otherwise read as the greyed bit).
TEST(SysCommandEx, ButtonStateByTypeNotByTableId) {
  struct Row {
    const char* name;
    bool placement;
    int id;
    unsigned state;
  };
  const Row rows[] = {
      {"close caption button", false, kCapClose, 0},
      {"restore caption button", false, kCapRestore, 3},
      {"placement button with its default id", true, 5120, 2},
      {"placement button with table id 258", true, 258, 2},
      {"maximised child's placement button, id 260", true, 260, 2},
  };
  FakeFilterWindow w;
  for (const Row& r : rows) {
    std::unique_ptr<SECCaptionControlMsgFilter> f;
    if (r.placement) f = std::make_unique<ScxButtonMsgFilter>(&w);
    else f = std::make_unique<SECCaptionControlMsgFilter>(&w);
    f->SetId(r.id);
    EXPECT_EQ(f->State(), r.state) << r.name;
    EXPECT_FALSE(f->State() & DFCS_INACTIVE_BIT) << r.name;
  }
}

}  // namespace
}  // namespace pm2
