#pragma once
// The text of a menu-bar button, measured and drawn in the default GUI
// font for every host that paints buttons into pixels (the test strip and
// the toolbars).

#include <string>

#include "toolkit/core/geometry.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {

struct PixelBuffer;

Size MeasureMenuButtonText(const std::string& text);

// Draws `text` with its top left at (x, y), blended over the pixels under
// it by the glyphs' coverage so its smoothed edges stay.
void DrawMenuButtonText(PixelBuffer& into, int x, int y, const std::string& text, Color color);

}  // namespace pm2
