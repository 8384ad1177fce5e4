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
};

class FromOtherPrograms : public ::testing::TestWithParam<InRow> {};

TEST_P(FromOtherPrograms, BecomeBytesOfTheCodePage) { EXPECT_EQ(Utf8ToWindows1252(GetParam().utf8), GetParam().bytes); }

const InRow kInRows[] = {
    {"Ascii", "int main(void) {}\r\n", "int main(void) {}\r\n"},
    {"Umlauts", "Gr\xC3\xBC\xC3\x9F" "e", "Gr\xFC\xDF" "e"},
    {"LatinOneTop", "\xC3\xBF\xC2\xA0", "\xFF\xA0"},
    {"EuroAndQuotes", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D", "\x80 \x93x\x94"},
    {"UnassignedControlsKeepTheirByte", "\xC2\x81\xC2\x9D", "\x81\x9D"},
    {"OtherControlsOfThatRange", "\xC2\x80\xC2\x85", "??"},
    {"OutsideTheCodePage", "a\xE6\xBC\xA2" "b", "a?b"},
    {"OutsideTheBasicPlane", "\xF0\x9F\x98\x80!", "?!"},
    {"CutSequence", "x\xC3", "x?"},
    {"LoneContinuation", "\x80y", "?y"},
    {"Overlong", "\xC0\xAF" "z", "?z"},
    {"Surrogate", "\xED\xA0\x80", "?"},
    {"Empty", "", ""},
};

INSTANTIATE_TEST_SUITE_P(Rows, FromOtherPrograms, ::testing::ValuesIn(kInRows),
                         [](const auto& info) { return std::string(info.param.name); });

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
