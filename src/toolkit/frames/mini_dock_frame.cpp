#include "toolkit/frames/mini_dock_frame.h"

#include <QCloseEvent>
#include <QCursor>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/frame_strings.h"
#include "toolkit/frames/mdi_frame.h"

namespace pm2 {

namespace {
constexpr int kHitClose = 20;
constexpr int kMenuMoveStep = 8;  // pixels an arrow key moves the frame in Move

// The floating frame's system menu, top to bottom (command 0: a separator).
// Hide stands where the system puts Close: closing only hides the bars.
struct MiniFrameSysMenuRow {
  unsigned cmd;
  const char* text;  // the system's own text, or null for the string below
  unsigned textId;
};
constexpr MiniFrameSysMenuRow kMiniFrameSysMenu[] = {
    {SC_MOVE_CMD, "&Move", 0},
    {0, nullptr, 0},
    {SC_CLOSE_CMD, nullptr, kIdsCloseFloating},
};

// The caption metrics that give the frame its border, its small caption
// and a close button of 14 by 14 pixels.
CaptionMetrics MiniFrameMetrics() {
  CaptionMetrics m;
  m.cxFrame = m.cyFrame = SECMiniDockFrameWnd::kBorder;
  m.cySmCaption = SECMiniDockFrameWnd::kCaption + m.cyBorder;
  m.cxSmSize = 16;
  m.cySmSize = 18;
  return m;
}
}  // namespace

SECMiniDockFrameWnd::SECMiniDockFrameWnd(SECMDIFrameWnd* frame, std::uint32_t barStyle)
    : QWidget(frame, Qt::Tool | Qt::FramelessWindowHint),
      m_frame(frame),
      m_fw(this, WS_CAPTION_BITS | WS_SYSMENU_BIT | WS_THICKFRAME_BIT, WS_EX_TOOLWINDOW_BIT) {
  m_inLayout = true;
  setAttribute(Qt::WA_DeleteOnClose, false);
  setMouseTracking(true);
  m_dockBar = new SECDockBar(frame, DockSide::Float, this);
  m_dockBar->SetFloatMulti(barStyle & CBRS_FLOAT_MULTI);
  m_barStyle = barStyle;
  m_fw.SetMetrics(MiniFrameMetrics());
  m_fw.SetSender([this](unsigned m, std::uintptr_t w, std::intptr_t l) { return DefWindowProc(m, w, l); },
                 [this](unsigned m, std::uintptr_t w, std::intptr_t l) { return DefWindowProc(m, w, l); });
  // One caption-button list; the tool-window rules leave close alone.
  m_filters = std::make_unique<SECMsgFilter>(&m_fw, -1);
  m_filters->ApplyDescriptor({256, -1, MakeFilter<SECCaptionControlListMsgFilter>(), 1}, true);
  m_inLayout = false;
}

QMenu* SECMiniDockFrameWnd::SystemMenu() {
  if (m_sysMenu) return m_sysMenu;
  m_sysMenu = new QMenu(this);
  for (const MiniFrameSysMenuRow& row : kMiniFrameSysMenu) {
    if (!row.cmd) {
      m_sysMenu->addSeparator();
      continue;
    }
    QAction* a = m_sysMenu->addAction(ToQString(row.text ? std::string(row.text) : FrameString(row.textId)));
    a->setData(row.cmd);
  }
  connect(m_sysMenu, &QMenu::triggered, this, [this](QAction* a) { SysCommand(a->data().toUInt()); });
  return m_sysMenu;
}

void SECMiniDockFrameWnd::SysCommand(unsigned cmd) {
  if (cmd == SC_CLOSE_CMD) {
    close();
  } else if (cmd == SC_MOVE_CMD && !m_menuMove && isVisible()) {
    // As the system does, the pointer goes to the middle of the caption
    // and the frame keeps that point under it.
    m_menuMove = true;
    m_menuMoveStart = pos();
    const QPoint grip = mapToGlobal(CaptionRect().center());
    QCursor::setPos(grip);
    m_menuGrab = grip - pos();
    grabMouse(Qt::SizeAllCursor);
    grabKeyboard();
  }
}

void SECMiniDockFrameWnd::EndMenuMove(bool keep) {
  if (!m_menuMove) return;
  m_menuMove = false;
  releaseMouse();
  releaseKeyboard();
  if (!keep) move(m_menuMoveStart);
}

void SECMiniDockFrameWnd::keyPressEvent(QKeyEvent* e) {
  if (!m_menuMove) {
    QWidget::keyPressEvent(e);
    return;
  }
  switch (e->key()) {
    case Qt::Key_Escape: EndMenuMove(false); break;
    case Qt::Key_Return: case Qt::Key_Enter: EndMenuMove(true); break;
    case Qt::Key_Left: move(x() - kMenuMoveStep, y()); break;
    case Qt::Key_Right: move(x() + kMenuMoveStep, y()); break;
    case Qt::Key_Up: move(x(), std::max(0, y() - kMenuMoveStep)); break;
    case Qt::Key_Down: move(x(), y() + kMenuMoveStep); break;
    default: break;
  }
}

std::intptr_t SECMiniDockFrameWnd::DefWindowProc(unsigned msg, std::uintptr_t wParam, std::intptr_t) {
  if (msg == wm::SysCommand && wParam == SC_CLOSE_CMD) close();
  return 0;
}

SECCaptionControlListMsgFilter* SECMiniDockFrameWnd::CaptionButtons() const {
  return dynamic_cast<SECCaptionControlListMsgFilter*>(m_filters->FindFilter(256, nullptr, 0));
}

unsigned SECMiniDockFrameWnd::Give(unsigned msg, std::uintptr_t wParam, QPoint point) {
  return m_filters->Filter(FilterMessage{msg, wParam, 0, Point{point.x(), point.y()}}, nullptr);
}

void SECMiniDockFrameWnd::SetSysMenu(bool on) {
  const std::uint32_t style = m_fw.Style();
  m_fw.SetStyle(on ? style | WS_SYSMENU_BIT : style & ~WS_SYSMENU_BIT, m_fw.ExStyle());
  update();
}

bool SECMiniDockFrameWnd::HasSysMenu() const { return m_fw.Style() & WS_SYSMENU_BIT; }

QRect SECMiniDockFrameWnd::CaptionRect() const {
  SECCaptionMsgFilter caption(const_cast<QtFilterWindow*>(&m_fw));
  return ToQRect(caption.GetCaptionRect());
}

QRect SECMiniDockFrameWnd::CloseButtonRect() const {
  SECCaptionControlListMsgFilter* list = CaptionButtons();
  if (!list) return {};
  list->LayoutControls();
  auto* close = dynamic_cast<SECCaptionControlMsgFilter*>(list->FindFilter(kCapClose, nullptr, 0));
  return close && close->IsEnabled() ? ToQRect(close->ButtonRect()) : QRect();
}

int SECMiniDockFrameWnd::HitTest(QPoint p) const {
  if (!rect().contains(p)) return 0;
  const int corner = 12;
  bool l = p.x() < kBorder, r = p.x() >= width() - kBorder, t = p.y() < kBorder, b = p.y() >= height() - kBorder;
  bool nearL = p.x() < corner, nearR = p.x() >= width() - corner, nearT = p.y() < corner, nearB = p.y() >= height() - corner;
  if ((t && nearL) || (l && nearT)) return HTTOPLEFT;
  if ((t && nearR) || (r && nearT)) return HTTOPRIGHT;
  if ((b && nearL) || (l && nearB)) return HTBOTTOMLEFT;
  if ((b && nearR) || (r && nearB)) return HTBOTTOMRIGHT;
  if (l) return HTLEFT;
  if (r) return HTRIGHT;
  if (t) return HTTOP;
  if (b) return HTBOTTOM;
  if (CloseButtonRect().contains(p)) return kHitClose;
  if (CaptionRect().contains(p)) return 2;
  return 1;
}

void SECMiniDockFrameWnd::RecalcLayout() {
  if (m_inLayout) return;
  m_inLayout = true;
  Size s = m_dockBar->CalcLayout(Size{32767, 32767});
  QSize want(s.cx + 2 * kBorder, s.cy + 2 * kBorder + kCaption);
  if (size() != want) resize(want);
  m_dockBar->setGeometry(kBorder, kBorder + kCaption, s.cx, s.cy);
  m_dockBar->ApplyLayout();
  setWindowTitle(ToQString(m_dockBar->Text()));
  m_inLayout = false;
  update();
}

void SECMiniDockFrameWnd::RecalcLayoutAt(int x, int y) {
  RecalcLayout();
  move(x, std::max(0, y));
}

void SECMiniDockFrameWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QRect r = rect();
  p.fillRect(r, SysQColor(SysColor::BtnFace));
  DrawClassicFrame(p, r, false);
  QRect c = CaptionRect();
  bool active = isActiveWindow() || (m_frame && m_frame->isActiveWindow());
  QColor from = SysQColor(active ? SysColor::ActiveCaption : SysColor::InactiveCaption);
  QColor to = SysQColor(active ? SysColor::GradientActiveCaption : SysColor::GradientInactiveCaption);
  QLinearGradient g(c.topLeft(), c.topRight());
  g.setColorAt(0, from);
  g.setColorAt(1, to);
  p.fillRect(c, g);
  QFont f = DefaultGuiFont();
  f.setBold(true);
  p.setFont(f);
  p.setPen(SysQColor(active ? SysColor::CaptionText : SysColor::InactiveCaptionText));
  SECCaptionControlListMsgFilter* list = CaptionButtons();
  int textRight = c.right() - 2;
  if (list) {
    list->LayoutControls();
    for (const auto& f : list->Children()) {
      auto* ctl = dynamic_cast<SECCaptionControlMsgFilter*>(f.get());
      if (ctl && ctl->IsEnabled() && !ctl->ButtonRect().IsEmpty()) textRight = std::min(textRight, ctl->ButtonRect().left - 2);
    }
  }
  QRect tr(c.left() + 4, c.top(), textRight - c.left() - 4, c.height());
  p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter, p.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, tr.width()));
  if (list)
    for (const auto& f : list->Children()) {
      auto* ctl = dynamic_cast<SECCaptionControlMsgFilter*>(f.get());
      if (ctl && ctl->IsEnabled() && !ctl->ButtonRect().IsEmpty())
        PaintCaptionButton(p, ToQRect(ctl->ButtonRect()), ctl->Type(), ctl->State());
    }
}

void SECMiniDockFrameWnd::mousePressEvent(QMouseEvent* e) {
  if (m_menuMove) {
    // A left click puts the frame down where it is; the right button
    // takes the move back.
    EndMenuMove(e->button() == Qt::LeftButton);
    return;
  }
  raise();
  const QPoint local = e->position().toPoint(), global = e->globalPosition().toPoint();
  const int hit = HitTest(local);
  // The caption buttons see presses on the caption first.
  if (hit == kHitClose || hit == kHitCaption) {
    const unsigned msg = e->button() == Qt::RightButton ? wm::NcRButtonDown : wm::NcLButtonDown;
    if (Give(msg, kHitCaption, global) & kFilterHandled) return;
  }
  // The system menu opens when the right button comes up on the caption.
  m_rightOnCaption = e->button() == Qt::RightButton && hit == kHitCaption;
  if (e->button() != Qt::LeftButton) return;
  // A frame of several bars moves as a window by its caption; its bars
  // leave it by a drag of their own.
  if (hit == kHitCaption && m_dockBar->IsFloatMulti()) {
    m_moveGrab = global - pos();
    m_moving = true;
    return;
  }
  std::vector<SECControlBar*> bars = m_dockBar->Bars();
  SECControlBar* first = bars.empty() ? nullptr : bars.front();
  if (!first || !first->DockContext()) return;
  if (hit == kHitCaption) first->DockContext()->StartDrag(global);
  else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) first->DockContext()->StartResize(hit, global);
}

void SECMiniDockFrameWnd::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton && m_rightOnCaption) {
    m_rightOnCaption = false;
    // A frame without a system menu (the menu bar's) offers none.
    if (HitTest(e->position().toPoint()) == kHitCaption && HasSysMenu())
      SystemMenu()->popup(e->globalPosition().toPoint());
    return;
  }
  if (m_moving && e->button() == Qt::LeftButton) {
    m_moving = false;
    return;
  }
  // Client points: the client area starts at the window's corner here.
  if (e->button() == Qt::LeftButton) Give(wm::LButtonUp, 0, e->position().toPoint());
}

void SECMiniDockFrameWnd::mouseMoveEvent(QMouseEvent* e) {
  if (m_menuMove) {
    const QPoint to = e->globalPosition().toPoint() - m_menuGrab;
    move(to.x(), std::max(0, to.y()));
    return;
  }
  if (m_moving) {
    QPoint to = e->globalPosition().toPoint() - m_moveGrab;
    move(to.x(), std::max(0, to.y()));
    return;
  }
  if (Give(wm::MouseMove, 0, e->position().toPoint()) & kFilterHandled) return;
  switch (HitTest(e->position().toPoint())) {
    case HTLEFT: case HTRIGHT: setCursor(Qt::SizeHorCursor); break;
    case HTTOP: case HTBOTTOM: setCursor(Qt::SizeVerCursor); break;
    case HTTOPLEFT: case HTBOTTOMRIGHT: setCursor(Qt::SizeFDiagCursor); break;
    case HTTOPRIGHT: case HTBOTTOMLEFT: setCursor(Qt::SizeBDiagCursor); break;
    default: unsetCursor(); break;
  }
}

void SECMiniDockFrameWnd::mouseDoubleClickEvent(QMouseEvent* e) {
  if (HitTest(e->position().toPoint()) != kHitCaption || m_dockBar->IsFloatMulti()) return;
  std::vector<SECControlBar*> bars = m_dockBar->Bars();
  if (!bars.empty() && bars.front()->DockContext()) bars.front()->DockContext()->ToggleDocking();
}

void SECMiniDockFrameWnd::closeEvent(QCloseEvent* e) {
  // The frame closes by hiding its bars; they live on for the next show.
  // A frame without a system menu cannot be closed.
  e->ignore();
  if (!HasSysMenu()) return;
  EndMenuMove(false);
  for (SECControlBar* b : m_dockBar->Bars())
    if (m_frame) m_frame->ShowControlBar(b, false, false);
  hide();
}

void SECMiniDockFrameWnd::hideEvent(QHideEvent* e) {
  // A frame hidden in the middle of Move (its bar hidden by a command) lets
  // go of the mouse and the keyboard where it is.
  EndMenuMove(true);
  QWidget::hideEvent(e);
}

void SECMiniDockFrameWnd::moveEvent(QMoveEvent*) {
  for (SECControlBar* b : m_dockBar->Bars()) b->State().mru.floatPos = {x(), y()};
}

}  // namespace pm2
