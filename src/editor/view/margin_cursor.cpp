#include "editor/view/margin_cursor.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace pm2 {

namespace {

// The ordinary arrow's outline mirrored left to right: tip at the top
// right, the tail pointing down and to the left.
constexpr int kTipX = 12;
constexpr int kArrow[][2] = {{0, 0}, {0, 16}, {4, 12}, {7, 19}, {9, 18}, {6, 11}, {11, 11}};

QCursor MakeMarginCursor() {
  QPixmap image(32, 32);
  image.fill(Qt::transparent);
  QPolygon outline;
  for (const auto& pt : kArrow) outline << QPoint(kTipX - pt[0], pt[1]);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawPolygon(outline);
  p.end();
  return QCursor(image, kTipX, 0);
}

}  // namespace

const QCursor& EditMarginCursor() {
  static const QCursor cursor = MakeMarginCursor();
  return cursor;
}

}  // namespace pm2
