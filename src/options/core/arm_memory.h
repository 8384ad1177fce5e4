// The off-chip memory rows of an ARM target (three ROM, then three RAM):
// their texts checked and read on leaving the target page, and the test
// that no two of them overlap. Sums are taken in 64 bits so that a range
// ending at or near 4 GB does not wrap and hide an overlap.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "project/model/option_block.h"

namespace pm2 {

inline constexpr int kArmMemRows = 6;

struct ArmRowText {
  std::string start;
  std::string size;
};

// Which edit a refusal puts the focus on.
enum class ArmRowField : uint8_t { kStart, kSize };

struct ArmRangeResult {
  bool ok = true;
  std::string message;
  int row = -1;  // 0-based row of the field to focus
  ArmRowField field = ArmRowField::kStart;
};

// "0x%08X" of each row with a size, "" for the others.
ArmRowText ArmRowShown(const MemRangeRec& r);

// Reads the six rows' texts into rows (start and size only; the kind byte
// is kept). A refusal leaves rows as they were.
ArmRangeResult ReadArmRanges(const std::array<ArmRowText, kArmMemRows>& texts,
                             std::array<MemRangeRec, kArmMemRows>& rows);

// Whether two ranges overlap (a size of 0 never does).
bool ArmRangesOverlap(const MemRangeRec& a, const MemRangeRec& b);

// The first overlap in the order of row i, then row j: refused with
// "External memory #j overlaps #i" (1-based) and the focus on row j's start.
ArmRangeResult FindArmOverlap(const std::array<MemRangeRec, kArmMemRows>& rows);

}  // namespace pm2
