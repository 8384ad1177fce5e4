#include "options/core/list_check.h"

#include <cstdint>

#include "options/core/number_entry.h"
#include "project/text/number_parse.h"
#include "project/text/path_text.h"
#include "project/text/scanner.h"

namespace pm2 {

namespace {

const char* ModeName(ListMode mode) {
  static const char* const kNames[] = {"Define", "Undefine", "Set", "Reset"};
  return kNames[int(mode)];
}

bool TakesValue(ListMode mode) { return mode == ListMode::kDefine || mode == ListMode::kSet; }

}  // namespace

std::string ListSyntaxMessage(ListMode mode) { return std::string("Syntax error in '") + ModeName(mode) + "'"; }

ListCheckResult CheckOptionList(ListMode mode, std::string_view text) {
  ListCheckResult r;
  // The whole text: a list longer than its edit's limit (set by a peer or
  // in the project file) is checked and kept whole, never cut.
  const std::string trimmed(TrimBlanks(text));
  TextScanner scanner;
  scanner.SetText(trimmed.c_str());
  int delimiter = ',';
  std::string token;
  auto fail = [&] {
    r.ok = false;
    r.normalized.clear();
    r.message = ListSyntaxMessage(mode);
    return r;
  };
  while (delimiter == ',' || delimiter == kScanBlank) {
    delimiter = scanner.ScanWholeToken(token, false);
    if (token.empty()) break;
    if (!r.normalized.empty()) r.normalized += ',';
    r.normalized += token;
    if (delimiter == '=' && TakesValue(mode)) {
      std::string value;
      delimiter = scanner.ScanWholeToken(value, false);
      if (value.empty()) return fail();
      if (mode == ListMode::kSet) {
        uint32_t number = 0;
        if (!ReadNumberInRange(value, 0, 65535, &number)) return fail();
        // The value is kept as typed (0x10 stays 0x10), as the preview shows it.
        r.normalized += "=" + value;
      } else {
        r.normalized += "=\"" + value + "\"";
      }
    }
  }
  if (delimiter != kScanEndOfLine || *scanner.m_pPos != 0) return fail();
  r.ok = true;
  return r;
}

std::string ListTextToStore(ListMode mode, std::string_view text, const ListCheckResult& checked,
                            std::string_view stored) {
  if (mode == ListMode::kSet || mode == ListMode::kReset) return checked.normalized;
  if (checked.normalized == stored) return std::string(stored);
  return std::string(TrimBlanks(text));
}

}  // namespace pm2
