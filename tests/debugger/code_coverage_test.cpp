// The GDB driver's code coverage without a process: conditional jumps in
// gdb's instruction texts, a recorded disassembly answer, and the counts of
// a function from the executed addresses of qemu's exec log.
#include <gtest/gtest.h>

#include "debugger/gdb/trace/code_coverage.h"
#include "debugger/gdb/mi/mi_parser.h"

namespace code_coverage_test {

using pm2::gdb::ConditionalJumpTarget;
using pm2::gdb::CountCoverage;
using pm2::gdb::CoveredCode;
using pm2::gdb::CoveredInstruction;
using pm2::gdb::CoverageCounts;
using pm2::gdb::CoverageLog;

struct JumpRow {
  const char* name;
  const char* instruction;
  bool conditional;
  uint32_t target;
};

class ConditionalJumps : public testing::TestWithParam<JumpRow> {};

TEST_P(ConditionalJumps, AreToldWithTheirTarget) {
  const JumpRow& row = GetParam();
  uint32_t target = 0;
  EXPECT_EQ(ConditionalJumpTarget(row.instruction, &target), row.conditional);
  if (row.conditional) {
    EXPECT_EQ(target, row.target);
  }
}

INSTANTIATE_TEST_SUITE_P(
    GdbTexts, ConditionalJumps,
    testing::Values(JumpRow{"ArmBhi", "bhi\t0x74 <LED_On+52>", true, 0x74},
                    JumpRow{"ArmBeq", "beq\t0xcc <Timer_Ticks+60>", true, 0xCC},
                    JumpRow{"ThumbNarrow", "bcc.n\t0x5a <Timer_Delay+10>", true, 0x5A},
                    JumpRow{"ThumbWide", "bne.w\t0x8001234 <main+40>", true, 0x8001234},
                    JumpRow{"LessOrSame", "bls\t0x100", true, 0x100},
                    JumpRow{"LessThan", "blt\t0x104", true, 0x104},
                    JumpRow{"CompareZero", "cbz\tr3, 0x1b0 <f+8>", true, 0x1B0},
                    JumpRow{"CompareNotZero", "cbnz\tr0, 0x1c4 <f+28>", true, 0x1C4},
                    JumpRow{"Unconditional", "b\t0x40 <main+12>", false, 0},
                    JumpRow{"Call", "bl\t0x54 <Timer_Delay+4>", false, 0},
                    JumpRow{"RegisterJump", "bx\tlr", false, 0},
                    JumpRow{"BitClear", "bic\tr3, r3, #15", false, 0},
                    JumpRow{"ConditionalMove", "movls\tr3, #1", false, 0},
                    JumpRow{"Breakpoint", "bkpt\t0x0000", false, 0},
                    JumpRow{"NoTarget", "beq\tr3", false, 0}),
    [](const testing::TestParamInfo<JumpRow>& info) { return std::string(info.param.name); });

// gdb's answer in mode 2 for a Thumb function, with a literal pool word
// shown as a directive.
const char* const kThumbAnswer =
    "^done,asm_insns=[{address=\"0x00000050\",func-name=\"Timer_Delay\",offset=\"0\",opcodes=\"38 b5\","
    "inst=\"push\\t{r3, r4, r5, lr}\"},"
    "{address=\"0x00000052\",func-name=\"Timer_Delay\",offset=\"2\",opcodes=\"ff f7 fe ff\","
    "inst=\"bl\\t0x40 <Timer_Ticks>\"},"
    "{address=\"0x00000056\",func-name=\"Timer_Delay\",offset=\"6\",opcodes=\"a8 42\",inst=\"cmp\\tr0, r5\"},"
    "{address=\"0x00000058\",func-name=\"Timer_Delay\",offset=\"8\",opcodes=\"fb d3\","
    "inst=\"bcc.n\\t0x52 <Timer_Delay+2>\"},"
    "{address=\"0x0000005a\",func-name=\"Timer_Delay\",offset=\"10\",opcodes=\"38 bd\","
    "inst=\"pop\\t{r3, r4, r5, pc}\"},"
    "{address=\"0x0000005c\",func-name=\"Timer_Delay\",offset=\"12\",opcodes=\"00 80 02 e0\","
    "inst=\".word\\t0xe0028000\"}]";

std::vector<CoveredInstruction> ThumbDelay() {
  const pm2::gdb::MiRecord r = pm2::gdb::ParseMiLine(kThumbAnswer);
  const pm2::gdb::MiValue* insns = r.results.Find("asm_insns");
  return insns ? CoveredCode(*insns) : std::vector<CoveredInstruction>{};
}

TEST(CoveredCode, TakesSizesAndJumpsAndLeavesTheLiteralPoolOut) {
  const std::vector<CoveredInstruction> code = ThumbDelay();
  ASSERT_EQ(code.size(), 5u);
  EXPECT_EQ(code[0].address, 0x50u);
  EXPECT_EQ(code[0].size, 2u);
  EXPECT_EQ(code[1].size, 4u);
  EXPECT_FALSE(code[1].conditional);
  EXPECT_TRUE(code[3].conditional);
  EXPECT_EQ(code[3].target, 0x52u);
  EXPECT_EQ(code[4].address, 0x5Au);
}

struct CountRow {
  const char* name;
  std::vector<uint32_t> executed;  // in the order the log saw them
  uint32_t executedCount;
  uint32_t jumpsOpen;
  bool full;
};

class CoverageCountsOfARun : public testing::TestWithParam<CountRow> {};

TEST_P(CoverageCountsOfARun, CountWhatRanAndTheJumpsSeenBothWays) {
  const CountRow& row = GetParam();
  CoverageLog log;
  for (uint32_t a : row.executed) log.Add(a);
  const CoverageCounts counts = CountCoverage(ThumbDelay(), log);
  EXPECT_EQ(counts.instructions, 5u);
  EXPECT_EQ(counts.executed, row.executedCount);
  EXPECT_EQ(counts.jumpsOpen, row.jumpsOpen);
  DbgCoverageRecord record{};
  pm2::gdb::StoreCoverage(counts, &record);
  EXPECT_EQ(record.instructions, 5u);
  EXPECT_EQ(record.executed, row.executedCount);
  EXPECT_EQ(record.jumpsOpen, row.jumpsOpen);
  EXPECT_EQ(record.kind & kDbgCovKindMask, kDbgCovFunction);
  EXPECT_EQ((record.kind & kDbgCovFull) != 0, row.full);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CoverageCountsOfARun,
    testing::Values(
        CountRow{"NothingRan", {}, 0, 1, false},
        // The loop left at once: the jump went one way only.
        CountRow{"FallsThroughOnce", {0x50, 0x52, 0x40, 0x56, 0x58, 0x5A}, 5, 1, true},
        // Round the loop once, then out: both ways.
        CountRow{"LoopsThenLeaves", {0x50, 0x52, 0x40, 0x56, 0x58, 0x52, 0x40, 0x56, 0x58, 0x5A}, 5, 0, true},
        // Still looping when the program stopped.
        CountRow{"StillLooping", {0x50, 0x52, 0x40, 0x56, 0x58, 0x52, 0x40, 0x56}, 4, 1, false},
        // Other code's addresses count for nothing here.
        CountRow{"OtherCodeOnly", {0x40, 0x42, 0x44}, 0, 1, false}),
    [](const testing::TestParamInfo<CountRow>& info) { return std::string(info.param.name); });

struct MarkRow {
  const char* name;
  std::vector<uint32_t> executed;
  uint32_t address;
  uint32_t marks;
};

class CoverageGutter : public testing::TestWithParam<MarkRow> {};

TEST_P(CoverageGutter, MarksWhatRanAndWhichWayAJumpWent) {
  const MarkRow& row = GetParam();
  CoverageLog log;
  for (uint32_t a : row.executed) log.Add(a);
  const std::vector<CoveredInstruction> code = ThumbDelay();
  const CoveredInstruction* instruction = nullptr;
  for (const CoveredInstruction& i : code)
    if (i.address == row.address) instruction = &i;
  EXPECT_EQ(pm2::gdb::CoverageMarks(row.address, instruction, log), row.marks);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CoverageGutter,
    testing::Values(MarkRow{"NeverRan", {0x50}, 0x52, 0},
                    MarkRow{"Ran", {0x50, 0x52}, 0x52, 0x0C},
                    MarkRow{"JumpTakenOnly", {0x56, 0x58, 0x52, 0x40, 0x56, 0x58, 0x52}, 0x58, 0x04},
                    MarkRow{"JumpWentOnOnly", {0x56, 0x58, 0x5A}, 0x58, 0x08},
                    MarkRow{"JumpBothWays", {0x56, 0x58, 0x52, 0x56, 0x58, 0x5A}, 0x58, 0x0C},
                    // Stopped right after the jump: neither way seen yet.
                    MarkRow{"JumpJustReached", {0x56, 0x58}, 0x58, 0x0C},
                    // Code whose function was not asked for: executed or not.
                    MarkRow{"UnknownFunction", {0x100}, 0x100, 0x0C}),
    [](const testing::TestParamInfo<MarkRow>& info) { return std::string(info.param.name); });

TEST(CoverageLog, ABreakInTheLogIsNoStepAndClearForgetsAll) {
  CoverageLog log;
  log.Add(0x58);
  log.Break();
  log.Add(0x5A);
  EXPECT_TRUE(log.Executed(0x58));
  EXPECT_TRUE(log.Executed(0x5A));
  EXPECT_FALSE(log.Went(0x58, 0x5A));
  log.Add(0x52);
  EXPECT_TRUE(log.Went(0x5A, 0x52));
  log.Clear();
  EXPECT_FALSE(log.Executed(0x58));
  EXPECT_FALSE(log.Went(0x5A, 0x52));
}

}  // namespace code_coverage_test
