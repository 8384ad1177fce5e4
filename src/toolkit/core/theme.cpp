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

}  // namespace pm2
