// The disassembly window's Find without a window: the walk through the
// listing from the cursor line, down or up, within the program's own code
// (the executable runs of the driver's memory map), then the question
// whether to go on from the top (or the bottom), and the message when it
// came back to where it started. A target whose address space never ends
// (qemu's) is searched in the program's code only, so a search that finds
// nothing ends at once with the question.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "debugger/model/disasm_cache.h"
#include "debugger/model/memory_map_walker.h"

namespace pm2 {

struct DisasmFindText {
  std::string text;
  bool down = true;
  bool matchCase = false;
  bool wholeWord = false;
};
// The line's text holds the search text (as a whole word when asked: no
// letter, digit or '_' on either side).
bool DisasmTextMatches(const std::string& lineText, const DisasmFindText& what);

struct DisasmFindHooks {
  std::function<bool(const std::string& question)> ask;  // true: Yes
  std::function<void(const std::string& text)> message;
  std::function<bool(uint32_t address)> tick;  // for each line searched; false: cancelled
  // The order of two lines of the listing (DisasmCache::CompareRecords).
  std::function<int(const DisasmLine&, const DisasmLine&)> compare;
};

enum class DisasmFindEnd { Found, NotFound, Stopped, Cancelled };

// The most lines one search reads in a range without an end (a driver
// without a memory map on an endless address space): then it counts as
// the end of the listing.
inline constexpr int kDisasmFindMaxLines = 200000;

// Searches from the line after (or before) `origin` through the ranges of
// the program's code (ascending; empty: the whole listing from `start`).
// Found: *hit is the line.
DisasmFindEnd FindInListing(DisasmSource& source, const DisasmLine& origin, const std::vector<MapRun>& code,
                            uint32_t start, const DisasmFindText& what, const DisasmFindHooks& hooks, DisasmLine* hit);

// The program's code: the runs with the execute bit of every space the
// family lists (`space` answers the driver's attribute array of a space and
// its count), joined where they touch.
std::vector<MapRun> ProgramCodeRuns(int family, int variant,
                                    const std::function<const uint16_t*(uint32_t base, uint32_t* count)>& space);

}  // namespace pm2
