// Scrolling while a drag hovers near an edge of an editor window: which
// way the point asks to scroll, and the clock that lets the first step
// wait a little and the next ones follow at a steady interval.
#pragma once

#include <cstdint>

namespace pm2 {

// A scroll code: the low byte horizontal (0 left, 1 right, 0xFF none), the
// high byte vertical (0 up, 1 down, 0xFF none).
constexpr uint16_t kNoDragScroll = 0xFFFF;

// The code of a point of a client area `width` x `height`: a point inside
// the area but within `inset` pixels of an edge scrolls towards that edge.
uint16_t DragScrollCode(int x, int y, int width, int height, int inset);
// The halves of a code as the engine's scroll requests (-1 none, 0 towards
// the start, 1 towards the end).
inline int DragScrollHorizontal(uint16_t code) { return (code & 0xFF) == 0xFF ? -1 : code & 0xFF; }
inline int DragScrollVertical(uint16_t code) { return (code >> 8) == 0xFF ? -1 : code >> 8; }

// Defaults of the scroll zone and its timing.
constexpr int kDragScrollInset = 11;
constexpr int kDragScrollDelayMs = 50;
constexpr int kDragScrollIntervalMs = 50;

class DragScrollClock {
 public:
  explicit DragScrollClock(int delayMs = kDragScrollDelayMs, int intervalMs = kDragScrollIntervalMs)
      : m_delayMs(delayMs), m_intervalMs(intervalMs) {}
  // A tick at `nowMs` with the current code: true when one scroll step is
  // due. A new code starts the delay again; none stops the clock.
  bool Tick(uint16_t code, int64_t nowMs);
  void Reset() { m_code = kNoDragScroll; }
  uint16_t Code() const { return m_code; }

 private:
  int m_delayMs;
  int m_intervalMs;
  uint16_t m_code = kNoDragScroll;
  int64_t m_startMs = 0;
  int m_waitMs = 0;
};

}  // namespace pm2
