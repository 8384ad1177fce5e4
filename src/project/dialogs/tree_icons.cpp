#include "project/dialogs/tree_icons.h"

#include <QPainter>

namespace pm2 {

namespace {

QPixmap Blank() {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  return pm;
}

// A maker: a small factory building with a flat roof.
QPixmap Vendor() {
  QPixmap pm = Blank();
  QPainter p(&pm);
  p.setPen(QColor(64, 64, 64));
  p.setBrush(QColor(192, 160, 96));
  p.drawRect(1, 6, 13, 8);
  p.setBrush(QColor(128, 128, 128));
  p.drawRect(10, 1, 3, 5);
  p.fillRect(3, 9, 3, 3, QColor(255, 255, 160));
  p.fillRect(8, 9, 3, 3, QColor(255, 255, 160));
  return pm;
}

// A chip: a dark body with pins on both sides.
QPixmap Chip() {
  QPixmap pm = Blank();
  QPainter p(&pm);
  p.setPen(QColor(160, 160, 160));
  for (int y = 3; y <= 12; y += 3) {
    p.drawLine(1, y, 3, y);
    p.drawLine(12, y, 14, y);
  }
  p.setPen(QColor(0, 0, 0));
  p.setBrush(QColor(48, 48, 64));
  p.drawRect(4, 1, 7, 13);
  p.fillRect(6, 2, 2, 2, QColor(200, 200, 200));
  return pm;
}

QPixmap ClosedBook(const QColor& cover) {
  QPixmap pm = Blank();
  QPainter p(&pm);
  p.setPen(cover.darker(180));
  p.setBrush(cover);
  p.drawRect(3, 1, 10, 13);
  p.fillRect(4, 13, 9, 2, QColor(240, 240, 240));
  p.drawLine(5, 1, 5, 14);
  return pm;
}

QPixmap Page() {
  QPixmap pm = Blank();
  QPainter p(&pm);
  p.setPen(QColor(96, 96, 96));
  p.setBrush(QColor(255, 255, 255));
  p.drawRect(3, 1, 10, 14);
  p.setPen(QColor(64, 96, 192));
  for (int y = 4; y <= 12; y += 2) p.drawLine(5, y, 11, y);
  return pm;
}

}  // namespace

ImageStrip DeviceTreeImages() {
  ImageStrip s;
  s.images = {Vendor(), Vendor(), Chip()};
  return s;
}

ImageStrip BookTreeImages() {
  ImageStrip s;
  s.images = {ClosedBook(QColor(160, 32, 32)), Page()};
  return s;
}

HTREEITEM InsertTreeRow(SECTreeCtrl* tree, const std::string& text, HTREEITEM parent, int image,
                        std::intptr_t data) {
  TreeInsert ins;
  ins.parent = parent;
  ins.insertAfter = TVI_LAST();
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  ins.item.text = text;
  ins.item.image = ins.item.selectedImage = image;
  ins.item.param = data;
  return tree->InsertItem(ins);
}

}  // namespace pm2
