#include "toolkit/toolbars/menu_button_text.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <unordered_map>

#include "toolkit/controls/pixel_image.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/color_math.h"

namespace pm2 {

Size MeasureMenuButtonText(const std::string& text) {
  // The menu bar and the toolbars measure the same few titles again at
  // every layout (over a hundred times while the frame is made); the font
  // never changes, so each title is laid out once. GUI thread only.
  static std::unordered_map<std::string, Size> measured;
  if (const auto it = measured.find(text); it != measured.end()) return it->second;
  const QFontMetrics fm(DefaultGuiFont());
  const QRect r = fm.boundingRect(QRect(), Qt::TextSingleLine | Qt::TextShowMnemonic, ToQString(text));
  const Size size{r.width(), r.height()};
  if (measured.size() < 256) measured.emplace(text, size);
  return size;
}

void DrawMenuButtonText(PixelBuffer& into, int x, int y, const std::string& text, Color color) {
  // Drawn into its own image, then laid over the button's pixels by its
  // coverage, so the text keeps its smoothed edges.
  const Size size = MeasureMenuButtonText(text);
  if (size.cx <= 0 || size.cy <= 0) return;
  QImage image(size.cx + 2, size.cy + 2, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setFont(DefaultGuiFont());
    p.setPen(ToQColor(color));
    p.drawText(image.rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic,
               ToQString(text));
  }
  for (int j = 0; j < image.height(); ++j) {
    for (int i = 0; i < image.width(); ++i) {
      const int alpha = qAlpha(image.pixel(i, j));
      if (alpha == 0 || !into.Inside(x + i, y + j)) continue;
      const Color under = into.At(x + i, y + j);
      const auto mix = [&](int fg, int bg) { return (fg * alpha + bg * (255 - alpha)) / 255; };
      into.Set(x + i, y + j,
               MakeRgb(mix(RedOf(color), RedOf(under)), mix(GreenOf(color), GreenOf(under)),
                       mix(BlueOf(color), BlueOf(under))));
    }
  }
}

}  // namespace pm2
