// The memory window's value texts for every format and toolset group, the
// byte order of each family, the page's geometry and hit test, and the
// texts that write values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debugger/model/memory_format.h"

namespace pm2 {
namespace {

// Bytes as they lie in memory.
const uint8_t kBytes[] = {0xFE, 0xFF, 0xFF, 0xFF, 0x41, 0x00, 0x00, 0x00};
const uint8_t kPi[] = {0xDB, 0x0F, 0x49, 0x40};  // 3.14159274f little-endian
const uint8_t kPiBig[] = {0x40, 0x49, 0x0F, 0xDB};
const uint8_t kOne[] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};  // 1.0 little-endian

struct MemoryFormatRow {
  const char* name;
  int format;
  bool decimal;
  bool arm;
  bool swap;
  const uint8_t* bytes;
  std::string text;
};

class MemFormatTable : public ::testing::TestWithParam<MemoryFormatRow> {};

TEST_P(MemFormatTable, ValueText) {
  const MemoryFormatRow& r = GetParam();
  MemLook look{r.format, r.decimal, r.arm, r.swap};
  const std::string text = FormatMemValue(look, r.bytes);
  EXPECT_EQ(text, r.text);
  // Every column but a float's holds exactly its width.
  if (r.format != kMemFloat && r.format != kMemDouble) {
    EXPECT_EQ(static_cast<int>(text.size()), look.Width()) << "width of " << MemFormatInfo(r.format).name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MemFormatTable,
    ::testing::Values(
        MemoryFormatRow{"UCharHex", kMemUChar, false, true, false, kBytes, "FE "},
        MemoryFormatRow{"UCharDec", kMemUChar, true, true, false, kBytes, "254 "},
        MemoryFormatRow{"SCharHex", kMemSChar, false, true, false, kBytes, "-02 "},
        MemoryFormatRow{"SCharDec", kMemSChar, true, false, false, kBytes, "-002 "},
        MemoryFormatRow{"SCharPositive", kMemSChar, false, true, false, kBytes + 4, " 41 "},
        MemoryFormatRow{"UIntArmIsLong", kMemUInt, false, true, false, kBytes, "FFFFFFFE "},
        MemoryFormatRow{"UIntArmDec", kMemUInt, true, true, false, kBytes, "4294967294 "},
        MemoryFormatRow{"UInt51IsShort", kMemUInt, false, false, false, kBytes, "FFFE "},
        MemoryFormatRow{"UInt51Swapped", kMemUInt, false, false, true, kBytes, "FEFF "},
        MemoryFormatRow{"UInt51Dec", kMemUInt, true, false, false, kBytes + 4, "00065 "},
        MemoryFormatRow{"SIntArm", kMemSInt, false, true, false, kBytes, "-00000002 "},
        MemoryFormatRow{"SIntArmDec", kMemSInt, true, true, false, kBytes, "-0000000002 "},
        MemoryFormatRow{"SInt51", kMemSInt, false, false, false, kBytes, "-0002 "},
        MemoryFormatRow{"ULongHex", kMemULong, false, false, false, kBytes + 4, "00000041 "},
        MemoryFormatRow{"ULongSwapped", kMemULong, false, true, true, kBytes + 4, "41000000 "},
        MemoryFormatRow{"SLongDec", kMemSLong, true, true, false, kBytes + 4, " 0000000065 "},
        MemoryFormatRow{"SShortHex", kMemSShort, false, true, false, kBytes, "-0002 "},
        MemoryFormatRow{"SShortDec", kMemSShort, true, false, false, kBytes, "-00002 "},
        MemoryFormatRow{"UShortHex", kMemUShort, false, true, false, kBytes, "FFFE "},
        MemoryFormatRow{"UShortDec", kMemUShort, true, true, false, kBytes, "65534 "},
        MemoryFormatRow{"AsciiPrintable", kMemAscii, false, true, false, kBytes + 4, "A"},
        MemoryFormatRow{"AsciiDot", kMemAscii, false, true, false, kBytes, "."},
        MemoryFormatRow{"AsciiNulDot", kMemAscii, false, true, false, kBytes + 5, "."},
        MemoryFormatRow{"FloatPadded", kMemFloat, false, true, false, kPi, "3.14159        "},
        MemoryFormatRow{"FloatSwapped", kMemFloat, false, true, true, kPiBig, "3.14159        "},
        MemoryFormatRow{"Double", kMemDouble, true, true, false, kOne, "1              "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MemFormat, SignedMinimumKeepsItsMagnitude) {
  const uint8_t min32[] = {0, 0, 0, 0x80};
  EXPECT_EQ(FormatMemValue({kMemSLong, false, true, false}, min32), "-80000000 ");
  const uint8_t min8[] = {0x80};
  EXPECT_EQ(FormatMemValue({kMemSChar, true, true, false}, min8), "-128 ");
}

struct SwapRow {
  const char* name;
  int family;
  bool bigEndian;
  bool swap;
};
class MemSwap : public ::testing::TestWithParam<SwapRow> {};
TEST_P(MemSwap, ByFamily) { EXPECT_EQ(MemSwapBytes(GetParam().family, GetParam().bigEndian), GetParam().swap); }
INSTANTIATE_TEST_SUITE_P(Rows, MemSwap,
                         ::testing::Values(SwapRow{"Family51", 0, false, true}, SwapRow{"Family251", 1, false, true},
                                           SwapRow{"Family166Never", 2, true, false},
                                           SwapRow{"ArmLittle", 3, false, false}, SwapRow{"ArmBig", 4, true, true},
                                           SwapRow{"Arm5Big", 5, true, true}, SwapRow{"Unknown", 7, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MemGeometry, NarrowWindowStillShowsOneValueAndNeverMoreThan256) {
  MemLook look{kMemUChar, false, true, false};
  EXPECT_EQ(MemLayout(look, 200, 16, 5, 8).columns, 1);
  EXPECT_EQ(MemLayout(look, 200, 16, 5000, 8).columns, 256);
  EXPECT_EQ(MemLayout(look, 200, 16, 10 + 3 * 16, 8).columns, 16);
}

TEST(MemGeometry, PartialRowFromAThirdOfTheRowHeight) {
  MemLook look;
  EXPECT_EQ(MemLayout(look, 33 + 5 * 15 + 4, 15, 80, 8).rows, 5);
  EXPECT_FALSE(MemLayout(look, 33 + 5 * 15 + 4, 15, 80, 8).partial);
  EXPECT_TRUE(MemLayout(look, 33 + 5 * 15 + 5, 15, 80, 8).partial);
}

TEST(MemGeometry, ReadCountClampedToTheBuffer) {
  MemLook look{kMemDouble, false, true, false};
  MemGeometry g;
  g.rows = 200;
  g.columns = 256;
  EXPECT_EQ(MemReadCount(look, g), kMemReadBuffer);
  g.rows = 2;
  g.columns = 4;
  g.partial = true;
  EXPECT_EQ(MemReadCount(look, g), 8 * 4 * 3);
}

TEST(MemGeometry, UnknownSpaceScrollsOver64K) {
  MemLook look{kMemUChar, false, true, false};
  MemGeometry g;
  g.rows = 10;
  g.columns = 16;
  EXPECT_EQ(MemScrollMax(look, g, 0), 0x10000 / 16 - 10);
  EXPECT_EQ(MemScrollMax(look, g, -1), (0xFFFFFFFEll + 15) / 16 - 10);
  EXPECT_EQ(MemScrollMax(look, g, 32), 0);
}

TEST(MemRow, ValuesBeyondWhatWasReadAreNotShown) {
  const uint8_t data[] = {1, 2, 3, 4, 5, 6};
  MemLook look{kMemUShort, false, true, false};
  MemRowText row = FormatMemRow(look, data, 5, 4);
  EXPECT_EQ(row.text, "0201 0403 ");
  ASSERT_EQ(row.spans.size(), 2u);
  EXPECT_EQ(row.spans[1], std::make_pair(5, 9));
}

struct HitRow {
  const char* name;
  int x, y;
  bool hit;
  uint64_t address;
};
class MemHit : public ::testing::TestWithParam<HitRow> {};
TEST_P(MemHit, AddressUnderThePoint) {
  // Pixel spans of four byte values; rows of 10 pixels under the bar.
  const std::vector<std::pair<int, int>> spans = {{100, 120}, {130, 150}, {160, 180}, {190, 210}};
  MemHitInput in;
  in.valid = true;
  in.x = GetParam().x;
  in.y = GetParam().y;
  in.rowHeight = 10;
  in.base = 0x40000000;
  in.topRow = 2;
  in.columns = 4;
  in.rowsShown = 5;
  in.spans = &spans;
  uint64_t a = 0;
  EXPECT_EQ(MemHitTest({kMemUChar, false, true, false}, in, &a), GetParam().hit);
  if (GetParam().hit) {
    EXPECT_EQ(a, GetParam().address);
  }
}
INSTANTIATE_TEST_SUITE_P(Rows, MemHit,
                         ::testing::Values(HitRow{"FirstValue", 105, 35, true, 0x40000008},
                                           HitRow{"ThirdValueSecondRow", 170, 45, true, 0x4000000E},
                                           HitRow{"LastPixelOfAValue", 119, 35, true, 0x40000008},
                                           HitRow{"GapNearerTheLeftValue", 123, 35, true, 0x40000008},
                                           HitRow{"GapNearerTheRightValue", 127, 35, true, 0x40000009},
                                           HitRow{"GapBeforeTheLastValue", 183, 45, true, 0x4000000E},
                                           HitRow{"JustPastTheLastValue", 211, 35, true, 0x4000000B},
                                           HitRow{"FarPastTheLastValue", 300, 45, true, 0x4000000F},
                                           HitRow{"InTheBar", 105, 20, false, 0},
                                           HitRow{"LeftOfValues", 50, 35, false, 0},
                                           HitRow{"BelowTheRowsShown", 105, 95, false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

struct AsciiRow {
  const char* name;
  std::string in;
  std::string out;
};
class MemAscii : public ::testing::TestWithParam<AsciiRow> {};
TEST_P(MemAscii, Escapes) { EXPECT_EQ(MemAsciiBytes(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(Rows, MemAscii,
                         ::testing::Values(AsciiRow{"Plain", "Ok.", "Ok."},
                                           AsciiRow{"LineFeedAndBell", "a\\nb\\a", "a\nb\a"},
                                           AsciiRow{"Backslash", "\\\\", "\\"},
                                           AsciiRow{"TabIsNotAnEscape", "\\t", "\\t"},
                                           AsciiRow{"TrailingBackslash", "x\\", "x\\"},
                                           AsciiRow{"AllControls", "\\b\\f\\r\\v", "\b\f\r\v"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MemWrite, CommandAndTitles) {
  EXPECT_EQ(MemWriteCommand(kMemSInt, "0x40000000", "1, 2"), "int 0x40000000 = 1, 2");
  EXPECT_EQ(MemWriteCommand(kMemDouble, "0x10", "3.5"), "double 0x10 = 3.5");
  EXPECT_EQ(MemWriteCommand(kMemAscii, "0x10", "abc"), "");
  EXPECT_EQ(MemEntryTitle(kMemULong, "0x40000000"), "Enter Long Integer(s) at 0x40000000");
  EXPECT_STREQ(MemEntryExample(kMemAscii), "Example: just some ascii characters. \"Ok.\"");
}

}  // namespace
}  // namespace pm2
