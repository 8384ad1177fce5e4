#pragma once
// The bitmap effects the painting code shares, as operations on plain pixel
// buffers: transparent copy, disabled and blended copies, shadow and
// highlight silhouettes, the embossed disabled look of tab labels, and
// loading a bitmap with its standard greys mapped to the system colours.
// The widgets convert to and from their images at the edge; these rules are
// the same on every machine and testable pixel by pixel.

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/dib_image.h"
#include "toolkit/core/geometry.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {

// A top-down image of 0x00RRGGBB pixels. Invariant: pixels.size() ==
// width * height. Reads and writes outside the image are ignored (reads
// answer 0), so effects clip at both images' edges.
struct PixelBuffer {
  int width = 0;
  int height = 0;
  std::vector<Color> pixels;

  PixelBuffer() = default;
  PixelBuffer(int w, int h, Color fill = 0);
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  Color At(int x, int y) const { return Inside(x, y) ? pixels[std::size_t(y) * width + x] : 0; }
  void Set(int x, int y, Color c) {
    if (Inside(x, y)) pixels[std::size_t(y) * width + x] = c;
  }
};

// The pixels of an image of any depth it can hold (empty for an empty one).
PixelBuffer PixelsOf(const SECDib& dib);

// Where an effect reads and writes: the destination area (x, y, cx, cy) and
// the source's top-left corner; the source is read at the destination size.
struct BlitArea {
  int x = 0, y = 0, cx = 0, cy = 0;
  int srcX = 0, srcY = 0;
};

// Copies the source, leaving the transparent colour's pixels untouched.
void SECDrawTransparentBitmap(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent);
// Copies with transparency; with `recolour` each copied pixel first becomes
// black when nearly white (luminance above 253), white when dark (below
// 100), else stays, and is then lightened by 32.
void SECDrawDisabledBitmap(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent,
                           bool recolour);
// Copies with transparency, each channel (pixel * alpha + blend * (255 - alpha)) >> 8.
void SECDrawBlendedBitmap(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent,
                          Color blend, int alpha);
// Paints `shadow` wherever the source is not transparent and its luminance
// is not above 180; the destination stays elsewhere.
void SECDrawShadowBitmap(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent,
                         Color shadow);
// Paints `fill` wherever the source is not transparent (a silhouette).
void SECDrawHighlightBitmap(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent,
                            Color fill);

// The embossed look of a disabled tab. Every pixel of the top-left cx x cy
// area that shows neither background colour marks a mask; the marked pixels
// become `background2`, then the mask is painted in `light` offset by
// (2, 2) and in `shadow` offset by (1, 1), both clipped to the area.
struct EmbossColours {
  Color background1 = 0;  // the flat look's light colour
  Color background2 = 0;  // the button face
  Color light = 0;
  Color shadow = 0;
};
void SECDrawDisabled(PixelBuffer& img, int cx, int cy, const EmbossColours& colours);

// Replaces black, dark grey (0x808080), light grey (0xC0C0C0) and white by
// the button text, shadow, face and highlight colours of `colors`, for
// images of every depth (mapping a palette entry and mapping the pixels
// that show it give the same picture). Refuses an empty image with a
// message.
bool SECLoadSysColorBitmap(const SECDib& dib, const SysColorTable& colors, PixelBuffer* out,
                           std::string* err = nullptr);

}  // namespace pm2
