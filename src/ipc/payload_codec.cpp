#include "ipc/payload_codec.h"

#include <bit>
#include <cstring>

namespace pm2 {

uint32_t FieldSize(const TextList& list) {
  uint32_t n = 8;
  for (const std::string& s : list) n += 8 + FieldSize(s);
  return n;
}

uint8_t* PayloadWriter::Reserve(size_t n) {
  if (!m_ok || n > m_capacity - m_pos) {
    m_ok = false;
    return nullptr;
  }
  uint8_t* p = m_dest + m_pos;
  m_pos += n;
  return p;
}

void PayloadWriter::Put(std::string_view text) {
  text = WireText(text);
  size_t n = PadTo8(text.size() + 1);
  if (uint8_t* p = Reserve(n)) {
    std::memcpy(p, text.data(), text.size());
    std::memset(p + text.size(), 0, n - text.size());
  }
}

void PayloadWriter::Put(uint32_t v) {
  if (uint8_t* p = Reserve(8)) {
    StoreU32(p, v);
    StoreU32(p + 4, 0);
  }
}

void PayloadWriter::Put(uint8_t v) {
  if (uint8_t* p = Reserve(8)) {
    std::memset(p, 0, 8);
    p[0] = v;
  }
}

void PayloadWriter::Put(uint64_t v) {
  if (uint8_t* p = Reserve(8)) {
    StoreU32(p, static_cast<uint32_t>(v));
    StoreU32(p + 4, static_cast<uint32_t>(v >> 32));
  }
}

void PayloadWriter::Put(double v) { Put(std::bit_cast<uint64_t>(v)); }

void PayloadWriter::Put(const PackedWords& w) {
  if (uint8_t* p = Reserve(16)) {
    StoreU32(p, w[0]);
    StoreU32(p + 4, w[1]);
    StoreU32(p + 8, w[2]);
    StoreU32(p + 12, 0);
  }
}

void PayloadWriter::Put(const TextList& list) {
  for (const std::string& s : list) {
    Put(uint8_t{1});
    Put(s);
  }
  Put(uint8_t{0});
}

void PayloadWriter::Put(const DataBlock& block) {
  Put(block.Count());
  if (uint8_t* p = Reserve(block.bytes.size())) {
    if (!block.bytes.empty()) std::memcpy(p, block.bytes.data(), block.bytes.size());
  }
}

const uint8_t* PayloadReader::Take(size_t n, size_t advance) {
  if (!m_ok || n > m_size - m_pos) {
    m_ok = false;
    return nullptr;
  }
  const uint8_t* p = m_data + m_pos;
  m_pos = advance > m_size - m_pos ? m_size : m_pos + advance;
  return p;
}

bool PayloadReader::Get(std::string& text) {
  if (!m_ok || m_pos >= m_size) return m_ok = false;
  const uint8_t* start = m_data + m_pos;
  const void* zero = std::memchr(start, 0, m_size - m_pos);
  if (!zero) return m_ok = false;  // a text without its terminator
  size_t len = static_cast<const uint8_t*>(zero) - start;
  text.assign(reinterpret_cast<const char*>(start), len);
  Take(len + 1, PadTo8(len + 1));
  return m_ok;
}

bool PayloadReader::Get(uint32_t& v) {
  const uint8_t* p = Take(4, 8);
  if (p) v = LoadU32(p);
  return p != nullptr;
}

bool PayloadReader::Get(uint8_t& v) {
  const uint8_t* p = Take(1, 8);
  if (p) v = p[0];
  return p != nullptr;
}

bool PayloadReader::Get(uint64_t& v) {
  const uint8_t* p = Take(8, 8);
  if (p) v = uint64_t{LoadU32(p)} | uint64_t{LoadU32(p + 4)} << 32;
  return p != nullptr;
}

bool PayloadReader::Get(double& v) {
  uint64_t bits = 0;
  if (!Get(bits)) return false;
  v = std::bit_cast<double>(bits);
  return true;
}

bool PayloadReader::Get(PackedWords& w) {
  const uint8_t* p = Take(12, 16);
  if (p) w = {LoadU32(p), LoadU32(p + 4), LoadU32(p + 8)};
  return p != nullptr;
}

bool PayloadReader::Get(TextList& list) {
  list.clear();
  for (;;) {
    uint8_t more = 0;
    if (!Get(more)) return false;  // a list without its closing cell
    if (more == 0) return true;
    std::string s;
    if (!Get(s)) return false;
    list.push_back(std::move(s));
  }
}

bool PayloadReader::Get(DataBlock& block) {
  uint32_t count = 0;
  if (!Get(count)) return false;
  const uint8_t* p = Take(count, count);  // a count beyond the payload is refused
  if (!p) return false;
  block.bytes.assign(p, p + count);
  return true;
}

}  // namespace pm2
