#pragma once
// The toolkit's XP look: one process-wide switch, set by the application at
// start-up and toggled by a command, read by buttons, toolbars, the bitmap
// manager and the bitmap menus at paint time.

namespace pm2 {

void SECSetXPLook(bool on);
bool SECIsXPLook();

}  // namespace pm2
