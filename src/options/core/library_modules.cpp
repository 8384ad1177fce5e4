#include "options/core/library_modules.h"

#include <fstream>
#include <iterator>

namespace pm2 {

namespace {

constexpr std::size_t kLibModsMax = 32758;

class Reader {
 public:
  explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
  bool Byte(uint8_t* v) {
    if (m_pos >= m_bytes.size()) return false;
    *v = uint8_t(m_bytes[m_pos++]);
    return true;
  }
  bool Word(uint16_t* v) {
    uint8_t lo = 0, hi = 0;
    if (!Byte(&lo) || !Byte(&hi)) return false;
    *v = uint16_t(lo | (hi << 8));
    return true;
  }
  bool Seek(std::size_t pos) {
    if (pos > m_bytes.size()) return false;
    m_pos = pos;
    return true;
  }

 private:
  std::string_view m_bytes;
  std::size_t m_pos = 0;
};

// Header types and the names type per toolset; 0 in `header` means any.
struct LibraryKind {
  uint16_t toolset;
  uint8_t header[2];
  uint8_t names[2];
  bool extraByte;
};
constexpr LibraryKind kKinds[] = {
    {0, {0x2C, 0xAC}, {0x28, 0xA8}, false},
    {1, {0xAC, 0xAC}, {0xA8, 0xA8}, false},
    {2, {0xBA, 0xBA}, {0xA6, 0xA6}, true},
    {4, {0, 0}, {0xFF, 0xFF}, false},
};

}  // namespace

bool ParseLibraryModules(std::string_view bytes, uint16_t toolset, std::vector<std::string>* names,
                         std::string* error) {
  names->clear();
  const LibraryKind* kind = nullptr;
  for (const LibraryKind& k : kKinds)
    if (k.toolset == toolset) kind = &k;
  auto fail = [&](const char* message) {
    names->clear();
    *error = message;
    return false;
  };
  if (!kind) return fail(kLibNotALibrary);
  Reader r(bytes);
  uint8_t type = 0, skip = 0;
  if (!r.Byte(&type)) return fail(kLibNotALibrary);
  if (kind->header[0] != 0 && type != kind->header[0] && type != kind->header[1]) return fail(kLibNotALibrary);
  uint16_t length = 0, unused = 0, block = 0, offset = 0;
  if (!r.Word(&length) || (kind->extraByte && !r.Byte(&skip)) || !r.Word(&unused) || !r.Word(&block) ||
      !r.Word(&offset))
    return fail(kLibBad);
  if (!r.Seek(std::size_t(block) * 128 + offset) || !r.Byte(&type)) return fail(kLibBad);
  if (type != kind->names[0] && type != kind->names[1]) return fail(kLibBad);
  const uint8_t expected = type;
  while (type == expected) {
    if (!r.Word(&length)) return fail(kLibBad);
    int left = int(length) - 1;
    while (left > 0) {
      uint8_t n = 0;
      if (!r.Byte(&n)) return fail(kLibBad);
      --left;
      std::string name;
      for (int i = 0; i < (n & 0x7F); ++i) {
        uint8_t c = 0;
        if (!r.Byte(&c)) return fail(kLibBad);
        name += char(c);
      }
      left -= n & 0x7F;
      if (!name.empty()) names->push_back(std::move(name));
    }
    if (!r.Byte(&skip) || !r.Byte(&type)) return fail(kLibBad);
  }
  return true;
}

bool ReadLibraryModules(const std::string& path, uint16_t toolset, std::vector<std::string>* names,
                        std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    names->clear();
    *error = kLibCantOpen;
    return false;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseLibraryModules(bytes, toolset, names, error);
}

std::string JoinLibraryModules(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& n : names) {
    const std::size_t grown = text.size() + (text.empty() ? 0 : 1) + n.size();
    if (grown > kLibModsMax) break;
    if (!text.empty()) text += ',';
    text += n;
  }
  return text;
}

std::vector<std::string> SplitLibraryModules(std::string_view text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    if (comma > start) out.emplace_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return out;
}

}  // namespace pm2
