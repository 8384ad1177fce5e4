#pragma once
// Qt key events as hot-key values (virtual key in the low byte, modifier
// flags in the next), so the key-assignment dialog and the frame's
// accelerator matching speak the shortcut table's language.

#include <Qt>
#include <cstdint>
#include <vector>

#include "toolkit/controls/virtual_key.h"
#include "toolkit/menus/accel.h"

namespace pm2 {

// The hot-key value of a key with its modifiers; 0 when the key has no
// virtual key.
std::uint32_t HotKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace pm2

namespace pm2 {

// The command a key press runs in `table` (0 when none): key records match
// the virtual key with exactly the pressed Ctrl, Alt and Shift; character
// records match the typed character, Alt when the record says so.
std::uint16_t MatchKeyPress(const std::vector<ACCEL>& table, int qtKey, Qt::KeyboardModifiers modifiers,
                            char typed);

}  // namespace pm2
