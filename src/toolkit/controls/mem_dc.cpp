#include "toolkit/controls/mem_dc.h"

namespace pm2 {

SECMemDC::SECMemDC(QPainter* target, const QRect& rect) : m_target(target) {
  if (!target || !target->isActive()) throw SECResourceException("SECMemDC: the target painter is not active");
  m_mapping = target->worldTransform();
  m_device = m_mapping.mapRect(rect);
  m_image = QImage(m_device.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
  if (m_image.isNull()) throw SECResourceException("SECMemDC: no off-screen image of the target's size");
  m_image.fill(Qt::transparent);
  begin(&m_image);
  // Device position of the image's origin taken off, then the target's own
  // mapping: a logical point lands where it would have on the target.
  setWorldTransform(m_mapping * QTransform::fromTranslate(-m_device.left(), -m_device.top()));
  setFont(target->font());
}

SECMemDC::~SECMemDC() {
  end();
  m_target->save();
  m_target->setWorldTransform(QTransform());
  m_target->drawImage(m_device.topLeft(), m_image);
  m_target->restore();
}

}  // namespace pm2
