#include "toolkit/docking/drag_track.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/docking/control_bar_state.h"

namespace pm2 {

Rect MoveToContain(Rect r, Point p, int border) {
  if (p.x < r.left) r.Offset(p.x - r.left, 0);
  else if (p.x >= r.right) r.Offset(p.x - r.right + border, 0);
  if (p.y < r.top) r.Offset(0, p.y - r.top);
  else if (p.y >= r.bottom) r.Offset(0, p.y - r.bottom + border);
  return r;
}

void DragTrack::Begin(const ControlBarState& bar, const Rect& win, Point cursor, Size chrome) {
  start = last = cursor;
  wasFloating = bar.IsFloating();
  barHorz = bar.IsFloating() ? (bar.mru.floatStyle & CBRS_ORIENT_VERT) == 0 : bar.IsHorzRow();
  dockStyle = bar.dockStyle;
  Point o{win.left, win.top};
  dragHorz = {o.x, o.y, o.x + bar.szHorz.cx, o.y + bar.szHorz.cy};
  dragVert = {o.x, o.y, o.x + bar.szVert.cx, o.y + bar.szVert.cy};
  Size f{bar.szFloat.cx + chrome.cx, bar.szFloat.cy + chrome.cy};
  frameHorz = {o.x, o.y, o.x + f.cx, o.y + f.cy};
  frameVert = frameHorz;
  // The cursor keeps its place relative to the bar in the floating preview.
  int dx = cursor.x - win.left, dy = cursor.y - win.top;
  if (dx > f.cx - 4) frameHorz.Offset(dx - f.cx / 2, 0);
  if (dy > f.cy - 4) frameHorz.Offset(0, dy - f.cy / 2);
  frameVert = frameHorz;
  dragHorz = MoveToContain(dragHorz, cursor, 4);
  dragVert = MoveToContain(dragVert, cursor, 4);
  frameHorz = MoveToContain(frameHorz, cursor, 4);
  frameVert = MoveToContain(frameVert, cursor, 4);
}

void DragTrack::Move(Point cursor, const std::vector<DockTarget>& targets) {
  int dx = cursor.x - last.x, dy = cursor.y - last.y;
  for (Rect* r : {&dragHorz, &dragVert, &frameHorz, &frameVert}) r->Offset(dx, dy);
  last = cursor;
  overDock = forceFrame ? -1 : CanDock(targets);
}

int DragTrack::CanDock(const std::vector<DockTarget>& targets) const {
  auto catchRect = [](const DockTarget& t) {
    Rect r = t.rect;
    if (r.Width() <= 0 || r.Height() <= 0) {
      // An empty dock bar catches a band along its edge of the frame.
      switch (t.side) {
        case DockSide::Top: r.bottom = r.top + kEmptyDockBarCatch; break;
        case DockSide::Bottom: r.top = r.bottom - kEmptyDockBarCatch; break;
        case DockSide::Left: r.right = r.left + kEmptyDockBarCatch; break;
        case DockSide::Right: r.left = r.right - kEmptyDockBarCatch; break;
        default: break;
      }
    }
    return r;
  };
  auto find = [&](bool horz) {
    for (int i = 0; i < int(targets.size()); ++i) {
      const DockTarget& t = targets[i];
      if (t.side == DockSide::Float || IsHorzSide(t.side) != horz || !(dockStyle & AlignOf(t.side))) continue;
      Rect r = catchRect(t);
      // The cursor inside a dock bar docks there; a horizontal drag
      // rectangle that touches an empty top or bottom dock bar too.
      if (r.Contains(last)) return i;
      bool empty = t.rect.Width() <= 0 || t.rect.Height() <= 0;
      if (horz && empty && r.Intersects(dragHorz)) return i;
    }
    return -1;
  };
  // Floating frames lie above the main window: one that takes several bars
  // is taken first when the cursor is on it (joining the row there) or just
  // beside it (a new row on that side). The dragged rectangle is not asked:
  // a wide bar's would catch the frame it is being dragged out of.
  if (dockStyle & CBRS_FLOAT_MULTI)
    for (int i = 0; i < int(targets.size()); ++i) {
      if (targets[i].side != DockSide::Float || !targets[i].floatMulti) continue;
      Rect band = targets[i].rect;
      band.Inflate(kFloatFrameCatch, kFloatFrameCatch, kFloatFrameCatch, kFloatFrameCatch);
      if (band.Contains(last)) return i;
    }
  // The band beyond a dock bar's client edge (its rows' far side).
  auto beyond = [&](bool horz) {
    for (int i = 0; i < int(targets.size()); ++i) {
      const DockTarget& t = targets[i];
      if (t.side == DockSide::Float || IsHorzSide(t.side) != horz || !(dockStyle & AlignOf(t.side))) continue;
      if (t.rect.Width() <= 0 || t.rect.Height() <= 0) continue;
      Rect band = t.rect;
      switch (t.side) {
        case DockSide::Top: band.top = band.bottom, band.bottom += kNewRowCatch; break;
        case DockSide::Bottom: band.bottom = band.top, band.top -= kNewRowCatch; break;
        case DockSide::Left: band.left = band.right, band.right += kNewRowCatch; break;
        case DockSide::Right: band.right = band.left, band.left -= kNewRowCatch; break;
        default: break;
      }
      if (band.Contains(last)) return i;
    }
    return -1;
  };
  bool horzFirst = barHorz != flip;
  int hit = find(horzFirst);
  if (hit < 0 && !flip) hit = find(!horzFirst);
  if (hit < 0) hit = beyond(horzFirst);
  if (hit < 0 && !flip) hit = beyond(!horzFirst);
  return hit;
}

bool DragTrack::DocksOnRelease() const {
  if (overDock < 0) return false;
  if (!wasFloating) return true;
  return std::abs(last.x - start.x) + std::abs(last.y - start.y) > 4;
}

Rect DragTrack::FloatRect(bool dynamicBar) const {
  bool vert = !dynamicBar && !((barHorz && !flip) || (!barHorz && flip));
  return vert ? frameVert : frameHorz;
}

std::uint32_t DragTrack::FloatStyle(bool dynamicBar) const {
  bool vert = !dynamicBar && !((barHorz && !flip) || (!barHorz && flip));
  return (vert ? CBRS_ALIGN_LEFT : CBRS_ALIGN_TOP) | (dockStyle & CBRS_FLOAT_MULTI);
}

}  // namespace pm2
