#include "toolkit/controls/tab_controls.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QToolTip>

#include "toolkit/controls/mem_dc.h"
#include "toolkit/core/color_math.h"
#include "toolkit/core/notify.h"

namespace pm2 {
namespace {

QColor Sys(SysColor c) {
  const Color v = GetSysColor(c);
  return QColor(RedOf(v), GreenOf(v), BlueOf(v));
}
QColor Q(Color v) { return QColor(RedOf(v), GreenOf(v), BlueOf(v)); }
QRect ToQ(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
QPolygon Poly(const std::array<Point, 4>& pts) {
  QPolygon poly;
  for (const Point& p : pts) poly << QPoint(p.x, p.y);
  return poly;
}
void Line(QPainter& p, const QColor& c, int x1, int y1, int x2, int y2) {
  p.setPen(c);
  p.drawLine(x1, y1, x2, y2);
}

// The light colour of the flat look: the highlight with more saturation.
Color LightColor() {
  std::uint16_t h, l, s;
  SECRGBtoHLS(GetSysColor(SysColor::BtnHighlight), &h, &l, &s);
  return SECHLStoRGB(h, l, std::min(240, s + 100));
}

}  // namespace

Size QtTabMeasurer::Measure(std::string_view text, FontChoice font, int, bool) {
  QFontMetrics fm(font.bold ? bold : normal);
  return {fm.horizontalAdvance(QString::fromUtf8(text.data(), int(text.size()))), fm.height()};
}

int QtTabMeasurer::LineHeight(FontChoice font) { return QFontMetrics(font.bold ? bold : normal).height(); }

// ================================================================ flat

SECTabControl::SECTabControl(QWidget* parent, std::uint32_t style, unsigned id, TabListener* listener)
    : QWidget(parent), SECTabControlModel(&m_measurer, id, listener) {
  QFont f("Tahoma");
  f.setPixelSize(GetSystemMetric(SysMetric::CyHScroll) - 4);
  m_measurer.normal = f;
  f.setBold(true);
  m_measurer.bold = f;
  Initialize(style);
  m_repeat.callOnTimeout([this] {
    m_repeat.setInterval(20);
    RepeatScrollButton(m_nPressedButton);
  });
}

void SECTabControl::resizeEvent(QResizeEvent*) { SetClientRect({0, 0, width(), height()}); }

void SECTabControl::mousePressEvent(QMouseEvent* e) {
  const Point pt{int(e->position().x()), int(e->position().y())};
  const bool ctrl = e->modifiers() & Qt::ControlModifier, shift = e->modifiers() & Qt::ShiftModifier;
  if (OnLButtonDown(pt, ctrl, shift) && m_nPressedButton) m_repeat.start(300);
}

void SECTabControl::mouseReleaseEvent(QMouseEvent*) {
  m_repeat.stop();
  ReleaseButton();
}

void SECTabControl::mouseDoubleClickEvent(QMouseEvent* e) {
  OnLButtonDblClk({int(e->position().x()), int(e->position().y())});
}

void SECTabControl::DrawScrollButton(QPainter& p, unsigned button) {
  const Rect r = GetButtonRect(button);
  const int L = r.left, T = r.top, W = r.Width(), H = r.Height();
  const bool pressed = m_nPressedButton == button, disabled = m_nDisabledButtons & button;
  auto fill = [&](SysColor c, int x, int y, int w, int h) { p.fillRect(x, y, w, h, Sys(c)); };
  fill(SysColor::WindowFrame, L - 1, T, W, 1);
  fill(SysColor::WindowFrame, L, T + H, W - 1, 1);
  fill(SysColor::WindowFrame, L - 1, T + 1, 1, H - 1);
  fill(SysColor::WindowFrame, L + W - 1, T, 1, H - 1);
  fill(SysColor::BtnFace, L + 1, T + 1, W - 2, H - 1);
  if (!pressed) {
    fill(SysColor::BtnHighlight, L, T + 1, 1, H - 2);
    fill(SysColor::BtnHighlight, L, T + 1, W - 2, 1);
    fill(SysColor::BtnShadow, L + W - 2, T + 1, 1, H - 1);
    fill(SysColor::BtnShadow, L, T + H - 2, W - 1, 1);
    fill(SysColor::BtnShadow, L + W - 3, T + 2, 1, H - 3);
    fill(SysColor::BtnShadow, L + 1, T + H - 3, W - 3, 1);
  } else {
    fill(SysColor::BtnShadow, L, T + 1, 2, H - 1);
    fill(SysColor::BtnShadow, L, T + 1, W - 1, 2);
    fill(SysColor::BtnShadow, L + W - 2, T + 1, 1, H - 1);
    fill(SysColor::BtnShadow, L, T + H - 1, W - 1, 1);
  }
  int a = W * 30 / 100, h = H * 55 / 100;
  if (a % 2 == 0) --a;
  if (h % 2 == 0) --h;
  const int shift = pressed ? 1 : 0;
  const int cx = L + W / 2 + shift, cy = T + (H - 1) / 2 + shift;
  const QColor c = disabled ? Sys(SysColor::BtnShadow) : QColor(Qt::black);
  p.setPen(c);
  p.setBrush(c);
  const bool left = button == kTabButtonFirst || button == kTabButtonPrev;
  int tip = left ? cx - 2 - a / 2 : cx + a / 2;
  if (button == kTabButtonFirst) tip = cx - a / 2 - 1;
  if (button == kTabButtonLast) tip -= 2;
  const int base = left ? tip + a - 1 : tip - a + 1;
  p.drawPolygon(QPolygon({QPoint(tip, cy), QPoint(base, cy - h / 2), QPoint(base, cy + h / 2)}));
  if (button == kTabButtonFirst) p.drawLine(tip - 2, cy - h / 2, tip - 2, cy + h / 2);
  if (button == kTabButtonLast) p.drawLine(tip + 2, cy - h / 2, tip + 2, cy + h / 2);
  p.setBrush(Qt::NoBrush);
}

void SECTabControl::paintEvent(QPaintEvent*) {
  QPainter target(this);
  SECMemDC p(&target, rect());
  p.fillRect(rect(), Sys(SysColor::BtnFace));
  for (unsigned b : {kTabButtonFirst, kTabButtonPrev, kTabButtonNext, kTabButtonLast})
    if (m_nButtons & b) DrawScrollButton(p, b);
  const Rect tabs = GetTabsRect();
  p.setClipRect(ToQ(tabs));
  int active = -1;
  const bool hasActive = GetActiveTab(&active) && IsValidTab(active);
  const QColor brushes[3] = {Sys(SysColor::BtnFace), Sys(SysColor::Window), Sys(SysColor::Window)};
  const QColor texts[3] = {Sys(SysColor::BtnText), Sys(SysColor::BtnText), Sys(SysColor::WindowText)};
  auto draw = [&](int i, int kind) {
    const std::array<Point, 4> poly = TabPaintPolygon(i);
    const Rect box = TabBounds(i);
    const int L = box.left, T = box.top, B = box.bottom - 1, w = GetTab(i).m_nWidth;
    p.setPen(Qt::NoPen);
    p.setBrush(brushes[kind]);
    p.drawPolygon(Poly(poly));
    p.setBrush(Qt::NoBrush);
    Line(p, Qt::black, L, T, L + 6, B + 1);
    Line(p, Qt::black, L + w - 1, T, L + w - 7, B + 1);
    Line(p, Sys(SysColor::BtnShadow), L + 6, B, L + w - 6, B);
    if (kind != 2) Line(p, Sys(SysColor::BtnShadow), L + w - 2, T, L + w - 8, B + 1);
    p.setFont(kind == 2 ? m_measurer.bold : m_measurer.normal);
    p.setPen(texts[kind]);
    p.drawText(QRect(L + 6, T, w - 13, B - T + 1), Qt::AlignCenter, QString::fromStdString(GetTab(i).m_strLabel));
  };
  for (int i = 0; i < GetTabCount(); ++i)
    if (!GetTab(i).m_bSelected && !(hasActive && i == active)) draw(i, 0);
  for (int i = 0; i < GetTabCount(); ++i)
    if (GetTab(i).m_bSelected && !(hasActive && i == active)) draw(i, 1);
  p.setPen(Qt::black);
  if (hasActive) {
    draw(active, 2);
    const Rect box = TabBounds(active);
    p.setPen(Qt::black);
    if (box.left > tabs.left) p.drawLine(tabs.left, tabs.top, box.left, tabs.top);
    p.drawLine(box.right - 1, tabs.top, tabs.right, tabs.top);
  } else {
    p.drawLine(tabs.left, tabs.top, tabs.right, tabs.top);
  }
}

// ================================================================ 3-D

SEC3DTabControl::SEC3DTabControl(QWidget* parent, std::uint32_t style, unsigned id, TabListener* listener)
    : QWidget(parent), SEC3DTabControlModel(&m_measurer, id, listener) {
  QFont f((style & tab3d::kFlat) ? "Tahoma" : "Arial Narrow");
  f.setPixelSize((style & tab3d::kFlat) ? 11 : 13);
  m_measurer.normal = f;
  m_measurer.bold = f;
  Initialize(style);
  setFocusPolicy(Qt::ClickFocus);
  setMouseTracking(false);
}

void SEC3DTabControl::SetOrientation(std::uint32_t style) {
  ModifyStyle(tab3d::kBottom | tab3d::kTop | tab3d::kLeft | tab3d::kRight, style);
  update();
}

void SEC3DTabControl::resizeEvent(QResizeEvent*) { SetClientRect({0, 0, width(), height()}); }

bool SEC3DTabControl::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    const int tab = ToolTipTab({help->pos().x(), help->pos().y()});
    if (tab >= 0) QToolTip::showText(help->globalPos(), QString::fromStdString(Tab3D(tab).m_strFullLabel), this);
    else QToolTip::hideText();
    return true;
  }
  return QWidget::event(e);
}

void SEC3DTabControl::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  OnLButtonDown({int(e->position().x()), int(e->position().y())});
  m_bDragging = (Style() & tab3d::kDrag) != 0;
  update();
}

void SEC3DTabControl::mouseReleaseEvent(QMouseEvent*) { m_bDragging = false; }

void SEC3DTabControl::mouseMoveEvent(QMouseEvent* e) {
  if (m_bDragging && DragTo({int(e->position().x()), int(e->position().y())})) update();
}

void SEC3DTabControl::mouseDoubleClickEvent(QMouseEvent* e) {
  OnLButtonDblClk({int(e->position().x()), int(e->position().y())});
}

void SEC3DTabControl::keyPressEvent(QKeyEvent* e) {
  unsigned key = 0;
  switch (e->key()) {
    case Qt::Key_Left: key = vk::Left; break;
    case Qt::Key_Right: key = vk::Right; break;
    case Qt::Key_Up: key = vk::Up; break;
    case Qt::Key_Down: key = vk::Down; break;
    default: QWidget::keyPressEvent(e); return;
  }
  if (OnKeyDown(key)) update();
}

void SEC3DTabControl::DrawTab(QPainter& p, int index, bool active) {
  const SEC3DTab& t = Tab3D(index);
  const std::uint32_t style = Style();
  const bool flat = style & tab3d::kFlat;
  Rect r = t.m_rect;
  if (style & tab3d::kBottom) r.right -= 1;
  else if (!(style & (tab3d::kTop | tab3d::kLeft))) r.bottom -= 2;
  const int L = r.left, T = r.top, R = r.right, B = r.bottom;
  p.fillRect(ToQ(r), flat && !active ? Q(LightColor()) : Sys(SysColor::BtnFace));
  const QColor hi = Sys(SysColor::BtnHighlight), sh = Sys(SysColor::BtnShadow);
  const int k = (!flat && (style & tab3d::kClassic)) ? 1 : 0;
  if (flat) {
    if (!t.m_bSelected) {
      if (IsHorizontal()) Line(p, sh, R - 1, T + 3, R - 1, B - 1);
      else Line(p, sh, L + 2, B - 1, R - 2, B - 1);
    }
  } else if (style & tab3d::kTop) {
    Line(p, hi, L, B - 1, L, T + 2);
    Line(p, hi, L, T + 2, L + 2, T);
    Line(p, hi, L + 2, T, R - k - 2, T);
    Line(p, sh, R - k - 2, T + 1, R - k - 1, T + 2);
    Line(p, sh, R - k - 1, T + 2, R - k - 1, B);
    Line(p, Qt::black, R - k, T + 2, R - k, B);
  } else if (style & tab3d::kLeft) {
    Line(p, hi, L, B - k - 2, L, T + 2);
    Line(p, hi, L, T + 2, L + 2, T);
    Line(p, hi, L + 2, T, R, T);
    Line(p, sh, L + 2, B - k - 1, R, B - k - 1);
    Line(p, Qt::black, L + 2, B - k, R, B - k);
  } else if (style & tab3d::kBottom) {
    Line(p, hi, L, T + 1, L, B - 2);
    Line(p, sh, L + 1, B - 1, R - k - 2, B - 1);
    Line(p, sh, R - k - 1, B - 2, R - k - 1, T);
    Line(p, Qt::black, R - k, T + 2, R - k, B - 2);
    Line(p, Qt::black, R - k, B - 2, R - k - 2, B);
    Line(p, Qt::black, R - k - 2, B, L + 2, B);
  } else {
    Line(p, hi, L, T, R - 2, T);
    Line(p, sh, R - 1, T + 1, R - 1, B - k - 2);
    Line(p, Qt::black, R, T + 2, R, B - k - 2);
    Line(p, sh, R - 2, B - k - 1, L, B - k - 1);
    Line(p, Qt::black, R - 2, B - k, L, B - k);
  }
  // Content: icon, then the label (rotated on the vertical edges).
  const bool disabled = !t.m_bEnabled;
  QColor text = t.m_bSelected ? Sys(SysColor::BtnText) : Sys(SysColor::GrayText).darker(170);
  if (disabled) text = Sys(SysColor::BtnShadow);
  p.save();
  p.setClipRect(ToQ(r));
  p.setFont(m_measurer.normal);
  p.setPen(text);
  const QString label = m_bShowLabels ? QString::fromStdString(t.m_strLabel) : QString();
  if (IsHorizontal()) {
    int x = L + 6;
    if (t.m_hIcon) {
      p.fillRect(x, T + (B - T) / 2 - 8, 16, 16, disabled ? sh : Sys(SysColor::Highlight));
      x += 19;
    }
    p.drawText(QRect(x, T, R - x, B - T), Qt::AlignVCenter | Qt::AlignLeft, label);
  } else {
    const bool left = style & tab3d::kLeft;
    p.translate(left ? L : R, left ? B : T);
    p.rotate(left ? -90 : 90);
    int x = 6;
    const int depth = R - L;
    if (t.m_hIcon) {
      p.fillRect(x, depth / 2 - 8, 16, 16, disabled ? sh : Sys(SysColor::Highlight));
      x += 19;
    }
    p.drawText(QRect(x, 0, (B - T) - x, depth), Qt::AlignVCenter | Qt::AlignLeft, label);
  }
  p.restore();
}

void SEC3DTabControl::paintEvent(QPaintEvent*) {
  QPainter target(this);
  SECMemDC p(&target, rect());
  const std::uint32_t style = Style();
  const bool flat = style & tab3d::kFlat;
  p.fillRect(rect(), flat ? Q(LightColor()) : Sys(SysColor::BtnFace));
  int active = -1;
  const bool hasActive = GetActiveTab(&active) && IsValidTab(active);
  for (int i = 0; i < GetTabCount(); ++i)
    if (!(hasActive && i == active)) DrawTab(p, i, false);
  // The edge towards the pane, outwards from the pane side.
  const int l = 0, t = 0, r = width(), b = height();
  const bool noOuter = style & tab3d::kNoOuter;
  const QColor bands[4] = {Sys(SysColor::BtnHighlight), Sys(SysColor::BtnFace), Sys(SysColor::BtnShadow),
                           QColor(Qt::black)};
  for (int i = noOuter ? 2 : 0; i < 4; ++i) {
    if (style & tab3d::kBottom) p.fillRect(l, t + i, r - l, 1, bands[i]);
    else if (style & tab3d::kTop) p.fillRect(l, b - 4 + i, r - l, 1, bands[i]);
    else if (style & tab3d::kLeft) p.fillRect(r - 4 + i, t, 1, b - t, bands[i]);
    else p.fillRect(l + i, t, 1, b - t, bands[i]);
  }
  if (hasActive) DrawTab(p, active, true);
}

}  // namespace pm2
