#include "project/text/number_parse.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace pm2 {
namespace {

struct NumberRow {
  const char* name;
  const char* text;
  int result;
  std::uint32_t value;
};

TEST(ParseNumber, Forms) {
  const NumberRow rows[] = {
      {"0x hex", "0x1F", 1, 31},
      {"0X upper", "0XfF", 1, 255},
      {"trailing H", "1FH", 1, 31},
      {"trailing h with blanks", "  1fh  ", 1, 31},
      {"signed decimal", "-12", 2, static_cast<std::uint32_t>(-12)},
      {"minus blank decimal", " - 12", 2, static_cast<std::uint32_t>(-12)},
      {"plus sign", "+7", 1, 7},
      {"negated hex keeps result 1", "-0x10", 1, 0xFFFFFFF0u},
      {"decimal trailing blank", "12 ", 1, 12},
      {"0x trailing blank invalid", "0x12 ", 0, 0},
      {"0x alone", "0x", 1, 0},
      {"empty", "", 1, 0},
      {"all blank", "   ", 1, 0},
      {"hex letter in decimal", "19A", 0, 0},
      {"blank inside", "1 2", 0, 0},
      {"wraps at 32 bits", "4294967297", 1, 1},
      {"full 32 bits", "0xFFFFFFFF", 1, 0xFFFFFFFFu},
      {"garbage", "12x", 0, 0},
  };
  for (const NumberRow& r : rows) {
    std::uint32_t v = 99;
    EXPECT_EQ(ParseNumber(r.text, v), r.result) << r.name;
    if (r.result) {
      EXPECT_EQ(v, r.value) << r.name;
    }
  }
}

TEST(ParseNumber, RangeCheckSignExtendsOnlyNegatedDecimal) {
  std::uint32_t v = 0;
  EXPECT_EQ(ParseNumberInRange("-1", v, -5, 5), 2);
  EXPECT_EQ(ParseNumberInRange("0xFFFFFFFF", v, -5, 5), 0);  // 4294967295, not -1
  EXPECT_EQ(ParseNumberInRange("0xFFFFFFFF", v, 0, 0xFFFFFFFFll), 1);
  EXPECT_EQ(ParseNumberInRange("6", v, -5, 5), 0);
  EXPECT_EQ(ParseNumberInRange("5", v, -5, 5), 1);
  EXPECT_EQ(ParseNumberInRange("z", v, -5, 5), 0);
}

struct RangeRow {
  const char* name;
  const char* text;
  int result;
  std::uint32_t low, high;
};

TEST(ParseNumberRange, Forms) {
  const RangeRow rows[] = {
      {"dash", "0x100-0x1FF", 1, 256, 511},
      {"comma", "10,20", 1, 10, 20},
      {"blanks around", " 0x100 - 0x1FF ", 1, 256, 511},
      {"equal ends", "5-5", 1, 5, 5},
      {"whole 32-bit space", "0-0xFFFFFFFF", 1, 0, 0xFFFFFFFFu},
      {"high below low", "5,3", -1, 0, 0},
      {"malformed number", "1Z-5", -1, 0, 0},
      {"one number", "17", 0, 0, 0},
      {"trailing text", "1-2 3", 0, 0, 0},
      {"third number", "1-2-3", 0, 0, 0},
      {"missing low", ",5", 0, 0, 0},
      {"empty", "", 0, 0, 0},
  };
  for (const RangeRow& r : rows) {
    std::uint32_t lo = 0, hi = 0;
    EXPECT_EQ(ParseNumberRangeChecked(r.text, lo, hi), r.result) << r.name;
    EXPECT_EQ(ParseNumberRange(r.text, lo, hi), r.result == 1) << r.name;
    if (r.result == 1) {
      EXPECT_EQ(lo, r.low) << r.name;
      EXPECT_EQ(hi, r.high) << r.name;
    }
  }
}

}  // namespace
}  // namespace pm2
