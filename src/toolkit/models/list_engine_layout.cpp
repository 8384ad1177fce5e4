// Measuring, layout, scrolling, hit testing and colour choice of the list
// engine.
#include <algorithm>

#include "toolkit/models/list_engine.h"

namespace pm2 {

Rect SECListBaseC::GetInsideRect() {
  Rect r = Host().ClientRect();
  if (r.IsEmpty()) return {};
  if (IsReport() && IsHeaderVisible()) r.top += m_headerHeight;
  if (m_vbar.shown) r.right -= GetSystemMetric(SysMetric::CxVScroll) - 1;
  if (m_hbar.shown) r.bottom -= GetSystemMetric(SysMetric::CyHScroll) - 1;
  r.bottom += 1;
  return r;
}

// --- measuring ------------------------------------------------------------

void SECListBaseC::MeasureItem(int index) {
  SECListItem* rec = GetItemRecord(index);
  if (!rec || !rec->needsMeasuring) return;
  if (rec->height == -1) rec->height = 0;
  auto ctx = CreatePaintContext();
  const int cols = std::max(1, GetColumnCount());
  for (int c = 0; c < cols; ++c) {
    if (!InitPaintContext(*ctx, index, c)) continue;
    int h = 0;
    CalcItemHeight(*ctx, &h);
    if (unsigned(h) > unsigned(rec->height)) rec->height = h;
  }
  rec->needsMeasuring = false;
}

void SECListBaseC::CalcItemHeight(SECListPaintContext& ctx, int* height) {
  // A row without text still gets one line, so that empty rows (such as
  // the list-box editor's new-entry row) can be seen and clicked.
  const bool hasText = !ctx.item.text.empty();
  const int colWidth = GetColumnCount() > 0 ? GetColumnWidth(ctx.column) : GetInsideRect().Width();
  Rect img;
  const bool labelColumn = ctx.item.subItem == 0;
  if (labelColumn) {
    CalcImageRect(ctx, &img);
    if (ctx.record) ctx.record->imageRect = img;
  }
  // A label of the icon layout sits below its image, in the cell's width.
  CalcLabelRect(ctx, IsIconLayout() ? colWidth - 4 : colWidth - img.Width() - 11);
  const int textHeight = hasText ? (labelColumn ? ctx.record->labelRect.Height()
                                                : (ctx.subRecord ? ctx.subRecord->labelRect.Height() : 0))
                                 : Measurer().LineHeight(ctx.font);
  if (ctx.view == int(LVS_REPORT)) *height = std::max(img.Height(), textHeight);
  else if (ctx.view == int(LVS_ICON)) *height = img.Height() + textHeight + 5;
}

void SECListBaseC::CalcImageRect(SECListPaintContext& ctx, Rect* r) {
  ImageListInfo il = ViewImages();
  if (!il.Exists() || ctx.item.image < 0) {
    *r = {};
    return;
  }
  *r = {2, 2, il.cx + 2, il.cy + 2};
  // Icon layout: the image is centred at the top of its cell.
  if (IsIconLayout()) r->Offset(std::max(0, (IconCellWidth() - il.cx) / 2 - 2), 0);
}

void SECListBaseC::CalcLabelRect(SECListPaintContext& ctx, int availWidth) {
  const bool single = !IsLabelWrap();
  Size s = MeasureText(ctx.item.text, ctx.font, std::max(1, availWidth), single);
  if (s.cy == 0) s.cy = Measurer().LineHeight(ctx.font);
  Rect r{6, 2, 6 + s.cx, 2 + s.cy};
  if (ctx.item.subItem == 0 && ctx.record && !ctx.record->imageRect.IsEmpty()) {
    const Rect& img = ctx.record->imageRect;
    if (IsIconLayout()) r = {8, img.bottom + 2, 8 + s.cx, img.bottom + 2 + s.cy};
    else {
      int top = (img.Height() - s.cy) / 2;
      r = {img.right + 5, top, img.right + 5 + s.cx, top + s.cy};
    }
  }
  // Icon layout: the label is centred under the image.
  if (IsIconLayout()) r.Offset(std::max(2, (IconCellWidth() - s.cx) / 2) - r.left, 0);
  if (ctx.item.subItem == 0) {
    if (ctx.record) ctx.record->labelRect = r;
  } else if (ctx.subRecord) {
    ctx.subRecord->labelRect = r;
  }
}

Size SECListBaseC::MeasureText(std::string_view text, FontChoice font, int maxWidth, bool singleLine) {
  if (const Size* known = m_measured.Find(text, font, maxWidth, singleLine)) return *known;
  const Size s = Measurer().Measure(text, font, maxWidth, singleLine);
  m_measured.Add(text, font, maxWidth, singleLine, s);
  return s;
}

void SECListBaseC::InvalidateAllMeasures() {
  // The fonts or the measurer may be new: nothing measured before counts.
  m_measured.Clear();
  for (auto& rec : m_items) {
    rec->height = -1;
    rec->needsMeasuring = true;
  }
}

void SECListBaseC::ReMeasureAndUpdate() {
  InvalidateAllMeasures();
  UpdateScrollBars();
}

int SECListBaseC::RowHeight(int index) {
  MeasureItem(index);
  SECListItem* rec = GetItemRecord(index);
  return rec ? std::max(0, rec->height) + GetRowSpacing() : 0;
}

// --- row walks ----------------------------------------------------------------

int SECListBaseC::GetItemsHeight(int first, int last, bool inclusive) {
  int sign = 1;
  if (first > last) {
    std::swap(first, last);
    sign = -1;
  }
  int sum = 0;
  for (int i = first; i < last; ++i) sum += RowHeight(i);
  if (inclusive) sum += RowHeight(last);
  return sign * sum;
}

int SECListBaseC::CountItemsInHeight(int height, int start, bool forward) {
  int count = 0;
  int sum = 0;
  const int n = GetItemCount();
  for (int i = start; i >= 0 && i < n && sum < height; i += forward ? 1 : -1) {
    sum += RowHeight(i);
    ++count;
  }
  return count;
}

// The walks below count scroll units: rows in report view, lines of cells
// in the icon layout (where an item index result is a line's last item).

int SECListBaseC::GetCountPerPage() {
  const int h = GetInsideRect().Height();
  const int n = UnitCount();
  int sum = 0;
  int count = 0;
  int u = TopUnit();
  for (; u < n; ++u) {
    int uh = UnitHeight(u);
    if (sum + uh > h) break;
    sum += uh;
    ++count;
  }
  if (u >= n) count += CountFittingAbove(TopUnit() - 1, h, &sum);
  return count;
}

int SECListBaseC::GetCountAbove() {
  int used = 0;
  return CountFittingAbove(TopUnit() - 1, GetInsideRect().Height(), &used);
}

int SECListBaseC::GetBottomIndex() {
  const int h = GetInsideRect().Height();
  const int n = UnitCount();
  int sum = 0;
  for (int u = TopUnit(); u < n; ++u) {
    sum += UnitHeight(u);
    if (sum > h) return u * ItemsPerUnit() - 1;
  }
  return GetItemCount() - 1;
}

int SECListBaseC::GetPageEndIndex() {
  const int h = GetInsideRect().Height();
  const int n = UnitCount();
  int y = 0;
  for (int u = TopUnit(); u < n; ++u) {
    if (y >= h) return std::min(GetItemCount(), u * ItemsPerUnit());
    y += UnitHeight(u);
  }
  return GetItemCount();
}

int SECListBaseC::GetLastPageTop() {
  const int n = UnitCount();
  const int h = GetInsideRect().Height();
  if (n == 0 || UnitHeight(n - 1) > h) return GetItemCount();
  int used = 0;
  return (n - CountFittingAbove(n - 1, h, &used)) * ItemsPerUnit();
}

int SECListBaseC::GetPrevPageTop() {
  if (IsIconLayout()) return std::max(0, (TopUnit() - GetCountAbove()) * ItemsPerUnit());
  return std::max(0, m_top - GetCountAbove());
}

int SECListBaseC::GetRowsToOffset(int y) {
  const int n = GetItemCount();
  int sum = 0;
  int rows = 0;
  while (rows < n && sum < y) sum += RowHeight(rows++);
  return rows;
}

int SECListBaseC::GetRowAtOffset(int y) {
  if (y < 0) return -1;
  const int n = GetItemCount();
  int bottom = 0;
  for (int r = 0; r < n; ++r) {
    bottom += RowHeight(r);
    if (y < bottom) return r;
  }
  return -1;
}

bool SECListBaseC::SetItemHeight(int index, int height) {
  SECListItem* rec = GetItemRecord(index);
  if (!rec || height < 0) return false;
  rec->height = height;
  rec->needsMeasuring = false;
  InvalidateItem(index, false, true, true, false);
  return true;
}

int SECListBaseC::ReMeasureItem(int index) {
  SECListItem* rec = GetItemRecord(index);
  if (!rec) return -1;
  rec->height = -1;
  rec->needsMeasuring = true;
  MeasureItem(index);
  InvalidateItem(index, false, true, true, false);
  return rec->height;
}

int SECListBaseC::GetScrollRowCount() { return UnitCount(); }

Size SECListBaseC::GetScrollExtent() {
  int height = 0;
  for (int u = 0; u < UnitCount(); ++u) height += UnitHeight(u);
  return {GetTotalWidth(), height};
}

int SECListBaseC::GetTotalWidth() {
  if (IsIconLayout()) return std::max(IconCellWidth(), GetInsideRect().Width());
  int width = 0;
  if (GetColumnCount() >= 2) {
    for (int i = 0; i < GetColumnCount(); ++i) width += GetColumnWidth(i);
  } else {
    const int n = GetItemCount();
    int first = 0;
    int last = n - 1;
    if (IsLabelWrap()) {
      first = m_top;
      last = std::min(n - 1, GetBottomIndex());
    }
    for (int i = first; i <= last; ++i) {
      MeasureItem(i);
      width = std::max(width, m_items[i]->labelRect.right + 5);
    }
  }
  if (IsReport()) width = std::max(width, GetInsideRect().Width());
  return width;
}

void SECListBaseC::FillLabelColumn() {
  int label = FindColumnIndex(0);
  if (label < 0) return;
  int others = 0;
  for (int i = 0; i < GetColumnCount(); ++i) {
    if (i != label) others += GetColumnWidth(i);
  }
  // A width below 0 would make every cell rectangle inside out.
  m_columns[label]->width = std::max(0, GetInsideRect().Width() - others);
}

bool SECListBaseC::RefillLabelColumn() {
  // Column 0 is the cell width of the icon layout, not a filler.
  if (IsIconLayout()) return false;
  if (GetColumnCount() == 1 || (m_styleEx & LVXS_FILLLABELCOLUMN)) {
    FillLabelColumn();
    return true;
  }
  return false;
}

// --- scroll bars ----------------------------------------------------------------

void SECListBaseC::UpdateScrollBars() {
  // The top of the icon layout stays the first item of a line when the
  // width (and so the number of cells per line) changes.
  if (IsIconLayout()) m_top -= m_top % IconsPerLine();
  auto updateVert = [this](int rows) {
    const int page = GetCountPerPage();
    const int h = GetInsideRect().Height();
    int sum = 0;
    bool allFit = true;
    for (int i = 0; i < rows; ++i) {
      sum += UnitHeight(i);
      if (sum > h) {
        allFit = false;
        break;
      }
    }
    if (allFit || (m_style & LVS_NOSCROLL)) {
      ScrollLines(-TopUnit());
      m_vbar = {};
    } else {
      if (TopUnit() > rows - page) ScrollLines((rows - page) - TopUnit());
      m_vbar = {true, 0, rows - 1, page, TopUnit()};
    }
    const int w = GetInsideRect().Width();
    if (w != m_lastInsideWidth) {
      m_lastInsideWidth = w;
      if (RefillLabelColumn()) Host().Invalidate(nullptr, false);
    }
  };
  updateVert(UnitCount());
  if (IsLabelWrap()) InvalidateAllMeasures();
  const int width = GetTotalWidth();
  const int inside = GetInsideRect().Width();
  if (width <= inside || (m_style & LVS_NOSCROLL)) {
    if (m_hOffset != 0) {
      m_hOffset = 0;
      Host().Invalidate(nullptr, false);
    }
    m_hbar = {};
  } else {
    if (m_hOffset > width - inside) ScrollHorz(m_hOffset - (width - inside));
    m_hbar = {true, 0, width, inside, m_hOffset};
  }
  updateVert(UnitCount());
  Host().ScrollBarsChanged();
}

void SECListBaseC::OnSize() {
  if (GetColumnCount() > 0) {
    RefillLabelColumn();
    ReMeasureAndUpdate();
  } else {
    UpdateScrollBars();
  }
}

// --- scrolling ----------------------------------------------------------------------

void SECListBaseC::ScrollLines(int delta, bool fromBottom) {
  if (IsIconLayout()) {
    // Whole lines; `fromBottom` is a row walk of report view only.
    const int line = std::clamp(TopUnit() + delta, 0, std::max(0, IconLineCount() - 1));
    const int top = line * IconsPerLine();
    if (top != m_top) {
      m_top = top;
      m_vbar.pos = line;
      Host().Invalidate(nullptr, false);
      Host().ScrollBarsChanged();
    }
    return;
  }
  const int n = GetItemCount();
  if (fromBottom) {
    int bottom = GetBottomIndex();
    int last = std::min(n - 1, bottom + delta);
    if (last < bottom || bottom < 0) return;
    int h = GetItemsHeight(bottom, last, true);
    delta = CountItemsInHeight(h, m_top, true);
  }
  int top = std::clamp(m_top + delta, 0, std::max(0, n - 1));
  if (top != m_top) {
    m_top = top;
    m_vbar.pos = top;
    Host().Invalidate(nullptr, false);
    Host().ScrollBarsChanged();
  }
}

void SECListBaseC::ScrollHorz(int pixels) {
  int maxOffset = std::max(0, GetTotalWidth() - GetInsideRect().Width());
  int off = std::clamp(m_hOffset - pixels, 0, maxOffset);
  if (off != m_hOffset) {
    m_hOffset = off;
    m_hbar.pos = off;
    Host().Invalidate(nullptr, false);
    Host().ScrollBarsChanged();
  }
}

void SECListBaseC::SetTopIndex(int index) {
  ScrollLines(UnitOf(index) - TopUnit());
  UpdateScrollBars();
}

void SECListBaseC::EnsureVisible(int index) {
  const int n = GetItemCount();
  if (index < 0 || index >= n) return;
  if (IsIconLayout()) {
    EnsureIconVisible(index);
    return;
  }
  const int bottom = GetBottomIndex();
  if (index == bottom && index == n - 1) return;
  if (index >= bottom) ScrollLines(index - bottom, true);
  else if (index <= m_top) ScrollLines(index - m_top - 1);
}

bool SECListBaseC::EnsureRangeVisible(int first, int last) {
  const int n = GetItemCount();
  if (first < 0 || last >= n || first > last) return false;
  if (first >= m_top && last <= GetBottomIndex()) return true;
  const int h = GetInsideRect().Height();
  int sum = GetItemsHeight(first, last, true);
  int top = first;
  if (sum <= h) {
    while (top > 0 && sum + RowHeight(top - 1) <= h) {
      sum += RowHeight(top - 1);
      --top;
    }
  }
  ScrollLines(top - m_top);
  return true;
}

void SECListBaseC::OnVScroll(ScrollCode code, int track) {
  EndAnyEdit();
  Host().TipHide();
  const ScrollBarState& b = m_vbar;
  switch (code) {
    case ScrollCode::LineUp:
      if (b.pos > 0) ScrollLines(-1);
      break;
    case ScrollCode::LineDown:
      if (b.pos + b.page <= b.max) ScrollLines(1);
      break;
    case ScrollCode::PageUp:
      // At least one row: a row above that is taller than the page would
      // otherwise leave Page Up stuck.
      ScrollLines(-std::max(1, GetCountAbove()));
      break;
    case ScrollCode::PageDown:
      ScrollLines(std::min(TopUnit() + b.page, b.max - b.page + 1) - TopUnit());
      break;
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack:
      ScrollLines(track - b.pos);
      break;
    case ScrollCode::Top:
      ScrollLines(-TopUnit());
      break;
    case ScrollCode::Bottom:
      if (IsLabelWrap()) ScrollLines(UnitOf(GetLastPageTop()) - TopUnit());
      else ScrollLines(b.max - b.page - b.pos + 1);
      break;
  }
  m_vbar.pos = TopUnit();
  Host().ScrollBarsChanged();
}

void SECListBaseC::OnHScroll(ScrollCode code, int track) {
  EndAnyEdit();
  Host().TipHide();
  const int inside = GetInsideRect().Width();
  switch (code) {
    case ScrollCode::LineUp: ScrollHorz(15); break;
    case ScrollCode::LineDown: ScrollHorz(-15); break;
    case ScrollCode::PageUp: ScrollHorz(inside); break;
    case ScrollCode::PageDown: ScrollHorz(-inside); break;
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack: ScrollHorz(m_hOffset - track); break;
    case ScrollCode::Top: ScrollHorz(m_hOffset); break;
    case ScrollCode::Bottom: ScrollHorz(m_hOffset - GetTotalWidth()); break;
  }
}

void SECListBaseC::OnMouseWheel(int delta) {
  m_wheelDelta += delta;
  const int notches = m_wheelDelta / 120;
  if (notches == 0) return;
  Host().TipHide();
  if (m_vbar.shown) {
    for (int i = 0; i < (notches > 0 ? notches : -notches); ++i) {
      if (notches > 0 && m_vbar.pos > 0) OnVScroll(ScrollCode::LineUp);
      else if (notches < 0) OnVScroll(ScrollCode::LineDown);
    }
  } else if (m_hbar.shown) {
    ScrollHorz(15 * notches);
  }
  m_wheelDelta = 0;
}

// --- rectangles ----------------------------------------------------------------------

bool SECListBaseC::GetRowRect(int index, Rect* r) {
  if (IsIconLayout()) return GetIconCellRect(index, r);
  if (index < m_top || index >= GetItemCount()) return false;
  const Rect inside = GetInsideRect();
  int y = inside.top + GetItemsHeight(m_top, index, false);
  *r = {-m_hOffset, y, GetTotalWidth() - m_hOffset, y + RowHeight(index)};
  return true;
}

bool SECListBaseC::GetCellRect(int item, int column, Rect* r, int code) {
  Rect row;
  if (!GetRowRect(item, &row)) return false;
  const int cols = GetColumnCount();
  Rect cell{GetColumnLeft(column), row.top, GetColumnLeft(column) + GetColumnWidth(column), row.bottom};
  if (IsIconLayout()) cell = row;
  else if (cols <= 1) cell.right = std::max(cell.right, GetInsideRect().right);
  SECListItem* rec = GetItemRecord(item);
  const int sub = GetColumnSubItem(column < 0 ? 0 : column);
  if (code == 0) {
    *r = cell;
    return true;
  }
  if (code == 2) {
    Rect lr;
    if (sub <= 0) {
      lr = rec->labelRect;
    } else if (SECListSubItem* s = rec->GetSubItem(sub)) {
      lr = s->labelRect;
      if ((GetColumnFormat(column) & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER) {
        int w = lr.Width();
        lr.left = (cell.Width() - w) / 2;
        lr.right = lr.left + w;
      }
    }
    lr.Offset(cell.left, cell.top);
    *r = lr;
    return true;
  }
  if (code == 1 && sub <= 0) {
    Rect ir = rec->imageRect;
    ir.Offset(cell.left, cell.top);
    *r = ir;
    return true;
  }
  return false;
}

void SECListBaseC::InvalidateItem(int index, bool labelOnly, bool erase, bool toBottom, bool now) {
  (void)erase;
  if (!toBottom) {
    InvalidateItem(index, labelOnly, now);
    return;
  }
  if (index < m_top || index >= GetItemCount()) return;
  Rect r;
  if (!GetRowRect(index, &r)) return;
  const Rect inside = GetInsideRect();
  if (r.top >= inside.bottom) return;
  // The row and everything below it, across the whole width: the rows
  // under it moved or changed height.
  r.left = inside.left;
  r.right = std::max(r.right, inside.right);
  r.bottom = inside.bottom;
  Host().Invalidate(&r, now);
}

void SECListBaseC::InvalidateItem(int index, bool labelOnly, bool now) {
  if (index < m_top || index >= GetItemCount()) return;
  // A row below the window needs no repaint; stop walking at the bottom so
  // that filling a long list stays linear.
  if (index > GetPageEndIndex()) return;
  const Rect inside = GetInsideRect();
  int y = inside.top;
  for (int i = m_top; i < index && !IsIconLayout(); ++i) {
    y += RowHeight(i);
    if (y >= inside.bottom) return;
  }
  Rect r;
  if (!GetRowRect(index, &r)) return;
  if (labelOnly && !(m_styleEx & LVXS_FULLROWSELECT)) {
    Rect lr;
    if (GetItemRect(index, &lr, 2)) {
      r.left = lr.left - 3;
      r.right = lr.right + 3;
    }
  }
  Host().Invalidate(&r, now);
}

void SECListBaseC::InvalidateItemRange(int a, int b) {
  if (a > b) std::swap(a, b);
  for (int i = std::max(a, m_top); i <= b; ++i) InvalidateItem(i);
}

// --- hit testing ----------------------------------------------------------------------

int SECListBaseC::HitTest(int x, int y, unsigned* flags, int* column) {
  unsigned f = 0;
  int col = -1;
  const Rect client = Host().ClientRect();
  auto done = [&](int result) {
    if (flags) *flags = f ? f : LVHT_NOWHERE;
    if (column) *column = col;
    return result;
  };
  if (!client.Contains({x, y})) {
    if (y < client.top) f |= LVHT_ABOVE;
    if (y >= client.bottom) f |= LVHT_BELOW;
    if (x < client.left) f |= LVHT_TOLEFT;
    if (x >= client.right) f |= LVHT_TORIGHT;
    return done(-1);
  }
  const int cols = GetColumnCount();
  if (cols == 0) return done(-1);
  if (cols == 1) col = 0;
  else {
    int left = -m_hOffset;
    for (int i = 0; i < cols; ++i) {
      int right = left + GetColumnWidth(i);
      if (x >= left && x < right) {
        col = i;
        break;
      }
      left = right;
    }
  }
  const Rect inside = GetInsideRect();
  if (y >= client.top && y < inside.top) {
    int realCols = (m_styleEx & LVXS_FILLLABELCOLUMN) ? cols - 1 : cols;
    int right = -m_hOffset;
    for (int i = 0; i < std::max(1, realCols); ++i) {
      right += GetColumnWidth(i);
      if (x >= right - 4 && x <= right + 4) {
        f = LVHT_DIVIDER;
        col = i;
        return done(i);
      }
      if (x < right) {
        f = LVHT_HEADER;
        col = i;
        return done(i);
      }
    }
    col = -1;
    return done(-1);
  }
  if (IsIconLayout()) {
    const int i = IconHitTest(x, y, &f);
    col = i >= 0 ? 0 : -1;
    return done(i);
  }
  int top = inside.top;
  const int n = GetItemCount();
  for (int i = m_top; i < n && top < inside.bottom; ++i) {
    int h = RowHeight(i);
    if (y >= top && y < top + h) {
      f = LVHT_ONROW;
      if (col >= 0 && GetColumnSubItem(col) == 0) {
        SECListItem* rec = m_items[i].get();
        const int cx = GetColumnLeft(col);
        const int px = x - cx;
        const int py = y - top;
        if (px >= rec->labelRect.left && px < rec->labelRect.right) f |= LVHT_ONITEMLABEL;
        else if (rec->imageRect.Contains({px, py})) f |= LVHT_ONITEMICON;
        else if (rec->stateRect.Contains({px, py})) f |= LVHT_ONITEMSTATEICON;
        else if (px < rec->labelRect.left) f |= LVHT_LEFTOFLABEL;
        else f |= LVHT_RIGHTOFLABEL;
      }
      return done(i);
    }
    top += h;
  }
  return done(-1);
}

// --- paint decisions ---------------------------------------------------------------------

std::unique_ptr<SECListPaintContext> SECListBaseC::CreatePaintContext() {
  return std::make_unique<SECListPaintContext>();
}

bool SECListBaseC::InitPaintContext(SECListPaintContext& ctx, int index, int column) {
  SECListItem* rec = GetItemRecord(index);
  if (!rec) return false;
  ctx.record = rec;
  ctx.column = column;
  ctx.columnRecord = GetColumnRecord(column);
  const int sub = ctx.columnRecord ? ctx.columnRecord->subItem : 0;
  ctx.subRecord = rec->GetSubItem(sub);
  ctx.view = ViewKind();
  ctx.item = ListItemDesc{};
  ctx.item.mask = LVIF_TEXT | LVIF_STATE | (sub == 0 ? LVIF_IMAGE : 0);
  ctx.item.item = index;
  ctx.item.subItem = sub < 0 ? 0 : sub;
  ctx.item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
  if (!GetItem(ctx.item, true)) return false;
  if (ctx.item.mask & LVIF_DI_SETITEM) {
    ListItemDesc store = ctx.item;
    store.mask = (store.mask & (LVIF_TEXT | LVIF_IMAGE)) | LVIF_DI_SETITEM;
    SetItem(store, false);
  }
  PickBkColor(ctx);
  PickIconBkColor(ctx);
  PickItemColors(ctx);
  PickItemFont(ctx);
  return true;
}

void SECListBaseC::PickBkColor(SECListPaintContext& ctx) { ctx.fillColor = GetBkColor(); }

void SECListBaseC::PickIconBkColor(SECListPaintContext& ctx) {
  if (!Host().IsEnabled()) {
    ctx.bk2Color = GetBkColor();
    return;
  }
  bool sel = (ctx.item.state & LVIS_SELECTED) && Host().HasFocus();
  ctx.bk2Color = sel ? m_selBk2Color : m_bk2Color;
}

void SECListBaseC::PickItemColors(SECListPaintContext& ctx) {
  const bool subCell = ctx.item.subItem != 0;
  const bool fullRow = (m_styleEx & LVXS_FULLROWSELECT) != 0;
  const bool grey = (ctx.paintFlags & 0x100) != 0;
  if (!Host().IsEnabled()) {
    ctx.textColor = m_grayTextColor;
    ctx.bkColor = InactiveSelBkColor();
    return;
  }
  bool selected = (ctx.item.state & LVIS_SELECTED) && ((m_style & LVS_SHOWSELALWAYS) || Host().HasFocus());
  if (subCell && !fullRow) selected = false;
  if (selected) {
    if (!Host().HasFocus() && m_editItem < 0) {
      ctx.textColor = InactiveSelTextColor();
      ctx.bkColor = InactiveSelBkColor();
    } else {
      ctx.textColor = grey ? m_grayTextColor : m_selTextColor;
      ctx.bkColor = m_selTextBkColor;
    }
  } else {
    ctx.textColor = grey ? m_grayTextColor : m_textColor;
    ctx.bkColor = m_textBkColor;
  }
  if (ctx.item.item == m_dropHilite && m_dropHilite >= 0 && (!subCell || fullRow)) {
    ctx.textColor = m_selTextColor;
    ctx.bkColor = m_selTextBkColor;
  }
}

void SECListBaseC::PickItemFont(SECListPaintContext& ctx) {
  ctx.font.font = m_itemFont;
  ctx.font.bold = false;
}

}  // namespace pm2
