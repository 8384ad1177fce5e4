#include "shell/app/window_registry.h"

namespace pm2 {

void WindowRegistry::Forget(WindowSlot slot, const void* window) {
  if (m_windows[Index(slot)] == window) m_windows[Index(slot)] = nullptr;
}

}  // namespace pm2
