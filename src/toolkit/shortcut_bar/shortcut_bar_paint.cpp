#include "toolkit/shortcut_bar/shortcut_bar_paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/theme.h"
#include "toolkit/shortcut_bar/shortcut_drag.h"

namespace pm2 {
namespace {

void Draw3dRect(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  p.setPen(topLeft);
  p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
  p.setPen(bottomRight);
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

QPolygon ToPolygon(const MarkerTriangle& t) {
  QPolygon poly;
  for (const Point& pt : t.p) poly << QPoint(pt.x, pt.y);
  return poly;
}

}  // namespace

void DrawShortcutIcon(QPainter& p, const Rect& icon, unsigned hotState, Color barColor, const QPixmap* image) {
  if (icon.IsEmpty()) return;
  p.save();
  // The frame runs from one pixel outside the icon to two beyond it.
  const QRect frame(QPoint(icon.left - 1, icon.top - 1), QPoint(icon.right + 1, icon.bottom + 1));
  const QColor hi = SysQColor(SysColor::BtnHighlight);
  const QColor black(0, 0, 0);
  if (hotState & kShortcutPressed) Draw3dRect(p, frame, black, hi);
  else if (hotState & kShortcutHot) Draw3dRect(p, frame, hi, black);
  else Draw3dRect(p, frame, ToQColor(barColor), ToQColor(barColor));
  if (image && !image->isNull()) p.drawPixmap(icon.left, icon.top, *image);
  p.restore();
}

void DrawShortcutLabel(QPainter& p, const Rect& label, int roomBottom, bool large, int columnFormat,
                       bool singleLine, const QFont& font, Color textColor, const QString& text) {
  if (label.IsEmpty()) return;
  p.save();
  p.setFont(font);
  p.setPen(ToQColor(textColor));
  QString shown = text;
  QRect r = ToQRect(label);
  int flags = Qt::TextWordWrap;
  bool ellipsis = false;
  if (large) {
    flags |= Qt::AlignHCenter | Qt::AlignTop;
    if (label.bottom > roomBottom) {
      // Too tall for the room left: one line, cut with an ellipsis.
      r.setBottom(std::max(r.top(), roomBottom - 1));
      flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
      ellipsis = true;
      p.setClipRect(r);
    }
  } else {
    const int align = columnFormat & LVCFMT_JUSTIFYMASK;
    flags |= (align == LVCFMT_RIGHT ? Qt::AlignRight : align == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) |
             Qt::AlignVCenter;
  }
  if (singleLine) {
    shown = shown.section('\n', 0, 0);
    flags = (flags & ~Qt::TextWordWrap) | Qt::TextSingleLine;
    ellipsis = true;
  }
  if (ellipsis) shown = QFontMetrics(font).elidedText(shown.section('\n', 0, 0), Qt::ElideRight, r.width());
  p.drawText(r, flags, shown);
  p.restore();
}

void DrawShortcutScrollButton(QPainter& p, QWidget* window, const ShortcutScrollButton& b) {
  if (SECThemeUseThemedPath()) {
    if (HTHEME theme = SECThemeOpenThemeData(window, L"scrollbar")) {
      constexpr int kArrowButton = 1;
      const int state = b.up ? (b.pressed ? 3 : 1) : (b.pressed ? 7 : 5);
      const HRESULT hr = SECThemeDrawThemeBackground(theme, &p, kArrowButton, state, b.rect, nullptr);
      SECThemeCloseThemeData(theme);
      if (hr >= 0) return;
    }
  }
  p.save();
  const QRect r = ToQRect(b.rect);
  p.fillRect(r, SysQColor(SysColor::BtnFace));
  if (b.pressed) {
    // A pushed frame control: one shadow line, the arrow a pixel down-right.
    p.setPen(SysQColor(SysColor::BtnShadow));
    p.drawRect(r.adjusted(0, 0, -1, -1));
  } else {
    DrawClassicFrame(p, r, false);
  }
  const QPoint c = r.center() + (b.pressed ? QPoint(1, 1) : QPoint(0, 0));
  const int s = std::max(2, r.width() / 4);
  QPolygon arrow;
  if (b.up) arrow << QPoint(c.x() - s, c.y() + s / 2) << QPoint(c.x() + s, c.y() + s / 2) << QPoint(c.x(), c.y() - s / 2 - 1);
  else arrow << QPoint(c.x() - s, c.y() - s / 2) << QPoint(c.x() + s, c.y() - s / 2) << QPoint(c.x(), c.y() + s / 2 + 1);
  p.setPen(SysQColor(SysColor::BtnText));
  p.setBrush(SysQColor(SysColor::BtnText));
  p.drawPolygon(arrow);
  p.restore();
}

void DrawShortcutInsertMarker(QPainter& p, const Rect& r, int code) {
  if (r.IsEmpty()) return;
  p.save();
  p.setPen(QColor(0, 0, 0));
  p.setBrush(QColor(0, 0, 0));
  const MarkerTriangle left = GetLeftMarkerPoints(r, code);
  const MarkerTriangle right = GetRightMarkerPoints(r, code);
  p.drawPolygon(ToPolygon(left));
  p.drawPolygon(ToPolygon(right));
  // The tips are the middle corners; the line joins them.
  p.drawLine(left.p[1].x - 1, left.p[1].y, right.p[1].x + 1, right.p[1].y);
  p.restore();
}

}  // namespace pm2
