#include "toolkit/toolbars/toolbar_layout.h"

#include <algorithm>

namespace pm2 {
namespace {

// Width and height of the row from `first` to `last`.
void MeasureRow(const std::vector<LayoutItem>& items, int first, ToolbarRow* row) {
  row->cx = 0;
  row->cy = 0;
  for (int i = first; i <= row->last; ++i) {
    const LayoutItem& it = items[std::size_t(i)];
    if (i == row->last && row->sepEnd) break;
    row->cx += it.cx;
    if (!it.separator) row->cy = std::max(row->cy, it.cy);
  }
  if (row->cy == 0 && row->last >= first) row->cy = items[std::size_t(first)].cy;
}

int FirstOf(const std::vector<ToolbarRow>& rows, std::size_t r) { return r == 0 ? 0 : rows[r - 1].last + 1; }

}  // namespace

int WrapButtons(const std::vector<LayoutItem>& items, int width, std::vector<ToolbarRow>* rows) {
  rows->clear();
  const int n = int(items.size());
  int x = 0;
  int lastBreak = -1;
  for (int i = 0; i < n; ++i) {
    const int cx = items[std::size_t(i)].cx;
    if (x + cx <= width + 2) {
      x += cx;
      continue;
    }
    int sep = -1;
    for (int k = i; k > lastBreak; --k)
      if (items[std::size_t(k)].separator) {
        sep = k;
        break;
      }
    if (sep >= 0) {
      rows->push_back({sep, true});
      lastBreak = sep;
      x = 0;
      i = sep;  // continue after the separator
    } else if (i - 1 > lastBreak) {
      rows->push_back({i - 1, false});
      lastBreak = i - 1;
      x = 0;
      --i;  // this button starts the next row
    } else {
      x += cx;  // a single over-long button keeps its row
    }
  }
  if (n > 0 && lastBreak < n - 1) rows->push_back({n - 1, false});
  for (std::size_t r = 0; r < rows->size(); ++r) MeasureRow(items, FirstOf(*rows, r), &(*rows)[r]);
  return int(rows->size());
}

Size RowsSize(const std::vector<ToolbarRow>& rows, int sepWidth) {
  Size s;
  for (const ToolbarRow& r : rows) {
    s.cx = std::max(s.cx, r.cx);
    s.cy += r.cy + (r.sepEnd ? sepWidth * 2 / 3 : 0);
  }
  return s;
}

void BalanceRows(const std::vector<LayoutItem>& items, std::vector<ToolbarRow>* rowsIn) {
  std::vector<ToolbarRow>& rows = *rowsIn;
  if (rows.size() <= 1) return;
  // Each pass moves at least one button down, so the loop ends; the bound
  // only guards against a fault.
  for (std::size_t pass = 0; pass < items.size() * rows.size() + 1; ++pass) {
    std::size_t w = 0;
    for (std::size_t r = 0; r < rows.size(); ++r)
      if (rows[r].cx >= rows[w].cx) w = r;
    if (w + 1 >= rows.size()) return;
    ToolbarRow& row = rows[w];
    ToolbarRow& next = rows[w + 1];
    const int first = FirstOf(rows, w);
    int newLast = 0;
    if (!row.sepEnd) {
      if (row.last <= first) return;
      const int wb = items[std::size_t(row.last)].cx;
      if (row.cx <= next.cx + wb) {
        // Only worth it when a later row that ends at a separator can pass
        // the overflow on.
        std::size_t k = w + 1;
        while (k + 1 < rows.size() && !rows[k].sepEnd) ++k;
        if (k == w + 1 || row.cx < rows[k].cx + wb) return;
      }
      newLast = row.last - 1;
    } else {
      // The group between the closing separator and the separator before it.
      int inner = -1;
      int group = 0;
      for (int k = row.last - 1; k >= first; --k) {
        group += items[std::size_t(k)].cx;
        if (items[std::size_t(k)].separator) {
          inner = k;
          break;
        }
      }
      if (inner < 0 || next.cx + group >= row.cx) return;
      newLast = inner;
    }
    row.last = newLast;
    row.sepEnd = items[std::size_t(newLast)].separator;
    MeasureRow(items, first, &row);
    MeasureRow(items, row.last + 1, &next);
  }
}

ToolbarFit WrapToFit(const std::vector<LayoutItem>& items, int length, bool vertical, const ToolbarMetricsIn& m) {
  ToolbarFit fit;
  int minW = 0, maxW = 0;
  for (const LayoutItem& it : items) {
    if (it.separator) continue;
    minW = minW ? std::min(minW, it.cx) : it.cx;
    maxW = std::max(maxW, it.cx);
  }
  if (minW == 0) minW = maxW = m.buttonCx;
  const auto wrap = [&](int width) {
    WrapButtons(items, width, &fit.rows);
    return RowsSize(fit.rows, m.sepWidth);
  };
  if (!vertical) {
    fit.size = wrap(std::max(length, maxW));
  } else {
    const int wanted = m.buttonCy > 0 ? length / m.buttonCy : 0;
    if (wanted <= 0) {
      fit.size = wrap(maxW);
    } else {
      int count = 0;
      for (const LayoutItem& it : items) count += !it.separator;
      int width = std::max(minW, m.buttonCx * count / wanted);
      Size s = wrap(width);
      if (s.cy < length) {
        while (s.cy != length) {
          const int narrower = width - m.buttonCx;
          if (narrower < minW) break;
          const Size t = wrap(narrower);
          if (t.cy > length) {
            s = wrap(width);
            break;
          }
          width = narrower;
          s = t;
        }
      } else {
        while (s.cy > length && s.cy > m.buttonCy && width < 0x7FFF) {
          width += m.buttonCx;
          s = wrap(width);
        }
      }
      fit.size = s;
    }
  }
  BalanceRows(items, &fit.rows);
  fit.size = RowsSize(fit.rows, m.sepWidth);
  return fit;
}

std::vector<PlacedButton> PlaceRows(const std::vector<LayoutItem>& items, const std::vector<ToolbarRow>& rows,
                                    Point origin, bool verticalDock, int sepWidth) {
  std::vector<PlacedButton> out(items.size());
  int y = origin.y;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int first = FirstOf(rows, r);
    int x = origin.x;
    for (int i = first; i <= rows[r].last; ++i) {
      const LayoutItem& it = items[std::size_t(i)];
      int top = y;
      if (it.vcenter && it.cy < rows[r].cy) top += (rows[r].cy - it.cy) / 2;
      out[std::size_t(i)].pos = {x, top};
      x += it.cx;
    }
    if (r + 1 < rows.size()) out[std::size_t(rows[r].last)].wrapped = true;
    y += rows[r].cy;
    if (rows[r].sepEnd) {
      if (verticalDock) out[std::size_t(rows[r].last)].pos = {origin.x, y + sepWidth * 2 / 6};
      y += sepWidth * 2 / 3;
    }
  }
  return out;
}

}  // namespace pm2
