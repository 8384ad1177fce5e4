#include "toolkit/filters/caption_controls.h"

#include <gtest/gtest.h>

#include "fake_filter_window.h"

namespace pm2 {
namespace {

constexpr std::uint32_t kBoxes = WS_MINIMIZEBOX_BIT | WS_MAXIMIZEBOX_BIT;
constexpr std::uint32_t kFrame = WS_CAPTION_BITS | WS_SYSMENU_BIT | WS_THICKFRAME_BIT;

// The rectangles of close, maximise, restore, minimise, help ("-" when
// hidden, "*" appended when greyed) for a window's styles and state.
std::vector<std::string> Layout(FakeFilterWindow& w) {
  SECCaptionControlListMsgFilter list(&w, 256);
  list.LayoutControls();
  std::vector<std::string> out;
  for (const auto& c : list.Children()) {
    auto* ctl = static_cast<SECCaptionControlMsgFilter*>(c.get());
    const Rect& r = ctl->ButtonRect();
    if (r.IsEmpty()) {
      out.push_back("-");
      continue;
    }
    std::string s = std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.Width()) + "x" +
                    std::to_string(r.Height());
    if (ctl->State() & DFCS_INACTIVE_BIT) s += "*";
    out.push_back(s);
  }
  return out;
}

TEST(CaptionControls, LayoutByStyleAndState) {
  struct Row {
    const char* name;
    std::uint32_t style, ex;
    bool zoomed, iconic, closeDisabled;
    std::vector<std::string> expected;  // close, maximise, restore, minimise, help
  };
  // Width 300, sizing border 4: the caption runs 4..296; buttons 16x14
  // from x = 296 - 16 - 2 = 278, two pixels more after close and minimise.
  const Row rows[] = {
      {"normal window", kFrame | kBoxes, 0, false, false, false, {"278,6,16x14", "260,6,16x14", "-", "244,6,16x14", "-"}},
      {"maximised shows restore", kFrame | kBoxes, 0, true, false, false,
       {"278,6,16x14", "-", "260,6,16x14", "244,6,16x14", "-"}},
      {"iconic shows restore and maximise", kFrame | kBoxes, 0, false, true, false,
       {"279,5,16x14", "261,5,16x14", "245,5,16x14", "-", "-"}},
      {"no maximise box greys maximise", kFrame | WS_MINIMIZEBOX_BIT, 0, false, false, false,
       {"278,6,16x14", "260,6,16x14*", "-", "244,6,16x14", "-"}},
      {"tool window shows only close", kFrame | kBoxes, WS_EX_TOOLWINDOW_BIT, false, false, false,
       {"284,6,10x11", "-", "-", "-", "-"}},
      {"greyed close item", kFrame, 0, false, false, true, {"278,6,16x14*", "-", "-", "-", "-"}},
      {"context help without boxes", kFrame, WS_EX_CONTEXTHELP_BIT, false, false, false,
       {"278,6,16x14", "-", "-", "-", "260,6,16x14"}},
      {"no system menu shows nothing", WS_CAPTION_BITS | WS_THICKFRAME_BIT | kBoxes, 0, false, false, false,
       {"-", "-", "-", "-", "-"}},
      {"dialog frame border", WS_CAPTION_BITS | WS_SYSMENU_BIT, 0, false, false, false,
       {"279,5,16x14", "-", "-", "-", "-"}},
  };
  for (const Row& r : rows) {
    FakeFilterWindow w;
    w.style = r.style;
    w.exStyle = r.ex;
    w.zoomed = r.zoomed;
    w.iconic = r.iconic;
    w.closeDisabled = r.closeDisabled;
    EXPECT_EQ(Layout(w), r.expected) << r.name;
  }
}

struct Pressed {
  FakeFilterWindow w;
  SECCaptionControlListMsgFilter list{&w, 256};
  SECCaptionControlMsgFilter* Button(int kind) {
    return static_cast<SECCaptionControlMsgFilter*>(list.FindFilter(kind, nullptr, 0));
  }
  unsigned Nc(unsigned msg, Point screen) { return list.Filter(FilterMessage{msg, std::uintptr_t(kHitCaption), 0, screen}, nullptr); }
  unsigned Client(unsigned msg, Point screen) {
    const Point c = w.ClientOrigin();
    return list.Filter(FilterMessage{msg, 0, 0, Point{screen.x - c.x, screen.y - c.y}}, nullptr);
  }
};

TEST(CaptionControls, ClickPostsTheCommandOnlyWhenReleasedOnTheButton) {
  Pressed p;
  const Point onClose{100 + 285, 50 + 12}, away{100 + 20, 50 + 100};
  EXPECT_EQ(p.Nc(wm::NcLButtonDown, onClose), 7u);
  EXPECT_TRUE(p.w.captured);
  EXPECT_TRUE(p.Button(kCapClose)->State() & DFCS_PUSHED_BIT);
  EXPECT_EQ(p.Client(wm::LButtonUp, onClose), 7u);
  ASSERT_EQ(p.w.posted.size(), 1u);
  EXPECT_EQ(p.w.posted[0].msg, wm::SysCommand);
  EXPECT_EQ(p.w.posted[0].w, SC_CLOSE_CMD);
  EXPECT_EQ(p.w.posted[0].l, std::intptr_t((62 << 16) | 385));

  // Pressed, dragged off and released outside: nothing, released look.
  p.w.posted.clear();
  p.Nc(wm::NcLButtonDown, onClose);
  p.Client(wm::MouseMove, away);
  EXPECT_FALSE(p.Button(kCapClose)->State() & DFCS_PUSHED_BIT);
  p.Client(wm::LButtonUp, away);
  EXPECT_TRUE(p.w.posted.empty());
  EXPECT_FALSE(p.w.captured);
  EXPECT_FALSE(p.Button(kCapClose)->IsTracking());
  // A press outside every button is not taken.
  EXPECT_EQ(p.Nc(wm::NcLButtonDown, away), 0u);
  // Painting draws the shown buttons and answers handled.
  p.w.draws.clear();
  EXPECT_EQ(p.list.Filter(FilterMessage{wm::NcPaint, 0, 0, {}}, nullptr) & kFilterHandled, kFilterHandled);
  EXPECT_EQ(p.w.draws.size(), 3u);
}

TEST(CaptionControls, HoldFiresOnceAndMovingOutCancels) {
  Pressed p;
  SECCaptionControlMsgFilter* max = p.Button(kCapMaximize);
  max->SetHoldDelay(400);
  const Point onMax{100 + 268, 50 + 12}, away{100 + 20, 50 + 100};
  p.Nc(wm::NcLButtonDown, onMax);
  EXPECT_TRUE(max->HoldPending());
  EXPECT_EQ(p.w.timerMs, 400);
  p.Client(wm::MouseMove, away);
  EXPECT_FALSE(max->HoldPending());
  p.Client(wm::MouseMove, onMax);
  EXPECT_TRUE(max->HoldPending());
  p.w.FireTimer();  // a hold: tracking ends, event 2 has no command
  EXPECT_FALSE(max->IsTracking());
  EXPECT_FALSE(max->HoldPending());
  EXPECT_TRUE(p.w.posted.empty());
  EXPECT_EQ(p.Client(wm::LButtonUp, onMax), 0u);  // no longer tracking
}

TEST(CaptionControls, GreyedButtonTakesThePressButDoesNothing) {
  Pressed p;
  p.w.closeDisabled = true;
  const Point onClose{100 + 285, 50 + 12};
  EXPECT_EQ(p.Nc(wm::NcLButtonDown, onClose), 7u);
  EXPECT_FALSE(p.Button(kCapClose)->IsTracking());
  p.Client(wm::LButtonUp, onClose);
  EXPECT_TRUE(p.w.posted.empty());
}

}  // namespace
}  // namespace pm2
