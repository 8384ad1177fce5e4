#include "toolkit/controls/value_tip.h"

#include <QCursor>
#include <QFontMetrics>
#include <QPainter>

namespace pm2 {

TipDrag& ValueTip::Drag() {
  static TipDrag drag;
  return drag;
}

ValueTip::ValueTip(QWidget* owner, const QFont& font)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("ValueTip");
  setFont(font);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setGeometry(300, 200, 20, 20);
  hide();
  Drag().firstShow = true;
}

void ValueTip::ShowText(const QString& text) { ShowTextAt(text, QCursor::pos()); }

void ValueTip::ShowTextAt(const QString& text, QPoint pointer) {
  if (!parentWidget()) return;
  m_text = text;
  QFontMetrics fm(font());
  const TipRect r = PlaceValueTip(Drag(), pointer.x(), pointer.y(), fm.horizontalAdvance(text), fm.height());
  setGeometry(r.left, r.top, r.width, r.height);
  show();
  repaint();
}

void ValueTip::Hide() {
  hide();
  Drag().firstShow = true;
}

void ValueTip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.save();
  p.fillRect(rect(), QColor(0, 128, 0));
  p.setPen(QColor(0, 0, 0));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.setPen(QColor(255, 255, 255));
  p.setFont(font());
  p.drawText(rect(), Qt::AlignCenter, m_text);
  p.restore();
}

}  // namespace pm2
