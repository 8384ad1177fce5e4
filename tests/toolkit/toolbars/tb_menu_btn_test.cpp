#include "toolkit/toolbars/tb_menu_btn.h"

#include <gtest/gtest.h>

#include "toolkit/core/color_math.h"
#include "toolkit/toolbars/fake_toolbar.h"
#include "toolkit/toolbars/xp_look.h"

namespace pm2 {
namespace {

using test::FakeHost;

TEST(TBMenuBtn, InitTakesTheRowAndMeasuresTheText) {
  FakeHost host;
  SECTBMenuBtn b;
  b.InitMenu(&host, {7, 8, "&Project", 0});
  EXPECT_EQ(b.m_nType, kBtnMenuText);
  EXPECT_EQ(b.Mnemonic(), 'P');
  EXPECT_EQ(b.m_cx, 8 * 6 + 10);
  EXPECT_EQ(b.m_cy, 13 + 6);
  EXPECT_EQ(host.largest, (Size{58, 19}));
  SECTBMenuBtn plain;
  plain.InitMenu(&host, {0, 0, "Help", 0});
  EXPECT_EQ(plain.Mnemonic(), 0);
  SECTBMenuBtn lower;
  lower.InitMenu(&host, {0, 0, "S&vcs", 0});
  EXPECT_EQ(lower.Mnemonic(), 'V');
}

TEST(TBMenuBtn, PressOpensThePopupWithoutCapture) {
  FakeHost host;
  SECTBMenuBtn b;
  host.buttons.push_back(&b);
  b.InitMenu(&host, {120, 3, "&Debug", 0});
  b.SetPos(0, 0);
  EXPECT_FALSE(b.OnLButtonDown({5, 5}));
  ASSERT_EQ(host.popups.size(), 1u);
  EXPECT_EQ(host.popups[0], (std::pair<unsigned, unsigned>{120, 3}));
  EXPECT_TRUE(host.pressedDuringPopup);
  b.m_nStyle = TBBS_DISABLED;
  EXPECT_FALSE(b.OnLButtonDown({5, 5}));
  EXPECT_EQ(host.popups.size(), 1u);
}

class TBMenuBtnPaint : public testing::Test {
 protected:
  void SetUp() override {
    SysColors().ResetToClassic();
    SECBuildXPPalette();
    host.look.cool = true;
    btn.InitMenu(&host, {0, 0, "&File", 0});  // 40 x 19
    btn.SetPos(0, 0);
  }
  void TearDown() override { SECSetXPLook(false); }
  PixelBuffer Paint() {
    PixelBuffer dc(40, 20, 0x0000FF);
    SECBtnDrawState state;
    host.drawnText.clear();
    btn.Paint(dc, {0, 0, 40, 20}, state);
    return dc;
  }
  FakeHost host;
  SECTBMenuBtn btn;
};

TEST_F(TBMenuBtnPaint, FlatUntilHotThenRaised) {
  PixelBuffer dc = Paint();
  EXPECT_EQ(dc.At(0, 0), GetSysColor(SysColor::BtnFace));
  ASSERT_EQ(host.drawnText.size(), 1u);
  EXPECT_EQ(host.drawnText[0].x, 4);
  EXPECT_EQ(host.drawnText[0].y, 3);
  EXPECT_EQ(host.drawnText[0].color, GetSysColor(SysColor::MenuText));
  btn.m_nStyle = TBBS_HOT;
  dc = Paint();
  EXPECT_EQ(dc.At(0, 0), GetSysColor(SysColor::BtnHighlight));
  EXPECT_EQ(dc.At(39, 10), GetSysColor(SysColor::BtnShadow));
}

TEST_F(TBMenuBtnPaint, PressedSinksAndMovesTheText) {
  btn.m_nStyle = TBBS_PRESSED;
  const PixelBuffer dc = Paint();
  EXPECT_EQ(dc.At(0, 0), GetSysColor(SysColor::BtnShadow));
  EXPECT_EQ(host.drawnText[0].x, 5);
  EXPECT_EQ(host.drawnText[0].y, 4);
}

TEST_F(TBMenuBtnPaint, XPPressedIsAnOpenTabWithAShadow) {
  SECSetXPLook(true);
  btn.m_nStyle = TBBS_PRESSED;
  const PixelBuffer dc = Paint();
  EXPECT_EQ(dc.At(0, 10), SECGetXPColor(26));   // left border
  EXPECT_EQ(dc.At(10, 0), SECGetXPColor(26));   // top border
  EXPECT_EQ(dc.At(36, 10), SECGetXPColor(26));  // right border of the 37-wide tab
  EXPECT_EQ(dc.At(10, 10), SECGetXPColor(0));
  EXPECT_EQ(dc.At(10, 18), SECGetXPColor(0));   // open at the bottom
  // The shadow right of the tab darkens outwards less and less.
  const int l1 = Luminance256(dc.At(37, 10)), l2 = Luminance256(dc.At(38, 10)), l3 = Luminance256(dc.At(39, 10));
  EXPECT_LT(l1, l2);
  EXPECT_LT(l2, l3);
  EXPECT_EQ(host.drawnText[0].color, SECGetXPColor(29));
}

}  // namespace
}  // namespace pm2
