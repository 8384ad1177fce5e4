// The message pump the debugger driver calls during long operations on the
// GUI thread: handles every pending event (input, timers, repaints, queued
// notifications) and returns when none is left.
#pragma once

namespace pm2 {

void PumpPendingMessages();

}  // namespace pm2
