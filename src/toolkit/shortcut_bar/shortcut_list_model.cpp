#include "toolkit/shortcut_bar/shortcut_list_model.h"

#include <algorithm>

namespace pm2 {

void SECShortcutListBase::Create(unsigned style, unsigned exStyle) {
  SECListBaseC::Create(style | LVS_NOCOLUMNHEADER, exStyle);
  ModifyListStyle(0, LVS_NOSCROLL | LVS_SHAREIMAGELISTS | LVS_NOCOLUMNHEADER, false);
  ModifyListStyleEx(0, LVXS_FILLLABELCOLUMN, false);
  if (GetColumnCount() == 0) InsertColumn(0, "", LVCFMT_LEFT, 20, 0, -1, false);
  ApplyBarColors();
}

void SECShortcutListBase::ApplyBarColors() {
  // The five colour setters in their order; the text colour also becomes
  // the selected text colour.
  SetBkColor(GetSysColor(SysColor::BtnShadow));
  SetTextColor(MakeRgb(255, 255, 255));
  SetSelTextColor(MakeRgb(255, 255, 255));
  SetTextBkColor(GetSysColor(SysColor::InactiveCaption));
  SetSelTextBkColor(GetSysColor(SysColor::InactiveCaption));
  Host().Invalidate(nullptr, false);
}

void SECShortcutListBase::SetLargeIcons(bool large) {
  if (large == IsLargeIcons()) return;
  ModifyListStyle(LVS_TYPEMASK, large ? LVS_ICON : LVS_REPORT, false);
  RecalcLayout();
  Host().Invalidate(nullptr, false);
}

bool SECShortcutListBase::OnBarCommand(CommandId id) {
  if (id != kIdShortcutLargeIcons && id != kIdShortcutSmallIcons) return false;
  SetLargeIcons(id == kIdShortcutLargeIcons);
  return true;
}

void SECShortcutListBase::UpdateBarCommand(CommandState& state) const {
  if (state.id == kIdShortcutLargeIcons) state.SetCheck(IsLargeIcons() ? 1 : 0);
  if (state.id == kIdShortcutSmallIcons) state.SetCheck(IsLargeIcons() ? 0 : 1);
}

// --- layout ----------------------------------------------------------------------

void SECShortcutListBase::RecalcLayout() {
  const Rect c = Host().ClientRect();
  const int w = GetSystemMetric(SysMetric::CxVScroll);
  const int h = GetSystemMetric(SysMetric::CyHScroll);
  m_up.rect = {c.right - 5 - w, c.top + 5, c.right - 5, c.top + 5 + h};
  m_down.rect = {c.right - 5 - w, c.bottom - 5 - h, c.right - 5, c.bottom - 5};
  // The label column is as wide as the bar in both modes: it is the cell
  // width labels wrap in below large icons.
  if (GetColumnCount() > 0) SetColumnWidth(0, std::max(1, c.Width()));
  InvalidateAllMeasures();
  m_first = ClampedFirst();
}

int SECShortcutListBase::ClampedFirst() { return std::clamp(m_first, 0, std::max(0, GetItemCount() - 1)); }

ShortcutItemGeometry SECShortcutListBase::LargeGeometry(int index, int top) {
  ShortcutItemGeometry g;
  g.index = index;
  const Rect c = Host().ClientRect();
  const int left = -GetScrollOffset();
  g.gap = {left, top, c.right, top + GetItemSpacing()};
  SECListItem* rec = GetItemRecord(index);
  const int h = RowHeight(index);
  g.row = {left, g.gap.bottom, c.right, g.gap.bottom + h};
  if (!rec) return g;
  const int mid = left + g.row.Width() / 2;
  const Rect& img = rec->imageRect;
  if (!img.IsEmpty()) {
    g.icon = {mid - img.Width() / 2, g.row.top + img.top, mid - img.Width() / 2 + img.Width(), g.row.top + img.bottom};
  }
  const Rect& lab = rec->labelRect;
  g.label = {mid - lab.Width() / 2, g.row.top + lab.top, mid - lab.Width() / 2 + lab.Width(), g.row.top + lab.bottom};
  return g;
}

std::vector<ShortcutItemGeometry> SECShortcutListBase::VisibleItems() {
  std::vector<ShortcutItemGeometry> out;
  const Rect c = Host().ClientRect();
  m_first = ClampedFirst();
  const int n = GetItemCount();
  int y = c.top;
  for (int i = m_first; i < n && y < c.bottom; ++i) {
    if (IsLargeIcons()) {
      ShortcutItemGeometry g = LargeGeometry(i, y);
      y = g.row.bottom;
      out.push_back(g);
      continue;
    }
    ShortcutItemGeometry g;
    g.index = i;
    const int h = RowHeight(i);
    g.row = {-GetScrollOffset(), y, c.right, y + h};
    g.gap = {g.row.left, y, g.row.right, y};
    if (SECListItem* rec = GetItemRecord(i)) {
      g.icon = rec->imageRect;
      g.icon.Offset(g.row.left, y);
      g.label = rec->labelRect;
      g.label.Offset(g.row.left, y);
    }
    y += h;
    out.push_back(g);
  }
  return out;
}

bool SECShortcutListBase::DownButtonShown() {
  const int n = GetItemCount();
  if (n == 0) return false;
  const std::vector<ShortcutItemGeometry> items = VisibleItems();
  if (items.empty()) return false;
  return items.back().index < n - 1 || items.back().row.bottom > Host().ClientRect().bottom;
}

// --- hit tests ------------------------------------------------------------------

int SECShortcutListBase::BarHitTest(int x, int y, unsigned* flags) {
  unsigned f = 0;
  auto done = [&](int result) {
    if (flags) *flags = f ? f : LVHT_NOWHERE;
    return result;
  };
  const Point pt{x, y};
  if (UpButtonShown() && m_up.rect.Contains(pt)) return done(kShortcutHitUp);
  if (DownButtonShown() && m_down.rect.Contains(pt)) return done(kShortcutHitDown);
  if (!IsLargeIcons()) {
    // The engine's hit test counts rows from its own top row.
    m_top = ClampedFirst();
    int column = 0;
    const int hit = HitTest(x, y, &f, &column);
    return done(hit);
  }
  const Rect c = Host().ClientRect();
  if (!c.Contains(pt)) {
    if (x >= c.right) f = LVHT_TORIGHT;
    else if (x < c.left) f = LVHT_TOLEFT;
    else if (y >= c.bottom) f = LVHT_BELOW;
    else f = LVHT_ABOVE;
    return done(-1);
  }
  for (const ShortcutItemGeometry& g : VisibleItems()) {
    if (!g.row.Contains(pt)) continue;
    if (g.label.Contains(pt)) f = LVHT_ONITEMLABEL;
    else if (g.icon.Contains(pt)) f = LVHT_ONITEMICON;
    else if (x < g.label.left) f = LVHT_LEFTOFLABEL;
    else if (x >= g.label.right) f = LVHT_RIGHTOFLABEL;
    return done(g.index);
  }
  return done(-1);
}

ShortcutDropSpot SECShortcutListBase::DropSpotAt(int y) {
  ShortcutDropSpot spot;
  const Rect c = Host().ClientRect();
  const std::vector<ShortcutItemGeometry> items = VisibleItems();
  const int gap = IsLargeIcons() ? GetItemSpacing() : 0;
  if (items.empty()) {
    // An empty bar: the first gap at the top, triangles at its bottom.
    spot.insertBefore = GetItemCount();
    spot.marker = {c.left - GetScrollOffset(), c.top, c.right, c.top + std::max(gap, 8)};
    spot.code = -1;
    return spot;
  }
  auto markerAt = [&](int top) {
    // Rows that touch still get a marker band to be seen.
    const int h = std::max(gap, 8);
    const int t = gap > 0 ? top : top - h / 2;
    return Rect{items.front().row.left, t, c.right, t + h};
  };
  if (y >= c.top && y <= c.top + gap) {
    spot.insertBefore = items.front().index;
    spot.marker = markerAt(c.top);
    return spot;
  }
  for (const ShortcutItemGeometry& g : items) {
    if (y >= g.row.bottom && y <= g.row.bottom + gap) {
      spot.insertBefore = g.index + 1;
      spot.marker = markerAt(g.row.bottom);
      return spot;
    }
  }
  // Nowhere else: after the last item (the marker below it when it shows).
  spot.insertBefore = GetItemCount();
  const ShortcutItemGeometry& last = items.back();
  spot.marker = last.index == GetItemCount() - 1 ? markerAt(last.row.bottom) : Rect{};
  return spot;
}

// --- hot and pressed states ------------------------------------------------------

unsigned SECShortcutListBase::GetItemHotState(int index) {
  if (!GetItemRecord(index)) return 0;
  return GetItemState(index, kShortcutHotMask) & kShortcutHotMask;
}

void SECShortcutListBase::SetItemHotState(int index, unsigned state) {
  if (!GetItemRecord(index)) return;
  if (GetItemHotState(index) == (state & kShortcutHotMask)) return;
  SECListBaseC::SetItemState(index, state & kShortcutHotMask, kShortcutHotMask);
  Host().Invalidate(nullptr, false);
}

// --- input --------------------------------------------------------------------------

void SECShortcutListBase::StartHoverTimer() {
  Host().KillTimer(kShortcutHoverTimer);
  Host().StartTimer(kShortcutHoverTimer, kShortcutHoverMs);
  m_hoverTimer = true;
}

void SECShortcutListBase::BarLButtonDown(int x, int y) {
  m_pressPoint = {x, y};
  unsigned flags = 0;
  const int hit = BarHitTest(x, y, &flags);
  if (hit == kShortcutHitUp || hit == kShortcutHitDown) {
    ShortcutScrollButton& b = hit == kShortcutHitUp ? m_up : m_down;
    m_heldButton = hit;
    b.pressed = true;
    Host().Invalidate(&b.rect, false);
    if (hit == kShortcutHitUp) ScrollUp();
    else ScrollDown();
    return;
  }
  m_heldButton = 0;
  m_pressedItem = -1;
  m_pressFlags = flags;
  if (hit < 0) return;
  if (GetItemHotState(hit) & kShortcutHot) SetItemHotState(hit, 0);
  if (hit == m_hot) m_hot = -1;
  if (OnIconOrLabel(flags)) {
    SetItemHotState(hit, kShortcutPressed);
    m_pressedItem = hit;
  } else {
    SetItemHotState(hit, 0);
  }
}

void SECShortcutListBase::BarLButtonUp(int x, int y) {
  if (!PressPending()) return;
  const int pressed = m_pressedItem;
  ForgetPress();
  if (m_heldButton) {
    ShortcutScrollButton& b = m_heldButton == kShortcutHitUp ? m_up : m_down;
    b.pressed = false;
    Host().Invalidate(&b.rect, false);
    m_heldButton = 0;
    return;
  }
  // The item pressed loses its sunken look wherever the release happens.
  if (pressed >= 0) SetItemHotState(pressed, 0);
  unsigned flags = 0;
  const int hit = BarHitTest(x, y, &flags);
  if (hit < 0) return;
  const bool onItem = OnIconOrLabel(flags);
  SetItemHotState(hit, onItem ? kShortcutHot : 0);
  if (onItem) m_hot = hit;
  NotifyParent(NM_CLICK, hit);
  if (onItem) NotifyParent(kShortcutNotifyItemClick, hit);
}

int SECShortcutListBase::BarMouseMove(int x, int y, bool leftDown) {
  const Point pt{x, y};
  if (m_heldButton) {
    // The held button looks pressed only while the mouse is on it.
    ShortcutScrollButton& b = m_heldButton == kShortcutHitUp ? m_up : m_down;
    b.pressed = leftDown && b.rect.Contains(pt);
    Host().Invalidate(&m_up.rect, false);
    Host().Invalidate(&m_down.rect, false);
    return -1;
  }
  if (leftDown && PressPending() && m_pressedItem >= 0 && OnIconOrLabel(m_pressFlags)) {
    const bool outside = x < m_pressPoint.x - kShortcutDragSlop || x >= m_pressPoint.x + kShortcutDragSlop ||
                         y < m_pressPoint.y - kShortcutDragSlop || y >= m_pressPoint.y + kShortcutDragSlop;
    return outside ? m_pressedItem : -1;
  }
  unsigned flags = 0;
  const int hit = BarHitTest(x, y, &flags);
  if (hit >= 0) {
    if (m_hot >= 0 && m_hot != hit) SetItemHotState(m_hot, 0);
    const bool onItem = OnIconOrLabel(flags);
    if (hit != m_pressedItem) SetItemHotState(hit, onItem ? kShortcutHot : 0);
    m_hot = onItem ? hit : -1;
    StartHoverTimer();
  } else {
    if (m_hot >= 0) SetItemHotState(m_hot, 0);
    m_hot = -1;
  }
  return -1;
}

void SECShortcutListBase::BarTimer(Point cursor, bool cursorInWindow) {
  Host().KillTimer(kShortcutHoverTimer);
  m_hoverTimer = false;
  if (!cursorInWindow && m_hot >= 0) {
    SetItemHotState(m_hot, 0);
    m_hot = -1;
    Host().Invalidate(nullptr, false);
  }
  unsigned flags = 0;
  const int hit = BarHitTest(cursor.x, cursor.y, &flags);
  if (hit == kShortcutHitUp && m_up.pressed) ScrollUp();
  else if (hit == kShortcutHitDown && m_down.pressed) ScrollDown();
}

void SECShortcutListBase::BarKillFocus() {
  if (m_hot >= 0) SetItemHotState(m_hot, 0);
  m_hot = -1;
}

bool SECShortcutListBase::BarWheel(int delta, bool cursorInWindow) {
  m_wheelDelta = delta;
  if (cursorInWindow) {
    if (delta >= 0) ScrollUp();
    else ScrollDown();
  }
  return true;
}

void SECShortcutListBase::ScrollUp() {
  if (m_first > 0) --m_first;
  Host().Invalidate(nullptr, false);
  StartHoverTimer();
}

void SECShortcutListBase::ScrollDown() {
  // Never past the point where the last item is wholly in view.
  if (DownButtonShown()) ++m_first;
  Host().Invalidate(nullptr, false);
  StartHoverTimer();
}

// --- items -------------------------------------------------------------------------

void SECShortcutListBase::DeleteAllItems() {
  m_hot = -1;
  m_pressedItem = -1;
  m_first = 0;
  SECListBaseC::DeleteAllItems();
}

bool SECShortcutListBase::RemoveItem(int index) {
  m_hot = -1;
  m_pressedItem = -1;
  const bool ok = DeleteItem(index);
  m_first = ClampedFirst();
  return ok;
}

bool SECShortcutListBase::RemoveItemRecord(const SECListItem* rec) {
  const int index = FindItemRecord(rec);
  return index >= 0 && RemoveItem(index);
}

int SECShortcutListBase::InsertDroppedItem(int before, const std::string& text, int image, std::intptr_t param) {
  const int count = ViewImages().count;
  if (image < 0 || image >= count) image = 0;
  const int index = InsertItemFields(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, before, text, 0, 0, image, param);
  RecalcLayout();
  Host().Invalidate(nullptr, false);
  return index;
}

NotifyResult SECShortcutListBase::NotifyParent(int code, int item) {
  NMSHORTCUT nm;
  nm.hdr.code = code;
  nm.item = item;
  return Send(nm.hdr);
}

}  // namespace pm2
