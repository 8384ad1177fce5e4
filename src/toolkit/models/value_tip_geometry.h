// Where the value tip of a dragged scroll thumb sits: left of the pointer,
// 20 pixels clear of it, centred on it vertically, never off the left or
// top edge of the screen. One drag keeps the x of its first show.
#pragma once

namespace pm2 {

struct TipRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The drag state of all value tips: the x of the first show of a drag.
struct TipDrag {
  bool firstShow = true;  // set at creation and by a hide
  int x = 0;              // the x that the shows of this drag keep
};

// pointerX/Y in screen coordinates, textWidth/Height measured with the
// tip's font. Updates the drag state (the first show takes the x).
TipRect PlaceValueTip(TipDrag& drag, int pointerX, int pointerY, int textWidth, int textHeight);

}  // namespace pm2
