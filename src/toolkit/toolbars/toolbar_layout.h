#pragma once
// How a customisable toolbar lays its buttons out, without a window: the
// buttons wrap into rows at a width (a row prefers to end at a separator,
// whose width then turns into a gap of two thirds of the separator width
// below the row), a fit to a wanted length for docked and floating shapes
// with the rows balanced, and the buttons' positions for a set of rows.

#include <vector>

#include "toolkit/core/geometry.h"

namespace pm2 {

// What the layout needs of one visible button.
struct LayoutItem {
  int cx = 23, cy = 22;
  bool separator = false;
  bool vcenter = false;  // centred in its row when lower than the row
};

// One row: the index of its last button, whether it ends at a separator
// (which then takes no width in the row), its width and height.
struct ToolbarRow {
  int last = 0;
  bool sepEnd = false;
  int cx = 0;
  int cy = 0;
  friend bool operator==(const ToolbarRow&, const ToolbarRow&) = default;
};

// Breaks the buttons into rows no wider than `width` (2 pixels of slack);
// a single button wider than that keeps its own row. Answers the row count.
int WrapButtons(const std::vector<LayoutItem>& items, int width, std::vector<ToolbarRow>* rows);
// Largest row width by the sum of row heights plus the separator gaps.
Size RowsSize(const std::vector<ToolbarRow>& rows, int sepWidth);
// Moves buttons (or groups between separators) from the widest row down
// while the rows below can take them without getting wider.
void BalanceRows(const std::vector<LayoutItem>& items, std::vector<ToolbarRow>* rows);

struct ToolbarMetricsIn {
  int buttonCx = 23, buttonCy = 22;
  int sepWidth = 8;
};

struct ToolbarFit {
  std::vector<ToolbarRow> rows;
  Size size;  // of the buttons alone, borders not included
};
// Horizontal: wraps at `length` (at least the widest button). Vertical:
// finds the narrowest width whose rows fit the height `length`; a length
// that holds no whole button gives one button a row (a docked column).
ToolbarFit WrapToFit(const std::vector<LayoutItem>& items, int length, bool vertical, const ToolbarMetricsIn& m);

struct PlacedButton {
  Point pos;
  bool wrapped = false;  // last button of a row that is not the last row
};
// Positions for the rows with the first row's top-left at `origin`; on a
// vertical dock a wrapped separator sits 2 pixels into the gap below its
// row, across the row's width.
std::vector<PlacedButton> PlaceRows(const std::vector<LayoutItem>& items, const std::vector<ToolbarRow>& rows,
                                    Point origin, bool verticalDock, int sepWidth);

}  // namespace pm2
