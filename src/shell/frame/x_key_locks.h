// Reads the lock keys' state from the X server the program shows its
// windows on (its keyboard's LEDs); nothing when the program does not run
// on an X server or the server does not answer.
#pragma once

#include <optional>

#include "shell/frame/key_indicators.h"

typedef struct xcb_connection_t xcb_connection_t;

namespace pm2 {

std::optional<KeyLocks> ReadKeyLocks();
// The same through a connection of the caller's.
std::optional<KeyLocks> ReadKeyLocks(xcb_connection_t* connection);

}  // namespace pm2
