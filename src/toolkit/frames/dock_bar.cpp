#include "toolkit/frames/dock_bar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/drag_overlay.h"
#include "toolkit/frames/mdi_frame.h"

namespace pm2 {

SECDockBar::SECDockBar(SECMDIFrameWnd* frame, DockSide side, QWidget* parent)
    : QWidget(parent), m_frame(frame), m_model(side) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

SECDockBar::~SECDockBar() = default;

Size SECDockBar::CalcLayout(Size available, int maxAcross) { return m_model.Layout(available, maxAcross).size; }

SECControlBar* SECDockBar::BarOf(const ControlBarState* s) const {
  auto it = m_widgets.find(s);
  return it == m_widgets.end() ? nullptr : it->second;
}

std::vector<SECControlBar*> SECDockBar::Bars() const {
  std::vector<SECControlBar*> out;
  for (const DockEntry& e : m_model.Entries())
    if (SECControlBar* b = BarOf(e.bar)) out.push_back(b);
  return out;
}

void SECDockBar::ApplyLayout() {
  const DockLayoutResult& res = m_model.LastLayout();
  for (size_t i = 0; i < res.bars.size(); ++i) {
    SECControlBar* w = BarOf(res.bars[i]);
    if (!w) continue;
    QRect r = ToQRect(res.rects[i]);
    if (w->geometry() != r) w->setGeometry(r);
    if (!IsFloatingBar() && !m_mdiChild) {
      w->State().mru.dockId = Id();
      w->State().mru.dockPos = res.rects[i];
    }
    if (!w->isVisible()) w->show();
    w->LayoutChild();
  }
  for (const DockEntry& e : m_model.Entries())
    if (e.bar && !e.bar->visible)
      if (SECControlBar* w = BarOf(e.bar)) w->hide();
  for (ControlBarState* s : m_model.TakeRedrawList())
    if (SECControlBar* w = BarOf(s)) w->update();
  update();
}

void SECDockBar::TakeBarStyle(const SECControlBar* bar) {
  if (!IsFloatingBar()) return;
  if (bar->State().dockStyle & CBRS_FLOAT_MULTI) m_floatMulti = true;
  if (!m_floatMulti) m_text = bar->State().title;
}

void SECDockBar::DockControlBar(SECControlBar* bar, const QRect* screenRect, QPoint screenPoint) {
  TakeBarStyle(bar);
  SECDockBar* old = bar->DockBar();
  if (old == this) {
    if (screenRect) m_model.RemoveControlBar(&bar->State(), false);
  } else if (old) {
    old->RemoveControlBar(bar, true);
  }
  if (screenRect) {
    QPoint tl = mapFromGlobal(screenRect->topLeft());
    QPoint pt = mapFromGlobal(screenPoint);
    Rect r{tl.x(), tl.y(), tl.x() + screenRect->width(), tl.y() + screenRect->height()};
    Point p{pt.x(), pt.y()};
    m_model.DockControlBar(&bar->State(), &r, &p);
  } else {
    m_model.DockControlBar(&bar->State(), nullptr);
  }
  m_widgets[&bar->State()] = bar;
  bar->SetDockBar(this);
  if (bar->parentWidget() != this) bar->setParent(this);
  bar->setVisible(bar->State().visible);
}

int SECDockBar::DockControlBarAt(SECControlBar* bar, const DockPosition& pos) {
  SECDockBar* old = bar->DockBar();
  if (old && old != this) old->RemoveControlBar(bar, true);
  TakeBarStyle(bar);
  int at = m_model.DockControlBarAt(&bar->State(), pos);
  m_widgets[&bar->State()] = bar;
  bar->SetDockBar(this);
  if (bar->parentWidget() != this) bar->setParent(this);
  bar->setVisible(bar->State().visible);
  return at;
}

void SECDockBar::RemoveControlBar(SECControlBar* bar, bool addPlaceholder) {
  m_model.RemoveControlBar(&bar->State(), addPlaceholder && !IsFloatingBar());
  m_widgets.erase(&bar->State());
  if (bar->DockBar() == this) bar->SetDockBar(nullptr);
  bar->hide();
  if (m_frame && bar->parentWidget() == this) bar->setParent(m_frame);
  bar->hide();
}

void SECDockBar::RestoreEntries(const std::vector<std::uint32_t>& ids,
                                const std::function<SECControlBar*(unsigned)>& find) {
  auto& entries = m_model.MutableEntries();
  entries.assign(1, DockEntry{});
  for (std::uint32_t id : ids) {
    if (id == 0) {
      if (entries.size() > 1 && !entries.back().IsRowEnd()) entries.push_back(DockEntry{});
      continue;
    }
    if (id & 0xFFFF0000u) {
      entries.push_back(DockEntry{nullptr, id & 0xFFFFu});
      continue;
    }
    SECControlBar* bar = find(id);
    if (!bar || m_model.Contains(&bar->State())) continue;
    if (SECDockBar* old = bar->DockBar(); old && old != this) old->RemoveControlBar(bar, false);
    TakeBarStyle(bar);
    bar->State().style = (bar->State().style & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_FLOATING)) |
                         AlignOf(Side()) | CBRS_BORDER_ANY | (IsFloatingBar() ? CBRS_FLOATING : 0);
    entries.push_back(DockEntry{&bar->State(), 0});
    m_widgets[&bar->State()] = bar;
    bar->SetDockBar(this);
    if (bar->parentWidget() != this) bar->setParent(this);
    bar->setVisible(bar->State().visible);
  }
  if (entries.size() > 1 && !entries.back().IsRowEnd()) entries.push_back(DockEntry{});
  m_model.SeparateOwnRows();
}

std::vector<std::uint32_t> SECDockBar::StoredEntries() const {
  std::vector<std::uint32_t> ids;
  const auto& entries = m_model.Entries();
  for (size_t i = 1; i < entries.size(); ++i) {
    const DockEntry& e = entries[i];
    if (e.bar) ids.push_back(e.bar->id);
    else if (e.placeholder) ids.push_back(e.placeholder | 0x10000u);
    else ids.push_back(0);
  }
  return ids;
}

void SECDockBar::ForgetBar(SECControlBar* bar) {
  m_model.RemoveControlBar(&bar->State(), false);
  m_widgets.erase(&bar->State());
}

QRect SECDockBar::DropRectOnScreen(const SECControlBar* bar, const QRect& dragScreen, QPoint cursor) const {
  QPoint tl = mapFromGlobal(dragScreen.topLeft());
  QPoint pt = mapFromGlobal(cursor);
  Rect drag{tl.x(), tl.y(), tl.x() + dragScreen.width(), tl.y() + dragScreen.height()};
  Rect r = m_model.CalcDropRect(&bar->State(), drag, Point{pt.x(), pt.y()});
  return QRect(mapToGlobal(QPoint(r.left, r.top)), QSize(r.Width(), r.Height()));
}

bool SECDockBar::IsBarExpanded(const SECControlBar* bar) const { return m_model.IsBarExpanded(&bar->State()); }
bool SECDockBar::IsExpandDisabled(const SECControlBar* bar) const { return m_model.IsExpandDisabled(&bar->State()); }

void SECDockBar::ToggleExpand(SECControlBar* bar, int how) {
  m_model.ToggleExpand(&bar->State(), how);
  if (m_frame) m_frame->RecalcLayout();
}

int SECDockBar::SplitterAt(QPoint p) const {
  const auto& s = m_model.LastLayout().splitters;
  for (int i = int(s.size()) - 1; i >= 0; --i)
    if (ToQRect(s[i].rect).contains(p)) return i;
  return -1;
}

void SECDockBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), SysQColor(SysColor::BtnFace));
  auto line = [&](int x1, int y1, int x2, int y2, SysColor c) {
    p.setPen(SysQColor(c));
    p.drawLine(x1, y1, x2, y2);
  };
  for (const DockSplitter& s : m_model.LastLayout().splitters) {
    const Rect& r = s.rect;
    if (!s.vertical) {
      p.fillRect(QRect(r.left, r.top + 1, r.Width(), r.Height() - 3), SysQColor(SysColor::BtnFace));
      line(r.left, r.top, r.right - 1, r.top, SysColor::BtnHighlight);
      line(r.left, r.bottom - 2, r.right - 1, r.bottom - 2, SysColor::BtnShadow);
      line(r.left, r.bottom - 1, r.right - 1, r.bottom - 1, SysColor::WindowFrame);
    } else {
      p.fillRect(QRect(r.left + 1, r.top, r.Width() - 3, r.Height()), SysQColor(SysColor::BtnFace));
      line(r.left, r.top, r.left, r.bottom - 1, SysColor::BtnHighlight);
      line(r.right - 2, r.top, r.right - 2, r.bottom - 1, SysColor::BtnShadow);
      line(r.right - 1, r.top, r.right - 1, r.bottom - 1, SysColor::WindowFrame);
    }
  }
  for (const DockClientEdge& e : m_model.LastLayout().edges) {
    const Rect& r = e.rect;
    if (e.vertical) {
      line(r.left, r.top, r.left, r.bottom - 1, SysColor::BtnShadow);
      line(r.left + 1, r.top, r.left + 1, r.bottom - 1, SysColor::BtnHighlight);
    } else {
      line(r.left, r.top, r.right - 1, r.top, SysColor::BtnShadow);
      line(r.left, r.top + 1, r.right - 1, r.top + 1, SysColor::BtnHighlight);
    }
  }
}

int SECDockBar::TrackedPos(QPoint p) const {
  int along = m_trackSplitter.vertical ? p.x() : p.y();
  return std::clamp(along - m_grab, m_min, std::max(m_min, m_max - DockBarModel::kSplitter));
}

QRect SECDockBar::TrackRect(int pos) const {
  const Rect& r = m_trackSplitter.rect;
  QRect local = m_trackSplitter.vertical ? QRect(pos, r.top + 1, r.Width(), r.Height() - 2)
                                         : QRect(r.left + 1, pos, r.Width() - 2, r.Height());
  return QRect(mapToGlobal(local.topLeft()), local.size());
}

void SECDockBar::mousePressEvent(QMouseEvent* e) {
  if (m_tracking >= 0) {
    if (e->button() == Qt::RightButton) EndTracking(false);
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  int idx = SplitterAt(e->position().toPoint());
  if (idx < 0 || QWidget::mouseGrabber()) return;
  m_trackSplitter = m_model.LastLayout().splitters[idx];
  QRect free = m_frame ? m_frame->ClientLayoutRect() : QRect();
  QPoint ftl = m_frame ? mapFrom(m_frame, free.topLeft()) : QPoint();
  Rect f{ftl.x(), ftl.y(), ftl.x() + free.width(), ftl.y() + free.height()};
  m_model.GetSplitterLimits(m_trackSplitter, f, &m_min, &m_max);
  int lead = m_trackSplitter.vertical ? m_trackSplitter.rect.left : m_trackSplitter.rect.top;
  m_grab = (m_trackSplitter.vertical ? e->position().toPoint().x() : e->position().toPoint().y()) - lead;
  m_pos = lead;
  m_tracking = idx;
  grabMouse();
  grabKeyboard();
  setFocus();
  if (!m_overlay) m_overlay = std::make_unique<DragOverlay>();
  m_overlay->ShowRect(TrackRect(m_pos), DragOverlay::Look::Splitter);
}

void SECDockBar::mouseMoveEvent(QMouseEvent* e) {
  QPoint p = e->position().toPoint();
  if (m_tracking >= 0) {
    m_pos = TrackedPos(p);
    m_overlay->ShowRect(TrackRect(m_pos), DragOverlay::Look::Splitter);
    return;
  }
  int idx = SplitterAt(p);
  if (idx < 0) unsetCursor();
  else setCursor(m_model.LastLayout().splitters[idx].vertical ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void SECDockBar::mouseReleaseEvent(QMouseEvent* e) {
  if (m_tracking < 0 || e->button() != Qt::LeftButton) return;
  m_pos = TrackedPos(e->position().toPoint());
  EndTracking(true);
}

void SECDockBar::keyPressEvent(QKeyEvent* e) {
  if (m_tracking >= 0 && e->key() == Qt::Key_Escape) {
    EndTracking(false);
    return;
  }
  QWidget::keyPressEvent(e);
}

void SECDockBar::focusOutEvent(QFocusEvent* e) {
  if (m_tracking >= 0) EndTracking(false);
  QWidget::focusOutEvent(e);
}

void SECDockBar::EndTracking(bool apply) {
  if (m_tracking < 0) return;
  m_tracking = -1;
  releaseMouse();
  releaseKeyboard();
  if (m_overlay) m_overlay->hide();
  int lead = m_trackSplitter.vertical ? m_trackSplitter.rect.left : m_trackSplitter.rect.top;
  int delta = m_pos - lead;
  if (apply && delta != 0) {
    m_model.ApplySplitterDelta(m_trackSplitter, delta);
    if (m_frame) m_frame->RecalcLayout();
  }
}

}  // namespace pm2
