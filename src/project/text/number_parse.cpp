#include "project/text/number_parse.h"

#include <cstring>

#include "project/text/scanner.h"

namespace pm2 {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::int64_t Widen(int result, std::uint32_t value) {
  if (result == kNumberNegated) return static_cast<std::int32_t>(value);
  return static_cast<std::int64_t>(value);
}

}  // namespace

int ParseNumber(const char* text, std::uint32_t& value) {
  value = 0;
  if (!text) text = "";
  const char* p = text;
  while (*p == ' ') ++p;
  bool minus = false;
  if (*p == '+' || *p == '-') {
    minus = *p == '-';
    ++p;
    while (*p == ' ') ++p;
  }
  std::uint32_t v = 0;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    for (p += 2; *p; ++p) {
      int d = HexDigit(*p);
      if (d < 0) return kNumberInvalid;
      v = v * 16u + static_cast<std::uint32_t>(d);
    }
    value = minus ? 0u - v : v;
    return kNumberParsed;
  }
  const char* end = p + std::strlen(p);
  while (end > p && end[-1] == ' ') --end;
  std::uint32_t base = 10;
  if (end > p && (end[-1] == 'H' || end[-1] == 'h')) {
    base = 16;
    --end;
  }
  for (; p < end; ++p) {
    int d = HexDigit(*p);
    if (d < 0 || static_cast<std::uint32_t>(d) >= base) return kNumberInvalid;
    v = v * base + static_cast<std::uint32_t>(d);
  }
  if (minus) {
    value = 0u - v;
    return kNumberNegated;
  }
  value = v;
  return kNumberParsed;
}

int ParseNumberInRange(const char* text, std::uint32_t& value, std::int64_t lower,
                       std::int64_t upper) {
  int result = ParseNumber(text, value);
  if (result == kNumberInvalid) return kNumberInvalid;
  std::int64_t v = Widen(result, value);
  if (v < lower || v > upper) return kNumberInvalid;
  return result;
}

int ParseNumberRangeChecked(TextScanner& scanner, const char* text, std::uint32_t& low,
                            std::uint32_t& high) {
  low = high = 0;
  scanner.SetTextDash(text);
  char first[kScanBufferSize];
  char second[kScanBufferSize];
  int n1 = 0, n2 = 0;
  int d1 = scanner.ScanToken(first, true, n1);
  if (n1 == 0 || (d1 != ',' && d1 != '-')) return 0;
  int d2 = scanner.ScanToken(second, true, n2);
  // Blanks after the second number are no syntax error.
  if (d2 == kScanBlank && scanner.SkipBlanks() == 0) d2 = kScanEndOfLine;
  if (n2 == 0 || d2 != kScanEndOfLine) return 0;
  int r1 = ParseNumber(first, low);
  int r2 = ParseNumber(second, high);
  if (r1 == kNumberInvalid || r2 == kNumberInvalid) return -1;
  if (Widen(r2, high) < Widen(r1, low)) return -1;
  return 1;
}

int ParseNumberRangeChecked(const char* text, std::uint32_t& low, std::uint32_t& high) {
  TextScanner scanner;
  return ParseNumberRangeChecked(scanner, text, low, high);
}

bool ParseNumberRange(const char* text, std::uint32_t& low, std::uint32_t& high) {
  return ParseNumberRangeChecked(text, low, high) == 1;
}

}  // namespace pm2
