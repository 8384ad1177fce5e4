#include "shell/output/out_view_paint.h"

#include <QFontMetrics>
#include <QPainter>

#include "shell/output/output_list_model.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

void PaintOutputLines(QPainter& p, const OutputListModel& model, const QFont& font, const QRect& dirty,
                      bool focused) {
  p.save();
  p.setFont(font);
  const OutputListMetrics& m = model.Metrics();
  const QColor window = SysQColor(SysColor::Window), text = SysQColor(SysColor::WindowText),
               highlight = SysQColor(SysColor::Highlight), highlightText = SysQColor(SysColor::HighlightText);
  p.fillRect(dirty, window);
  const QFontMetrics fm(font);
  const int baseline = (m.lineHeight - fm.height()) / 2 + fm.ascent();
  const int x = OutputListModel::kTextMargin - model.HorzPos();
  int first = 0, last = 0;
  model.VisibleRange(&first, &last);
  for (int i = first; i < last; ++i) {
    const QRect r = ToQRect(model.LineRect(i));
    if (!r.intersects(dirty)) continue;
    const bool selected = model.IsSelected(i);
    if (selected) p.fillRect(r, highlight);
    p.setPen(selected ? highlightText : text);
    p.drawText(x, r.top() + baseline, ToQString(model.Lines()[static_cast<size_t>(i)]));
    if (focused && i == model.Caret()) {
      // The classic dotted focus frame, drawn in the inverse of the line.
      QPen pen(selected ? highlightText : text, 1, Qt::DotLine);
      p.setPen(pen);
      p.drawRect(r.adjusted(0, 0, -1, -1));
    }
  }
  p.restore();
}

}  // namespace pm2
