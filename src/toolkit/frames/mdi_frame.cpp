#include "toolkit/frames/mdi_frame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QIcon>
#include <QScreen>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/dockable/max_child_buttons.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/frame_strings.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mini_dock_frame.h"

namespace pm2 {

namespace {
// The height a slot widget asks for: its size hint, at least its minimum.
int SlotHeight(const QWidget* w) {
  int h = std::max(w->sizeHint().height(), w->minimumHeight());
  return h > 0 ? h : w->height();
}
}  // namespace

QIcon BarWindowIcon() {
  // A small window with a caption: what a bar without its own icon shows.
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(SysQColor(SysColor::WindowFrame));
  p.setBrush(SysQColor(SysColor::Window));
  p.drawRect(1, 2, 13, 11);
  p.fillRect(QRect(2, 3, 12, 3), SysQColor(SysColor::ActiveCaption));
  return QIcon(pm);
}

SECMDIFrameWnd::SECMDIFrameWnd(QWidget* parent) : QWidget(parent) {
  m_mdi = new QMdiArea(this);
  m_mdi->setBackground(SysQColor(SysColor::AppWorkspace));
  m_mdi->setFrameShape(QFrame::NoFrame);
  // A child window partly outside the area can be scrolled into view, as
  // in an MDI client window.
  m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setAttribute(Qt::WA_OpaquePaintEvent);
  QObject::connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) { OnChildActivated(w); });
  m_maxChildButtons = new MaxChildCaptionButtons(this, m_mdi);
}

void SECMDIFrameWnd::OnChildActivated(QMdiSubWindow* w) {
  // The menu follows the active document window; with none left (or one
  // that names no menu) the frame's own menu comes back.
  unsigned id = 0;
  if (auto* child = dynamic_cast<SECMDIChildWnd*>(w)) id = child->MenuResourceId();
  int menu = id ? int(id) : -1;
  if (menu == m_currentMenu) return;
  m_currentMenu = menu;
  if (m_menuSelector) m_menuSelector(menu);
}

void SECMDIFrameWnd::DetachChildren() {
  QObject::disconnect(m_mdi, nullptr, this, nullptr);
  for (QObject* o : m_mdi->findChildren<QObject*>())
    if (auto* child = dynamic_cast<SECMDIChildWnd*>(o)) child->DetachFrame();
}

SECMDIFrameWnd::~SECMDIFrameWnd() {
  DetachChildren();
  for (SECMiniDockFrameWnd* f : m_floating) f->hide();
  // Bars outlive nothing here: Qt deletes them with their parents; they must
  // not call back into a half-destroyed frame.
  for (SECControlBar* b : m_bars) b->SetDockBar(nullptr);
  std::vector<SECControlBar*> bars = m_bars;
  m_bars.clear();
  for (SECControlBar* b : bars) delete b;
}

void SECMDIFrameWnd::SetCommandBar(QWidget* bar) {
  m_commandBar = bar;
  if (bar) {
    bar->setParent(this);
    bar->show();
  }
  RecalcLayout();
}

void SECMDIFrameWnd::SetStatusBar(QWidget* bar) {
  m_statusBar = bar;
  if (bar) {
    bar->setParent(this);
    bar->show();
  }
  RecalcLayout();
}

void SECMDIFrameWnd::EnableDocking(std::uint32_t dockStyle) {
  for (const DockSideRow& row : DockSideTable()) {
    if (!(row.style & dockStyle & CBRS_ALIGN_ANY) || m_dockBars[int(row.side)]) continue;
    auto* d = new SECDockBar(this, row.side, this);
    d->show();
    m_dockBars[int(row.side)] = d;
  }
  RecalcLayout();
}

SECDockBar* SECMDIFrameWnd::GetDockBar(unsigned id) const {
  DockSide side;
  if (!DockSideOfId(id, &side) || side == DockSide::Float) return nullptr;
  return m_dockBars[int(side)];
}

SECDockBar* SECMDIFrameWnd::DockBarFor(DockSide side) const {
  return side == DockSide::Float ? nullptr : m_dockBars[int(side)];
}

void SECMDIFrameWnd::AddControlBar(SECControlBar* bar) {
  if (std::find(m_bars.begin(), m_bars.end(), bar) == m_bars.end()) m_bars.push_back(bar);
}

void SECMDIFrameWnd::RemoveControlBar(SECControlBar* bar) {
  m_bars.erase(std::remove(m_bars.begin(), m_bars.end(), bar), m_bars.end());
  m_dynamicBars.erase(std::remove(m_dynamicBars.begin(), m_dynamicBars.end(), bar), m_dynamicBars.end());
  if (SECDockBar* d = bar->DockBar()) {
    d->ForgetBar(bar);
    bar->SetDockBar(nullptr);
    if (d->IsFloatingBar()) SettleFloatingHost(d);
  }
}

SECControlBar* SECMDIFrameWnd::GetControlBar(unsigned id) const {
  for (SECControlBar* b : m_bars)
    if (b->BarId() == id) return b;
  return nullptr;
}

void SECMDIFrameWnd::ForgetFloatingFrame(SECMiniDockFrameWnd* f) {
  m_floating.erase(std::remove(m_floating.begin(), m_floating.end(), f), m_floating.end());
}

void SECMDIFrameWnd::DetachBar(SECControlBar* bar, bool holdPlace) {
  SECDockBar* d = bar->DockBar();
  if (!d) return;
  d->RemoveControlBar(bar, holdPlace);
  if (d->IsFloatingBar()) SettleFloatingHost(d);
}

void SECMDIFrameWnd::SettleFloatingHost(SECDockBar* d) {
  // A floating window left without bars goes; one with hidden bars hides.
  QWidget* host = d->parentWidget();
  if (!host) return;
  if (d->Model().BarCount() == 0) {
    if (auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(host)) ForgetFloatingFrame(mf);
    if (auto* child = dynamic_cast<QMdiSubWindow*>(host)) m_mdi->removeSubWindow(child);
    host->hide();
    host->deleteLater();
  } else if (d->VisibleBarCount() == 0) {
    host->hide();
  } else if (auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(host)) {
    mf->RecalcLayout();
  }
}

void SECMDIFrameWnd::DockControlBar(SECControlBar* bar, SECDockBar* dockBar, const QRect* screenRect,
                                   QPoint screenPoint) {
  if (!dockBar) {
    const DockSideRow* row = SideRowForAlign(bar->State().style);
    if (row) dockBar = m_dockBars[int(row->side)];
    for (const DockSideRow& r : DockSideTable()) {
      if (dockBar) break;
      if ((bar->State().dockStyle & r.style & CBRS_ALIGN_ANY) && m_dockBars[int(r.side)]) dockBar = m_dockBars[int(r.side)];
    }
  }
  if (!dockBar) return;
  SECDockBar* old = bar->DockBar();
  if (old && old != dockBar && old->IsFloatingBar()) DetachBar(bar, false);
  dockBar->DockControlBar(bar, screenRect, screenPoint);
  if (dockBar->IsFloatingBar()) {
    // Into a floating frame of several bars: the frame wraps them again.
    bar->OnBarFloat();
    if (auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(dockBar->parentWidget())) {
      mf->RecalcLayoutAt(mf->x(), mf->y());
      if (dockBar->VisibleBarCount() > 0) mf->show();
    }
  } else {
    bar->OnBarDock();
  }
  RecalcLayout();
}

void SECMDIFrameWnd::DockControlBarEx(SECControlBar* bar, const DockPosition& pos, unsigned dockBarId,
                                     const DockSizeInfo& size) {
  SECDockBar* d = dockBarId ? GetDockBar(dockBarId) : nullptr;
  if (!d) {
    const DockSideRow* row = SideRowForAlign(bar->State().style);
    if (row) d = m_dockBars[int(row->side)];
  }
  if (!d) return;
  bar->State().stretch = size.share;
  bar->State().CalcDynamicLayout(size.length, DockLayoutModeFor(d->Id()) | LM_COMMIT);
  SECDockBar* old = bar->DockBar();
  if (old && old != d && old->IsFloatingBar()) DetachBar(bar, false);
  d->DockControlBarAt(bar, pos);
  bar->OnBarDock();
  RecalcLayout();
}

void SECMDIFrameWnd::DockControlBarEx(SECControlBar* bar, unsigned dockBarId, int pos1, int pos2, float share,
                                     int length) {
  DockControlBarEx(bar, DockPosition{pos2, pos1, 0}, dockBarId, DockSizeInfo{share, length});
}

QRect SECMDIFrameWnd::WorkArea() const {
  QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect(0, 0, 1280, 1024);
}

void SECMDIFrameWnd::FloatControlBar(SECControlBar* bar, QPoint point, std::uint32_t style) {
  ControlBarState& s = bar->State();
  QRect wa = WorkArea();
  QSize chrome = SECMiniDockFrameWnd::Chrome();
  Point p = ClampFloatPoint(Point{point.x(), point.y()}, Size{s.szFloat.cx + chrome.width(), s.szFloat.cy + chrome.height()},
                            FromQRect(wa));
  SECDockBar* d = bar->DockBar();
  if (d && d->IsFloatingBar() && !d->IsMDIChild() && d->Model().BarCount() == 1 &&
      (d->Model().Entries().size() > 1)) {
    auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(d->parentWidget());
    // The same kind of frame (one bar or several) is kept.
    if (mf && (mf->BarStyle() & CBRS_ALIGN_ANY) == (style & CBRS_ALIGN_ANY) &&
        d->IsFloatMulti() == bool(style & CBRS_FLOAT_MULTI)) {
      mf->RecalcLayoutAt(p.x, p.y);
      return;
    }
  }
  if (s.style & CBRS_SIZE_DYNAMIC) {
    style |= CBRS_SIZE_DYNAMIC;
    if (style & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)) style = (style & ~CBRS_ALIGN_ANY) | CBRS_ALIGN_TOP;
  }
  if (d) DetachBar(bar, true);
  auto* mf = new SECMiniDockFrameWnd(this, style);
  m_floating.push_back(mf);
  mf->FloatDockBar()->DockControlBar(bar);
  s.mru.floatStyle = style & ~CBRS_SIZE_DYNAMIC;
  bar->OnBarFloat();
  mf->RecalcLayoutAt(p.x, p.y);
  s.mru.floatPos = {mf->x(), mf->y()};
  if (s.visible) mf->show();
  RecalcLayout();
}

SECMDIChildWnd* SECMDIFrameWnd::CreateFloatingMDIChild(std::uint32_t, SECControlBar*) {
  return new SECControlBarMDIChildWnd(this);
}

void SECMDIFrameWnd::FloatControlBarInMDIChild(SECControlBar* bar, QPoint point, std::uint32_t style) {
  ControlBarState& s = bar->State();
  QSize client = m_mdi->viewport()->size();
  if (point.x() < 0 || point.y() < 0) {
    Point c = m_cascade.Take(Size{client.width(), client.height()});
    point = QPoint(c.x, c.y);
  }
  Point cp = ClampIntoMdiClient(Point{point.x(), point.y()}, Size{client.width(), client.height()});
  SECDockBar* d = bar->DockBar();
  if (d && d->IsMDIChild() && d->Model().BarCount() == 1) {
    if (QWidget* host = d->parentWidget()) {
      host->move(cp.x, cp.y);
      host->show();
    }
    return;
  }
  if (d) DetachBar(bar, true);
  SECMDIChildWnd* child = CreateFloatingMDIChild(style, bar);
  auto* host = dynamic_cast<BarChildHost*>(child);
  if (!host) {
    delete child;
    return;
  }
  host->FloatDockBar()->DockControlBar(bar);
  host->FloatDockBar()->SetMDIChild(true);
  m_mdi->addSubWindow(child);
  Size sz = host->FloatDockBar()->CalcLayout(Size{32767, 32767});
  host->FloatDockBar()->ApplyLayout();
  child->setWidget(host->FloatDockBar());
  child->setWindowTitle(ToQString(s.title));
  child->setWindowIcon(BarWindowIcon());
  if (auto* sheet = dynamic_cast<SECWorksheetWnd*>(child)) sheet->SetTabIcon(BarWindowIcon());
  child->resize(sz.cx + 8, sz.cy + 30);
  child->move(cp.x, cp.y);
  child->show();
  bar->OnBarMDIFloat();
  RecalcLayout();
}

void SECMDIFrameWnd::ShowControlBar(SECControlBar* bar, bool show, bool delay) {
  ControlBarState& s = bar->State();
  if (s.visible == show && bar->DockBar()) return;
  s.visible = show;
  SECDockBar* d = bar->DockBar();
  bar->setVisible(show && d);
  if (d) d->Model().MarkBarChanged(&s);
  if (d && d->IsFloatingBar()) {
    QWidget* host = d->parentWidget();
    if (d->VisibleBarCount() == 0) {
      host->hide();
    } else {
      if (auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(host)) mf->RecalcLayout();
      host->show();
    }
  }
  // A delayed show lays out once when the event loop is idle again, so that
  // several bars shown together cost one layout.
  if (delay) {
    if (!m_layoutPending) {
      m_layoutPending = true;
      QMetaObject::invokeMethod(this, [this] {
        m_layoutPending = false;
        RecalcLayout();
      }, Qt::QueuedConnection);
    }
    return;
  }
  RecalcLayout();
}

void SECMDIFrameWnd::PlaceMdiClient(const QRect& area) {
  ClientMargins m = ClientMarginsNow();
  QRect r = area.adjusted(m.left, m.top, -m.right, -m.bottom);
  m_mdi->setGeometry(r.left(), r.top(), std::max(0, r.width()), std::max(0, r.height()));
}

void SECMDIFrameWnd::ShowMessageString(unsigned id) {
  if (m_messageHandler) m_messageHandler(FrameString(id));
}

void SECMDIFrameWnd::ShowCommandPrompt(unsigned id) {
  const std::string prompt = id && m_promptSource ? m_promptSource(id) : std::string();
  if (prompt.empty())
    ShowMessageString(kIdsIdlePrompt);
  else if (m_messageHandler)
    m_messageHandler(prompt);
}

void SECMDIFrameWnd::UpdateControlBars() {
  const std::vector<SECControlBar*> bars = m_bars;  // an update may not change the list
  for (SECControlBar* bar : bars)
    if (bar->IsBarVisible()) bar->OnUpdateCmdUI(this);
}

void SECMDIFrameWnd::ShowCommandPromptFrom(QWidget* inside, unsigned id) {
  for (QWidget* w = inside ? inside->window() : nullptr; w;
       w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
    if (auto* frame = dynamic_cast<SECMDIFrameWnd*>(w)) {
      frame->ShowCommandPrompt(id);
      return;
    }
}

void SECMDIFrameWnd::RecalcLayout() {
  if (m_inLayout) return;
  m_inLayout = true;
  QRect r = rect();
  if (m_commandBar && !m_commandBar->isHidden()) {
    int h = SlotHeight(m_commandBar);
    m_commandBar->setGeometry(r.left(), r.top(), r.width(), h);
    r.setTop(r.top() + h);
  }
  if (m_statusBar && !m_statusBar->isHidden()) {
    int h = SlotHeight(m_statusBar);
    m_statusBar->setGeometry(r.left(), r.bottom() - h + 1, r.width(), h);
    r.setBottom(r.bottom() - h);
  }
  // Each dock bar gets what is left once the bars laid out before it and
  // the client area's minimum are served: a bar grown by a splitter or left
  // large by a bigger window shows its rows thinner instead of covering the
  // menu bar, the toolbars and the editors. Bars of fixed rows that still
  // do not fit are cut at the far edge, never laid over the others.
  const int minClient = DockBarModel::kMinRow;
  for (const DockSideRow& row : DockSideTable()) {
    SECDockBar* d = m_dockBars[int(row.side)];
    if (!d) continue;
    const bool horz = IsHorzSide(row.side);
    const int room = std::max(0, (horz ? r.height() : r.width()) - minClient);
    Size s = d->CalcLayout(Size{r.width(), r.height()}, room);
    const int across = std::min(horz ? s.cy : s.cx, std::max(0, horz ? r.height() : r.width()));
    switch (row.side) {
      case DockSide::Top:
        d->setGeometry(r.left(), r.top(), r.width(), across);
        r.setTop(r.top() + across);
        break;
      case DockSide::Bottom:
        d->setGeometry(r.left(), r.bottom() + 1 - across, r.width(), across);
        r.setBottom(r.bottom() - across);
        break;
      case DockSide::Left:
        d->setGeometry(r.left(), r.top(), across, std::max(0, r.height()));
        r.setLeft(r.left() + across);
        break;
      default:
        d->setGeometry(r.right() + 1 - across, r.top(), across, std::max(0, r.height()));
        r.setRight(r.right() - across);
        break;
    }
    d->ApplyLayout();
  }
  m_rectLayout = r;
  PlaceMdiClient(r);
  // The buttons of a maximised child stay above the command bar.
  if (m_maxChildButtons && m_maxChildButtons->isVisible()) m_maxChildButtons->raise();
  m_inLayout = false;
  update();
}

void SECMDIFrameWnd::resizeEvent(QResizeEvent*) { RecalcLayout(); }

void SECMDIFrameWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), SysQColor(SysColor::BtnFace));
}

bool SECMDIFrameWnd::RouteCommand(CommandId id) {
  CommandRouter router;
  std::vector<CommandTarget*> chain;
  if (m_activeBarChild) chain.push_back(m_activeBarChild);
  else if (auto* child = dynamic_cast<CommandTarget*>(m_mdi->activeSubWindow())) chain.push_back(child);
  if (CommandTarget* hook = WorkspaceHook()) chain.push_back(hook);
  chain.push_back(this);
  router.SetChain(chain);
  return router.Route(id);
}

CommandState SECMDIFrameWnd::QueryCommandState(CommandId id) {
  CommandRouter router;
  std::vector<CommandTarget*> chain;
  if (m_activeBarChild) chain.push_back(m_activeBarChild);
  else if (auto* child = dynamic_cast<CommandTarget*>(m_mdi->activeSubWindow())) chain.push_back(child);
  if (CommandTarget* hook = WorkspaceHook()) chain.push_back(hook);
  chain.push_back(this);
  router.SetChain(chain);
  return router.QueryState(id);
}

void SECMDIFrameWnd::OnBarContextMenu(SECControlBar* bar, QMenu* menu) {
  bool mdiChild = bar->IsMDIChildFloat();
  for (QAction* a : menu->actions())
    if (a->data().toUInt() == kIdAllowDocking && mdiChild) a->setEnabled(false);
  if (bar->State().exStyle & SECBAR_EX_MDIFLOAT) {
    menu->addSeparator();
    QAction* a = menu->addAction(ToQString(FrameString(kIdFloatInMainWindow)));
    a->setData(kIdFloatInMainWindow);
    a->setCheckable(true);
    a->setChecked(mdiChild);
    QObject::connect(a, &QAction::triggered, bar, [bar] { bar->OnFloatInMainWindow(); });
  }
}

void SECMDIFrameWnd::closeEvent(QCloseEvent* e) {
  // A close request while the toolbars are customised is ignored: the
  // customisation ends first.
  if (m_infoExSource && m_infoExSource->IsCustomizing()) {
    e->ignore();
    return;
  }
  if (m_closeHook && !m_closeHook()) {
    e->ignore();
    return;
  }
  // Every document window must agree before anything is saved.
  for (QMdiSubWindow* w : m_mdi->subWindowList()) {
    if (dynamic_cast<BarChildHost*>(w)) continue;
    if (!w->close()) {
      e->ignore();
      return;
    }
  }
  for (SECMiniDockFrameWnd* f : m_floating) f->hide();
  e->accept();
}

SECControlBar* SECMDIFrameWnd::CreateDynamicBar(const std::string& className, const std::string& title,
                                               std::uint32_t style, std::uint32_t exStyle, unsigned id) {
  if (!m_barFactory) return nullptr;
  SECControlBar* bar = m_barFactory(className);
  if (!bar) return nullptr;
  if (!bar->Create(this, title, style, exStyle, id)) {
    delete bar;
    return nullptr;
  }
  m_dynamicBars.push_back(bar);
  bar->EnableDocking(CBRS_ALIGN_ANY);
  return bar;
}

}  // namespace pm2
