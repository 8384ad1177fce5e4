// File-type filters as the user types them: "*.c", "*.asm; *.a; *.s".
//
// Valid: empty, or items separated by ';' each beginning with "*.", any
// number of blanks after a ';'. Inside an item a blank is allowed only when
// the next character is one a name may hold (not the end, a blank, '"', ',',
// '.', '/', ':', '<', '>', '\\' or '|'). Normal form: the items joined by
// ';' without the blanks after each ';', no trailing ';'.
#pragma once

#include <string>
#include <string_view>

namespace pm2 {

inline constexpr const char* kInvalidFilterText = "Invalid Filter - Example: '*.asm; *.a; *.s'";

bool IsValidFilterText(std::string_view text);
// Why a filter as typed cannot be kept ("" when it can): the invalid-filter
// message, or the refusal of the project files, which keep a filter in
// parentheses ("*.c;*.x)" would read back as "*.c;*.x"). `field` names the
// filter in the message.
std::string FilterTextRefusal(std::string_view field, std::string_view text);
std::string NormalizeFilterText(std::string_view text);

}  // namespace pm2
