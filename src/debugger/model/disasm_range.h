// The disassembly window's vertical scroll bar: the address range it spans
// (stored as an index in bits 10..13 of the record's window flags), the
// position of a line, and the address a thumb position stands for. Both
// mappings depend on the toolset family's code addresses: the 8051 and 251
// families scroll within a 64K bank, the 166 family by words, ARM by
// 32-bit instructions.
#pragma once

#include <cstdint>

namespace pm2 {

struct DisasmRange {
  int command;       // the context menu's command
  const char* text;  // its menu text
  uint32_t length;   // the bytes the scroll bar spans from the base
  bool offered;      // false: shown disabled
};

constexpr int kDisasmRangeCount = 7;
const DisasmRange& DisasmRangeAt(int index);  // index 0..6, others as 0

int DisasmRangeIndex(uint32_t windowFlags);
uint32_t WithDisasmRange(uint32_t windowFlags, int index);

// The scroll bar's largest position for a range and a view of `visible` lines.
int DisasmScrollMax(int index, int visible);
// In the trace view the bar spans the history's entries.
int DisasmTraceScrollMax(uint32_t entries, int visible);

// The scroll position of a line at this address.
uint32_t DisasmScrollPosition(int family, uint32_t address);
// The address of a thumb position; the 64K families keep the bank of the
// first line shown.
uint32_t DisasmThumbAddress(int family, uint32_t base, uint32_t firstAddress, uint32_t position);

// The bits of a family's code addresses that the listing is searched by:
// the low 24 of the 8051, 251 and 166 families (their upper byte names a
// memory space or bank), all 32 of ARM's flat space.
uint32_t DisasmCodeMask(int family);

// The first code address of a family, taken when the window is made: the
// 251 family's code starts at 0xFF0000; an 8051 of variant 3 starts where
// its program counter stands; the others at 0.
uint32_t DisasmStartAddress(int family, int variant, uint32_t pc);

}  // namespace pm2
