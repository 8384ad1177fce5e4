#pragma once
// SECMemDC: an off-screen painter. It takes the target painter's mapping
// (its world transform), so callers draw in the target's logical
// coordinates; the drawing lands in an image of the target rectangle's
// device size, and the destructor copies that image onto the target at the
// same place. Pixels not drawn leave the target as it was.

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QTransform>
#include <stdexcept>

namespace pm2 {

// Raised when an off-screen painter cannot be made (no target, no image).
class SECResourceException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SECMemDC : public QPainter {
 public:
  // `rect` is in the target's logical coordinates.
  SECMemDC(QPainter* target, const QRect& rect);
  ~SECMemDC();
  SECMemDC(const SECMemDC&) = delete;
  SECMemDC& operator=(const SECMemDC&) = delete;

  // Where the copy lands on the target's device.
  QRect DeviceRect() const { return m_device; }

 private:
  QPainter* m_target;
  QTransform m_mapping;  // the target's mapping, saved at construction
  QRect m_device;
  QImage m_image;
};

}  // namespace pm2
