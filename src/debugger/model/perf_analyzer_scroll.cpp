#include "debugger/model/perf_analyzer_scroll.h"

#include <algorithm>

namespace pm2 {

int PaMaxTop(int rows, int visible) { return std::max(0, rows - std::max(1, visible)); }

PaScroll PaKeyMove(PaScroll s, PaKey key, int rows, int visible) {
  visible = std::max(1, visible);
  const int maxTop = PaMaxTop(rows, visible);
  switch (key) {
    case PaKey::Up:
      if (s.selected > 0)
        --s.selected;
      else if (s.top > 0)
        --s.top;
      break;
    case PaKey::Down:
      if (s.selected + 1 < visible && s.top + s.selected + 1 < rows)
        ++s.selected;
      else if (s.top < maxTop)
        ++s.top;
      break;
    case PaKey::PageUp:
      if (s.top == 0)
        s.selected = 0;
      else
        s.top = std::max(0, s.top - visible);
      break;
    case PaKey::PageDown:
      if (rows > visible) {
        if (visible >= 2) s.top = std::min(maxTop, s.top + visible);
      } else {
        s.selected = std::max(0, rows - 1);
      }
      break;
  }
  return s;
}

}  // namespace pm2
