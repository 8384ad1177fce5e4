#include "debugger/gdb/elf/elf_arm_code.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "debugger/gdb/elf/elf_sections.h"

namespace pm2::gdb {

namespace {

constexpr uint32_t kShtSymtab = 2, kShtArmAttributes = 0x70000003;
constexpr uint8_t kSttFunc = 2;
constexpr uint32_t kShfExecInstr = 0x4;
constexpr uint32_t kTagFile = 1, kTagCpuArch = 6, kTagCpuArchProfile = 7;

using Section = ElfSectionHeader;

// A ULEB128 number at *at inside [.., end); false past the end.
bool Uleb(const std::string& b, std::size_t* at, std::size_t end, uint32_t* out) {
  uint32_t v = 0;
  for (int shift = 0; *at < end && shift < 35; shift += 7) {
    const uint8_t c = uint8_t(b[(*at)++]);
    v |= uint32_t(c & 0x7F) << shift;
    if (!(c & 0x80)) {
      *out = v;
      return true;
    }
  }
  return false;
}

// Skips a NUL-terminated string; false past the end.
bool SkipString(const std::string& b, std::size_t* at, std::size_t end) {
  while (*at < end && b[*at]) ++*at;
  if (*at >= end) return false;
  ++*at;
  return true;
}

// The CPU architecture of the file-wide "aeabi" attributes.
std::string ArchOfAttributes(const std::string& b, const Section& s) {
  std::size_t at = s.offset;
  const std::size_t end = std::size_t(s.offset) + s.size;
  if (at >= end || b[at] != 'A') return {};
  ++at;
  while (at + 4 <= end) {
    const uint32_t length = ElfU32(b, at);
    if (length < 5 || length > end - at) return {};
    const std::size_t subEnd = at + length;
    std::size_t p = at + 4;
    const bool aeabi = b.compare(p, 6, std::string("aeabi\0", 6)) == 0;
    if (!SkipString(b, &p, subEnd)) return {};
    while (aeabi && p + 5 <= subEnd) {
      const uint32_t tag = uint8_t(b[p]);
      const uint32_t size = ElfU32(b, p + 1);
      if (size < 5 || size > subEnd - p) return {};
      const std::size_t tagEnd = p + size;
      if (tag == kTagFile) {
        std::size_t q = p + 5;
        uint32_t arch = 0, profile = 0;
        bool hasArch = false;
        while (q < tagEnd) {
          uint32_t attribute = 0, value = 0;
          if (!Uleb(b, &q, tagEnd, &attribute)) break;
          // Strings: tags 4, 5, 67 and the odd ones from 32 up (32 itself
          // is a number and a string).
          const bool text = attribute == 4 || attribute == 5 || attribute == 67 || (attribute > 32 && attribute % 2);
          if (attribute == 32 && !Uleb(b, &q, tagEnd, &value)) break;
          if (text || attribute == 32) {
            if (!SkipString(b, &q, tagEnd)) break;
            continue;
          }
          if (!Uleb(b, &q, tagEnd, &value)) break;
          if (attribute == kTagCpuArch) {
            arch = value;
            hasArch = true;
          } else if (attribute == kTagCpuArchProfile) {
            profile = value;
          }
        }
        if (hasArch) return ArmMarchName(arch, char(profile));
      }
      p = tagEnd;
    }
    at = subEnd;
  }
  return {};
}

}  // namespace

std::string ArmMarchName(uint32_t cpuArch, char profile) {
  static const char* const kNames[] = {"",         "armv4",   "armv4t",  "armv5t",       "armv5te",
                                       "armv5tej", "armv6",   "armv6kz", "armv6t2",      "armv6k",
                                       "armv7",    "armv6-m", "armv6s-m", "armv7e-m",    "armv8-a",
                                       "",         "armv8-m.base", "armv8-m.main"};
  if (cpuArch == 10) return profile == 'M' ? "armv7-m" : profile == 'R' ? "armv7-r" : "armv7-a";
  if (cpuArch == 21) return "armv8.1-m.main";
  return cpuArch < std::size(kNames) ? kNames[cpuArch] : "";
}

ElfArmCode ElfArmCode::FromBytes(const std::string& b) {
  ElfArmCode out;
  const std::vector<Section> sections = ElfSectionHeaders(b);
  for (const Section& s : sections) {
    if (s.type == kShtArmAttributes && out.m_arch.empty()) out.m_arch = ArchOfAttributes(b, s);
    if ((s.flags & kShfExecInstr) && s.memorySize > 0 && s.addr + uint64_t(s.memorySize) <= 0x100000000ull)
      out.m_code.push_back({s.addr, s.addr + s.memorySize - 1});
    if (s.type != kShtSymtab || s.link >= sections.size()) continue;
    const Section& names = sections[s.link];
    for (std::size_t at = s.offset; at + 16 <= std::size_t(s.offset) + s.size; at += 16) {
      const uint32_t nameAt = ElfU32(b, at), value = ElfU32(b, at + 4), size = ElfU32(b, at + 8);
      const uint8_t info = uint8_t(b[at + 12]);
      const uint16_t section = ElfU16(b, at + 14);
      if (nameAt >= names.size) continue;
      // The tools mark the debug sections' contents too ("$d" in
      // .debug_frame): only a mark in a section of code is about code.
      const bool inCode = section < sections.size() && (sections[section].flags & kShfExecInstr);
      const char* name = b.data() + names.offset + nameAt;
      const std::size_t length = strnlen(name, names.size - nameAt);
      // "$a", "$t", "$d", also with a ".suffix".
      if (length >= 2 && name[0] == '$' && std::strchr("atd", name[1]) && name[1] && (length == 2 || name[2] == '.')) {
        if (inCode) out.m_marks.push_back({value, name[1]});
      } else if ((info & 0xF) == kSttFunc)
        out.m_functions.push_back({value & ~1u, size, (value & 1) != 0});
    }
  }
  std::stable_sort(out.m_marks.begin(), out.m_marks.end(),
                   [](const Mark& x, const Mark& y) { return x.address < y.address; });
  std::sort(out.m_code.begin(), out.m_code.end(), [](const Range& x, const Range& y) { return x.start < y.start; });
  return out;
}

ElfArmCode ElfArmCode::FromFile(const std::string& path) { return FromBytes(ElfFileBytes(path)); }

bool ElfArmCode::ThumbAt(uint32_t address) const {
  // The function around the address, when the marks leave it open.
  for (const Function& f : m_functions)
    if (address >= f.start && address - f.start < std::max<uint32_t>(f.size, 1)) {
      auto mark = std::upper_bound(m_marks.begin(), m_marks.end(), address,
                                   [](uint32_t a, const Mark& m) { return a < m.address; });
      if (mark == m_marks.begin() || std::prev(mark)->address < f.start) return f.thumb;
      break;
    }
  auto mark = std::upper_bound(m_marks.begin(), m_marks.end(), address,
                               [](uint32_t a, const Mark& m) { return a < m.address; });
  return mark != m_marks.begin() && std::prev(mark)->kind == 't';
}

bool ElfArmCode::DataAt(uint32_t address) const {
  auto mark = std::upper_bound(m_marks.begin(), m_marks.end(), address,
                               [](uint32_t a, const Mark& m) { return a < m.address; });
  if (mark == m_marks.begin() || std::prev(mark)->kind != 'd') return false;
  // The pool at the end of the last function ends with its section: the
  // memory beyond (RAM, another program's code) is no pool.
  const uint32_t markAt = std::prev(mark)->address;
  for (const Range& r : m_code)
    if (markAt >= r.start && markAt <= r.end) return address <= r.end;
  return true;
}

uint32_t ElfArmCode::NextChange(uint32_t address) const {
  uint32_t next = 0xFFFFFFFFu;
  auto mark = std::upper_bound(m_marks.begin(), m_marks.end(), address,
                               [](uint32_t a, const Mark& m) { return a < m.address; });
  if (mark != m_marks.end()) next = mark->address;
  for (const Range& r : m_code) {
    if (r.start > address) next = std::min(next, r.start);
    if (r.end >= address && r.end < 0xFFFFFFFFu) next = std::min(next, r.end + 1);
  }
  return next;
}

}  // namespace pm2::gdb
