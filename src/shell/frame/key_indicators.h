// The key indicators of the status bar (CAP, NUM, SCRL): which lock keys
// are on, as the X server's keyboard tells it, and the pane of each. A
// pane shows its text while its lock is on and none while it is off or
// the lock cannot be read (no X server: another window platform, or none).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace pm2 {

struct KeyLocks {
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

// The locks from the keyboard's LED mask of the X protocol (bit n - 1 is
// LED n; the X keyboard extension's standard layouts put Caps Lock on LED
// 1, Num Lock on 2 and Scroll Lock on 3).
KeyLocks KeyLocksFromLedMask(std::uint32_t ledMask);

// An indicator pane's command id and the lock it shows.
struct KeyIndicatorPane {
  unsigned id = 0;
  bool KeyLocks::*lock = nullptr;
};
const std::vector<KeyIndicatorPane>& KeyIndicatorPanes();
bool IsKeyIndicatorPane(unsigned id);

// Whether pane `id` shows its text: its lock is on. Unknown locks show none.
bool KeyIndicatorLit(unsigned id, const std::optional<KeyLocks>& locks);

}  // namespace pm2
