#include "editor/text/windows_1252.h"

#include <cstdint>

namespace pm2 {

namespace {

// The characters of bytes 0x80 to 0x9F; the unassigned five keep their own
// number. Every other byte is the character of the same number.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == c) return char(0x80 + i);
  return '?';
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

}  // namespace

char32_t Windows1252Char(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char32_t(byte);
}

std::string Utf8ToWindows1252(std::string_view in, std::size_t* lost) {
  if (lost) *lost = 0;
  std::string out;
  out.reserve(in.size());
  std::size_t i = 0;
  while (i < in.size()) {
    const auto lead = std::uint8_t(in[i]);
    int more = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    char32_t c = more == 0 ? lead : more == 1 ? lead & 0x1F : more == 2 ? lead & 0x0F : lead & 0x07;
    int taken = 1;
    bool ok = more >= 0;
    for (int k = 1; ok && k <= more; ++k, ++taken) {
      if (i + std::size_t(k) >= in.size() || (std::uint8_t(in[i + std::size_t(k)]) & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (std::uint8_t(in[i + std::size_t(k)]) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are broken too.
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (ok && (c < kLeast[more] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)) ok = false;
    const char byte = ok ? ByteOf(c) : '?';
    if (lost && byte == '?' && !(ok && c == '?')) ++*lost;
    out += byte;
    i += std::size_t(taken);
  }
  return out;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char b : bytes) {
    const auto u = std::uint8_t(b);
    AppendUtf8(out, Windows1252Char(u));
  }
  return out;
}

}  // namespace pm2
