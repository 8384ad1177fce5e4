#include "debugger/model/memory_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "debugger/model/memory_space.h"

namespace pm2 {

namespace {

const MemFormatRow kFormats[kMemFormatCount] = {
    {"unsigned char", 35058, {1, 1}, {{3, 4}, {3, 4}}, "char"},
    {"unsigned int", 35059, {2, 4}, {{5, 6}, {9, 11}}, "int"},
    {"unsigned long", 35060, {4, 4}, {{9, 11}, {9, 11}}, "long"},
    {"signed char", 35061, {1, 1}, {{4, 5}, {4, 5}}, "char"},
    {"signed int", 35062, {2, 4}, {{6, 7}, {10, 12}}, "int"},
    {"signed long", 35063, {4, 4}, {{10, 12}, {10, 12}}, "long"},
    {"float", 35064, {4, 4}, {{15, 15}, {15, 15}}, "float"},
    {"double", 35065, {8, 8}, {{15, 15}, {15, 15}}, "double"},
    {"ASCII", 35066, {1, 1}, {{1, 1}, {1, 1}}, nullptr},
    {"signed short", 35408, {2, 2}, {{6, 7}, {6, 7}}, "short"},
    {"unsigned short", 35407, {2, 2}, {{5, 6}, {5, 6}}, "unsigned short"},
};

// The unsigned value of size bytes in the target's order.
uint64_t ReadUnsigned(const uint8_t* bytes, int size, bool swap) {
  uint64_t v = 0;
  for (int i = 0; i < size; ++i) {
    const int at = swap ? i : size - 1 - i;
    v = (v << 8) | bytes[at];
  }
  return v;
}

// Signed text: '-' or ' ' and the magnitude.
std::string Signed(uint64_t raw, int bits, const char* form) {
  const uint64_t sign = uint64_t{1} << (bits - 1);
  const uint64_t mask = bits == 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
  raw &= mask;
  const bool negative = raw & sign;
  const uint64_t magnitude = negative ? ((~raw + 1) & mask) : raw;
  char buf[40];
  std::snprintf(buf, sizeof buf, form, static_cast<unsigned long long>(magnitude));
  return std::string(1, negative ? '-' : ' ') + buf;
}

std::string Unsigned(uint64_t raw, const char* form) {
  char buf[40];
  std::snprintf(buf, sizeof buf, form, static_cast<unsigned long long>(raw));
  return buf;
}

std::string Floating(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g ", v);
  std::string s = buf;
  if (s.size() < 15) s.append(15 - s.size(), ' ');
  return s;
}

}  // namespace

const MemFormatRow& MemFormatInfo(int format) {
  return kFormats[format >= 0 && format < kMemFormatCount ? format : 0];
}

bool MemArmGroup(int toolset) { return toolset >= 3 && toolset <= 5; }

bool MemSwapBytes(int family, bool bigEndianDevice) {
  if (family == 0 || family == 1) return true;
  if (family >= 3 && family <= 5) return bigEndianDevice;
  return false;
}

std::string FormatMemValue(const MemLook& look, const uint8_t* bytes) {
  const int size = look.Size();
  const uint64_t raw = ReadUnsigned(bytes, size, look.swap && size > 1);
  const bool d = look.decimal;
  switch (look.format) {
    case kMemFloat: {
      float f;
      const uint32_t w = static_cast<uint32_t>(raw);
      std::memcpy(&f, &w, 4);
      return Floating(f);
    }
    case kMemDouble: {
      double v;
      std::memcpy(&v, &raw, 8);
      return Floating(v);
    }
    case kMemAscii: {
      const uint8_t c = bytes[0];
      return std::string(1, c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.');
    }
    default:
      break;
  }
  const bool isSigned = look.format == kMemSChar || look.format == kMemSInt || look.format == kMemSLong ||
                        look.format == kMemSShort;
  // The value's digits follow its size, whatever format named it.
  static const char* const kHex[] = {"", "%02llX ", "%04llX ", "", "%08llX "};
  static const char* const kDec[] = {"", "%03llu ", "%05llu ", "", "%010llu "};
  const char* form = (d ? kDec : kHex)[size];
  return isSigned ? Signed(raw, size * 8, form) : Unsigned(raw, form);
}

MemGeometry MemLayout(const MemLook& look, int clientHeight, int rowHeight, int widthChars, int addressChars) {
  MemGeometry g;
  rowHeight = std::max(1, rowHeight);
  const int area = std::max(0, clientHeight - kMemBarHeight);
  g.rows = area / rowHeight;
  g.partial = area % rowHeight >= (rowHeight + 2) / 3 && area % rowHeight > 0;
  g.addressWidth = addressChars + 2;
  g.columns = std::clamp((widthChars - g.addressWidth) / std::max(1, look.Width()), 1, 256);
  return g;
}

int MemReadCount(const MemLook& look, const MemGeometry& g) {
  const int64_t count = int64_t{look.Size()} * g.columns * (g.rows + (g.partial ? 1 : 0));
  return static_cast<int>(std::clamp<int64_t>(count, 0, kMemReadBuffer));
}

int64_t MemScrollMax(const MemLook& look, const MemGeometry& g, int64_t spaceSize) {
  const int64_t size = spaceSize == -1 ? 0xFFFFFFFEll : spaceSize == 0 ? 0x10000 : spaceSize;
  const int64_t perRow = int64_t{look.Size()} * g.columns;
  const int64_t total = (size + perRow - 1) / perRow;
  return std::max<int64_t>(0, total - g.rows + (g.partial ? 1 : 0));
}

MemRowText FormatMemRow(const MemLook& look, const uint8_t* data, int available, int columns) {
  MemRowText row;
  const int size = look.Size();
  for (int c = 0; c < columns && (c + 1) * size <= available; ++c) {
    const int start = static_cast<int>(row.text.size());
    std::string v = FormatMemValue(look, data + c * size);
    const int end = start + static_cast<int>(v.size()) - (look.format == kMemAscii ? 0 : 1);
    row.text += v;
    row.spans.emplace_back(start, std::max(start + 1, end));
  }
  return row;
}

bool MemHitTest(const MemLook& look, const MemHitInput& in, uint64_t* address) {
  if (!in.valid || in.y < kMemBarHeight + 1 || !in.spans || in.spans->empty()) return false;
  const int row = (in.y - kMemBarHeight) / std::max(1, in.rowHeight);
  if (row > in.rowsShown) return false;
  const auto& spans = *in.spans;
  if (in.x < spans.front().first) return false;
  // A point between two values takes the nearer one, a point past the
  // row's last value that one: the user aimed at the row's values, and a
  // one-pixel miss must not take the entry out of the menu.
  size_t c = spans.size() - 1;
  for (size_t k = 0; k + 1 < spans.size(); ++k) {
    if (in.x < spans[k].second || in.x - spans[k].second < spans[k + 1].first - in.x) {
      c = k;
      break;
    }
    if (in.x < spans[k + 1].second) {
      c = k + 1;
      break;
    }
  }
  const uint64_t size = static_cast<uint64_t>(look.Size());
  *address = MemSpaceAddress(in.base, size * static_cast<uint64_t>(in.topRow) * in.columns +
                                          size * (static_cast<uint64_t>(in.columns) * row + c));
  return true;
}

std::string MemAsciiBytes(const std::string& text) {
  static const struct {
    char letter;
    char value;
  } kEscapes[] = {{'\\', '\\'}, {'a', 7}, {'b', 8}, {'f', 12}, {'n', 10}, {'r', 13}, {'v', 11}};
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      bool done = false;
      for (const auto& e : kEscapes)
        if (text[i + 1] == e.letter) {
          out.push_back(e.value);
          ++i;
          done = true;
          break;
        }
      if (done) continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

std::string MemWriteCommand(int format, const std::string& address, const std::string& values) {
  const char* word = MemFormatInfo(format).typeWord;
  if (!word || format == kMemAscii) return {};
  return std::string(word) + " " + address + " = " + values;
}

std::string MemEntryTitle(int format, const std::string& address) {
  static const char* const kTitles[kMemFormatCount] = {
      "Enter Byte(s) at %s",         "Enter Integer(s) at %s",      "Enter Long Integer(s) at %s",
      "Enter Byte(s) at %s",         "Enter Integer(s) at %s",      "Enter Long Integer(s) at %s",
      "Enter Float value(s) at %s",  "Enter Double value(s) at %s", "Enter Ascii value(s) at %s",
      "Enter Short(s) at %s",        "Enter Short(s) at %s"};
  std::string t = kTitles[format >= 0 && format < kMemFormatCount ? format : 0];
  t.replace(t.find("%s"), 2, address);
  return t;
}

const char* MemEntryExample(int format) {
  switch (format) {
    case kMemUChar:
    case kMemSChar: return "Example: 1, 2, 'a', \"Texas\", -1, -2";
    case kMemFloat:
    case kMemDouble: return "Example: 3.14159, 1, 0.22e-4, 1024.12";
    case kMemAscii: return "Example: just some ascii characters. \"Ok.\"";
    default: return "Example: -1, -2, 0x1234, 4*0x78";
  }
}

}  // namespace pm2
