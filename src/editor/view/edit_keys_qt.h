// Qt's key codes and modifiers as the engine's key table names them.
#pragma once

#include <cstdint>

#include "editor/engine/edit_commands.h"

namespace pm2 {

// The engine's key for a Qt key code (kKeyNone when the table has none).
EditKey EditKeyFromQt(int qtKey);
// EditKeyMod bits for Qt keyboard modifiers (Shift, Control, Alt).
uint32_t EditModsFromQt(unsigned qtModifiers);

}  // namespace pm2
