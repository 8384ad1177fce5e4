// Whether the instruction that tripped a data watchpoint read or wrote
// memory. The target stops after the access, so the instruction lies just
// before the stop address: 4 bytes before in ARM state; 2 or 4 bytes before
// in Thumb state, where a 16-bit and a 32-bit instruction may both fit.
#pragma once

#include <cstdint>

namespace pm2::gdb {

enum class MemAccess { Unknown, Read, Write };

// One ARM-state instruction word.
MemAccess ArmAccess(uint32_t insn);
// A Thumb instruction by its first halfword (a 32-bit one's direction is
// all in its first half).
MemAccess ThumbAccess(uint16_t first);
// The halfword starts a 32-bit Thumb instruction.
bool IsThumb32Prefix(uint16_t halfword);
// The access of the instruction that ends where the target stopped:
// `before` holds the 4 bytes (little-endian) just below the stop address.
// In Thumb state a 16-bit load/store ending there and a 32-bit one starting
// 4 bytes below can both be read out of them; when they disagree the
// answer is Unknown.
MemAccess AccessBefore(bool thumb, const uint8_t before[4]);

}  // namespace pm2::gdb
