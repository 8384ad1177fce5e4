#include "browser/browse_records.h"

namespace pm2 {

bool IsModuleStartType(uint8_t type) {
  static constexpr uint8_t kStarts[] = {0x02, 0x2E, 0x70, 0x82, 0x8A, 0xC4};
  for (uint8_t t : kStarts)
    if (t == type) return true;
  return false;
}

}  // namespace pm2
