// The shared window settings' fonts and colours as Qt's: a font entry
// becomes a QFont (the window's own font where the entry is not set), a
// stored colour (0x00BBGGRR) a QColor.
#pragma once

#include <QColor>
#include <QFont>

#include "toolkit/core/window_fonts.h"

namespace pm2 {

// The entry's face and size over `fallback`: an empty face keeps the
// fallback's family, a zero height its size.
QFont FontOfEntry(const WindowFont& entry, const QFont& fallback);
QColor ColourOfRecord(uint32_t bgr);
// The fixed-pitch font the windows use when the user chose none.
QFont WindowFixedFont();

}  // namespace pm2
