// The GDB driver's settings as the form the options pages show
// (driver_abi/driver_settings_form.h): the target (the emulator with its
// machine, or a GDB server at host:port), the gdb program, the connect
// timeout, the UART stand-in, and any further words of the parameter text
// as they were. The settings text is the driver's parameter text
// ("-sim -machine none", "-remote board:3333 -gdb arm-gdb"), which the
// Debug page keeps and the session hands to the driver.
#pragma once

#include <string>

#include "driver_abi/driver_settings_form.h"

namespace pm2::gdb {

// Fills the form's title and fields from the parameter text.
void FillSettingsForm(const std::string& parameter, DriverSettingsForm* form);

// The parameter text of the form's values: true with *text, or false with
// *error naming the field and why its value is refused.
bool SettingsFormText(const DriverSettingsForm& form, std::string* text, std::string* error);

}  // namespace pm2::gdb
