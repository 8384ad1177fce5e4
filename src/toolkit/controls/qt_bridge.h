#pragma once
// Conversions between the Qt-free toolkit core and Qt, and a text measurer
// that measures with the widget's real fonts.

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

class QPainter;

#include "toolkit/core/sys_colors.h"
#include "toolkit/models/list_host.h"

namespace pm2 {

inline QColor ToQColor(Color c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
inline QColor SysQColor(SysColor c) { return ToQColor(GetSysColor(c)); }
inline QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
inline Rect FromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
inline QString ToQString(const std::string& s) { return QString::fromLocal8Bit(s.data(), int(s.size())); }
inline std::string FromQString(const QString& s) { return s.toLocal8Bit().toStdString(); }

// The toolkit's default GUI font (DEFAULT_GUI_FONT of the classic look).
QFont DefaultGuiFont();

// The families of `wanted` that this machine has, in their order; `wanted`
// itself when it has none of them, so that the font system's own fallback
// chooses. A font asked for by a family that is not installed costs a
// fallback search every time it is made; the named faces of the classic
// look (Tahoma, Arial Narrow) are missing on most machines.
QStringList InstalledFamilies(const QStringList& wanted);
// Whether this machine has the family (from any foundry), ignoring case;
// the family may be named with a foundry ("C059 [urw]"), as the machine
// lists it when several foundries provide it.
bool FamilyInstalled(const QString& family);
// The same question about the names `listed` (as QFontDatabase lists them).
bool FamilyListed(const QStringList& listed, const QString& family);

// Measures with QFontMetrics: font 0 is the owner's font, bold on request.
class QtTextMeasurer : public TextMeasurer {
 public:
  explicit QtTextMeasurer(const QFont& font) : m_font(font) {}
  void SetFont(const QFont& f) { m_font = f; }
  QFont FontFor(FontChoice c) const;
  Size Measure(std::string_view text, FontChoice font, int maxWidth, bool singleLine) override;
  int LineHeight(FontChoice font) override;

 private:
  QFont m_font;
};

// Images of an image list: every image the same size.
struct ImageStrip {
  std::vector<QPixmap> images;
  ImageListInfo Info() const {
    if (images.empty()) return {};
    return {int(images.size()), images[0].width(), images[0].height()};
  }
};

// Draws a classic 3-D frame (raised or sunken, two pixels).
void DrawClassicFrame(QPainter& p, const QRect& r, bool sunken);

}  // namespace pm2
