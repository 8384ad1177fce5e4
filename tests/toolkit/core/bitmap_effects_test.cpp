#include "toolkit/core/bitmap_effects.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

constexpr Color kMagenta = MakeRgb(255, 0, 255);
constexpr Color kWhite = MakeRgb(255, 255, 255);
constexpr Color kBlack = 0;
constexpr Color kDest = MakeRgb(10, 20, 30);

// A 3 x 1 source: transparent, black, a light grey above luminance 180.
PixelBuffer Source() {
  PixelBuffer src(3, 1);
  src.Set(0, 0, kMagenta);
  src.Set(1, 0, kBlack);
  src.Set(2, 0, MakeRgb(200, 200, 200));
  return src;
}

TEST(BitmapEffects, EachEffectPaintsOnlyWhereItShould) {
  using Effect = void (*)(PixelBuffer&, const BlitArea&, const PixelBuffer&);
  const Color shadow = MakeRgb(1, 2, 3), fill = MakeRgb(4, 5, 6);
  struct Row {
    const char* name;
    Effect run;
    Color expected[3];
  } rows[] = {
      {"transparent", [](PixelBuffer& d, const BlitArea& a, const PixelBuffer& s) {
         SECDrawTransparentBitmap(d, a, s, kMagenta); },
       {kDest, kBlack, MakeRgb(200, 200, 200)}},
      {"disabled without recolouring", [](PixelBuffer& d, const BlitArea& a, const PixelBuffer& s) {
         SECDrawDisabledBitmap(d, a, s, kMagenta, false); },
       {kDest, kBlack, MakeRgb(200, 200, 200)}},
      // Dark becomes white (then stays white after lightening); mid grey is
      // kept and lightened by 32.
      {"disabled recoloured", [](PixelBuffer& d, const BlitArea& a, const PixelBuffer& s) {
         SECDrawDisabledBitmap(d, a, s, kMagenta, true); },
       {kDest, kWhite, MakeRgb(232, 232, 232)}},
      {"shadow", [](PixelBuffer& d, const BlitArea& a, const PixelBuffer& s) {
         SECDrawShadowBitmap(d, a, s, kMagenta, MakeRgb(1, 2, 3)); },
       {kDest, shadow, kDest}},
      {"highlight", [](PixelBuffer& d, const BlitArea& a, const PixelBuffer& s) {
         SECDrawHighlightBitmap(d, a, s, kMagenta, MakeRgb(4, 5, 6)); },
       {kDest, fill, fill}},
  };
  for (const Row& r : rows) {
    PixelBuffer dst(3, 1, kDest);
    r.run(dst, {0, 0, 3, 1, 0, 0}, Source());
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.At(x, 0), r.expected[x]) << r.name << " pixel " << x;
  }
}

TEST(BitmapEffects, DisabledRecolourTurnsNearWhiteBlack) {
  PixelBuffer src(1, 1, kWhite), dst(1, 1, kDest);
  SECDrawDisabledBitmap(dst, {0, 0, 1, 1, 0, 0}, src, kMagenta, true);
  EXPECT_EQ(dst.At(0, 0), MakeRgb(32, 32, 32));
}

TEST(BitmapEffects, BlendWeighsPixelAgainstColour) {
  PixelBuffer src(2, 1, MakeRgb(200, 100, 0)), dst(2, 1, kDest);
  src.Set(1, 0, kMagenta);
  SECDrawBlendedBitmap(dst, {0, 0, 2, 1, 0, 0}, src, kMagenta, MakeRgb(0, 0, 255), 128);
  EXPECT_EQ(dst.At(0, 0), MakeRgb((200 * 128) >> 8, (100 * 128) >> 8, (255 * 127) >> 8));
  EXPECT_EQ(dst.At(1, 0), kDest);
}

TEST(BitmapEffects, AreasClipAtBothImagesAndHonourOffsets) {
  PixelBuffer src(2, 2, kBlack), dst(3, 3, kDest);
  src.Set(1, 1, kWhite);
  // Source read from (1, 1), written at (2, 2); the area runs past both edges.
  SECDrawTransparentBitmap(dst, {2, 2, 5, 5, 1, 1}, src, kMagenta);
  EXPECT_EQ(dst.At(2, 2), kWhite);
  EXPECT_EQ(dst.At(1, 1), kDest);
  EXPECT_EQ(dst.At(0, 0), kDest);
}

TEST(BitmapEffects, EmbossRaisesInkAndClearsIt) {
  const EmbossColours c{MakeRgb(250, 250, 250), MakeRgb(192, 192, 192), kWhite, MakeRgb(128, 128, 128)};
  PixelBuffer img(5, 5, c.background2);
  img.Set(1, 1, kBlack);           // ink
  img.Set(3, 3, c.background1);    // background of the other kind: not ink
  SECDrawDisabled(img, 4, 4, c);
  EXPECT_EQ(img.At(1, 1), c.background2);  // the ink gave way
  EXPECT_EQ(img.At(2, 2), c.shadow);       // painted last, one step down-right
  EXPECT_EQ(img.At(3, 3), c.light);        // two steps down-right
  // The fifth column and row lie outside the area and stay as they were.
  img = PixelBuffer(5, 5, c.background2);
  img.Set(3, 3, kBlack);
  SECDrawDisabled(img, 4, 4, c);
  EXPECT_EQ(img.At(4, 4), c.background2);
}

TEST(BitmapEffects, SysColorBitmapMapsTheFourGreys) {
  SysColorTable colors;
  colors.Set(SysColor::BtnText, MakeRgb(1, 1, 1));
  colors.Set(SysColor::BtnShadow, MakeRgb(2, 2, 2));
  colors.Set(SysColor::BtnFace, MakeRgb(3, 3, 3));
  colors.Set(SysColor::BtnHighlight, MakeRgb(4, 4, 4));
  const Color other = MakeRgb(0, 128, 0);
  const std::vector<Color> table = {0, MakeRgb(128, 128, 128), MakeRgb(192, 192, 192), kWhite, other};
  for (int bits : {8, 24}) {
    SECDib dib;
    ASSERT_TRUE(dib.Create(5, 1, bits, table));
    for (int x = 0; x < 5; ++x) dib.SetPixelValue(x, 0, bits == 8 ? std::uint32_t(x) : table[std::size_t(x)]);
    PixelBuffer out;
    ASSERT_TRUE(SECLoadSysColorBitmap(dib, colors, &out)) << bits;
    const Color expected[] = {MakeRgb(1, 1, 1), MakeRgb(2, 2, 2), MakeRgb(3, 3, 3), MakeRgb(4, 4, 4), other};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(out.At(x, 0), expected[x]) << bits << " bits, pixel " << x;
  }
  std::string err;
  PixelBuffer out;
  EXPECT_FALSE(SECLoadSysColorBitmap(SECDib(), colors, &out, &err));
  EXPECT_EQ(err, "Cannot load an empty bitmap with system colours");
}

}  // namespace
}  // namespace pm2
