#pragma once
// The state of one docking control bar without its window: its remembered
// sizes per orientation, its share of a dock-bar row, its style words and
// the places its dock context remembers (last dock bar and rectangle, last
// floating position). The layout questions a bar answers (dynamic and fixed
// layout, the child area, the gripper strip and its two buttons) are
// functions of this record, so the dock bars and the painting share them.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/core/geometry.h"
#include "toolkit/docking/bar_styles.h"

namespace pm2 {

// Gripper metrics: five across a vertical strip, five down a horizontal one.
struct GripperInfo {
  int horz[5] = {4, 3, 1, 3, 6};
  int vert[5] = {4, 3, 1, 3, 6};
  int sideMargin = 3;
  int Width() const { return horz[0] + horz[1] + horz[2] + horz[3] + horz[4]; }
  int Height() const { return vert[0] + vert[1] + vert[2] + vert[3] + vert[4]; }
};

// What the dock context remembers between moves.
struct DockMru {
  unsigned dockId = 0;           // last edge dock bar, 0 = none yet
  Rect dockPos;                  // in that dock bar's coordinates
  std::uint32_t floatStyle = CBRS_ALIGN_TOP;
  Point floatPos{-1, -1};        // negative: never floated
  bool wasFloating = false;      // floating when it became an MDI child
  int row = -1, column = -1;     // its place in that dock bar then; -1: none
  int thickness = 0;             // and its row's thickness
};

constexpr Size kDefaultBarSize{300, 180};

struct ControlBarState {
  unsigned id = 0;
  bool visible = true;
  std::string title;
  std::uint32_t style = 0;       // CBRS_ bits
  std::uint32_t exStyle = 0;     // SECBAR_EX_ bits
  std::uint32_t dockStyle = 0;   // edges the bar may dock at (0 = docking off)
  std::uint32_t savedDockStyle = 0;
  bool shareSet = true;          // the share in its row is established
  Size szHorz = kDefaultBarSize;
  Size szVert = kDefaultBarSize;
  Size szFloat = kDefaultBarSize;
  int mruWidth = 32767;
  float stretch = 1.0f;          // share of its row, a fraction
  float savedStretch = 1.0f;
  Rect insideBorder{10, 10, 10, 10};
  int borderLeft = 0, borderTop = 0, borderRight = 0, borderBottom = 0;
  GripperInfo gripper;
  DockMru mru;
  // A bar of its own size whose contents can wrap (a toolbar's buttons):
  // its size when docked in a line no longer than `length` (a row's
  // width, or a column's height when `vertical`). Unset: it keeps its size.
  std::function<Size(int length, bool vertical)> fitToLength;

  bool IsFloating() const { return (style & CBRS_FLOATING) != 0; }
  bool IsHorzRow() const { return (style & CBRS_ORIENT_HORZ) != 0; }
  bool IsVertColumn() const { return (style & CBRS_ORIENT_VERT) != 0; }
  bool IsFixed() const { return (exStyle & SECBAR_EX_FIXEDSIZE) != 0; }

  Size CalcFixedLayout(bool stretch, bool horz) const;
  // Commits a length (LM_COMMIT) into the size of the state the mode names
  // and answers the bar's size in that state.
  Size CalcDynamicLayout(int length, std::uint32_t mode);
  // The child area of a client rectangle.
  Rect GetInsideRect(const Rect& client) const;
  // The area inside the borders and the gripper (flat-border arithmetic).
  Rect CalcInsideRect(Rect rect, bool horz, bool withGripper) const;
  // The extended style with the themed bit kept once set.
  void SetExStyle(std::uint32_t ex);
};

// Where the single child of a bar goes for a client size (cx, cy); empty
// when the bar is minimised or has no area.
Rect FillChildRect(const ControlBarState& bar, int cx, int cy);

// Proportional children: the client rectangle when the records were taken
// and each child's rectangle then.
struct ChildRecords {
  Rect base;
  std::vector<Rect> children;
};
// The children's rectangles for a new client size. Records taken from an
// empty client (a bar not yet laid out) give nothing, so no child is
// squeezed by a division by zero; the caller takes the records again once
// the bar has a size.
std::vector<Rect> ProportionalChildRects(const ControlBarState& bar, const ChildRecords& records, int cx, int cy);

// Geometry of a docked bar's decorations, shared by painting and hit tests
// (client coordinates). Rectangles are empty where there is nothing.
struct BarDecorations {
  Rect bordered;   // client less the one-pixel flat borders
  Rect strip;      // gripper strip
  Rect caption;    // flat caption box
  Rect closeBtn;
  Rect expandBtn;
  Rect text;       // what remains of the strip for the caption text
  bool horzRow = false;
};
BarDecorations ComputeBarDecorations(const ControlBarState& bar, const Rect& client);

}  // namespace pm2
