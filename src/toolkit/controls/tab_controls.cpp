#include "toolkit/controls/tab_controls.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QToolTip>

#include "toolkit/controls/mem_dc.h"
#include "toolkit/controls/pixel_image.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/sys_color_change.h"
#include "toolkit/core/color_math.h"
#include "toolkit/core/notify.h"
#include "toolkit/core/theme.h"

namespace pm2 {
namespace {

QPolygon Poly(const std::array<Point, 4>& pts) {
  QPolygon poly;
  for (const Point& p : pts) poly << QPoint(p.x, p.y);
  return poly;
}
// A line in the Windows manner: from each point to the next, the last
// point left out, stepping one pixel along the longer axis.
void PolyLine(QPainter& p, const QColor& c, std::initializer_list<QPoint> pts) {
  p.setPen(QPen(c, 0));
  auto it = pts.begin();
  QPoint a = *it;
  for (++it; it != pts.end(); ++it) {
    const QPoint b = *it;
    const int dx = b.x() - a.x(), dy = b.y() - a.y(), n = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i < n; ++i) p.drawPoint(a.x() + dx * i / n, a.y() + dy * i / n);
    a = b;
  }
}

// The light colour of the flat look: the highlight with more saturation.
Color LightColor() {
  std::uint16_t h, l, s;
  SECRGBtoHLS(GetSysColor(SysColor::BtnHighlight), &h, &l, &s);
  return SECHLStoRGB(h, l, std::min(240, s + 100));
}

}  // namespace

void QtTabMeasurer::SetFonts(const QFont& normal, const QFont& bold) {
  m_normal = normal;
  m_bold = bold;
  m_height[0] = m_height[1] = -1;
  m_sizes.Clear();
}

int LargestSizeFitting(int cell, int smallest, const std::function<int(int)>& lineHeight) {
  // The line height grows with the size, so the search starts one below the
  // cell, where the narrow faces land, and walks from there: each size
  // tried loads a font of its own.
  const auto fits = [&](int px) { return lineHeight(px) <= cell; };
  int px = std::max(smallest, cell - 1);
  if (fits(px)) {
    if (px < cell && fits(cell)) px = cell;
    return px;
  }
  while (px > smallest && !fits(--px)) {
  }
  return px;
}

Size QtTabMeasurer::Measure(std::string_view text, FontChoice font, int, bool) {
  // A tab label is one line whatever the width offered.
  if (const Size* known = m_sizes.Find(text, font, 0, true)) return *known;
  const QFontMetrics fm(font.bold ? m_bold : m_normal);
  const Size size{fm.horizontalAdvance(QString::fromUtf8(text.data(), int(text.size()))), LineHeight(font)};
  m_sizes.Add(text, font, 0, true, size);
  return size;
}

int QtTabMeasurer::LineHeight(FontChoice font) {
  const int k = font.bold ? 1 : 0;
  if (m_height[k] < 0) m_height[k] = QFontMetrics(k ? m_bold : m_normal).height();
  return m_height[k];
}

// ================================================================ flat

SECTabControl::SECTabControl(QWidget* parent, std::uint32_t style, unsigned id, TabListener* listener)
    : QWidget(parent), SECTabControlModel(&m_measurer, id, listener) {
  // Tahoma, or the face the font system puts in its place on machines
  // without it.
  static const QStringList kFamilies = InstalledFamilies({"Tahoma", "DejaVu Sans"});
  QFont f;
  f.setFamilies(kFamilies);
  f.setPixelSize(GetSystemMetric(SysMetric::CyHScroll) - 4);
  m_fonts[0] = m_fonts[1] = f;
  f.setBold(true);
  m_fonts[2] = f;
  m_measurer.SetFonts(m_fonts[0], m_fonts[2]);
  Initialize(style);
  LoadColors();
  m_repeat.callOnTimeout([this] {
    m_repeat.setInterval(20);
    RepeatScrollButton(m_nPressedButton);
  });
}

bool SECTabControl::SetFontObject(const QFont& font, int which, bool redraw) {
  if (which < 0 || which > 2) return false;
  m_fonts[which] = font;
  m_measurer.SetFonts(m_fonts[0], m_fonts[2]);
  RecalcLayout();
  UpdateScrollButtons();
  if (redraw) {
    int active = -1;
    if (which == 2 && GetActiveTab(&active)) InvalidateTab(active);
    else update();
  }
  return true;
}

void SECTabControl::LoadColors() {
  m_brush[0] = SysQColor(SysColor::BtnFace);
  m_brush[1] = m_brush[2] = SysQColor(SysColor::Window);
  m_clrText[0] = m_clrText[1] = SysQColor(SysColor::BtnText);
  // The active tab sits on the window colour, so its text keeps the window
  // text colour after a colour change too, rather than the button text's.
  m_clrText[2] = SysQColor(SysColor::WindowText);
  m_penShadow = SysQColor(SysColor::BtnShadow);
}

void SECTabControl::OnSysColorChange() {
  ReloadSysColorRecord();
  LoadColors();
  update();
}

bool SECTabControl::event(QEvent* e) {
  if (IsSysColorChange(e)) OnSysColorChange();
  return QWidget::event(e);
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
  const bool pressed = m_nPressedButton == button, disabled = m_nDisabledButtons & button;
  if (!DrawThemedScrollButton(p, r, pressed, disabled)) DrawClassicScrollButton(p, r, pressed);
  DrawScrollGlyph(p, r, button, pressed, disabled);
}

// A themed push button, when the desktop's visual style draws buttons.
bool SECTabControl::DrawThemedScrollButton(QPainter& p, const Rect& r, bool pressed, bool disabled) {
  if (!SECThemeUseThemedPath()) return false;
  const HTHEME theme = SECThemeOpenThemeData(this, L"Button");
  if (!theme) return false;
  constexpr int kPushButton = 1, kNormal = 1, kPressed = 3, kDisabled = 4;
  const int state = pressed ? kPressed : disabled ? kDisabled : kNormal;
  const HRESULT hr = SECThemeDrawThemeBackground(theme, &p, kPushButton, state, r, nullptr);
  SECThemeCloseThemeData(theme);
  // A style that fails to draw leaves the classic button instead of a hole.
  return hr >= 0;
}

void SECTabControl::DrawClassicScrollButton(QPainter& p, const Rect& r, bool pressed) {
  const int L = r.left, T = r.top, W = r.Width(), H = r.Height();
  auto fill = [&](SysColor c, int x, int y, int w, int h) { p.fillRect(x, y, w, h, SysQColor(c)); };
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
}

void SECTabControl::DrawScrollGlyph(QPainter& p, const Rect& r, unsigned button, bool pressed, bool disabled) {
  const int L = r.left, T = r.top, W = r.Width(), H = r.Height();
  int a = W * 30 / 100, h = H * 55 / 100;
  if (a % 2 == 0) --a;
  if (h % 2 == 0) --h;
  const int shift = pressed ? 1 : 0;
  const int cx = L + W / 2 + shift, cy = T + (H - 1) / 2 + shift;
  const QColor c = disabled ? SysQColor(SysColor::BtnShadow) : QColor(Qt::black);
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
  p.fillRect(rect(), m_brush[0]);
  for (unsigned b : {kTabButtonFirst, kTabButtonPrev, kTabButtonNext, kTabButtonLast})
    if (m_nButtons & b) DrawScrollButton(p, b);
  const Rect tabs = GetTabsRect();
  p.setClipRect(ToQRect(tabs));
  int active = -1;
  const bool hasActive = GetActiveTab(&active) && IsValidTab(active);
  const QColor* brushes = m_brush;
  const QColor* texts = m_clrText;
  auto draw = [&](int i, int kind) {
    const std::array<Point, 4> poly = TabPaintPolygon(i);
    // L, T, B: the bounds of the tab's region; B is the strip's bottom, so
    // the slants run on one row past it and the shadow lies on row B - 1.
    const Rect box = TabBounds(i);
    const int L = box.left, T = box.top, B = box.bottom, w = GetTab(i).m_nWidth, s = m_nSlant;
    p.setPen(Qt::NoPen);
    p.setBrush(brushes[kind]);
    p.drawPolygon(Poly(poly));
    p.setBrush(Qt::NoBrush);
    PolyLine(p, Qt::black, {{L, T}, {L + s, B + 1}});
    PolyLine(p, Qt::black, {{L + w - 1, T}, {L + w - s - 1, B + 1}});
    PolyLine(p, m_penShadow, {{L + s, B - 1}, {L + w - s, B - 1}});
    if (kind != 2) PolyLine(p, m_penShadow, {{L + w - 2, T}, {L + w - s - 2, B + 1}});
    const QFont& font = m_fonts[kind];
    const QString label = QString::fromStdString(GetTab(i).m_strLabel);
    const QFontMetrics fm(font);
    const int tw = fm.horizontalAdvance(label), th = fm.height();
    // Centred between the slants; the text's bottom sits at
    // B - (B - T - th) / 2, as with bottom-aligned text.
    const int x = (L + s) + ((L + w - s - 1 - tw) - (L + s)) / 2, bottom = B - (B - T - th) / 2;
    p.setFont(font);
    p.setPen(texts[kind]);
    p.drawText(QRect(x, bottom - th, tw, th), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
  };
  for (int i = 0; i < GetTabCount(); ++i)
    if (!GetTab(i).m_bSelected && !(hasActive && i == active)) draw(i, 0);
  for (int i = 0; i < GetTabCount(); ++i)
    if (GetTab(i).m_bSelected && !(hasActive && i == active)) draw(i, 1);
  if (hasActive) {
    draw(active, 2);
    // The line stops at the active tab, which so joins the window above.
    const Rect box = TabBounds(active);
    if (box.left > tabs.left) PolyLine(p, Qt::black, {{tabs.left, tabs.top}, {box.left, tabs.top}});
    PolyLine(p, Qt::black, {{box.right - 1, tabs.top}, {tabs.right, tabs.top}});
  } else {
    PolyLine(p, Qt::black, {{tabs.left, tabs.top}, {tabs.right, tabs.top}});
  }
}

// ================================================================ 3-D

namespace {

// Labels of tabs that are not selected: the grey text colour made darker.
QColor InactiveTextColor() {
  std::uint16_t h, l, s;
  SECRGBtoHLS(GetSysColor(SysColor::GrayText), &h, &l, &s);
  const int lum = l < 114 ? 30 : l - 113;
  return ToQColor(SECHLStoRGB(h, lum, s));
}

std::uint32_t EdgeOf(std::uint32_t style) {
  if (style & tab3d::kBottom) return tab3d::kBottom;
  if (style & tab3d::kTop) return tab3d::kTop;
  if (style & tab3d::kLeft) return tab3d::kLeft;
  return tab3d::kRight;
}

}  // namespace

SEC3DTabControl::SEC3DTabControl(QWidget* parent, std::uint32_t style, unsigned id, TabListener* listener)
    : QWidget(parent), SEC3DTabControlModel(&m_measurer, id, listener) {
  CreateFonts(style);
  Initialize(style);
  LoadColors();
  setFocusPolicy(Qt::ClickFocus);
  setMouseTracking(false);
}

void SEC3DTabControl::CreateFonts(std::uint32_t style) {
  const bool flat = style & tab3d::kFlat;
  QFont f;
  // The named faces first; a narrow stand-in where they are missing, so
  // the labels keep about their width.
  static const QStringList kFlat = InstalledFamilies({"Tahoma", "DejaVu Sans Condensed", "DejaVu Sans"});
  // The classic face is a narrow one. A machine with none of the narrow
  // faces gets the common sans face condensed to about their proportions
  // (70 %: the common face is wider than the narrow one's regular cut), so
  // that the project bar's three labels fit its default width.
  static const QStringList kNarrow = {"Arial Narrow", "Liberation Sans Narrow", "Nimbus Sans Narrow"};
  static const bool kNarrowInstalled = std::any_of(kNarrow.begin(), kNarrow.end(), FamilyInstalled);
  static const QStringList kClassic =
      kNarrowInstalled ? InstalledFamilies(kNarrow) : InstalledFamilies({"DejaVu Sans", "Liberation Sans"});
  static const int classicStretch = kNarrowInstalled ? QFont::Unstretched : 70;
  f.setFamilies(flat ? kFlat : kClassic);
  if (!flat) f.setStretch(classicStretch);
  if (flat) {
    // 8.5 points at the screen's resolution, as a character height.
    f.setPixelSize(Tab3DFlatFontPixels(logicalDpiY()));
  } else {
    // A 15-pixel cell: the largest size whose line height fits in it. The
    // faces are the same for every control: sought once (each size tried
    // loads a font).
    static const int kClassicPixels = [] {
      QFont probe;
      probe.setFamilies(kClassic);
      probe.setStretch(classicStretch);
      return LargestSizeFitting(kTab3DClassicFontCell, 7, [&probe](int px) {
        probe.setPixelSize(px);
        return QFontMetrics(probe).height();
      });
    }();
    f.setPixelSize(kClassicPixels);
  }
  f.setWeight(QFont::Normal);
  m_measurer.SetFonts(f, f);
  m_fontActive = f;
  if (!flat) m_fontActive.setWeight(QFont::DemiBold);
}

void SEC3DTabControl::LoadColors() {
  m_clrText = m_clrTextActive = SysQColor(SysColor::BtnText);
  m_penShadow = SysQColor(SysColor::BtnShadow);
  m_penHilite = SysQColor(SysColor::BtnHighlight);
}

void SEC3DTabControl::OnSysColorChange() {
  ReloadSysColorRecord();
  LoadColors();
  update();
}

bool SEC3DTabControl::SetFontObject(const QFont& font, int which) {
  if (which == 0) m_measurer.SetFonts(font, font);
  else if (which == 1) m_fontActive = font;
  else return false;
  RecalcLayout();
  update();
  return true;
}

void SEC3DTabControl::SetTabIcon(int index, const QIcon& icon) {
  if (!IsValidTab(index)) return;
  if (icon.isNull()) {
    SEC3DTabControlModel::SetTabIcon(index, nullptr);
  } else {
    m_icons.push_back(std::make_unique<QIcon>(icon));
    SEC3DTabControlModel::SetTabIcon(index, m_icons.back().get());
  }
  update();
}

void SEC3DTabControl::resizeEvent(QResizeEvent*) { SetClientRect({0, 0, width(), height()}); }

bool SEC3DTabControl::event(QEvent* e) {
  if (IsSysColorChange(e)) OnSysColorChange();
  // Gaining or losing the focus shows or hides the focus rectangle.
  if ((e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) && m_bParentTabStop) update();
  if (e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    const int tab = ToolTipTab({help->pos().x(), help->pos().y()});
    if (tab >= 0)
      QToolTip::showText(help->globalPos(), QString::fromStdString(Tab3D(tab).m_strFullLabel), this,
                         ToQRect(TabGeometry(tab).hit));
    else
      QToolTip::hideText();
    return true;
  }
  return QWidget::event(e);
}

// A button going down closes the strip's tip, as a tip window does with the
// button messages relayed to it.
void SEC3DTabControl::RelayToToolTip(const QMouseEvent* e) {
  if (e->type() == QEvent::MouseButtonPress && QToolTip::isVisible()) QToolTip::hideText();
}

void SEC3DTabControl::mousePressEvent(QMouseEvent* e) {
  RelayToToolTip(e);
  if (e->button() != Qt::LeftButton) {
    // Right and middle presses go on to the owner (its context menu).
    QWidget::mousePressEvent(e);
    return;
  }
  OnLButtonDown({int(e->position().x()), int(e->position().y())});
  m_bDragging = (Style() & tab3d::kDrag) != 0;
  if (m_bParentTabStop && !hasFocus()) setFocus(Qt::MouseFocusReason);
  update();
}

void SEC3DTabControl::mouseReleaseEvent(QMouseEvent* e) {
  RelayToToolTip(e);
  if (e->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(e);
    return;
  }
  m_bDragging = false;
}

void SEC3DTabControl::mouseMoveEvent(QMouseEvent* e) {
  if (!m_bDragging) return;
  QWidget* focus = QApplication::focusWidget();
  if (DragTo({int(e->position().x()), int(e->position().y())})) {
    if (focus) focus->setFocus();  // the focus goes back where it was
    update();
  }
}

void SEC3DTabControl::mouseDoubleClickEvent(QMouseEvent* e) {
  OnLButtonDblClk({int(e->position().x()), int(e->position().y())});
}

void SEC3DTabControl::keyPressEvent(QKeyEvent* e) {
  static constexpr struct {
    int qt;
    unsigned vkey;
  } kKeys[] = {{Qt::Key_Left, vk::Left}, {Qt::Key_Right, vk::Right}, {Qt::Key_Up, vk::Up}, {Qt::Key_Down, vk::Down}};
  for (const auto& k : kKeys)
    if (k.qt == e->key()) {
      if (OnKeyDown(k.vkey)) {
        setFocus(Qt::OtherFocusReason);
        update();
      }
      return;
    }
  QWidget::keyPressEvent(e);
}


void SEC3DTabControl::PaintBackground(QPainter& p) {
  const std::uint32_t style = Style();
  const int l = 0, t = 0, r = width(), b = height();
  if (!(style & tab3d::kFlat)) {
    p.fillRect(rect(), SysQColor(SysColor::BtnFace));
    return;
  }
  const QColor face = SysQColor(SysColor::BtnFace);
  p.fillRect(rect(), ToQColor(LightColor()));
  switch (EdgeOf(style)) {
    case tab3d::kBottom:
      p.fillRect(l, b - 2, r - l, 2, face);
      PolyLine(p, face, {{l, t}, {l, b - 3}, {r - 1, b - 3}, {r - 1, t}});
      break;
    case tab3d::kTop: PolyLine(p, face, {{l, b - 3}, {l, t}, {r - 1, t}, {r - 1, b - 3}}); break;
    case tab3d::kLeft: PolyLine(p, face, {{r - 1, t}, {l, t}, {l, b - 1}, {r - 1, b - 1}}); break;
    default: PolyLine(p, face, {{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}}); break;
  }
}

void SEC3DTabControl::PaintPaneEdge(QPainter& p) {
  const std::uint32_t style = Style();
  const int l = 0, t = 0, r = width(), b = height(), w = r - l, h = b - t;
  const QColor face = SysQColor(SysColor::BtnFace);
  if (style & tab3d::kFlat) {
    switch (EdgeOf(style)) {
      case tab3d::kBottom: p.fillRect(l, t, w, 3, face); p.fillRect(l, t + 2, w, 1, Qt::black); break;
      case tab3d::kTop: p.fillRect(l, b - 2, w, 2, face); p.fillRect(l, b - 3, w, 1, Qt::black); break;
      case tab3d::kLeft: p.fillRect(r - 3, t, 3, h, face); p.fillRect(r - 3, t, 1, h, Qt::black); break;
      default: p.fillRect(l, t, 3, h, face); p.fillRect(l + 2, t, 1, h, Qt::black); break;
    }
    return;
  }
  // One-pixel bands from the pane side outwards: highlight, face, shadow,
  // black. `outer` marks the bands style 0x400 leaves out.
  const bool noOuter = style & tab3d::kNoOuter;
  const QColor bands[4] = {m_penHilite, face, m_penShadow, QColor(Qt::black)};
  for (int i = 0; i < 4; ++i) {
    switch (EdgeOf(style)) {
      case tab3d::kBottom:
        if (!(noOuter && i < 2)) p.fillRect(l, t + i, w, 1, bands[i]);
        break;
      case tab3d::kTop:
        if (!(noOuter && i >= 2)) p.fillRect(l, b - 4 + i, w, 1, bands[i]);
        break;
      case tab3d::kLeft:
        if (!(noOuter && i >= 2)) p.fillRect(r - 4 + i, t, 1, h, bands[i]);
        break;
      default:
        if (i < 2 && noOuter) break;
        if (i == 2) p.fillRect(l + 2, t + 1, 1, h - 1, bands[2]);
        else p.fillRect(l + i, t, 1, h, bands[i]);
        break;
    }
  }
}

void SEC3DTabControl::DrawTabBorder(QPainter& p, const SEC3DTab& t, const Rect& body) {
  const std::uint32_t style = Style();
  const bool flat = style & tab3d::kFlat;
  const int L = body.left, T = body.top, R = body.right, B = body.bottom;
  const int k = (!flat && (style & tab3d::kClassic)) ? 1 : 0;
  const QColor hi = m_penHilite, sh = m_penShadow, dark(Qt::black);
  const QColor frame = SysQColor(SysColor::WindowFrame), light = ToQColor(LightColor());
  const bool sel = t.m_bSelected;
  switch (EdgeOf(style)) {
    case tab3d::kBottom:
      if (!flat) {
        PolyLine(p, hi, {{L, T + 1}, {L, B - 2}});
        PolyLine(p, sh, {{L + 1, B - 2}, {L + 1, B - 1}, {R - k - 2, B - 1}, {R - k - 2, B - 2}, {R - k - 1, B - 2},
                         {R - k - 1, T}, {R - k, T}});
        PolyLine(p, dark, {{R - k, T + 2}, {R - k, B - 2}, {R - k - 2, B}, {L + 2, B}});
      } else if (sel) {
        PolyLine(p, hi, {{L, T}, {L, B + 1}});
        PolyLine(p, frame, {{L + 1, B}, {R - 1, B}, {R - 1, T - 1}});
        PolyLine(p, light, {{L - 1, T + 3}, {L - 1, B - 1}});
      } else {
        PolyLine(p, sh, {{R - 1, T + 3}, {R - 1, B - 1}});
      }
      break;
    case tab3d::kTop:
      if (!flat) {
        PolyLine(p, hi, {{L, B - 1}, {L, T + 2}, {L + 2, T}, {R - k - 2, T}});
        PolyLine(p, sh, {{R - k - 2, T + 1}, {R - k - 1, T + 2}, {R - k - 1, B}});
        PolyLine(p, dark, {{R - k - 1, T + 1}, {R - k, T + 2}, {R - k, B}});
      } else if (sel) {
        PolyLine(p, hi, {{L, B}, {L, T}, {R, T}});
        PolyLine(p, frame, {{R - 1, T + 1}, {R - 1, B + 1}});
        PolyLine(p, light, {{L - 1, T + 2}, {L - 1, B - 2}});
      } else {
        PolyLine(p, sh, {{R - 1, T + 2}, {R - 1, B - 2}});
      }
      break;
    case tab3d::kLeft:
      if (!flat) {
        PolyLine(p, sh, {{L + 1, B - k - 2}, {L + 2, B - k - 1}, {R, B - k - 1}});
        PolyLine(p, hi, {{L, B - k - 2}, {L, T + 2}, {L + 2, T}, {R, T}});
        PolyLine(p, dark, {{L + 1, B - k - 1}, {L + 2, B - k}, {R, B - k}});
      } else if (sel) {
        PolyLine(p, hi, {{R, T}, {L, T}, {L, B + 1}});
        PolyLine(p, frame, {{L + 1, B}, {R, B}});
        PolyLine(p, light, {{L + 2, T - 1}, {R - 2, T - 1}});
      } else {
        PolyLine(p, sh, {{L + 2, B - 1}, {R - 2, B - 1}});
      }
      break;
    default:
      if (!flat) {
        PolyLine(p, hi, {{L, T}, {R - 2, T}});
        PolyLine(p, sh, {{R - 2, T}, {R - 1, T + 1}, {R - 1, B - k - 2}});
        PolyLine(p, dark, {{R, T + 2}, {R, B - k - 2}});
        PolyLine(p, sh, {{R - 1, B - k - 2}, {R - 2, B - k - 1}, {L, B - k - 1}});
        PolyLine(p, dark, {{R, B - k - 2}, {R - 2, B - k}, {L, B - k}});
      } else if (sel) {
        PolyLine(p, hi, {{L, T}, {R + 1, T}});
        PolyLine(p, frame, {{R, T + 1}, {R, B - 2}, {L - 1, B - 2}});
        PolyLine(p, light, {{L + 3, T - 1}, {R - 1, T - 1}});
      } else {
        PolyLine(p, sh, {{L + 3, B - 1}, {R - 1, B - 1}});
      }
      break;
  }
}

void SEC3DTabControl::DrawContentParts(QPainter& p, int index, bool active, const QColor& text) {
  const SEC3DTab& t = Tab3D(index);
  const Tab3DGeometry g = TabGeometry(index);
  // The widget's SetTabIcon is the only way an icon reaches a tab here.
  if (t.m_hIcon) static_cast<const QIcon*>(t.m_hIcon)->paint(&p, ToQRect(g.icon));
  if (g.text.IsEmpty() || t.m_strLabel.empty()) return;
  p.save();
  p.setClipRect(ToQRect(g.hit));
  p.setFont(active ? m_fontActive : m_measurer.Normal());
  p.setPen(text);
  const QString label = QString::fromStdString(t.m_strLabel);
  if (g.textAngle == 0) {
    p.drawText(ToQRect(g.text), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, label);
  } else {
    const bool up = g.textAngle == 90;
    p.translate(up ? g.text.left : g.text.right, up ? g.text.bottom : g.text.top);
    p.rotate(up ? -90 : 90);
    p.drawText(QRect(0, 0, g.text.Height(), g.text.Width()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               label);
  }
  p.restore();
}

void SEC3DTabControl::DrawTabContent(QPainter& p, int index, bool active) {
  const SEC3DTab& t = Tab3D(index);
  const Tab3DGeometry g = TabGeometry(index);
  const QColor text = !t.m_bSelected ? InactiveTextColor() : active ? m_clrTextActive : m_clrText;
  if (t.m_bEnabled) {
    DrawContentParts(p, index, active, text);
  } else {
    // Drawn on a face-coloured scratch image, embossed, and laid over the
    // tab with the face left out so the tab's own background stays.
    const Color face = GetSysColor(SysColor::BtnFace);
    QImage scratch(g.body.Width(), g.body.Height(), QImage::Format_RGB32);
    scratch.fill(ToQColor(face));
    {
      QPainter sp(&scratch);
      sp.setRenderHint(QPainter::TextAntialiasing, false);
      sp.translate(-g.body.left, -g.body.top);
      DrawContentParts(sp, index, active, text);
    }
    PixelBuffer pixels = ToPixels(scratch);
    SECDrawDisabled(pixels, pixels.width, pixels.height,
                    {LightColor(), face, GetSysColor(SysColor::BtnHighlight), GetSysColor(SysColor::BtnShadow)});
    p.drawImage(g.body.left, g.body.top, ToQImage(pixels, face));
  }
  if (m_bParentTabStop && t.m_bSelected && hasFocus()) {
    p.save();
    QPen pen(SysQColor(SysColor::BtnText), 0, Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(g.focus.left, g.focus.top, g.focus.Width() - 1, g.focus.Height() - 1);
    p.restore();
  }
}

void SEC3DTabControl::DrawTab(QPainter& p, int index, bool active) {
  const SEC3DTab& t = Tab3D(index);
  const Tab3DGeometry g = TabGeometry(index);
  const std::uint32_t style = Style();
  Rect fill = g.body;
  QColor back = SysQColor(SysColor::BtnFace);
  if (style & tab3d::kFlat) {
    if (active) {
      if (EdgeOf(style) == tab3d::kTop) fill.bottom += 1;
      else if (EdgeOf(style) == tab3d::kLeft) fill.right += 1;
    } else {
      back = ToQColor(LightColor());
    }
  }
  p.fillRect(ToQRect(fill), back);
  DrawTabBorder(p, t, g.body);
  DrawTabContent(p, index, active);
}

void SEC3DTabControl::paintEvent(QPaintEvent*) {
  QPainter target(this);
  SECMemDC p(&target, rect());
  PaintBackground(p);
  int active = -1;
  const bool hasActive = GetActiveTab(&active) && IsValidTab(active);
  for (int i = 0; i < GetTabCount(); ++i)
    if (!(hasActive && i == active)) DrawTab(p, i, false);
  PaintPaneEdge(p);
  if (hasActive) DrawTab(p, active, true);
}

}  // namespace pm2
