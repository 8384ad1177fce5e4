#pragma once
// Qt keys as virtual-key codes: what a key-down notification, a hot key or
// an accelerator record carries for the key that was pressed.

#include <Qt>

namespace pm2 {

// The virtual key of a Qt key; 0 for keys without one and for modifiers
// alone. `keypad` picks the number-pad codes for digits and operators.
int VirtualKeyOf(int qtKey, bool keypad);
// The key a key press comes from: as VirtualKeyOf, and for a character
// typed with Shift ("!", "_", "+", ":") the key that carries it on the
// usual keyboard ('1', the minus key, the equals key, the semicolon key);
// 0 for modifiers alone and keys with no code.
int PressedVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace pm2
