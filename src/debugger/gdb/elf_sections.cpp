#include "debugger/gdb/elf_sections.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace pm2::gdb {

namespace {

uint32_t U32(const std::string& b, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(b[at + std::size_t(i)]);
  return v;
}
uint16_t U16(const std::string& b, std::size_t at) { return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8)); }

constexpr uint32_t kShfWrite = 1, kShfAlloc = 2, kShfExec = 4;
constexpr uint32_t kShtNobits = 8;

}  // namespace

std::vector<ElfRegion> ElfAllocatedSections(const std::string& b) {
  std::vector<ElfRegion> out;
  if (b.size() < 52 || b.compare(0, 4, "\x7f" "ELF") != 0 || b[4] != 1 || b[5] != 1) return out;
  const uint32_t shoff = U32(b, 0x20);
  const uint16_t shentsize = U16(b, 0x2E), shnum = U16(b, 0x30), shstrndx = U16(b, 0x32);
  if (shentsize < 40 || shoff >= b.size() || uint64_t(shoff) + uint64_t(shnum) * shentsize > b.size()) return out;
  auto header = [&](uint32_t i) { return std::size_t(shoff) + std::size_t(i) * shentsize; };
  std::size_t strOff = 0, strSize = 0;
  if (shstrndx < shnum) {
    strOff = U32(b, header(shstrndx) + 16);
    strSize = U32(b, header(shstrndx) + 20);
    if (strOff > b.size() || strSize > b.size() - strOff) strOff = strSize = 0;
  }
  for (uint32_t i = 0; i < shnum; ++i) {
    const std::size_t h = header(i);
    const uint32_t flags = U32(b, h + 8), addr = U32(b, h + 12), size = U32(b, h + 20);
    (void)kShtNobits;
    if (!(flags & kShfAlloc) || size == 0 || size > (256u << 20)) continue;
    ElfRegion r;
    r.start = addr;
    r.size = size;
    r.attr = uint16_t(2 | ((flags & kShfWrite) ? 4 : 0) | ((flags & kShfExec) ? 1 : 0));
    const uint32_t nameAt = U32(b, h);
    if (strSize && nameAt < strSize) {
      const char* s = b.data() + strOff + nameAt;
      r.name.assign(s, strnlen(s, strSize - nameAt));
    }
    out.push_back(r);
  }
  return out;
}

std::vector<ElfRegion> ElfAllocatedSectionsOfFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return {};
  const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  return ElfAllocatedSections(bytes);
}

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
