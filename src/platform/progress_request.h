// The status-bar progress request: six words, as the driver, the instance
// channel, the linkers' progress records and long operations hand it to
// service code 43. The short form of five fields that some callers knew is
// not used: this one record is the only form (kind 1 to 5, shown by the
// main frame's status bar).
#pragma once

#include <cstdint>

namespace pm2 {

enum ProgressKind : int32_t {
  kProgressStart = 1,      // label shown, range low..high, position low (style 256)
  kProgressEnd = 2,        // "Ready" after 200 ms, bar hidden
  kProgressPosition = 3,   // position raised to low, cut to high
  kProgressStartAlt = 4,   // as 1 with the second display style (512)
  kProgressPositionText = 5,  // as 3, and the bar shows the text
};

struct ProgressRequest {
  int32_t kind = 0;
  int32_t position = 0;
  int32_t low = 0;
  int32_t high = 0;
  const char* label = nullptr;  // null or empty: a default label
  const char* text = nullptr;
};

// Where a position request lands in the range a start request set: raised
// to low, cut to high.
inline int32_t ClampProgress(int32_t position, int32_t low, int32_t high) {
  if (position < low) position = low;
  if (position > high) position = high;
  return position;
}

}  // namespace pm2
