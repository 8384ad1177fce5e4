// The places of the modeless debug windows kept in the shared window
// settings, so that they survive a restart: a window opens where it last
// was (a top-level window fitted on the screens there are, a window in the
// frame's MDI area fitted in that area) and its place is stored as it
// moves, resizes and closes.
#pragma once

#include <QRect>
#include <vector>

#include "toolkit/core/window_fonts.h"
#include "shell/frame/frame_settings.h"

class QWidget;

namespace pm2 {

// Where a window may lie: the screens' available areas (the primary one
// first) for a top-level window, the MDI area for a window in it.
std::vector<ScreenArea> PlacementAreas(const QWidget* window);

// The stored normal rectangle fitted into the areas; false when the slot
// holds no valid placement.
bool FittedPlacement(const SettingsPlacement& slot, const std::vector<ScreenArea>& areas, QRect* out);

// Restores the window from the slot when it holds a valid placement, and
// keeps the slot current from now on (the slot must outlive the window).
void KeepSettingsPlacement(QWidget* window, SettingsPlacement* slot);
// The tool box: only its position is restored (it keeps its own size).
void KeepToolBoxRect(QWidget* window, ScreenRect* slot);

}  // namespace pm2
