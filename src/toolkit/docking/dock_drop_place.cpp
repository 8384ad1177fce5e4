#include "toolkit/docking/dock_drop_place.h"

namespace pm2 {

namespace {

// The first bar of the row the drop goes before, or the bar count.
int ColumnInRow(const DropRow& row, int across, int lead) {
  for (int i = 0; i < int(row.bars.size()); ++i) {
    const DropRowBar& b = row.bars[std::size_t(i)];
    const bool laterLine = b.lineFrom > across;
    const bool cursorLine = b.lineFrom <= across && across < b.lineTo;
    if (laterLine || (cursorLine && b.middle > lead)) return i;
  }
  return int(row.bars.size());
}

}  // namespace

DropPlace FindDropPlace(const std::vector<DropRow>& rows, int across, int lead, bool barOwnsRow) {
  const int n = int(rows.size());
  for (int r = 0; r < n; ++r) {
    const DropRow& row = rows[std::size_t(r)];
    if (across < row.from) return DropPlace{true, r, 0};
    if (across >= row.to) continue;
    if (row.ownRow || barOwnsRow) {
      const bool leadingHalf = across < row.from + (row.to - row.from) / 2;
      return DropPlace{true, leadingHalf ? r : r + 1, 0};
    }
    return DropPlace{false, r, ColumnInRow(row, across, lead)};
  }
  return DropPlace{true, n, 0};
}

}  // namespace pm2
