#include "toolkit/core/theme.h"

namespace pm2 {
namespace {
ThemeBinding g_binding;
bool g_commonControls6 = false;
}  // namespace

bool SECThemeLoadLibrary() { return true; }

bool SECThemeFreeLibrary() {
  g_binding = ThemeBinding{};
  g_commonControls6 = false;
  return true;
}

void SECThemeSetBinding(const ThemeBinding& binding, bool commonControls6) {
  g_binding = binding;
  g_commonControls6 = commonControls6;
}

HTHEME SECThemeOpenThemeData(void* window, const wchar_t* classList) {
  return g_binding.openThemeData ? g_binding.openThemeData(window, classList) : nullptr;
}

HRESULT SECThemeCloseThemeData(HTHEME theme) {
  return g_binding.closeThemeData ? g_binding.closeThemeData(theme) : kE_FAIL;
}

HRESULT SECThemeDrawThemeBackground(HTHEME theme, void* dc, int part, int state, const Rect& r,
                                    const Rect* clip) {
  return g_binding.drawThemeBackground ? g_binding.drawThemeBackground(theme, dc, part, state, r, clip)
                                       : kE_FAIL;
}

bool SECThemeIsThemeActive() {
  return g_commonControls6 && g_binding.isThemeActive && g_binding.isThemeActive() != 0;
}

bool SECThemeIsAppThemed() { return g_binding.isAppThemed && g_binding.isAppThemed() != 0; }

bool SECThemeTrackMouseEvent(void* trackInfo) {
  return g_binding.trackMouseEvent && g_binding.trackMouseEvent(trackInfo) != 0;
}

HRESULT SECThemeDrawBackgroundBitmap(void* window, PixelBuffer& target, const PixelBuffer& bitmap,
                                     const wchar_t* classList, const ThemedBitmap& a) {
  if (!SECThemeIsAppThemed() || !SECThemeIsThemeActive()) return kE_FAIL;
  const HTHEME theme = SECThemeOpenThemeData(window, classList);
  if (!theme) return kE_FAIL;
  const Rect r{a.x, a.y, a.x + a.cx, a.y + a.cy};
  const HRESULT hr = SECThemeDrawThemeBackground(theme, &target, a.part, a.state, r, nullptr);
  if (hr < 0) {
    SECThemeCloseThemeData(theme);
    return hr;
  }
  // The bitmap goes on at its own size, read from its origin.
  const bool bitmapDrawn = bitmap.width > 0 && bitmap.height > 0;
  if (bitmapDrawn)
    SECDrawTransparentBitmap(target, {a.x + a.xOffset, a.y + a.yOffset, bitmap.width, bitmap.height, 0, 0}, bitmap,
                             a.transparent);
  SECThemeCloseThemeData(theme);
  return bitmapDrawn ? kS_OK : kE_FAIL;
}

}  // namespace pm2
