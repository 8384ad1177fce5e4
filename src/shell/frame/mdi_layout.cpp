#include "shell/frame/mdi_layout.h"

#include <algorithm>

namespace pm2 {

std::vector<AreaRect> CascadeRects(int count, int areaWidth, int areaHeight, int step) {
  std::vector<AreaRect> out;
  if (count <= 0 || areaWidth <= 0 || areaHeight <= 0) return out;
  step = std::max(step, 1);
  const int spread = step * (count - 1);
  const int width = std::max(areaWidth - spread, areaWidth * 3 / 5);
  const int height = std::max(areaHeight - spread, areaHeight * 3 / 5);
  // The number of places before the cascade would leave the area.
  const int places = std::max(1, std::min((areaWidth - width) / step, (areaHeight - height) / step) + 1);
  for (int i = 0; i < count; ++i) {
    const int offset = (i % places) * step;
    out.push_back(AreaRect{offset, offset, width, height});
  }
  return out;
}

AreaRect FitInArea(const AreaRect& rect, int areaWidth, int areaHeight) {
  if (areaWidth <= 0 || areaHeight <= 0) return rect;
  AreaRect r = rect;
  r.width = std::min(r.width, areaWidth);
  r.height = std::min(r.height, areaHeight);
  r.x = std::max(0, std::min(r.x, areaWidth - r.width));
  r.y = std::max(0, std::min(r.y, areaHeight - r.height));
  return r;
}

}  // namespace pm2
