#include "toolkit/controls/qt_bridge.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace pm2 {

QFont DefaultGuiFont() {
  QFont f("DejaVu Sans");
  f.setPixelSize(11);
  return f;
}

namespace {

// The family part of a listed name: a family that more than one foundry
// provides is listed once per foundry, as "Nimbus Sans Narrow [urw]", and a
// stored face name may carry a foundry the same way.
QStringView FamilyPart(QStringView name) {
  const qsizetype foundry = name.indexOf(QLatin1String(" ["));
  if (foundry > 0 && name.endsWith(QLatin1Char(']'))) name = name.left(foundry);
  return name.trimmed();
}

}  // namespace

bool FamilyListed(const QStringList& listed, const QString& family) {
  // The font system takes a family with any foundry when the named one is
  // missing, so only the families are compared.
  const QStringView wanted = FamilyPart(family);
  for (const QString& name : listed)
    if (FamilyPart(name).compare(wanted, Qt::CaseInsensitive) == 0) return true;
  return false;
}

bool FamilyInstalled(const QString& family) { return FamilyListed(QFontDatabase::families(), family); }

QStringList InstalledFamilies(const QStringList& wanted) {
  QStringList out;
  for (const QString& family : wanted)
    if (FamilyInstalled(family)) out << family;
  return out.isEmpty() ? wanted : out;
}

QFont QtTextMeasurer::FontFor(FontChoice c) const {
  QFont f = m_font;
  if (c.bold) f.setBold(true);
  return f;
}

Size QtTextMeasurer::Measure(std::string_view text, FontChoice font, int maxWidth, bool singleLine) {
  QFontMetrics fm(FontFor(font));
  QString s = QString::fromLocal8Bit(text.data(), int(text.size()));
  if (singleLine) {
    int nl = s.indexOf('\n');
    if (nl >= 0) s.truncate(nl);
    s.truncate(259);
    // A line without tabs and without trailing blanks (which a laid-out line
    // leaves out of its width) is as wide as its advance; measuring that
    // skips the text layout that the labels of a tree or list would
    // otherwise each go through.
    if (!s.contains(QLatin1Char('\t')) && (s.isEmpty() || !s.back().isSpace())) {
      // The layout widens a line by the part of its last glyph that stands
      // out past the glyph's advance.
      const QFontMetricsF fmf(FontFor(font));
      const qreal overhang = s.isEmpty() ? 0 : std::max<qreal>(0, -fmf.rightBearing(s.back()));
      return {int(std::ceil(fmf.horizontalAdvance(s) + overhang)), fm.height()};
    }
    QRect r = fm.boundingRect(QRect(0, 0, 100000, 1000), Qt::TextSingleLine | Qt::TextExpandTabs, s);
    return {r.width(), fm.height()};
  }
  QRect r = fm.boundingRect(QRect(0, 0, std::max(1, maxWidth), 100000), Qt::TextWordWrap | Qt::TextExpandTabs, s);
  return {r.width(), std::max(r.height(), fm.height())};
}

int QtTextMeasurer::LineHeight(FontChoice font) { return QFontMetrics(FontFor(font)).height(); }

void DrawClassicFrame(QPainter& p, const QRect& r, bool sunken) {
  const QColor hi = SysQColor(SysColor::BtnHighlight);
  const QColor light = SysQColor(SysColor::Light3D);
  const QColor shadow = SysQColor(SysColor::BtnShadow);
  const QColor dark = SysQColor(SysColor::DkShadow3D);
  const QColor outerTL = sunken ? shadow : light;
  const QColor outerBR = sunken ? hi : dark;
  const QColor innerTL = sunken ? dark : hi;
  const QColor innerBR = sunken ? light : shadow;
  auto box = [&](QRect b, const QColor& tl, const QColor& br) {
    p.setPen(tl);
    p.drawLine(b.left(), b.top(), b.right() - 1, b.top());
    p.drawLine(b.left(), b.top(), b.left(), b.bottom() - 1);
    p.setPen(br);
    p.drawLine(b.left(), b.bottom(), b.right(), b.bottom());
    p.drawLine(b.right(), b.top(), b.right(), b.bottom());
  };
  box(r, outerTL, outerBR);
  box(r.adjusted(1, 1, -1, -1), innerTL, innerBR);
}

}  // namespace pm2
