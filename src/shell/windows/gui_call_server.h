// What the GUI thread does while it waits for a worker that may be waiting
// for it: the calls queued for the GUI thread's objects (notifications sent
// or posted through the hub, message boxes asked from a worker, calls run on
// the GUI thread) are delivered in the order they were made. Input, timers
// and repaints stay queued. Called on another thread it does nothing.
#pragma once

namespace pm2 {

void ServePendingGuiCalls();

}  // namespace pm2
