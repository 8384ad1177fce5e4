#include "options/core/number_entry.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "project/text/number_parse.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimSpace(std::string_view t) {
  while (!t.empty() && IsSpace(t.front())) t.remove_prefix(1);
  while (!t.empty() && IsSpace(t.back())) t.remove_suffix(1);
  return t;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

bool NumberFits32Bits(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) t.remove_prefix(1);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  uint64_t base = 10;
  if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  } else {
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    if (!t.empty() && (t.back() == 'H' || t.back() == 'h')) {
      base = 16;
      t.remove_suffix(1);
    }
  }
  uint64_t v = 0;
  for (char c : t) {
    const int d = DigitValue(c >= 'a' && c <= 'f' ? char(c - 32) : c);
    if (uint64_t(d) >= base) return true;
    v = v * base + uint64_t(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  return true;
}

bool ReadNumberInRange(std::string_view text, int64_t lower, int64_t upper, uint32_t* value) {
  const std::string t(text);
  uint32_t v = 0;
  if (!NumberFits32Bits(t) || ParseNumberInRange(t.c_str(), v, lower, upper) == kNumberInvalid) return false;
  *value = v;
  return true;
}

bool ReadNumberField(std::string_view text, int64_t lower, int64_t upper, uint32_t* value) {
  const std::string_view trimmed = TrimSpace(text);
  if (trimmed.empty()) return false;
  return ReadNumberInRange(trimmed, lower, upper, value);
}

bool ParseClockMHz(std::string_view text, uint32_t* hz) {
  std::string_view t = TrimSpace(text);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  double mhz = 0;
  // from_chars reads the same decimal forms as the C library, without the
  // locale's decimal comma.
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), mhz, std::chars_format::general);
  if (ec != std::errc() || end != t.data() + t.size()) return false;
  if (!(mhz >= 0.001 && mhz <= 999.999)) return false;
  *hz = uint32_t(std::llround(mhz * 1e6));
  return true;
}

std::string ClockEditText(uint32_t hz) {
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, double(hz) * 1e-6, std::chars_format::general, 9);
  std::string s(buffer, r.ptr);
  if (s.find('.') == std::string::npos && s.find('e') == std::string::npos) s += ".0";
  return s;
}

bool ReadSuffixedNumber(std::string_view text, int64_t* value) {
  std::string t;
  for (char c : text) t += char(c >= 'a' && c <= 'z' ? c - 32 : c);
  std::size_t i = 0;
  while (i < t.size() && IsSpace(t[i])) ++i;
  std::size_t end = i;
  while (end < t.size() && !IsSpace(t[end]) && std::string_view(";,()=#!").find(t[end]) == std::string_view::npos)
    ++end;
  std::string_view n(t.data() + i, end - i);
  bool negative = false;
  if (!n.empty() && (n.front() == '+' || n.front() == '-')) {
    negative = n.front() == '-';
    n.remove_prefix(1);
  }
  int base = 10;
  if (n.size() >= 2 && n[0] == '0' && n[1] == 'X') {
    base = 16;
    n.remove_prefix(2);
  } else if (!n.empty()) {
    switch (n.back()) {
      case 'H': base = 16; n.remove_suffix(1); break;
      case 'O': base = 8; n.remove_suffix(1); break;
      case 'B': base = 2; n.remove_suffix(1); break;
      case 'D': base = 10; n.remove_suffix(1); break;
      default: break;
    }
  }
  if (n.empty()) return false;
  uint64_t v = 0;
  for (char c : n) {
    const int d = DigitValue(c);
    if (d >= base) return false;
    v = v * uint64_t(base) + uint64_t(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  *value = negative ? -int64_t(v) : int64_t(v);
  return true;
}

std::string HexText(uint32_t value, int minDigits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%0*X", minDigits, value);
  return buffer;
}

}  // namespace pm2
