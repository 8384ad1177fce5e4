// The memory a program occupies, read from its ELF file's section
// headers: the allocated sections with their access (read always, write
// for writable sections, execute for code). The memory map dialog lists
// them for a GDB target, whose servers seldom describe their memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2::gdb {

struct ElfRegion {
  uint32_t start = 0;
  uint32_t size = 0;
  uint16_t attr = 0;  // bit 0 execute, bit 1 read, bit 2 write
  std::string name;
};

// The allocated sections of a 32-bit little-endian ELF image; empty for
// anything else or a file cut short. Sizes above 256 MB are not taken.
std::vector<ElfRegion> ElfAllocatedSections(const std::string& bytes);
std::vector<ElfRegion> ElfAllocatedSectionsOfFile(const std::string& path);

// The attribute words of one 64 K space (base: its first address) for the
// regions; empty when no region meets the space.
std::vector<uint16_t> ElfSpaceAttributes(const std::vector<ElfRegion>& regions, uint32_t base);

}  // namespace pm2::gdb
