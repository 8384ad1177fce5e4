// Text from other programs into the editor's bytes and back out.
#include "editor/text/windows_1252.h"

#include <gtest/gtest.h>

#include <random>

namespace pm2 {
namespace {

struct InRow {
  const char* name;
  std::string utf8;
  std::string bytes;
  std::size_t lost;  // characters that became '?'
};

class FromOtherPrograms : public ::testing::TestWithParam<InRow> {};

TEST_P(FromOtherPrograms, BecomeBytesOfTheCodePage) {
  EXPECT_EQ(Utf8ToWindows1252(GetParam().utf8), GetParam().bytes);
  std::size_t lost = 99;
  EXPECT_EQ(Utf8ToWindows1252(GetParam().utf8, &lost), GetParam().bytes);
  EXPECT_EQ(lost, GetParam().lost);
}

const InRow kInRows[] = {
    {"Ascii", "int main(void) {}\r\n", "int main(void) {}\r\n", 0},
    {"Umlauts", "Gr\xC3\xBC\xC3\x9F" "e", "Gr\xFC\xDF" "e", 0},
    {"LatinOneTop", "\xC3\xBF\xC2\xA0", "\xFF\xA0", 0},
    {"EuroAndQuotes", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D", "\x80 \x93x\x94", 0},
    {"UnassignedControlsKeepTheirByte", "\xC2\x81\xC2\x9D", "\x81\x9D", 0},
    {"OtherControlsOfThatRange", "\xC2\x80\xC2\x85", "??", 2},
    {"OutsideTheCodePage", "a\xE6\xBC\xA2" "b", "a?b", 1},
    {"OutsideTheBasicPlane", "\xF0\x9F\x98\x80!", "?!", 1},
    {"CutSequence", "x\xC3", "x?", 1},
    {"LoneContinuation", "\x80y", "?y", 1},
    {"Overlong", "\xC0\xAF" "z", "?z", 1},
    {"Surrogate", "\xED\xA0\x80", "?", 1},
    {"Empty", "", "", 0},
    {"TypedQuestionMarksAreNoLoss", "a?\xE6\x97\xA5?", "a???", 1},
};

INSTANTIATE_TEST_SUITE_P(Rows, FromOtherPrograms, ::testing::ValuesIn(kInRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The editor draws a byte as the character the code page gives it.
TEST(Windows1252, BytesDrawnAsTheCodePagesCharacters) {
  EXPECT_EQ(Windows1252Char(0x80), U'\u20AC');
  EXPECT_EQ(Windows1252Char(0x9F), U'\u0178');
  EXPECT_EQ(Windows1252Char(0x81), char32_t(0x81));
  EXPECT_EQ(Windows1252Char('A'), U'A');
  EXPECT_EQ(Windows1252Char(0xE9), char32_t(0xE9));
}

TEST(Windows1252, BytesGoOutAsTheirCharacters) {
  EXPECT_EQ(Windows1252ToUtf8("Gr\xFC\xDF" "e \x80"), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC");
  EXPECT_EQ(Windows1252ToUtf8("\x8D"), "\xC2\x8D");
}

// Seeded random bytes, every value included: out and in again unchanged.
TEST(Windows1252, EveryByteComesBack) {
  std::mt19937 random(1252);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(std::size_t(random() % 64), '\0');
    for (char& b : bytes) b = char(random() % 256);
    if (round == 0)
      for (int v = 0; v < 256; ++v) bytes += char(v);
    ASSERT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(bytes)), bytes) << round;
  }
}

}  // namespace
}  // namespace pm2
