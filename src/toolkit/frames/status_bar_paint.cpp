#include "toolkit/frames/status_bar_paint.h"

#include <QPainter>
#include <algorithm>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/status_bar_model.h"

namespace pm2 {

namespace {

// A one-pixel frame: sunken for a plain pane, raised for a pop-out one.
void PaneBorder(QPainter& p, const QRect& r, bool raised) {
  const QColor hi = SysQColor(SysColor::BtnHighlight);
  const QColor shadow = SysQColor(SysColor::BtnShadow);
  p.setPen(raised ? hi : shadow);
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom());
  p.setPen(raised ? shadow : hi);
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

// Three groups of diagonal ridges in the bottom-right corner, each a
// highlight line over two shadow lines.
void SizeGrip(QPainter& p, const QRect& r) {
  const QColor hi = SysQColor(SysColor::BtnHighlight);
  const QColor shadow = SysQColor(SysColor::BtnShadow);
  const int x1 = r.right();
  const int y1 = r.bottom();
  const int reach = std::min(r.width(), r.height()) - 1;
  for (int base = 1; base + 2 <= reach; base += 4) {
    p.setPen(hi);
    p.drawLine(x1 - base, y1, x1, y1 - base);
    p.setPen(shadow);
    p.drawLine(x1 - base - 1, y1, x1, y1 - base - 1);
    p.drawLine(x1 - base - 2, y1, x1, y1 - base - 2);
  }
}

}  // namespace

void PaintStatusBar(QPainter& p, const SECStatusBarModel& model, const QRect& whole, const QFont& font) {
  p.save();
  p.fillRect(whole, SysQColor(SysColor::BtnFace));
  p.setFont(font);
  for (int i = 0; i < model.GetCount(); ++i) {
    const StatusPane& pane = model.Pane(i);
    const QRect r = ToQRect(pane.rect);
    if (r.isEmpty()) continue;
    if (!(pane.shownStyle & sbps::kNoBorders)) PaneBorder(p, r, (pane.shownStyle & sbps::kPopout) != 0);
    if (pane.shown.empty() || (pane.shownStyle & sbps::kOwnerDraw)) continue;
    // The text starts past the border and a two-pixel margin, cut at the
    // pane's inner edge.
    const QRect text = r.adjusted(3, 1, -1, -1);
    p.save();
    p.setClipRect(text);
    p.setPen(SysQColor(SysColor::BtnText));
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ToQString(pane.shown));
    p.restore();
  }
  const Rect grip = model.GripRect();
  if (!grip.IsEmpty()) SizeGrip(p, ToQRect(grip));
  p.restore();
}

}  // namespace pm2
