#include "toolkit/filters/mdi_max_child.h"

#include <gtest/gtest.h>

#include "fake_filter_window.h"

namespace pm2 {
namespace {

constexpr std::uint32_t kChildStyle =
    WS_CAPTION_BITS | WS_SYSMENU_BIT | WS_THICKFRAME_BIT | WS_MINIMIZEBOX_BIT | WS_MAXIMIZEBOX_BIT;

// A frame with one MDI child that the test maximises or not; the child may
// carry its own filters (a dockable view floating in it).
struct Frame : MaxChildSource {
  Frame() {
    place.size = {300, 200};
    place.origin = {0, 0};
    child.style = kChildStyle;
    child.zoomed = true;
    root.ApplyDescriptors(MdiFrameDescriptors(nullptr, this), true);
  }
  FilterWindow* MaximisedChild() const override { return maximised ? const_cast<FakeFilterWindow*>(&child) : nullptr; }
  SECMsgFilter* ChildFilters(FilterWindow*) const override { return childFilters; }

  SECCaptionControlListMsgFilter* List() {
    return dynamic_cast<SECCaptionControlListMsgFilter*>(root.FindFilter(256, nullptr, 0));
  }
  // "kind:left,top" of every shown button, right to left.
  std::vector<std::string> Shown() {
    List()->LayoutControls();
    std::vector<std::string> out;
    for (const auto& c : List()->Children()) {
      auto* ctl = dynamic_cast<SECCaptionControlMsgFilter*>(c.get());
      if (!ctl || ctl->ButtonRect().IsEmpty()) continue;
      std::string s = (ctl->Type() == 3 ? std::string("menu") : std::to_string(ctl->Id())) + ":" + std::to_string(ctl->ButtonRect().left) + "," +
                      std::to_string(ctl->ButtonRect().top);
      if (ctl->State() & DFCS_INACTIVE_BIT) s += "*";
      out.push_back(s);
    }
    return out;
  }
  unsigned Press(int kind, unsigned hit = kHitMenu) {
    List()->LayoutControls();
    auto* ctl = dynamic_cast<SECCaptionControlMsgFilter*>(List()->FindFilter(kind, nullptr, 0));
    const Rect& r = ctl->ButtonRect();
    const Point at{r.left + 3, r.top + 3};
    unsigned res = root.Filter(FilterMessage{wm::NcLButtonDown, hit, 0, at}, nullptr);
    const Point client{at.x - place.ClientOrigin().x, at.y - place.ClientOrigin().y};
    res |= root.Filter(FilterMessage{wm::LButtonUp, 0, 0, client}, nullptr);
    return res;
  }

  FakeFilterWindow place, child;
  MaxChildFilterWindow wnd{&place, this};
  SECMsgFilter root{&wnd, -1};
  bool maximised = true;
  SECMsgFilter* childFilters = nullptr;
};

TEST(MdiMaxChild, ButtonsFollowTheMaximisedChild) {
  struct Row {
    const char* name;
    bool maximised;
    std::uint32_t style;
    bool closeDisabled;
    std::vector<std::string> expected;  // kind:left,top ("menu" for the placement button), right to left
  };
  // Menu-size buttons (16 by 14) from the right end, one caption height
  // below the frame's caption: the frame's menu row.
  const Row rows[] = {
      {"no maximised child", false, kChildStyle, false, {}},
      {"maximised child: close, restore, minimise", true, kChildStyle, false, {"0:278,25", "3:260,25", "1:244,25"}},
      {"close greyed with the child's close item", true, kChildStyle, true, {"0:278,25*", "3:260,25", "1:244,25"}},
      {"no minimise box: minimise greyed", true, kChildStyle & ~WS_MINIMIZEBOX_BIT, false,
       {"0:278,25", "3:260,25", "1:244,25*"}},
      {"no system menu: nothing", true, kChildStyle & ~WS_SYSMENU_BIT, false, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Frame f;
    f.maximised = row.maximised;
    f.child.style = row.style;
    f.child.closeDisabled = row.closeDisabled;
    EXPECT_EQ(f.Shown(), row.expected);
  }
}

TEST(MdiMaxChild, PressesOnTheMenuRowPostTheChildsCommands) {
  struct Row {
    const char* name;
    int kind;
    unsigned hit;
    bool closeDisabled;
    std::vector<unsigned> posted;  // system commands the child gets
  };
  const Row rows[] = {
      {"minimise", kCapMinimize, kHitMenu, false, {SC_MINIMIZE_CMD}},
      {"restore", kCapRestore, kHitMenu, false, {SC_RESTORE_CMD}},
      {"close", kCapClose, kHitMenu, false, {SC_CLOSE_CMD}},
      {"a press on a caption hit code works too", kCapClose, kHitCaption, false, {SC_CLOSE_CMD}},
      {"greyed close posts nothing", kCapClose, kHitMenu, true, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Frame f;
    f.child.closeDisabled = row.closeDisabled;
    const unsigned res = f.Press(row.kind, row.hit);
    EXPECT_TRUE(res & kFilterHandled);
    std::vector<unsigned> posted;
    for (const auto& m : f.child.posted) {
      EXPECT_EQ(m.msg, wm::SysCommand);
      posted.push_back(unsigned(m.w));
    }
    EXPECT_EQ(posted, row.posted);
    EXPECT_TRUE(f.place.posted.empty());
    EXPECT_FALSE(f.place.captured);  // the capture ended with the release
  }
}

TEST(MdiMaxChild, PlacementButtonAndDoubleClickNeedTheChildsOwnFilters) {
  struct Row {
    const char* name;
    bool childHasFilters, childFiltersOn;
    bool buttonShown;
    std::size_t sentOnDoubleClick;
  };
  const Row rows[] = {
      {"child without filters", false, false, false, 0},
      {"child's placement filters on", true, true, true, 1},
      {"child's placement filters off", true, false, false, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Frame f;
    SECMsgFilter childRoot(&f.child, -1);
    childRoot.ApplyDescriptors(DockableFrameDescriptors(nullptr), true);
    if (!row.childFiltersOn) {
      childRoot.FindFilter(258, nullptr, -1)->Enable(false);
      childRoot.FindFilter(259, nullptr, -1)->Enable(false);
    }
    if (row.childHasFilters) f.childFilters = &childRoot;
    std::vector<std::string> shown = f.Shown();
    const bool button = std::find_if(shown.begin(), shown.end(), [](const std::string& s) {
                          return s.rfind("menu:", 0) == 0;
                        }) != shown.end();
    EXPECT_EQ(button, row.buttonShown);
    f.root.Filter(FilterMessage{wm::NcRButtonDblClk, kHitMenu, 0, Point{10, 30}}, nullptr);
    EXPECT_EQ(f.child.sent.size(), row.sentOnDoubleClick);
    if (!f.child.sent.empty()) {
      EXPECT_EQ(f.child.sent[0].w, kScxExecute);
    }
  }
}

}  // namespace
}  // namespace pm2
