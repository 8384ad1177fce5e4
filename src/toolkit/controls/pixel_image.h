#pragma once
// Conversion between Qt images and the core's pixel buffers, so the bitmap
// effects run on plain pixels and the widgets only paint the result.

#include <QImage>
#include <string>

#include "toolkit/core/bitmap_effects.h"

namespace pm2 {

inline PixelBuffer ToPixels(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  PixelBuffer out(rgb.width(), rgb.height());
  for (int y = 0; y < out.height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < out.width; ++x) out.Set(x, y, Color(line[x] & 0xFFFFFFu));
  }
  return out;
}

// Pixels of `clear` become fully transparent, so the result can be drawn
// over what is already there.
inline QImage ToQImage(const PixelBuffer& pixels, Color clear) {
  QImage out(pixels.width, pixels.height, QImage::Format_ARGB32);
  for (int y = 0; y < pixels.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < pixels.width; ++x) {
      const Color c = pixels.At(x, y);
      line[x] = c == clear ? 0u : (0xFF000000u | c);
    }
  }
  return out;
}

}  // namespace pm2
