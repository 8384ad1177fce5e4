// A driver's settings text is kept in the target's driver key list under
// the driver's base name, so it is saved with the options file and given
// back to the driver's dialog next time. The options file holds each value
// in parentheses on one line; a text that could not be read back as it was
// written is refused instead of being changed on the way.
#pragma once

#include <string>
#include <string_view>

namespace pm2 {

// Why text cannot be kept byte for byte in the options file ("" when it can).
std::string SettingsTextFault(std::string_view text);

// The refusal for a driver's text, or "" when the text can be kept.
std::string SettingsTextRefusal(std::string_view driverBase, std::string_view text);

}  // namespace pm2
