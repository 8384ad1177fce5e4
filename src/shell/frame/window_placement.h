// The stored placement of an editor window (the options file keeps it with
// each open file): a record of 44 bytes, little-endian, fields in this
// order: length (44, which also marks the record as present), flags, show
// command, minimised position (x, y), maximised position (x, y), normal
// rectangle (left, top, right, bottom). All 32-bit.
#pragma once

#include <cstdint>

namespace pm2 {

inline constexpr int kWindowPlacementBytes = 44;

struct WindowPlacementRec {
  std::uint32_t flags = 0;
  std::uint32_t showCmd = 1;  // 1 normal, 2 minimised, 3 maximised
  std::int32_t minX = -1, minY = -1, maxX = -1, maxY = -1;
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

void EncodePlacement(const WindowPlacementRec& rec, std::uint8_t out[kWindowPlacementBytes]);
// False when the bytes hold no placement (their length field is not 44)
// or an empty normal rectangle; *rec is then left as it was.
bool DecodePlacement(const std::uint8_t in[kWindowPlacementBytes], WindowPlacementRec* rec);

}  // namespace pm2
