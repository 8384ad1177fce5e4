#include "debugger/model/memory_space.h"

namespace pm2 {

namespace {

constexpr uint64_t kSpaceEnd = uint64_t(1) << 32;

}  // namespace

uint32_t MemSpaceAddress(uint64_t base, uint64_t offset) { return uint32_t(base + offset); }

int MemReadSpace(const MemSpaceReader& read, uint32_t first, int count, uint8_t* out) {
  if (!read || count <= 0) return 0;
  const uint64_t toEnd = kSpaceEnd - first;
  const uint32_t head = uint32_t(uint64_t(count) < toEnd ? uint64_t(count) : toEnd);
  if (read(first, head, out) != 0) return 0;
  if (head == uint32_t(count)) return count;
  return read(0, uint32_t(count) - head, out + head) == 0 ? count : int(head);
}

}  // namespace pm2
