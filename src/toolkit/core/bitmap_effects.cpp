#include "toolkit/core/bitmap_effects.h"

#include <algorithm>

#include "toolkit/core/color_math.h"

namespace pm2 {

PixelBuffer::PixelBuffer(int w, int h, Color fill)
    : width(std::max(0, w)), height(std::max(0, h)), pixels(std::size_t(width) * height, fill) {}

PixelBuffer PixelsOf(const SECDib& dib) {
  if (dib.IsEmpty()) return {};
  PixelBuffer out(dib.GetWidth(), dib.GetHeight());
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) out.Set(x, y, dib.PixelAt(x, y));
  return out;
}

namespace {

// Runs `f(dstX, dstY, srcPixel)` for every source pixel of the area that
// is not the transparent colour and lands inside both images.
template <typename F>
void ForOpaque(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent, F f) {
  for (int j = 0; j < a.cy; ++j)
    for (int i = 0; i < a.cx; ++i) {
      const int sx = a.srcX + i, sy = a.srcY + j, dx = a.x + i, dy = a.y + j;
      if (!src.Inside(sx, sy) || !dst.Inside(dx, dy)) continue;
      const Color c = src.At(sx, sy);
      if (c != transparent) f(dx, dy, c);
    }
}

Color DisabledColour(Color c) {
  const int lum = Luminance256(c);
  if (lum > 253 * 256) c = 0;
  else if (lum < 100 * 256) c = MakeRgb(255, 255, 255);
  return SECLightenColor(c, 32);
}

// The four stored greys of a system-colour bitmap and what replaces them.
struct GreyMap {
  Color stored;
  SysColor sys;
};
constexpr GreyMap kGreyMap[] = {
    {MakeRgb(0, 0, 0), SysColor::BtnText},
    {MakeRgb(128, 128, 128), SysColor::BtnShadow},
    {MakeRgb(192, 192, 192), SysColor::BtnFace},
    {MakeRgb(255, 255, 255), SysColor::BtnHighlight},
};

Color MapGrey(Color c, const SysColorTable& colors) {
  for (const GreyMap& m : kGreyMap)
    if (m.stored == c) return colors.Get(m.sys);
  return c;
}

}  // namespace

void SECDrawTransparentBitmap(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent) {
  ForOpaque(dst, a, src, transparent, [&](int x, int y, Color c) { dst.Set(x, y, c); });
}

void SECDrawDisabledBitmap(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent,
                           bool recolour) {
  ForOpaque(dst, a, src, transparent,
            [&](int x, int y, Color c) { dst.Set(x, y, recolour ? DisabledColour(c) : c); });
}

void SECDrawBlendedBitmap(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent,
                          Color blend, int alpha) {
  alpha = std::clamp(alpha, 0, 255);
  auto mix = [alpha](int p, int b) { return (p * alpha + b * (255 - alpha)) >> 8; };
  ForOpaque(dst, a, src, transparent, [&](int x, int y, Color c) {
    dst.Set(x, y,
            MakeRgb(mix(RedOf(c), RedOf(blend)), mix(GreenOf(c), GreenOf(blend)), mix(BlueOf(c), BlueOf(blend))));
  });
}

void SECDrawShadowBitmap(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent,
                         Color shadow) {
  ForOpaque(dst, a, src, transparent, [&](int x, int y, Color c) {
    if (Luminance256(c) <= 180 * 256) dst.Set(x, y, shadow);
  });
}

void SECDrawHighlightBitmap(PixelBuffer& dst, const BlitArea& a, const PixelBuffer& src, Color transparent,
                            Color fill) {
  ForOpaque(dst, a, src, transparent, [&](int x, int y, Color) { dst.Set(x, y, fill); });
}

void SECDrawDisabled(PixelBuffer& img, int cx, int cy, const EmbossColours& colours) {
  cx = std::min(cx, img.width);
  cy = std::min(cy, img.height);
  if (cx <= 0 || cy <= 0) return;
  // The mask is taken before either pass paints, as the two blits read the
  // same monochrome copy.
  std::vector<bool> mask(std::size_t(cx) * cy);
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < cx; ++x) {
      const Color c = img.At(x, y);
      mask[std::size_t(y) * cx + x] = c != colours.background1 && c != colours.background2;
    }
  // The ink itself gives way to the face first, so only the raised
  // outline stays (a disabled label is not also drawn in its own colour).
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < cx; ++x)
      if (mask[std::size_t(y) * cx + x]) img.Set(x, y, colours.background2);
  const struct {
    int offset;
    Color colour;
  } passes[] = {{2, colours.light}, {1, colours.shadow}};
  for (const auto& pass : passes)
    for (int y = 0; y < cy; ++y)
      for (int x = 0; x < cx; ++x) {
        // The blit is clipped to the cx x cy area, like the scratch bitmap.
        const int tx = x + pass.offset, ty = y + pass.offset;
        if (mask[std::size_t(y) * cx + x] && tx < cx && ty < cy) img.Set(tx, ty, pass.colour);
      }
}

bool SECLoadSysColorBitmap(const SECDib& dib, const SysColorTable& colors, PixelBuffer* out, std::string* err) {
  if (dib.IsEmpty()) {
    if (err) *err = "Cannot load an empty bitmap with system colours";
    return false;
  }
  // Mapping a table entry and mapping every pixel that shows it give the
  // same picture, so one rule serves all depths.
  *out = PixelsOf(dib);
  for (Color& c : out->pixels) c = MapGrey(c, colors);
  return true;
}

}  // namespace pm2
