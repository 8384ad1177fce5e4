#include "toolkit/toolbars/std_btn.h"

#include <gtest/gtest.h>

#include <memory>

#include "toolkit/core/color_math.h"
#include "toolkit/toolbars/fake_toolbar.h"
#include "toolkit/toolbars/xp_look.h"

namespace pm2 {
namespace {

using test::FakeHost;

struct Bar {
  explicit Bar(SECBmpMgr* mgr = nullptr) : host(mgr) {}
  SECStdBtn* Add(unsigned id, std::uint32_t style, int x) {
    owned.push_back(std::make_unique<SECStdBtn>());
    SECStdBtn* b = owned.back().get();
    b->m_nID = id;
    b->m_nStyle = style;
    b->Init(&host, nullptr);
    b->SetPos(x, 0);
    host.buttons.push_back(b);
    return b;
  }
  FakeHost host;
  std::vector<std::unique_ptr<SECStdBtn>> owned;
};

TEST(StdBtnSize, ButtonAndSeparatorFromImage) {
  Bar bar;
  SECStdBtn* b = bar.Add(57600, 0, 0);
  SECStdBtn* sep = bar.Add(0, TBBS_SEPARATOR, 23);
  EXPECT_EQ(b->m_cx, 23);
  EXPECT_EQ(b->m_cy, 22);
  EXPECT_EQ(sep->m_cx, 8);
  EXPECT_EQ(sep->m_cy, 22);
  EXPECT_EQ(bar.host.largest, (Size{23, 22}));
}

struct MouseRow {
  const char* name;
  std::uint32_t style;
  Point down, move, up;
  bool captures;
  unsigned command;
  std::uint32_t styleAfter;  // the state bits after the release
};

class StdBtnMouse : public testing::TestWithParam<MouseRow> {};

TEST_P(StdBtnMouse, Row) {
  const MouseRow& r = GetParam();
  Bar bar;
  SECStdBtn* b = bar.Add(100, r.style, 10);
  const bool captured = b->OnLButtonDown(r.down);
  EXPECT_EQ(captured, r.captures);
  if (!captured) return;
  EXPECT_TRUE(b->m_nStyle & TBBS_PRESSED);
  b->OnMouseMove(r.move);
  EXPECT_EQ(b->OnLButtonUp(r.up), r.command);
  EXPECT_EQ(b->m_nStyle & 0xFFFF0000u, r.styleAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StdBtnMouse,
    testing::Values(MouseRow{"ClickInside", 0, {12, 5}, {13, 5}, {14, 6}, true, 100, 0},
                    MouseRow{"ReleasedOutside", 0, {12, 5}, {60, 5}, {60, 5}, true, 0, 0},
                    MouseRow{"EdgesCountAsInside", 0, {10, 0}, {33, 22}, {33, 22}, true, 100, 0},
                    MouseRow{"DisabledIgnoresPress", TBBS_DISABLED, {12, 5}, {}, {}, false, 0, 0},
                    MouseRow{"CheckboxChecks", TBBS_CHECKBOX, {12, 5}, {12, 5}, {12, 5}, true, 100, TBBS_CHECKED},
                    MouseRow{"CheckboxUnchecks", TBBS_CHECKBOX | TBBS_CHECKED | TBBS_INDETERMINATE, {12, 5}, {12, 5},
                             {12, 5}, true, 100, 0},
                    MouseRow{"CheckboxOutsideKeepsState", TBBS_CHECKBOX, {12, 5}, {90, 5}, {90, 5}, true, 0, 0}),
    [](const auto& info) { return info.param.name; });

TEST(StdBtnMouse, PressedFollowsThePointer) {
  Bar bar;
  SECStdBtn* b = bar.Add(100, 0, 0);
  ASSERT_TRUE(b->OnLButtonDown({5, 5}));
  b->OnMouseMove({40, 5});
  EXPECT_FALSE(b->m_nStyle & TBBS_PRESSED);
  b->OnMouseMove({5, 5});
  EXPECT_TRUE(b->m_nStyle & TBBS_PRESSED);
  b->OnCancelMode();
  EXPECT_FALSE(b->m_nStyle & TBBS_PRESSED);
}

TEST(StdBtnCheck, ToggleReachesEveryBarOfTheManager) {
  Bar file, build;
  file.host.bars = build.host.bars = {&file.host, &build.host};
  SECStdBtn* a = file.Add(35037, TBBS_CHECKBOX, 0);
  SECStdBtn* other = file.Add(35033, TBBS_CHECKBOX, 23);
  SECStdBtn* twin = build.Add(35037, TBBS_CHECKBOX, 0);
  ASSERT_TRUE(a->OnLButtonDown({5, 5}));
  EXPECT_EQ(a->OnLButtonUp({5, 5}), 35037u);
  EXPECT_TRUE(a->m_nStyle & TBBS_CHECKED);
  EXPECT_TRUE(twin->m_nStyle & TBBS_CHECKED);
  EXPECT_FALSE(other->m_nStyle & TBBS_CHECKED);
  EXPECT_FALSE(build.host.invalidated.empty());
  ASSERT_TRUE(twin->OnLButtonDown({5, 5}));
  twin->OnLButtonUp({5, 5});
  EXPECT_FALSE(a->m_nStyle & TBBS_CHECKED);
}

TEST(StdBtnCheck, CheckGroupActsAsRadioButtons) {
  Bar bar;
  SECStdBtn* one = bar.Add(1, TBBS_CHECKGROUP | TBBS_CHECKED, 0);
  SECStdBtn* two = bar.Add(2, TBBS_CHECKGROUP, 23);
  ASSERT_TRUE(two->OnLButtonDown({30, 5}));
  two->OnLButtonUp({30, 5});
  EXPECT_TRUE(two->m_nStyle & TBBS_CHECKED);
  EXPECT_FALSE(one->m_nStyle & TBBS_CHECKED);
  // A checked radio button stays checked when clicked again.
  ASSERT_TRUE(two->OnLButtonDown({30, 5}));
  two->OnLButtonUp({30, 5});
  EXPECT_TRUE(two->m_nStyle & TBBS_CHECKED);
}

TEST(StdBtnDropDown, NotifiesInsteadOfCommand) {
  Bar bar;
  bar.Add(7, 0, 0);
  SECStdBtn* drop = bar.Add(35404, TBSTYLE_DROPDOWN, 23);
  EXPECT_FALSE(drop->OnLButtonDown({30, 5}));
  ASSERT_EQ(bar.host.notes.size(), 1u);
  const ToolbarNotify& n = bar.host.notes[0];
  EXPECT_EQ(n.code, kTbnDropDown);
  EXPECT_EQ(n.item, 35404u);
  EXPECT_EQ(n.index, 1);
  EXPECT_TRUE(bar.host.runningDuringNotify);
  EXPECT_TRUE(bar.host.pressedDuringNotify);
  EXPECT_FALSE(SECIsRunningCommand());
  EXPECT_FALSE(drop->m_nStyle & TBBS_PRESSED);
}

TEST(StdBtnDropDown, DisabledIgnoresPress) {
  Bar bar;
  SECStdBtn* drop = bar.Add(35404, TBSTYLE_DROPDOWN | TBBS_DISABLED, 0);
  EXPECT_FALSE(drop->OnLButtonDown({5, 5}));
  EXPECT_TRUE(bar.host.notes.empty());
}

// Painting: one button over a known image, read back pixel by pixel.
class StdBtnPaint : public testing::Test {
 protected:
  void SetUp() override {
    SysColors().ResetToClassic();
    SECBuildXPPalette();
    test::AddStrip(mod, 1, 16, 15, {100});
    mgr = new SECBmpMgr(mod);
    mgr->AddToolBarResource(1);
    bar = std::make_unique<Bar>(mgr);
  }
  void TearDown() override {
    SECSetXPLook(false);
    bar.reset();
    mgr->Release();
  }
  PixelBuffer Paint(SECStdBtn* b) {
    PixelBuffer dc(40, 30, 0x0000FF);
    SECBtnDrawState state;
    b->Paint(dc, {0, 0, 40, 30}, state);
    return dc;
  }
  MemoryResourceModule mod;
  SECBmpMgr* mgr = nullptr;
  std::unique_ptr<Bar> bar;
  const Color face = GetSysColor(SysColor::BtnFace), hl = GetSysColor(SysColor::BtnHighlight);
  const Color shadow = GetSysColor(SysColor::BtnShadow), black = GetSysColor(SysColor::BtnText);
};

TEST_F(StdBtnPaint, SeparatorsNeedTheCoolLook) {
  SECStdBtn* sep = bar->Add(0, TBBS_SEPARATOR, 0);
  EXPECT_EQ(Paint(sep).At(4, 5), 0x0000FFu);  // untouched
  bar->host.look.cool = true;
  const PixelBuffer dc = Paint(sep);
  EXPECT_EQ(dc.At(4, 5), shadow);
  EXPECT_EQ(dc.At(5, 5), hl);
  EXPECT_EQ(dc.At(0, 5), face);
  sep->m_nStyle |= TBBS_WRAPPED;
  EXPECT_EQ(Paint(sep).At(4, 5), 0x0000FFu);
}

TEST_F(StdBtnPaint, ClassicRaisedFrameAndImage) {
  SECStdBtn* b = bar->Add(100, 0, 0);
  const PixelBuffer dc = Paint(b);
  EXPECT_EQ(dc.At(0, 0), hl);
  EXPECT_EQ(dc.At(22, 21), black);   // outer bottom-right in button text
  EXPECT_EQ(dc.At(21, 20), shadow);  // inner bottom-right
  // Image at ((23 - 16 - 1) / 2, (22 - 15) / 2) = (3, 3); its black corner.
  EXPECT_EQ(dc.At(3, 3), black);
  EXPECT_EQ(dc.At(4, 3), Color(0x10) << 16);
  EXPECT_EQ(dc.At(23, 0), 0x0000FFu);  // nothing outside the button
}

TEST_F(StdBtnPaint, CoolLookRaisesOnlyTheHotButton) {
  bar->host.look.cool = true;
  SECStdBtn* b = bar->Add(100, 0, 0);
  EXPECT_EQ(Paint(b).At(0, 0), face);
  b->m_nStyle |= TBBS_HOT;
  const PixelBuffer dc = Paint(b);
  EXPECT_EQ(dc.At(0, 0), hl);
  EXPECT_EQ(dc.At(22, 21), shadow);
}

TEST_F(StdBtnPaint, PressedSinksAndMovesTheImage) {
  bar->host.look.cool = true;
  SECStdBtn* b = bar->Add(100, TBBS_PRESSED, 0);
  const PixelBuffer dc = Paint(b);
  EXPECT_EQ(dc.At(0, 0), shadow);
  EXPECT_EQ(dc.At(22, 21), hl);
  EXPECT_EQ(dc.At(4, 4), black);  // corner moved from (3, 3)
}

TEST_F(StdBtnPaint, DisabledImageIsEmbossed) {
  SECStdBtn* b = bar->Add(100, TBBS_DISABLED, 0);
  const PixelBuffer dc = Paint(b);
  EXPECT_EQ(dc.At(3, 3), shadow);  // the image's shape in shadow
  EXPECT_EQ(dc.At(19, 18), hl);    // its lower-right edge one pixel out in highlight
  EXPECT_EQ(dc.At(11, 1), face);   // the frame is gone
}

TEST_F(StdBtnPaint, CheckedDithersTheBackground) {
  SECStdBtn* b = bar->Add(100, TBBS_CHECKED | TBBS_CHECKBOX, 0);
  const PixelBuffer dc = Paint(b);
  // Inside the two sunken frames, outside the image: halftone.
  EXPECT_NE(dc.At(2, 2), dc.At(3, 2));
  EXPECT_EQ(dc.At(2, 2), HalftoneAt(2, 2));
}

TEST_F(StdBtnPaint, CustomizeSelectionFrame) {
  bar->host.look.customizing = true;
  SECStdBtn* b = bar->Add(100, TBBS_CUSTOMIZESEL | TBBS_PRESSED, 0);
  const PixelBuffer dc = Paint(b);
  EXPECT_EQ(dc.At(2, 10), black);
  EXPECT_EQ(dc.At(19, 10), face);  // plain: pressed is not drawn while customising
}

TEST_F(StdBtnPaint, XPHotFillsAndFrames) {
  SECSetXPLook(true);
  bar->host.look.cool = true;
  SECStdBtn* b = bar->Add(100, TBBS_HOT, 0);
  const PixelBuffer dc = Paint(b);
  EXPECT_EQ(dc.At(0, 0), SECGetXPColor(6));
  EXPECT_EQ(dc.At(1, 1), SECGetXPColor(5));
  EXPECT_EQ(dc.At(2, 2), black);  // image up-left by one: its corner at (2, 2)
}

TEST_F(StdBtnPaint, XPDisabledShowsOnlyTheShadowShape) {
  SECSetXPLook(true);
  bar->host.look.cool = true;
  SECStdBtn* b = bar->Add(100, TBBS_DISABLED, 0);
  const PixelBuffer dc = Paint(b);
  EXPECT_EQ(dc.At(5, 5), SECGetXPColor(31));  // (x + 3, y + 3) after the inset of 2
  EXPECT_EQ(dc.At(4, 4), SECGetXPColor(9));
}

}  // namespace
}  // namespace pm2
