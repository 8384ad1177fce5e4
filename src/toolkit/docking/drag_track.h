#pragma once
// The rectangles and decisions of a bar drag, in screen coordinates: the
// four drag rectangles (docked across a row, docked in a column, floating
// in either orientation) that follow the cursor, the dock bar the drag is
// over, and what the release does.

#include <cstdint>
#include <vector>

#include "toolkit/core/geometry.h"
#include "toolkit/docking/bar_styles.h"

namespace pm2 {

struct ControlBarState;

// A dock bar the drag may land on: its side and its window in screen
// coordinates (an empty dock bar is a line at the frame's edge). A
// floating frame's dock bar takes other bars only when it holds several
// bars (CBRS_FLOAT_MULTI) and the dragged bar allows that too.
struct DockTarget {
  DockSide side;
  Rect rect;
  bool floatMulti = false;
};

// How far an empty dock bar reaches into the frame for a drag.
constexpr int kEmptyDockBarCatch = 12;
// How far beyond its edge that faces the client a dock bar with rows still
// takes a drag (into a new row on that side), when no dock bar holds the
// cursor: a new row can be made below the last one, even below a row that
// nothing may share (the menu bar's).
constexpr int kNewRowCatch = 12;
// How far beside a floating frame of several bars the cursor still docks
// there (in a new row).
constexpr int kFloatFrameCatch = 16;

struct DragTrack {
  Rect dragHorz, dragVert, frameHorz, frameVert;
  Point start, last;
  bool flip = false;        // Shift: the other orientation
  bool forceFrame = false;  // Ctrl: never dock
  bool wasFloating = false;
  bool barHorz = true;      // the bar's own orientation
  std::uint32_t dockStyle = CBRS_ALIGN_ANY;
  int overDock = -1;        // index into the targets, -1 = floating

  // Builds the rectangles from the bar's window rectangle and sizes, each
  // moved to contain the cursor.
  void Begin(const ControlBarState& bar, const Rect& barWindow, Point cursor, Size frameChrome);
  void Move(Point cursor, const std::vector<DockTarget>& targets);
  // The target the rectangles are over, or -1.
  int CanDock(const std::vector<DockTarget>& targets) const;
  // Whether the release docks (else it floats).
  bool DocksOnRelease() const;
  // The floating frame's rectangle and style the release floats with.
  Rect FloatRect(bool dynamicBar) const;
  std::uint32_t FloatStyle(bool dynamicBar) const;
  // The rectangle a dock bar is asked about for a target.
  // A floating frame's rows run across, as in a top dock bar.
  const Rect& DockRectFor(DockSide side) const {
    return IsHorzSide(side) || side == DockSide::Float ? dragHorz : dragVert;
  }
};

// Moves `r` so that it contains `p` (by `border` inside when it lay left of
// or above the cursor... the far edge keeps the cursor `border` inside).
Rect MoveToContain(Rect r, Point p, int border);

}  // namespace pm2
