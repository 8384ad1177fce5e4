#include "toolkit/core/dib_image.h"

#include "toolkit/core/bitmap_effects.h"
#include "toolkit/core/image_read_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace pm2 {
namespace {

void U32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
void U16(std::string& s, std::uint16_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char(v >> 8));
}

struct BmpSpec {
  int width = 5;
  int height = 3;
  int bits = 8;
  int tableEntries = -1;  // -1: 2^bits for palette depths
};

// A BMP written field by field the way the format is published, with a
// recognisable pixel pattern (byte value = x * 7 + y * 13 + 1).
std::string MakeBmp(const BmpSpec& spec) {
  const int entries = spec.tableEntries >= 0 ? spec.tableEntries : (spec.bits <= 8 ? 1 << spec.bits : 0);
  const int row = (spec.width * spec.bits + 31) / 32 * 4;
  std::string info;
  U32(info, 40);
  U32(info, spec.width);
  U32(info, spec.height);
  U16(info, 1);
  U16(info, spec.bits);
  U32(info, 0);
  U32(info, row * spec.height);
  U32(info, 2835);
  U32(info, 2835);
  U32(info, spec.tableEntries >= 0 ? spec.tableEntries : 0);
  U32(info, 0);
  for (int i = 0; i < entries; ++i) {
    info.push_back(char(i * 3));       // blue
    info.push_back(char(255 - i));     // green
    info.push_back(char(i * 5 + 1));   // red
    info.push_back(0);
  }
  std::string pixels;
  for (int y = 0; y < spec.height; ++y)
    for (int x = 0; x < row; ++x) pixels.push_back(char(x * 7 + y * 13 + 1));
  std::string file = "BM";
  U32(file, 14 + info.size() + pixels.size());
  U32(file, 0);
  U32(file, 14 + info.size());
  return file + info + pixels;
}

TEST(Dib, EveryDepthWritesBackByteIdentical) {
  const BmpSpec specs[] = {
      {17, 4, 1}, {9, 3, 4}, {5, 3, 8}, {7, 2, 24}, {3, 5, 32}, {5, 3, 8, 20},
  };
  for (const BmpSpec& spec : specs) {
    const std::string bytes = MakeBmp(spec);
    SECDib dib;
    std::string err;
    ASSERT_TRUE(dib.LoadFromBytes(bytes, "t.bmp", &err)) << spec.bits << ": " << err;
    EXPECT_EQ(dib.GetWidth(), spec.width);
    EXPECT_EQ(dib.GetHeight(), spec.height);
    EXPECT_EQ(dib.BitCount(), spec.bits);
    EXPECT_EQ(dib.SaveToBytes(), bytes) << spec.bits << " bits";
  }
}

TEST(Dib, PixelsAndPaletteDecode) {
  // 8 bits: the bottom stored row is the last display row.
  SECDib dib;
  ASSERT_TRUE(dib.LoadFromBytes(MakeBmp({5, 3, 8}), "t.bmp"));
  const int index = 2 * 7 + 0 * 13 + 1;  // display row 2 = stored row 0, x 2
  EXPECT_EQ(dib.PixelAt(2, 2), MakeRgb(index * 5 + 1, 255 - index, index * 3));
  ASSERT_EQ(dib.Palette().size(), 256u);
  EXPECT_EQ(dib.GetNumColors(), 256);

  // 24 bits: blue, green, red in each pixel's bytes.
  ASSERT_TRUE(dib.LoadFromBytes(MakeBmp({7, 2, 24}), "t.bmp"));
  EXPECT_EQ(dib.PixelAt(1, 1), MakeRgb((5 * 7 + 1) & 0xFF, (4 * 7 + 1) & 0xFF, 3 * 7 + 1));
  EXPECT_TRUE(dib.Palette().empty());

  // Made in memory, written and read back.
  SECDib made;
  ASSERT_TRUE(made.Create(10, 2, 4, {MakeRgb(0, 0, 0), MakeRgb(255, 0, 0)}));
  made.SetPixelValue(9, 0, 1);
  SECDib again;
  ASSERT_TRUE(again.LoadFromBytes(made.SaveToBytes(), "m.bmp"));
  EXPECT_EQ(again.PixelAt(9, 0), MakeRgb(255, 0, 0));
  EXPECT_EQ(again.PixelAt(8, 0), MakeRgb(0, 0, 0));
  EXPECT_EQ(again.SaveToBytes().size(), 14u + 40 + 16 * 4 + 8 * 2);
}

// A one-pixel bit-field image (compression 3, masks after a 40-byte header).
std::string MakeBitFieldBmp(int bits, std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t pixel) {
  std::string info;
  U32(info, 40);
  U32(info, 1);
  U32(info, 1);
  U16(info, 1);
  U16(info, std::uint16_t(bits));
  U32(info, 3);
  U32(info, 4);
  for (int i = 0; i < 4; ++i) U32(info, 0);
  U32(info, r);
  U32(info, g);
  U32(info, b);
  std::string pixels;
  U32(pixels, bits == 16 ? (pixel & 0xFFFF) : pixel);  // one row, padded to 4 bytes
  std::string file = "BM";
  U32(file, 14 + info.size() + pixels.size());
  U32(file, 0);
  U32(file, 14 + info.size());
  return file + info + pixels;
}

TEST(Dib, BitFieldChannelsScaleToBytes) {
  struct Row {
    const char* name;
    int bits;
    std::uint32_t r, g, b, pixel;
    Color expected;
  } rows[] = {
      {"16-bit 5-6-5 white", 16, 0xF800, 0x07E0, 0x001F, 0xFFFF, MakeRgb(255, 255, 255)},
      {"16-bit 5-6-5 pure green", 16, 0xF800, 0x07E0, 0x001F, 0x07E0, MakeRgb(0, 255, 0)},
      {"32-bit 10-10-10 red", 32, 0x3FF00000, 0x000FFC00, 0x000003FF, 0x3FF00000, MakeRgb(255, 0, 0)},
      {"32-bit channel over all bits, full", 32, 0xFFFFFFFF, 0, 0, 0xFFFFFFFF, MakeRgb(255, 0, 0)},
      {"32-bit channel over all bits, half", 32, 0xFFFFFFFF, 0, 0, 0x80000000, MakeRgb(127, 0, 0)},
  };
  for (const Row& r : rows) {
    SECDib dib;
    std::string err;
    ASSERT_TRUE(dib.LoadFromBytes(MakeBitFieldBmp(r.bits, r.r, r.g, r.b, r.pixel), "f.bmp", &err)) << r.name << err;
    EXPECT_EQ(dib.PixelAt(0, 0), r.expected) << r.name;
  }
}

TEST(Dib, LyingHeadersAreRefusedAndTheOldImageKept) {
  const std::string good = MakeBmp({5, 3, 8});
  auto patch32 = [&](std::size_t at, std::uint32_t v) {
    std::string s = good;
    for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
    return s;
  };
  auto patch16 = [&](std::size_t at, std::uint16_t v) {
    std::string s = good;
    s[at] = char(v & 0xFF);
    s[at + 1] = char(v >> 8);
    return s;
  };
  struct Row {
    const char* name;
    std::string bytes;
    const char* message;
  } rows[] = {
      {"not BM", "BX" + good.substr(2), "'bad.bmp' is not a bitmap file"},
      {"file size too large", patch32(2, good.size() + 1), "'bad.bmp' claims 1103 bytes but holds 1102"},
      {"offset past the end", patch32(10, good.size() + 4), "'bad.bmp' places its pixels at 1106, outside the file"},
      {"offset inside the table", patch32(10, 100), "'bad.bmp' places its pixels at 100, outside the file"},
      {"taller than the rows", patch32(22, 4), "'bad.bmp' is cut off: its pixels need 32 bytes, it holds 24"},
      {"huge width", patch32(18, 0x7FFFFFFF), "'bad.bmp' has a size of 2147483647 x 3"},
      {"zero height", patch32(22, 0), "'bad.bmp' has a size of 5 x 0"},
      {"three bits", patch16(28, 3), "'bad.bmp' has 3 bits per pixel"},
      {"two planes", patch16(26, 2), "'bad.bmp' has 2 colour planes"},
      {"compressed", patch32(30, 1), "'bad.bmp' is compressed (method 1)"},
      {"too many colours", patch32(46, 300), "'bad.bmp' lists 300 colours for 8 bits per pixel"},
      {"small header", patch32(14, 12), "'bad.bmp' has a bitmap header of 12 bytes"},
  };
  for (const Row& r : rows) {
    SECDib dib;
    ASSERT_TRUE(dib.LoadFromBytes(MakeBmp({2, 2, 24}), "old.bmp"));
    const std::string before = dib.SaveToBytes();
    std::string err;
    EXPECT_FALSE(dib.LoadFromBytes(r.bytes, "bad.bmp", &err)) << r.name;
    EXPECT_EQ(err, r.message) << r.name;
    EXPECT_EQ(dib.SaveToBytes(), before) << r.name;
  }
}

TEST(Dib, EveryCutOfAFileIsRefused) {
  const std::string good = MakeBmp({9, 3, 4});
  for (std::size_t n = 0; n < good.size(); ++n) {
    SECDib dib;
    EXPECT_FALSE(dib.LoadFromBytes(good.substr(0, n), "cut.bmp")) << n;
    EXPECT_TRUE(dib.IsEmpty());
  }
}

TEST(Dib, SaveAndLoadThroughAFile) {
  const auto dir = std::filesystem::temp_directory_path() / ("pm2_dib_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "img.bmp").string();
  SECDib dib;
  ASSERT_TRUE(dib.LoadFromBytes(MakeBmp({3, 5, 32}), "x.bmp"));
  std::string err;
  ASSERT_TRUE(dib.SaveImage(path, &err)) << err;
  SECDib back;
  ASSERT_TRUE(back.LoadImage(path, &err)) << err;
  EXPECT_EQ(back.SaveToBytes(), dib.SaveToBytes());
  EXPECT_FALSE(back.LoadImage((dir / "missing.bmp").string(), &err));
  EXPECT_NE(err.find("missing.bmp"), std::string::npos);
  std::filesystem::remove_all(dir);
}

// A bitmap of four colours in a 3 x 2 picture.
PixelBuffer FourColours() {
  PixelBuffer b(3, 2);
  const Color c[] = {MakeRgb(255, 0, 0), MakeRgb(0, 255, 0), MakeRgb(0, 0, 255), MakeRgb(9, 8, 7)};
  b.Set(0, 0, c[0]);
  b.Set(1, 0, c[1]);
  b.Set(2, 0, c[0]);
  b.Set(0, 1, c[2]);
  b.Set(1, 1, c[3]);
  b.Set(2, 1, c[3]);
  return b;
}

TEST(Dib, CreatedFromABitmapAtEveryDepthThatHoldsItsColours) {
  const PixelBuffer bitmap = FourColours();
  struct Row {
    const char* name;
    int bits;
    bool ok;
    int paletteSize;
  } rows[] = {
      {"true colour", 24, true, 0},
      {"256 colours", 8, true, 256},
      {"16 colours", 4, true, 16},
      {"two colours do not hold four", 1, false, 0},
      {"no such depth", 16, false, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    SECDib dib;
    ASSERT_TRUE(dib.Create(1, 1, 8, {MakeRgb(1, 1, 1)}));
    std::string err;
    EXPECT_EQ(dib.CreateFromBitmap(bitmap, r.bits, &err), r.ok) << err;
    if (!r.ok) {
      EXPECT_FALSE(err.empty());
      EXPECT_EQ(dib.GetWidth(), 1);  // the old image stays
      continue;
    }
    EXPECT_EQ(dib.BitCount(), r.bits);
    EXPECT_EQ(PixelsOf(dib).pixels, bitmap.pixels);
    EXPECT_EQ(int(dib.GetLogPalette().size()), r.paletteSize);
    // And it survives a round trip through the file format.
    SECDib back;
    ASSERT_TRUE(back.LoadFromBytes(dib.SaveToBytes(), "round trip", &err)) << err;
    EXPECT_EQ(PixelsOf(back).pixels, bitmap.pixels);
  }
  SECDib dib;
  std::string err;
  EXPECT_FALSE(dib.CreateFromBitmap(PixelBuffer(), 24, &err));
  EXPECT_EQ(err, "An image cannot be made from a bitmap of 0 x 0");
}

TEST(Dib, LogicalPaletteCoversTheDepthAndCopiesKeepIt) {
  SECDib dib;
  // A 4-bit file that lists only 3 colours: the palette still has 16.
  ASSERT_TRUE(dib.LoadFromBytes(MakeBmp({5, 3, 4, 3}), "three.bmp"));
  ASSERT_EQ(dib.GetLogPalette().size(), 16u);
  EXPECT_EQ(dib.GetLogPalette()[2], MakeRgb(11, 253, 6));
  EXPECT_EQ(dib.GetLogPalette()[3], 0u);
  SECDib truecolour;
  ASSERT_TRUE(truecolour.LoadFromBytes(MakeBmp({5, 3, 24}), "rgb.bmp"));
  EXPECT_TRUE(truecolour.GetLogPalette().empty());

  SECDib copy;
  copy.CopyImage(dib);
  EXPECT_EQ(copy.SaveToBytes(), dib.SaveToBytes());
  EXPECT_EQ(copy.GetLogPalette(), dib.GetLogPalette());
  copy.SetPixelValue(0, 0, 5);
  EXPECT_NE(copy.PixelAt(0, 0), dib.PixelAt(0, 0));  // a copy, not a view
  copy.CopyImage(copy);
  EXPECT_EQ(copy.GetWidth(), 5);
  copy.CopyImage(SECDib());
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_TRUE(copy.GetLogPalette().empty());
}

// A source that hands out at most `step` bytes per read and counts reads.
class TrickleSource : public ImageByteSource {
 public:
  TrickleSource(std::string bytes, std::size_t step) : m_bytes(std::move(bytes)), m_step(step) {}
  std::size_t Read(void* out, std::size_t size) override {
    ++reads;
    const std::size_t n = std::min({size, m_step, m_bytes.size() - m_pos});
    std::memcpy(out, m_bytes.data() + m_pos, n);
    m_pos += n;
    return n;
  }
  int reads = 0;

 private:
  std::string m_bytes;
  std::size_t m_step;
  std::size_t m_pos = 0;
};

TEST(Dib, ReadCacheDeliversWholeReadsFromShortSourceReads) {
  std::string data;
  for (int i = 0; i < 1000; ++i) data.push_back(char(i * 7));
  TrickleSource src(data, 64);
  ImageReadCache cache(src);
  char buf[300];
  EXPECT_EQ(cache.Read(buf, 10), 10u);  // no cache yet: straight from the source
  EXPECT_EQ(src.reads, 1);
  ASSERT_TRUE(cache.Init(128, true));
  EXPECT_EQ(cache.Buffered(), 64u);
  std::string got(data.substr(0, 10));
  std::size_t n;
  while ((n = cache.Read(buf, sizeof buf)) > 0) got.append(buf, n);
  EXPECT_EQ(got, data);
  EXPECT_FALSE(cache.Init(0, false));
  EXPECT_FALSE(cache.IsSet());

  // An image read through the cache is the image of its bytes.
  const std::string bmp = MakeBmp({7, 5, 8});
  TrickleSource file(bmp, 5);
  ImageReadCache fileCache(file);
  SECDib dib;
  std::string err;
  ASSERT_TRUE(dib.LoadImage(fileCache, "trickle.bmp", &err)) << err;
  EXPECT_EQ(dib.SaveToBytes().substr(14), bmp.substr(14));
}

}  // namespace
}  // namespace pm2
