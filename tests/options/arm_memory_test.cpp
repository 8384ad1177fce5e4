// The off-chip memory rows of the ARM target pages: reading their texts
// and the overlap test, near the top of the 32-bit space included.
#include <gtest/gtest.h>

#include "options/core/arm_memory.h"

namespace pm2 {
namespace {

struct ReadRow {
  const char* name;
  int row;  // 0-based row given the texts
  const char* start;
  const char* size;
  const char* message;  // "" when taken
  ArmRowField field;
};
class ArmRowReads : public ::testing::TestWithParam<ReadRow> {};
TEST_P(ArmRowReads, CheckedInOrderAndUnchangedOnRefusal) {
  std::array<ArmRowText, kArmMemRows> texts;
  texts[std::size_t(GetParam().row)] = {GetParam().start, GetParam().size};
  std::array<MemRangeRec, kArmMemRows> rows;
  for (auto& r : rows) r = {7, 0x100, 0x10};
  const auto before = rows;
  const ArmRangeResult result = ReadArmRanges(texts, rows);
  if (*GetParam().message) {
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, GetParam().message);
    EXPECT_EQ(result.row, GetParam().row);
    EXPECT_EQ(result.field, GetParam().field);
    EXPECT_EQ(rows, before);
  } else {
    ASSERT_TRUE(result.ok) << result.message;
    const MemRangeRec& r = rows[std::size_t(GetParam().row)];
    EXPECT_EQ(r.kind, 7);  // the kind byte is kept
    if (GetParam().start[0] == 0) {
      EXPECT_EQ(r.size, 0u);
    }
    // The other rows had empty texts: cleared.
    EXPECT_EQ(rows[std::size_t((GetParam().row + 1) % kArmMemRows)].size, 0u);
  }
}
const ReadRow kReadRows[] = {
    {"BothEmptyClearsTheRow", 2, "", "", "", ArmRowField::kStart},
    {"HexAndDecimal", 0, "0x8000", "4096", "", ArmRowField::kStart},
    {"TopOfTheSpace", 5, "0xFFFFFFFF", "0xFFFFFFFF", "", ArmRowField::kStart},
    {"StartWithoutSize", 1, "0x100", " ", "Missing external memory size !", ArmRowField::kSize},
    {"SizeWithoutStart", 4, "", "0x100", "Missing external memory start address !", ArmRowField::kStart},
    {"StartNotANumber", 3, "0xZZ", "0x10", "Illegal external memory start address !", ArmRowField::kStart},
    {"SizeNotANumber", 0, "0", "ten", "Illegal external memory block size !", ArmRowField::kSize},
    {"NegativeSize", 0, "0", "-1", "Illegal external memory block size !", ArmRowField::kSize},
    {"StartAbove32BitsIsNoWrap", 2, "0x100000000", "0x10", "Illegal external memory start address !",
     ArmRowField::kStart},
    {"SizeAbove32BitsIsNoWrap", 1, "0", "4294967296", "Illegal external memory block size !", ArmRowField::kSize},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmRowReads, ::testing::ValuesIn(kReadRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ArmRowReads, ValuesOfATakenRow) {
  std::array<ArmRowText, kArmMemRows> texts;
  texts[3] = {" 0x20000000 ", "0x4000"};
  std::array<MemRangeRec, kArmMemRows> rows{};
  ASSERT_TRUE(ReadArmRanges(texts, rows).ok);
  EXPECT_EQ(rows[3].start, 0x20000000u);
  EXPECT_EQ(rows[3].size, 0x4000u);
}

struct ShownRow {
  const char* name;
  MemRangeRec range;
  const char* start;
  const char* size;
};
class ArmRowShows : public ::testing::TestWithParam<ShownRow> {};
TEST_P(ArmRowShows, EightHexDigitsOrEmpty) {
  const ArmRowText t = ArmRowShown(GetParam().range);
  EXPECT_EQ(t.start, GetParam().start);
  EXPECT_EQ(t.size, GetParam().size);
}
const ShownRow kShownRows[] = {
    {"Sized", {0, 0x8000, 0x100}, "0x00008000", "0x00000100"},
    {"StartButNoSize", {0, 0x8000, 0}, "", ""},
    {"Top", {1, 0xFFFFF000, 0x1000}, "0xFFFFF000", "0x00001000"},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmRowShows, ::testing::ValuesIn(kShownRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct OverlapRow {
  const char* name;
  MemRangeRec a, b;  // rows 1 and 2
  int row;           // 0-based row named first in the message, -1 for none
  const char* message;
};
class ArmOverlaps : public ::testing::TestWithParam<OverlapRow> {};
TEST_P(ArmOverlaps, FirstOverlapNamesTheLaterRowFirst) {
  std::array<MemRangeRec, kArmMemRows> rows{};
  rows[0] = GetParam().a;
  rows[1] = GetParam().b;
  const ArmRangeResult r = FindArmOverlap(rows);
  if (GetParam().row < 0) {
    EXPECT_TRUE(r.ok) << r.message;
  } else {
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, GetParam().message);
    EXPECT_EQ(r.row, GetParam().row);
    EXPECT_EQ(r.field, ArmRowField::kStart);
  }
  // The test is symmetric.
  EXPECT_EQ(ArmRangesOverlap(GetParam().a, GetParam().b), ArmRangesOverlap(GetParam().b, GetParam().a));
}
const OverlapRow kOverlapRows[] = {
    {"SecondInsideFirst", {0, 0, 0x1000}, {0, 0x800, 0x100}, 1, "External memory #2 overlaps #1"},
    {"FirstInsideSecond", {0, 0x800, 0x100}, {0, 0, 0x1000}, 1, "External memory #2 overlaps #1"},
    {"Adjacent", {0, 0, 0x1000}, {0, 0x1000, 0x1000}, -1, ""},
    {"AdjacentBelow", {0, 0x1000, 0x1000}, {0, 0, 0x1000}, -1, ""},
    {"SameStart", {0, 0x4000, 1}, {0, 0x4000, 1}, 1, "External memory #2 overlaps #1"},
    {"ZeroSizeNeverOverlaps", {0, 0x100, 0}, {0, 0x100, 0x100}, -1, ""},
    // Sums wrap in 32 bits: 0xFFFFF000 + 0x2000 would be 0x1000.
    {"EndingAbove4GB", {0, 0xFFFFF000, 0x2000}, {0, 0xFFFFF800, 0x100}, 1, "External memory #2 overlaps #1"},
    {"LowerRunsToTheTop", {0, 0xFFFFF800, 0x100}, {0, 0x80000000, 0x80000000}, 1, "External memory #2 overlaps #1"},
    {"EndingExactlyAt4GB", {0, 0xFFFFF000, 0x1000}, {0, 0, 0x1000}, -1, ""},
    {"ApartNearTheTop", {0, 0xFFFF0000, 0x8000}, {0, 0xFFFF8000, 0x8000}, -1, ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmOverlaps, ::testing::ValuesIn(kOverlapRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ArmOverlaps, OrderIsRowThenOtherRow) {
  std::array<MemRangeRec, kArmMemRows> rows{};
  rows[2] = {0, 0x100, 0x100};   // ROM #3
  rows[4] = {0, 0x180, 0x100};   // RAM #2 overlaps ROM #3
  rows[5] = {0, 0x1000, 0x10};
  const ArmRangeResult r = FindArmOverlap(rows);
  EXPECT_EQ(r.message, "External memory #5 overlaps #3");
  EXPECT_EQ(r.row, 4);
}

}  // namespace
}  // namespace pm2
