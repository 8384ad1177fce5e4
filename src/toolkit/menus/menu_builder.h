#pragma once
// Popup menus from the resource tables: one QAction per item with the
// command id in its data(), a QMenu per popup, separators as they stand.

#include <vector>

#include "toolkit/core/resources.h"

class QMenu;

namespace pm2 {

void FillQMenu(QMenu* menu, const std::vector<MenuEntry>& entries);

}  // namespace pm2
