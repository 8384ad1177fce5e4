#include "toolkit/models/tab_layout.h"

#include <algorithm>

#include "toolkit/core/notify.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {
namespace {

TextMeasurer& DefaultMeasurer() {
  static FixedTextMeasurer fixed;
  return fixed;
}

constexpr unsigned kAllButtons[] = {kTabButtonFirst, kTabButtonPrev, kTabButtonNext, kTabButtonLast};

}  // namespace

// ================================================================ flat strip

SECTabControlModel::SECTabControlModel(TextMeasurer* measure, unsigned ctrlId, TabListener* parent)
    : SECTabControlBase(ctrlId, parent), m_measure(measure ? measure : &DefaultMeasurer()) {
  Initialize(0);
}

void SECTabControlModel::Initialize(std::uint32_t style) {
  m_nButtons = (style & 0x1) ? 6u : (style & 0x2) ? 15u : 0u;
  m_nStripHeight = GetSystemMetric(SysMetric::CyHScroll) + 1;
  m_cxButton = m_cyButton = m_nStripHeight;
}

void SECTabControlModel::SetClientRect(const Rect& r) {
  const int old = m_nScrollOffset;
  m_client = r;
  UpdateScrollButtons();
  ApplyOffsetChange(old);
}

void SECTabControlModel::RecalcLayout() {
  for (int i = 0; i < GetTabCount(); ++i)
    GetTab(i).m_nWidth = m_measure->Measure(GetTab(i).m_strLabel, FontChoice{0, true}, 0, true).cx + m_nTextPad;
}

SECTab* SECTabControlModel::InsertTab(int index, std::string_view label, void* client, std::uint32_t data1,
                                      std::uint32_t data2) {
  index = std::clamp(index, 0, GetTabCount());
  SECTab* tab = SECTabControlBase::InsertTab(index, label, client, data1, data2);
  if (m_bActiveTab && index <= m_nActiveTab) ++m_nActiveTab;
  RecalcLayout();
  for (int i = index; i < GetTabCount(); ++i) InvalidateTab(i);
  return tab;
}

int SECTabControlModel::TabLeft(int index) const {
  int x = GetTabsRect().left + m_nScrollOffset;
  for (int i = 0; i < index && i < GetTabCount(); ++i) x += GetTab(i).m_nWidth + m_nOverlap;
  return x;
}

std::array<Point, 4> SECTabControlModel::TabRegion(int index) const {
  const Rect r = GetTabsRect();
  const int x = TabLeft(index), w = GetTab(index).m_nWidth;
  return {Point{x, r.top}, Point{x + m_nSlant, r.bottom}, Point{x + w - m_nSlant, r.bottom}, Point{x + w, r.top}};
}

std::array<Point, 4> SECTabControlModel::TabPaintPolygon(int index) const {
  const Rect r = GetTabsRect();
  const int x = TabLeft(index), w = GetTab(index).m_nWidth;
  return {Point{x, r.top}, Point{x + m_nSlant, r.bottom}, Point{x + w - m_nSlant - 1, r.bottom},
          Point{x + w - 1, r.top}};
}

Rect SECTabControlModel::TabBounds(int index) const {
  const Rect r = GetTabsRect();
  const int x = TabLeft(index);
  return {x, r.top, x + GetTab(index).m_nWidth, r.bottom};
}

bool SECTabControlModel::TabHit(int index, Point pt) const {
  if (!IsValidTab(index)) return false;
  const Rect r = GetTabsRect();
  if (pt.y < r.top || pt.y >= r.bottom || r.Height() <= 0) return false;
  const int x = TabLeft(index), w = GetTab(index).m_nWidth;
  // The slanted sides move in by m_nSlant over the strip's height.
  const int in = m_nSlant * (pt.y - r.top) / r.Height();
  return pt.x >= x + in && pt.x < x + w - in;
}

int SECTabControlModel::HitTab(Point pt) const {
  for (int i = 0; i < GetTabCount(); ++i)
    if (TabHit(i, pt)) return i;
  return -1;
}

Rect SECTabControlModel::GetTabsRect() const {
  Rect r = m_client;
  for (unsigned b : kAllButtons)
    if (m_nButtons & b) r.left += m_cxButton;
  return r;
}

int SECTabControlModel::FullWidth() const {
  int width = GetButtonsRect().Width();
  for (int i = 0; i < GetTabCount(); ++i) width += GetTab(i).m_nWidth + (i > 0 ? m_nOverlap : 0);
  return width + m_nSlant;
}

Rect SECTabControlModel::GetButtonsRect() const {
  int width = 0;
  for (unsigned b : kAllButtons)
    if (m_nButtons & b) width += m_cxButton;
  return {m_client.left, m_client.top, m_client.left + 1 + width, m_client.bottom};
}

Rect SECTabControlModel::GetButtonRect(unsigned button) const {
  int left = m_client.left;
  for (unsigned b : kAllButtons)
    if (b < button && (m_nButtons & b)) left += m_cxButton;
  return {left, m_client.top, left + m_cxButton, m_client.top + m_cyButton};
}

unsigned SECTabControlModel::ButtonAt(Point pt) const {
  for (unsigned b : kAllButtons)
    if ((m_nButtons & b) && GetButtonRect(b).Contains(pt)) return b;
  return 0;
}

void SECTabControlModel::UpdateScrollButtons() {
  if (GetTabCount() == 0) {
    m_nDisabledButtons = 15;
    m_nScrollOffset = 0;
    InvalidateButtons();
    return;
  }
  const int last = GetTabCount() - 1;
  const int limit = m_nScrollOffset - (TabLeft(last) + GetTab(last).m_nWidth) + m_client.right;
  const unsigned backward = kTabButtonFirst | kTabButtonPrev, forward = kTabButtonNext | kTabButtonLast;
  if (m_nScrollOffset >= 0) {
    m_nScrollOffset = 0;
    if (!(m_nDisabledButtons & kTabButtonPrev)) {
      m_nDisabledButtons |= backward;
      InvalidateButtons();
    }
  } else if (m_nDisabledButtons & kTabButtonPrev) {
    m_nDisabledButtons &= ~backward;
    InvalidateButtons();
  }
  if (m_nScrollOffset > limit) {
    if (m_nDisabledButtons & kTabButtonNext) {
      m_nDisabledButtons &= ~forward;
      InvalidateButtons();
    }
  } else {
    m_nScrollOffset = std::min(limit, 0);
    if (!(m_nDisabledButtons & kTabButtonNext)) {
      m_nDisabledButtons |= forward;
      InvalidateButtons();
    }
    // Pulled back to the limit: the backward buttons follow the new offset.
    if (m_nScrollOffset >= 0 && !(m_nDisabledButtons & kTabButtonPrev)) {
      m_nDisabledButtons |= backward;
      InvalidateButtons();
    }
  }
}

void SECTabControlModel::ApplyOffsetChange(int oldOffset) {
  if (m_nScrollOffset != oldOffset) OnScrolled(m_nScrollOffset - oldOffset);
}

void SECTabControlModel::ScrollToTab(int index) {
  if (m_client.IsEmpty() || !IsValidTab(index)) return;
  const int old = m_nScrollOffset;
  const Rect r = GetTabsRect();
  const int w = GetTab(index).m_nWidth;
  const int margin = w + m_nScrollMargin < r.Width() ? m_nScrollMargin : 0;
  const int right = TabLeft(index) + w;
  if (right > r.right) m_nScrollOffset += r.right - right - margin;
  const int left = TabLeft(index);
  if (left < r.left) m_nScrollOffset += margin - left + r.left;
  UpdateScrollButtons();
  ApplyOffsetChange(old);
}

bool SECTabControlModel::PressScrollButton(unsigned button) {
  if (!(m_nButtons & button) || (m_nDisabledButtons & button)) return false;
  m_nPressedButton = button;
  const int old = m_nScrollOffset;
  switch (button) {
    case kTabButtonFirst: m_nScrollOffset = 0; break;
    case kTabButtonPrev: m_nScrollOffset += m_nScrollStep; break;
    case kTabButtonNext: m_nScrollOffset -= m_nScrollStep; break;
    default:
      if (GetTabCount() > 0) {
        const int last = GetTabCount() - 1;
        m_nScrollOffset += GetTabsRect().right - (TabLeft(last) + GetTab(last).m_nWidth);
      }
      break;
  }
  UpdateScrollButtons();
  ApplyOffsetChange(old);
  InvalidateButtons();
  return true;
}

bool SECTabControlModel::RepeatScrollButton(unsigned button) {
  if (button != kTabButtonPrev && button != kTabButtonNext) return false;
  if (m_nDisabledButtons & button) return false;
  const int old = m_nScrollOffset;
  m_nScrollOffset += button == kTabButtonPrev ? m_nScrollStep : -m_nScrollStep;
  UpdateScrollButtons();
  ApplyOffsetChange(old);
  return m_nScrollOffset != old;
}

void SECTabControlModel::ReleaseButton() {
  if (m_nPressedButton) InvalidateButtons();
  m_nPressedButton = 0;
}

bool SECTabControlModel::OnLButtonDown(Point pt, bool ctrl, bool shift) {
  if (unsigned b = ButtonAt(pt)) {
    PressScrollButton(b);
    return true;
  }
  const int hit = HitTab(pt);
  if (hit < 0) return false;
  if (m_bMultiSelect && ctrl) {
    SECTab& tab = GetTab(hit);
    tab.m_bSelected = !tab.m_bSelected;
    if (m_bActiveTab && m_nActiveTab == hit) m_bActiveTab = false;
    InvalidateTab(hit);
    return false;
  }
  if (m_bMultiSelect && shift) {
    m_bActiveTab = false;
    const int anchor = std::clamp(m_nActiveTab, 0, GetTabCount() - 1);
    const int lo = std::min(anchor, hit), hi = std::max(anchor, hit);
    for (int i = 0; i < GetTabCount(); ++i) {
      SECTab& tab = GetTab(i);
      const bool inside = i >= lo && i <= hi;
      if (tab.m_bSelected != inside || inside) {
        tab.m_bSelected = inside;
        InvalidateTab(i);
      }
    }
    ActivateTab(hit);
    return false;
  }
  if (m_bActiveTab && m_nActiveTab == hit) {
    NotifyActiveClicked();
    return false;
  }
  for (int i = 0; i < GetTabCount(); ++i) {
    if (GetTab(i).m_bSelected) {
      GetTab(i).m_bSelected = false;
      InvalidateTab(i);
    }
  }
  ActivateTab(hit);
  return false;
}

void SECTabControlModel::OnLButtonDblClk(Point pt) {
  if (unsigned b = ButtonAt(pt)) {
    PressScrollButton(b);
    return;
  }
  const int hit = HitTab(pt);
  if (hit >= 0) NotifyDoubleClick(hit);
}

// ================================================================ 3-D strip

SEC3DTabControlModel::SEC3DTabControlModel(TextMeasurer* measure, unsigned ctrlId, TabListener* parent)
    : SECTabControlBase(ctrlId, parent), m_measure(measure ? measure : &DefaultMeasurer()) {}

void SEC3DTabControlModel::ModifyStyle(std::uint32_t remove, std::uint32_t add) {
  m_dwStyle = (m_dwStyle & ~remove) | add;
  if (add & (tab3d::kBottom | tab3d::kTop | tab3d::kLeft | tab3d::kRight)) RecalcLayout();
}

void SEC3DTabControlModel::SetClientRect(const Rect& r) {
  m_client = r;
  RecalcLayout();
}

int SEC3DTabControlModel::TextWidth(std::string_view text) const {
  return text.empty() ? 0 : m_measure->Measure(text, FontChoice{0, false}, 0, true).cx;
}

int SEC3DTabControlModel::MeasuredLength(bool fullLabels) const {
  int sum = 0;
  for (int i = 0; i < GetTabCount(); ++i) {
    const SEC3DTab& t = Tab3D(i);
    sum += m_nTextInset + (t.m_hIcon ? tab3d::kIconStep : 0) + TextWidth(fullLabels ? t.m_strFullLabel : t.m_strLabel) +
           m_nTextInset;
  }
  return sum;
}

void SEC3DTabControlModel::CalcTabRect(int index, int x, int y) {
  SEC3DTab& t = Tab3D(index);
  const int along =
      m_nTextInset + (t.m_hIcon ? tab3d::kIconStep : 0) + (m_bShowLabels ? TextWidth(t.m_strLabel) + m_nTextInset : 0);
  if (IsHorizontal()) {
    t.m_nWidth = along;
    t.m_nHeight = m_cyTab;
  } else {
    t.m_nWidth = m_cxTab;
    t.m_nHeight = along;
  }
  t.m_rect = {x, y, x + t.m_nWidth, y + t.m_nHeight};
}

void SEC3DTabControlModel::FitLabels(int full, int icons, int avail) {
  const int count = GetTabCount();
  if (full == 0 || count == 0) return;
  bool canShorten = true;
  for (int i = 0; i < count; ++i) {
    SEC3DTab& t = Tab3D(i);
    t.m_strLabel = t.m_strFullLabel.size() >= 3 ? "..." : t.m_strFullLabel;
  }
  if (avail < MeasuredLength(false) + 12) {
    canShorten = false;
  } else {
    for (int i = 0; i < count; ++i) {
      Tab3D(i).m_strLabel = Tab3D(i).m_strFullLabel;
      Tab3D(i).m_bTruncated = false;
    }
  }
  m_bShowLabels = avail > icons;
  if (avail <= 0) return;

  auto widest = [&] {
    int best = 0, bestWidth = -1;
    for (int i = 0; i < count; ++i) {
      const int w = TextWidth(Tab3D(i).m_strLabel);
      if (w > bestWidth) best = i, bestWidth = w;
    }
    return best;
  };
  // Each round must make the strip shorter; a round that does not (the
  // widest label already "...", cycling through its dots) ends the
  // shortening instead of looping for ever.
  while (avail < full + 12 && canShorten) {
    const SEC3DTab& last = Tab3D(count - 1);
    canShorten = last.m_strLabel.size() >= 3 && last.m_strLabel != "...";
    SEC3DTab& t = Tab3D(widest());
    std::string& label = t.m_strLabel;
    if (label == t.m_strFullLabel) {
      const std::size_t cut = label.rfind("...", 0) == 0 ? 3 : 4;
      label.resize(label.size() > cut ? label.size() - cut : 0);
    } else {
      const std::size_t dots = label.find("...", 1);
      if (dots != std::string::npos && label.size() >= 3 && label.compare(label.size() - 3, 3, "...") == 0)
        label.resize(label.size() - 3);
      if (!label.empty()) label.pop_back();
    }
    if (t.m_strFullLabel.size() >= 3) label += "...";
    t.m_bTruncated = true;
    const int measured = MeasuredLength(false);
    if (measured >= full) canShorten = false;
    full = measured;
  }
  while (avail < full + 12 && m_bShowLabels && !canShorten) {
    for (int i = 0; i < count; ++i) Tab3D(i).m_bTruncated = true;
    m_bShowLabels = !Tab3D(count - 1).m_strLabel.empty();
    std::string& label = Tab3D(widest()).m_strLabel;
    if (label.empty()) break;  // every label is empty: nothing left to cut
    label.pop_back();
    full = MeasuredLength(false);
  }
}

void SEC3DTabControlModel::RecalcLayout() {
  const Rect& k = m_client;
  const bool horizontal = IsHorizontal();
  const int avail = horizontal ? k.Width() : k.Height();
  const int full = MeasuredLength(true);
  const int icons = 19 * GetTabCount();
  if (m_bFitLabels) FitLabels(full, icons, avail);
  else m_bShowLabels = avail > full + 12;

  if (horizontal) {
    int x = k.left + m_nFirstX;
    const int y = (m_dwStyle & tab3d::kBottom) ? k.top + 2 : k.bottom - m_cyTab - 3;
    for (int i = 0; i < GetTabCount(); ++i) {
      CalcTabRect(i, x, y);
      x += Tab3D(i).m_nWidth;
    }
  } else {
    const int x = (m_dwStyle & tab3d::kLeft) ? k.right - m_cxTab - 3 : k.left + 2;
    int y = k.top + m_nFirstY;
    for (int i = 0; i < GetTabCount(); ++i) {
      CalcTabRect(i, x, y);
      y += Tab3D(i).m_nHeight;
    }
  }
  if (m_bActiveTab && IsValidTab(m_nActiveTab) && !(m_dwStyle & (tab3d::kNoGrow | tab3d::kFlat))) {
    Rect& r = Tab3D(m_nActiveTab).m_rect;
    if (horizontal) {
      r.left -= 3, r.right += 3;
      if (m_dwStyle & tab3d::kBottom) r.bottom += 3;
      else r.top -= 3;
    } else {
      r.top -= 3, r.bottom += 3;
      if (m_dwStyle & tab3d::kLeft) r.left -= 3;
      else r.right += 3;
    }
  }
}

SECTab* SEC3DTabControlModel::InsertTab(int index, std::string_view label, void* client, std::uint32_t data1,
                                        std::uint32_t data2) {
  index = std::clamp(index, 0, GetTabCount());
  SECTab* tab = SECTabControlBase::InsertTab(index, label, client, data1, data2);
  static_cast<SEC3DTab*>(tab)->m_strFullLabel = std::string(label);
  if (m_bActiveTab && m_nActiveTab >= index) ++m_nActiveTab;
  RecalcLayout();
  for (int i = index; i < GetTabCount(); ++i) InvalidateTab(i);
  return tab;
}

SECTab* SEC3DTabControlModel::AddTab(std::string_view label, void* client, std::uint32_t data1,
                                     std::uint32_t data2) {
  // The full label must be known before the layout shortens labels.
  SECTab* tab = SECTabControlBase::InsertTab(GetTabCount(), label, client, data1, data2);
  static_cast<SEC3DTab*>(tab)->m_strFullLabel = std::string(label);
  RecalcLayout();
  InvalidateTab(GetTabCount() - 1);
  return tab;
}

void SEC3DTabControlModel::RenameTab(int index, std::string_view label) {
  if (!IsValidTab(index)) return;
  Tab3D(index).m_strFullLabel = std::string(label);
  SECTabControlBase::RenameTab(index, label);
}

void SEC3DTabControlModel::SetTabIcon(int index, const void* icon) {
  if (!IsValidTab(index)) return;
  Tab3D(index).m_hIcon = icon;
  RecalcLayout();
  for (int i = index; i < GetTabCount(); ++i) InvalidateTab(i);
}

void SEC3DTabControlModel::EnableTab(int index, bool enable) {
  if (!IsValidTab(index) || Tab3D(index).m_bEnabled == enable) return;
  Tab3D(index).m_bEnabled = enable;
  InvalidateTab(index);
}

Tab3DGeometry SEC3DTabControlModel::TabGeometry(int index) const {
  using namespace tab3d;
  Tab3DGeometry g;
  if (!IsValidTab(index)) return g;
  const SEC3DTab& t = Tab3D(index);
  g.hit = g.body = t.m_rect;
  const bool bottom = m_dwStyle & kBottom, top = m_dwStyle & kTop, left = !bottom && !top && (m_dwStyle & kLeft);
  if (bottom) g.body.right -= 1;
  else if (!top && !left) g.body.bottom -= 2;
  const Rect& b = g.body;
  const int iconStep = t.m_hIcon ? kIconStep : 0;
  if (IsHorizontal()) {
    const int x = b.left + m_nTextInset;
    if (t.m_hIcon) {
      const int y = b.top + b.Height() / 2 - kIconSize / 2;
      g.icon = {x, y, x + kIconSize, y + kIconSize};
    }
    if (m_bShowLabels) g.text = {x + iconStep, b.top, b.right, b.bottom};
  } else if (left) {
    // Text rotated to read upwards starts at the bottom end.
    const int y = b.bottom - m_nTextInset;
    if (t.m_hIcon) {
      const int x = b.left + b.Width() / 2 - kIconSize / 2;
      g.icon = {x, y - kIconSize, x + kIconSize, y};
    }
    if (m_bShowLabels) g.text = {b.left, b.top, b.right, y - iconStep};
    g.textAngle = 90;
  } else {
    const int y = b.top + m_nTextInset;
    if (t.m_hIcon) {
      const int x = b.left + b.Width() / 2 - kIconSize / 2;
      g.icon = {x, y, x + kIconSize, y + kIconSize};
    }
    if (m_bShowLabels) g.text = {b.left, y + iconStep, b.right, b.bottom};
    g.textAngle = -90;
  }
  // Focus insets (left, top, right, bottom) per edge.
  static constexpr struct {
    std::uint32_t edge;
    int l, t, r, b;
  } kFocus[] = {{kBottom, 2, 1, 3, 2}, {kTop, 2, 2, 3, 1}, {kLeft, 2, 2, 1, 3}, {kRight, 1, 2, 2, 3}};
  const std::uint32_t edge = bottom ? kBottom : top ? kTop : left ? kLeft : kRight;
  for (const auto& f : kFocus)
    if (f.edge == edge) g.focus = {b.left + f.l, b.top + f.t, b.right - f.r, b.bottom - f.b};
  return g;
}

int SEC3DTabControlModel::TabAt(Point pt, bool enabledOnly) const {
  for (int i = 0; i < GetTabCount(); ++i)
    if (TabGeometry(i).hit.Contains(pt) && (!enabledOnly || Tab3D(i).m_bEnabled)) return i;
  return -1;
}

void SEC3DTabControlModel::OnLButtonDown(Point pt) {
  const int hit = TabAt(pt, true);
  if (hit < 0) return;
  if (m_bActiveTab && m_nActiveTab == hit) NotifyActiveClicked();
  else ActivateTab(hit);
}

void SEC3DTabControlModel::OnLButtonDblClk(Point pt) {
  const int hit = TabAt(pt, true);
  if (hit >= 0) NotifyDoubleClick(hit);
}

bool SEC3DTabControlModel::OnKeyDown(unsigned vkey) {
  if (!m_bActiveTab) return false;
  int step = 0;
  if (vkey == vk::Left || vkey == vk::Up) step = -1;
  else if (vkey == vk::Right || vkey == vk::Down) step = 1;
  if (step == 0) return false;
  for (int i = m_nActiveTab + step; IsValidTab(i); i += step) {
    if (Tab3D(i).m_bEnabled) {
      ActivateTab(i);
      return true;
    }
  }
  return false;
}

bool SEC3DTabControlModel::DragTo(Point pt) {
  if (!(m_dwStyle & tab3d::kDrag) || !m_bActiveTab || !IsValidTab(m_nActiveTab)) return false;
  const Rect a = Tab3D(m_nActiveTab).m_rect;
  if (a.Contains(pt)) return false;
  const int target = TabAt(pt, false);
  if (target < 0) return false;
  const Rect t = Tab3D(target).m_rect;
  const bool horizontal = IsHorizontal();
  const int p = horizontal ? pt.x : pt.y;
  const int aStart = horizontal ? a.left : a.top, aEnd = horizontal ? a.right : a.bottom;
  const int tStart = horizontal ? t.left : t.top, tEnd = horizontal ? t.right : t.bottom;
  bool move;
  if (target > m_nActiveTab) move = p > aStart + (tEnd - tStart) && p < aEnd - tStart + tEnd;
  else move = p < tStart + (aEnd - aStart) && p != tStart;
  if (!move) return false;
  std::unique_ptr<SECTab> moving = std::move(m_tabs[std::size_t(m_nActiveTab)]);
  m_tabs.erase(m_tabs.begin() + m_nActiveTab);
  m_tabs.insert(m_tabs.begin() + target, std::move(moving));
  m_bActiveTab = false;
  ActivateTab(target);
  return true;
}

int SEC3DTabControlModel::ToolTipTab(Point pt) const {
  for (int i = 0; i < GetTabCount(); ++i) {
    const SEC3DTab& t = Tab3D(i);
    if (!TabGeometry(i).hit.Contains(pt)) continue;
    if (t.m_bTruncated || (!m_bFitLabels && !m_bShowLabels)) return i;
  }
  return -1;
}

}  // namespace pm2
