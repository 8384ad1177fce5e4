#include "editor/engine/drag_scroll.h"

namespace pm2 {

uint16_t DragScrollCode(int x, int y, int width, int height, int inset) {
  if (x < 0 || y < 0 || x >= width || y >= height) return kNoDragScroll;
  uint16_t h = x < inset ? 0 : x >= width - inset ? 1 : 0xFF;
  uint16_t v = y < inset ? 0 : y >= height - inset ? 1 : 0xFF;
  return uint16_t(v << 8 | h);
}

bool DragScrollClock::Tick(uint16_t code, int64_t nowMs) {
  if (code == kNoDragScroll) {
    m_code = code;
    return false;
  }
  if (code != m_code) {
    m_code = code;
    m_startMs = nowMs;
    m_waitMs = m_delayMs;
    return false;
  }
  if (nowMs - m_startMs <= m_waitMs) return false;
  m_startMs = nowMs;
  m_waitMs = m_intervalMs;
  return true;
}

}  // namespace pm2
