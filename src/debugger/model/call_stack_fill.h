// The call stack window's rows without a window: one row per active call
// from the driver's call stack in the record, innermost first, with the
// called function ("000: main") and the calling place, their texts kept in
// one text area of 8,192 bytes ("..." once it is full).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2 {

inline constexpr int kCallStackMaxRows = 256;
inline constexpr int kCallStackTextArea = 8192;

struct CallStackRow {
  uint32_t calling = 0;   // the calling place's address (0: none)
  uint32_t called = 0;    // the called function's address
  std::string callingText;
  std::string calledText; // "%03d: " and the function's name
};

// The text area: texts are kept while they fit, "..." afterwards.
class CallStackTextArea {
 public:
  // The text as stored: the text itself, or "..." when the fill count plus
  // its length reaches 8,189 or more.
  std::string Store(const std::string& text);
  int Fill() const { return m_fill; }
  void Clear() { m_fill = 0; }

 private:
  int m_fill = 0;
};

// Reads the record's call stack (after DbgControl 0x1001, which the caller
// runs) and names the addresses through DbgEnum 9 or DbgFormatAddress.
std::vector<CallStackRow> FillCallStack(DebugInterface& record);

}  // namespace pm2
