#include "options/core/memory_ranges.h"

#include <cstdio>

#include "options/core/number_entry.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

bool ReadIn(std::string_view text, int64_t upper, uint32_t* value) { return ReadNumberInRange(text, 0, upper, value); }

RangeCheck Refused(std::string message, int focus) {
  RangeCheck r;
  r.ok = false;
  r.message = std::move(message);
  r.focus = focus;
  return r;
}

std::string WithSpace(const char* format, const char* space) {
  char text[96];
  std::snprintf(text, sizeof text, format, space);
  return text;
}

bool IsCode(RangeRow51 row) { return row == RangeRow51::kFirstCode || row == RangeRow51::kCode; }
bool IsBank(RangeRow51 row) { return row == RangeRow51::kCodeBank || row == RangeRow51::kFarBank; }

}  // namespace

uint32_t Range51Limit(uint32_t t51fl) { return (t51fl & (0x20000u | 0x80000u | 0x1000000u)) ? 0x1000000u : 0x10000u; }

RangeCheck CheckRange51(RangeRow51 row, std::string_view startText, std::string_view secondText, uint32_t limit,
                        bool banking) {
  const std::string_view start = TrimBlanks(startText), second = TrimBlanks(secondText);
  RangeCheck r;
  if (start.empty() && second.empty()) return r;
  if (row == RangeRow51::kCodeBank && !banking) {
    // The disabled bank area is kept as typed, unchecked.
    uint32_t s = 0, e = 0;
    ReadIn(start, 0xFFFFFFFF, &s);
    ReadIn(second, 0xFFFFFFFF, &e);
    r.value.start = s;
    r.value.size = e;
    return r;
  }
  const bool firstRow = row == RangeRow51::kFirstCode || row == RangeRow51::kFirstXdata;
  if (second.empty() && !firstRow) return Refused("Illegal Range !", 1);
  if (start.empty()) return Refused("Missing start address !", 0);
  uint32_t s = 0, v = 0;
  if (!ReadIn(start, limit, &s)) return Refused("Missing start address !", 0);
  if (!second.empty() && !ReadIn(second, limit, &v)) return Refused("Illegal Range !", 1);
  if (IsBank(row)) {
    const char* space = row == RangeRow51::kCodeBank ? "Code" : "Xdata";
    uint32_t end = v == 0x10000 ? 0xFFFF : v;
    if (end < s || s >= 0x10000 || end >= 0x10000) return Refused(WithSpace("%s bank area incorrect !", space), 1);
  } else if (uint64_t(s) + v > limit) {
    return Refused(WithSpace("%s memory range out of bounds", IsCode(row) ? "Code" : "Xdata"), 1);
  }
  r.value.start = s;
  r.value.size = v != 0 ? v : (s < 0x10000 ? 0x10000 - s : 0);
  return r;
}

bool CheckFirstStart51(std::string_view startText, std::string* message) {
  const std::string_view start = TrimBlanks(startText);
  uint32_t value = 0;
  if (start.empty() || ReadIn(start, 0x10000, &value)) return true;
  *message = "Invalid start address: '" + std::string(startText) + "'";
  return false;
}

void CompleteFirstRange51(MemRangeRec rows[3]) {
  if (rows[0].size == 0 && rows[0].start != 0 && rows[1].size == 0 && rows[2].size == 0 && rows[0].start < 0x10000)
    rows[0].size = 0x10000 - rows[0].start;
}

OverlapCheck CheckOverlaps(const MemRangeRec* rows, int count, uint64_t bound, const char* space) {
  OverlapCheck r;
  for (int i = 0; i < count; ++i) {
    if (rows[i].size == 0) continue;
    const uint64_t si = rows[i].start, ei = si + rows[i].size;
    for (int j = 0; j < count; ++j) {
      if (j == i || rows[j].size == 0) continue;
      const uint64_t sj = rows[j].start, ej = sj + rows[j].size;
      if (bound != 0 && ei > bound) {
        r.ok = false;
        r.message = WithSpace("%s memory range out of bounds", space);
        r.focusRow = i;
        return r;
      }
      if ((sj >= si && ei > sj) || (sj <= si && ej > si)) {
        char text[64];
        std::snprintf(text, sizeof text, "External memory #%d overlaps #%d", j + 1, i + 1);
        r.ok = false;
        r.message = text;
        r.focusRow = j;
        return r;
      }
    }
  }
  return r;
}

RangeCheck CheckExternalRow(std::string_view startText, std::string_view sizeText) {
  const std::string_view start = TrimBlanks(startText), size = TrimBlanks(sizeText);
  RangeCheck r;
  if (start.empty() && size.empty()) return r;
  if (size.empty()) return Refused("Missing external memory size !", 1);
  if (start.empty()) return Refused("Missing external memory start address !", 0);
  uint32_t s = 0, n = 0;
  if (!ReadIn(start, 0xFFFFFF, &s)) return Refused("Illegal external memory start address !", 0);
  if (!ReadIn(size, 0xFFFFFF, &n)) return Refused("Illegal external memory block size !", 1);
  r.value.start = s;
  r.value.size = n;
  return r;
}

std::string UsedRangesText(const MemRangeRec* rows, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    if (rows[i].size == 0) continue;
    char text[48];
    std::snprintf(text, sizeof text, "0X%04X-0X%04X", unsigned(rows[i].start),
                  unsigned(uint64_t(rows[i].start) + rows[i].size - 1));
    if (!out.empty()) out += ',';
    out += text;
  }
  return out;
}

uint16_t BankCountIndex(int banks) {
  if (banks < 3) return 0;
  if (banks < 5) return 1;
  if (banks < 9) return 2;
  if (banks <= 16) return 3;
  if (banks <= 32) return 4;
  return 5;
}

uint8_t NearOtherIndex(uint8_t index, uint8_t otherIndex) {
  const uint32_t mine = (uint32_t(index) + 1) * 0x4000, other = (uint32_t(otherIndex) + 1) * 0x4000;
  if (mine + other <= 0x10000) return otherIndex;
  const uint32_t room = mine >= 0x10000 ? 0 : 0x10000 - mine;
  return room < 0x8000 ? 0 : uint8_t(room / 0x4000 - 1);
}

}  // namespace pm2
