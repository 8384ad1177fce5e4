// The 16 x 16 images of the project dialogs' trees, drawn by us: the device
// trees (0 vendor, 1 unused, 2 device) and the books window (0 category,
// 1 book).
#pragma once

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {

ImageStrip DeviceTreeImages();
ImageStrip BookTreeImages();

// Inserts a row with its image at the end of parent's children.
HTREEITEM InsertTreeRow(SECTreeCtrl* tree, const std::string& text, HTREEITEM parent, int image,
                        std::intptr_t data);

}  // namespace pm2
