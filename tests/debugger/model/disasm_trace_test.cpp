// The disassembly window's scroll-bar ranges and thumb mapping by family,
// and the line cache over a recorded history: showing its end, moving to a
// history entry, and the order of history and listing lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debugger/model/disasm_cache.h"
#include "debugger/model/disasm_range.h"

namespace pm2 {
namespace {

// ---------------------------------------------------------------- ranges

struct RangeRow {
  const char* name;
  int command;
  int index;
  uint32_t length;
  bool offered;
};
const RangeRow kRangeRows[] = {
    {"Range64K", 35026, 0, 0xFFF0, true},    {"Range128K", 35027, 1, 0x1FFF0, true},
    {"Range256K", 35028, 2, 0x3FFF0, true},  {"Range512K", 35029, 3, 0x7FFF0, true},
    {"Range1M", 35080, 4, 0xFFFF0, true},    {"Range16M", 35030, 5, 0xFFFFF0, true},
    {"Range4GBNotOffered", 35410, 6, 0xFFFFFF0, false},
};
class DisasmRangeRows : public ::testing::TestWithParam<RangeRow> {};
TEST_P(DisasmRangeRows, CommandIndexLengthAndStoredBits) {
  const RangeRow& row = GetParam();
  EXPECT_EQ(DisasmRangeAt(row.index).command, row.command);
  EXPECT_EQ(DisasmRangeAt(row.index).length, row.length);
  EXPECT_EQ(DisasmRangeAt(row.index).offered, row.offered);
  // Bits 10..13 of the window flags; the other bits stay.
  const uint32_t flags = WithDisasmRange(0xFFFFFFFFu, row.index);
  EXPECT_EQ(DisasmRangeIndex(flags), row.index);
  EXPECT_EQ(flags | (0xFu << 10), 0xFFFFFFFFu);
  EXPECT_EQ(DisasmRangeIndex(WithDisasmRange(0x182u, row.index)) , row.index);
  EXPECT_EQ(WithDisasmRange(0x182u, row.index) & ~(0xFu << 10), 0x182u);
  // The bar's last position leaves the last lines in view.
  EXPECT_EQ(DisasmScrollMax(row.index, 20), int(row.length) - 18);
}
INSTANTIATE_TEST_SUITE_P(Rows, DisasmRangeRows, ::testing::ValuesIn(kRangeRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct StartRow {
  const char* name;
  int family, variant;
  uint32_t pc, start;
};
const StartRow kStartRows[] = {
    {"Q51VariantThreeStartsAtThePc", 0, 3, 0x1234, 0x1234}, {"Q51OtherVariantAtZero", 0, 2, 0x1234, 0},
    {"Q251AtItsCodeBank", 1, 3, 0x1234, 0xFF0000},          {"Q166AtZero", 2, 3, 0x1234, 0},
    {"ArmAtZero", 3, 3, 0x1234, 0},
};
class DisasmStartRows : public ::testing::TestWithParam<StartRow> {};
TEST_P(DisasmStartRows, FirstCodeAddress) {
  const StartRow& row = GetParam();
  EXPECT_EQ(DisasmStartAddress(row.family, row.variant, row.pc), row.start);
}
INSTANTIATE_TEST_SUITE_P(Rows, DisasmStartRows, ::testing::ValuesIn(kStartRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DisasmRange, StoredIndexOutOfTheTableIsTheFirst) {
  EXPECT_EQ(DisasmRangeIndex(WithDisasmRange(0, 9)), 0);
  EXPECT_EQ(DisasmTraceScrollMax(100, 20), 83);
  EXPECT_EQ(DisasmTraceScrollMax(5, 20), 0);
}

struct FamilyRow {
  const char* name;
  int family;
  uint32_t address;
  uint32_t position;      // of a line at the address
  uint32_t firstAddress;  // the first line's, for the thumb
  uint32_t thumb;         // a thumb position
  uint32_t thumbAddress;
};
const FamilyRow kFamilyRows[] = {
    {"F51BankOffset", 0, 0x12345, 0x2345, 0x10000, 0x0100, 0x10100},
    {"F251KeepsTheFirstLinesBank", 1, 0xFF1234, 0x1234, 0xFF0000, 0xABCD, 0xFFABCD},
    {"F166Words", 2, 0x1235, 0x1234, 0, 0x2001, 0x2000},
    {"F166CodeSpaceIs16M", 2, 0x1235, 0x1234, 0, 0xFFFFFFF, 0xFFFFFE},
    {"ArmGnuInstructions", 3, 0x8000123, 0x8000120, 0, 0x1237, 0x1234},
    {"ArmAdsInstructions", 4, 0x1002, 0x1000, 0, 0x3, 0x0},
};
class DisasmFamilyRows : public ::testing::TestWithParam<FamilyRow> {};
TEST_P(DisasmFamilyRows, PositionAndThumbAddress) {
  const FamilyRow& row = GetParam();
  EXPECT_EQ(DisasmScrollPosition(row.family, row.address), row.position);
  EXPECT_EQ(DisasmThumbAddress(row.family, 0, row.firstAddress, row.thumb), row.thumbAddress);
}
INSTANTIATE_TEST_SUITE_P(Rows, DisasmFamilyRows, ::testing::ValuesIn(kFamilyRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- history

// A listing of code lines 0x1000.. (4 bytes apart) and a history of
// `entries` instructions, a source line (kind 37) before every third one;
// the last entry is at the program counter.
class TraceListing : public DisasmSource {
 public:
  explicit TraceListing(uint32_t entries) : entries(entries) {}
  uint32_t entries;
  uint32_t requested = 0;

  static uint32_t AddressOf(uint32_t index) { return 0x2000 + index * 4; }
  void SetTrace(DisasmLine& l, uint32_t index, uint16_t kind) const {
    l = DisasmLine{};
    l.kind = kind;
    l.address = AddressOf(index);
    l.line = index;
    l.item = index + 1;
  }
  static bool SourceBefore(uint32_t index) { return index % 3 == 0; }
  static void End(DisasmLine& l) {
    l = DisasmLine{};
    l.kind = kDisasmEnd;
  }
  void Next(DisasmLine& l) override {
    if (DisasmCache::IsTrace(l)) {
      if (l.item == 0) return entries ? SetTrace(l, 0, SourceBefore(0) ? kDisasmTrace3 : kDisasmTrace1) : End(l);
      const uint32_t i = l.item - 1;
      if (l.kind == kDisasmTrace3) return SetTrace(l, i, kDisasmTrace1);
      if (i + 1 >= entries) return End(l);
      return SetTrace(l, i + 1, SourceBefore(i + 1) ? kDisasmTrace3 : kDisasmTrace1);
    }
    if (l.kind == kDisasmEnd) return;
    const uint32_t a = l.kind == kDisasmRequest ? std::max<uint32_t>(requested & ~3u, 0x1000) : l.address + 4;
    if (a >= 0x1100) return End(l);
    l = DisasmLine{};
    l.kind = kDisasmCode;
    l.address = a;
  }
  void Prev(DisasmLine& l) override {
    if (DisasmCache::IsTrace(l)) {
      if (l.item == 0) return entries ? SetTrace(l, entries - 1, kDisasmTrace1) : End(l);
      const uint32_t i = l.item - 1;
      if (l.kind != kDisasmTrace3 && SourceBefore(i)) return SetTrace(l, i, kDisasmTrace3);
      if (i == 0) return End(l);
      return SetTrace(l, i - 1, kDisasmTrace1);
    }
    if (l.kind == kDisasmEnd || l.address <= 0x1000) return End(l);
    l.address -= 4;
  }
  void Refresh(DisasmLine& l) override {
    l.state = uint16_t(l.state & ~kDisasmPc);
    if (l.kind == kDisasmTrace1 && l.item == entries) l.state |= kDisasmPc;
  }
  std::string Text(DisasmLine& l) override {
    return (l.kind == kDisasmTrace3 ? "src " : l.kind == kDisasmTrace1 ? "trace " : "code ") +
           std::to_string(DisasmCache::IsTrace(l) ? l.line : l.address);
  }
  void Request(uint32_t address) override { requested = address; }
  void Shown(uint32_t) override {}
};

TEST(DisasmTrace, ShowTraceRecordsPutsTheLastEntryAThirdDownWithThePc) {
  TraceListing l(50);
  DisasmCache c(l, 0x1000);
  c.Resize(9);
  c.ScrollToAddress(0x1040);
  ASSERT_TRUE(c.ShowTraceRecords());
  EXPECT_EQ(c.Text(3), "trace 49");
  EXPECT_EQ(c.PcLine(), 3);
  // Three steps back: trace 48, its source line, trace 47.
  EXPECT_EQ(c.Text(2), "trace 48");
  EXPECT_EQ(c.Text(1), "src 48");
  EXPECT_EQ(c.Text(0), "trace 47");
  EXPECT_EQ(c.Line(4).kind, kDisasmEnd);
}

TEST(DisasmTrace, ShortOrMissingHistory) {
  TraceListing none(0);
  DisasmCache c(none, 0x1000);
  c.Resize(9);
  c.ScrollToAddress(0x1040);
  const std::string before = c.Text(0);
  EXPECT_FALSE(c.ShowTraceRecords());
  EXPECT_EQ(c.Text(0), before) << "the view stays";
  TraceListing one(1);
  DisasmCache d(one, 0x1000);
  d.Resize(9);
  ASSERT_TRUE(d.ShowTraceRecords());
  EXPECT_EQ(d.Text(0), "src 0");
  EXPECT_EQ(d.Text(1), "trace 0");
  EXPECT_EQ(d.PcLine(), 1);
}

struct IndexRow {
  const char* name;
  uint32_t index;
  bool ok;
  const char* first;  // the top line afterwards
};
const IndexRow kIndexRows[] = {
    {"ForwardToAnEntryWithSource", 30, true, "src 30"},
    {"ForwardToAPlainEntry", 31, true, "trace 31"},
    {"BackToTheFirst", 0, true, "src 0"},
    {"BackToAnEntryWithSource", 3, true, "src 3"},
    {"BeyondTheEnd", 60, false, "src 45"},
};
class DisasmHistoryIndex : public ::testing::TestWithParam<IndexRow> {};
TEST_P(DisasmHistoryIndex, Moves) {
  TraceListing l(50);
  DisasmCache c(l, 0x1000);
  c.Resize(6);
  ASSERT_TRUE(c.ShowTraceRecords());
  ASSERT_TRUE(c.GotoHistoryIndex(45));
  EXPECT_EQ(c.Text(0), "src 45");
  EXPECT_EQ(c.GotoHistoryIndex(GetParam().index), GetParam().ok);
  EXPECT_EQ(c.Text(0), GetParam().first);
}
INSTANTIATE_TEST_SUITE_P(Rows, DisasmHistoryIndex, ::testing::ValuesIn(kIndexRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DisasmTrace, GotoHistoryIndexNeedsTheTraceView) {
  TraceListing l(50);
  DisasmCache c(l, 0x1000);
  c.Resize(6);
  c.ScrollToAddress(0x1040);
  EXPECT_FALSE(c.GotoHistoryIndex(3));
}

TEST(DisasmTrace, CompareRecordsOrdersHistoryBeforeTheListing) {
  TraceListing l(50);
  DisasmCache c(l, 0x1000);
  DisasmLine src3{}, trace3{}, trace4{}, code{}, code2{};
  l.SetTrace(src3, 3, kDisasmTrace3);
  l.SetTrace(trace3, 3, kDisasmTrace1);
  l.SetTrace(trace4, 4, kDisasmTrace1);
  code.kind = code2.kind = kDisasmCode;
  code.address = 0x1000;
  code2.address = 0x1004;
  struct {
    const char* name;
    const DisasmLine& a;
    const DisasmLine& b;
    int order;
  } rows[] = {
      {"SourceBeforeItsInstruction", src3, trace3, -1}, {"InstructionAfterItsSource", trace3, src3, 1},
      {"EarlierEntry", trace3, trace4, -1},             {"LaterEntry", trace4, src3, 1},
      {"Same", trace4, trace4, 0},                      {"HistoryBeforeListing", trace4, code, -1},
      {"ListingAfterHistory", code, src3, 1},           {"ListingByAddress", code, code2, -1},
  };
  for (const auto& row : rows) EXPECT_EQ(c.CompareRecords(row.a, row.b), row.order) << row.name;
}

}  // namespace
}  // namespace pm2
