#include "toolkit/core/dib_image.h"

#include <bit>
#include <cstring>
#include <unordered_map>

#include "platform/atomic_file.h"
#include "toolkit/core/bitmap_effects.h"
#include "toolkit/core/image_read_cache.h"

namespace pm2 {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
// Refuse images beyond this many bytes of rows: no bitmap the IDE shows
// comes near, and a lying header must not make us allocate gigabytes.
constexpr std::uint64_t kMaxPixelBytes = 256u << 20;
// Bytes asked of a read cache at a time.
constexpr std::size_t kReadChunk = 4096;

std::uint32_t U32(std::string_view b, std::size_t at) {
  return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
         std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
std::uint16_t U16(std::string_view b, std::size_t at) {
  return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}
void PutU32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
void PutU16(std::string& s, std::uint16_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char(v >> 8));
}
bool Fail(std::string* err, std::string text) {
  if (err) *err = std::move(text);
  return false;
}

int ColorsForDepth(int bits) { return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0; }

// Channel value of `v` under `mask`, scaled to 0..255.
int Channel(std::uint32_t v, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const std::uint64_t maxv = mask >> shift;
  // 64-bit product: a channel mask wider than 24 bits would wrap in 32.
  return int(std::uint64_t((v & mask) >> shift) * 255 / maxv);
}

}  // namespace

// Rows are padded to the next multiple of 32 bits, as the format is
// published and every reader expects. Adding ceil((32 - r) / 8) bytes to the
// rounded-up byte count would give a 1-pixel 4-bit row 5 bytes instead of 4
// and misplace every later row, so that reckoning is not used.
int SECDib::PaddedRowBytes(int width, int bitCount) {
  return int((std::int64_t(width) * bitCount + 31) / 32 * 4);
}

void SECDib::FreeImage() { *this = SECDib(); }

bool SECDib::Create(int width, int height, int bitCount, const std::vector<Color>& palette,
                    std::string* err) {
  if (width <= 0 || height <= 0 || (ColorsForDepth(bitCount) == 0 && bitCount != 24 && bitCount != 32))
    return Fail(err, "A bitmap of " + std::to_string(width) + " x " + std::to_string(height) + " at " +
                         std::to_string(bitCount) + " bits per pixel cannot be made");
  const std::uint64_t rows = std::uint64_t(PaddedRowBytes(width, bitCount)) * std::uint64_t(height);
  if (rows > kMaxPixelBytes) return Fail(err, "A bitmap of that size cannot be made");
  const int colors = ColorsForDepth(bitCount);
  std::string info;
  PutU32(info, kInfoHeaderSize);
  PutU32(info, std::uint32_t(width));
  PutU32(info, std::uint32_t(height));
  PutU16(info, 1);
  PutU16(info, std::uint16_t(bitCount));
  PutU32(info, 0);
  PutU32(info, std::uint32_t(rows));
  PutU32(info, 0);
  PutU32(info, 0);
  PutU32(info, 0);
  PutU32(info, 0);
  for (int i = 0; i < colors; ++i) {
    Color c = i < int(palette.size()) ? palette[i] : 0;
    info.push_back(char(BlueOf(c)));
    info.push_back(char(GreenOf(c)));
    info.push_back(char(RedOf(c)));
    info.push_back(0);
  }
  std::string file;
  file.reserve(kFileHeaderSize + info.size() + rows);
  file += "BM";
  PutU32(file, std::uint32_t(kFileHeaderSize + info.size() + rows));
  PutU32(file, 0);
  PutU32(file, std::uint32_t(kFileHeaderSize + info.size()));
  file += info;
  file.append(rows, '\0');
  return LoadFromBytes(file, "new bitmap", err);
}

bool SECDib::LoadFromBytes(std::string_view b, std::string_view fileName, std::string* err) {
  const std::string name = "'" + std::string(fileName) + "'";
  if (b.size() < 2 || b[0] != 'B' || b[1] != 'M') return Fail(err, name + " is not a bitmap file");
  if (b.size() < kFileHeaderSize + kInfoHeaderSize) return Fail(err, name + " is cut off in its headers");
  const std::uint32_t fileSize = U32(b, 2);
  const std::uint32_t offBits = U32(b, 10);
  const std::uint32_t headerSize = U32(b, 14);
  if (fileSize > b.size())
    return Fail(err, name + " claims " + std::to_string(fileSize) + " bytes but holds " +
                         std::to_string(b.size()));
  if (headerSize < kInfoHeaderSize || headerSize > b.size() - kFileHeaderSize)
    return Fail(err, name + " has a bitmap header of " + std::to_string(headerSize) + " bytes");
  const std::int32_t width = std::int32_t(U32(b, 18));
  const std::int32_t rawHeight = std::int32_t(U32(b, 22));
  const int planes = U16(b, 26);
  const int bits = U16(b, 28);
  const std::uint32_t compression = U32(b, 30);
  const std::uint32_t clrUsed = U32(b, 46);
  if (planes != 1) return Fail(err, name + " has " + std::to_string(planes) + " colour planes");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return Fail(err, name + " has " + std::to_string(bits) + " bits per pixel");
  const bool fields = compression == 3 && (bits == 16 || bits == 32);
  if (compression != 0 && !fields)
    return Fail(err, name + " is compressed (method " + std::to_string(compression) + ")");
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN || width > 0x100000)
    return Fail(err, name + " has a size of " + std::to_string(width) + " x " + std::to_string(rawHeight));
  const std::int64_t height = rawHeight < 0 ? -std::int64_t(rawHeight) : rawHeight;
  const std::uint64_t rowBytes = std::uint64_t(PaddedRowBytes(width, bits));
  const std::uint64_t need = rowBytes * std::uint64_t(height);
  if (need > kMaxPixelBytes) return Fail(err, name + " is too large to show");

  // Bit masks follow a 40-byte header; larger headers hold them inside.
  std::size_t tableOffset = headerSize;
  std::uint32_t masks[3] = {};
  if (fields) {
    if (headerSize == kInfoHeaderSize) tableOffset += 12;
    if (kFileHeaderSize + 40 + 12 > b.size()) return Fail(err, name + " is cut off in its bit masks");
    for (int i = 0; i < 3; ++i) masks[i] = U32(b, kFileHeaderSize + 40 + 4 * i);
  } else if (bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (bits >= 24) {
    masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
  }
  const int maxColors = ColorsForDepth(bits);
  if (maxColors && clrUsed > std::uint32_t(maxColors))
    return Fail(err, name + " lists " + std::to_string(clrUsed) + " colours for " + std::to_string(bits) +
                         " bits per pixel");
  const std::uint64_t entries = maxColors ? (clrUsed ? clrUsed : std::uint32_t(maxColors)) : 0;
  const std::uint64_t tableEnd = kFileHeaderSize + tableOffset + 4 * entries;
  if (offBits < tableEnd || offBits > b.size())
    return Fail(err, name + " places its pixels at " + std::to_string(offBits) + ", outside the file");
  if (b.size() - offBits < need)
    return Fail(err, name + " is cut off: its pixels need " + std::to_string(need) + " bytes, it holds " +
                         std::to_string(b.size() - offBits));

  SECDib img;
  img.m_info.assign(b.substr(kFileHeaderSize, offBits - kFileHeaderSize));
  img.m_bits.assign(b.substr(offBits));
  img.m_width = width;
  img.m_height = int(height);
  img.m_topDown = rawHeight < 0;
  img.m_bitCount = bits;
  img.m_numColors = maxColors;
  img.m_tableEntries = int(entries);
  img.m_tableOffset = tableOffset;
  std::memcpy(img.m_masks, masks, sizeof masks);
  img.CreatePalette();
  *this = std::move(img);
  return true;
}

void SECDib::CreatePalette() {
  m_logPalette.clear();
  if (m_numColors == 0) return;
  m_logPalette.assign(std::size_t(std::max(m_tableEntries, m_numColors)), 0);
  for (int i = 0; i < m_tableEntries; ++i) {
    const std::size_t at = m_tableOffset + 4 * std::size_t(i);
    m_logPalette[std::size_t(i)] =
        MakeRgb(std::uint8_t(m_info[at + 2]), std::uint8_t(m_info[at + 1]), std::uint8_t(m_info[at]));
  }
}

bool SECDib::CreateFromBitmap(const PixelBuffer& bitmap, int bitCount, std::string* err) {
  const std::string size = std::to_string(bitmap.width) + " x " + std::to_string(bitmap.height);
  if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.pixels.size() != std::size_t(bitmap.width) * bitmap.height)
    return Fail(err, "An image cannot be made from a bitmap of " + size);
  const int maxColors = ColorsForDepth(bitCount);
  if (maxColors == 0 && bitCount != 24)
    return Fail(err, "An image of " + std::to_string(bitCount) + " bits per pixel cannot be made from a bitmap");
  std::vector<Color> table;
  std::unordered_map<Color, int> index;
  if (maxColors) {
    for (Color c : bitmap.pixels) {
      if (index.emplace(c, int(table.size())).second) table.push_back(c);
      if (int(table.size()) > maxColors)
        return Fail(err, "The bitmap of " + size + " has more than " + std::to_string(maxColors) +
                             " colours for an image of " + std::to_string(bitCount) + " bits per pixel");
    }
  }
  SECDib img;
  if (!img.Create(bitmap.width, bitmap.height, bitCount, table, err)) return false;
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      const Color c = bitmap.At(x, y);
      img.SetPixelValue(x, y, maxColors ? std::uint32_t(index[c]) : c);
    }
  }
  *this = std::move(img);
  return true;
}

void SECDib::CopyImage(const SECDib& source) {
  if (&source == this) return;
  *this = source;
  CreatePalette();
}

bool SECDib::LoadImage(ImageReadCache& cache, std::string_view fileName, std::string* err) {
  if (!cache.IsSet() && !cache.Init(kReadChunk, true))
    return Fail(err, "'" + std::string(fileName) + "' cannot be read");
  std::string bytes;
  char chunk[kReadChunk];
  while (true) {
    const std::size_t n = cache.Read(chunk, sizeof chunk);
    if (n == 0) break;
    bytes.append(chunk, n);
    // A source that never ends is not a bitmap this class would show.
    if (bytes.size() > kMaxPixelBytes + (1u << 20)) return Fail(err, "'" + std::string(fileName) + "' is too large to show");
  }
  return LoadFromBytes(bytes, fileName, err);
}

bool SECDib::LoadImage(const std::string& path, std::string* err) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes, err)) return false;
  return LoadFromBytes(bytes, path, err);
}

std::string SECDib::SaveToBytes() const {
  if (IsEmpty()) return {};
  std::string out;
  out.reserve(kFileHeaderSize + m_info.size() + m_bits.size());
  out += "BM";
  PutU32(out, std::uint32_t(kFileHeaderSize + m_info.size() + m_bits.size()));
  PutU32(out, 0);
  PutU32(out, std::uint32_t(kFileHeaderSize + m_info.size()));
  out += m_info;
  out += m_bits;
  return out;
}

bool SECDib::SaveImage(const std::string& path, std::string* err) const {
  if (IsEmpty()) return Fail(err, "No image to save as '" + path + "'");
  return WriteFileAtomically(path, SaveToBytes(), err);
}

std::vector<Color> SECDib::Palette() const {
  std::vector<Color> out;
  for (int i = 0; i < m_tableEntries; ++i) {
    const std::size_t at = m_tableOffset + 4 * std::size_t(i);
    out.push_back(MakeRgb(std::uint8_t(m_info[at + 2]), std::uint8_t(m_info[at + 1]), std::uint8_t(m_info[at])));
  }
  return out;
}

std::size_t SECDib::RowOffset(int y) const {
  const int stored = m_topDown ? y : m_height - 1 - y;
  return std::size_t(stored) * std::size_t(PaddedRowBytes(m_width, m_bitCount));
}

Color SECDib::PixelAt(int x, int y) const {
  if (IsEmpty() || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  const std::size_t row = RowOffset(y);
  auto byte = [&](std::size_t i) { return std::uint8_t(m_bits[row + i]); };
  auto fromTable = [&](int index) -> Color {
    if (index >= m_tableEntries) return 0;
    const std::size_t at = m_tableOffset + 4 * std::size_t(index);
    return MakeRgb(std::uint8_t(m_info[at + 2]), std::uint8_t(m_info[at + 1]), std::uint8_t(m_info[at]));
  };
  switch (m_bitCount) {
    case 1: return fromTable((byte(x / 8) >> (7 - x % 8)) & 1);
    case 4: return fromTable((byte(x / 2) >> (x % 2 ? 0 : 4)) & 0xF);
    case 8: return fromTable(byte(x));
    default: break;
  }
  const int bpp = m_bitCount / 8;
  std::uint32_t v = 0;
  for (int i = 0; i < bpp; ++i) v |= std::uint32_t(byte(std::size_t(x) * bpp + i)) << (8 * i);
  return MakeRgb(Channel(v, m_masks[0]), Channel(v, m_masks[1]), Channel(v, m_masks[2]));
}

void SECDib::SetPixelValue(int x, int y, std::uint32_t value) {
  if (IsEmpty() || x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  const std::size_t row = RowOffset(y);
  auto ref = [&](std::size_t i) -> char& { return m_bits[row + i]; };
  switch (m_bitCount) {
    case 1: {
      const int shift = 7 - x % 8;
      ref(x / 8) = char((std::uint8_t(ref(x / 8)) & ~(1 << shift)) | ((value & 1) << shift));
      return;
    }
    case 4: {
      const int shift = x % 2 ? 0 : 4;
      ref(x / 2) = char((std::uint8_t(ref(x / 2)) & ~(0xF << shift)) | ((value & 0xF) << shift));
      return;
    }
    case 8: ref(x) = char(value & 0xFF); return;
    default: break;
  }
  const int bpp = m_bitCount / 8;
  for (int i = 0; i < bpp; ++i) ref(std::size_t(x) * bpp + i) = char((value >> (8 * i)) & 0xFF);
}

}  // namespace pm2
