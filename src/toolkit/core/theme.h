#pragma once
// The visual-style layer. Windows drew themed controls through an optional
// library bound at run time; Linux has none, so the binding table stays
// empty and every query answers "not themed": callers take their classic
// path. The table is the one switch a themed path would fill.

#include <cstdint>

#include "toolkit/core/bitmap_effects.h"
#include "toolkit/core/geometry.h"

namespace pm2 {

using HTHEME = void*;
using HRESULT = std::int32_t;
constexpr HRESULT kS_OK = 0;
constexpr HRESULT kE_FAIL = std::int32_t(0x80004005u);

// The functions a visual-style binding supplies; null means unbound.
struct ThemeBinding {
  HTHEME (*openThemeData)(void* window, const wchar_t* classList) = nullptr;
  HRESULT (*closeThemeData)(HTHEME theme) = nullptr;
  HRESULT (*drawThemeBackground)(HTHEME theme, void* dc, int part, int state, const Rect& r,
                                 const Rect* clip) = nullptr;
  int (*isThemeActive)() = nullptr;
  int (*isAppThemed)() = nullptr;
  int (*trackMouseEvent)(void* trackInfo) = nullptr;
};

// Binds the layer (nothing to bind here); both always succeed and can run
// any number of times.
bool SECThemeLoadLibrary();
bool SECThemeFreeLibrary();
// Installs a binding (tests, or a future themed path) and whether the
// common-controls-6 condition holds; SECThemeFreeLibrary clears it again.
void SECThemeSetBinding(const ThemeBinding& binding, bool commonControls6);

HTHEME SECThemeOpenThemeData(void* window, const wchar_t* classList);
HRESULT SECThemeCloseThemeData(HTHEME theme);
HRESULT SECThemeDrawThemeBackground(HTHEME theme, void* dc, int part, int state, const Rect& r,
                                    const Rect* clip);
bool SECThemeIsThemeActive();
bool SECThemeIsAppThemed();
bool SECThemeTrackMouseEvent(void* trackInfo);

// A themed background (part, state) in (x, y, cx, cy) of `target` with
// `bitmap` laid over it at (x + xOffset, y + yOffset), its `transparent`
// pixels left out. kE_FAIL, drawing nothing, when no style is on or it has
// no data for `classList`; the background's failure code when that fails;
// kE_FAIL after the background when the bitmap is empty.
struct ThemedBitmap {
  int part = 0, state = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  int xOffset = 0, yOffset = 0;
  Color transparent = 0;
};
HRESULT SECThemeDrawBackgroundBitmap(void* window, PixelBuffer& target, const PixelBuffer& bitmap,
                                     const wchar_t* classList, const ThemedBitmap& args);

// The guard of every themed path: both queries answer true.
inline bool SECThemeUseThemedPath() { return SECThemeIsAppThemed() && SECThemeIsThemeActive(); }

}  // namespace pm2
