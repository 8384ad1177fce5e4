#include "toolkit/controls/list_print.h"

#include <QPainter>
#include <QPrinter>

#include "toolkit/controls/list_view_impl.h"

namespace pm2 {

bool PrintList(ListViewImpl& view, QPrinter& printer, std::string* error) {
  QPainter p;
  if (!p.begin(&printer)) {
    const QString name = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    if (error) *error = "Cannot print to '" + FromQString(name) + "'.";
    return false;
  }
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const QSize size = view.Widget()->size();
  if (size.width() > 0 && size.height() > 0) {
    const double scale = std::min(double(page.width()) / size.width(), double(page.height()) / size.height());
    p.scale(scale, scale);
  }
  p.setClipRect(QRect(QPoint(0, 0), size));
  view.PaintForPrint(p);
  return p.end();
}

}  // namespace pm2
