#include "toolkit/frames/mini_dock_frame.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/mdi_frame.h"

namespace pm2 {

SECMiniDockFrameWnd::SECMiniDockFrameWnd(SECMDIFrameWnd* frame, std::uint32_t barStyle)
    : QWidget(frame, Qt::Tool | Qt::FramelessWindowHint), m_frame(frame) {
  m_inLayout = true;
  setAttribute(Qt::WA_DeleteOnClose, false);
  setMouseTracking(true);
  m_dockBar = new SECDockBar(frame, DockSide::Float, this);
  m_barStyle = barStyle;
  m_inLayout = false;
}

QRect SECMiniDockFrameWnd::CaptionRect() const { return QRect(kBorder, kBorder, width() - 2 * kBorder, kCaption); }

QRect SECMiniDockFrameWnd::CloseButtonRect() const {
  QRect c = CaptionRect();
  return QRect(c.right() - 15, c.top() + 2, 14, c.height() - 4);
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
  if (CloseButtonRect().contains(p)) return 20;
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
  std::vector<SECControlBar*> bars = m_dockBar->Bars();
  setWindowTitle(bars.empty() ? QString() : ToQString(bars.front()->State().title));
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
  QRect tr = c.adjusted(4, 0, -20, 0);
  p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter, p.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, tr.width()));
  QRect b = CloseButtonRect();
  p.fillRect(b, SysQColor(SysColor::BtnFace));
  DrawClassicFrame(p, b, m_closePressed);
  QPen pen(SysQColor(SysColor::BtnText), 1.6);
  p.setPen(pen);
  p.setRenderHint(QPainter::Antialiasing, true);
  int o = m_closePressed ? 1 : 0;
  QRectF gl(b.left() + 4 + o, b.top() + 3 + o, b.width() - 8, b.height() - 7);
  p.drawLine(gl.topLeft(), gl.bottomRight());
  p.drawLine(gl.topRight(), gl.bottomLeft());
}

void SECMiniDockFrameWnd::mousePressEvent(QMouseEvent* e) {
  raise();
  if (e->button() != Qt::LeftButton) return;
  int hit = HitTest(e->position().toPoint());
  std::vector<SECControlBar*> bars = m_dockBar->Bars();
  SECControlBar* first = bars.empty() ? nullptr : bars.front();
  if (hit == 20) {
    m_closePressed = true;
    update();
    return;
  }
  if (!first || !first->DockContext()) return;
  if (hit == 2) first->DockContext()->StartDrag(e->globalPosition().toPoint());
  else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) first->DockContext()->StartResize(hit, e->globalPosition().toPoint());
}

void SECMiniDockFrameWnd::mouseReleaseEvent(QMouseEvent* e) {
  if (m_closePressed) {
    m_closePressed = false;
    update();
    if (HitTest(e->position().toPoint()) == 20) close();
  }
}

void SECMiniDockFrameWnd::mouseMoveEvent(QMouseEvent* e) {
  switch (HitTest(e->position().toPoint())) {
    case HTLEFT: case HTRIGHT: setCursor(Qt::SizeHorCursor); break;
    case HTTOP: case HTBOTTOM: setCursor(Qt::SizeVerCursor); break;
    case HTTOPLEFT: case HTBOTTOMRIGHT: setCursor(Qt::SizeFDiagCursor); break;
    case HTTOPRIGHT: case HTBOTTOMLEFT: setCursor(Qt::SizeBDiagCursor); break;
    default: unsetCursor(); break;
  }
}

void SECMiniDockFrameWnd::mouseDoubleClickEvent(QMouseEvent* e) {
  if (HitTest(e->position().toPoint()) != 2) return;
  std::vector<SECControlBar*> bars = m_dockBar->Bars();
  if (!bars.empty() && bars.front()->DockContext()) bars.front()->DockContext()->ToggleDocking();
}

void SECMiniDockFrameWnd::closeEvent(QCloseEvent* e) {
  // The frame closes by hiding its bars; they live on for the next show.
  e->ignore();
  for (SECControlBar* b : m_dockBar->Bars())
    if (m_frame) m_frame->ShowControlBar(b, false, false);
  hide();
}

void SECMiniDockFrameWnd::moveEvent(QMoveEvent*) {
  for (SECControlBar* b : m_dockBar->Bars()) b->State().mru.floatPos = {x(), y()};
}

}  // namespace pm2
