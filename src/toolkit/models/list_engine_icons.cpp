// The icon layout of the list engine: cells as wide as column 0 in lines
// that wrap at the inside right edge, and the scroll units (rows or lines)
// that the row walks share with report view.
#include <algorithm>

#include "toolkit/models/list_engine.h"

namespace pm2 {

int SECListBaseC::IconCellWidth() const { return std::max(1, GetColumnWidth(0)); }

int SECListBaseC::IconsPerLine() {
  return std::max(1, GetInsideRect().Width() / IconCellWidth());
}

int SECListBaseC::IconLineCount() {
  const int per = IconsPerLine();
  return (GetItemCount() + per - 1) / per;
}

int SECListBaseC::IconLineHeight(int line) {
  const int per = IconsPerLine();
  const int first = line * per;
  const int end = std::min(GetItemCount(), first + per);
  int h = 0;
  for (int i = first; i < end; ++i) h = std::max(h, RowHeight(i));
  return h;
}

bool SECListBaseC::GetIconCellRect(int index, Rect* r) {
  if (index < m_top || index >= GetItemCount()) return false;
  const Rect inside = GetInsideRect();
  const int per = IconsPerLine();
  const int w = IconCellWidth();
  const int line = index / per;
  int y = inside.top;
  for (int l = m_top / per; l < line; ++l) y += IconLineHeight(l);
  const int x = inside.left - m_hOffset + (index % per) * w;
  *r = {x, y, x + w, y + IconLineHeight(line)};
  return true;
}

int SECListBaseC::IconHitTest(int x, int y, unsigned* flags) {
  const Rect inside = GetInsideRect();
  const int per = IconsPerLine();
  const int n = GetItemCount();
  int top = inside.top;
  for (int first = m_top; first < n && top < inside.bottom; first += per) {
    const int h = IconLineHeight(first / per);
    if (y >= top && y < top + h) {
      const int col = (x - (inside.left - m_hOffset)) / IconCellWidth();
      const int i = first + col;
      if (x < inside.left - m_hOffset || col >= per || i >= n) return -1;
      const SECListItem* rec = m_items[i].get();
      const Point p{x - (inside.left - m_hOffset + col * IconCellWidth()), y - top};
      // The label is hit over its own height here: below the image the
      // cell has room beside the text that belongs to no part.
      unsigned f = LVHT_ONROW;
      if (rec->labelRect.Contains(p)) f |= LVHT_ONITEMLABEL;
      else if (rec->imageRect.Contains(p)) f |= LVHT_ONITEMICON;
      else if (rec->stateRect.Contains(p)) f |= LVHT_ONITEMSTATEICON;
      else if (p.x < rec->labelRect.left) f |= LVHT_LEFTOFLABEL;
      else f |= LVHT_RIGHTOFLABEL;
      *flags = f;
      return i;
    }
    top += h;
  }
  return -1;
}

bool SECListBaseC::IconKeyDown(unsigned key, bool shift, bool ctrl) {
  // Arrows move through the grid: left and right by one cell, up and down
  // by one line; a move off the grid does nothing.
  const int n = GetItemCount();
  const int per = IconsPerLine();
  int to = -1;
  switch (key) {
    case vk::Left: to = m_focus - 1; break;
    case vk::Right: to = m_focus + 1; break;
    case vk::Up: to = m_focus - per; break;
    case vk::Down: to = m_focus + per < n ? m_focus + per : (UnitOf(m_focus) < UnitOf(n - 1) ? n - 1 : -1); break;
    default: return false;
  }
  if (m_focus >= 0 && to >= 0 && to < n) KeySelect(to, shift, ctrl);
  return true;
}

void SECListBaseC::EnsureIconVisible(int index) {
  const int line = UnitOf(index);
  if (line < TopUnit()) {
    ScrollLines(line - TopUnit());
    return;
  }
  if (index <= GetBottomIndex()) return;
  // Make the item's line the last whole line of the page.
  const int room = GetInsideRect().Height();
  int used = UnitHeight(line);
  const int top = line - CountFittingAbove(line - 1, room, &used);
  ScrollLines(top - TopUnit());
}

// --- scroll units ---------------------------------------------------------------

int SECListBaseC::UnitCount() { return IsIconLayout() ? IconLineCount() : GetItemCount(); }

int SECListBaseC::UnitHeight(int unit) { return IsIconLayout() ? IconLineHeight(unit) : RowHeight(unit); }

int SECListBaseC::UnitOf(int index) { return IsIconLayout() ? index / IconsPerLine() : index; }

int SECListBaseC::CountFittingAbove(int from, int room, int* used) {
  int count = 0;
  for (int u = from; u >= 0; --u) {
    const int h = UnitHeight(u);
    if (*used + h > room) break;
    *used += h;
    ++count;
  }
  return count;
}

}  // namespace pm2
