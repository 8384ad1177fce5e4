// The browse records that the compilers and linkers leave in a target's
// output (object) file, and a bounded reader over them.
//
// The file is a stream of records:
//   +0      u8   record type
//   +1      u16  length L (little-endian): the bytes after the length field,
//                the final checksum byte included (L >= 1)
//   +3      L-1  contents
//   +2+L    u8   checksum (read, not checked)
// Multi-byte values are little-endian; a 32-bit value is two 16-bit words,
// low word first. A name is a length byte (0..255) and that many characters.
//
// The first byte must be a module-start type (0x02, 0x2E, 0x70, 0x82, 0x8A,
// 0xC4). Reading ends at record 0x1A or at a module end (0x04, 0x8A, 0xC6).
// Browse records (0x60..0x64) are described in browse_loader.h. A record
// whose length runs past the end of the data is not used; the reading ends
// there.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pm2 {

enum BrowseRecordType : uint8_t {
  kRecEnd = 0x1A,
  kRecBrowseHeader = 0x60,
  kRecSourceFile = 0x61,
  kRecName = 0x62,
  kRecSymbol = 0x63,
  kRecOccurrences = 0x64,
};

bool IsModuleStartType(uint8_t type);
// The end record or a module end: one look-up per record.
inline constexpr std::array<bool, 256> kEndsReading = [] {
  std::array<bool, 256> t{};
  t[kRecEnd] = t[0x04] = t[0x8A] = t[0xC6] = true;
  return t;
}();

// One record's contents, checksum excluded; points into the caller's data.
struct BrowseRecord {
  uint8_t type = 0;
  const uint8_t* contents = nullptr;
  size_t size = 0;
};

enum class RecordStatus { kRecord, kEndOfData, kDamaged };

// Walks the records of a byte range; never reads outside it.
class BrowseRecordReader {
 public:
  BrowseRecordReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  // The next record; kEndOfData when no byte is left, kDamaged when the
  // header or the contents run past the end or the length is 0.
  RecordStatus Next(BrowseRecord* record) {
    if (m_pos == m_size) return RecordStatus::kEndOfData;
    if (m_size - m_pos < 3) return RecordStatus::kDamaged;
    const size_t length = static_cast<size_t>(m_data[m_pos + 1]) | static_cast<size_t>(m_data[m_pos + 2]) << 8;
    if (length == 0 || length > m_size - m_pos - 3) return RecordStatus::kDamaged;
    record->type = m_data[m_pos];
    record->contents = m_data + m_pos + 3;
    record->size = length - 1;
    m_pos += 3 + length;
    return RecordStatus::kRecord;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

// Reads the fields of one record's contents; each read fails (and leaves the
// cursor where it was) when the contents end before the field does.
class ContentCursor {
 public:
  explicit ContentCursor(const BrowseRecord& r) : m_data(r.contents), m_size(r.size) {}
  bool U8(uint8_t* v) {
    if (Left() < 1) return false;
    *v = m_data[m_pos++];
    return true;
  }
  bool U16(uint16_t* v) {
    if (Left() < 2) return false;
    *v = static_cast<uint16_t>(m_data[m_pos] | m_data[m_pos + 1] << 8);
    m_pos += 2;
    return true;
  }
  bool U32(uint32_t* v) {  // two words, low first
    if (Left() < 4) return false;
    const uint8_t* p = m_data + m_pos;
    *v = static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
    m_pos += 4;
    return true;
  }
  // The name's characters stay in the record's bytes.
  bool Name(std::string_view* v) {
    if (Left() < 1) return false;
    const size_t n = m_data[m_pos];
    if (Left() - 1 < n) return false;
    *v = std::string_view(reinterpret_cast<const char*>(m_data + m_pos + 1), n);
    m_pos += 1 + n;
    return true;
  }
  bool Name(std::string* v) {
    std::string_view view;
    if (!Name(&view)) return false;
    v->assign(view);
    return true;
  }
  size_t Left() const { return m_size - m_pos; }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

}  // namespace pm2
