#pragma once
// Device-independent images in the Windows bitmap file format (BMP).
//
// File layout, little-endian:
//   14-byte file header: "BM", file size (u32), two reserved u16 (written 0),
//                        offset of the pixel rows (u32)
//   info header (u32 size >= 40): width (i32 > 0), height (i32, negative for
//     top-down rows), planes (u16 = 1), bits per pixel (u16: 1, 4, 8, 16,
//     24 or 32), compression (u32: 0 plain, 3 bit fields for 16 and 32 bits),
//     image size, resolutions, colours used, colours important
//   colour table (4 bytes per entry: blue, green, red, 0), then the rows,
//     bottom-up, each padded to 4 bytes.
// The info block (header, bit masks, colour table: everything between the
// file header and the rows) and the bytes from the row offset to the end are
// kept exactly as read, so a file that was read writes back byte-identical
// (reserved words aside). A file whose headers claim more than it holds, or
// a format this class cannot show, is refused with a message naming it; the
// image held before stays.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/sys_colors.h"

namespace pm2 {

struct PixelBuffer;
class ImageReadCache;

class SECDib {
 public:
  static int PaddedRowBytes(int width, int bitCount);

  // A new image with zeroed rows and the given colour table (at most
  // 2^bitCount entries for palette depths; ignored for 16 bits and more).
  bool Create(int width, int height, int bitCount, const std::vector<Color>& palette,
              std::string* err = nullptr);

  // An image of a bitmap's pixels (the splash window's way from a picture
  // to an image). 24 bits keep every colour; 1, 4 or 8 bits get a colour
  // table of the bitmap's colours in order of first appearance, and are
  // refused, naming the count, when the colours do not fit. The image held
  // before stays when this fails.
  bool CreateFromBitmap(const PixelBuffer& bitmap, int bitCount = 24, std::string* err = nullptr);
  // Becomes a copy of `source` (an empty source empties this image).
  void CopyImage(const SECDib& source);

  // Reads a whole file's bytes; `fileName` names it in errors.
  bool LoadFromBytes(std::string_view bytes, std::string_view fileName, std::string* err = nullptr);
  bool LoadImage(const std::string& path, std::string* err = nullptr);
  // Reads the file through a read cache over its source (the cache is set
  // up here when it has none).
  bool LoadImage(ImageReadCache& cache, std::string_view fileName, std::string* err = nullptr);
  // The file's bytes; empty when the image is empty.
  std::string SaveToBytes() const;
  // Atomic replacement of `path`.
  bool SaveImage(const std::string& path, std::string* err = nullptr) const;

  void FreeImage();
  bool IsEmpty() const { return m_info.empty(); }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  int BitCount() const { return m_bitCount; }
  // 2, 16 or 256 for palette depths, else 0.
  int GetNumColors() const { return m_numColors; }

  // The colour table (empty for 16 bits and more).
  std::vector<Color> Palette() const;
  // The logical palette the image is shown with, made whenever an image
  // is loaded, created or copied: max(colours used, colours of the depth)
  // entries, those beyond the colour table black; empty for 16 bits and
  // more, which need none.
  const std::vector<Color>& GetLogPalette() const { return m_logPalette; }
  // The colour of pixel (x, y), y counted from the top; 0 outside.
  Color PixelAt(int x, int y) const;
  // Writes a palette index (palette depths) or a colour (16, 24, 32 bits).
  void SetPixelValue(int x, int y, std::uint32_t value);

  const std::string& Bits() const { return m_bits; }

 private:
  std::size_t RowOffset(int y) const;  // byte offset of display row y
  void CreatePalette();

  std::string m_info;  // info header + masks + colour table, as stored
  std::string m_bits;  // rows (and any bytes after them), as stored
  int m_width = 0;
  int m_height = 0;  // always positive
  bool m_topDown = false;
  int m_bitCount = 0;
  int m_numColors = 0;
  int m_tableEntries = 0;     // entries of the colour table in m_info
  std::size_t m_tableOffset = 0;  // where the table starts in m_info
  std::uint32_t m_masks[3] = {};  // 16/32-bit channel masks (r, g, b)
  std::vector<Color> m_logPalette;
};

}  // namespace pm2
