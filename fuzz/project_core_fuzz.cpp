// Fuzzes the number parser, the scanner and the control-string comparison.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "project/text/control_strings.h"
#include "project/text/number_parse.h"
#include "project/text/scanner.h"

using namespace pm2;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void ScanAll(const std::string& text, bool dash, bool upper) {
  TextScanner s;
  if (dash)
    s.SetTextDash(text.c_str());
  else
    s.SetText(text.c_str());
  const char* end = text.c_str() + text.size();
  char buffer[kScanBufferSize];
  // Every call but the last consumes at least one character.
  for (std::size_t i = 0; i <= text.size() + 1; ++i) {
    int length = -1;
    int d = s.ScanToken(buffer, upper, length);
    Check(length >= 0 && length <= kScanTokenMax);
    Check(buffer[length] == '\0');
    Check(s.m_pPos >= text.c_str() && s.m_pPos <= end);
    if (d == kScanEndOfLine && s.m_pPos == end) return;
    if (d == kScanEndOfLine && *s.m_pPos == '\n') ++s.m_pPos;  // step over the line end
  }
  Check(false);  // no progress
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // up to the first zero byte, as the callers see it
  std::uint32_t v = 0, lo = 0, hi = 0;
  int r = ParseNumber(text.c_str(), v);
  Check(r >= 0 && r <= 2);
  int rr = ParseNumberRangeChecked(text.c_str(), lo, hi);
  Check(rr >= -1 && rr <= 1);
  ScanAll(text, false, false);
  ScanAll(text, true, true);
  std::size_t half = text.size() / 2;
  std::string a = text.substr(0, half), b = text.substr(half);
  Check(ControlStringsMatch(text.c_str(), text.c_str()));
  Check(ControlStringsMatch(a.c_str(), b.c_str()) == ControlStringsMatch(b.c_str(), a.c_str()));
  return 0;
}
