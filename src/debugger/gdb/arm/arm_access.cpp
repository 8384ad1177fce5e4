#include "debugger/gdb/arm/arm_access.h"

namespace pm2::gdb {

namespace {

MemAccess ByLoadBit(bool load) { return load ? MemAccess::Read : MemAccess::Write; }

}  // namespace

MemAccess ArmAccess(uint32_t insn) {
  const uint32_t cond = insn >> 28;
  if (cond == 0xF) return MemAccess::Unknown;  // the unconditional space holds no plain load/store
  const bool load = (insn >> 20) & 1;
  const uint32_t op = (insn >> 25) & 7;
  // LDR/STR/LDRB/STRB (immediate 010, register 011; 011 with bit 4 is the media space).
  if (op == 2 || (op == 3 && !(insn & 0x10))) return ByLoadBit(load);
  // LDM/STM.
  if (op == 4) return ByLoadBit(load);
  if (op == 0 && (insn & 0x90) == 0x90) {
    const uint32_t sh = (insn >> 5) & 3;
    if (sh == 0) {
      // SWP/SWPB read and write; LDREX/STREX by their load bit; multiplies none.
      if ((insn & 0x0FB00FF0) == 0x01000090) return MemAccess::Unknown;
      if ((insn & 0x0F800F90) == 0x01800F90) return ByLoadBit(load);
      return MemAccess::Unknown;
    }
    // LDRH/STRH, LDRSB/LDRSH; with the load bit clear, sh 2 is LDRD and 3 STRD.
    if (load) return MemAccess::Read;
    return sh == 1 ? MemAccess::Write : sh == 2 ? MemAccess::Read : MemAccess::Write;
  }
  return MemAccess::Unknown;
}

bool IsThumb32Prefix(uint16_t h) { return (h >> 11) >= 0x1D; }

MemAccess ThumbAccess(uint16_t first) {
  if (IsThumb32Prefix(first)) {
    const bool load = (first >> 4) & 1;
    // Single loads and stores: 1111 100x xxxL (stores only with bit 8 clear).
    if ((first & 0xFE00) == 0xF800) {
      if (!load && (first & 0x0100)) return MemAccess::Unknown;
      return ByLoadBit(load);
    }
    // LDM/STM, PUSH/POP, LDRD/STRD, LDREX/STREX, TBB/TBH: 1110 100x xxxL.
    if ((first & 0xFE00) == 0xE800) return ByLoadBit(load);
    return MemAccess::Unknown;
  }
  const uint16_t h = first;
  if ((h & 0xF800) == 0x4800) return MemAccess::Read;  // LDR (literal)
  if ((h & 0xF000) == 0x5000) return ((h >> 9) & 7) < 3 ? MemAccess::Write : MemAccess::Read;  // register offset
  if ((h & 0xE000) == 0x6000 || (h & 0xF000) == 0x8000 || (h & 0xF000) == 0x9000 || (h & 0xF000) == 0xC000)
    return ByLoadBit((h >> 11) & 1);  // word/byte, halfword, SP-relative, LDMIA/STMIA
  if ((h & 0xFE00) == 0xB400) return MemAccess::Write;  // PUSH
  if ((h & 0xFE00) == 0xBC00) return MemAccess::Read;   // POP
  return MemAccess::Unknown;
}

MemAccess AccessBefore(bool thumb, const uint8_t b[4]) {
  if (!thumb) return ArmAccess(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
  const uint16_t low = uint16_t(b[0] | b[1] << 8), high = uint16_t(b[2] | b[3] << 8);
  // The halfword just below the stop can't be a 16-bit instruction when it
  // looks like the start of a 32-bit one.
  if (IsThumb32Prefix(high)) return IsThumb32Prefix(low) ? ThumbAccess(low) : MemAccess::Unknown;
  const MemAccess narrow = ThumbAccess(high);
  if (!IsThumb32Prefix(low)) return narrow;
  const MemAccess wide = ThumbAccess(low);
  if (wide == MemAccess::Unknown) return narrow;
  if (narrow == MemAccess::Unknown || narrow == wide) return wide;
  return MemAccess::Unknown;
}

bool UartStopIsRead(uint8_t value, uint8_t cell, MemAccess decoded) {
  if (value != cell) return false;
  return decoded != MemAccess::Write;
}

}  // namespace pm2::gdb
