#pragma once
// The splash window's rules without a window: where it stands and what
// closes it. The widget (splash_wnd.h) asks these; tests check them alone.

#include "toolkit/core/geometry.h"

namespace pm2 {

// String ids: the splash window's title and its hidden owner's.
constexpr unsigned kIdsSplashTitle = 20661;
constexpr unsigned kIdsSplashOwnerTitle = 20662;

// Top-left corner of a picture of `picture` size centred on `screen`
// (truncating division, so a picture larger than the screen gets a
// position left of or above the screen's origin).
inline Point SplashPosition(const Rect& screen, Size picture) {
  return {screen.left + (screen.Width() - picture.cx) / 2, screen.top + (screen.Height() - picture.cy) / 2};
}

// Invariant: while `noTimer` is set the splash stays until it is closed on
// request; starting the timer clears it.
struct SplashRules {
  int durationMs = 3000;
  bool noTimer = false;
  bool topmost = false;
  bool closeOnInput = true;

  // A key or a button press closes the splash only while its timer runs.
  bool InputCloses() const { return !noTimer && closeOnInput; }
};

}  // namespace pm2
