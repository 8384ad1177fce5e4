#include "options/core/driver_settings_text.h"

#include "project/files/project_lines.h"

namespace pm2 {

std::string SettingsTextFault(std::string_view text) { return ParenthesisedTextFault(text); }

std::string SettingsTextRefusal(std::string_view driverBase, std::string_view text) {
  std::string fault = SettingsTextFault(driverBase);
  const bool inName = !fault.empty();
  if (!inName) fault = SettingsTextFault(text);
  if (fault.empty()) return fault;
  return "The settings of driver '" + std::string(driverBase) + "' cannot be stored: its " +
         (inName ? "name" : "settings text") + " holds " + fault + ".";
}

}  // namespace pm2
