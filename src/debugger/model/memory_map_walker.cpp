#include "debugger/model/memory_map_walker.h"

#include <cstdio>

namespace pm2 {

const char* MapAccessName(unsigned bits) {
  static const char* const kNames[] = {"clear",      "exec",       "read",       "exec read",
                                       "write",      "exec write", "read write", "exec read write"};
  return kNames[bits & 7];
}

std::string MapCommand(const std::string& range, bool read, bool write, bool exec, bool vnm) {
  const unsigned bits = (exec ? 1u : 0u) | (read ? 2u : 0u) | (write ? 4u : 0u);
  return "Map " + range.substr(0, 64) + " " + MapAccessName(bits) + " " + (vnm ? "VNM" : "") + "\n";
}

std::string MapClearCommand(const std::string& line) {
  // "001:  start - end  access": the part after the number and its two blanks.
  std::size_t colon = line.find(':');
  if (colon == std::string::npos || colon + 3 > line.size()) return {};
  std::string range = line.substr(colon + 3);
  for (char& c : range)
    if (c == '-') c = ',';
  std::size_t dbl = range.find("  ");
  if (dbl != std::string::npos) range.resize(dbl);
  if (range.find_first_not_of(' ') == std::string::npos) return {};
  return "Map " + range + " Clear\n";
}

const char* MapExampleText(int family) {
  switch (family) {
    case 0: return " Map Range - Example:  X:0x8000, X:0xFFFF";
    case 1: return " Map Range - Example:  0x18000, 0x1FFFF";
    case 2: return " Map Range - Example:  0x40000, 0x4FFFF";
    default: return " Map Range - Example:  0x40000000, 0x40007FFF";
  }
}

namespace {

// A 64 K space's code to its base; false when the code lists nothing.
bool CodeToBase(int family, int variant, uint32_t code, uint32_t* base) {
  if (family == 0 && variant == 2) {
    const uint32_t top = code >> 24;
    if (top == 1) code = 1;
    else if (top == 0xFF) code = 0xFF;
    else if (top == 0xF3) return false;
    *base = code << 16;
    return true;
  }
  if (family == 0) {
    if (code >> 24) {
      *base = code;
      return true;
    }
    if (code == 0xFF || code == 1) {
      *base = code << 24;
      return true;
    }
    if (code >= 0x80 && code <= 0x9F) {
      *base = (code | 0xFFFFFF00u) << 16;
      return true;
    }
    return false;
  }
  *base = code << 16;
  return true;
}

}  // namespace

std::vector<MapSpace> MapSpaces(int family, int variant) {
  std::vector<MapSpace> out;
  auto wide = [&](uint32_t base) {
    uint32_t cells = 256;
    if (base == 0x40000000 && variant == 4) cells = 0x100000;
    else if (base == 0x40000000 && variant == 5) cells = 0x1000000;
    else if (base == 0x41000000) cells = 0x10000;
    out.push_back(MapSpace{base, cells, true});
  };
  std::vector<uint32_t> codes;
  if (family == 0 && variant == 4) {
    wide(0x42000000);
    wide(0x41000000);
    wide(0x40000000);
    return out;
  }
  if (family == 0 && variant == 5) {
    wide(0x40000000);
    return out;
  }
  if (family == 2) {
    for (uint32_t n = 0; n < 256; ++n) codes.push_back(n);
  } else if (family == 0 && variant == 2) {
    codes = {0xFF, 0x01};
    for (uint32_t n = 0x100; n <= 0x10F; ++n) codes.push_back(n);
  } else if (family <= 1) {
    codes.push_back(0xF3000000u);
    for (uint32_t n = 0; n < 256; ++n) codes.push_back((n | 0xFFFFFF00u) << 16);
    for (uint32_t n = 0; n < 256; ++n) codes.push_back((n | 0x100u) << 16);
    for (uint32_t n = 0x80; n <= 0x9E; ++n) codes.push_back(n);
    for (uint32_t n = 0xF8; n <= 0xFB; ++n) codes.push_back(n << 24);
  } else {
    // ARM: the driver answers for the 64 K spaces of the 32-bit address
    // range it maps; the spaces it does not know come back empty.
    for (uint32_t n = 0; n < 0x10000; ++n) codes.push_back(n);
  }
  for (uint32_t code : codes) {
    uint32_t base = 0;
    if (CodeToBase(family, variant, code, &base)) out.push_back(MapSpace{base, 0x10000, false});
  }
  return out;
}

std::vector<MapRun> WalkMapRuns(const uint16_t* attrs, uint32_t count, uint32_t base) {
  std::vector<MapRun> runs;
  if (!attrs) return runs;
  uint32_t i = 0;
  while (i < count) {
    const uint16_t a = attrs[i] & kMapAttrMask;
    if (!a) {
      ++i;
      continue;
    }
    uint32_t j = i + 1;
    while (j < count && (attrs[j] & kMapAttrMask) == a) ++j;
    runs.push_back(MapRun{base | i, base | (j - 1), a});
    i = j;
  }
  return runs;
}

std::string MapRunLine(int number, const MapRun& run, bool wide, const std::function<std::string(uint32_t)>& addressText) {
  auto text = [&](uint32_t a) {
    if (addressText) return addressText(a);
    char b[16];
    std::snprintf(b, sizeof b, "0x%08X", a);
    return std::string(b);
  };
  const char* vnm = (run.attr & 0x800) ? (wide ? "VNM" : "vnm") : "";
  char buf[256];
  std::snprintf(buf, sizeof buf, "%03d:  %s - %s  %s %s", number, text(run.start).c_str(), text(run.end).c_str(),
                MapAccessName(run.attr & 7), vnm);
  return buf;
}

}  // namespace pm2
