// The 51, 251 and 166 pages' rules without a window: the memory rows with
// their checks and overlaps, the linker's range lists, the bank count, the
// near RAM/ROM fit, the 166 thresholds, warning lists and locator ranges.
#include <gtest/gtest.h>

#include <string>

#include "options/core/family_entries.h"
#include "options/core/memory_ranges.h"

namespace pm2 {
namespace {

template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

struct Range51Row {
  const char* name;
  RangeRow51 row;
  const char* start;
  const char* second;
  uint32_t limit;
  bool banking;
  const char* message;  // "" accepted
  int focus;
  uint32_t storedStart, storedSecond;
};

class Ranges51 : public ::testing::TestWithParam<Range51Row> {};

TEST_P(Ranges51, CheckedAndStored) {
  const Range51Row& r = GetParam();
  const RangeCheck c = CheckRange51(r.row, r.start, r.second, r.limit, r.banking);
  EXPECT_EQ(c.message, r.message);
  EXPECT_EQ(c.ok, std::string(r.message).empty());
  if (!c.ok) {
    EXPECT_EQ(c.focus, r.focus);
  } else {
    EXPECT_EQ(c.value.start, r.storedStart);
    EXPECT_EQ(c.value.size, r.storedSecond);
  }
}

constexpr uint32_t k64K = 0x10000, k16M = 0x1000000;
const Range51Row kRange51Rows[] = {
    {"BothEmptyClears", RangeRow51::kCode, "", " ", k64K, false, "", 0, 0, 0},
    {"FirstEpromLoneStartCoversTheRest", RangeRow51::kFirstCode, "0x8000", "", k64K, false, "", 0, 0x8000, 0x8000},
    {"FirstRamLoneStartCoversTheRest", RangeRow51::kFirstXdata, "0xF000", "", k64K, false, "", 0, 0xF000, 0x1000},
    {"SecondEpromLoneStartIsRefused", RangeRow51::kCode, "0x8000", "", k64K, false, "Illegal Range !", 1, 0, 0},
    {"LoneSizeWantsAStart", RangeRow51::kXdata, "", "0x100", k64K, false, "Missing start address !", 0, 0, 0},
    {"StartAboveTheLimit", RangeRow51::kCode, "0x10001", "1", k64K, false, "Missing start address !", 0, 0, 0},
    {"SizeNotANumber", RangeRow51::kCode, "0", "12G", k64K, false, "Illegal Range !", 1, 0, 0},
    {"StartAbove32BitsIsNoWrap", RangeRow51::kCode, "0x100000000", "1", k64K, false, "Missing start address !", 0, 0,
     0},
    {"SizeAbove32BitsIsNoWrap", RangeRow51::kCode, "0", "0x100000010", k64K, false, "Illegal Range !", 1, 0, 0},
    {"RamPastTheTopIsOutOfBounds", RangeRow51::kXdata, "0xF000", "0x2000", k64K, false,
     "Xdata memory range out of bounds", 1, 0, 0},
    {"EpromPastTheTopIsOutOfBounds", RangeRow51::kFirstCode, "0x8000", "0x8001", k64K, false,
     "Code memory range out of bounds", 1, 0, 0},
    {"ExactlyToTheTopIsAccepted", RangeRow51::kCode, "0x8000", "0x8000", k64K, false, "", 0, 0x8000, 0x8000},
    {"ExtendedLimitTakesLargeRanges", RangeRow51::kCode, "0x10000", "0x20000", k16M, false, "", 0, 0x10000, 0x20000},
    {"BankAreaUncheckedWhileBankingIsOff", RangeRow51::kCodeBank, "0x8000", "0x1000", k64K, false, "", 0, 0x8000,
     0x1000},
    {"BankEndBelowStart", RangeRow51::kCodeBank, "0x8000", "0x1000", k64K, true, "Code bank area incorrect !", 1, 0, 0},
    {"BankEndAtTheTopCountsAsFFFF", RangeRow51::kCodeBank, "0x8000", "0x10000", k64K, true, "", 0, 0x8000,
     0x10000},
    {"FarAreaCheckedAlways", RangeRow51::kFarBank, "0x4000", "0x100", k64K, false, "Xdata bank area incorrect !", 1,
     0, 0},
    {"FarAreaStartAtTheTopIsRefused", RangeRow51::kFarBank, "0x10000", "0x10000", k16M, false,
     "Xdata bank area incorrect !", 1, 0, 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, Ranges51, ::testing::ValuesIn(kRange51Rows), RowName<Range51Row>);

struct FamilyOverlapRow {
  const char* name;
  MemRangeRec rows[6];
  int count;
  uint64_t bound;
  const char* message;
  int focusRow;
};

class Overlaps : public ::testing::TestWithParam<FamilyOverlapRow> {};

TEST_P(Overlaps, FirstFailureWins) {
  const FamilyOverlapRow& r = GetParam();
  const OverlapCheck c = CheckOverlaps(r.rows, r.count, r.bound, "Code");
  EXPECT_EQ(c.message, r.message);
  EXPECT_EQ(c.ok, std::string(r.message).empty());
  if (!c.ok) { EXPECT_EQ(c.focusRow, r.focusRow); }
}

const FamilyOverlapRow kFamilyOverlapRows[] = {
    {"SecondInsideFirst", {{0, 0, 0x8000}, {0, 0x4000, 0x1000}, {}}, 3, 0x10000, "External memory #2 overlaps #1", 1},
    {"TouchingRangesDoNotOverlap", {{0, 0, 0x8000}, {0, 0x8000, 0x8000}, {}}, 3, 0x10000, "", 0},
    {"UnusedRowsAreSkipped", {{0, 0x100, 0}, {0, 0x100, 0x100}, {0, 0x100, 0}}, 3, 0x10000, "", 0},
    {"ThirdStartsBelowFirstAndReachesIt", {{0, 0x4000, 0x100}, {}, {0, 0x3F00, 0x101}}, 3, 0x10000,
     "External memory #3 overlaps #1", 2},
    {"PastTheBoundNamesTheRow", {{0, 0xF000, 0x2000}, {0, 0, 0x100}, {}}, 3, 0x10000,
     "Code memory range out of bounds", 0},
    // 0xFFFFF000 + 0x2000 wraps in 32 bits to 0x1000 and would hide this.
    {"SumsNearFourGigabytesDoNotWrap",
     {{0, 0xFFFFF000, 0x2000}, {0, 0xFFFFF800, 0x100}, {}, {}, {}, {}}, 6, 0, "External memory #2 overlaps #1", 1},
    {"SixRowsWithoutABound", {{0, 0, 0x10000}, {}, {}, {}, {}, {1, 0x20000, 0x1000000}}, 6, 0, "", 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, Overlaps, ::testing::ValuesIn(kFamilyOverlapRows), RowName<FamilyOverlapRow>);

struct ExternalRow {
  const char* name;
  const char* start;
  const char* size;
  const char* message;
  int focus;
};

class ExternalRows : public ::testing::TestWithParam<ExternalRow> {};

TEST_P(ExternalRows, Checked) {
  const ExternalRow& r = GetParam();
  const RangeCheck c = CheckExternalRow(r.start, r.size);
  EXPECT_EQ(c.message, r.message);
  if (!c.ok) { EXPECT_EQ(c.focus, r.focus); }
}

const ExternalRow kExternalRows[] = {
    {"Empty", "", "", "", 0},
    {"StartAlone", "0x1000", "", "Missing external memory size !", 1},
    {"SizeAlone", "", "0x1000", "Missing external memory start address !", 0},
    {"StartTooHigh", "0x1000000", "1", "Illegal external memory start address !", 0},
    {"StartAbove32BitsIsNoWrap", "0x100000000", "1", "Illegal external memory start address !", 0},
    {"SizeTooLarge", "0", "0x1000000", "Illegal external memory block size !", 1},
    {"Accepted", "0x200000", "0xFFFFFF", "", 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, ExternalRows, ::testing::ValuesIn(kExternalRows), RowName<ExternalRow>);

TEST(MemoryRanges, UsedRangesListSkipsUnusedRows) {
  const MemRangeRec rows[3] = {{0, 0, 0x8000}, {0, 0x100, 0}, {0, 0xC000, 0x1000}};
  EXPECT_EQ(UsedRangesText(rows, 3), "0X0000-0X7FFF,0XC000-0XCFFF");
}

struct FirstStartRow {
  const char* name;
  const char* text;
  const char* message;
};
class FirstStarts : public ::testing::TestWithParam<FirstStartRow> {};
TEST_P(FirstStarts, CheckedAlone) {
  std::string message;
  EXPECT_EQ(CheckFirstStart51(GetParam().text, &message), std::string(GetParam().message).empty());
  EXPECT_EQ(message, GetParam().message);
}
const FirstStartRow kFirstStartRows[] = {
    {"Empty", "  ", ""},
    {"TopOfSixtyFourK", "0x10000", ""},
    {"AboveSixtyFourK", "0x10001", "Invalid start address: '0x10001'"},
    {"Word", "start", "Invalid start address: 'start'"},
};
INSTANTIATE_TEST_SUITE_P(Rows, FirstStarts, ::testing::ValuesIn(kFirstStartRows), RowName<FirstStartRow>);

TEST(MemoryRanges, LoneFirstStartIsCompletedOnlyWhenTheOthersAreUnused) {
  MemRangeRec a[3] = {{0, 0x8000, 0}, {}, {}};
  CompleteFirstRange51(a);
  EXPECT_EQ(a[0].size, 0x8000u);
  MemRangeRec b[3] = {{0, 0x8000, 0}, {0, 0, 0x100}, {}};
  CompleteFirstRange51(b);
  EXPECT_EQ(b[0].size, 0u);
}

struct BankRow {
  const char* name;
  int banks;
  uint16_t index;
};
class BankListIndex : public ::testing::TestWithParam<BankRow> {};
TEST_P(BankListIndex, MapToTheListIndex) { EXPECT_EQ(BankCountIndex(GetParam().banks), GetParam().index); }
const BankRow kBankRows[] = {{"Two", 2, 0}, {"Three", 3, 1}, {"Four", 4, 1}, {"Five", 5, 2}, {"Eight", 8, 2},
                             {"Nine", 9, 3}, {"Sixteen", 16, 3}, {"Seventeen", 17, 4}, {"ThirtyTwo", 32, 4},
                             {"ThirtyThree", 33, 5}, {"SixtyFour", 64, 5}};
INSTANTIATE_TEST_SUITE_P(Rows, BankListIndex, ::testing::ValuesIn(kBankRows), RowName<BankRow>);

struct NearRow {
  const char* name;
  uint8_t index, other, expected;
};
class NearFit : public ::testing::TestWithParam<NearRow> {};
TEST_P(NearFit, OtherListFollows) {
  EXPECT_EQ(NearOtherIndex(GetParam().index, GetParam().other), GetParam().expected);
}
const NearRow kNearRows[] = {{"RamFortyEightMovesRomToSixteen", 2, 1, 0},
                             {"ThirtyTwoAndThirtyTwoFit", 1, 1, 1},
                             {"SixteenLeavesFortyEight", 0, 2, 2},
                             {"FortyEightAndFortyEightGoesToSixteen", 2, 2, 0}};
INSTANTIATE_TEST_SUITE_P(Rows, NearFit, ::testing::ValuesIn(kNearRows), RowName<NearRow>);

struct ThresholdRow {
  const char* name;
  const char* text;
  const char* message;
  uint16_t near, idata, sdata, bdata;
};
class Thresholds : public ::testing::TestWithParam<ThresholdRow> {};
TEST_P(Thresholds, ParsedOrRefused) {
  const ThresholdRow& r = GetParam();
  Thresholds166 t;
  t.value[0] = 7;
  std::string message;
  const bool ok = ParseThresholds166(r.text, &t, &message);
  EXPECT_EQ(message, r.message);
  EXPECT_EQ(ok, std::string(r.message).empty());
  if (ok) {
    EXPECT_EQ(t.value[0], r.near);
    EXPECT_EQ(t.value[1], r.idata);
    EXPECT_EQ(t.value[2], r.sdata);
    EXPECT_EQ(t.value[3], r.bdata);
    // What is shown again reads back the same.
    Thresholds166 again;
    EXPECT_TRUE(ParseThresholds166(FormatThresholds166(t), &again, &message));
    EXPECT_EQ(FormatThresholds166(again), FormatThresholds166(t));
  }
}
constexpr uint16_t kNot = 0xFFFF;
const ThresholdRow kThresholdRows[] = {
    {"NearAndBdata", "near 4, bdata 2", "", 4, kNot, kNot, 2},
    {"NamesIgnoreCase", "IDATA 8,SData 0x10", "", kNot, 8, 16, kNot},
    {"EmptyMeansNoneGiven", "  ", "", kNot, kNot, kNot, kNot},
    {"FarIsNoSpace", "far 4", "Invalid threshold memory space: 'far'", 0, 0, 0, 0},
    {"SizeAboveTheLimit", "near 20000", "Invalid threshold size: '20000'", 0, 0, 0, 0},
    {"MissingSize", "near", "Invalid threshold size: ''", 0, 0, 0, 0},
    {"SemicolonStuckToTheNumber", "near 4; idata 2", "Syntax error in 'Data Threshold'", 0, 0, 0, 0},
    {"EqualsStuckToTheNumber", "near 4=2", "Syntax error in 'Data Threshold'", 0, 0, 0, 0},
    {"ParenthesisAfterTheNumber", "near 4 (idata 2)", "Syntax error in 'Data Threshold'", 0, 0, 0, 0},
    {"ThirdWordIsASyntaxError", "near 4 idata 2", "Syntax error in 'Data Threshold'", 0, 0, 0, 0},
    {"TrailingCommaWantsASpace", "near 4,", "Invalid threshold memory space: ''", 0, 0, 0, 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, Thresholds, ::testing::ValuesIn(kThresholdRows), RowName<ThresholdRow>);

TEST(Thresholds166Text, OnlyTheGivenOnesInSpaceOrder) {
  Thresholds166 t;
  t.value[3] = 2;
  t.value[0] = 4;
  EXPECT_EQ(FormatThresholds166(t), "near 4, bdata 2");
}

struct WarningRow {
  const char* name;
  const char* text;
  bool ok;
};
class WarningLists : public ::testing::TestWithParam<WarningRow> {};
TEST_P(WarningLists, AcceptedOrRefused) { EXPECT_EQ(CheckWarningList(GetParam().text), GetParam().ok); }
const WarningRow kWarningRows[] = {
    {"Commas", "22,23,88", true},        {"Empty", "", true},
    {"Blanks", " 22 23 ", true},         {"CommaAndBlanks", "22 , 23", true},
    {"Hex", "0x10", true},               {"Thousand", "1000", true},
    {"AboveThousand", "1001", false},    {"TwoCommas", "22,,23", false},
    {"LeadingComma", ",22", false},      {"Word", "22,abc", false},
    {"Negative", "-1", false},
};
INSTANTIATE_TEST_SUITE_P(Rows, WarningLists, ::testing::ValuesIn(kWarningRows), RowName<WarningRow>);

struct AddressRangeRow {
  const char* name;
  const char* text;
  bool ok;
  uint32_t low, high;
};
class AddressRanges : public ::testing::TestWithParam<AddressRangeRow> {};
TEST_P(AddressRanges, Read) {
  uint32_t low = 0, high = 0;
  EXPECT_EQ(ReadAddressRange(GetParam().text, &low, &high), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(low, GetParam().low);
    EXPECT_EQ(high, GetParam().high);
  }
}
const AddressRangeRow kAddressRangeRows[] = {
    {"Dash", "0x4000-0x7FFF", true, 0x4000, 0x7FFF},
    {"Comma", " 0x4000 , 0x7FFF ", true, 0x4000, 0x7FFF},
    {"HighBelowLow", "0x8000-0x4000", false, 0, 0},
    {"Empty", "", false, 0, 0},
    {"OneNumber", "0x8000", false, 0, 0},
    {"HighAbove32BitsIsNoWrap", "0x4000-0x100007FFF", false, 0, 0},
    {"LowAbove32BitsIsNoWrap", "4294967296,4294967297", false, 0, 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, AddressRanges, ::testing::ValuesIn(kAddressRangeRows), RowName<AddressRangeRow>);

}  // namespace
}  // namespace pm2
