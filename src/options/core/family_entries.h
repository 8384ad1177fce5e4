// Typed lists of the 51, 251 and 166 pages that are not ranges: the 166
// data thresholds ("near 4, bdata 2"), the linkers' lists of warning
// numbers not to report, and the 166 locator's address ranges.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pm2 {

// The four 166 thresholds in the order near, idata, sdata, bdata;
// 0xFFFF = not given.
struct Thresholds166 {
  uint16_t value[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
};

// "near 4, idata 8": the given ones, joined by a comma and a blank.
std::string FormatThresholds166(const Thresholds166& t);

// Reads the edit's text; an empty text sets all four to "not given".
// False with the refusal's message for a bad space, size or delimiter.
bool ParseThresholds166(std::string_view text, Thresholds166* out, std::string* message);

inline constexpr const char* kBadWarningListMessage = "Error in list of warning numbers\nSyntax example: 22,23,88";

// Numbers from 0 to 1000 separated by commas or blanks; empty is accepted,
// two delimiters in a row are not.
bool CheckWarningList(std::string_view text);

inline constexpr const char* kBadRangeMessage = "Bad or missing address range !";

// A locator range "low-high" or "low,high" with high not below low.
bool ReadAddressRange(std::string_view text, uint32_t* low, uint32_t* high);

}  // namespace pm2
