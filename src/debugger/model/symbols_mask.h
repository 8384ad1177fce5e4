// The symbols dialog's texts without a window: the name mask's check and
// matcher, a symbol's type text and address text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "driver_abi/debug_records.h"

namespace pm2 {

constexpr std::size_t kSymbolMaskMax = 32;
// A name read from a driver record is cut here.
constexpr std::size_t kSymbolNameMax = 255;

// The position of the first bad character of a mask (for a bad "*"
// sequence the position after the "*"), or -1 when the mask is good.
int CheckSymbolMask(const std::string& mask);
// "#" one digit, "$" any one character, "*" any run; the whole name must
// be used up. ignoreCase compares letters without case.
bool MatchSymbolMask(const std::string& mask, const std::string& name, bool ignoreCase);

// The type text of a type record for the family (0..4); depth bounds
// nested element types.
std::string SymbolTypeText(const DbgTypeRecord* type, int family);

// The address column of a symbol: the driver's text for plain addresses
// (addressText), bit, register and frame forms by class and family.
std::string SymbolAddressText(const DbgSymbolRecord& sym, int family,
                              const std::function<std::string(uint32_t)>& addressText);

// A driver text bounded to kSymbolNameMax.
std::string BoundedName(const char* text);

}  // namespace pm2
