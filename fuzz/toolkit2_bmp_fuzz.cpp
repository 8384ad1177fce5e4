// Any bytes: the BMP reader refuses or accepts without reading out of
// bounds, and an accepted image writes back and reads again.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "toolkit/core/dib_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pm2::SECDib dib;
  if (!dib.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.bmp")) return 0;
  for (int y = 0; y < dib.GetHeight() && y < 4; ++y)
    for (int x = 0; x < dib.GetWidth() && x < 64; ++x) (void)dib.PixelAt(x, y);
  pm2::SECDib again;
  if (!again.LoadFromBytes(dib.SaveToBytes(), "again.bmp")) std::abort();
  return 0;
}
