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

// Whether a stop on the UART stand-in's data register was the program's
// read of the key armed in it (`cell`). A read finds the armed value, so a
// stop with another value is a write; the decoded instruction only tells a
// read from a write of that same value. It is not trusted further: right
// after the target was interrupted to arm a key, the word before the next
// stop's address was seen to be a load while the program wrote a letter.
bool UartStopIsRead(uint8_t value, uint8_t cell, MemAccess decoded);

}  // namespace pm2::gdb
