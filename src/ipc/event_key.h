// The identification of an event type: (group, number), ordered by group
// then number, both unsigned.
#pragma once

#include <compare>
#include <cstdint>

namespace pm2 {

struct EventKey {
  uint32_t group = 0;
  uint32_t number = 0;
  friend auto operator<=>(const EventKey&, const EventKey&) = default;
};

}  // namespace pm2
