// The shell's own resources: the main menu (120), the editor window's menu
// (121), the project window's context menu (143) and the strings of the
// status-bar panes, in the resource-table text form (toolkit/core/resources.h).
#pragma once

#include "toolkit/core/resources.h"

namespace pm2 {

inline constexpr unsigned kMainMenuId = 120;
// The images of the main toolbars' buttons (a toolbar resource of the
// toolkit's module), also shown in the editors' context menus.
inline constexpr unsigned kMainToolbarImages = 120;
inline constexpr unsigned kEditorMenuId = 121;
inline constexpr unsigned kProjectContextMenuId = 143;

const ResourceTables& ShellResources();

}  // namespace pm2
