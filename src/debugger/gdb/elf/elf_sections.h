// The memory a program occupies, read from its ELF file's section
// headers: the allocated sections with their access (read always, write
// for writable sections, execute for code). The memory map dialog lists
// them for a GDB target, whose servers seldom describe their memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pm2::gdb {

// Little-endian fields of an image; the caller has checked the bounds.
uint32_t ElfU32(const std::string& bytes, std::size_t at);
uint16_t ElfU16(const std::string& bytes, std::size_t at);

// One section header of a 32-bit little-endian ELF image. A section whose
// contents lie outside the image keeps its header but has offset and size 0.
struct ElfSectionHeader {
  uint32_t name = 0, type = 0, flags = 0, addr = 0, offset = 0, size = 0, link = 0;
  uint32_t memorySize = 0;  // the size as the header gives it, also for contents not in the image
};
// The section headers; empty for anything but a 32-bit little-endian ELF
// image, or one whose header table is cut short.
std::vector<ElfSectionHeader> ElfSectionHeaders(const std::string& bytes);
// The section-name string table's offset and size (0, 0 without one).
std::pair<std::size_t, std::size_t> ElfSectionNames(const std::string& bytes,
                                                    const std::vector<ElfSectionHeader>& sections);
// The whole file; empty when it cannot be read.
std::string ElfFileBytes(const std::string& path);

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
