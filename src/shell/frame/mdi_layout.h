// Where the editor windows go in the MDI area: Window > Cascade, and a
// stored placement brought back into an area that may be smaller than the
// one it was saved in. Plain rectangles in area pixels, no window.
#pragma once

#include <vector>

namespace pm2 {

struct AreaRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const AreaRect&) const = default;
};

// The rectangles of `count` cascaded windows in an area of `areaWidth` x
// `areaHeight`, the first at the top left, each `step` pixels (a caption's
// height) right of and below the one before. Each window is as large as
// the area less the steps of the others, but never smaller than three
// fifths of the area; when the steps would carry a window past the area's
// edge the cascade starts again at the top left.
std::vector<AreaRect> CascadeRects(int count, int areaWidth, int areaHeight, int step);

// A stored window rectangle inside the area: no larger than the area, and
// moved left and up until its right and bottom edges (its caption buttons)
// are inside, never past the top left corner.
AreaRect FitInArea(const AreaRect& rect, int areaWidth, int areaHeight);

}  // namespace pm2
