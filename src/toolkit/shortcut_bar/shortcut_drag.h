#pragma once
// The payload of a shortcut-bar drag ("SEC_CF_LISTCTRL") and the drop
// marker's shape. The payload names the process that made it, so that only
// bars of the same process accept it, and carries the item's text itself
// (never a pointer into the source bar). Layout, little-endian:
//   0  16 bytes  source process identifier
//  16   4        mask, always 7 (text, image, parameter)
//  20   4        image index (signed)
//  24   8        parameter (signed)
//  32   4        text length n
//  36   n        text bytes
// A block shorter than its own lengths, or longer, is refused.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/core/geometry.h"

namespace pm2 {

// The registered name of the drag format.
constexpr const char* kShortcutDragFormat = "SEC_CF_LISTCTRL";

using ShortcutProcessId = std::array<std::uint8_t, 16>;

struct ShortcutDragItem {
  ShortcutProcessId source{};
  std::string text;
  int image = 0;
  std::intptr_t param = 0;
};

std::string EncodeShortcutDrag(const ShortcutDragItem& item);
// False, with `error` saying what is wrong, for a block that is not one.
bool DecodeShortcutDrag(std::string_view block, ShortcutDragItem* item, std::string* error);
// The identifier at the head of a block; false when the block is shorter.
bool PeekShortcutDragSource(std::string_view block, ShortcutProcessId* id);

// The three corners of the marker's left and right triangles in the
// marker rectangle `r` (code -1 bottom, -2 top, else the middle).
struct MarkerTriangle {
  Point p[3];
};
MarkerTriangle GetLeftMarkerPoints(const Rect& r, int code);
MarkerTriangle GetRightMarkerPoints(const Rect& r, int code);

}  // namespace pm2
