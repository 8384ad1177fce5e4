#include "toolkit/menus/bmp_menu_model.h"

#include <gtest/gtest.h>

#include "toolkit/core/color_math.h"

namespace pm2 {
namespace {

TEST(BmpMenuText, MnemonicAndSplit) {
  EXPECT_EQ(MenuMnemonic("&New\tCtrl+N"), 'N');
  EXPECT_EQ(MenuMnemonic("Save A&ll"), 'L');
  EXPECT_EQ(MenuMnemonic("Exit"), 0);
  // What is drawn, and so measured: a doubled '&' is one '&'.
  EXPECT_EQ(MenuShownText("&Watch && Call Stack Window"), "Watch & Call Stack Window");
  EXPECT_EQ(MenuShownText("Save A&ll"), "Save All");
  EXPECT_EQ(MenuShownText("R&&D"), "R&D");
  EXPECT_EQ(MenuMnemonic("Trailing&"), 0);
}

struct ConvertRow {
  const char* name;
  MenuItemFacts item;
  bool xp, excluded, converts;
};

class BmpMenuConvert : public testing::TestWithParam<ConvertRow> {};

TEST_P(BmpMenuConvert, Row) {
  const ConvertRow& r = GetParam();
  EXPECT_EQ(ConvertsItem(r.item, r.xp, r.excluded), r.converts);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BmpMenuConvert,
    testing::Values(ConvertRow{"Command", {57600}, false, false, true},
                    ConvertRow{"SystemCommand", {0xF060}, false, false, false},
                    ConvertRow{"PastSystemRange", {0xFF00}, false, false, true},
                    ConvertRow{"Excluded", {57600}, false, true, false},
                    ConvertRow{"DrawnByOther", {57600, false, true}, false, false, false},
                    ConvertRow{"SeparatorPlain", {0, true}, false, false, false},
                    ConvertRow{"SeparatorXP", {0, true}, true, false, true},
                    ConvertRow{"SeparatorAfterSystemCommand", {0, true, false, true}, true, false, false}),
    [](const auto& info) { return info.param.name; });

TEST(BmpMenuMeasure, ImageAndMenuHeight) {
  EXPECT_EQ(MeasureMenuItem({50, 13}, {16, 15}, 19), (Size{96, 19}));
  EXPECT_EQ(MeasureMenuItem({50, 13}, {16, 15}, 12), (Size{96, 19}));  // image + 4
  EXPECT_EQ(MeasureMenuItem({50, 25}, {16, 15}, 19), (Size{96, 25}));
}

struct ColorRow {
  const char* name;
  bool selected, disabled, xp;
  Color background, text;
  bool embossed;
};

class BmpMenuColors : public testing::TestWithParam<ColorRow> {};

TEST_P(BmpMenuColors, Row) {
  const ColorRow& r = GetParam();
  SysColorTable t;
  t.Set(SysColor::Highlight, 1);
  t.Set(SysColor::Menu, 2);
  t.Set(SysColor::HighlightText, 3);
  t.Set(SysColor::MenuText, 4);
  t.Set(SysColor::GrayText, 5);
  t.Set(SysColor::BtnShadow, 6);
  SECBuildXPPalette();
  const MenuItemColors c = MenuItemColorsFor(r.selected, r.disabled, r.xp, t);
  const auto expect = [](Color v) { return v >= 100 ? SECGetXPColor(int(v - 100)) : v; };
  EXPECT_EQ(c.background, expect(r.background));
  EXPECT_EQ(c.text, expect(r.text));
  EXPECT_EQ(c.embossed, r.embossed);
}

// Values of 100 and above name XP palette entries (100 + index).
INSTANTIATE_TEST_SUITE_P(Rows, BmpMenuColors,
                         testing::Values(ColorRow{"PlainSelected", true, false, false, 1, 3, false},
                                         ColorRow{"PlainNormal", false, false, false, 2, 4, false},
                                         ColorRow{"PlainDisabledSelected", true, true, false, 1, 5, false},
                                         ColorRow{"PlainDisabled", false, true, false, 2, 6, true},
                                         ColorRow{"XPSelected", true, false, true, 119, 121, false},
                                         ColorRow{"XPNormal", false, false, true, 115, 116, false},
                                         ColorRow{"XPDisabledSelected", true, true, true, 115, 118, false},
                                         ColorRow{"XPDisabled", false, true, true, 115, 118, false}),
                         [](const auto& info) { return info.param.name; });

struct CharRow {
  const char* name;
  std::vector<char> mnemonics;
  int highlighted;
  char key;
  MenuCharResult::Action action;
  int position;
};

class BmpMenuChar : public testing::TestWithParam<CharRow> {};

TEST_P(BmpMenuChar, Row) {
  const CharRow& r = GetParam();
  const MenuCharResult got = MatchMenuChar(r.mnemonics, r.highlighted, r.key);
  EXPECT_EQ(got.action, r.action);
  EXPECT_EQ(got.position, r.position);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BmpMenuChar,
    testing::Values(CharRow{"NoMatch", {'N', 'O'}, -1, 'x', MenuCharResult::None, -1},
                    CharRow{"OneMatchRuns", {'N', 'O', 'S'}, -1, 'o', MenuCharResult::Execute, 1},
                    CharRow{"FirstOfTwo", {'P', 'N', 'P'}, -1, 'p', MenuCharResult::Select, 0},
                    CharRow{"NextOfTwo", {'P', 'N', 'P'}, 0, 'p', MenuCharResult::Select, 2},
                    CharRow{"WrapsAround", {'P', 'N', 'P'}, 2, 'p', MenuCharResult::Select, 0},
                    CharRow{"ItemsNotOursIgnored", {0, 'A', 0}, -1, 'a', MenuCharResult::Execute, 1}),
    [](const auto& info) { return info.param.name; });

class BmpMenuImage : public testing::Test {
 protected:
  void SetUp() override {
    colors.ResetToClassic();
    SECBuildXPPalette();
    image = PixelBuffer(16, 15, 0xC0C0C0);
    image.Set(0, 0, 0x000080);
  }
  SysColorTable colors;
  PixelBuffer image;
};

TEST_F(BmpMenuImage, PlainImageSitsInItsBox) {
  PixelBuffer cell(20, 21);
  DrawMenuItemImage(cell, image, 0xC0C0C0, {}, colors);
  // Box of 19 rows centred in 21: top 1; image two pixels in.
  EXPECT_EQ(cell.At(2, 3), 0x000080u);
  EXPECT_EQ(cell.At(3, 3), colors.Get(SysColor::Menu));
}

TEST_F(BmpMenuImage, PlainCheckedIsSunkenSelectedRaised) {
  PixelBuffer cell(20, 21);
  DrawMenuItemImage(cell, image, 0xC0C0C0, {false, false, true, false}, colors);
  EXPECT_EQ(cell.At(0, 1), colors.Get(SysColor::BtnShadow));
  EXPECT_EQ(cell.At(19, 19), colors.Get(SysColor::BtnHighlight));
  DrawMenuItemImage(cell, image, 0xC0C0C0, {true, false, false, false}, colors);
  EXPECT_EQ(cell.At(0, 1), colors.Get(SysColor::BtnHighlight));
  EXPECT_EQ(cell.At(19, 19), colors.Get(SysColor::BtnShadow));
}

TEST_F(BmpMenuImage, PlainDisabledIsEmbossed) {
  PixelBuffer cell(20, 21);
  DrawMenuItemImage(cell, image, 0xC0C0C0, {false, true, false, false}, colors);
  EXPECT_EQ(cell.At(2, 3), colors.Get(SysColor::BtnShadow));
  EXPECT_EQ(cell.At(3, 4), colors.Get(SysColor::BtnHighlight));
}

TEST_F(BmpMenuImage, NoImageTakesTheTextBackground) {
  PixelBuffer cell(20, 21);
  DrawMenuItemImage(cell, PixelBuffer(), 0xC0C0C0, {true, false, false, false}, colors);
  EXPECT_EQ(cell.At(10, 10), colors.Get(SysColor::Highlight));
  DrawMenuItemImage(cell, PixelBuffer(), 0xC0C0C0, {true, false, false, true}, colors);
  EXPECT_EQ(cell.At(10, 10), SECGetXPColor(19));
}

TEST_F(BmpMenuImage, XPSelectedLiftsTheImageOverItsShadow) {
  PixelBuffer cell(20, 21);
  DrawMenuItemImage(cell, image, 0xC0C0C0, {true, false, false, true}, colors);
  EXPECT_EQ(cell.At(0, 3), 0x000080u);           // two pixels left
  EXPECT_EQ(cell.At(2, 5), SECGetXPColor(30));  // the shadow two pixels down
}

}  // namespace
}  // namespace pm2
