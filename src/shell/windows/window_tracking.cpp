#include "shell/windows/window_tracking.h"

#include <QObject>

namespace pm2 {

void TrackWindow(WindowRegistry& registry, WindowSlot slot, QObject* window) {
  registry.Set(slot, window);
  // The registry outlives every window of the program.
  QObject::connect(window, &QObject::destroyed, [&registry, slot, window] {
    registry.Forget(slot, window);
  });
}

}  // namespace pm2
