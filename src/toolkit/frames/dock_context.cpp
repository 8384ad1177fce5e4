#include "toolkit/frames/dock_context.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/drag_overlay.h"
#include "toolkit/frames/frame_strings.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"

namespace pm2 {

namespace {
QRect ToScreen(const Rect& r) { return ToQRect(r); }
Point ToPoint(QPoint p) { return {p.x(), p.y()}; }
}  // namespace

SECDockContext::SECDockContext(SECControlBar* bar) : m_bar(bar) {}

SECDockContext::~SECDockContext() { End(); }

QRect SECDockContext::OverlayRect() const { return m_overlay && m_overlay->isVisible() ? m_overlay->geometry() : QRect(); }

void SECDockContext::CollectTargets() {
  m_targets.clear();
  m_targetBars.clear();
  SECMDIFrameWnd* frame = m_bar->DockSite();
  if (!frame) return;
  for (DockSide side : {DockSide::Top, DockSide::Bottom, DockSide::Left, DockSide::Right}) {
    SECDockBar* d = frame->DockBarFor(side);
    if (!d) continue;
    QRect g(d->mapToGlobal(QPoint(0, 0)), d->size());
    m_targets.push_back(DockTarget{side, FromQRect(g)});
    m_targetBars.push_back(d);
  }
  // Floating frames that hold several bars take more.
  for (SECMiniDockFrameWnd* f : frame->FloatingFrames()) {
    SECDockBar* d = f->FloatDockBar();
    if (!f->isVisible() || !d->IsFloatMulti()) continue;
    QRect g(d->mapToGlobal(QPoint(0, 0)), d->size());
    m_targets.push_back(DockTarget{DockSide::Float, FromQRect(g), true});
    m_targetBars.push_back(d);
  }
}

QRect SECDockContext::DropRect(SECDockBar* d) const {
  QRect drag = ToScreen(m_track.DockRectFor(d->Side()));
  // A floating frame shows where the bar goes by the dragged rectangle.
  if (d->IsFloatingBar()) return drag;
  return d->DropRectOnScreen(m_bar, drag, QPoint(m_track.last.x, m_track.last.y));
}

void SECDockContext::Begin(Mode mode) {
  m_mode = mode;
  m_moved = false;
  if (!m_overlay) m_overlay = std::make_unique<DragOverlay>();
  qApp->installEventFilter(this);
  m_bar->grabMouse();
}

void SECDockContext::End() {
  if (m_mode == Mode::None) return;
  bool wasDrag = m_mode == Mode::Drag;
  m_mode = Mode::None;
  if (wasDrag && m_bar->DockSite()) m_bar->DockSite()->ShowMessageString(kIdsIdlePrompt);
  qApp->removeEventFilter(this);
  if (QWidget::mouseGrabber() == m_bar) m_bar->releaseMouse();
  if (m_overlay) m_overlay->hide();
}

void SECDockContext::Cancel() { End(); }

void SECDockContext::StartDrag(QPoint global) {
  if (m_mode != Mode::None || !m_bar->DockSite()) return;
  CollectTargets();
  // A bar alone in a floating frame drags the frame; one of several, itself.
  QWidget* win = m_bar;
  if (m_bar->IsFloating() && m_bar->DockBar() && m_bar->DockBar()->Model().BarCount() == 1) win = m_bar->window();
  QRect g(win->mapToGlobal(QPoint(0, 0)), win->size());
  QSize chrome = SECMiniDockFrameWnd::Chrome();
  m_track = DragTrack{};
  m_track.Begin(m_bar->State(), FromQRect(g), ToPoint(global), Size{chrome.width(), chrome.height()});
  m_track.forceFrame = QApplication::keyboardModifiers() & Qt::ControlModifier;
  m_track.flip = QApplication::keyboardModifiers() & Qt::ShiftModifier;
  m_track.overDock = m_track.forceFrame ? -1 : m_track.CanDock(m_targets);
  Begin(Mode::Drag);
  m_bar->DockSite()->ShowMessageString(kIdsDragBarHint);
  ShowPreview();
}

void SECDockContext::ShowPreview() {
  if (m_mode == Mode::Resize) {
    m_overlay->ShowRect(m_resizeRect, DragOverlay::Look::Float);
    return;
  }
  bool floatingNearStart = m_track.wasFloating && !m_track.DocksOnRelease();
  if (m_track.overDock >= 0 && !floatingNearStart) {
    m_overlay->ShowRect(DropRect(m_targetBars[m_track.overDock]), DragOverlay::Look::Dock);
  } else {
    bool dynamic = m_bar->State().style & CBRS_SIZE_DYNAMIC;
    m_overlay->ShowRect(ToScreen(m_track.FloatRect(dynamic)), DragOverlay::Look::Float);
  }
}

void SECDockContext::MoveTo(QPoint global) {
  if (global != QPoint(m_track.last.x, m_track.last.y)) m_moved = true;
  m_track.Move(ToPoint(global), m_targets);
  ShowPreview();
}

void SECDockContext::EndDrag() {
  End();
  SECMDIFrameWnd* frame = m_bar->DockSite();
  if (!m_moved || !frame) return;  // a click leaves the bar where it is
  if (m_track.DocksOnRelease()) {
    SECDockBar* d = m_targetBars[m_track.overDock];
    QRect r = DropRect(d);
    frame->DockControlBar(m_bar, d, &r, QPoint(m_track.last.x, m_track.last.y));
    return;
  }
  bool dynamic = m_bar->State().style & CBRS_SIZE_DYNAMIC;
  Rect fr = m_track.FloatRect(dynamic);
  std::uint32_t style = m_track.FloatStyle(dynamic);
  m_bar->State().mru.floatStyle = style;
  frame->FloatControlBar(m_bar, QPoint(fr.left, fr.top), style);
}

void SECDockContext::StartResize(int hitTest, QPoint global) {
  if (m_mode != Mode::None || !m_bar->IsFloating()) return;
  QWidget* win = m_bar->window();
  m_hit = hitTest;
  m_resizeRect = QRect(win->mapToGlobal(QPoint(0, 0)), win->size());
  m_resizeLast = global;
  Begin(Mode::Resize);
  ShowPreview();
}

void SECDockContext::Stretch(QPoint global) {
  int dx = global.x() - m_resizeLast.x(), dy = global.y() - m_resizeLast.y();
  QSize chrome = SECMiniDockFrameWnd::Chrome();
  QRect screen = m_bar->DockSite() ? m_bar->DockSite()->WorkArea() : QRect(0, 0, 4096, 4096);
  QRect r = m_resizeRect;
  bool left = m_hit == HTLEFT || m_hit == HTTOPLEFT || m_hit == HTBOTTOMLEFT;
  bool right = m_hit == HTRIGHT || m_hit == HTTOPRIGHT || m_hit == HTBOTTOMRIGHT;
  bool top = m_hit == HTTOP || m_hit == HTTOPLEFT || m_hit == HTTOPRIGHT;
  bool bottom = m_hit == HTBOTTOM || m_hit == HTBOTTOMLEFT || m_hit == HTBOTTOMRIGHT;
  QRect n = r;
  if (left) n.setLeft(r.left() + dx);
  if (right) n.setRight(r.right() + dx);
  if (n.width() < chrome.width() + 18 || n.width() > screen.width()) {
    n.setLeft(r.left());
    n.setRight(r.right());
    dx = 0;
  }
  if (top) n.setTop(r.top() + dy);
  if (bottom) n.setBottom(r.bottom() + dy);
  if (n.height() < chrome.height() + 18 || n.height() > screen.height()) {
    n.setTop(r.top());
    n.setBottom(r.bottom());
    dy = 0;
  }
  m_resizeRect = n;
  m_resizeLast = QPoint(m_resizeLast.x() + dx, m_resizeLast.y() + dy);
  ShowPreview();
}

void SECDockContext::EndResize() {
  End();
  SECMDIFrameWnd* frame = m_bar->DockSite();
  if (!frame) return;
  QSize chrome = SECMiniDockFrameWnd::Chrome();
  ControlBarState& s = m_bar->State();
  s.CalcDynamicLayout(m_resizeRect.width() - chrome.width(), LM_HORZ | LM_COMMIT);
  if (!s.IsFixed()) s.CalcDynamicLayout(m_resizeRect.height() - chrome.height(), LM_HORZ | LM_LENGTHY | LM_COMMIT);
  // A frame of several bars stays one frame: it wraps its bars again.
  SECDockBar* d = m_bar->DockBar();
  if (d && d->Model().BarCount() > 1)
    if (auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(d->parentWidget())) {
      mf->RecalcLayoutAt(m_resizeRect.left(), m_resizeRect.top());
      return;
    }
  frame->FloatControlBar(m_bar, m_resizeRect.topLeft(), CBRS_ALIGN_TOP | CBRS_SIZE_DYNAMIC | (s.dockStyle & CBRS_FLOAT_MULTI));
}

bool SECDockContext::eventFilter(QObject* o, QEvent* e) {
  if (m_mode == Mode::None) return false;
  switch (e->type()) {
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(e);
      if (m_mode == Mode::Drag) {
        if (me->modifiers() & Qt::ControlModifier) m_track.forceFrame = true;
        MoveTo(me->globalPosition().toPoint());
      } else {
        Stretch(me->globalPosition().toPoint());
      }
      return true;
    }
    case QEvent::MouseButtonRelease: {
      auto* me = static_cast<QMouseEvent*>(e);
      if (me->button() != Qt::LeftButton) return true;
      if (m_mode == Mode::Drag) {
        MoveTo(me->globalPosition().toPoint());
        EndDrag();
      } else {
        Stretch(me->globalPosition().toPoint());
        EndResize();
      }
      return true;
    }
    case QEvent::MouseButtonPress: {
      auto* me = static_cast<QMouseEvent*>(e);
      if (me->button() == Qt::RightButton) Cancel();
      return true;
    }
    case QEvent::MouseButtonDblClick:
      // The second click of a double click: no drag; the window toggles.
      End();
      return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* ke = static_cast<QKeyEvent*>(e);
      bool down = e->type() == QEvent::KeyPress;
      if (ke->key() == Qt::Key_Escape) {
        if (down) Cancel();
        return true;
      }
      if (m_mode == Mode::Drag && (ke->key() == Qt::Key_Control || ke->key() == Qt::Key_Shift)) {
        (ke->key() == Qt::Key_Control ? m_track.forceFrame : m_track.flip) = down;
        m_track.Move(m_track.last, m_targets);
        ShowPreview();
      }
      return true;
    }
    case QEvent::ApplicationDeactivate:
    case QEvent::WindowDeactivate:
      if (o == m_bar->window() || e->type() == QEvent::ApplicationDeactivate) Cancel();
      return false;
    default:
      return false;
  }
}

void SECDockContext::ToggleDocking() {
  SECMDIFrameWnd* frame = m_bar->DockSite();
  if (!frame) return;
  ControlBarState& s = m_bar->State();
  if (m_bar->IsFloating()) {
    if (!(s.dockStyle & CBRS_ALIGN_ANY)) return;
    s.stretch = s.savedStretch;
    SECDockBar* d = s.mru.dockId ? frame->GetDockBar(s.mru.dockId) : nullptr;
    frame->DockControlBar(m_bar, d);
    return;
  }
  s.savedStretch = s.stretch;
  QPoint pos(s.mru.floatPos.x, s.mru.floatPos.y);
  if (pos.x() < 0 || pos.y() < 0) {
    SECDockBar* d = m_bar->DockBar();
    pos = d ? d->mapToGlobal(QPoint(s.mru.dockPos.left, s.mru.dockPos.top)) : m_bar->mapToGlobal(QPoint(0, 0));
  }
  frame->FloatControlBar(m_bar, pos, s.mru.floatStyle ? s.mru.floatStyle : CBRS_ALIGN_TOP);
}

void SECDockContext::ToggleMDIFloat() {
  SECMDIFrameWnd* frame = m_bar->DockSite();
  if (!frame) return;
  ControlBarState& s = m_bar->State();
  if (!m_bar->IsMDIChildFloat()) {
    s.savedStretch = s.stretch;
    s.mru.wasFloating = m_bar->IsFloating();
    // Its row and column, to come back to them.
    s.mru.row = s.mru.column = -1;
    if (SECDockBar* docked = m_bar->DockBar(); docked && !m_bar->IsFloating())
      if (!docked->Model().GetBarRowInfo(&s, &s.mru.row, &s.mru.column, &s.mru.thickness))
        s.mru.row = s.mru.column = -1;
    frame->FloatControlBarInMDIChild(m_bar, QPoint(-1, -1), s.mru.floatStyle ? s.mru.floatStyle : CBRS_ALIGN_TOP);
    return;
  }
  s.stretch = s.savedStretch;
  if (s.mru.wasFloating || !(s.dockStyle & CBRS_ALIGN_ANY)) {
    QPoint pos = s.mru.floatPos.x >= 0 && s.mru.floatPos.y >= 0 ? QPoint(s.mru.floatPos.x, s.mru.floatPos.y)
                                                                : frame->mapToGlobal(QPoint(40, 40));
    frame->FloatControlBar(m_bar, pos,
                           s.mru.floatStyle ? s.mru.floatStyle : CBRS_ALIGN_TOP);
    return;
  }
  // Back to where it was docked: the dock bar and its row and column there.
  SECDockBar* d = s.mru.dockId ? frame->GetDockBar(s.mru.dockId) : nullptr;
  if (d && s.mru.row >= 0 && s.mru.thickness > 0) {
    frame->DockControlBarEx(m_bar, DockPosition{s.mru.row, s.mru.column, 0}, s.mru.dockId,
                            DockSizeInfo{s.stretch, s.mru.thickness});
    return;
  }
  frame->DockControlBar(m_bar, d);
}

}  // namespace pm2
