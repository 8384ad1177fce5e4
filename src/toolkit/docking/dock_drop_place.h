#pragma once
// Where a bar dropped on a dock bar goes, decided from the rows as the user
// sees them (the last layout, without the dragged bar). Coordinates are the
// dock bar's own: "across" runs from row to row, "along" within a row.
//
// The rules, in order:
// - Before the first row: a new first row; between two rows or past the
//   last: a new row there.
// - On a row that a bar keeps to itself (the menu bar), or with a bar that
//   keeps a row to itself: a new row above the row when the cursor is in
//   its leading half, else below it. Nothing ever shares such a row.
// - On any other row: into that row, before the first of its bars that lies
//   on a later line of the row (a row too long for the dock bar wraps), or
//   on the cursor's line with its middle beyond the drop's leading edge;
//   after the last bar when there is none.

#include <vector>

namespace pm2 {

// A bar of a row: the extent of the line it stands on (across) and its
// middle (along).
struct DropRowBar {
  int lineFrom = 0, lineTo = 0;
  int middle = 0;
};

// A row: its extent across the dock bar and its bars in their order.
struct DropRow {
  int from = 0, to = 0;
  bool ownRow = false;  // holds a bar that shares its row with nothing
  std::vector<DropRowBar> bars;
};

// newRow: a new row before rows[row] (row == rows.size(): after the last).
// Else the bar joins rows[row] before its bar `column` (column ==
// bars.size(): after the last).
struct DropPlace {
  bool newRow = true;
  int row = 0;
  int column = 0;
  friend bool operator==(const DropPlace&, const DropPlace&) = default;
};

// `across` is the cursor's coordinate across the rows, `lead` the dropped
// rectangle's leading edge along them.
DropPlace FindDropPlace(const std::vector<DropRow>& rows, int across, int lead, bool barOwnsRow);

}  // namespace pm2
