#include "toolkit/frames/drag_overlay.h"

#include <QPainter>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

DragOverlay::DragOverlay()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
}

void DragOverlay::ShowRect(const QRect& r, Look look) {
  m_look = look;
  setGeometry(r.isEmpty() ? QRect(r.topLeft(), QSize(std::max(1, r.width()), std::max(1, r.height()))) : r);
  if (!isVisible()) show();
  raise();
  update();
}

void DragOverlay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QColor edge = SysQColor(SysColor::Highlight);
  QRect r = rect();
  switch (m_look) {
    case Look::Dock: {
      QColor fill = edge;
      fill.setAlpha(50);
      p.fillRect(r, fill);
      p.setPen(QPen(edge, 2));
      p.drawRect(r.adjusted(1, 1, -1, -1));
      break;
    }
    case Look::Float: {
      QColor fill = SysQColor(SysColor::BtnShadow);
      fill.setAlpha(35);
      p.fillRect(r, fill);
      QColor frame = SysQColor(SysColor::BtnShadow);
      frame.setAlpha(170);
      QBrush hatch(frame, Qt::Dense4Pattern);
      int t = 3;
      p.fillRect(QRect(r.left(), r.top(), r.width(), t), hatch);
      p.fillRect(QRect(r.left(), r.bottom() - t + 1, r.width(), t), hatch);
      p.fillRect(QRect(r.left(), r.top(), t, r.height()), hatch);
      p.fillRect(QRect(r.right() - t + 1, r.top(), t, r.height()), hatch);
      break;
    }
    case Look::Splitter: {
      QColor fill = SysQColor(SysColor::BtnShadow);
      fill.setAlpha(160);
      p.fillRect(r, QBrush(fill, Qt::Dense4Pattern));
      break;
    }
  }
}

}  // namespace pm2
