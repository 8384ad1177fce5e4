#include "debugger/gdb/elf/elf_sections.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace pm2::gdb {

namespace {

constexpr uint32_t kShfWrite = 1, kShfAlloc = 2, kShfExec = 4;

}  // namespace

uint32_t ElfU32(const std::string& b, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(b[at + std::size_t(i)]);
  return v;
}
uint16_t ElfU16(const std::string& b, std::size_t at) { return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8)); }

std::vector<ElfSectionHeader> ElfSectionHeaders(const std::string& b) {
  std::vector<ElfSectionHeader> out;
  if (b.size() < 52 || b.compare(0, 4, "\x7f" "ELF") != 0 || b[4] != 1 || b[5] != 1) return out;
  const uint32_t shoff = ElfU32(b, 0x20);
  const uint16_t shentsize = ElfU16(b, 0x2E), shnum = ElfU16(b, 0x30);
  if (shentsize < 40 || shoff >= b.size() || uint64_t(shoff) + uint64_t(shnum) * shentsize > b.size()) return out;
  out.resize(shnum);
  for (uint32_t i = 0; i < shnum; ++i) {
    const std::size_t h = std::size_t(shoff) + std::size_t(i) * shentsize;
    ElfSectionHeader& s = out[i];
    s.name = ElfU32(b, h);
    s.type = ElfU32(b, h + 4);
    s.flags = ElfU32(b, h + 8);
    s.addr = ElfU32(b, h + 12);
    s.offset = ElfU32(b, h + 16);
    s.size = s.memorySize = ElfU32(b, h + 20);
    s.link = ElfU32(b, h + 24);
    if (s.offset > b.size() || s.size > b.size() - s.offset) s.offset = s.size = 0;
  }
  return out;
}

std::pair<std::size_t, std::size_t> ElfSectionNames(const std::string& b, const std::vector<ElfSectionHeader>& sections) {
  if (b.size() < 52) return {0, 0};
  const uint16_t shstrndx = ElfU16(b, 0x32);
  if (shstrndx >= sections.size()) return {0, 0};
  return {sections[shstrndx].offset, sections[shstrndx].size};
}

std::string ElfFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return {};
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::vector<ElfRegion> ElfAllocatedSections(const std::string& b) {
  std::vector<ElfRegion> out;
  const std::vector<ElfSectionHeader> sections = ElfSectionHeaders(b);
  const auto [strOff, strSize] = ElfSectionNames(b, sections);
  for (const ElfSectionHeader& h : sections) {
    const uint32_t size = h.memorySize;
    if (!(h.flags & kShfAlloc) || size == 0 || size > (256u << 20)) continue;
    ElfRegion r;
    r.start = h.addr;
    r.size = size;
    r.attr = uint16_t(2 | ((h.flags & kShfWrite) ? 4 : 0) | ((h.flags & kShfExec) ? 1 : 0));
    if (strSize && h.name < strSize) {
      const char* s = b.data() + strOff + h.name;
      r.name.assign(s, strnlen(s, strSize - h.name));
    }
    out.push_back(r);
  }
  return out;
}

std::vector<ElfRegion> ElfAllocatedSectionsOfFile(const std::string& path) { return ElfAllocatedSections(ElfFileBytes(path)); }

std::vector<uint16_t> ElfSpaceAttributes(const std::vector<ElfRegion>& regions, uint32_t base) {
  std::vector<uint16_t> attrs;
  const uint64_t spaceEnd = uint64_t(base) + 0x10000;
  for (const ElfRegion& r : regions) {
    const uint64_t from = std::max<uint64_t>(r.start, base);
    const uint64_t to = std::min<uint64_t>(uint64_t(r.start) + r.size, spaceEnd);
    if (from >= to) continue;
    if (attrs.empty()) attrs.assign(0x10000, 0);
    for (uint64_t a = from; a < to; ++a) attrs[std::size_t(a - base)] |= r.attr;
  }
  return attrs;
}

}  // namespace pm2::gdb
