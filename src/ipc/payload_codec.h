// The payload encoding of inter-process event records.
//
// Fields follow each other in a type's field order, each starting at a
// multiple of 8 from the payload start, all numbers little-endian:
//  - text: its bytes and one zero byte, padded to 8 (T(x) = len + 1 rounded
//    up to 8; the empty text takes 8). A text ends at its first zero byte:
//    a string holding one (tool output can) is sent only up to it, since a
//    receiver would otherwise take the rest for the following fields;
//  - u32 cell: the number in the first 4 bytes of an 8-byte cell;
//  - u8 cell: the byte first in an 8-byte cell;
//  - u64 / f64: the whole cell, low word first (f64 as IEEE 754 bits);
//  - text list: per text a u8 cell holding 1 and the text; a u8 cell holding
//    0 closes the list (L = 8 + sum of 8 + T(text));
//  - data block: a u32 cell with the byte count, then the bytes unpadded;
//    always the last field;
//  - three packed words: 3 x u32 at 0, 4 and 8, then 4 padding bytes.
// Padding is written as zero.
//
// Decoding never trusts the payload: every read is checked against the
// payload's end, a text must find its zero byte inside the payload, and a
// data block may not claim more bytes than remain. A failed read leaves the
// reader failed; the caller drops the record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

inline constexpr uint32_t PadTo8(size_t n) { return static_cast<uint32_t>((n + 7) & ~size_t{7}); }

// An owned byte buffer whose length travels as a u32 count cell.
struct DataBlock {
  std::vector<uint8_t> bytes;

  DataBlock() = default;
  explicit DataBlock(std::vector<uint8_t> b) : bytes(std::move(b)) {}
  DataBlock(const void* data, uint32_t count)
      : bytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + count) {}
  uint32_t Count() const { return static_cast<uint32_t>(bytes.size()); }
  friend bool operator==(const DataBlock&, const DataBlock&) = default;
};

using PackedWords = std::array<uint32_t, 3>;
using TextList = std::vector<std::string>;

// The part of a string that travels: up to its first zero byte.
inline std::string_view WireText(std::string_view s) { return s.substr(0, s.find('\0')); }

// Encoded sizes, one per field kind.
inline uint32_t FieldSize(const std::string& s) { return PadTo8(WireText(s).size() + 1); }
inline uint32_t FieldSize(uint32_t) { return 8; }
inline uint32_t FieldSize(uint8_t) { return 8; }
inline uint32_t FieldSize(uint64_t) { return 8; }
inline uint32_t FieldSize(double) { return 8; }
inline uint32_t FieldSize(const PackedWords&) { return 16; }
inline uint32_t FieldSize(const DataBlock& d) { return 8 + d.Count(); }
uint32_t FieldSize(const TextList& list);

class PayloadWriter {
 public:
  // Writes at most `capacity` bytes from `dest`; a field that does not fit
  // is not written and the writer is failed from then on.
  PayloadWriter(uint8_t* dest, size_t capacity) : m_dest(dest), m_capacity(capacity) {}

  void Put(std::string_view text);
  void Put(const std::string& text) { Put(std::string_view(text)); }
  void Put(uint32_t v);
  void Put(uint8_t v);
  void Put(uint64_t v);
  void Put(double v);
  void Put(const PackedWords& w);
  void Put(const TextList& list);
  void Put(const DataBlock& block);

  size_t Written() const { return m_pos; }
  bool Ok() const { return m_ok; }

 private:
  uint8_t* Reserve(size_t n);

  uint8_t* m_dest;
  size_t m_capacity;
  size_t m_pos = 0;
  bool m_ok = true;
};

class PayloadReader {
 public:
  PayloadReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

  // Each returns false (and leaves the reader failed) when the field does
  // not lie wholly inside the payload.
  bool Get(std::string& text);
  bool Get(uint32_t& v);
  bool Get(uint8_t& v);
  bool Get(uint64_t& v);
  bool Get(double& v);
  bool Get(PackedWords& w);
  bool Get(TextList& list);
  bool Get(DataBlock& block);

  size_t Position() const { return m_pos; }
  bool Ok() const { return m_ok; }

 private:
  // The n meaningful bytes of a field at the cursor, or null; the cursor
  // then moves by `advance` (never past the end).
  const uint8_t* Take(size_t n, size_t advance);

  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
  bool m_ok = true;
};

// Little-endian helpers for the fixed headers around payloads.
inline void StoreU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
inline uint32_t LoadU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace pm2
