#include "shell/frame/key_indicators.h"

#include <algorithm>

namespace pm2 {

KeyLocks KeyLocksFromLedMask(std::uint32_t ledMask) {
  KeyLocks k;
  k.caps = (ledMask & 0x1) != 0;
  k.num = (ledMask & 0x2) != 0;
  k.scroll = (ledMask & 0x4) != 0;
  return k;
}

const std::vector<KeyIndicatorPane>& KeyIndicatorPanes() {
  static const std::vector<KeyIndicatorPane> kPanes = {
      {59137, &KeyLocks::caps},
      {59138, &KeyLocks::num},
      {59139, &KeyLocks::scroll},
  };
  return kPanes;
}

bool IsKeyIndicatorPane(unsigned id) {
  const auto& panes = KeyIndicatorPanes();
  return std::any_of(panes.begin(), panes.end(), [id](const KeyIndicatorPane& p) { return p.id == id; });
}

bool KeyIndicatorLit(unsigned id, const std::optional<KeyLocks>& locks) {
  if (!locks) return false;
  for (const KeyIndicatorPane& p : KeyIndicatorPanes())
    if (p.id == id) return (*locks).*p.lock;
  return false;
}

}  // namespace pm2
