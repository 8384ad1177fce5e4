// Numbers typed into option fields: the pages' number reader with its
// message, the clock entry in MHz, and the code-banking wizard's own reader
// with base suffixes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pm2 {

inline constexpr const char* kBadNumberMessage = "Invalid or out of range number !";
inline constexpr const char* kBadClockMessage = "Illegal Clock frequency value";

// Reads a number field (blanks around it ignored): "0x1F", "1FH", "-12",
// "31". True when it parses and lower <= value <= upper, the value taken as
// a signed 64-bit number; *value gets the 32-bit form.
bool ReadNumberField(std::string_view text, int64_t lower, int64_t upper, uint32_t* value);

// The shared number parser's forms and range test (an empty text is 0), but
// a number whose digits do not fit in 32 bits is refused: that parser keeps
// only the low 32 bits, which would read 0x100000000 as 0.
bool ReadNumberInRange(std::string_view text, int64_t lower, int64_t upper, uint32_t* value);
// Whether the digits of a number in those forms stay within 32 bits; other
// faults are left to the parser.
bool NumberFits32Bits(std::string_view text);

// The clock edit: one decimal number of MHz from 0.001 to 999.999 and
// nothing else but blanks; the clock in Hz, rounded to the nearest Hz
// (1.001 gives 1001000). False for any other text; an empty text is for the
// caller to treat as "keep".
bool ParseClockMHz(std::string_view text, uint32_t* hz);
// A clock in Hz shown in MHz with up to nine significant digits and at
// least one decimal: 12000000 gives "12.0", 11059200 "11.0592".
std::string ClockEditText(uint32_t hz);

// The code-banking wizard's reader: upper-cased; leading blanks skipped;
// a blank or one of ";,()=#!" ends the number; an optional sign; "0x"
// hexadecimal, or a trailing H (hex), O (octal), B (binary), D (decimal),
// else decimal. False for a digit outside the base, no digits, or a value
// above 32 bits.
bool ReadSuffixedNumber(std::string_view text, int64_t* value);

// Number fields shown back to the user: "0x%X" and the like.
std::string HexText(uint32_t value, int minDigits = 0);

}  // namespace pm2
