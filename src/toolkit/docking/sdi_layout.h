#pragma once
// The layout mode a single-document frame docks a bar with: taken from the
// bar's own style, not from the dock bar (a dynamic floating bar keeps its
// remembered width, a horizontal bar docks horizontally, any other
// vertically), always committed.

#include <cstdint>

namespace pm2 {

std::uint32_t SdiDockLayoutMode(std::uint32_t barStyle);

}  // namespace pm2
