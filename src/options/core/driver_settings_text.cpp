#include "options/core/driver_settings_text.h"

namespace pm2 {

std::string SettingsTextFault(std::string_view text) {
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '(') ++depth;
    // The reader ends the value at the first unmatched ')'.
    if (c == ')' && --depth < 0) return "a ')' without its '('";
    // A line break is written as "\~", which reads back as CR LF.
    if (c == '\n' && (i == 0 || text[i - 1] != '\r')) return "a line break without a carriage return";
    if (c == '\\' && next == '~') return "the characters \"\\~\"";
    // The reader drops comments.
    if (c == '/' && next == '*') return "the characters \"/*\"";
  }
  if (depth > 0) return "a '(' without its ')'";
  return std::string();
}

std::string SettingsTextRefusal(std::string_view driverBase, std::string_view text) {
  std::string fault = SettingsTextFault(driverBase);
  const bool inName = !fault.empty();
  if (!inName) fault = SettingsTextFault(text);
  if (fault.empty()) return fault;
  return "The settings of driver '" + std::string(driverBase) + "' cannot be stored: its " +
         (inName ? "name" : "settings text") + " holds " + fault + ".";
}

}  // namespace pm2
