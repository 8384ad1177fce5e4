#include "browser/ui/browser_images.h"

#include <QPainter>
#include <QPolygon>

namespace pm2 {
namespace {

QPixmap Blank() {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  return pm;
}

// A text line with a boxed letter in front.
QPixmap Letter(char letter, const QColor& colour) {
  QPixmap pm = Blank();
  QPainter p(&pm);
  p.setPen(colour.darker(150));
  p.setBrush(colour);
  p.drawRect(0, 2, 10, 11);
  p.setPen(Qt::white);
  QFont f;
  f.setPixelSize(10);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRect(0, 2, 11, 12), Qt::AlignCenter, QString(QChar(letter)));
  p.setPen(QColor(96, 96, 96));
  p.drawLine(12, 6, 15, 6);
  p.drawLine(12, 9, 15, 9);
  return pm;
}

QPixmap SourceFile() {
  QPixmap pm = Blank();
  QPainter p(&pm);
  p.setPen(QColor(96, 96, 96));
  p.setBrush(Qt::white);
  p.drawPolygon(QPolygon({QPoint(2, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(2, 14)}));
  p.setPen(QColor(0, 0, 160));
  for (int y = 5; y <= 11; y += 3) p.drawLine(4, y, 11, y);
  return pm;
}

// A function box with an arrow leaving it (calls) or coming in (callers).
QPixmap GraphNode(bool outgoing) {
  QPixmap pm = Blank();
  QPainter p(&pm);
  p.setPen(QColor(0, 64, 0));
  p.setBrush(outgoing ? QColor(96, 192, 96) : QColor(96, 160, 224));
  p.drawRect(1, 4, 8, 8);
  p.setPen(QPen(QColor(0, 0, 0), 1));
  if (outgoing) {
    p.drawLine(9, 8, 15, 8);
    p.drawLine(12, 5, 15, 8);
    p.drawLine(12, 11, 15, 8);
  } else {
    p.drawLine(15, 8, 9, 8);
    p.drawLine(12, 5, 9, 8);
    p.drawLine(12, 11, 9, 8);
  }
  return pm;
}

QPixmap SortMark(bool descending) {
  QPixmap pm = Blank();
  QPainter p(&pm);
  p.setPen(QColor(64, 64, 64));
  p.setBrush(QColor(128, 128, 128));
  if (descending)
    p.drawPolygon(QPolygon({QPoint(3, 5), QPoint(12, 5), QPoint(7, 11)}));
  else
    p.drawPolygon(QPolygon({QPoint(3, 11), QPoint(12, 11), QPoint(7, 5)}));
  return pm;
}

}  // namespace

ImageStrip BrowserResultImages() {
  ImageStrip s;
  s.images = {Letter('D', QColor(0, 96, 192)), Letter('R', QColor(192, 48, 48)), SourceFile(), GraphNode(true),
              GraphNode(false)};
  return s;
}

ImageStrip BrowserSortImages() {
  ImageStrip s;
  s.images = {SortMark(false), SortMark(true)};
  return s;
}

}  // namespace pm2
