// Mouse, keyboard, type-ahead, label editing and header interaction of the
// list engine.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "toolkit/models/list_engine.h"

namespace pm2 {

// --- selection by click or key ---------------------------------------------

bool SECListBaseC::ClickSelects(Point pt, int item, unsigned flags, bool* buttonDownPending, bool* select) {
  *buttonDownPending = false;
  *select = false;
  if (flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL)) {
    *select = true;
    *buttonDownPending = true;
  } else if ((m_styleEx & LVXS_HEADERDRAGDROP) && (flags & LVHT_HEADER)) {
    *buttonDownPending = item >= 1;
  } else if ((flags & LVHT_ONROW) && !(flags & LVHT_ONITEMSTATEICON)) {
    *select = (m_styleEx & LVXS_FULLROWSELECT) != 0;
    if (!*select && (flags & LVHT_LEFTOFLABEL)) {
      Rect img;
      if (GetItemRect(item, &img, 1) && !img.IsEmpty() && pt.x >= img.right) *select = true;
    }
    *buttonDownPending = *select;
  }
  return *select;
}

bool SECListBaseC::SelectOnClick(int item, unsigned /*hitFlags*/, unsigned keyFlags, bool byMouse) {
  const int oldFocus = m_focus;
  const bool shift = keyFlags & MK_SHIFT;
  const bool ctrl = keyFlags & MK_CONTROL;
  if (item < 0 || item >= GetItemCount()) return false;
  if (IsMultiSelect() && (shift || ctrl)) {
    if (m_selChangingVeto) {
      m_selChangingVeto = false;
      return true;
    }
    if (shift) {
      const bool acts = (!byMouse && item == m_focus) || (m_anchor >= 0 && item != m_focus) ||
                        (!byMouse && m_anchor >= 0);
      if (!acts) return true;
      if ((m_selChangingVeto = OnSelChanging(item, oldFocus, byMouse))) return false;
      Host().TipHide();
      const int anchor = m_anchor;
      DeselectAllExcept(-1);
      SelectRange(anchor, item, true);
      SetFocusItem(item, true);
      m_anchor = anchor;
      InvalidateItemRange(anchor, item);
    } else {
      if (!byMouse) {
        // Only the caret moves: a later Shift key still extends the
        // selection from where it was anchored.
        const bool wasFocus = item == m_focus;
        const int anchor = m_anchor;
        SetCaretItem(item);
        m_anchor = anchor;
        if (!wasFocus) {
          OnSelChanged(item, oldFocus, byMouse);
          return true;
        }
      }
      Host().TipHide();
      if (byMouse && m_buttonDownPending) return true;  // toggled on release
      if ((m_selChangingVeto = OnSelChanging(item, oldFocus, byMouse))) return false;
      const bool wasSelected = IsItemSelected(item);
      SetFocusItem(item, !wasSelected);
    }
    OnSelChanged(item, oldFocus, byMouse);
    return true;
  }
  if (item == m_focus && IsItemSelected(item)) return true;
  if ((keyFlags & MK_RBUTTON) && IsItemSelected(item)) {
    Host().TipHide();
    const int anchor = m_anchor;
    SetCaretItem(item);
    m_anchor = anchor;
    return true;
  }
  if ((m_selChangingVeto = OnSelChanging(item, oldFocus, byMouse))) return false;
  Host().TipHide();
  DeselectAllExcept(item);
  SetFocusItem(item, true);
  OnSelChanged(item, oldFocus, byMouse);
  return true;
}

// --- mouse -------------------------------------------------------------------

void SECListBaseC::OnLButtonDown(int x, int y, unsigned keyFlags) {
  if (!Host().HasFocus()) Host().TakeFocus();
  unsigned flags = 0;
  int col = -1;
  int item = HitTest(x, y, &flags, &col);
  m_lastHitColumn = col < 0 ? 0 : col;
  m_buttonDownPending = false;
  bool select = false;
  const int realCols = (m_styleEx & LVXS_FILLLABELCOLUMN) ? GetColumnCount() - 1 : GetColumnCount();
  if ((flags & LVHT_DIVIDER) && col < realCols) {
    // Column resize: the widget grabs the mouse and reports moves.
    m_resize = {true, col, x, x};
  } else {
    bool pending = false;
    ClickSelects({x, y}, item, flags, &pending, &select);
    m_buttonDownPending = pending;
    if ((flags & LVHT_HEADER) && !(m_style & LVS_NOSORTHEADER)) {
      m_pressedColumn = item;
      Host().Invalidate(nullptr, false);
    }
    if (select) {
      SelectOnClick(item, flags, keyFlags, true);
      OnSelectDone(item, true);
    }
  }
  Host().TipRefresh();
  m_pressPoint = {x, y};
  m_itemDragPending = false;
  m_headerDrag = false;
}

void SECListBaseC::OnMouseMove(int x, int y, unsigned keyFlags) {
  if (m_resize.active) {
    m_resize.curX = std::max(x, GetColumnLeft(m_resize.column) + 10);
    Host().Invalidate(nullptr, false);
    return;
  }
  if (m_itemDragPending && !m_headerDrag) return;
  unsigned flags = 0;
  int col = -1;
  int item = HitTest(x, y, &flags, &col);
  const int realCols = (m_styleEx & LVXS_FILLLABELCOLUMN) ? GetColumnCount() - 1 : GetColumnCount();
  m_dividerCursor = (flags & LVHT_DIVIDER) && col < realCols;
  int hot = (flags & LVHT_HEADER) ? item : -1;
  if (hot != m_hotColumn) {
    m_hotColumn = hot;
    Host().Invalidate(nullptr, false);
  }
  const int dx = std::abs(x - m_pressPoint.x);
  const int dy = std::abs(y - m_pressPoint.y);
  if (m_pressedColumn >= 0) {
    if (!m_headerDrag && (m_styleEx & LVXS_HEADERDRAGDROP) && m_pressedColumn >= 1 &&
        (keyFlags & MK_LBUTTON) && (dx >= 2 || dy >= 2)) {
      StartHeaderDrag();
    }
    if (m_headerDrag) {
      int pos = (y >= 0 && y < m_headerHeight + 30) ? HeaderDropPosAt(x) : -1;
      if (pos != m_headerDropPos) {
        m_headerDropPos = pos;
        Host().Invalidate(nullptr, false);
      }
      return;
    }
    if (!(flags & LVHT_HEADER)) {
      m_pressedColumn = -1;
      Host().Invalidate(nullptr, false);
    }
  }
  if (m_focus >= 0 && m_buttonDownPending && !(flags & (LVHT_HEADER | LVHT_DIVIDER)) &&
      (keyFlags & (MK_LBUTTON | MK_RBUTTON)) && (dx >= 4 || dy >= 4)) {
    m_itemDragPending = true;
    m_buttonDownPending = false;
    Host().TipHide();
    if (keyFlags & MK_LBUTTON) OnBeginDrag(m_focus, m_pressPoint);
    else OnBeginRightDrag(m_focus, m_pressPoint);
    return;
  }
  if (TipsActive()) {
    if (item >= 0 && item != m_editItem) Host().TipShow(flags, item, col, {x, y});
    else Host().TipHide();
  }
}

void SECListBaseC::OnMouseLeave() {
  if (m_hotColumn >= 0) {
    m_hotColumn = -1;
    Host().Invalidate(nullptr, false);
  }
}

void SECListBaseC::OnLButtonUp(int x, int y, unsigned keyFlags) {
  m_buttonDownPending = false;
  if (m_resize.active) {
    const int delta = m_resize.curX - m_resize.startX;
    const int col = m_resize.column;
    m_resize = {};
    ApplyColumnResize(col, delta);
    return;
  }
  if (m_itemDragPending) {
    m_itemDragPending = false;
    return;
  }
  if (m_headerDrag) {
    EndHeaderDrag();
    return;
  }
  if (m_pressedColumn >= 0) {
    int col = m_pressedColumn;
    m_pressedColumn = -1;
    Host().Invalidate(nullptr, false);
    NotifyColumnClick(col);
  }
  unsigned flags = 0;
  int col = -1;
  int item = HitTest(x, y, &flags, &col);
  // A hit in the header names a column, not an item.
  if (flags & (LVHT_HEADER | LVHT_DIVIDER)) item = -1;
  const bool shift = keyFlags & MK_SHIFT;
  const bool ctrl = keyFlags & MK_CONTROL;
  if (item >= 0) {
    if (IsItemSelected(item) && m_selection.size() > 1 && !shift && !ctrl) {
      DeselectAllExcept(-1);
      SelectOnClick(item, flags, keyFlags, true);
    } else if (ctrl && (flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONROW))) {
      SelectOnClick(item, flags, keyFlags, true);
    }
  }
  const bool fullRow = (m_styleEx & LVXS_FULLROWSELECT) != 0;
  bool onLabel = (flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL)) || (fullRow && (flags & LVHT_ONROW));
  if (!onLabel && item >= 0 && (flags & LVHT_LEFTOFLABEL)) {
    // The gap between image and label counts as the label.
    Rect img;
    onLabel = GetItemRect(item, &img, 1) && !img.IsEmpty() && x >= img.right;
  }
  if (item >= 0 && onLabel && m_pendingEdit == item) {
    Host().KillTimer(kTimerEdit);
    Host().StartTimer(kTimerEdit, 500);
  }
  const bool editClick = (flags & LVHT_ONITEMLABEL) || (fullRow && (flags & LVHT_ONROW) && col > 0);
  m_pendingEdit = ((m_style & LVS_EDITLABELS) && item >= 0 && IsItemSelected(item) && editClick) ? item : -1;
  NotifyCode(NM_CLICK);
}

void SECListBaseC::OnLButtonDblClk(int /*x*/, int /*y*/, unsigned /*keyFlags*/) {
  m_pendingEdit = -1;
  Host().KillTimer(kTimerEdit);
  NotifyCode(NM_DBLCLK);
}

void SECListBaseC::OnRButtonDown(int x, int y, unsigned keyFlags) {
  // The right button cancels a column resize and does nothing else.
  if (m_resize.active) {
    CancelColumnResize();
    return;
  }
  if (!Host().HasFocus()) Host().TakeFocus();
  unsigned flags = 0;
  int col = -1;
  int item = HitTest(x, y, &flags, &col);
  m_buttonDownPending = false;
  if (!(flags & LVHT_DIVIDER)) {
    bool pending = false;
    bool select = false;
    ClickSelects({x, y}, item, flags, &pending, &select);
    m_buttonDownPending = pending;
    if (select) {
      SelectOnClick(item, flags, keyFlags | MK_RBUTTON, true);
      OnSelectDone(item, true);
    }
  }
  Host().TipRefresh();
  m_pressPoint = {x, y};
  m_itemDragPending = false;
}

void SECListBaseC::OnRButtonUp(int, int, unsigned) {
  m_buttonDownPending = false;
  if (m_itemDragPending) {
    m_itemDragPending = false;
    return;
  }
  Host().TipRefresh();
  NotifyCode(NM_RCLICK);
}

// --- keyboard -------------------------------------------------------------------

bool SECListBaseC::OnKeyDown(unsigned key, bool shift, bool ctrl, int /*repeat*/) {
  NotifyKeyDown(key);
  if (IsIconLayout() && IconKeyDown(key, shift, ctrl)) return true;
  const int f = m_focus;
  struct KeyRow {
    unsigned key;
    void (SECListBaseC::*handler)(int);
  };
  // Keys whose handlers take only the focus index.
  static constexpr KeyRow kSimple[] = {
      {vk::Back, &SECListBaseC::OnKeyBack},         {vk::Left, &SECListBaseC::OnKeyCollapse},
      {vk::Subtract, &SECListBaseC::OnKeyCollapse}, {vk::OemMinus, &SECListBaseC::OnKeyCollapse},
      {vk::Right, &SECListBaseC::OnKeyExpand},      {vk::Add, &SECListBaseC::OnKeyExpand},
      {vk::OemPlus, &SECListBaseC::OnKeyExpand},    {vk::Multiply, &SECListBaseC::OnKeyExpandAll},
      {vk::F2, &SECListBaseC::OnKeyEditLabel},
  };
  for (const KeyRow& row : kSimple) {
    if (row.key == key) {
      (this->*row.handler)(f);
      return true;
    }
  }
  struct NavRow {
    unsigned key;
    void (SECListBaseC::*handler)(int, bool, bool);
  };
  static constexpr NavRow kNav[] = {
      {vk::Space, &SECListBaseC::OnKeySpace},   {vk::Prior, &SECListBaseC::OnKeyPageUp},
      {vk::Next, &SECListBaseC::OnKeyPageDown}, {vk::End, &SECListBaseC::OnKeyEnd},
      {vk::Home, &SECListBaseC::OnKeyHome},     {vk::Up, &SECListBaseC::OnKeyArrowUp},
      {vk::Down, &SECListBaseC::OnKeyArrowDown},
  };
  for (const NavRow& row : kNav) {
    if (row.key == key) {
      (this->*row.handler)(f, shift, ctrl);
      return true;
    }
  }
  switch (key) {
    case vk::Tab: Host().MoveToNextControl(shift); return true;
    case vk::Return: OnKeyReturn(); return true;
    case vk::Escape: Host().CancelDialog(); return true;
    default: return false;
  }
}

void SECListBaseC::KeySelect(int index, bool shift, bool ctrl) {
  unsigned keyFlags = (shift ? MK_SHIFT : 0) | (ctrl ? MK_CONTROL : 0);
  if (SelectOnClick(index, kKeyboardHit, keyFlags, false)) {
    OnSelectDone(index, false);
    EnsureVisible(index);
  }
}

void SECListBaseC::OnKeySpace(int focus, bool shift, bool ctrl) {
  if (focus >= 0) KeySelect(focus, shift, ctrl);
}

void SECListBaseC::OnKeyArrowUp(int focus, bool shift, bool ctrl) {
  if (focus > 0) KeySelect(focus - 1, shift, ctrl);
}

void SECListBaseC::OnKeyArrowDown(int focus, bool shift, bool ctrl) {
  if (focus < GetItemCount() - 1) KeySelect(focus + 1, shift, ctrl);
}

void SECListBaseC::OnKeyEditLabel(int focus) {
  if (focus >= 0 && (m_style & LVS_EDITLABELS)) EditLabel(focus, m_lastHitColumn);
}

void SECListBaseC::OnKeyHome(int, bool shift, bool ctrl) {
  if (GetItemCount() == 0) return;
  if (m_vbar.shown) OnVScroll(ScrollCode::Top);
  unsigned kf = (shift ? MK_SHIFT : 0) | (ctrl ? MK_CONTROL : 0);
  SelectOnClick(0, kKeyboardHit, kf, false);
  OnSelectDone(0, false);
  Host().Invalidate(nullptr, false);
}

void SECListBaseC::OnKeyEnd(int, bool shift, bool ctrl) {
  const int n = GetItemCount();
  if (n == 0) return;
  if (m_vbar.shown) OnVScroll(ScrollCode::Bottom);
  unsigned kf = (shift ? MK_SHIFT : 0) | (ctrl ? MK_CONTROL : 0);
  SelectOnClick(n - 1, kKeyboardHit, kf, false);
  OnSelectDone(n - 1, false);
  Host().Invalidate(nullptr, false);
}

void SECListBaseC::OnKeyPageUp(int focus, bool shift, bool ctrl) {
  if (!m_vbar.shown) {
    OnKeyHome(focus, shift, ctrl);
    return;
  }
  if (focus == m_top) OnVScroll(ScrollCode::PageUp);
  unsigned kf = (shift ? MK_SHIFT : 0) | (ctrl ? MK_CONTROL : 0);
  SelectOnClick(m_top, kKeyboardHit, kf, false);
  OnSelectDone(m_top, false);
  Host().Invalidate(nullptr, false);
}

void SECListBaseC::OnKeyPageDown(int focus, bool shift, bool ctrl) {
  if (!m_vbar.shown) {
    OnKeyEnd(focus, shift, ctrl);
    return;
  }
  if (focus == GetBottomIndex()) OnVScroll(ScrollCode::PageDown);
  const int bottom = std::max(0, GetBottomIndex());
  unsigned kf = (shift ? MK_SHIFT : 0) | (ctrl ? MK_CONTROL : 0);
  SelectOnClick(bottom, kKeyboardHit, kf, false);
  OnSelectDone(bottom, false);
  Host().Invalidate(nullptr, false);
}

// --- type-ahead ------------------------------------------------------------------

bool SECListBaseC::OnChar(char ch) { return OnTypeAhead(std::string_view(&ch, 1)); }

bool SECListBaseC::OnTypeAhead(std::string_view character) {
  if (character.empty()) return false;
  const char ch = character.size() == 1 ? character[0] : 0;
  if ((m_typeAheadFlags & 0x8) || ch == 27 || ch == 13 || ch == ' ' || GetItemCount() == 0) return false;
  if (m_typeAheadFlags & 0x4) {
    m_typeAheadFlags |= 0x2;
    return true;
  }
  if (!(m_typeAheadFlags & 0x1)) {
    m_typeAheadFlags |= 0x1;
    m_typeAheadText.clear();
    m_typeAheadChars = 0;
    Host().KillTimer(kTimerTypeAhead);
    Host().StartTimer(kTimerTypeAhead, m_typeAheadPeriod);
  }
  m_typeAheadText.append(character);
  ++m_typeAheadChars;
  const int n = GetItemCount();
  int start = m_focus < 0 ? 0 : m_focus;
  if (m_typeAheadChars == 1) {
    int next = GetNextItem(m_focus, LVNI_BELOW);
    start = next < 0 ? 0 : next;
  }
  const std::string want = Host().FoldCase(m_typeAheadText);
  int cur = start;
  int match = -1;
  for (int steps = 0; steps < n; ++steps) {
    if (Host().FoldCase(TypeAheadLabel(cur)).compare(0, want.size(), want) == 0) {
      match = cur;
      break;
    }
    int next = GetNextItem(cur, LVNI_BELOW);
    cur = next < 0 ? 0 : next;
    if (cur == start) break;
  }
  if (match >= 0) {
    if (SelectOnClick(match, kKeyboardHit, 0, false)) {
      OnSelectDone(match, false);
      EnsureVisible(match);
    }
    m_typeAheadFlags |= 0x2;
  } else {
    Host().Beep();
    m_typeAheadFlags |= 0x4 | 0x2;
  }
  return true;
}

void SECListBaseC::OnTimer(int id) {
  if (id == kTimerEdit) {
    Host().KillTimer(kTimerEdit);
    if (m_pendingEdit >= 0 && m_pendingEdit == m_focus) EditLabel(m_pendingEdit, m_lastHitColumn);
  } else if (id == kTimerAutoScroll) {
    if (!m_itemDragPending) return;
    Point p = Host().CursorPos();
    unsigned flags = 0;
    int item = HitTest(p.x, p.y, &flags, nullptr);
    if (item < 0 || GetItemCount() < 3) return;
    const int bottom = GetBottomIndex();
    if (item <= m_top && m_top != 0) {
      SetDropHilite(-1);
      ScrollLines(-1);
    } else if (item > bottom - 1 && bottom != GetItemCount() - 1) {
      SetDropHilite(-1);
      ScrollLines(1);
    }
  } else if (id == kTimerTypeAhead) {
    if ((m_typeAheadFlags & 0x3) == 0x3) {
      m_typeAheadFlags &= ~0x2;
    } else {
      Host().KillTimer(kTimerTypeAhead);
      m_typeAheadFlags = 0;
      m_typeAheadText.clear();
      m_typeAheadChars = 0;
    }
  }
}

void SECListBaseC::OnSetFocus() {
  if ((m_style & LVS_SINGLESEL) && m_focus >= 0) InvalidateItem(m_focus, true);
  else Host().Invalidate(nullptr, false);
  NotifyCode(NM_SETFOCUS);
}

void SECListBaseC::OnKillFocus(bool toEditor) {
  if (!toEditor) EndLabelEdit(true);
  if ((m_style & LVS_SINGLESEL) && m_focus >= 0) InvalidateItem(m_focus, true);
  else Host().Invalidate(nullptr, false);
  NotifyCode(NM_KILLFOCUS);
}

void SECListBaseC::OnEnable(bool enabled) {
  if (!enabled) Host().TipHide();
  Host().Invalidate(nullptr, false);
}

// --- label editing ----------------------------------------------------------------

bool SECListBaseC::EditLabel(int item, int column) {
  if (Host().EditorExists()) return false;
  if (item < 0 || item >= GetItemCount()) return false;
  Host().TipHide();
  EndLabelEdit(true);
  const int sub = std::max(0, GetColumnSubItem(column));
  m_pendingEdit = -1;
  m_editItem = item;
  m_editColumn = column;
  Rect r;
  if (!GetCellRect(item, column, &r, 2)) {
    // The row is above the top row: bring it into view first.
    EnsureVisible(item);
    if (!GetCellRect(item, column, &r, 2)) {
      m_editItem = -1;
      return false;
    }
  }
  const Rect inside = GetInsideRect();
  const int labelWidth = r.Width();
  r.Inflate(0, 1, 0, 1);
  r.left = std::max(0, r.left - 4);
  r.right = std::min(r.left + labelWidth + 14, inside.right);
  auto ctx = CreatePaintContext();
  InitPaintContext(*ctx, item, column);
  std::string text = GetItemText(item, sub);
  Host().CreateEditor(r, text, IsLabelWrap(), ctx->font);
  if (NotifyBeginLabelEdit(item, sub) == 1) {
    Host().DestroyEditor();
    m_editItem = -1;
    m_pendingEdit = -1;
    return false;
  }
  Host().ShowEditor();
  m_savedEditText = text;
  InvalidateItem(item);
  m_endEditGuard = false;
  return true;
}

void SECListBaseC::OnEditorUpdate(const std::string& text) {
  if (m_editItem < 0) return;
  const int sub = std::max(0, GetColumnSubItem(m_editColumn));
  SECListItem* rec = GetItemRecord(m_editItem);
  const int oldHeight = rec ? rec->height : 0;
  SetItemText(m_editItem, sub, text);
  if (rec) {
    rec->needsMeasuring = true;
    MeasureItem(m_editItem);
    if (rec->height != oldHeight) ReMeasureAndUpdate();
  }
  Rect r;
  if (GetCellRect(m_editItem, m_editColumn, &r, 2)) {
    const Rect inside = GetInsideRect();
    int left = std::max(0, r.left - 4);
    int right = left + r.Width() + 14;
    if (GetColumnCount() <= 1) right = std::min(right, inside.right);
    else right = std::min(right, GetColumnRight(m_editColumn));
    Host().ResizeEditor(right - left, r.Height() + 2);
  }
  InvalidateItem(m_editItem);
}

bool SECListBaseC::EndLabelEdit(bool commit) {
  if (!Host().EditorExists() || m_endEditGuard || m_editItem < 0) return false;
  m_endEditGuard = true;
  std::string text = Host().EditorText();
  const int item = m_editItem;
  const int sub = std::max(0, GetColumnSubItem(m_editColumn));
  NotifyResult r = NotifyEndLabelEdit(item, sub, &text, commit);
  if (r != 0 && commit) {
    SetItemText(item, sub, text);
    OnLabelEdited(item, sub);
  } else {
    SetItemText(item, sub, m_savedEditText);
  }
  Host().DestroyEditor();
  m_editItem = -1;
  ReMeasureAndUpdate();
  Host().Invalidate(nullptr, false);
  return true;
}

bool SECListBaseC::CancelEditTimer() {
  Host().KillTimer(kTimerEdit);
  return true;
}

// --- header ------------------------------------------------------------------------

int SECListBaseC::HeaderDropPosAt(int x) {
  const int cols = GetColumnCount();
  int col = -1;
  int left = -m_hOffset;
  for (int i = 0; i < cols; ++i) {
    if (x >= left && x < left + GetColumnWidth(i)) {
      col = i;
      break;
    }
    left += GetColumnWidth(i);
  }
  if (col < 0) col = cols - 1;
  if (col == 0 && x - GetColumnLeft(0) < GetColumnWidth(0) / 2) return -1;
  const int l = GetColumnLeft(col);
  const int w = GetColumnWidth(col);
  if (x - l >= w / 2) return col + 1;
  return col == 0 ? 1 : col;
}

void SECListBaseC::StartHeaderDrag() {
  m_headerDrag = true;
  m_headerDropPos = -1;
  Host().Invalidate(nullptr, false);
}

void SECListBaseC::EndHeaderDrag() {
  const int from = m_pressedColumn;
  const int to = m_headerDropPos;
  m_headerDrag = false;
  m_headerDropPos = -1;
  m_pressedColumn = -1;
  if (from >= 1 && to >= 1 && to != from && to != from + 1) MoveColumn(from, to, true);
  Host().Invalidate(nullptr, false);
}

void SECListBaseC::CancelColumnResize() {
  m_resize = {};
  Host().Invalidate(nullptr, false);
}

void SECListBaseC::OnCaptureLost() {
  if (!m_resize.active) return;
  const int delta = m_resize.curX - m_resize.startX;
  const int col = m_resize.column;
  m_resize = {};
  Host().Invalidate(nullptr, false);
  ApplyColumnResize(col, delta);
}

void SECListBaseC::ApplyColumnResize(int column, int delta) {
  SECListColumn* c = GetColumnRecord(column);
  if (!c || delta == 0) return;
  c->width += delta;
  if (m_styleEx & LVXS_FILLLABELCOLUMN) {
    if (SECListColumn* next = GetColumnRecord(column + 1)) next->width -= delta;
    int total = 0;
    for (auto& col : m_columns) {
      if (col->width < 6) col->width = 5;
      total += col->width;
    }
    const int inside = GetInsideRect().Width();
    if (total > inside && !m_columns.empty()) m_columns[0]->width = std::max(5, m_columns[0]->width - (total - inside));
  }
  if (IsLabelWrap()) InvalidateAllMeasures();
  ReMeasureAndUpdate();
  Host().Invalidate(nullptr, false);
}

}  // namespace pm2
