// The disassembly line cache against a listing of 100 lines: refills,
// scrolling by lines and pages both ways with the end markers, following
// the program counter, and the code address of the scroll thumb.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debugger/model/disasm_cache.h"
#include "debugger/model/disasm_range.h"

namespace pm2 {
namespace {

// A listing: every fifth line a source line, the others code lines 4 bytes
// apart from 0x1000. own12 holds the index + 1.
class Listing : public DisasmSource {
 public:
  struct Row {
    uint16_t kind;
    uint32_t address;
    std::string text;
  };
  std::vector<Row> rows;
  uint32_t requested = 0;
  uint32_t pc = 0;
  int calls = 0;

  Listing() {
    uint32_t a = 0x1000;
    for (int i = 0; i < 100; ++i) {
      if (i % 5 == 0)
        rows.push_back({kDisasmSource, a, "src " + std::to_string(i)});
      else {
        rows.push_back({kDisasmCode, a, "insn " + std::to_string(i)});
        a += 4;
      }
    }
  }
  void Set(DisasmLine& l, int i) {
    if (i < 0 || i >= int(rows.size())) {
      l = DisasmLine{};
      l.kind = kDisasmEnd;
      return;
    }
    const uint32_t asked = l.kind == kDisasmRequest ? requested : 0xFFFFFFFF;
    l = DisasmLine{};
    l.kind = rows[size_t(i)].kind;
    l.address = rows[size_t(i)].address;
    l.own12 = uint32_t(i + 1);
    if (l.address == asked && l.kind == kDisasmCode) l.state |= kDisasmAsked;
  }
  void Next(DisasmLine& l) override {
    ++calls;
    if (l.kind == kDisasmRequest) {
      int i = 0;
      while (i < int(rows.size()) && (rows[size_t(i)].address < requested || rows[size_t(i)].kind != kDisasmCode)) ++i;
      Set(l, i);
      return;
    }
    if (l.kind == kDisasmEnd) return;
    Set(l, int(l.own12));
  }
  void Prev(DisasmLine& l) override {
    ++calls;
    if (l.kind == kDisasmEnd || l.kind == kDisasmRequest) return;
    Set(l, int(l.own12) - 2);
  }
  void Refresh(DisasmLine& l) override {
    l.state = uint16_t(l.state & ~kDisasmPc);
    if (l.kind == kDisasmCode && l.address == pc) l.state |= kDisasmPc;
  }
  std::string Text(DisasmLine& l) override { return rows[l.own12 - 1].text; }
  void Request(uint32_t address) override { requested = address; }
  void Shown(uint32_t address) override { shown = address; }
  uint32_t shown = 0xFFFFFFFFu;
};

std::vector<std::string> Shown(const DisasmCache& c) {
  std::vector<std::string> out;
  for (int i = 0; i < c.Visible(); ++i) out.push_back(c.Line(i).kind == kDisasmEnd ? "<end>" : c.Text(i));
  return out;
}

TEST(DisasmCache, ScrollToAddressPutsItAThirdDown) {
  Listing l;
  DisasmCache c(l, 0x1000);
  c.Resize(9);
  c.ScrollToAddress(0x1040);  // insn 21
  EXPECT_EQ(c.Text(3), "insn 21");
  EXPECT_EQ(c.Text(0), "insn 18");
}

TEST(DisasmCache, StartAddressAtTheTop) {
  Listing l;
  DisasmCache c(l, 0x1000);
  c.Resize(5);
  c.ScrollToAddress(0x1000);
  EXPECT_EQ(Shown(c), (std::vector<std::string>{"insn 1", "insn 2", "insn 3", "insn 4", "src 5"}));
}

struct ScrollRow {
  const char* name;
  uint32_t at;
  int ups, downs, pageUps, pageDowns;
  std::string top;
  bool lastRefused;
};
class DisasmScroll : public ::testing::TestWithParam<ScrollRow> {};
TEST_P(DisasmScroll, Moves) {
  const ScrollRow& r = GetParam();
  Listing l;
  DisasmCache c(l, 0x1000);
  c.Resize(6);
  c.ScrollToAddress(r.at);
  bool ok = true;
  for (int i = 0; i < r.ups; ++i) ok = c.LineUp();
  for (int i = 0; i < r.downs; ++i) ok = c.LineDown();
  for (int i = 0; i < r.pageUps; ++i) ok = c.PageUp();
  for (int i = 0; i < r.pageDowns; ++i) ok = c.PageDown();
  EXPECT_EQ(c.Line(0).kind == kDisasmEnd ? "<end>" : c.Text(0), r.top);
  EXPECT_EQ(!ok, r.lastRefused);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, DisasmScroll,
    ::testing::Values(ScrollRow{"LineUp", 0x1040, 1, 0, 0, 0, "insn 18", false},
                      ScrollRow{"LineDown", 0x1040, 0, 1, 0, 0, "src 20", false},
                      ScrollRow{"UpPastTheFirstLineRefused", 0x1004, 5, 0, 0, 0, "src 0", true},
                      ScrollRow{"PageDownOldLastBecomesFirst", 0x1040, 0, 0, 0, 1, "insn 24", false},
                      ScrollRow{"PageUpByVisibleMinusOne", 0x1040, 0, 0, 1, 0, "insn 14", false},
                      ScrollRow{"PageUpStopsAtTheFirstLine", 0x1008, 0, 0, 1, 0, "src 0", false},
                      ScrollRow{"PageUpAtTheFirstLineRefused", 0x1008, 0, 0, 2, 0, "src 0", true},
                      ScrollRow{"DownUntilTheEndReachesTheSecondLine", 0x1130, 0, 30, 0, 0, "insn 99", true},
                      ScrollRow{"PageDownAtTheEndRefused", 0x1130, 0, 0, 0, 5, "insn 94", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DisasmCache, FollowsTheProgramCounter) {
  Listing l;
  DisasmCache c(l, 0x1000);
  c.Resize(12);
  l.pc = 0x1040;
  c.GotoAddress(l.pc);
  ASSERT_GE(c.PcLine(), 0);
  EXPECT_EQ(c.Text(c.PcLine()), "insn 21");
  const uint32_t top = c.Line(0).address;
  // A step to the next lines in view keeps the view; the PC line moves.
  l.pc = 0x1048;
  c.GotoAddress(l.pc);
  EXPECT_EQ(c.Line(0).address, top);
  EXPECT_EQ(c.Text(c.PcLine()), "insn 23");
  // Far below the view: lines come in so the PC stays in the upper part.
  l.pc = 0x1060;
  c.GotoAddress(l.pc);
  EXPECT_EQ(c.Text(c.PcLine()), "insn 31");
  EXPECT_LE(c.PcLine() * 23, 12 * 20);
  // Out of view: a third down again.
  l.pc = 0x1100;
  c.GotoAddress(l.pc);
  EXPECT_EQ(c.PcLine(), 4);
}

TEST(DisasmCache, ResizeKeepsTheFirstLineAndForgetsTheCursor) {
  Listing l;
  DisasmCache c(l, 0x1000);
  c.Resize(6);
  c.ScrollToAddress(0x1040);
  c.SetCursor(2);
  const std::string top = c.Text(0);
  c.Resize(10);
  EXPECT_EQ(c.Text(0), top);
  EXPECT_EQ(c.Cursor(), -1);
  EXPECT_EQ(c.Size(), 12);
}

TEST(DisasmCache, CursorMovesBeforeTheViewScrolls) {
  Listing l;
  DisasmCache c(l, 0x1000);
  c.Resize(6);
  c.ScrollToAddress(0x1040);
  c.SetCursor(1);
  const std::string top = c.Text(0);
  EXPECT_TRUE(c.LineUp());
  EXPECT_EQ(c.Cursor(), 0);
  EXPECT_EQ(c.Text(0), top);
  EXPECT_TRUE(c.LineUp());
  EXPECT_NE(c.Text(0), top);
}

struct CodeRow {
  const char* name;
  uint32_t address;
  bool found;
  std::string top;
};
class DisasmCodeAddress : public ::testing::TestWithParam<CodeRow> {};
TEST_P(DisasmCodeAddress, Thumb) {
  Listing l;
  DisasmCache c(l, 0x1000);
  c.Resize(6);
  c.ScrollToAddress(0x1080);
  l.shown = 0xFFFFFFFFu;
  EXPECT_EQ(c.ScrollToCodeAddress(GetParam().address), GetParam().found);
  if (GetParam().found) {
    EXPECT_EQ(c.Text(0), GetParam().top);
    // The record's shown address is the top line's (the inline assembler's start).
    EXPECT_EQ(l.shown, c.Line(0).address);
  }
}
INSTANTIATE_TEST_SUITE_P(Rows, DisasmCodeAddress,
                         ::testing::Values(CodeRow{"BelowTheStart", 0x0800, true, "insn 1"},
                                           CodeRow{"AboveTheView", 0x1020, true, "insn 11"},
                                           CodeRow{"BelowTheView", 0x1100, true, "insn 81"},
                                           CodeRow{"InsideAnInstruction", 0x1102, true, "insn 81"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The whole 16 MB of a code space (or the given end): an instruction every
// 4 bytes from 0.
class WholeSpace : public DisasmSource {
 public:
  explicit WholeSpace(uint64_t end = 0x01000000) : kEnd(end) {}
  void Next(DisasmLine& l) override {
    ++calls;
    const uint64_t at = l.kind == kDisasmRequest ? requested & ~3u : uint64_t(l.address) + 4;
    l = DisasmLine{};
    l.kind = at < kEnd ? kDisasmCode : kDisasmEnd;
    l.address = uint32_t(at);
  }
  void Prev(DisasmLine& l) override {
    ++calls;
    if (l.kind != kDisasmCode || l.address == 0) {
      l.kind = kDisasmEnd;
      return;
    }
    l.address -= 4;
  }
  void Refresh(DisasmLine&) override {}
  std::string Text(DisasmLine& l) override { return "insn at " + std::to_string(l.address); }
  void Request(uint32_t address) override { requested = address; }
  void Shown(uint32_t) override {}
  const uint64_t kEnd;
  uint32_t requested = 0;
  int calls = 0;
};

// An address far below the view is reached from near it: the listing is
// not walked there from the view line by line.
TEST(DisasmCache, AFarCodeAddressIsAskedForNearIt) {
  WholeSpace l;
  DisasmCache c(l, 0);
  c.Resize(6);
  c.ScrollToAddress(0x200);
  l.calls = 0;
  ASSERT_TRUE(c.ScrollToCodeAddress(0x00FFFF00));
  EXPECT_EQ(c.Line(0).address, 0x00FFFF00u);
  EXPECT_LT(l.calls, 1000);
}

// ARM's code addresses are 32 bits: an address at or above 16 MB is shown
// where it is, not where its low 24 bits would be.
struct FlatRow {
  const char* name;
  uint32_t address;
};
class DisasmFlatSpace : public ::testing::TestWithParam<FlatRow> {};
TEST_P(DisasmFlatSpace, ShowsTheCodeAtTheWholeAddress) {
  WholeSpace l(uint64_t(1) << 32);
  DisasmCache c(l, 0, DisasmCodeMask(3));
  c.Resize(6);
  c.ScrollToAddress(0x220);
  ASSERT_TRUE(c.ScrollToCodeAddress(GetParam().address));
  EXPECT_EQ(c.Line(0).address, GetParam().address);
}
INSTANTIATE_TEST_SUITE_P(Rows, DisasmFlatSpace,
                         ::testing::Values(FlatRow{"SixteenMegabytes", 0x01000000u},
                                           FlatRow{"RamAtOneGigabyte", 0x40000000u},
                                           FlatRow{"JustAboveTheView", 0x01000220u},
                                           FlatRow{"NearTheTop", 0xFFFFFF00u}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DisasmCache, LongTextCutAt256) {
  Listing l;
  l.rows[1].text = std::string(400, 'x');
  DisasmCache c(l, 0x1000);
  c.Resize(3);
  c.ScrollToAddress(0x1000);
  EXPECT_EQ(c.Text(0).size(), 256u);
  EXPECT_EQ(c.Line(0).length, 256);
}

}  // namespace
}  // namespace pm2
