// Which way the instruction before a watchpoint stop went: ARM words and
// Thumb halfwords as the assembler encodes them.
#include <gtest/gtest.h>

#include "debugger/gdb/arm/arm_access.h"

namespace pm2::gdb {
namespace {

constexpr MemAccess R = MemAccess::Read, W = MemAccess::Write, U = MemAccess::Unknown;

TEST(ArmAccessDecode, ArmState) {
  const struct {
    const char* name;
    uint32_t insn;
    MemAccess want;
  } rows[] = {{"ldr r0, [r1]", 0xE5910000, R},
              {"str r0, [r1]", 0xE5810000, W},
              {"ldrb r2, [r3, #4]", 0xE5D32004, R},
              {"strb r2, [r3, #-4]! (pre-indexed, write-back)", 0xE5632004, W},
              {"ldr r0, [r1], #4 (post-indexed)", 0xE4910004, R},
              {"str r0, [r1, r2] (register offset)", 0xE7810002, W},
              {"ldrb r0, [r1, r2, lsl #2] (scaled register)", 0xE7D10102, R},
              {"strb r0, [r1], -r2 (post-indexed register)", 0xE6410002, W},
              {"ldrh r0, [r1, #2]", 0xE1D100B2, R},
              {"strh r0, [r1]", 0xE1C100B0, W},
              {"ldrsb r0, [r1]", 0xE1D100D0, R},
              {"ldrsh r0, [r1, r2]", 0xE19100F2, R},
              {"ldrd r0, r1, [r2] (load bit clear)", 0xE1C200D0, R},
              {"strd r0, r1, [r2]", 0xE1C200F0, W},
              {"ldm r0, {r1, r2}", 0xE8900006, R},
              {"push {r4, lr}", 0xE92D4010, W},
              {"ldrex r0, [r1]", 0xE1910F9F, R},
              {"strex r0, r1, [r2]", 0xE1820F91, W},
              {"streq r0, [r1] (conditional)", 0x05810000, W},
              {"ldrne r0, [r1] (conditional)", 0x15910000, R},
              {"swp r0, r1, [r2] reads and writes", 0xE1020091, U},
              {"add r0, r1, r2", 0xE0810002, U},
              {"adds r0, r1, r2 (S bit where a load bit would be)", 0xE0910002, U},
              {"mul r0, r1, r2", 0xE0000291, U},
              {"mov pc, lr", 0xE1A0F00E, U},
              {"media space (bit 4 set)", 0xE6E10011, U}};
  for (const auto& r : rows) EXPECT_EQ(ArmAccess(r.insn), r.want) << r.name;
}

TEST(ArmAccessDecode, ThumbState) {
  const struct {
    const char* name;
    uint16_t first;
    MemAccess want;
  } rows[] = {{"ldr r0, [r1, #0]", 0x6808, R},
              {"str r0, [r1, #4]", 0x6048, W},
              {"ldrb r0, [r1, #1]", 0x7848, R},
              {"strb r0, [r1, #0]", 0x7008, W},
              {"ldr r0, [r1, r2]", 0x5888, R},
              {"str r0, [r1, r2]", 0x5088, W},
              {"ldrb r0, [r1, r2]", 0x5C88, R},
              {"strb r0, [r1, r2]", 0x5488, W},
              {"ldrh r0, [r1, r2]", 0x5A88, R},
              {"strh r0, [r1, r2]", 0x5288, W},
              {"ldrsb r0, [r1, r2]", 0x5688, R},
              {"ldrh r0, [r1, #2]", 0x8848, R},
              {"strh r0, [r1, #2]", 0x8048, W},
              {"ldr r0, [sp, #4]", 0x9801, R},
              {"str r0, [sp, #4]", 0x9001, W},
              {"ldr r0, [pc, #76] (literal)", 0x4813, R},
              {"push {r4, lr}", 0xB510, W},
              {"pop {r4, pc}", 0xBD10, R},
              {"ldmia r0!, {r1, r2}", 0xC806, R},
              {"stmia r0!, {r1, r2}", 0xC006, W},
              {"adds r0, r1, r2", 0x1888, U},
              {"movs r0, #1", 0x2001, U},
              {"b.n", 0xE7FE, U},
              {"ldr.w r0, [r1]", 0xF8D1, R},
              {"str.w r0, [r1]", 0xF8C1, W},
              {"ldrb.w r0, [r1, #4]", 0xF891, R},
              {"strb.w r0, [r1, #4]", 0xF881, W},
              {"ldr.w r0, [r1, #-4] (negative offset)", 0xF851, R},
              {"strb.w r0, [r1], #1 (post-indexed)", 0xF801, W},
              {"ldrd r0, r1, [r2]", 0xE9D2, R},
              {"strd r0, r1, [r2]", 0xE9C2, W},
              {"ldmia.w r0, {r1, r2}", 0xE890, R},
              {"stmdb sp!, {r4, r5}", 0xE92D, W},
              {"ldrex r0, [r1]", 0xE851, R},
              {"strex r0, r1, [r2]", 0xE842, W},
              {"add.w r0, r1, r2", 0xEB01, U},
              {"bl (first half)", 0xF7FF, U}};
  for (const auto& r : rows) EXPECT_EQ(ThumbAccess(r.first), r.want) << r.name;
}

// The 4 bytes below the stop: the halfword at -4, then the one at -2.
TEST(ArmAccessDecode, InstructionBeforeTheStop) {
  const struct {
    const char* name;
    bool thumb;
    uint16_t low, high;
    MemAccess want;
  } rows[] = {{"arm str (the whole word)", false, 0x0000, 0xE581, W},
              {"arm ldrb", false, 0x2004, 0xE5D3, R},
              {"thumb ldr after adds", true, 0x1888, 0x6808, R},
              {"thumb strb after adds", true, 0x1888, 0x7008, W},
              {"thumb str.w (second half plain)", true, 0xF8C1, 0x0000, W},
              {"thumb ldr.w (second half 0x0c04)", true, 0xF851, 0x0C04, R},
              {"thumb strb after a bl whose second half looks like a start", true, 0xFFFE, 0x7008, W},
              {"thumb ldr after a 32-bit add's second half", true, 0x0002, 0x6808, R},
              {"thumb 32-bit load or 16-bit store: unknown", true, 0xF8D1, 0x7008, U},
              {"thumb 32-bit load or 16-bit load agree", true, 0xF8D1, 0x6808, R},
              {"thumb start of a 32-bit one just below the stop", true, 0x1888, 0xF8D1, U},
              {"thumb arithmetic", true, 0x1888, 0x2001, U}};
  for (const auto& r : rows) {
    const uint8_t bytes[4] = {uint8_t(r.low), uint8_t(r.low >> 8), uint8_t(r.high), uint8_t(r.high >> 8)};
    EXPECT_EQ(AccessBefore(r.thumb, bytes), r.want) << r.name;
  }
}

// A stop on the UART's data register: the armed key read, or a write.
TEST(ArmAccessDecode, UartStopReadOrWrite) {
  const struct {
    const char* name;
    uint8_t value, cell;
    MemAccess decoded;
    bool read;
  } rows[] = {{"the armed key read", 'z', 'z', R, true},
              {"the armed key read, the instruction not known", 'z', 'z', U, true},
              {"the armed key's own letter written (an echo)", 'k', 'k', W, false},
              {"another letter written", 'L', 0, W, false},
              // Right after the interrupt that armed 'z', gdb's stop address
              // was one instruction off and the word before it a load.
              {"another letter, decoded as a load", 'L', 'z', R, false},
              {"another letter, the instruction not known", 'L', 'z', U, false}};
  for (const auto& r : rows) EXPECT_EQ(UartStopIsRead(r.value, r.cell, r.decoded), r.read) << r.name;
}

}  // namespace
}  // namespace pm2::gdb
