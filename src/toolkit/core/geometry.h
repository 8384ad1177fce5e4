#pragma once
// Small value types for layout in the Qt-free toolkit core. A Rect is
// half-open like a Windows RECT: it holds x when left <= x < right.

#include <algorithm>

namespace pm2 {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool Intersects(const Rect& o) const {
    return std::max(left, o.left) < std::min(right, o.right) &&
           std::max(top, o.top) < std::min(bottom, o.bottom);
  }
  void Offset(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
  void Inflate(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace pm2
