// Keeps a single-instance window in the application's window registry for
// as long as the window lives: recorded now, forgotten when it is destroyed.
#pragma once

#include "shell/app/window_registry.h"

class QObject;

namespace pm2 {

void TrackWindow(WindowRegistry& registry, WindowSlot slot, QObject* window);

}  // namespace pm2
