// A driver's record answered in-process, for pictures and benchmarks of
// the debug windows: a listing of source and code lines, target memory,
// address expressions, breakpoints, a running flag and a recorded history.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2::test {

struct FakeTarget {
  struct Line {
    uint16_t kind;
    uint32_t address;
    std::string text;
  };
  std::vector<Line> listing;
  std::vector<uint8_t> ram = std::vector<uint8_t>(0x1000);  // at 0x40000000
  uint32_t pc = 0;
  uint32_t enabledBreak = 0, disabledBreak = 0;
  bool listingOn = true;
};

// The one fake target and its record (PC, flags and slots filled).
FakeTarget& Fake();
DebugInterface* FakeRecord();
// A listing of n lines from 0x100: a source line before every fourth instruction.
void FakeListing(int lines);
void FakeRunning(bool on);
// A recorded history over the listing's code addresses, oldest first.
void FakeTrace(const std::vector<uint32_t>& addresses);

}  // namespace pm2::test
