#include "toolkit/controls/tab_windows.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QVariant>
#include <exception>

#include "toolkit/controls/tab_controls.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/sys_color_change.h"
#include "toolkit/core/notify.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {
namespace {
void Place(QWidget* w, const Rect& r) {
  const QRect q(r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height()));
  if (w && w->geometry() != q) w->setGeometry(q);
}
}  // namespace

// ================================================================ base

SECTabWndBase::SECTabWndBase(QWidget* parent, unsigned id) : QWidget(parent), m_nID(id) {}

SECTabWndBase::~SECTabWndBase() {
  // A pane destroyed from here on (a window left as a child after its tab
  // went) must not call back into a half-destroyed tab window.
  for (auto& [pane, watch] : m_paneWatches) disconnect(watch);
  m_paneWatches.clear();
  // The panes belong to their owners: take them out before Qt deletes
  // children. A pane destroyed earlier has already lost its tab.
  for (int i = 0; i < GetTabCount(); ++i)
    if (QWidget* pane = PaneOf(i); pane && pane->parent() == this) pane->setParent(nullptr);
}

void SECTabWndBase::WatchPane(QWidget* pane) {
  QMetaObject::Connection& watch = m_paneWatches[pane];
  if (!watch) watch = connect(pane, &QObject::destroyed, this, [this](QObject* dying) { OnPaneDestroyed(dying); });
}

void SECTabWndBase::UnwatchPane(const void* pane) {
  // By address only: the pane may be in the middle of its destruction.
  if (m_pTabCtrl && m_pTabCtrl->TabExists(pane)) return;  // it has another tab
  if (auto it = m_paneWatches.find(pane); it != m_paneWatches.end()) {
    disconnect(it->second);
    m_paneWatches.erase(it);
  }
}

void SECTabWndBase::OnPaneDestroyed(QObject* pane) {
  // The owner may destroy a pane before the tab window: its tab goes. The
  // object is no longer a QWidget here, so it is found by address only (a
  // QWidget's QObject part is at its start).
  int index = -1;
  if (m_pTabCtrl && m_pTabCtrl->FindTab(static_cast<const void*>(pane), &index)) RemoveTab(index);
}

QWidget* SECTabWndBase::PaneOf(int index) const {
  return m_pTabCtrl && m_pTabCtrl->IsValidTab(index) ? static_cast<QWidget*>(m_pTabCtrl->GetTab(index).m_pClient)
                                                     : nullptr;
}

void SECTabWndBase::AddTab(QWidget* pane, const std::string& label) {
  pane->setParent(this);
  pane->hide();
  WatchPane(pane);
  m_pTabCtrl->AddTab(label, pane);
  SetScrollStyle(GetTabCount() - 1, 0);
}

void SECTabWndBase::InsertTab(QWidget* pane, int index, const std::string& label) {
  pane->setParent(this);
  pane->hide();
  WatchPane(pane);
  m_pTabCtrl->InsertTab(index, label, pane);
  SetScrollStyle(index, 0);
}

void SECTabWndBase::RemoveTab(int index) {
  if (!m_pTabCtrl->IsValidTab(index)) return;
  const void* pane = m_pTabCtrl->GetTab(index).m_pClient;
  if (pane == m_pActiveWnd) m_pActiveWnd = nullptr;
  m_pTabCtrl->DeleteTab(index);
  UnwatchPane(pane);
}

void SECTabWndBase::RemoveTab(QWidget* pane) {
  int index = -1;
  if (pane && FindTab(pane, &index)) RemoveTab(index);
}

namespace {
constexpr char kViewIdProperty[] = "pm2TabViewId";
}  // namespace

QWidget* SECTabWndBase::CreateView(const TabViewFactory& makeView, int id) {
  if (!makeView) return nullptr;
  QWidget* view = nullptr;
  try {
    view = makeView(this);
  } catch (const std::exception&) {
    return nullptr;  // a failed allocation or construction makes no tab
  }
  if (!view) return nullptr;
  if (view->parentWidget() != this) view->setParent(this);
  const unsigned viewId = id == kTabWndDefaultViewId ? kTabWndFirstPaneId + unsigned(GetTabCount()) : unsigned(id);
  view->setProperty(kViewIdProperty, viewId);
  view->show();
  return view;
}

unsigned SECTabWndBase::ViewId(const QWidget* view) {
  return view ? view->property(kViewIdProperty).toUInt() : 0;
}

QWidget* SECTabWndBase::AddTab(const TabViewFactory& makeView, const std::string& label, int id) {
  QWidget* view = CreateView(makeView, id);
  if (view) AddTab(view, label);
  return view;
}

QWidget* SECTabWndBase::InsertTab(const TabViewFactory& makeView, int index, const std::string& label, int id) {
  QWidget* view = CreateView(makeView, id);
  if (view) InsertTab(view, index, label);
  return view;
}

void SECTabWndBase::RenameTab(QWidget* pane, const std::string& label) {
  int index = -1;
  if (pane && FindTab(pane, &index)) RenameTab(index, label);
}

bool SECTabWndBase::ActivateTab(QWidget* pane) {
  int index = -1;
  return pane && FindTab(pane, &index) && ActivateTab(pane, index);
}

void SECTabWndBase::ClearSelection() {
  if (m_pTabCtrl) m_pTabCtrl->ClearSelection();
}

void SECTabWndBase::ScrollToTab(int index) {
  if (IsValidTab(index)) m_pTabCtrl->ScrollToTab(index);
}

void SECTabWndBase::ScrollToTab(QWidget* pane) {
  int index = -1;
  if (pane && FindTab(pane, &index)) ScrollToTab(index);
}

bool SECTabWndBase::SetTabIcon(int index, const QIcon& icon) {
  auto* strip = dynamic_cast<SEC3DTabControl*>(m_pTabCtrl);
  if (!strip || !IsValidTab(index)) return false;
  strip->SetTabIcon(index, icon);
  return true;
}

bool SECTabWndBase::SetTabIcon(int index, const QString& resource, int cx, int cy) {
  const QPixmap image(resource);
  if (image.isNull()) return false;
  return SetTabIcon(index, QIcon(image.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

bool SECTabWndBase::GetTabInfo(int index, std::string* label, bool* selected, QWidget** pane,
                               std::uint32_t* data1, std::uint32_t* data2) const {
  void* client = nullptr;
  if (!m_pTabCtrl || !m_pTabCtrl->GetTabInfo(index, label, selected, &client, data1, data2)) return false;
  if (pane) *pane = static_cast<QWidget*>(client);
  return true;
}

void SECTabWndBase::ActivateActiveView() {
  int index = -1;
  if (!GetActiveTab(&index) || !m_pActiveWnd) return;
  FocusPane(m_pActiveWnd);
}

void SECTabWndBase::FocusPane(QWidget* pane) {
  // The pane, or the first thing in it that takes the focus.
  setFocus(Qt::OtherFocusReason);
  QWidget* target = pane;
  if (pane->focusPolicy() == Qt::NoFocus) {
    if (QWidget* inner = pane->nextInFocusChain(); inner && pane->isAncestorOf(inner)) target = inner;
  }
  target->setFocus(Qt::OtherFocusReason);
}

void SECTabWndBase::OnSysColorChange() {
  ReloadSysColorRecord();
  if (m_pTabWidget) {
    QEvent change(QEvent::PaletteChange);
    QCoreApplication::sendEvent(m_pTabWidget, &change);
  }
  update();
}

bool SECTabWndBase::event(QEvent* e) {
  // An application-wide change reaches the strip by itself; a change of
  // this window's palette is passed on.
  if (e->type() == QEvent::PaletteChange) {
    OnSysColorChange();
  } else if (IsSysColorChange(e)) {
    ReloadSysColorRecord();
    update();
  }
  return QWidget::event(e);
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
  FocusPane(pane);
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
    ActivateActiveView();
    return 0;
  }
  // Only activations go on to the owner; the strip's double-click and
  // selection-cleared notices stop at the tab window.
  if (message == WM_TABCTRL_ACTIVATE && m_bForward && m_pNotify) m_pNotify->OnTabMessage(message, wParam, info);
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
  // The splitter's cursor shows as the mouse passes over it, no button held.
  setMouseTracking(true);
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

int SECTabWnd::FullStripWidth() const {
  const auto* strip = dynamic_cast<const SECTabControlModel*>(m_pTabCtrl);
  return (strip ? strip->FullWidth() : 0) + m_cxSplitter + 60 + m_cxVScroll;
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
    m_nWantedSplitterPos = m_nSplitterPos;
    m_bFirstSize = false;
  } else if (h) {
    if (m_nWantedSplitterPos < 0) m_nWantedSplitterPos = m_nSplitterPos;
    m_nSplitterPos = std::min(m_nWantedSplitterPos, std::max(width() - 60, 0));
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
    m_nWantedSplitterPos = m_nSplitterPos;
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
  p.fillRect(width() - m_cxVScroll, 0, m_cxVScroll, height(), SysQColor(SysColor::BtnFace));
  if (m_pHBar->isVisible()) {
    const Rect s = GetSplitterRect();
    const QColor lines[5] = {Qt::black, SysQColor(SysColor::BtnHighlight), SysQColor(SysColor::BtnFace),
                             SysQColor(SysColor::BtnShadow), Qt::black};
    for (int i = 0; i < 5; ++i) p.fillRect(s.left + i, s.top, 1, s.Height(), lines[i]);
  }
}

// ================================================================ 3-D

SEC3DTabWnd::SEC3DTabWnd(QWidget* parent, std::uint32_t style, unsigned id)
    : SECTabWndBase(parent, id),
      m_dwTabStyle(((style & 0x2) ? 2 : (style & 0x1) ? 1 : 0) | (style & 0xFF8)),
      m_bTabStop(style & kTabWndTabStop) {
  m_bForward = true;
  auto* strip = new SEC3DTabControl(this, m_dwTabStyle, kTabStripId, this);
  m_pTabCtrl = strip;
  m_pTabWidget = strip;
  strip->SetParentTabStop(m_bTabStop);
  if (m_bTabStop) {
    setFocusPolicy(Qt::TabFocus);
    // Keys reach this window first, whichever of its descendants has the
    // focus, as a frame's message pre-translation did.
    qApp->installEventFilter(this);
  }
}

SEC3DTabWnd::~SEC3DTabWnd() {
  if (m_bTabStop) qApp->removeEventFilter(this);
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

namespace {

// The frame's light colour: the highlight of the colour record, which a
// system-colour change reloads (a copy taken once at start-up would keep
// the old colour beside the strip's new one).
Color FrameHighlight() { return TheSysColorRecord().btnHighlight; }

// Visible, enabled keyboard stops among `parent`'s child widgets, in order.
std::vector<QWidget*> TabStops(QWidget* parent) {
  std::vector<QWidget*> out;
  if (!parent) return out;
  for (QObject* o : parent->children())
    if (auto* w = qobject_cast<QWidget*>(o);
        w && !w->isWindow() && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
      out.push_back(w);
  return out;
}

// The keyboard stop after (step 1) or before (step -1) `from` among its
// siblings, null when there is none. `from` need not be a stop itself.
QWidget* SiblingStop(QWidget* from, int step) {
  QWidget* parent = from->parentWidget();
  if (!parent) return nullptr;
  const QObjectList& all = parent->children();
  const auto stops = TabStops(parent);
  const qsizetype at = all.indexOf(from);
  QWidget* best = nullptr;
  for (QWidget* w : stops) {
    const qsizetype i = all.indexOf(w);
    if (step > 0 && i > at) return w;
    if (step < 0 && i < at) best = w;
  }
  return best;
}

// What the pane's dialog navigation does with (Shift+)Tab: the next or
// previous stop inside the pane, wrapping round.
void PaneNavigate(QWidget* pane, QWidget* focus, bool backwards) {
  if (!pane) return;
  const auto stops = TabStops(focus && pane->isAncestorOf(focus) ? focus->parentWidget() : pane);
  if (stops.empty()) {
    pane->setFocus(Qt::TabFocusReason);
    return;
  }
  QWidget* next = focus ? SiblingStop(focus, backwards ? -1 : 1) : nullptr;
  if (!next || !pane->isAncestorOf(next)) next = backwards ? stops.back() : stops.front();
  next->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

}  // namespace

void SEC3DTabWnd::PaintClassicFrame(QPainter& p, const Rect& i) {
  const std::uint32_t style = m_dwTabStyle;
  const bool noOuter = style & tab3d::kNoOuter;
  const QColor hi = ToQColor(FrameHighlight()), face = SysQColor(SysColor::BtnFace), sh = SysQColor(SysColor::BtnShadow),
               black(Qt::black);
  auto vline = [&](const QColor& c, int x, int y, int h) { p.fillRect(x, y, 1, std::max(0, h), c); };
  auto hline = [&](const QColor& c, int x, int y, int w) { p.fillRect(x, y, std::max(0, w), 1, c); };
  const int y0 = i.top - 4, h = i.Height() + 8;
  // Left edge: light outside, dark inside.
  const int xl = i.left - 4;
  vline(hi, xl, y0, h);
  vline(face, xl + 1, y0, h);
  if (!noOuter) {
    vline(sh, xl + 2, y0, h);
    vline(black, xl + 3, y0, h);
  }
  // Right edge: light inside, dark outside.
  const int xr = noOuter ? i.right + 2 : i.right;
  vline(hi, xr, y0, h);
  vline(face, xr + 1, y0, h);
  if (noOuter) {
    vline(sh, xr, y0, h);
    vline(black, xr + 1, y0, h);
  } else {
    vline(sh, xr + 2, y0, h);
    vline(black, xr + 3, y0, h);
  }
  const int x = i.left - 4, w = i.Width() + 8;
  const int yt = i.top - 4;
  hline(hi, x, yt, w - 1);
  hline(face, x + 1, yt + 1, w - 3);
  if (!noOuter) {
    hline(sh, x + 2, yt + 2, w - 6);
    hline(black, x + 3, yt + 3, w - 8);
  }
  const bool lowBottom = (style & tab3d::kBottom) || !(style & (tab3d::kTop | tab3d::kLeft));
  const int yb = lowBottom ? i.bottom + 1 : i.bottom;
  if (!noOuter) {
    hline(hi, x + 2, yb, w - 5);
    hline(face, x + 1, yb + 1, w - 3);
  }
  hline(sh, x + 1, yb + 2, w - 2);
  hline(black, x, yb + 3, w);
}

void SEC3DTabWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), SysQColor(SysColor::BtnFace));
  const Rect i = GetInsideRect();
  if (m_dwTabStyle & tab3d::kFlat) {
    p.setPen(SysQColor(SysColor::BtnShadow));
    p.drawRect(i.left - 1, i.top - 1, i.Width(), i.Height() + 1);
    return;
  }
  PaintClassicFrame(p, i);
}

void SEC3DTabWnd::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  if (!m_pTabWidget) return;
  // Coming backwards from the next stop: the pane's last control.
  if (e->reason() == Qt::BacktabFocusReason && m_pActiveWnd) {
    const auto stops = TabStops(m_pActiveWnd);
    if (!stops.empty()) stops.back()->setFocus(Qt::BacktabFocusReason);
    else m_pActiveWnd->setFocus(Qt::BacktabFocusReason);
  } else {
    m_pTabWidget->setFocus(Qt::TabFocusReason);
  }
}

std::intptr_t SEC3DTabWnd::OnCtrlNavigationKey(unsigned, bool) { return 0; }

bool SEC3DTabWnd::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && (w == this || isAncestorOf(w))) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (PreTranslateKey(w, key->key(), key->modifiers())) return true;
    }
  }
  return SECTabWndBase::eventFilter(watched, event);
}

bool SEC3DTabWnd::PreTranslateKey(QWidget* focus, int qtKey, Qt::KeyboardModifiers mods) {
  if (!m_bTabStop || !m_pTabWidget) return false;
  const bool ctrl = mods & Qt::ControlModifier;
  bool shift = mods & Qt::ShiftModifier;
  if (qtKey == Qt::Key_Backtab) qtKey = Qt::Key_Tab, shift = true;
  static constexpr struct {
    int qt;
    unsigned vkey;
  } kCtrlKeys[] = {{Qt::Key_Tab, vk::Tab}, {Qt::Key_PageUp, vk::Prior}, {Qt::Key_PageDown, vk::Next}};
  if (ctrl)
    for (const auto& k : kCtrlKeys)
      if (k.qt == qtKey && OnCtrlNavigationKey(k.vkey, shift) != 0) return true;

  auto* strip = static_cast<SEC3DTabControl*>(m_pTabWidget);
  if (focus == m_pTabWidget) {
    unsigned step = 0;
    if (qtKey == Qt::Key_Tab && ctrl) step = shift ? vk::Left : vk::Right;
    else if (qtKey == Qt::Key_Left || qtKey == Qt::Key_Up) step = vk::Left;
    else if (qtKey == Qt::Key_Right || qtKey == Qt::Key_Down) step = vk::Right;
    if (step) {
      if (strip->OnKeyDown(step)) strip->update();
      return true;
    }
  }
  if (qtKey != Qt::Key_Tab) return false;
  QWidget* pane = m_pActiveWnd;
  const bool inPane = pane && focus && pane->isAncestorOf(focus);
  if (!shift) {
    if (!inPane) {
      if (pane) PaneNavigate(pane, nullptr, false);
      return true;
    }
    if (SiblingStop(focus, 1)) {
      PaneNavigate(pane, focus, false);
      return true;
    }
    QWidget* next = SiblingStop(this, 1);
    if (!next) {
      const auto stops = TabStops(parentWidget());
      next = stops.empty() ? nullptr : stops.front();
    }
    if (next && next != this) next->setFocus(Qt::TabFocusReason);
    else PaneNavigate(pane, focus, false);
    return true;
  }
  if (!inPane) {
    // The strip hands backwards navigation to what lies before the window.
    QWidget* prev = SiblingStop(this, -1);
    if (prev && prev != this) {
      prev->setFocus(Qt::BacktabFocusReason);
      return true;
    }
    return false;
  }
  if (SiblingStop(focus, -1)) PaneNavigate(pane, focus, true);
  else m_pTabWidget->setFocus(Qt::BacktabFocusReason);
  return true;
}

}  // namespace pm2
