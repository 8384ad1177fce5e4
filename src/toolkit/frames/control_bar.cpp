#include "toolkit/frames/control_bar.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/frame_strings.h"
#include "toolkit/frames/mdi_frame.h"

namespace pm2 {

SECControlBar::SECControlBar() : QWidget(nullptr) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  hide();
}

SECControlBar::~SECControlBar() {
  if (m_dockContext) m_dockContext->Cancel();
  if (m_dockSite) m_dockSite->RemoveControlBar(this);
}

bool SECControlBar::Create(SECMDIFrameWnd* frame, const std::string& title, std::uint32_t style,
                           std::uint32_t exStyle, unsigned id) {
  if (!frame) return false;
  m_state.style = style & CBRS_ALL;
  m_state.exStyle = exStyle;
  m_state.id = id;
  m_state.title = title;
  m_state.visible = true;
  m_state.szFloat = m_state.szHorz = m_state.szVert = kDefaultBarSize;
  setWindowTitle(ToQString(title));
  setParent(frame);
  hide();
  resize(0, 0);  // created with an empty rectangle; a dock bar gives it its size
  m_dockSite = frame;
  setMouseTracking(true);  // the caption buttons rise under the mouse
  frame->AddControlBar(this);
  if (exStyle & SECBAR_EX_PROPORTIONAL) TakeChildRecords();
  return true;
}

void SECControlBar::SetChild(QWidget* child) {
  m_child = child;
  if (child) {
    child->setParent(this);
    child->show();
  }
  LayoutChild();
}

void SECControlBar::EnableDocking(std::uint32_t dockStyle) {
  m_state.dockStyle = dockStyle;
  if (!m_dockContext) m_dockContext = std::make_unique<SECDockContext>(this);
}

bool SECControlBar::IsMDIChildFloat() const { return m_dockBar && m_dockBar->IsMDIChild(); }

void SECControlBar::SetExStyle(std::uint32_t ex, bool redraw) {
  bool had = m_state.exStyle & SECBAR_EX_PROPORTIONAL;
  bool has = ex & SECBAR_EX_PROPORTIONAL;
  if (!(had && has)) {
    if (has) TakeChildRecords();
    else m_haveRecords = false;
  }
  m_state.SetExStyle(ex);
  if (redraw) {
    LayoutChild();
    update();
    if (m_dockSite) m_dockSite->RecalcLayout();
  }
}

void SECControlBar::TakeChildRecords() {
  m_childRecords = ChildRecords{};
  m_childRecords.base = Rect{0, 0, width(), height()};
  for (QObject* o : children()) {
    if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow()) m_childRecords.children.push_back(FromQRect(w->geometry()));
  }
  m_haveRecords = true;
}

BarDecorations SECControlBar::Decorations() const {
  return ComputeBarDecorations(m_state, Rect{0, 0, width(), height()});
}

bool SECControlBar::ExpandEnabled() const { return m_dockBar && !m_dockBar->IsExpandDisabled(this); }
bool SECControlBar::CanExpandNow() const { return !m_dockBar || !m_dockBar->IsBarExpanded(this); }

void SECControlBar::LayoutChild() {
  int cx = width(), cy = height();
  if (cx < 1 || cy < 1) return;
  if ((m_state.exStyle & SECBAR_EX_PROPORTIONAL) && m_haveRecords) {
    if (m_childRecords.base.IsEmpty()) {
      // Taken before the bar had a size: take them now instead of dividing
      // by an empty base.
      TakeChildRecords();
      return;
    }
    std::vector<Rect> rects = ProportionalChildRects(m_state, m_childRecords, cx, cy);
    int i = 0;
    for (QObject* o : children()) {
      auto* w = qobject_cast<QWidget*>(o);
      if (!w || w->isWindow()) continue;
      if (i < int(rects.size())) w->setGeometry(ToQRect(rects[i]));
      ++i;
    }
    return;
  }
  if (!m_child) return;
  Rect r = (m_state.exStyle & SECBAR_EX_FILLCHILD) ? FillChildRect(m_state, cx, cy)
                                                   : m_state.GetInsideRect(Rect{0, 0, cx, cy});
  // Alone in a floating frame the child fills the bar (the frame's caption
  // drags it); among several bars the inside border stays to grab the bar.
  bool amongSeveral = m_dockBar && m_dockBar->IsFloatMulti();
  if (m_state.IsFloating() && !(m_state.exStyle & SECBAR_EX_FILLCHILD) && !amongSeveral) r = Rect{0, 0, cx, cy};
  m_child->setGeometry(ToQRect(r));
}

void SECControlBar::resizeEvent(QResizeEvent*) { LayoutChild(); }

void SECControlBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  PaintControlBar(p, *this, m_closePressed, m_expandPressed, m_hot);
}

void SECControlBar::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(e);
    return;
  }
  QPoint pt = e->position().toPoint();
  BarDecorations d = Decorations();
  if ((m_state.exStyle & SECBAR_EX_CLOSEBTN) && ToQRect(d.closeBtn).contains(pt)) {
    if (IsFloating() || m_closePressed || !CanHide()) {
      m_closePressed = false;
      return;
    }
    m_closePressed = true;
    update();
    return;
  }
  if ((m_state.exStyle & SECBAR_EX_EXPANDBTN) && ExpandEnabled() && ToQRect(d.expandBtn).contains(pt)) {
    if (IsFloating() || m_expandPressed || !CanExpand()) {
      m_expandPressed = false;
      return;
    }
    m_expandPressed = true;
    update();
    return;
  }
  if (m_closePressed || m_expandPressed) {
    m_closePressed = m_expandPressed = false;
    update();
  }
  if (IsMDIChildFloat() || !m_dockContext) {
    QWidget::mousePressEvent(e);
    return;
  }
  m_dockContext->StartDrag(e->globalPosition().toPoint());
}

void SECControlBar::mouseReleaseEvent(QMouseEvent* e) {
  QPoint pt = e->position().toPoint();
  BarDecorations d = Decorations();
  if (m_closePressed) {
    m_closePressed = false;
    update();
    if (ToQRect(d.closeBtn).contains(pt)) OnHide();
    return;
  }
  if (m_expandPressed) {
    m_expandPressed = false;
    update();
    if (ExpandEnabled() && ToQRect(d.expandBtn).contains(pt) && m_dockBar)
      m_dockBar->ToggleExpand(this, CanExpandNow() ? 1 : 2);
    return;
  }
  QWidget::mouseReleaseEvent(e);
}

void SECControlBar::mouseMoveEvent(QMouseEvent* e) {
  QPoint pt = e->position().toPoint();
  BarDecorations d = Decorations();
  int hot = 0;
  if (!IsFloating() && (m_state.exStyle & SECBAR_EX_CLOSEBTN) && ToQRect(d.closeBtn).contains(pt)) hot = 1;
  else if (!IsFloating() && (m_state.exStyle & SECBAR_EX_EXPANDBTN) && ExpandEnabled() && ToQRect(d.expandBtn).contains(pt))
    hot = 2;
  if (hot != m_hot) {
    m_hot = hot;
    update();
  }
  QWidget::mouseMoveEvent(e);
}

void SECControlBar::leaveEvent(QEvent* e) {
  if (m_hot) {
    m_hot = 0;
    update();
  }
  QWidget::leaveEvent(e);
}

void SECControlBar::mouseDoubleClickEvent(QMouseEvent* e) {
  QPoint pt = e->position().toPoint();
  BarDecorations d = Decorations();
  if (ToQRect(d.closeBtn).contains(pt) || ToQRect(d.expandBtn).contains(pt)) return;
  if (IsMDIChildFloat() || !m_dockContext) {
    QWidget::mouseDoubleClickEvent(e);
    return;
  }
  m_dockContext->ToggleDocking();
}

QMenu* SECControlBar::BuildContextMenu() {
  auto* menu = new QMenu(this);
  QAction* allow = menu->addAction(ToQString(FrameString(kIdAllowDocking)));
  allow->setData(kIdAllowDocking);
  allow->setCheckable(true);
  allow->setChecked((m_state.dockStyle & CBRS_ALIGN_ANY) != 0);
  QObject::connect(allow, &QAction::triggered, this, [this] { OnAllowDocking(); });
  QAction* hide = menu->addAction(ToQString(FrameString(kIdHideBar)));
  hide->setData(kIdHideBar);
  QObject::connect(hide, &QAction::triggered, this, [this] { OnHide(); });
  OnExtendContextMenu(menu);
  if (m_dockSite) m_dockSite->OnBarContextMenu(this, menu);
  return menu;
}

void SECControlBar::contextMenuEvent(QContextMenuEvent* e) {
  if (!(m_state.exStyle & SECBAR_EX_CONTEXTMENU)) {
    QWidget::contextMenuEvent(e);
    return;
  }
  QMenu* menu = BuildContextMenu();
  QPoint at = e->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(width() / 4, 10)) : e->globalPos();
  menu->exec(at);
  menu->deleteLater();
}

bool SECControlBar::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip && (m_state.style & CBRS_TOOLTIPS) && !IsFloating()) {
    auto* he = static_cast<QHelpEvent*>(e);
    BarDecorations d = Decorations();
    QPoint pt = he->pos();
    if ((m_state.exStyle & SECBAR_EX_CLOSEBTN) && ToQRect(d.closeBtn).contains(pt)) {
      QToolTip::showText(he->globalPos(), ToQString(FrameString(kIdsHideBarTip)), this, ToQRect(d.closeBtn));
      return true;
    }
    if ((m_state.exStyle & SECBAR_EX_EXPANDBTN) && ToQRect(d.expandBtn).contains(pt)) {
      unsigned id = CanExpandNow() ? kIdsExpandBarTip : kIdsContractBarTip;
      QToolTip::showText(he->globalPos(), ToQString(FrameString(id)), this, ToQRect(d.expandBtn));
      return true;
    }
    QToolTip::hideText();
    e->ignore();
    return true;
  }
  return QWidget::event(e);
}

void SECControlBar::OnAllowDocking() {
  if (m_state.dockStyle & CBRS_ALIGN_ANY) {
    m_state.savedDockStyle = m_state.dockStyle;
    if (!IsFloating() && m_dockContext) m_dockContext->ToggleDocking();
    EnableDocking(0);
  } else {
    EnableDocking(m_state.savedDockStyle);
  }
}

namespace {

// The widget inside a document window that takes the keys: the one that
// had them last (the view in its splitter or tab, not the window's
// container), else the first that accepts them by a click or Tab.
QWidget* LastFocusWithin(QMdiSubWindow* window) {
  QWidget* content = window->widget();
  if (!content) return nullptr;
  QWidget* last = content->focusWidget();
  if (last && last->isVisible() && last->isEnabled() && (last == content || content->isAncestorOf(last)))
    return last;
  if (content->focusPolicy() != Qt::NoFocus) return content;
  const QList<QWidget*> inside = content->findChildren<QWidget*>();
  for (QWidget* w : inside)
    if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus)) return w;
  return content;
}

}  // namespace

void SECControlBar::OnHide() {
  if (!m_dockSite) return;
  // A bar floating as a maximised window of the main window is restored
  // first: hidden maximised, it would come back maximised over the
  // documents, and the documents left would stay maximised meanwhile.
  if (IsMDIChildFloat())
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
      if (auto* holder = qobject_cast<QMdiSubWindow*>(w)) {
        if (holder->isMaximized()) holder->showNormal();
        break;
      }
  m_dockSite->ShowControlBar(this, false, false);
  // The keyboard goes back to the active document window (the one active
  // before, when the hidden window was it).
  QMdiArea* mdi = m_dockSite->MdiClient();
  QMdiSubWindow* active = mdi ? mdi->activeSubWindow() : nullptr;
  if (mdi && (!active || !active->isVisible())) {
    active = nullptr;
    const QList<QMdiSubWindow*> order = mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = order.rbegin(); it != order.rend() && !active; ++it)
      if ((*it)->isVisible()) active = *it;
    if (active) mdi->setActiveSubWindow(active);
  }
  if (active) {
    if (QWidget* view = LastFocusWithin(active)) view->setFocus();
    else active->setFocus();
  }
}

void SECControlBar::OnFloatInMainWindow() {
  if (m_dockContext) m_dockContext->ToggleMDIFloat();
}

}  // namespace pm2
