#include "project/text/control_strings.h"

#include <cstring>

#include "project/text/scanner.h"

namespace pm2 {

bool ControlStringsMatch(const char* first, const char* second) {
  TextScanner scanner;
  scanner.PushState(first, second, kNoExtraDelimiter);
  bool upper = true;
  char a[kScanBufferSize];
  char b[kScanBufferSize];
  for (;;) {
    int na = 0, nb = 0;
    scanner.SelectText(0);
    int da = scanner.ScanToken(a, upper, na);
    scanner.SelectText(1);
    int db = scanner.ScanToken(b, upper, nb);
    if (da == kScanEndOfLine) {
      if (db != kScanEndOfLine) return false;
      if (na == 0) return nb == 0;
    } else if (da != db) {
      return false;
    }
    if (na != nb || std::memcmp(a, b, static_cast<std::size_t>(na)) != 0) return false;
    // Defined macro values are case-sensitive.
    if (da == '(' && upper && na == 6 && std::memcmp(a, "DEFINE", 6) == 0)
      upper = false;
    else if (da == ')')
      upper = true;
  }
}

}  // namespace pm2
