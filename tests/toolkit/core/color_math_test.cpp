#include "toolkit/core/color_math.h"

#include <gtest/gtest.h>

#include "toolkit/core/theme.h"

namespace pm2 {
namespace {

TEST(ColorMath, HlsOfKnownColours) {
  struct Row {
    const char* name;
    Color rgb;
    int h, l, s;
  } rows[] = {
      {"black", MakeRgb(0, 0, 0), 160, 0, 0},
      {"white", MakeRgb(255, 255, 255), 160, 240, 0},
      {"grey", MakeRgb(136, 136, 136), 160, 128, 0},
      {"red", MakeRgb(255, 0, 0), 0, 120, 240},
      {"green", MakeRgb(0, 255, 0), 80, 120, 240},
      {"blue", MakeRgb(0, 0, 255), 160, 120, 240},
      {"magenta", MakeRgb(255, 0, 255), 200, 120, 240},
      {"dark red", MakeRgb(128, 0, 0), 0, 60, 240},
  };
  for (const Row& r : rows) {
    std::uint16_t h = 0, l = 0, s = 0;
    SECRGBtoHLS(r.rgb, &h, &l, &s);
    EXPECT_EQ(h, r.h) << r.name;
    EXPECT_EQ(l, r.l) << r.name;
    EXPECT_EQ(s, r.s) << r.name;
    EXPECT_EQ(SECHLStoRGB(h, l, s), r.rgb) << r.name;
  }
}

TEST(ColorMath, HlsRoundTripStaysClose) {
  // The 0..240 scale loses precision; a round trip may move a channel a
  // little but never far, and never out of range.
  for (int r = 0; r < 256; r += 17)
    for (int g = 0; g < 256; g += 15)
      for (int b = 0; b < 256; b += 51) {
        std::uint16_t h, l, s;
        SECRGBtoHLS(MakeRgb(r, g, b), &h, &l, &s);
        ASSERT_LE(h, 240);
        ASSERT_LE(l, 240);
        ASSERT_LE(s, 240);
        const Color back = SECHLStoRGB(h, l, s);
        EXPECT_NEAR(RedOf(back), r, 6) << r << "," << g << "," << b;
        EXPECT_NEAR(GreenOf(back), g, 6) << r << "," << g << "," << b;
        EXPECT_NEAR(BlueOf(back), b, 6) << r << "," << g << "," << b;
      }
}

TEST(ColorMath, MixAndLighten) {
  // Weight 100 is on the per-mille scale: 10 % of a.
  EXPECT_EQ(SECMixColors(MakeRgb(200, 0, 0), MakeRgb(0, 0, 100), 100), MakeRgb(20, 0, 90));
  EXPECT_EQ(SECMixColors(MakeRgb(200, 0, 0), MakeRgb(0, 0, 100), 50), MakeRgb(100, 0, 50));
  EXPECT_EQ(SECLightenColor(MakeRgb(250, 10, 128), 32), MakeRgb(255, 42, 160));
}

TEST(ColorMath, ContrastRule) {
  const Color white = MakeRgb(255, 255, 255);
  // Already far enough: unchanged.
  EXPECT_EQ(SECEnsureColorContrast(MakeRgb(0, 0, 0), white, 50), MakeRgb(0, 0, 0));
  // Too close to a light reference: moved darker to at least the distance.
  const Color moved = SECEnsureColorContrast(MakeRgb(250, 250, 250), white, 100);
  EXPECT_GE(SECColorDistance(moved, white), 99.0);
  EXPECT_LT(Luminance256(moved), Luminance256(MakeRgb(250, 250, 250)));
  // Close to a dark reference: moved lighter.
  const Color lifted = SECEnsureColorContrast(MakeRgb(10, 10, 10), MakeRgb(0, 0, 0), 100);
  EXPECT_GT(Luminance256(lifted), Luminance256(MakeRgb(10, 10, 10)));
}

TEST(ColorMath, PaletteFromClassicColours) {
  SysColorTable classic;
  SECBuildXPPalette(classic);
  // Entry 0 mixes the window colour 16.5 % into the button face.
  EXPECT_EQ(SECGetXPColor(0), MakeRgb(219, 216, 209));
  EXPECT_EQ(SECGetXPColor(8), classic.Get(SysColor::Highlight));
  EXPECT_EQ(SECGetXPColor(28), classic.Get(SysColor::BtnFace));
  EXPECT_EQ(SECGetXPColor(3), SECGetXPColor(0));
  EXPECT_EQ(SECGetXPColor(17), SECGetXPColor(15));
  EXPECT_EQ(SECGetXPColor(33), MakeRgb(255, 255, 255));
  EXPECT_EQ(SECGetXPColor(-1), MakeRgb(255, 255, 255));
  // Text on the menu background keeps its contrast.
  EXPECT_GT(SECColorDistance(SECGetXPColor(2), SECGetXPColor(0)), 170.0);

  // A changed system colour reaches the palette through the record.
  SysColorTable changed;
  changed.Set(SysColor::Highlight, MakeRgb(200, 0, 0));
  SECSysColorRecord record;
  record.LoadSysColors(changed);
  EXPECT_EQ(record.highlight, MakeRgb(200, 0, 0));
  EXPECT_EQ(SECGetXPColor(8), MakeRgb(200, 0, 0));
  SECBuildXPPalette(classic);
}

TEST(Theme, UnboundLayerAnswersNotThemed) {
  SECThemeFreeLibrary();
  EXPECT_EQ(SECThemeOpenThemeData(nullptr, L"Button"), nullptr);
  EXPECT_EQ(SECThemeCloseThemeData(nullptr), kE_FAIL);
  EXPECT_EQ(SECThemeDrawThemeBackground(nullptr, nullptr, 1, 1, Rect{}, nullptr), kE_FAIL);
  EXPECT_FALSE(SECThemeUseThemedPath());

  // A bound style without the common-controls condition is still inactive.
  ThemeBinding b;
  b.isThemeActive = [] { return 1; };
  b.isAppThemed = [] { return 1; };
  SECThemeSetBinding(b, false);
  EXPECT_TRUE(SECThemeIsAppThemed());
  EXPECT_FALSE(SECThemeUseThemedPath());
  SECThemeSetBinding(b, true);
  EXPECT_TRUE(SECThemeUseThemedPath());
  EXPECT_TRUE(SECThemeFreeLibrary());
  EXPECT_TRUE(SECThemeFreeLibrary());
  EXPECT_FALSE(SECThemeUseThemedPath());
}

}  // namespace
}  // namespace pm2
