// What an ARM program's ELF file says about its code for an assembler:
// which instruction set the code at an address is in (the mapping symbols
// "$a", "$t" and "$d" the tools put where ARM code, Thumb code and data
// begin; without one there, a Thumb function's odd address), and the
// architecture it was built for (the "aeabi" build attributes' CPU
// architecture, as the assembler's -march name).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2::gdb {

class ElfArmCode {
 public:
  // The code of a 32-bit little-endian ELF image; empty for anything else
  // or a file cut short.
  static ElfArmCode FromBytes(const std::string& bytes);
  static ElfArmCode FromFile(const std::string& path);

  // True when the code at `address` is Thumb code.
  bool ThumbAt(uint32_t address) const;
  // True when a "$d" mark says the bytes at `address` are data (a literal
  // pool inside a function), not code. A mark holds to the end of its
  // section of code at most.
  bool DataAt(uint32_t address) const;
  // The first address after `address` where a mark or the end of a section
  // of code may change what the bytes are; 0xFFFFFFFF when none follows.
  uint32_t NextChange(uint32_t address) const;
  // "armv4t", "armv7-m", ...; "" when the file names none (the assembler's default).
  const std::string& Arch() const { return m_arch; }

  struct Mark {
    uint32_t address = 0;
    char kind = 'a';  // 'a' ARM, 't' Thumb, 'd' data
  };
  struct Function {
    uint32_t start = 0, size = 0;
    bool thumb = false;
  };

 private:
  std::vector<Mark> m_marks;          // by address
  std::vector<Function> m_functions;  // where no mark stands
  struct Range {
    uint32_t start = 0, end = 0;
  };
  std::vector<Range> m_code;  // the sections of code, by address
  std::string m_arch;
};

// The -march name of a Tag_CPU_arch value (and Tag_CPU_arch_profile for
// v7: 'A', 'R' or 'M'); "" for none known.
std::string ArmMarchName(uint32_t cpuArch, char profile);

}  // namespace pm2::gdb
