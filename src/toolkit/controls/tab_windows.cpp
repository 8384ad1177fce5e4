#include "toolkit/controls/tab_windows.h"

#include <QMouseEvent>
#include <QPainter>

#include "toolkit/controls/tab_controls.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {
namespace {
QColor Sys(SysColor c) {
  const Color v = GetSysColor(c);
  return QColor(RedOf(v), GreenOf(v), BlueOf(v));
}
void Place(QWidget* w, const Rect& r) {
  const QRect q(r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height()));
  if (w && w->geometry() != q) w->setGeometry(q);
}
}  // namespace

// ================================================================ base

SECTabWndBase::SECTabWndBase(QWidget* parent, unsigned id) : QWidget(parent), m_nID(id) {}

SECTabWndBase::~SECTabWndBase() {
  // The panes belong to their owners: take them out before Qt deletes children.
  for (int i = 0; i < GetTabCount(); ++i)
    if (QWidget* pane = PaneOf(i); pane && pane->parent() == this) pane->setParent(nullptr);
}

QWidget* SECTabWndBase::PaneOf(int index) const {
  return m_pTabCtrl && m_pTabCtrl->IsValidTab(index) ? static_cast<QWidget*>(m_pTabCtrl->GetTab(index).m_pClient)
                                                     : nullptr;
}

void SECTabWndBase::AddTab(QWidget* pane, const std::string& label) {
  pane->setParent(this);
  pane->hide();
  m_pTabCtrl->AddTab(label, pane);
  SetScrollStyle(GetTabCount() - 1, 0);
}

void SECTabWndBase::InsertTab(QWidget* pane, int index, const std::string& label) {
  pane->setParent(this);
  pane->hide();
  m_pTabCtrl->InsertTab(index, label, pane);
  SetScrollStyle(index, 0);
}

void SECTabWndBase::RemoveTab(int index) {
  if (!m_pTabCtrl->IsValidTab(index)) return;
  if (PaneOf(index) == m_pActiveWnd) m_pActiveWnd = nullptr;
  m_pTabCtrl->DeleteTab(index);
}

void SECTabWndBase::RenameTab(int index, const std::string& label) { m_pTabCtrl->RenameTab(index, label); }

void SECTabWndBase::ActivateTab(int index) {
  if (m_pTabCtrl->IsValidTab(index)) ActivateTab(PaneOf(index), index);
}

QWidget* SECTabWndBase::GetActiveWnd() const {
  int index = -1;
  return GetActiveTab(&index) ? PaneOf(index) : nullptr;
}

bool SECTabWndBase::ActivateTab(QWidget* pane, int index) {
  if (!pane || PaneOf(index) != pane) return false;
  QWidget* old = m_pActiveWnd;
  m_pActiveWnd = pane;
  int active = -1;
  if (!m_pTabCtrl->GetActiveTab(&active) || active != index) m_pTabCtrl->ActivateTab(index);
  if (old && old != pane) old->hide();
  pane->show();
  RecalcLayout();
  update();
  return true;
}

std::intptr_t SECTabWndBase::OnTabMessage(unsigned message, std::intptr_t wParam, TabActivateInfo* info) {
  if (message == WM_TABCTRL_ACTIVATE) {
    if (info) info->nCtrlID = m_nID;
    if (QWidget* pane = PaneOf(int(wParam)); pane && pane != m_pActiveWnd) ActivateTab(pane, int(wParam));
    else if (pane && !pane->isVisible()) ActivateTab(pane, int(wParam));
  } else if (message == WM_TABCTRL_ACTIVECLICK) {
    if (m_pActiveWnd) m_pActiveWnd->setFocus();
    return 0;
  }
  if (m_bForward && m_pNotify) m_pNotify->OnTabMessage(message, wParam, info);
  return 0;
}

// ================================================================ shared bars

SECTabWnd::SECTabWnd(QWidget* parent, std::uint32_t style, unsigned id) : SECTabWndBase(parent, id) {
  m_bForward = true;
  const std::uint32_t tabStyle = (style & 0x2) ? 2 : (style & 0x1) ? 1 : 0;
  auto* strip = new SECTabControl(this, tabStyle, kTabStripId, this);
  m_pTabCtrl = strip;
  m_pTabWidget = strip;
  m_pHBar = new QScrollBar(Qt::Horizontal, this);
  m_pVBar = new QScrollBar(Qt::Vertical, this);
  m_pHBar->hide();
  m_pVBar->hide();
  connect(m_pHBar, &QScrollBar::valueChanged, this, [this](int v) { Forward(0, v); });
  connect(m_pVBar, &QScrollBar::valueChanged, this, [this](int v) { Forward(1, v); });
  m_cyStrip = m_cyHScroll = GetSystemMetric(SysMetric::CyHScroll);
  m_cxVScroll = GetSystemMetric(SysMetric::CxVScroll);
}

void SECTabWnd::Forward(int bar, int value) {
  if (auto* client = dynamic_cast<TabPaneScrollClient*>(m_pActiveWnd)) client->OnTabWndScroll(bar, value);
}

bool SECTabWnd::Has(int index, std::uint32_t bit) const {
  return index >= 0 && index < int(m_panes.size()) && (m_panes[std::size_t(index)].style & bit);
}

void SECTabWnd::SetScrollStyle(int index, std::uint32_t style) {
  if (index < 0) return;
  if (int(m_panes.size()) < GetTabCount()) {
    // A tab just added or inserted: its record goes in at its index.
    PaneState state;
    state.style = style;
    m_panes.insert(m_panes.begin() + std::min<std::size_t>(std::size_t(index), m_panes.size()), state);
  } else if (index < int(m_panes.size())) {
    m_panes[std::size_t(index)].style = style;
  }
  int active = -1;
  if (GetActiveTab(&active) && active == index) {
    m_pHBar->setVisible(Has(index, kPaneHScroll));
    m_pVBar->setVisible(Has(index, kPaneVScroll));
    RecalcLayout();
  }
}

void SECTabWnd::RemoveTab(int index) {
  if (index >= 0 && index < int(m_panes.size())) m_panes.erase(m_panes.begin() + index);
  SECTabWndBase::RemoveTab(index);
}

QScrollBar* SECTabWnd::GetScrollBar(int bar, QWidget* pane) const {
  if (!pane) pane = m_pActiveWnd;
  int index = -1;
  if (!pane || !FindTab(pane, &index)) return nullptr;
  if (bar == 0 && Has(index, kPaneHScroll)) return m_pHBar;
  if (bar == 1 && Has(index, kPaneVScroll)) return m_pVBar;
  return nullptr;
}

bool SECTabWnd::ActivateTab(QWidget* pane, int index) {
  if (!pane || PaneOf(index) != pane) return false;
  if (pane != m_pActiveWnd) {
    int old = -1;
    if (m_pActiveWnd && FindTab(m_pActiveWnd, &old) && old < int(m_panes.size())) {
      PaneState& s = m_panes[std::size_t(old)];
      if (s.style & kPaneHScroll) s.h = {m_pHBar->minimum(), m_pHBar->maximum(), m_pHBar->pageStep(), m_pHBar->value()};
      if (s.style & kPaneVScroll) s.v = {m_pVBar->minimum(), m_pVBar->maximum(), m_pVBar->pageStep(), m_pVBar->value()};
    }
    // Loading a pane's state must not scroll it: the values are its own.
    QWidget* keep = m_pActiveWnd;
    m_pActiveWnd = nullptr;
    auto load = [](QScrollBar* bar, const ScrollInfo& i) {
      bar->setRange(i.min, i.max);
      bar->setPageStep(i.page);
      bar->setValue(i.pos);
    };
    if (index < int(m_panes.size())) {
      const PaneState& s = m_panes[std::size_t(index)];
      if (s.style & kPaneHScroll) load(m_pHBar, s.h);
      if (s.style & kPaneVScroll) load(m_pVBar, s.v);
    }
    m_pActiveWnd = keep;
    m_pHBar->setVisible(Has(index, kPaneHScroll));
    m_pVBar->setVisible(Has(index, kPaneVScroll));
  }
  return SECTabWndBase::ActivateTab(pane, index);
}

Rect SECTabWnd::GetInsideRect() const {
  Rect r{0, 0, width(), height() - m_cyStrip};
  int active = -1;
  if (GetActiveTab(&active) && Has(active, kPaneVScroll)) r.right -= m_cxVScroll;
  return r;
}

Rect SECTabWnd::GetSplitterRect() const {
  const Rect i = GetInsideRect();
  return {i.left + m_nSplitterPos, i.bottom, i.left + m_nSplitterPos + m_cxSplitter, i.bottom + m_cyStrip};
}

void SECTabWnd::RecalcLayout() {
  const Rect i = GetInsideRect();
  int active = -1;
  const bool hasActive = GetActiveTab(&active);
  const bool h = hasActive && Has(active, kPaneHScroll);
  int stripWidth = i.Width();
  if (h) {
    m_nSplitterPos = std::min(std::max(m_nSplitterPos, 0), i.right - 60);
    const int splitterRight = i.left + m_nSplitterPos + m_cxSplitter;
    Place(m_pHBar, {splitterRight, i.bottom, i.right + 1, i.bottom + m_cyHScroll});
    stripWidth = std::max(0, m_nSplitterPos);
  }
  Place(m_pTabWidget, {i.left, i.bottom, i.left + stripWidth, i.bottom + m_cyStrip});
  if (!m_bTracking) {
    if (hasActive && Has(active, kPaneVScroll)) Place(m_pVBar, {i.right, i.top, i.right + m_cxVScroll, i.bottom});
    if (m_pActiveWnd) Place(m_pActiveWnd, i);
  }
}

void SECTabWnd::resizeEvent(QResizeEvent*) {
  if (width() <= 0 || height() <= 0) return;
  int active = -1;
  const bool h = GetActiveTab(&active) && Has(active, kPaneHScroll);
  if (m_bFirstSize) {
    m_nSplitterPos = h ? std::max(width() - 60, 0) : GetInsideRect().Width();
    m_bFirstSize = false;
  } else if (h && m_nSplitterPos > width() - 60) {
    m_nSplitterPos = std::max(width() - 60, 0);
  }
  RecalcLayout();
  update();
}

void SECTabWnd::mousePressEvent(QMouseEvent* e) {
  const Point pt{int(e->position().x()), int(e->position().y())};
  if (m_pHBar->isVisible() && GetSplitterRect().Contains(pt)) {
    m_bTracking = true;
    m_nDragOffset = pt.x - GetSplitterRect().left;
  }
}

void SECTabWnd::mouseMoveEvent(QMouseEvent* e) {
  const Point pt{int(e->position().x()), int(e->position().y())};
  if (m_bTracking) {
    m_nSplitterPos = pt.x - m_nDragOffset - 1;
    RecalcLayout();
    update();
  } else {
    setCursor(m_pHBar->isVisible() && GetSplitterRect().Contains(pt) ? Qt::SplitHCursor : Qt::ArrowCursor);
  }
}

void SECTabWnd::mouseReleaseEvent(QMouseEvent*) { m_bTracking = false; }

void SECTabWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  int active = -1;
  if (!GetActiveTab(&active)) return;
  p.fillRect(width() - m_cxVScroll, 0, m_cxVScroll, height(), Sys(SysColor::BtnFace));
  if (m_pHBar->isVisible()) {
    const Rect s = GetSplitterRect();
    const QColor lines[5] = {Qt::black, Sys(SysColor::BtnHighlight), Sys(SysColor::BtnFace),
                             Sys(SysColor::BtnShadow), Qt::black};
    for (int i = 0; i < 5; ++i) p.fillRect(s.left + i, s.top, 1, s.Height(), lines[i]);
  }
}

// ================================================================ 3-D

SEC3DTabWnd::SEC3DTabWnd(QWidget* parent, std::uint32_t style, unsigned id)
    : SECTabWndBase(parent, id), m_dwTabStyle(((style & 0x2) ? 2 : (style & 0x1) ? 1 : 0) | (style & 0xFF8)) {
  m_bForward = true;
  auto* strip = new SEC3DTabControl(this, m_dwTabStyle, kTabStripId, this);
  m_pTabCtrl = strip;
  m_pTabWidget = strip;
}

Rect SEC3DTabWnd::GetInsideRect() const {
  Rect r{0, 0, width(), height()};
  const bool flat = m_dwTabStyle & tab3d::kFlat;
  const int k = ((m_dwTabStyle & tab3d::kNoGrow) && !flat) ? -3 : 1;
  if (m_dwTabStyle & tab3d::kBottom) {
    r.left += flat ? 2 : 6, r.right -= flat ? 2 : 7, r.top += 4, r.bottom -= m_cyTabs + k;
  } else if (m_dwTabStyle & tab3d::kTop) {
    r.top += m_cyTabs + k, r.bottom -= 4, r.left += 6, r.right -= 7;
  } else if (m_dwTabStyle & tab3d::kLeft) {
    r.left += m_cxTabs + k, r.top += 4, r.bottom -= 6, r.right -= 7;
  } else {
    r.right -= m_cxTabs + k, r.top += 4, r.bottom -= 6, r.left += 6;
  }
  return r;
}

Rect SEC3DTabWnd::StripRect() const {
  const Rect i = GetInsideRect();
  const Rect k{0, 0, width(), height()};
  const bool flat = m_dwTabStyle & tab3d::kFlat;
  int x, y, w, h;
  if (m_dwTabStyle & tab3d::kBottom) {
    x = i.left, y = i.bottom + 1, w = i.Width(), h = k.bottom - i.bottom;
    if (flat) x -= 1, w += 1, h -= 2;
  } else if (m_dwTabStyle & tab3d::kTop) {
    x = i.left, y = k.top, w = i.Width(), h = i.top - k.top;
    if (flat) y += 3, h -= 4;
  } else if (m_dwTabStyle & tab3d::kLeft) {
    x = k.left, y = i.top, w = i.left - k.left, h = i.Height();
    if (flat) x += 3, y -= 1, w -= 4, h += 2;
  } else {
    x = i.right, y = k.top, w = k.right - i.right, h = i.Height();
    if (flat) y += 3, w -= 4, h += 2;
  }
  return {x, y, x + w, y + h};
}

void SEC3DTabWnd::RecalcLayout() {
  const bool horizontal = m_dwTabStyle & (tab3d::kBottom | tab3d::kTop);
  m_cyTabs = horizontal ? 30 : 0;
  m_cxTabs = horizontal ? 0 : 30;
  Place(m_pTabWidget, StripRect());
  const Rect i = GetInsideRect();
  if (m_pActiveWnd) Place(m_pActiveWnd, {i.left, i.top, i.right - 1, i.bottom});
  update();
}

void SEC3DTabWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Sys(SysColor::BtnFace));
  const Rect i = GetInsideRect();
  if (m_dwTabStyle & tab3d::kFlat) {
    p.setPen(Sys(SysColor::BtnShadow));
    p.drawRect(i.left - 1, i.top - 1, i.Width(), i.Height() + 1);
    return;
  }
  // Four bevel edges round the pane, light outside to dark inside.
  const QColor c[4] = {Sys(SysColor::BtnHighlight), Sys(SysColor::BtnFace), Sys(SysColor::BtnShadow), Qt::black};
  for (int n = 0; n < 4; ++n) {
    const int d = 4 - n;
    p.fillRect(i.left - d, i.top - d, 1, i.Height() + 2 * d, c[n]);        // left
    p.fillRect(i.left - d, i.top - d, i.Width() + 2 * d, 1, c[n]);         // top
  }
  const QColor o[4] = {Qt::black, Sys(SysColor::BtnShadow), Sys(SysColor::BtnFace), Sys(SysColor::BtnHighlight)};
  for (int n = 0; n < 4; ++n) {
    const int d = 3 - n;
    p.fillRect(i.right + d, i.top - 4, 1, i.Height() + 8, o[n]);           // right
    p.fillRect(i.left - 4, i.bottom + d, i.Width() + 8, 1, o[n]);          // bottom
  }
}

}  // namespace pm2
