// The memory window's addresses in the targets' 32-bit address space: a
// page near its top wraps round to address 0, as the targets' own address
// arithmetic does, so every row is labelled and read as a 32-bit address.
#pragma once

#include <cstdint>
#include <functional>

namespace pm2 {

// The address `offset` bytes past `base`, round the 4 GB space.
uint32_t MemSpaceAddress(uint64_t base, uint64_t offset);

// A driver's read (DbgReadMemory): 0 when all `count` bytes were read.
using MemSpaceReader = std::function<int32_t(uint64_t address, uint32_t count, uint8_t* out)>;

// Reads `count` bytes from `first` into `out`. A driver reads no range that
// runs past the end of the space, so such a page is read in two parts: up
// to the end, then on from address 0. Returns the bytes at the start of
// `out` that hold what was read (the first part alone when the second
// cannot be read; 0 when the first cannot).
int MemReadSpace(const MemSpaceReader& read, uint32_t first, int count, uint8_t* out);

}  // namespace pm2
