#include "shell/app/window_registry.h"

namespace pm2 {

void WindowRegistry::Forget(WindowSlot slot, const void* window) {
  if (m_windows[Index(slot)] == window) m_windows[Index(slot)] = nullptr;
}

void WindowRegistry::ForgetEverywhere(const void* window) {
  if (!window) return;
  for (void*& w : m_windows)
    if (w == window) w = nullptr;
}

}  // namespace pm2
