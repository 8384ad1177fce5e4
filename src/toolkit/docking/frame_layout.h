#pragma once
// The docking frame's decisions that need no window: the dock-bar side
// table, the dock-order list that hands out default places to new bars, the
// cascade of bars floated inside the main window, the clamp that keeps a
// floating bar reachable, and the layout mode a bar docks with.

#include <cstdint>
#include <vector>

#include "toolkit/core/geometry.h"
#include "toolkit/docking/dock_bar_model.h"

namespace pm2 {

struct DockSideRow {
  unsigned id;
  DockSide side;
  std::uint32_t style;  // alignment plus the border facing the client
};
// Top, bottom, left, right: the order docking and floating search in.
const std::vector<DockSideRow>& DockSideTable();
// The row whose alignment bits equal the bar's, or null.
const DockSideRow* SideRowForAlign(std::uint32_t barStyle);

struct DockSizeInfo {
  float share = 1.0f;
  int length = 150;
};

// The default places handed to bars that have none: six passes over
// bottom, left and right, each pass opening a new row where its boundary
// entries (0) stand.
class DockOrder {
 public:
  DockOrder();
  const std::vector<unsigned>& List() const { return m_list; }
  // The next place in turn. The read index moves past the entry found, so
  // successive calls walk the list instead of answering the same place.
  unsigned Next(DockPosition* pos, DockSizeInfo* size);

 private:
  std::vector<unsigned> m_list;
  int m_read = 0;
};

// The layout mode DockControlBarEx commits with (without LM_COMMIT).
std::uint32_t DockLayoutModeFor(unsigned dockBarId);

// Positions of bars floated as windows inside the main window: from (30, 30)
// by (20, 23), each coordinate wrapping back to 30 past the client size
// less 30.
class MdiCascade {
 public:
  Point Take(Size client);
  Point Peek() const { return m_next; }

 private:
  Point m_next{30, 30};
};
// A point inside the client for a floated child (x in 0..width, y in
// 0..height - 30).
Point ClampIntoMdiClient(Point p, Size client);

// Keeps at least 10 pixels of a floating bar of `barSize` inside the work
// area on every side.
Point ClampFloatPoint(Point p, Size barSize, const Rect& workArea);

}  // namespace pm2
