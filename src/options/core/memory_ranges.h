// The external memory ranges of the 51, 251 and 166 target pages: reading
// a start/size (or start/end) pair typed into two edits, the overlap test
// over a group of rows, and the range lists the 51 linker takes from the
// target's layout. Sums are taken in 64 bits so that ranges near the top
// of the address space never wrap into a false answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "project/model/option_block.h"

namespace pm2 {

// What a pair of edits stands for on the 51 page.
enum class RangeRow51 : uint8_t {
  kFirstCode,   // Eprom #1: a lone start is completed to the top
  kCode,        // Eprom #2, #3
  kFirstXdata,  // Ram #1
  kXdata,       // Ram #2, #3
  kCodeBank,    // code bank area: start, end
  kFarBank,     // 'far' bank area: start, end
};

// The outcome of a check: ok, or the message with the edit to focus.
struct RangeCheck {
  bool ok = true;
  std::string message;
  int focus = 0;     // 0 the start edit, 1 the second edit
  MemRangeRec value;  // the stored record when ok
};

// Reads one 51 row. limit is 0x10000 or 0x1000000 (see Range51Limit);
// banking tells whether code banking is on (the code bank area is not
// checked while it is off).
RangeCheck CheckRange51(RangeRow51 row, std::string_view startText, std::string_view secondText, uint32_t limit,
                        bool banking);
// The limit of the 51 rows for the target's T51FL.
uint32_t Range51Limit(uint32_t t51fl);
// The start of Eprom #1 or Ram #1 on its own, before the rows are read
// (without the extended linker): empty, or a number from 0 to 65536;
// else the message "Invalid start address: '%s'".
bool CheckFirstStart51(std::string_view startText, std::string* message);
// A lone start of Eprom #1 or Ram #1 (size 0 while #2 and #3 are unused)
// covers the rest of the 64K: the size shown and stored.
void CompleteFirstRange51(MemRangeRec rows[3]);

// The overlap test over rows (size 0 = unused). bound is 0 for none, else
// the end no row may pass ("%s memory range out of bounds" with space).
// focusRow is the row whose start edit gets the focus.
struct OverlapCheck {
  bool ok = true;
  std::string message;
  int focusRow = 0;
};
OverlapCheck CheckOverlaps(const MemRangeRec* rows, int count, uint64_t bound, const char* space);

// One external memory row of the 251 and 166 pages (start and size up to
// 0xFFFFFF; both empty clears the row).
RangeCheck CheckExternalRow(std::string_view startText, std::string_view sizeText);

// The used rows as the 51 linker's range list: "0X%04X-0X%04X" joined by
// commas, in row order.
std::string UsedRangesText(const MemRangeRec* rows, int count);

// The code-banking wizard's bank count as the banks list's index.
uint16_t BankCountIndex(int banks);

// The 166 near RAM and ROM lists (16, 32, 48 KB): the other list's index
// after this one chose `index`, so that the two fit into 64K.
uint8_t NearOtherIndex(uint8_t index, uint8_t otherIndex);

}  // namespace pm2
