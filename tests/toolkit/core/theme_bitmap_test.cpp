#include <gtest/gtest.h>

#include "toolkit/core/theme.h"

namespace pm2 {
namespace {

// A style that fills the background in one colour and can be made to fail.
int g_open = 0, g_close = 0;
bool g_data = true;
HRESULT g_drawResult = kS_OK;
int g_token = 0;
constexpr Color kThemeFill = 0x00AA00;

HTHEME Open(void*, const wchar_t*) {
  ++g_open;
  return g_data ? &g_token : nullptr;
}
HRESULT Close(HTHEME) {
  ++g_close;
  return kS_OK;
}
HRESULT Draw(HTHEME, void* dc, int, int, const Rect& r, const Rect*) {
  if (g_drawResult < 0) return g_drawResult;
  auto* target = static_cast<PixelBuffer*>(dc);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) target->Set(x, y, kThemeFill);
  return kS_OK;
}
int One() { return 1; }

TEST(Theme, BackgroundBitmapDrawsOnlyWithAStyleAndClosesWhatItOpens) {
  constexpr Color kPaper = 0xFFFFFF, kInk = 0x0000FF, kClear = 0xFF00FF;
  PixelBuffer glyph(2, 2, kInk);
  glyph.Set(1, 1, kClear);
  struct Row {
    const char* name;
    bool styled;
    bool data;
    HRESULT drawResult;
    bool emptyBitmap;
    HRESULT expected;
    Color atBackground, atInk, atClear;  // (1,1), (3,3), (4,4) of the target
  } rows[] = {
      {"no style", false, true, kS_OK, false, kE_FAIL, kPaper, kPaper, kPaper},
      {"no data for the class", true, false, kS_OK, false, kE_FAIL, kPaper, kPaper, kPaper},
      {"background fails", true, true, HRESULT(0x80070057u), false, HRESULT(0x80070057u), kPaper, kPaper, kPaper},
      {"empty bitmap", true, true, kS_OK, true, kE_FAIL, kThemeFill, kThemeFill, kThemeFill},
      {"drawn", true, true, kS_OK, false, kS_OK, kThemeFill, kInk, kThemeFill},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SECThemeFreeLibrary();
    if (row.styled) SECThemeSetBinding({Open, Close, Draw, One, One, nullptr}, true);
    g_data = row.data;
    g_drawResult = row.drawResult;
    g_open = g_close = 0;
    PixelBuffer target(8, 8, kPaper);
    ThemedBitmap args;
    args.part = 1;
    args.x = 1, args.y = 1, args.cx = 6, args.cy = 6;
    args.xOffset = 2, args.yOffset = 2;
    args.transparent = kClear;
    EXPECT_EQ(SECThemeDrawBackgroundBitmap(nullptr, target, row.emptyBitmap ? PixelBuffer() : glyph, L"Button", args),
              row.expected);
    EXPECT_EQ(g_close, row.data ? g_open : 0);
    EXPECT_EQ(target.At(1, 1), row.atBackground);
    EXPECT_EQ(target.At(3, 3), row.atInk);
    EXPECT_EQ(target.At(4, 4), row.atClear);
    EXPECT_EQ(target.At(0, 0), kPaper);  // outside the rectangle
  }
  SECThemeFreeLibrary();
}

}  // namespace
}  // namespace pm2
