#include "debugger/model/disasm_range.h"

#include <algorithm>

namespace pm2 {

namespace {

const DisasmRange kRanges[kDisasmRangeCount] = {
    {35026, "0...64K", 0xFFF0, true},        {35027, "0...128K", 0x1FFF0, true}, {35028, "0...256K", 0x3FFF0, true},
    {35029, "0...512K", 0x7FFF0, true},      {35080, "0...1M", 0xFFFF0, true},   {35030, "0...16M", 0xFFFFF0, true},
    {35410, "0...4GB", 0xFFFFFF0, false},
};

constexpr uint32_t kRangeShift = 10, kRangeMask = 0xFu << kRangeShift;

// How a family's addresses become positions: the bits kept.
struct FamilyScroll {
  int family;
  uint32_t keep;
  bool bank;      // the position is the offset in the first line's 64K bank
  uint32_t code;  // the bits of a code address; those above name its memory space
};
const FamilyScroll kFamilies[] = {
    {0, 0xFFFF, true, 0xFFFFFF},   {1, 0xFFFF, true, 0xFFFFFF},     {2, ~1u, false, 0xFFFFFF},
    {3, ~3u, false, 0xFFFFFFFFu}, {4, ~3u, false, 0xFFFFFFFFu},
};

const FamilyScroll& FamilyOf(int family) {
  for (const FamilyScroll& f : kFamilies)
    if (f.family == family) return f;
  return kFamilies[3];
}

}  // namespace

const DisasmRange& DisasmRangeAt(int index) { return kRanges[index >= 0 && index < kDisasmRangeCount ? index : 0]; }

int DisasmRangeIndex(uint32_t windowFlags) {
  const int index = int((windowFlags & kRangeMask) >> kRangeShift);
  return index < kDisasmRangeCount ? index : 0;
}

uint32_t WithDisasmRange(uint32_t windowFlags, int index) {
  return (windowFlags & ~kRangeMask) | ((uint32_t(index) << kRangeShift) & kRangeMask);
}

int DisasmScrollMax(int index, int visible) {
  return int(std::max<int64_t>(0, int64_t(DisasmRangeAt(index).length) - visible + 2));
}

int DisasmTraceScrollMax(uint32_t entries, int visible) {
  return int(std::max<int64_t>(0, int64_t(entries) - visible + 3));
}

uint32_t DisasmScrollPosition(int family, uint32_t address) { return address & FamilyOf(family).keep; }

uint32_t DisasmThumbAddress(int family, uint32_t base, uint32_t firstAddress, uint32_t position) {
  const FamilyScroll& f = FamilyOf(family);
  if (f.bank) return (firstAddress & 0xFFFF0000u) | (position & 0xFFFF);
  const uint32_t address = base + (position & f.keep);
  // The 166 family's code space is 16 MB.
  return f.family == 2 ? address & 0xFFFFFF : address;
}

uint32_t DisasmCodeMask(int family) { return FamilyOf(family).code; }

uint32_t DisasmStartAddress(int family, int variant, uint32_t pc) {
  if (family == 1) return 0xFF0000;
  if (family == 0 && variant == 3) return pc;
  return 0;
}

}  // namespace pm2
