// Any bytes: the BMP reader refuses or accepts without reading out of
// bounds, an accepted image writes back and reads again, and small ones
// survive the pixel effects.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "toolkit/core/bitmap_effects.h"
#include "toolkit/core/dib_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pm2::SECDib dib;
  if (!dib.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.bmp")) return 0;
  for (int y = 0; y < dib.GetHeight() && y < 4; ++y)
    for (int x = 0; x < dib.GetWidth() && x < 64; ++x) (void)dib.PixelAt(x, y);
  if (std::int64_t(dib.GetWidth()) * dib.GetHeight() <= 1 << 16) {
    // Small images also go through the system-colour mapping and an effect
    // drawn partly off the destination.
    pm2::PixelBuffer pixels;
    if (!pm2::SECLoadSysColorBitmap(dib, pm2::SysColorTable(), &pixels)) std::abort();
    pm2::PixelBuffer dst(8, 8);
    pm2::SECDrawShadowBitmap(dst, {-3, 5, pixels.width, pixels.height, 1, 0}, pixels, 0xFF00FF, 0);
  }
  pm2::SECDib again;
  if (!again.LoadFromBytes(dib.SaveToBytes(), "again.bmp")) std::abort();
  return 0;
}
