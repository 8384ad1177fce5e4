#pragma once
// The Qt side of WM_SYSCOLORCHANGE: a palette change reaches a widget as
// QEvent::PaletteChange or ApplicationPaletteChange, and the widget then
// reloads the process-wide colour record (which rebuilds the XP palette)
// and re-reads the colours it keeps.

#include <QEvent>

#include "toolkit/core/color_math.h"

namespace pm2 {

inline bool IsSysColorChange(const QEvent* e) {
  return e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange;
}

inline void ReloadSysColorRecord() { TheSysColorRecord().LoadSysColors(); }

}  // namespace pm2
