// Pictures of the shortcut bar in its states: large and small icons, a hot
// and a pressed item, scrolled with both scroll buttons, and a drag
// hovering over a gap with the insertion marker. Usage:
// toolkit_shortcut_bar_gallery <output folder>; exits non-zero when a
// picture could not be written.

#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>

#include "toolkit/shortcut_bar/shortcut_list_ctrl.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

// Icons in the manner of an IDE's: a document, a hammer, a bug, a chip,
// a book and a gear, drawn at `size` pixels.
ImageStrip MakeIcons(int size) {
  ImageStrip strip;
  const double s = size / 32.0;
  for (int kind = 0; kind < 6; ++kind) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(s, s);
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    switch (kind) {
      case 0: {  // project document
        QPolygonF page({{7, 3}, {20, 3}, {26, 9}, {26, 29}, {7, 29}});
        p.setBrush(QColor(250, 250, 240));
        p.drawPolygon(page);
        p.setBrush(QColor(210, 210, 200));
        p.drawPolygon(QPolygonF({{20, 3}, {20, 9}, {26, 9}}));
        p.setPen(QPen(QColor(60, 90, 180), 1.5));
        for (int y = 13; y <= 25; y += 4) p.drawLine(10, y, 23, y);
        break;
      }
      case 1: {  // build hammer
        p.setBrush(QColor(150, 100, 50));
        p.save();
        p.translate(16, 16);
        p.rotate(-45);
        p.drawRect(QRectF(-2, -4, 4, 18));
        p.setBrush(QColor(150, 150, 160));
        p.drawRect(QRectF(-8, -11, 16, 7));
        p.restore();
        break;
      }
      case 2: {  // debug bug
        p.setBrush(QColor(200, 50, 40));
        p.drawEllipse(QRectF(9, 9, 14, 18));
        p.setBrush(QColor(40, 40, 40));
        p.drawEllipse(QRectF(11, 4, 10, 8));
        for (int y : {13, 18, 23}) {
          p.drawLine(9, y, 4, y - 2);
          p.drawLine(23, y, 28, y - 2);
        }
        p.drawLine(16, 10, 16, 27);
        break;
      }
      case 3: {  // flash chip
        p.setBrush(QColor(50, 50, 60));
        p.drawRect(QRectF(8, 8, 16, 16));
        p.setPen(QPen(QColor(190, 170, 60), 2));
        for (int i = 10; i <= 22; i += 4) {
          p.drawLine(i, 4, i, 8);
          p.drawLine(i, 24, i, 28);
          p.drawLine(4, i, 8, i);
          p.drawLine(24, i, 28, i);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 200, 90));
        p.drawEllipse(QRectF(11, 11, 4, 4));
        break;
      }
      case 4: {  // books
        const QColor colours[] = {QColor(60, 110, 190), QColor(60, 150, 80), QColor(190, 140, 50)};
        for (int i = 0; i < 3; ++i) {
          p.setBrush(colours[i]);
          p.drawRect(QRectF(6 + i * 7, 5 + i * 2, 6, 23 - i * 2));
        }
        break;
      }
      default: {  // gear
        QPainterPath path;
        for (int i = 0; i < 8; ++i) {
          p.save();
          p.translate(16, 16);
          p.rotate(i * 45);
          p.setBrush(QColor(120, 120, 130));
          p.drawRect(QRectF(-2.5, -14, 5, 6));
          p.restore();
        }
        p.setBrush(QColor(150, 150, 160));
        p.drawEllipse(QRectF(6, 6, 20, 20));
        p.setBrush(QColor(230, 230, 230));
        p.drawEllipse(QRectF(12, 12, 8, 8));
        break;
      }
    }
    strip.images.push_back(pm);
  }
  return strip;
}

const char* kLabels[] = {"Project", "Build Output", "Debug Session", "Flash Download", "Books", "Tools",
                         "Source Browser", "Find in Files"};

SECShortcutListCtrl* MakeBar(bool large, int height) {
  auto* bar = new SECShortcutListCtrl(nullptr, large ? LVS_ICON : LVS_REPORT);
  bar->resize(large ? 110 : 150, height);
  bar->SetImages(ImageListKind::Normal, MakeIcons(32));
  bar->SetImages(ImageListKind::Small, MakeIcons(16));
  for (int i = 0; i < 8; ++i) bar->InsertItemImage(i, kLabels[i], i % 6);
  bar->RecalcLayout();
  return bar;
}

struct Shot {
  const char* name;
  std::function<SECShortcutListCtrl*()> make;
};

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  using namespace pm2;
  QApplication app(argc, argv);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery/shortcut_bar");
  QDir().mkpath(dir);
  static std::unique_ptr<QMimeData> dragData;
  const Shot shots[] = {
      {"shortcut_bar_large", [] { return MakeBar(true, 420); }},
      {"shortcut_bar_large_hot",
       [] {
         auto* bar = MakeBar(true, 420);
         bar->SetItemHotState(1, kShortcutHot);
         bar->SetItemHotState(2, kShortcutPressed);
         return bar;
       }},
      {"shortcut_bar_small", [] { return MakeBar(false, 170); }},
      {"shortcut_bar_scrolled",
       [] {
         auto* bar = MakeBar(true, 260);
         bar->ScrollDown();
         bar->ScrollDown();
         return bar;
       }},
      {"shortcut_bar_drag_marker",
       [] {
         auto* bar = MakeBar(true, 420);
         dragData = bar->PrepareDragData(4);
         const auto items = bar->VisibleItems();
         const QPoint at(50, items[1].row.bottom + 5);
         QDragEnterEvent enter(at, Qt::MoveAction, dragData.get(), Qt::LeftButton, Qt::NoModifier);
         QApplication::sendEvent(bar, &enter);
         QDragMoveEvent move(at, Qt::MoveAction, dragData.get(), Qt::LeftButton, Qt::NoModifier);
         QApplication::sendEvent(bar, &move);
         return bar;
       }},
  };
  int failures = 0;
  for (const Shot& shot : shots) {
    std::unique_ptr<SECShortcutListCtrl> bar(shot.make());
    bar->show();
    QApplication::processEvents();
    const QString file = dir + "/" + shot.name + ".png";
    if (!bar->grab().save(file)) {
      std::fprintf(stderr, "Cannot write '%s'.\n", file.toLocal8Bit().constData());
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
