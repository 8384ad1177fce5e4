#include "toolkit/docking/dock_bar_model.h"

#include <algorithm>

namespace pm2 {

DockBarModel::DockBarModel(DockSide side) : m_side(side) {}

int DockBarModel::Find(const ControlBarState* bar) const {
  if (!bar) return -1;
  for (int i = 1; i < int(m_entries.size()); ++i)
    if (m_entries[i].bar == bar) return i;
  return -1;
}

int DockBarModel::GetDockedVisibleCount() const {
  int n = 0;
  for (const DockEntry& e : m_entries)
    if (e.bar && e.bar->visible) ++n;
  return n;
}

int DockBarModel::BarCount() const {
  int n = 0;
  for (const DockEntry& e : m_entries)
    if (e.bar) ++n;
  return n;
}

int DockBarModel::RowStart(int index) const {
  int i = index;
  while (i > 1 && !m_entries[i - 1].IsRowEnd()) --i;
  return std::max(1, i);
}

int DockBarModel::RowEnd(int index) const {
  int i = index;
  while (i < int(m_entries.size()) && !m_entries[i].IsRowEnd()) ++i;
  return i;
}

std::vector<int> DockBarModel::RowEnds() const {
  std::vector<int> ends;
  for (int i = 1; i < int(m_entries.size()); ++i)
    if (m_entries[i].IsRowEnd()) ends.push_back(i);
  return ends;
}

std::uint32_t DockBarModel::DockMode() const {
  return IsHorzSide(m_side) ? (LM_HORZ | LM_HORZDOCK) : (LM_VERTDOCK | LM_LENGTHY);
}

int DockBarModel::Length(Size available) const { return IsHorzSide(m_side) || IsFloating() ? available.cx : available.cy; }

int DockBarModel::BarLength(const ControlBarState* b) const {
  if (IsFloating()) return b->szFloat.cx;
  return IsHorzSide(m_side) ? b->szHorz.cx : b->szVert.cy;
}

int DockBarModel::BarThickness(const ControlBarState* b) const {
  if (IsFloating()) return b->szFloat.cy;
  return IsHorzSide(m_side) ? b->szHorz.cy : b->szVert.cx;
}

void DockBarModel::MarkBarChanged(ControlBarState* bar) {
  int i = Find(bar);
  if (i > 0) {
    int first = RowStart(i), end = RowEnd(i);
    bool alone = true;
    for (int k = first; k < end; ++k)
      if (m_entries[k].bar && m_entries[k].bar != bar) alone = false;
    if (alone)
      for (int k = first; k < int(m_entries.size()); ++k)
        if (m_entries[k].bar) m_redraw.push_back(m_entries[k].bar);
  }
  m_redraw.push_back(bar);
  m_pNewBar = bar;
}

std::vector<ControlBarState*> DockBarModel::TakeRedrawList() {
  std::vector<ControlBarState*> out;
  out.swap(m_redraw);
  return out;
}

void DockBarModel::DockControlBar(ControlBarState* bar, const Rect* rect, const Point* point) {
  bar->style = (bar->style & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_FLOATING)) | AlignOf(m_side) | CBRS_BORDER_ANY |
               (IsFloating() ? CBRS_FLOATING : 0);
  if (Contains(bar)) {
    m_pNewBar = bar;
    return;
  }
  // A rectangle places the bar where it was dropped and its old place
  // goes; without one the bar returns to the place held for it.
  int held = -1;
  for (int i = 1; i < int(m_entries.size()) && bar->id; ++i)
    if (!m_entries[i].bar && m_entries[i].placeholder == bar->id) held = i;
  if (rect) {
    // Rows are found from the last layout, so the old place goes after.
    InsertBarAtRect(bar, *rect, point ? *point : Point{rect->left, rect->top});
    for (int i = 1; i < int(m_entries.size()) && bar->id; ++i) {
      if (!m_entries[i].bar && m_entries[i].placeholder == bar->id) {
        m_entries.erase(m_entries.begin() + i);
        break;
      }
    }
    CleanUp();
  } else if (held > 0) {
    m_entries[held] = DockEntry{bar, 0};
    SeparateOwnRows();
  } else {
    m_entries.push_back(DockEntry{bar, 0});
    m_entries.push_back(DockEntry{});
  }
  m_redraw.push_back(bar);
  m_pNewBar = bar;
}

int DockBarModel::DockControlBarAt(ControlBarState* bar, const DockPosition& pos) {
  bar->style = (bar->style & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_FLOATING)) | AlignOf(m_side) | CBRS_BORDER_ANY |
               (IsFloating() ? CBRS_FLOATING : 0);
  int at = Find(bar);
  if (at > 0) return at;
  at = InsertAtPosition(bar, pos);
  m_pNewBar = bar;
  return at;
}

void DockBarModel::InsertBar(int index, ControlBarState* bar) {
  index = std::clamp(index, 1, int(m_entries.size()));
  m_entries.insert(m_entries.begin() + index, DockEntry{bar, 0});
  if (bar->exStyle & SECBAR_EX_OWNROW) {
    // A bar of its own row is cut off its neighbours by row ends.
    if (index + 1 < int(m_entries.size()) && !m_entries[index + 1].IsRowEnd())
      m_entries.insert(m_entries.begin() + index + 1, DockEntry{});
    if (index > 1 && !m_entries[index - 1].IsRowEnd()) {
      m_entries.insert(m_entries.begin() + index, DockEntry{});
      ++index;
    }
  }
  if (m_entries.back().bar || m_entries.back().placeholder) m_entries.push_back(DockEntry{});
}

int DockBarModel::InsertAtPosition(ControlBarState* bar, const DockPosition& pos) {
  int index = 1;
  if (m_entries.size() == 1) {
    m_entries.push_back(DockEntry{bar, 0});
    m_entries.push_back(DockEntry{});
    m_redraw.push_back(bar);
    return 1;
  }
  std::vector<int> ends = RowEnds();
  int rows = int(ends.size());
  int row = pos.row;
  if (pos.flags & 1) row = rows - 1 - row;
  if (!(pos.flags & 1) && row < 0) {
    m_entries.insert(m_entries.begin() + 1, DockEntry{bar, 0});
    for (int k = 0; k < -row - 1; ++k) m_entries.insert(m_entries.begin() + 2, DockEntry{});
    m_redraw.push_back(bar);
    return 1;
  }
  if (row < 0) row = 0;
  if (row >= rows) {
    for (int k = rows; k < row; ++k) m_entries.push_back(DockEntry{});
    m_entries.push_back(DockEntry{bar, 0});
    index = int(m_entries.size()) - 1;
    m_entries.push_back(DockEntry{});
    m_redraw.push_back(bar);
    return index;
  }
  int first = row == 0 ? 1 : ends[row - 1] + 1;
  int end = ends[row];
  if (pos.flags & 4) {
    m_entries.insert(m_entries.begin() + first, DockEntry{});
    m_entries.insert(m_entries.begin() + first, DockEntry{bar, 0});
    m_redraw.push_back(bar);
    return first;
  }
  if (first == end || (pos.column <= 0 && !(pos.flags & 2))) {
    index = first;
  } else if (pos.flags & 2) {
    // Counted from the row's end: column 1 is after the last bar.
    index = end;
    int count = 1;
    for (int k = end - 1; k >= first && count < pos.column; --k) {
      if (m_entries[k].bar && m_entries[k].bar->visible) {
        ++count;
        index = k;
      }
    }
  } else {
    index = end;
    int count = 0;
    for (int k = first; k < end; ++k) {
      if (m_entries[k].bar && m_entries[k].bar->visible) {
        if (count == pos.column) {
          index = k;
          break;
        }
        ++count;
      }
    }
  }
  InsertBar(index, bar);
  m_redraw.push_back(bar);
  if (index + 1 < int(m_entries.size()) && m_entries[index + 1].bar) m_redraw.push_back(m_entries[index + 1].bar);
  // A row that a bar keeps to itself is not joined: the bar goes beside it.
  SeparateOwnRows();
  return Find(bar);
}

std::vector<DockBarModel::LaidRow> DockBarModel::LaidOutRows(const ControlBarState* except) const {
  const bool horz = RowsAreHorizontal();
  auto lastRect = [&](const ControlBarState* b, Rect* out) {
    for (size_t j = 0; j < m_last.bars.size(); ++j)
      if (m_last.bars[j] == b) {
        *out = m_last.rects[j];
        return true;
      }
    return false;
  };
  std::vector<LaidRow> rows;
  int first = 1;
  for (int end : RowEnds()) {
    LaidRow row;
    row.first = first;
    row.end = end;
    for (int k = first; k < end; ++k) {
      ControlBarState* b = m_entries[k].bar;
      Rect r;
      if (!b || b == except || !b->visible || !lastRect(b, &r)) continue;
      const int a0 = horz ? r.top : r.left, a1 = horz ? r.bottom : r.right;
      const int middle = horz ? (r.left + r.right) / 2 : (r.top + r.bottom) / 2;
      row.drop.from = row.entries.empty() ? a0 : std::min(row.drop.from, a0);
      row.drop.to = row.entries.empty() ? a1 : std::max(row.drop.to, a1);
      row.drop.ownRow = row.drop.ownRow || (b->exStyle & SECBAR_EX_OWNROW);
      row.drop.bars.push_back(DropRowBar{a0, a1, middle});
      row.entries.push_back(k);
    }
    if (!row.entries.empty()) rows.push_back(std::move(row));
    first = end + 1;
  }
  return rows;
}

DropPlace DockBarModel::DropPlaceOf(const std::vector<LaidRow>& rows, const ControlBarState* bar, int across,
                                    int lead) const {
  std::vector<DropRow> drop;
  for (const LaidRow& r : rows) drop.push_back(r.drop);
  return FindDropPlace(drop, across, lead, (bar->exStyle & SECBAR_EX_OWNROW) != 0);
}

int DockBarModel::InsertBarAtRect(ControlBarState* bar, const Rect& rect, Point point) {
  const bool horz = RowsAreHorizontal();
  // Rows are found where the user saw them: from the last layout.
  const std::vector<LaidRow> rows = LaidOutRows(bar);
  if (rows.empty()) {
    m_entries.push_back(DockEntry{bar, 0});
    m_entries.push_back(DockEntry{});
    return int(m_entries.size()) - 2;
  }
  const DropPlace place = DropPlaceOf(rows, bar, horz ? point.y : point.x, horz ? rect.left : rect.top);
  if (place.newRow) {
    const int at = place.row == 0 ? 1 : rows[std::size_t(place.row) - 1].end + 1;
    m_entries.insert(m_entries.begin() + at, DockEntry{});
    m_entries.insert(m_entries.begin() + at, DockEntry{bar, 0});
    return at;
  }
  const LaidRow& row = rows[std::size_t(place.row)];
  const int index = place.column < int(row.entries.size()) ? row.entries[std::size_t(place.column)] : row.end;
  InsertBar(index, bar);
  for (int k = row.first; k < int(m_entries.size()) && !m_entries[k].IsRowEnd(); ++k)
    if (m_entries[k].bar) m_redraw.push_back(m_entries[k].bar);
  return index;
}

void DockBarModel::SeparateOwnRows() {
  for (int i = 1; i < int(m_entries.size()); ++i) {
    if (!m_entries[i].bar || !(m_entries[i].bar->exStyle & SECBAR_EX_OWNROW)) continue;
    if (i + 1 < int(m_entries.size()) && !m_entries[i + 1].IsRowEnd())
      m_entries.insert(m_entries.begin() + i + 1, DockEntry{});
    if (i > 1 && !m_entries[i - 1].IsRowEnd()) {
      m_entries.insert(m_entries.begin() + i, DockEntry{});
      ++i;
    }
  }
  if (m_entries.size() > 1 && !m_entries.back().IsRowEnd()) m_entries.push_back(DockEntry{});
}

void DockBarModel::CleanUp() {
  // Double row ends and a leading empty row go; the list ends with a row end.
  for (int i = 1; i + 1 < int(m_entries.size());) {
    if (m_entries[i].IsRowEnd() && m_entries[i + 1].IsRowEnd()) m_entries.erase(m_entries.begin() + i);
    else ++i;
  }
  if (m_entries.size() > 1 && m_entries[1].IsRowEnd()) m_entries.erase(m_entries.begin() + 1);
  if (m_entries.size() > 1 && !m_entries.back().IsRowEnd()) m_entries.push_back(DockEntry{});
}

void DockBarModel::RemoveControlBar(ControlBarState* bar, bool addPlaceholder) {
  int i = Find(bar);
  if (i < 0) return;
  int first = RowStart(i), end = RowEnd(i);
  bool alone = true;
  for (int k = first; k < end; ++k)
    if (m_entries[k].bar && m_entries[k].bar != bar) alone = false;
  if (alone)
    for (int k = end; k < int(m_entries.size()); ++k)
      if (m_entries[k].bar) m_redraw.push_back(m_entries[k].bar);
  if (addPlaceholder && bar->id) {
    // One placeholder per id.
    for (int k = 1; k < int(m_entries.size()); ++k)
      if (k != i && !m_entries[k].bar && m_entries[k].placeholder == bar->id) m_entries[k].placeholder = 0, m_entries[k].bar = nullptr;
    m_entries[i] = DockEntry{nullptr, bar->id};
  } else {
    m_entries.erase(m_entries.begin() + i);
  }
  CleanUp();
  m_redraw.erase(std::remove(m_redraw.begin(), m_redraw.end(), bar), m_redraw.end());
  if (m_pNewBar == bar) m_pNewBar = nullptr;
}

void DockBarModel::CalcMinShare(int rowLength) {
  m_fMinShare = rowLength > 0 ? std::clamp(18.0f / float(rowLength), 0.0f, 1.0f) : 0.05f;
}

float DockBarModel::AdjustShare(float delta, ControlBarState* bar) {
  if (!bar) return delta;
  bar->stretch += delta;
  if (bar->stretch < m_fMinShare) {
    float rest = bar->stretch - m_fMinShare;
    bar->stretch = m_fMinShare;
    return rest;
  }
  return 0.0f;
}

void DockBarModel::NormalizeRow(int first, ControlBarState* newBar, int* sizable, int* fixed) {
  CalcMinShare(m_lastLength);
  if (newBar && newBar->visible && newBar->stretch > kMaxShare) newBar = nullptr;
  float oldSum = 0, newSum = 0;
  int nSizable = 0, nFixed = 0;
  std::vector<ControlBarState*> fresh, visible;
  int end = RowEnd(first);
  for (int k = first; k < end; ++k) {
    ControlBarState* b = m_entries[k].bar;
    if (!b) continue;
    if (!b->visible) {
      b->shareSet = false;
      continue;
    }
    visible.push_back(b);
    (b->IsFixed() ? nFixed : nSizable)++;
    if (b == newBar || !b->shareSet) {
      b->stretch = std::clamp(b->stretch, m_fMinShare, kMaxShare);
      newSum += b->stretch;
      fresh.push_back(b);
    } else {
      oldSum += b->stretch;
    }
  }
  if (newSum > 0) {
    float factor;
    if (oldSum > 0) {
      newSum = std::min(newSum, kMaxShare);
      if (oldSum == newSum) factor = 1.0f;
      else if (oldSum > newSum) factor = oldSum / (oldSum - newSum);
      // The old bars hold no more than the new ones ask for: scale the new
      // ones so that they end with the fraction they asked for.
      else factor = oldSum / (1.0f - newSum);
    } else {
      factor = 1.0f / newSum;
    }
    for (ControlBarState* b : fresh) {
      b->stretch = std::max(b->stretch * factor, m_fMinShare);
      oldSum += b->stretch;
      b->shareSet = true;
    }
  }
  if (oldSum > 0)
    for (ControlBarState* b : visible) b->stretch = std::max(b->stretch / oldSum, m_fMinShare);
  if (sizable) *sizable = nSizable;
  if (fixed) *fixed = nFixed;
}

int DockBarModel::LayOutFixedRow(const std::vector<ControlBarState*>& vis, int length, int across,
                                 DockLayoutResult* res, int* maxAlong) const {
  // Bars of their own size stand side by side; one that would pass the
  // dock bar's end starts a further line of the row, so that every bar
  // stays whole and within reach; a bar longer than the dock bar wraps its
  // contents when it can (a length of 0: nothing is laid out yet).
  const bool horz = RowsAreHorizontal();
  std::vector<Size> sizes;  // along, across
  for (ControlBarState* b : vis) {
    Size s{BarLength(b), BarThickness(b)};
    if (length > 0 && s.cx > length && b->fitToLength) {
      const Size fit = b->fitToLength(length, !horz);
      s = horz ? fit : Size{fit.cy, fit.cx};
    }
    sizes.push_back(s);
  }
  std::vector<int> lineOf;
  std::vector<int> lineThickness{0};
  int pos = 0;
  for (const Size& s : sizes) {
    if (pos > 0 && length > 0 && pos + s.cx > length) {
      lineThickness.push_back(0);
      pos = 0;
    }
    lineOf.push_back(int(lineThickness.size()) - 1);
    lineThickness.back() = std::max(lineThickness.back(), s.cy);
    pos += s.cx;
  }
  int lineAt = across, line = 0;
  pos = 0;
  for (size_t i = 0; i < vis.size(); ++i) {
    ControlBarState* b = vis[i];
    if (lineOf[i] != line) {
      lineAt += lineThickness[std::size_t(line)];
      line = lineOf[i];
      pos = 0;
    }
    const int len = sizes[i].cx, thick = lineThickness[std::size_t(line)];
    b->exStyle |= SECBAR_EX_DRAWBORDERS;
    res->bars.push_back(b);
    res->rects.push_back(horz ? Rect{pos, lineAt, pos + len, lineAt + thick} : Rect{lineAt, pos, lineAt + thick, pos + len});
    pos += len;
    *maxAlong = std::max(*maxAlong, pos);
  }
  int total = 0;
  for (int t : lineThickness) total += t;
  return total;
}

namespace {
// The largest thickness t (at least kMinRow) such that capping every
// sizable row at t takes `over` pixels off the rows; the thickest rows give
// first, and rows thinner than t keep their size.
int CapLevel(const std::vector<int>& thicknesses, int over, int minimum) {
  auto taken = [&](int t) {
    long sum = 0;
    for (int k : thicknesses) sum += std::max(0, k - t);
    return sum;
  };
  int lo = minimum, hi = minimum;
  for (int k : thicknesses) hi = std::max(hi, k);
  if (taken(lo) <= over) return lo;
  while (lo < hi) {  // taken(lo) > over >= taken(hi)
    const int mid = lo + (hi - lo + 1) / 2;
    if (taken(mid) >= over) lo = mid;
    else hi = mid - 1;
  }
  return lo;
}
}  // namespace

DockLayoutResult DockBarModel::Layout(Size available, int maxAcross) {
  DockLayoutResult res = LayOut(available, 0);
  const int across = IsHorzSide(m_side) ? res.size.cy : res.size.cx;
  if (!IsFloating() && across > maxAcross) {
    // Too thick for the frame: the rows of sizable bars are shown thinner
    // (their own sizes stay, for a frame that grows again), so that the
    // client area and the bars laid out before this one keep their room.
    std::vector<int> thicknesses;
    for (const DockRowInfo& row : res.rows)
      if (row.sizable) thicknesses.push_back(row.thickness);
    // (The first pass gave a new bar its share: the second finds the row
    // as the first left it.)
    res = LayOut(available, CapLevel(thicknesses, across - maxAcross, kMinRow));
  }
  m_last = res;
  return res;
}

DockLayoutResult DockBarModel::LayOut(Size available, int cap) {
  DockLayoutResult res;
  int L = Length(available);
  m_lastLength = L;
  bool horz = IsHorzSide(m_side) || IsFloating();
  // Rows stack away from the frame's edge; for the bottom and right dock
  // bars the row splitter leads (it faces the client area).
  bool splitterFirst = m_side == DockSide::Bottom || m_side == DockSide::Right;
  int across = 0;
  int maxAlong = 0;
  int first = 1;
  for (int end : RowEnds()) {
    std::vector<ControlBarState*> vis;
    int sizableCount = 0;
    if (!IsFloating()) NormalizeRow(first, m_pNewBar, &sizableCount, nullptr);
    for (int k = first; k < end; ++k)
      if (m_entries[k].bar && m_entries[k].bar->visible) vis.push_back(m_entries[k].bar);
    if (IsFloating()) {
      // Each bar keeps its own floating size; the bars of a row stand side
      // by side, as tall as the row's tallest, and the rows stack.
      int thickness = 0, pos = 0;
      for (ControlBarState* b : vis) thickness = std::max(thickness, b->szFloat.cy);
      for (ControlBarState* b : vis) {
        res.bars.push_back(b);
        res.rects.push_back(Rect{pos, across, pos + b->szFloat.cx, across + thickness});
        pos += b->szFloat.cx;
      }
      if (!vis.empty()) {
        res.rows.push_back(DockRowInfo{first, end, across, thickness, true});
        maxAlong = std::max(maxAlong, pos);
        across += thickness;
      }
      first = end + 1;
      continue;
    }
    if (vis.empty()) {
      first = end + 1;
      continue;
    }
    int n = int(vis.size());
    if (sizableCount == 0) {
      const int thickness = LayOutFixedRow(vis, L, across, &res, &maxAlong);
      res.rows.push_back(DockRowInfo{first, end, across, thickness, false});
      across += thickness;
      first = end + 1;
      continue;
    }
    // A row of sizable bars shares its length out; splitters part them.
    std::uint32_t mode = DockMode() | LM_COMMIT | LM_STRETCH;
    for (ControlBarState* b : vis)
      if (!b->IsFixed()) b->CalcDynamicLayout(std::max(0, L - kSplitter * (n - 1)), mode);
    int thickness = 0;
    for (ControlBarState* b : vis) thickness = std::max(thickness, BarThickness(b));
    const int shown = cap > 0 ? std::min(thickness, cap) : thickness;
    int barsAt = across + (splitterFirst ? kSplitter : kClientEdge);
    DockRowInfo row{first, end, barsAt, shown, true};
    int pos = 0;
    for (int i = 0; i < n; ++i) {
      ControlBarState* b = vis[i];
      int len = BarLength(b);
      bool last = i == n - 1;
      if (last && !b->IsFixed()) len = std::max(0, L - pos);
      len = std::max(0, std::min(len, L - pos));
      if (IsHorzSide(m_side)) b->szHorz.cy = thickness;
      else b->szVert.cx = thickness;
      Rect r = horz ? Rect{pos, barsAt, pos + len, barsAt + shown} : Rect{barsAt, pos, barsAt + shown, pos + len};
      b->exStyle &= ~SECBAR_EX_DRAWBORDERS;
      res.bars.push_back(b);
      res.rects.push_back(r);
      pos += len;
      if (!last) {
        DockSplitter s;
        s.between = true;
        s.vertical = horz;
        s.rect = horz ? Rect{pos, barsAt, pos + kSplitter, barsAt + shown}
                      : Rect{barsAt, pos, barsAt + shown, pos + kSplitter};
        int idx = 0;
        for (int k = first; k < end; ++k)
          if (m_entries[k].bar == b) idx = k;
        s.index = idx;
        s.rowFirst = first;
        s.rowThickness = shown;
        res.splitters.push_back(s);
        pos += kSplitter;
      }
    }
    maxAlong = std::max(maxAlong, pos);
    int splitAt = splitterFirst ? across : barsAt + shown;
    int edgeAt = splitterFirst ? barsAt + shown : across;
    DockSplitter s;
    s.between = false;
    s.vertical = !horz;
    s.rect = horz ? Rect{0, splitAt, L, splitAt + kSplitter} : Rect{splitAt, 0, splitAt + kSplitter, L};
    s.index = first;
    s.rowFirst = first;
    s.rowThickness = shown;
    res.splitters.push_back(s);
    DockClientEdge e;
    e.vertical = !horz;
    e.rect = horz ? Rect{0, edgeAt, L, edgeAt + kClientEdge} : Rect{edgeAt, 0, edgeAt + kClientEdge, L};
    res.edges.push_back(e);
    across += shown + kSplitter + kClientEdge;
    res.rows.push_back(row);
    first = end + 1;
  }
  if (IsFloating()) res.size = {maxAlong, across};
  else res.size = horz ? Size{L, across} : Size{across, L};
  m_pNewBar = nullptr;
  return res;
}

void DockBarModel::GetSplitterLimits(const DockSplitter& s, const Rect& f, int* min, int* max) const {
  if (s.between) {
    int before = 0, after = 0;
    int end = RowEnd(s.rowFirst);
    for (int k = s.rowFirst; k < end; ++k) {
      ControlBarState* b = m_entries[k].bar;
      if (!b || !b->visible) continue;
      (k <= s.index ? before : after)++;
    }
    // Every bar keeps 24 pixels; the splitters between count too.
    *min = kMinSplitBar * before + kSplitter * (before - 1);
    *max = m_lastLength - kMinSplitBar * after - kSplitter * (after - 1);
    return;
  }
  int T = s.rowThickness;
  // A row grows into the free area by as much as the splitter moves, and
  // the rows between them move along: what the free area can give is its
  // own size less its minimum, wherever the row lies (a limit at the free
  // area's far edge let an outer row push the inner ones, and the whole
  // dock bar, over the bars laid out before it).
  const int spare = std::max(0, (IsHorzSide(m_side) ? f.Height() : f.Width()) - kMinRow);
  switch (m_side) {
    case DockSide::Top:
      *min = s.rect.top - T + kMinRow;
      *max = s.rect.bottom + spare;
      break;
    case DockSide::Bottom:
      *min = s.rect.top - spare;
      *max = s.rect.top + T - kMinRow + kSplitter;
      break;
    case DockSide::Left:
      *min = s.rect.left - T + kMinRow;
      *max = s.rect.right + spare;
      break;
    default:
      *min = s.rect.left - spare;
      *max = s.rect.left + T - kMinRow + kSplitter;
      break;
  }
}

void DockBarModel::ResizeRow(int first, int from, int delta) {
  int end = RowEnd(first);
  for (int k = first; k < end; ++k) {
    ControlBarState* b = m_entries[k].bar;
    if (!b) continue;
    if (IsHorzSide(m_side)) b->szHorz.cy = std::max(kMinRow, from - delta);
    else b->szVert.cx = std::max(kMinRow, from - delta);
    m_redraw.push_back(b);
  }
}

void DockBarModel::ApplySplitterDelta(const DockSplitter& s, int delta) {
  if (delta == 0) return;
  if (!s.between) {
    // From the thickness the row was shown with: a frame too small for the
    // row's own size showed it thinner, and the drag moved what was shown.
    bool nearEdgeFirst = m_side == DockSide::Top || m_side == DockSide::Left;
    ResizeRow(s.rowFirst, s.rowThickness, nearEdgeFirst ? -delta : delta);
    return;
  }
  int end = RowEnd(s.rowFirst);
  std::vector<ControlBarState*> before, after;
  for (int k = s.rowFirst; k < end; ++k) {
    ControlBarState* b = m_entries[k].bar;
    if (!b || !b->visible) continue;
    (k <= s.index ? before : after).push_back(b);
  }
  if (before.empty() || after.empty()) return;
  int n = int(before.size() + after.size());
  int rowLen = std::max(1, m_lastLength - kSplitter * (n - 1));
  std::vector<int> lengths;
  auto current = [&](ControlBarState* b) {
    for (size_t j = 0; j < m_last.bars.size(); ++j)
      if (m_last.bars[j] == b) return IsHorzSide(m_side) ? m_last.rects[j].Width() : m_last.rects[j].Height();
    return BarLength(b);
  };
  // Changes a bar by `by` pixels; answers what it could not take or give.
  auto change = [&](ControlBarState* b, int by) {
    int want = current(b) + by;
    int len = std::max(kMinBarLength, want);
    b->stretch = std::max(float(len) / float(rowLen), m_fMinShare);
    b->shareSet = true;
    m_redraw.push_back(b);
    return want - len;
  };
  std::vector<ControlBarState*>& grow = delta > 0 ? before : after;
  std::vector<ControlBarState*>& shrink = delta > 0 ? after : before;
  int amount = delta > 0 ? delta : -delta;
  ControlBarState* grower = delta > 0 ? grow.back() : grow.front();
  change(grower, amount);
  int remaining = amount;
  if (delta > 0) {
    for (size_t i = 0; i < shrink.size() && remaining > 0; ++i) remaining = -change(shrink[i], -remaining);
  } else {
    for (size_t i = shrink.size(); i-- > 0 && remaining > 0;) remaining = -change(shrink[i], -remaining);
  }
  if (remaining > 0) change(grower, -remaining);
}

bool DockBarModel::IsBarExpanded(const ControlBarState* bar) const {
  int i = Find(bar);
  if (i < 0) return false;
  int big = 0;
  bool isBig = false;
  for (int k = RowStart(i); k < RowEnd(i); ++k) {
    ControlBarState* b = m_entries[k].bar;
    if (b && b->visible && b->stretch > m_fMinShare + 1e-6f) {
      ++big;
      if (b == bar) isBig = true;
    }
  }
  return big < 2 && isBig;
}

bool DockBarModel::IsExpandDisabled(const ControlBarState* bar) const {
  int i = Find(bar);
  if (i < 0) return false;
  for (int k = RowStart(i); k < RowEnd(i); ++k) {
    ControlBarState* b = m_entries[k].bar;
    if (b && b != bar && b->visible) return false;
  }
  return true;
}

void DockBarModel::ToggleExpand(ControlBarState* bar, int how) {
  int i = Find(bar);
  if (i < 0) return;
  int first = RowStart(i), end = RowEnd(i);
  std::vector<ControlBarState*> vis;
  for (int k = first; k < end; ++k)
    if (m_entries[k].bar && m_entries[k].bar->visible) vis.push_back(m_entries[k].bar);
  if (vis.empty()) return;
  for (ControlBarState* b : vis) {
    if (how == 1) b->stretch = b == bar ? 1.0f : 0.0f;
    else b->stretch = 1.0f / float(vis.size());
    b->shareSet = true;
  }
  // The bar's own row is normalised, not the first one.
  NormalizeRow(first, how == 1 ? bar : nullptr);
  for (int k = first; k < int(m_entries.size()); ++k)
    if (m_entries[k].bar) m_redraw.push_back(m_entries[k].bar);
}

std::vector<ControlBarState*> DockBarModel::GetRowBars(const ControlBarState* bar) const {
  std::vector<ControlBarState*> out;
  int i = Find(bar);
  if (i < 0) return out;
  for (int k = RowStart(i); k < RowEnd(i); ++k)
    if (m_entries[k].bar) out.push_back(m_entries[k].bar);
  return out;
}

bool DockBarModel::GetBarRowInfo(const ControlBarState* bar, int* row, int* column, int* thickness) const {
  int i = Find(bar);
  if (i < 0) return false;
  int r = 0;
  for (int k = 1; k < i; ++k)
    if (m_entries[k].IsRowEnd()) ++r;
  int c = 0;
  for (int k = RowStart(i); k < i; ++k)
    if (m_entries[k].bar) ++c;
  *row = r;
  *column = c;
  *thickness = 0;
  for (int k = RowStart(i); k < RowEnd(i); ++k)
    if (m_entries[k].bar && m_entries[k].bar->visible) *thickness = std::max(*thickness, BarThickness(m_entries[k].bar));
  return true;
}

Rect DockBarModel::CalcDropRect(const ControlBarState* bar, const Rect& drag, Point point) const {
  const bool horz = RowsAreHorizontal();
  const int across = horz ? point.y : point.x;
  const int lead = horz ? drag.left : drag.top;
  const int dragLen = horz ? drag.Width() : drag.Height();
  const int L = m_lastLength;
  auto make = [horz](int along0, int along1, int across0, int across1) {
    return horz ? Rect{along0, across0, along1, across1} : Rect{across0, along0, across1, along1};
  };
  const std::vector<LaidRow> rows = LaidOutRows(bar);
  const DropPlace place = DropPlaceOf(rows, bar, across, lead);
  if (!place.newRow) {
    const LaidRow& row = rows[std::size_t(place.row)];
    if (bar->IsFixed()) {
      // A bar of its own size shows where it was dropped, on the line of
      // the row under the cursor.
      int from = row.drop.from, to = row.drop.to;
      for (const DropRowBar& b : row.drop.bars)
        if (b.lineFrom <= across && across < b.lineTo) {
          from = b.lineFrom;
          to = b.lineTo;
          break;
        }
      const int start = std::clamp(lead, 0, std::max(0, L - dragLen));
      return make(start, start + dragLen, from, to);
    }
    // A sizable bar shows the share of the row it would get.
    float sum = 0;
    for (int k : row.entries) sum += m_entries[k].bar->stretch;
    const float share = bar->stretch / (sum + bar->stretch);
    const int len = int(float(L) * share);
    const int cursor = horz ? point.x : point.y;
    int start = cursor - (dragLen > 0 ? (cursor - lead) * len / dragLen : 0);
    start = std::clamp(start, 0, std::max(0, L - len));
    return make(start, start + len, row.drop.from, row.drop.to);
  }
  // A new row across the whole length, at the boundary it goes in; a new
  // first row of the bottom or right dock bar grows towards the client.
  const int thick = horz ? drag.Height() : drag.Width();
  const int boundary = place.row == 0 ? 0 : rows[std::size_t(place.row) - 1].drop.to;
  const bool towardsClient = place.row == 0 && (m_side == DockSide::Bottom || m_side == DockSide::Right);
  const int at = towardsClient ? boundary - thick : boundary;
  return make(0, L, at, at + thick);
}

}  // namespace pm2
