// The disassembly window's Find on a listing without an end (qemu's address
// space: every address disassembles): the search keeps to the program's
// code, asks whether to go on from the top or the bottom, and says when it
// came back without a hit.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "debugger/model/disasm_find.h"

namespace pm2 {
namespace {

// One code line every 4 bytes from 0 to the end of the address space.
class EndlessListing : public DisasmSource {
 public:
  std::map<uint32_t, std::string> special;  // texts other than "nop"
  uint32_t requested = 0;
  int reads = 0;

  void Next(DisasmLine& l) override {
    ++reads;
    if (l.kind == kDisasmRequest) return At(l, requested & ~3u);
    if (l.kind == kDisasmEnd) return;
    if (l.address >= 0xFFFFFFFCu) return End(l);
    At(l, l.address + 4);
  }
  void Prev(DisasmLine& l) override {
    ++reads;
    if (l.kind == kDisasmEnd || l.kind == kDisasmRequest) return;
    if (l.address == 0) return End(l);
    At(l, l.address - 4);
  }
  void Refresh(DisasmLine&) override {}
  std::string Text(DisasmLine& l) override {
    auto it = special.find(l.address);
    char head[16];
    std::snprintf(head, sizeof head, "0x%08X  ", l.address);
    return head + (it == special.end() ? std::string("nop") : it->second);
  }
  void Request(uint32_t address) override { requested = address; }
  void Shown(uint32_t) override {}

 private:
  static void At(DisasmLine& l, uint32_t address) {
    l = DisasmLine{};
    l.kind = kDisasmCode;
    l.address = address;
  }
  static void End(DisasmLine& l) {
    l = DisasmLine{};
    l.kind = kDisasmEnd;
  }
};

DisasmLine LineAt(uint32_t address) {
  DisasmLine l{};
  l.kind = kDisasmCode;
  l.address = address;
  return l;
}

// The example's code (0 to 0x55F) and, in some rows, code in RAM too.
const std::vector<MapRun> kExampleCode = {{0x0, 0x55F, 1}};
const std::vector<MapRun> kTwoRanges = {{0x0, 0x55F, 1}, {0x40000100, 0x400001FF, 1}};

struct FindRow {
  const char* name;
  std::vector<MapRun> code;
  uint32_t cursor;
  bool down;
  std::string text;
  std::vector<bool> answers;           // to the questions, in order
  DisasmFindEnd end;
  std::vector<std::string> said;       // questions and messages, in order
  uint32_t hit;                        // the line found
};

class DisasmFind : public ::testing::TestWithParam<FindRow> {};

TEST_P(DisasmFind, EndsWithTheQuestionOrTheMessage) {
  const FindRow& row = GetParam();
  EndlessListing l;
  l.special[0x10] = "ldr r0, [pc, #8]";
  l.special[0x200] = "bl Timer_Init";
  l.special[0x40000180] = "bl ram_copy";
  std::vector<std::string> said;
  std::size_t answer = 0;
  DisasmFindHooks hooks;
  hooks.ask = [&](const std::string& q) {
    said.push_back(q);
    return answer < row.answers.size() && row.answers[answer++];
  };
  hooks.message = [&](const std::string& m) { said.push_back(m); };
  hooks.compare = [](const DisasmLine& a, const DisasmLine& b) {
    return a.address < b.address ? -1 : a.address > b.address ? 1 : 0;
  };
  DisasmLine hit{};
  const DisasmFindText what{row.text, row.down, false, false};
  EXPECT_EQ(FindInListing(l, LineAt(row.cursor), row.code, 0, what, hooks, &hit), row.end);
  EXPECT_EQ(said, row.said);
  EXPECT_EQ(hit.address, row.hit);
  // The program's code is read, not the address space behind it.
  EXPECT_LT(l.reads, 5000) << "lines read";
}

const char* const kTop = "String not found - Continue search from the top?";
const char* const kBottom = "String not found - Continue search from the bottom?";
const char* const kNone = "String not found.";

INSTANTIATE_TEST_SUITE_P(
    Rows, DisasmFind,
    ::testing::Values(
        FindRow{"FoundBelowTheCursor", kExampleCode, 0x100, true, "TIMER_INIT", {}, DisasmFindEnd::Found, {}, 0x200},
        FindRow{"NotFoundAsksAtTheEndOfTheCode", kExampleCode, 0x100, true, "nosuch", {false},
                DisasmFindEnd::Stopped, {kTop}, 0},
        FindRow{"BackAtTheStartSaysSo", kExampleCode, 0x100, true, "nosuch", {true}, DisasmFindEnd::NotFound,
                {kTop, kNone}, 0},
        FindRow{"FoundFromTheTop", kExampleCode, 0x300, true, "ldr", {true}, DisasmFindEnd::Found, {kTop}, 0x10},
        FindRow{"UpAsksForTheBottom", kExampleCode, 0x100, false, "Timer_Init", {true}, DisasmFindEnd::Found,
                {kBottom}, 0x200},
        FindRow{"UpFoundAboveTheCursor", kExampleCode, 0x300, false, "timer_init", {}, DisasmFindEnd::Found, {}, 0x200},
        FindRow{"TheNextRangeWithoutAQuestion", kTwoRanges, 0x300, true, "ram_copy", {}, DisasmFindEnd::Found, {},
                0x40000180},
        FindRow{"UpIntoThePreviousRange", kTwoRanges, 0x40000100, false, "timer_init", {}, DisasmFindEnd::Found, {},
                0x200},
        FindRow{"CursorBeyondTheCodeAsksAtOnce", kExampleCode, 0x40000000, true, "nosuch", {true},
                DisasmFindEnd::NotFound, {kTop, kNone}, 0},
        FindRow{"CursorBeyondTheCodeFindsFromTheTop", kExampleCode, 0x40000000, true, "bl", {true},
                DisasmFindEnd::Found, {kTop}, 0x200}),
    [](const auto& i) { return std::string(i.param.name); });

// A driver without a memory map: the listing from the start counts as
// ended after a bounded walk, and the user is asked.
TEST(DisasmFindWithoutAMap, AsksAfterABoundedWalk) {
  EndlessListing l;
  std::vector<std::string> said;
  DisasmFindHooks hooks;
  hooks.ask = [&](const std::string& q) {
    said.push_back(q);
    return false;
  };
  DisasmLine hit{};
  EXPECT_EQ(FindInListing(l, LineAt(0x100), {}, 0, DisasmFindText{"nosuch", true, false, false}, hooks, &hit),
            DisasmFindEnd::Stopped);
  EXPECT_EQ(said, std::vector<std::string>{kTop});
  EXPECT_LE(l.reads, kDisasmFindMaxLines + 1);
}

struct MatchRow {
  const char* name;
  std::string line;
  DisasmFindText what;
  bool matches;
};
class DisasmMatch : public ::testing::TestWithParam<MatchRow> {};
TEST_P(DisasmMatch, Text) { EXPECT_EQ(DisasmTextMatches(GetParam().line, GetParam().what), GetParam().matches); }
INSTANTIATE_TEST_SUITE_P(
    Rows, DisasmMatch,
    ::testing::Values(MatchRow{"IgnoringCase", "bl Timer_Init", {"timer_init", true, false, false}, true},
                      MatchRow{"MatchCaseRefuses", "bl Timer_Init", {"timer_init", true, true, false}, false},
                      MatchRow{"WholeWord", "mov r0, r10", {"r1", true, false, true}, false},
                      MatchRow{"WholeWordFound", "mov r1, r10", {"r1", true, false, true}, true},
                      MatchRow{"UnderscoreIsAWordCharacter", "bl Timer_Init", {"Timer", true, false, true}, false}),
    [](const auto& i) { return std::string(i.param.name); });

TEST(ProgramCodeRuns, ExecutableRunsJoined) {
  // One 64 K space with code at 0x0..0xFF and 0x100..0x1FF (two sections)
  // and data at 0x8000.
  std::vector<uint16_t> space(0x10000, 0);
  for (uint32_t a = 0; a < 0x100; ++a) space[a] = 3;
  for (uint32_t a = 0x100; a < 0x200; ++a) space[a] = 3 | 0x800;
  for (uint32_t a = 0x8000; a < 0x8100; ++a) space[a] = 6;
  const auto runs = ProgramCodeRuns(3, 0, [&](uint32_t base, uint32_t* count) -> const uint16_t* {
    if (base != 0) return nullptr;
    *count = uint32_t(space.size());
    return space.data();
  });
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].start, 0u);
  EXPECT_EQ(runs[0].end, 0x1FFu);
}

}  // namespace
}  // namespace pm2
