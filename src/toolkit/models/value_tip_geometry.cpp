#include "toolkit/models/value_tip_geometry.h"

#include <algorithm>

namespace pm2 {

TipRect PlaceValueTip(TipDrag& drag, int pointerX, int pointerY, int textWidth, int textHeight) {
  if (drag.firstShow) drag.x = pointerX;
  drag.firstShow = false;
  TipRect r;
  r.width = textWidth + 10;
  r.height = textHeight + 6;
  r.left = std::max(0, drag.x - r.width - 20);
  r.top = std::max(0, pointerY - r.height / 2);
  return r;
}

}  // namespace pm2
