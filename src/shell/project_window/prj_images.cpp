#include "shell/project_window/prj_images.h"

#include <QPainter>
#include <QPainterPath>

#include "shell/project_window/project_tree_model.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

namespace {

constexpr int kW = 18, kH = 16;

// The classic 16-colour palette the artwork uses.
const QColor kYellow(255, 255, 0), kDarkYellow(128, 128, 0), kBlack(0, 0, 0), kWhite(255, 255, 255),
    kGrey(128, 128, 128), kRed(255, 0, 0), kDarkRed(128, 0, 0), kBlue(0, 0, 128), kGreen(0, 128, 0);

void Folder(QPainter& p, bool open, bool options) {
  p.setPen(kBlack);
  p.setBrush(kDarkYellow);
  p.drawRect(1, 3, 6, 2);
  if (!open) {
    p.setBrush(kYellow);
    p.drawRect(1, 4, 14, 9);
  } else {
    p.setBrush(kDarkYellow);
    p.drawRect(1, 4, 13, 9);
    QPainterPath front;
    front.moveTo(4, 7);
    front.lineTo(17, 7);
    front.lineTo(14, 13);
    front.lineTo(1, 13);
    front.closeSubpath();
    p.setBrush(kYellow);
    p.drawPath(front);
  }
  if (options) {  // a small sheet of settings on the folder
    p.setBrush(kWhite);
    p.setPen(kBlue);
    p.drawRect(11, 0, 6, 7);
    p.drawLine(12, 2, 16, 2);
    p.drawLine(12, 4, 16, 4);
  }
}

// kind: 0 not translated, 1 translated; options: a block of its own.
void File(QPainter& p, bool translated, bool options, bool readOnly) {
  QPainterPath page;
  page.moveTo(3, 1);
  page.lineTo(10, 1);
  page.lineTo(13, 4);
  page.lineTo(13, 15);
  page.lineTo(3, 15);
  page.closeSubpath();
  p.setPen(kBlack);
  p.setBrush(kWhite);
  p.drawPath(page);
  p.drawLine(10, 1, 10, 4);
  p.drawLine(10, 4, 13, 4);
  p.setPen(translated ? kBlue : kGrey);
  for (int y = 6; y <= 12; y += 2) p.drawLine(5, y, 11, y);
  if (options) {
    p.setPen(kBlack);
    p.setBrush(kGreen);
    p.drawRect(12, 9, 5, 6);
    p.setPen(kWhite);
    p.drawLine(13, 11, 16, 11);
    p.drawLine(13, 13, 16, 13);
  }
  if (readOnly) {  // a padlock
    p.setPen(kBlack);
    p.setBrush(kDarkYellow);
    p.drawRect(0, 10, 5, 5);
    p.setBrush(Qt::NoBrush);
    p.drawArc(1, 7, 3, 6, 0, 180 * 16);
  }
}

void Missing(QPainter& p) {
  File(p, false, false, false);
  QPen pen(kRed, 2);
  p.setPen(pen);
  p.drawLine(4, 4, 14, 14);
  p.drawLine(14, 4, 4, 14);
  (void)kDarkRed;
}

// The register page's tab: a chip with its pins.
void Chip(QPainter& p) {
  p.setPen(kBlack);
  for (int x = 4; x <= 11; x += 2) {
    p.drawLine(x, 1, x, 3);
    p.drawLine(x, 12, x, 14);
  }
  p.setBrush(kGrey);
  p.drawRect(2, 3, 11, 9);
  p.setPen(kWhite);
  p.drawLine(4, 5, 6, 5);
}

// The books page's tab: a closed book seen from the front.
void Book(QPainter& p) {
  p.setPen(kBlack);
  p.setBrush(kBlue);
  p.drawRect(3, 1, 10, 13);
  p.setBrush(kWhite);
  p.drawRect(4, 12, 9, 2);
  p.setPen(kWhite);
  p.drawLine(5, 4, 11, 4);
  p.drawLine(5, 6, 9, 6);
}

}  // namespace

QIcon ProjectBarTabIcon(int page) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  if (page == 0)
    Folder(p, false, false);
  else if (page == 1)
    Chip(p);
  else
    Book(p);
  p.end();
  return QIcon(pm);
}

std::shared_ptr<ImageStrip> ProjectTreeImages() {
  auto strip = std::make_shared<ImageStrip>();
  for (int i = 0; i < kProjectImageCount; ++i) {
    QPixmap pm(kW, kH);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    if (i < 4) {
      Folder(p, i & 1, i >= 2);
    } else if (i < 12) {
      int k = (i - 4) & 3;  // 0 not translated, 1 translated, 2 excluded with block, 3 translated with block
      File(p, k == 1 || k == 3, k >= 2, i >= 8);
    } else {
      Missing(p);
    }
    p.end();
    strip->images.push_back(pm);
  }
  return strip;
}

}  // namespace pm2
