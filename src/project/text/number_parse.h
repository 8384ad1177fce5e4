// The number parser that every number field uses.
//
// Forms: "0x1F" (hexadecimal to the end of the text, no trailing blank),
// "1FH" (trailing H or h: hexadecimal), "-12" (signed decimal). Leading
// blanks, an optional sign and blanks after it are skipped; trailing blanks
// are ignored for the decimal and H forms. The value accumulates in 32 bits
// without an overflow check. An empty or all-blank text is the number 0.
#ifndef PM2_PROJECT_NUMBER_PARSE_H
#define PM2_PROJECT_NUMBER_PARSE_H

#include <cstdint>

namespace pm2 {

class TextScanner;

// Results of ParseNumber.
inline constexpr int kNumberInvalid = 0;
inline constexpr int kNumberParsed = 1;
inline constexpr int kNumberNegated = 2;  // decimal or H form with a minus sign

int ParseNumber(const char* text, std::uint32_t& value);

// ParseNumber plus lower <= value <= upper, the value taken sign-extended
// for result 2 and zero-extended otherwise; out of range gives 0.
int ParseNumberInRange(const char* text, std::uint32_t& value, std::int64_t lower,
                       std::int64_t upper);

// "low-high" or "low,high" then the end. Both numbers are compared as
// ParseNumberInRange takes them, so 0-0xFFFFFFFF is a valid range.
// ParseNumberRangeChecked: 0 syntax error, -1 malformed number or high <
// low, 1 valid. The forms without a scanner use a scanner of their own.
int ParseNumberRangeChecked(TextScanner& scanner, const char* text, std::uint32_t& low,
                            std::uint32_t& high);
int ParseNumberRangeChecked(const char* text, std::uint32_t& low, std::uint32_t& high);
bool ParseNumberRange(const char* text, std::uint32_t& low, std::uint32_t& high);

}  // namespace pm2

#endif
