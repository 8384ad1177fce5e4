#include "toolkit/controls/window_font_qt.h"

#include <QFontDatabase>
#include <algorithm>
#include <cstdlib>

namespace pm2 {

QFont FontOfEntry(const WindowFont& entry, const QFont& fallback) {
  QFont f = fallback;
  if (!entry.IsSet()) return f;
  const std::string face = entry.Face();
  if (!face.empty()) f.setFamily(QString::fromLocal8Bit(face.c_str()));
  // Negative: the character height; positive: the cell height, near enough
  // the same size in pixels for a window's text.
  if (entry.height != 0) f.setPixelSize(std::abs(entry.height));
  // Both weight scales run 1..1000 (400 normal, 700 bold); 0 means the default.
  if (entry.weight > 0) f.setWeight(QFont::Weight(std::clamp(int(entry.weight), 1, 1000)));
  f.setItalic(entry.italic != 0);
  f.setUnderline(entry.underline != 0);
  f.setStrikeOut(entry.strikeOut != 0);
  return f;
}

QColor ColourOfRecord(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

QFont WindowFixedFont() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

}  // namespace pm2
