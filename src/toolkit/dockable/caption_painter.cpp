#include "toolkit/dockable/caption_painter.h"

#include <QPainter>
#include <QTimer>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

void PaintCaptionButton(QPainter& p, const QRect& r, unsigned type, unsigned state) {
  p.save();
  const bool pushed = state & DFCS_PUSHED_BIT, inactive = state & DFCS_INACTIVE_BIT;
  p.fillRect(r, SysQColor(SysColor::BtnFace));
  // Raised edge, sunken when pushed.
  const QColor tl = SysQColor(pushed ? SysColor::BtnShadow : SysColor::BtnHighlight);
  const QColor br = SysQColor(pushed ? SysColor::BtnHighlight : SysColor::BtnShadow);
  p.setPen(tl);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(br);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  QRect g = r.adjusted(3, 3, -3, -3);
  if (pushed) g.translate(1, 1);
  p.setPen(QPen(SysQColor(inactive ? SysColor::GrayText : SysColor::BtnText), 1));
  const unsigned kind = state & 0xFF;
  if (type == 3) {  // the placement button: an arrow pointing down
    const int cx = g.center().x(), top = g.top() + g.height() / 3;
    for (int i = 0; i < 4; ++i) p.drawLine(cx - 3 + i, top + i, cx + 3 - i, top + i);
  } else if (kind == kCapClose) {
    p.drawLine(g.topLeft(), g.bottomRight());
    p.drawLine(g.topLeft() + QPoint(1, 0), g.bottomRight() + QPoint(0, -1));
    p.drawLine(g.bottomLeft(), g.topRight());
    p.drawLine(g.bottomLeft() + QPoint(1, 0), g.topRight() + QPoint(0, 1));
  } else if (kind == kCapMinimize) {
    p.drawLine(g.left(), g.bottom(), g.right() - 2, g.bottom());
    p.drawLine(g.left(), g.bottom() - 1, g.right() - 2, g.bottom() - 1);
  } else if (kind == kCapMaximize) {
    p.drawRect(g.adjusted(0, 0, -1, -1));
    p.drawLine(g.left(), g.top() + 1, g.right() - 1, g.top() + 1);
  } else if (kind == kCapRestore) {
    p.drawRect(g.adjusted(2, 0, -1, -3));
    p.fillRect(g.adjusted(0, 3, -3, 0), SysQColor(SysColor::BtnFace));
    p.drawRect(g.adjusted(0, 3, -3, -1));
  } else if (kind == kCapHelp) {
    p.drawText(g, Qt::AlignCenter, "?");
  }
  p.restore();
}

Point QtFilterWindow::WindowOrigin() const {
  if (!m_w) return {};
  const QPoint g = m_w->mapToGlobal(m_origin);
  return Point{g.x(), g.y()};
}

Point QtFilterWindow::ClientOrigin() const {
  const Point o = WindowOrigin();
  return Point{o.x + m_client.x(), o.y + m_client.y()};
}

void QtFilterWindow::DrawFrameControl(const Rect&, unsigned, unsigned) {
  // The widget paints its buttons from their filters' state.
  if (m_w) m_w->update();
}

void QtFilterWindow::SetCapture(bool on) {
  if (!m_w) return;
  if (on) m_w->grabMouse();
  else m_w->releaseMouse();
}

void QtFilterWindow::PostMessage(unsigned msg, std::uintptr_t w, std::intptr_t l) {
  if (!m_post || !m_w) return;
  QPointer<QWidget> guard = m_w;
  Sender post = m_post;
  QTimer::singleShot(0, m_w, [guard, post, msg, w, l] {
    if (guard) post(msg, w, l);
  });
}

std::intptr_t QtFilterWindow::SendMessage(unsigned msg, std::uintptr_t w, std::intptr_t l) {
  return m_send ? m_send(msg, w, l) : 0;
}

namespace {
struct QtTimer : FilterTimer {
  std::unique_ptr<QTimer> timer;
};
}  // namespace

std::unique_ptr<FilterTimer> QtFilterWindow::StartTimer(int ms, std::function<void()> fire) {
  if (!m_w) return nullptr;
  auto t = std::make_unique<QtTimer>();
  t->timer = std::make_unique<QTimer>();
  t->timer->setSingleShot(true);
  QObject::connect(t->timer.get(), &QTimer::timeout, [fire] { fire(); });
  t->timer->start(ms);
  return t;
}

}  // namespace pm2
