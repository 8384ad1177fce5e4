#include "options/core/arm_memory.h"

#include <cstdio>

#include "options/core/number_entry.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

ArmRangeResult Refused(const char* message, int row, ArmRowField field) {
  return {false, message, row, field};
}

}  // namespace

ArmRowText ArmRowShown(const MemRangeRec& r) {
  if (r.size == 0) return {};
  char start[16], size[16];
  std::snprintf(start, sizeof start, "0x%08X", unsigned(r.start));
  std::snprintf(size, sizeof size, "0x%08X", unsigned(r.size));
  return {start, size};
}

ArmRangeResult ReadArmRanges(const std::array<ArmRowText, kArmMemRows>& texts,
                             std::array<MemRangeRec, kArmMemRows>& rows) {
  std::array<MemRangeRec, kArmMemRows> read = rows;
  for (int i = 0; i < kArmMemRows; ++i) {
    const std::string start(TrimBlanks(texts[std::size_t(i)].start.substr(0, 126)));
    const std::string size(TrimBlanks(texts[std::size_t(i)].size.substr(0, 126)));
    MemRangeRec& r = read[std::size_t(i)];
    if (start.empty() && size.empty()) {
      r.start = r.size = 0;
      continue;
    }
    if (size.empty()) return Refused("Missing external memory size !", i, ArmRowField::kSize);
    if (start.empty()) return Refused("Missing external memory start address !", i, ArmRowField::kStart);
    uint32_t s = 0, n = 0;
    if (!ReadNumberField(start, 0, 0xFFFFFFFFll, &s))
      return Refused("Illegal external memory start address !", i, ArmRowField::kStart);
    if (!ReadNumberField(size, 0, 0xFFFFFFFFll, &n))
      return Refused("Illegal external memory block size !", i, ArmRowField::kSize);
    r.start = s;
    r.size = n;
  }
  rows = read;
  return {};
}

bool ArmRangesOverlap(const MemRangeRec& a, const MemRangeRec& b) {
  if (a.size == 0 || b.size == 0) return false;
  const uint64_t aEnd = uint64_t(a.start) + a.size, bEnd = uint64_t(b.start) + b.size;
  if (b.start >= a.start) return aEnd > b.start;
  return bEnd > a.start;
}

ArmRangeResult FindArmOverlap(const std::array<MemRangeRec, kArmMemRows>& rows) {
  for (int i = 0; i < kArmMemRows; ++i)
    for (int j = 0; j < kArmMemRows; ++j) {
      if (i == j || !ArmRangesOverlap(rows[std::size_t(i)], rows[std::size_t(j)])) continue;
      char text[64];
      std::snprintf(text, sizeof text, "External memory #%d overlaps #%d", j + 1, i + 1);
      return {false, text, j, ArmRowField::kStart};
    }
  return {};
}

}  // namespace pm2
