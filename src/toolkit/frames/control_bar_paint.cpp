// The look of a control bar: borders, the gripper strip with its caption
// and the close and expand buttons, whose glyphs are drawn as paths.

#include <QPainter>
#include <QPainterPath>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/control_bar.h"

namespace pm2 {

namespace {

void Line(QPainter& p, int x1, int y1, int x2, int y2, SysColor c) {
  p.setPen(SysQColor(c));
  p.drawLine(x1, y1, x2, y2);
}

// Raised or sunken one-pixel edge round a button.
void ButtonEdge(QPainter& p, const QRect& r, bool sunken) {
  SysColor tl = sunken ? SysColor::BtnShadow : SysColor::BtnHighlight;
  SysColor br = sunken ? SysColor::BtnHighlight : SysColor::BtnShadow;
  Line(p, r.left(), r.top(), r.right(), r.top(), tl);
  Line(p, r.left(), r.top(), r.left(), r.bottom(), tl);
  Line(p, r.left(), r.bottom(), r.right(), r.bottom(), br);
  Line(p, r.right(), r.top(), r.right(), r.bottom(), br);
}

void CloseGlyph(QPainter& p, const QRectF& box, const QColor& c) {
  QPen pen(c, 1.6);
  pen.setCapStyle(Qt::SquareCap);
  p.setPen(pen);
  p.setRenderHint(QPainter::Antialiasing, true);
  QRectF g = box.adjusted(0.5, 0.5, -0.5, -0.5);
  p.drawLine(g.topLeft(), g.bottomRight());
  p.drawLine(g.topRight(), g.bottomLeft());
  p.setRenderHint(QPainter::Antialiasing, false);
}

// A filled triangle pointing left, right, up or down.
void ArrowGlyph(QPainter& p, const QRectF& box, int dir, const QColor& c) {
  QPainterPath path;
  QPointF cen = box.center();
  double h = std::min(box.width(), box.height()) / 2.0;
  switch (dir) {
    case 0: path.moveTo(cen.x() - h / 2, cen.y()); path.lineTo(cen.x() + h / 2, cen.y() - h); path.lineTo(cen.x() + h / 2, cen.y() + h); break;
    case 1: path.moveTo(cen.x() + h / 2, cen.y()); path.lineTo(cen.x() - h / 2, cen.y() - h); path.lineTo(cen.x() - h / 2, cen.y() + h); break;
    case 2: path.moveTo(cen.x(), cen.y() - h / 2); path.lineTo(cen.x() - h, cen.y() + h / 2); path.lineTo(cen.x() + h, cen.y() + h / 2); break;
    default: path.moveTo(cen.x(), cen.y() + h / 2); path.lineTo(cen.x() - h, cen.y() - h / 2); path.lineTo(cen.x() + h, cen.y() - h / 2); break;
  }
  path.closeSubpath();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillPath(path, c);
  p.setRenderHint(QPainter::Antialiasing, false);
}

void DrawButton(QPainter& p, const QRect& r, bool pressed, bool raised, bool flat, bool isClose, int arrowDir,
                bool enabled) {
  if (r.isEmpty()) return;
  p.fillRect(r, SysQColor(SysColor::BtnFace));
  if (pressed) ButtonEdge(p, r, true);
  else if (raised || !flat) ButtonEdge(p, r, false);
  int off = pressed ? 3 : 2;
  QRectF box(r.left() + off, r.top() + off, r.width() - 5, r.height() - 5);
  QColor c = SysQColor(enabled ? SysColor::BtnText : SysColor::GrayText);
  if (isClose) CloseGlyph(p, box, c);
  else ArrowGlyph(p, box, arrowDir, c);
}

// One solid line of a classic border; a negative extent reaches left or up.
void FillLine(QPainter& p, int x, int y, int w, int h, const QColor& c) {
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  p.fillRect(QRect(x, y, w, h), c);
}

void DrawClassicBorders(QPainter& p, const ControlBarState& s, const QRect& client) {
  bool drawn = s.exStyle & SECBAR_EX_DRAWBORDERS;
  QColor dark = SysQColor(drawn ? SysColor::BtnShadow : SysColor::BtnFace);
  QColor light = SysQColor(drawn ? SysColor::BtnHighlight : SysColor::BtnFace);
  // Right and bottom as exclusive edges, like the layout's rectangles.
  int right = client.width(), bottom = client.height();
  bool threeD = s.style & CBRS_BORDER_3D;
  int r1Right = threeD ? right - 1 : right, r1Bottom = threeD ? bottom - 1 : bottom;
  int t2 = (s.style & CBRS_BORDER_TOP) ? 2 : 0;
  int b2 = (s.style & CBRS_BORDER_BOTTOM) ? bottom - 2 : bottom;
  struct Line {
    std::uint32_t side;
    int x, y, w, h;
    bool isLight;
  };
  bool row = s.IsHorzRow();
  const Line rowLines[] = {
      {CBRS_BORDER_LEFT, 0, t2, 1, b2 - t2, false},        {CBRS_BORDER_LEFT, 1, t2, 1, b2 - t2, true},
      {CBRS_BORDER_TOP, 0, 0, right, 1, false},            {CBRS_BORDER_TOP, 0, 1, right, 1, true},
      {CBRS_BORDER_RIGHT, r1Right, t2, -1, b2 - t2, false}, {CBRS_BORDER_RIGHT, right, t2, -1, b2 - t2, true},
      {CBRS_BORDER_BOTTOM, 0, r1Bottom, right, -1, false},  {CBRS_BORDER_BOTTOM, 0, bottom, right, -1, true},
  };
  const Line otherLines[] = {
      {CBRS_BORDER_LEFT, 0, t2 - 2, 1, b2 - t2 + 6, false},     {CBRS_BORDER_LEFT, 1, t2 - 2, 1, b2 - t2 + 3, true},
      {CBRS_BORDER_TOP, 2, 0, right - 3, 1, false},            {CBRS_BORDER_TOP, 1, 1, right, 1, true},
      {CBRS_BORDER_RIGHT, r1Right, t2, -1, b2 - t2, false},     {CBRS_BORDER_RIGHT, right, t2, -1, b2 - t2 + 1, true},
      {CBRS_BORDER_BOTTOM, 2, r1Bottom, right - 3, -1, false},  {CBRS_BORDER_BOTTOM, 1, bottom, right, -1, true},
  };
  for (const Line& l : row ? rowLines : otherLines) {
    if (!(s.style & l.side) || (l.isLight && !threeD)) continue;
    FillLine(p, l.x, l.y, l.w, l.h, l.isLight ? light : dark);
  }
}

}  // namespace

void PaintControlBar(QPainter& p, const SECControlBar& bar, bool closePressed, bool expandPressed, int hot) {
  const ControlBarState& s = bar.State();
  QRect client = bar.rect();
  p.save();
  p.fillRect(client, SysQColor(SysColor::BtnFace));
  if (!(s.style & CBRS_BORDER_ANY)) {
    p.restore();
    return;
  }
  if (!(s.exStyle & SECBAR_EX_FLATBORDER)) DrawClassicBorders(p, s, client);
  BarDecorations d = bar.Decorations();
  if (d.strip.IsEmpty()) {
    p.restore();
    return;
  }
  bool flat = s.exStyle & SECBAR_EX_FLATCAPTION;
  if (flat) {
    QRect c = ToQRect(d.caption);
    int l = c.left(), t = c.top(), r = c.left() + c.width(), b = c.top() + c.height();
    p.fillRect(c, SysQColor(SysColor::BtnFace));
    Line(p, l + 1, t, r - 2, t, SysColor::BtnShadow);
    Line(p, r - 1, t + 1, r - 1, b - 1, SysColor::BtnShadow);
    Line(p, r - 2, b, l + 1, b, SysColor::BtnShadow);
    Line(p, l, b - 1, l, t + 1, SysColor::BtnShadow);
  }
  bool enabled = bar.ExpandEnabled();
  bool canExpand = bar.CanExpandNow();
  int dir = d.horzRow ? (canExpand ? 0 : 1) : (canExpand ? 2 : 3);
  if (s.exStyle & SECBAR_EX_CLOSEBTN) DrawButton(p, ToQRect(d.closeBtn), closePressed, hot == 1, flat, true, 0, true);
  if (s.exStyle & SECBAR_EX_EXPANDBTN) DrawButton(p, ToQRect(d.expandBtn), expandPressed, hot == 2, flat, false, dir, enabled);
  if (flat) {
    QRect t = ToQRect(d.text);
    QFont f = DefaultGuiFont();
    f.setPointSizeF(8.0);
    p.setFont(f);
    p.setPen(SysQColor(SysColor::BtnText));
    QString text = bar.windowTitle();
    if (d.horzRow) {
      // Runs from the bottom of the strip upwards.
      p.setClipRect(t);
      p.translate(t.left() - 1, t.bottom() + 1);
      p.rotate(-90);
      QRect box(2, 0, t.height() - 2, t.width() + 2);
      p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, p.fontMetrics().elidedText(text, Qt::ElideRight, box.width()));
    } else {
      p.setClipRect(t);
      QRect box = t.adjusted(3, 0, 0, 0);
      p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, p.fontMetrics().elidedText(text, Qt::ElideRight, box.width()));
    }
  } else {
    // Two raised ridges along the strip.
    QRect st = ToQRect(d.text);
    for (int k = 0; k < 2; ++k) {
      QRect ridge = d.horzRow ? QRect(st.left() + 4 + 4 * k, st.top(), 3, st.height())
                              : QRect(st.left(), st.top() + 4 + 4 * k, st.width(), 3);
      ButtonEdge(p, ridge, false);
    }
  }
  p.restore();
}

}  // namespace pm2
