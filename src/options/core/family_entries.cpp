#include "options/core/family_entries.h"

#include <cstdio>
#include <strings.h>

#include "options/core/number_entry.h"
#include "project/text/number_parse.h"
#include "project/text/path_text.h"
#include "project/text/scanner.h"

namespace pm2 {

namespace {

const char* const kSpaces[4] = {"near", "idata", "sdata", "bdata"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The next word up to any of the option scanner's delimiters (a blank, a
// comma, a semicolon, ...), with the blanks before it skipped; a delimiter
// stuck to a word stays for the caller to judge.
std::string_view NextWord(std::string_view& rest) {
  static constexpr TextScanner kScanner;
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  std::size_t n = 0;
  while (n < rest.size() && !IsBlank(rest[n]) && !kScanner.IsDelimiter(static_cast<unsigned char>(rest[n]))) ++n;
  std::string_view word = rest.substr(0, n);
  rest.remove_prefix(n);
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  return word;
}

std::string Quoted(const char* format, std::string_view word) {
  std::string text(format);
  const std::size_t at = text.find("%s");
  text.replace(at, 2, word);
  return text;
}

}  // namespace

std::string FormatThresholds166(const Thresholds166& t) {
  std::string out;
  for (int i = 0; i < 4; ++i) {
    if (t.value[i] == 0xFFFF) continue;
    char text[32];
    std::snprintf(text, sizeof text, "%s %d", kSpaces[i], int(t.value[i]));
    if (!out.empty()) out += ", ";
    out += text;
  }
  return out;
}

bool ParseThresholds166(std::string_view text, Thresholds166* out, std::string* message) {
  Thresholds166 result;
  std::string_view rest = TrimBlanks(text);
  if (rest.empty()) {
    *out = result;
    return true;
  }
  for (;;) {
    const std::string_view name = NextWord(rest);
    int space = -1;
    for (int i = 0; i < 4; ++i)
      if (name.size() == std::string_view(kSpaces[i]).size() &&
          strncasecmp(name.data(), kSpaces[i], name.size()) == 0)
        space = i;
    if (space < 0) {
      *message = Quoted("Invalid threshold memory space: '%s'", name);
      return false;
    }
    const std::string size(NextWord(rest));
    uint32_t value = 0;
    if (size.empty() || !ReadNumberInRange(size, 0, 16384, &value)) {
      *message = Quoted("Invalid threshold size: '%s'", size);
      return false;
    }
    result.value[space] = uint16_t(value);
    if (rest.empty()) break;
    if (rest.front() != ',') {
      *message = "Syntax error in 'Data Threshold'";
      return false;
    }
    rest.remove_prefix(1);
  }
  *out = result;
  return true;
}

bool CheckWarningList(std::string_view text) {
  std::string_view rest = TrimBlanks(text);
  while (!rest.empty()) {
    std::size_t n = 0;
    while (n < rest.size() && !IsBlank(rest[n]) && rest[n] != ',') ++n;
    const std::string token(rest.substr(0, n));
    uint32_t value = 0;
    if (token.empty() || !ReadNumberInRange(token, 0, 1000, &value)) return false;
    rest.remove_prefix(n);
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == ',') {
      rest.remove_prefix(1);
      while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    }
  }
  return true;
}

bool ReadAddressRange(std::string_view text, uint32_t* low, uint32_t* high) {
  const std::string t(TrimBlanks(text));
  if (t.empty()) return false;
  // The low number ends at the first comma or at a dash after its first
  // character (a leading sign is part of it).
  const std::size_t cut = t.find_first_of(",-", 1);
  if (cut != std::string::npos && (!NumberFits32Bits(std::string_view(t).substr(0, cut)) ||
                                   !NumberFits32Bits(std::string_view(t).substr(cut + 1))))
    return false;
  return ParseNumberRangeChecked(t.c_str(), *low, *high) == 1;
}

}  // namespace pm2
