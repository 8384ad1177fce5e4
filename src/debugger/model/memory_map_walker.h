// The memory map dialog without a window: which spaces a family lists,
// a space code's base address, and the runs of equal attributes in a
// space's attribute array, each as a list line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pm2 {

constexpr uint16_t kMapAttrMask = 0x807;  // execute, read, write, VNM

// The access name of the three access bits (execute 1, read 2, write 4).
const char* MapAccessName(unsigned bits);
// The map command of the map button ("Map %s %s %s\n").
std::string MapCommand(const std::string& range, bool read, bool write, bool exec, bool vnm);
// The clear command of a list line ("Map %s Clear\n"), "" when the line has no range.
std::string MapClearCommand(const std::string& line);
// The example text shown for a family.
const char* MapExampleText(int family);

struct MapSpace {
  uint32_t base = 0;
  uint32_t cells = 0x10000;  // 0x10000 for a 64 K space
  bool wide = false;         // "VNM" in upper case
};
// The spaces a family and variant list, in order.
std::vector<MapSpace> MapSpaces(int family, int variant);

struct MapRun {
  uint32_t start = 0;  // address (base | offset)
  uint32_t end = 0;
  uint16_t attr = 0;   // masked
};
// The runs of non-zero equal masked attributes; count is bounded by the caller.
std::vector<MapRun> WalkMapRuns(const uint16_t* attrs, uint32_t count, uint32_t base);

// "%03d:  %s - %s  %s %s" with the line number, both address texts, the
// access name and "vnm"/"VNM" when bit 11 is set.
std::string MapRunLine(int number, const MapRun& run, bool wide, const std::function<std::string(uint32_t)>& addressText);

}  // namespace pm2
