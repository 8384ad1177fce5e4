#include "toolkit/dockable/dockable_frame.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/resources.h"
#include "toolkit/dockable/frame_bar.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"

namespace pm2 {

namespace {

// The dock bar and alignment of each side placement.
struct SideRow {
  int placement;
  unsigned dockBarId;
  std::uint32_t align;
};
constexpr SideRow kSides[] = {
    {kPlaceTop, AFX_IDW_DOCKBAR_TOP, 0x2800},
    {kPlaceLeft, AFX_IDW_DOCKBAR_LEFT, 0x1400},
    {kPlaceRight, AFX_IDW_DOCKBAR_RIGHT, 0x4100},
    {kPlaceBottom, AFX_IDW_DOCKBAR_BOTTOM, 0x8200},
};

template <class T>
T* Ancestor(QWidget* w) {
  for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
    if (auto* t = dynamic_cast<T*>(p)) return t;
  return nullptr;
}

void AddItems(QMenu* menu, const std::vector<PlacementMenuItem>& items) {
  for (const PlacementMenuItem& i : items) {
    if (!i.textId) {
      menu->addSeparator();
      continue;
    }
    const QString text = ToQString(ToolkitResources().String(i.textId));
    if (!i.children.empty()) {
      AddItems(menu->addMenu(text), i.children);
      continue;
    }
    QAction* a = menu->addAction(text);
    a->setData(i.command);
    a->setCheckable(true);
    a->setChecked(i.checked);
  }
}

}  // namespace

SECDockableFrame::SECDockableFrame(SECMDIFrameWnd* main, unsigned barId, const std::string& title)
    : m_main(main), m_fw(this, WS_CAPTION_BITS | WS_SYSMENU_BIT, WS_EX_TOOLWINDOW_BIT) {
  setWindowTitle(ToQString(title));
  m_bar = new SECFrameBar;
  m_bar->Create(main, title, CBRS_SIZE_DYNAMIC | CBRS_ALIGN_LEFT | CBRS_TOOLTIPS, SECFrameBar::kExStyle, barId);
  m_bar->EnableDocking(CBRS_ALIGN_ANY);
  m_bar->SetChild(this);
  m_filters = std::make_unique<SECMsgFilter>(&m_fw, -1);
  m_table = DockableFrameDescriptors(this);
  m_filters->ApplyDescriptors(m_table, true);
  m_fw.SetSender([this](unsigned m, std::uintptr_t w, std::intptr_t l) { return DefWindowProc(m, w, l); },
                 [this](unsigned m, std::uintptr_t w, std::intptr_t l) { return DefWindowProc(m, w, l); });
}

SECDockableFrame::~SECDockableFrame() {
  if (m_active && m_main) m_main->SetActiveBarChild(nullptr);
}

std::intptr_t SECDockableFrame::DefWindowProc(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
  if (msg == SysCommandExMessage()) {
    std::intptr_t result = 0;
    m_filters->Filter(FilterMessage{msg, wParam, lParam, {}}, &result);
    return result;
  }
  if (msg == wm::SysCommand && wParam == SC_CLOSE_CMD) m_main->ShowControlBar(m_bar, false, false);
  return 0;
}

void SECDockableFrame::SetView(QWidget* view) {
  m_view = view;
  view->setParent(this);
  view->installEventFilter(this);
  view->show();
  resizeEvent(nullptr);
}

void SECDockableFrame::SetCaptionButtons(unsigned flags) {
  const bool on = flags & 1;
  const std::vector<bool> states = {on, on && !(flags & 2), on && !(flags & 4), on && !(flags & 8)};
  if (auto* list = dynamic_cast<SECCaptionControlListMsgFilter*>(m_filters->FindFilter(256, nullptr, 0)))
    list->SetButtonStates(states);
  update();
}

bool SECDockableFrame::IsFloating() const {
  SECDockBar* d = m_bar ? m_bar->DockBar() : nullptr;
  return d && d->IsFloatingBar() && !d->IsMDIChild();
}

QRect SECDockableFrame::CaptionRect() const {
  SECCaptionMsgFilter caption(const_cast<QtFilterWindow*>(&m_fw));
  return ToQRect(caption.GetCaptionRect());
}

int SECDockableFrame::HitTest(QPoint local) const { return CaptionRect().contains(local) ? kHitCaption : 1; }

void SECDockableFrame::resizeEvent(QResizeEvent*) {
  const QRect cap = CaptionRect();
  m_fw.SetClientOffset(QPoint(cap.left(), cap.bottom() + 2));
  if (m_view) m_view->setGeometry(QRect(cap.left(), cap.bottom() + 2, cap.width(), height() - cap.bottom() - 2 - cap.top()));
}

void SECDockableFrame::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), SysQColor(SysColor::BtnFace));
  const QRect cap = CaptionRect();
  p.fillRect(cap, SysQColor(m_active ? SysColor::ActiveCaption : SysColor::InactiveCaption));
  QFont f = DefaultGuiFont();
  f.setBold(true);
  p.setFont(f);
  p.setPen(SysQColor(m_active ? SysColor::CaptionText : SysColor::InactiveCaptionText));
  auto* list = dynamic_cast<SECCaptionControlListMsgFilter*>(m_filters->FindFilter(256, nullptr, 0));
  int textRight = cap.right() - 2;
  if (list) {
    list->LayoutControls();
    for (const auto& c : list->Children()) {
      auto* ctl = dynamic_cast<SECCaptionControlMsgFilter*>(c.get());
      if (!ctl || !ctl->IsEnabled() || ctl->ButtonRect().IsEmpty()) continue;
      textRight = std::min(textRight, ctl->ButtonRect().left - 2);
    }
  }
  p.drawText(QRect(cap.left() + 3, cap.top(), textRight - cap.left() - 3, cap.height()), Qt::AlignVCenter | Qt::AlignLeft,
             windowTitle());
  if (list)
    for (const auto& c : list->Children()) {
      auto* ctl = dynamic_cast<SECCaptionControlMsgFilter*>(c.get());
      if (!ctl || !ctl->IsEnabled() || ctl->ButtonRect().IsEmpty()) continue;
      PaintCaptionButton(p, ToQRect(ctl->ButtonRect()), ctl->Type(), ctl->State());
    }
}

unsigned SECDockableFrame::Give(unsigned msg, std::uintptr_t wParam, QPoint point) {
  return m_filters->Filter(FilterMessage{msg, wParam, 0, Point{point.x(), point.y()}}, nullptr);
}

void SECDockableFrame::mousePressEvent(QMouseEvent* e) {
  OnUpdateFrameMenu(true);
  const QPoint local = e->position().toPoint(), global = e->globalPosition().toPoint();
  if (HitTest(local) != kHitCaption) return;
  if (e->button() == Qt::RightButton) {
    Give(wm::NcRButtonDown, kHitCaption, global);
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  if (Give(wm::NcLButtonDown, kHitCaption, global) & kFilterHandled) return;
  // The caption drags the bar, docked or floating.
  if (SECDockContext* dc = m_bar->DockContext()) dc->StartDrag(global);
}

void SECDockableFrame::mouseMoveEvent(QMouseEvent* e) {
  const QRect cap = CaptionRect();
  Give(wm::MouseMove, 0, e->position().toPoint() - QPoint(cap.left(), cap.bottom() + 2));
}

bool SECDockableFrame::eventFilter(QObject* o, QEvent* e) {
  // A click into the view activates the frame as a click on an MDI child would.
  if (o == m_view && e->type() == QEvent::MouseButtonPress) OnUpdateFrameMenu(true);
  // While active, a click on a document window hands the activation back
  // to it (its menu and its commands), as a click on another child would.
  if (m_active && e->type() == QEvent::MouseButtonPress && o->isWidgetType() && m_main) {
    auto* w = static_cast<QWidget*>(o);
    if (QMdiArea* area = m_main->MdiClient(); area && area->isAncestorOf(w) && !isAncestorOf(w))
      OnUpdateFrameMenu(false);
  }
  return QWidget::eventFilter(o, e);
}

void SECDockableFrame::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint client = e->position().toPoint() - QPoint(CaptionRect().left(), CaptionRect().bottom() + 2);
  if (e->button() == Qt::LeftButton) Give(wm::LButtonUp, 0, client);
  if (e->button() == Qt::RightButton && HitTest(e->position().toPoint()) == kHitCaption)
    Give(wm::NcRButtonUp, kHitCaption, e->globalPosition().toPoint());
}

void SECDockableFrame::mouseDoubleClickEvent(QMouseEvent* e) {
  if (HitTest(e->position().toPoint()) != kHitCaption) return;
  if (e->button() == Qt::RightButton) {
    Give(wm::NcRButtonDblClk, kHitCaption, e->globalPosition().toPoint());
    return;
  }
  if (e->button() == Qt::LeftButton)
    if (SECDockContext* dc = m_bar->DockContext()) dc->ToggleDocking();
}

bool SECDockableFrame::event(QEvent* e) {
  if (e->type() == QEvent::WindowTitleChange) update();
  return QWidget::event(e);
}

void SECDockableFrame::OnUpdateFrameMenu(bool active) {
  if (active == m_active) return;
  m_active = active;
  // The application's clicks are watched only while this frame is active.
  if (active)
    qApp->installEventFilter(this);
  else
    qApp->removeEventFilter(this);
  if (active) {
    m_main->SetActiveBarChild(this);
    m_main->SelectMenu(m_menuId);
  } else {
    m_main->SetActiveBarChild(nullptr);
    auto* child = dynamic_cast<SECMDIChildWnd*>(m_main->MdiClient()->activeSubWindow());
    m_main->SelectMenu(child && child->MenuResourceId() ? int(child->MenuResourceId()) : -1);
  }
  update();
}

int SECDockableFrame::CurrentPlacement(FilterWindow*) const {
  if (m_bar->IsMDIChildFloat()) {
    auto* host = Ancestor<QMdiSubWindow>(m_bar);
    if (host && host->isMinimized()) return kPlaceMdiMin;
    if (host && host->isMaximized()) return kPlaceMdiMax;
    return kPlaceMdiRestored;
  }
  if (IsFloating()) return kPlaceFloating;
  if (SECDockBar* d = m_bar->DockBar())
    for (const SideRow& s : kSides)
      if (s.dockBarId == d->Id()) return s.placement;
  return kPlaceFloating;
}

void SECDockableFrame::RememberDockSide() {
  if (SECDockBar* d = m_bar->DockBar())
    if (!d->IsFloatingBar()) m_lastDockId = d->Id();
}

bool SECDockableFrame::ToMdiChild(FilterWindow*, int show) {
  RememberDockSide();
  if (!m_bar->IsMDIChildFloat()) m_main->FloatControlBarInMDIChild(m_bar, QPoint(-1, -1), CBRS_ALIGN_TOP);
  auto* host = Ancestor<QMdiSubWindow>(m_bar);
  if (!host) return false;
  if (show == kPlaceMdiMin) host->showMinimized();
  else if (show == kPlaceMdiMax) host->showMaximized();
  else host->showNormal();
  return true;
}

bool SECDockableFrame::ToDocked(FilterWindow*, int side, const DockParams& params) {
  if (side == 0) {
    // Back to the side it last docked at.
    m_main->DockControlBar(m_bar, m_lastDockId ? m_main->GetDockBar(m_lastDockId) : nullptr);
    return m_bar->DockBar() && !m_bar->DockBar()->IsFloatingBar();
  }
  for (const SideRow& s : kSides) {
    if (s.placement != side) continue;
    ControlBarState& st = m_bar->State();
    st.style = (st.style & ~CBRS_ALIGN_ANY) | (s.align & CBRS_ALIGN_ANY);
    m_main->DockControlBarEx(m_bar, s.dockBarId, params.pos1, params.pos2, params.share, params.length);
    return true;
  }
  return false;
}

bool SECDockableFrame::ToFloating(FilterWindow*, const Point* pos, const Size* size) {
  RememberDockSide();
  const QPoint at = pos ? QPoint(pos->x, pos->y) : m_bar->mapToGlobal(QPoint(0, 0));
  m_main->FloatControlBar(m_bar, at, CBRS_ALIGN_TOP);
  if (size)
    if (auto* mf = Ancestor<SECMiniDockFrameWnd>(m_bar)) mf->resize(size->cx, size->cy);
  return true;
}

int SECDockableFrame::TrackMenu(const std::vector<PlacementMenuItem>& menu, Point screen, FilterWindow*) {
  if (m_chooser) return m_chooser(menu);
  QMenu popup(this);
  AddItems(&popup, menu);
  QPoint at(screen.x, screen.y);
  if (screen.x < 0) at = mapToGlobal(rect().center());
  QAction* chosen = popup.exec(at);
  return chosen ? chosen->data().toInt() : 0;
}

}  // namespace pm2
