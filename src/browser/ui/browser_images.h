// The browser's 16 x 16 images, drawn by us: the results tree's five (0 a
// line with the letter D, 1 with R, 2 a source file, 3 a call-graph node,
// 4 a callers-graph node) and the list header's two sort marks (0
// ascending, 1 descending).
#pragma once

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

ImageStrip BrowserResultImages();
ImageStrip BrowserSortImages();

}  // namespace pm2
