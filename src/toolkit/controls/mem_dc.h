#pragma once
// SECMemDC: an off-screen painter. Drawing goes into a pixmap of the target
// rectangle in the target's logical coordinates; the destructor copies it
// onto the target painter at the same place.

#include <QPainter>
#include <QPixmap>
#include <QRect>

namespace pm2 {

class SECMemDC : public QPainter {
 public:
  SECMemDC(QPainter* target, const QRect& rect)
      : m_target(target), m_rect(rect), m_pixmap(rect.size().expandedTo(QSize(1, 1))) {
    m_pixmap.fill(Qt::transparent);
    begin(&m_pixmap);
    translate(-rect.topLeft());
  }
  ~SECMemDC() {
    end();
    if (m_target) m_target->drawPixmap(m_rect.topLeft(), m_pixmap);
  }
  SECMemDC(const SECMemDC&) = delete;
  SECMemDC& operator=(const SECMemDC&) = delete;

 private:
  QPainter* m_target;
  QRect m_rect;
  QPixmap m_pixmap;
};

}  // namespace pm2
