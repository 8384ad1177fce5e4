#include "toolkit/docking/workbook_layout.h"

#include <algorithm>

namespace pm2 {

ClientMargins WorkbookMargins(bool workbookMode, bool flat) {
  if (!workbookMode) return {};
  if (flat) return {3, 5, 3, 30};
  return {13, 13, 13, 33};
}

int WorkbookTabWidth(int clientWidth, int sheetCount, const WorkbookMetrics& m) {
  if (sheetCount <= 0) return m.maxTabWidth;
  return std::min((clientWidth + 5) / sheetCount, m.maxTabWidth);
}

TabPolygon WorkbookTabPolygon(int slot, int W, const Rect& M, bool raised, bool flat, const WorkbookMetrics& m) {
  int h = raised ? 1 : 0;
  int o = flat ? 0 : (m.activeWiden / 2) * h;
  TabPolygon p;
  p[0] = {slot * W - o + M.left, M.bottom + 1};
  p[1] = {p[0].x, p[0].y + m.tabHeight - m.bevel};
  p[2] = {p[1].x + m.bevel, p[1].y + m.activeRaise * h + m.bevel};
  p[3] = {p[2].x - 2 * m.bevel + W + (flat ? 0 : m.activeWiden * h), p[2].y};
  p[4] = {p[3].x + m.bevel, p[1].y};
  p[5] = {p[4].x, p[0].y};
  p[6] = p[0];
  return p;
}

Rect WorkbookTabTextRect(const TabPolygon& pts, int iconWidth) {
  return {pts[2].x + iconWidth + 3, pts[0].y, pts[4].x - 2, pts[3].y};
}

Rect WorkbookTabBounds(const TabPolygon& pts) {
  Rect r{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
  for (const Point& p : pts) {
    r.left = std::min(r.left, p.x);
    r.top = std::min(r.top, p.y);
    r.right = std::max(r.right, p.x + 1);
    r.bottom = std::max(r.bottom, p.y + 1);
  }
  return r;
}

bool WorkbookTabContains(const TabPolygon& pts, Point p) {
  // Even-odd rule over the closed outline.
  bool inside = false;
  for (int i = 0, j = 6; i < 7; j = i++) {
    const Point& a = pts[i];
    const Point& b = pts[j];
    if ((a.y > p.y) != (b.y > p.y)) {
      double x = a.x + double(p.y - a.y) * double(b.x - a.x) / double(b.y - a.y);
      if (p.x < x) inside = !inside;
    }
  }
  return inside;
}

std::string ShortenTabLabel(std::string label, int width, const std::function<int(const std::string&)>& measure) {
  while (label.size() > 3 && measure(label) > width) {
    std::size_t cut = label.size() >= 4 ? label.size() - 4 : 0;
    label = label.substr(0, cut) + "...";
  }
  return label;
}

}  // namespace pm2
