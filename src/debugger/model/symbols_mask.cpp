#include "debugger/model/symbols_mask.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace pm2 {

std::string BoundedName(const char* text) {
  if (!text) return {};
  const void* end = std::memchr(text, 0, kSymbolNameMax);
  return std::string(text, end ? static_cast<const char*>(end) - text : kSymbolNameMax);
}

int CheckSymbolMask(const std::string& mask) {
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(mask[i]);
    if (std::isalnum(c) || c == '#' || c == '$' || c == '?' || c == '_') continue;
    if (c != '*') return int(i);
    if (i + 1 < mask.size() && (mask[i + 1] == '$' || mask[i + 1] == '*')) return int(i + 1);
  }
  return -1;
}

namespace {

bool Same(char a, char b, bool ignoreCase) {
  if (!ignoreCase) return a == b;
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

bool Match(const char* m, const char* n, bool ignoreCase, int depth) {
  if (depth > 64) return false;
  while (*m) {
    if (*m == '*') {
      ++m;
      if (!*m) return true;
      // Try every place the rest of the mask may start.
      for (const char* p = n; *p; ++p)
        if (Match(m, p, ignoreCase, depth + 1)) return true;
      return false;
    }
    if (!*n) return false;
    if (*m == '#') {
      if (!std::isdigit(static_cast<unsigned char>(*n))) return false;
    } else if (*m != '$' && !Same(*m, *n, ignoreCase)) {
      return false;
    }
    ++m;
    ++n;
  }
  return *n == 0;
}

std::string Fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* f, ...) {
  char buf[300];
  va_list ap;
  va_start(ap, f);
  std::vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  return buf;
}

const char* const kTypeNames[] = {"void",  "bit",   "char",  "uchar",   "int",    "uint",  "short",
                                  "ushort", "long", "ulong", "float",   "double", "pointer", "union",
                                  "struct", "funct", "string", "enum", "field"};
const char* const kQualifiers[] = {"", "near", "far", "huge", "xhuge"};

std::string TypeText(const DbgTypeRecord* t, int family, int depth) {
  if (!t || t->code > 18 || depth > 8) return {};
  const bool small = family <= 1;
  const char* qual = kQualifiers[t->qualifier <= 4 ? t->qualifier : 0];
  switch (t->code) {
    case 12: {
      if (t->isArray) {
        std::string s = "array";
        const uint32_t dims = t->dimensionCount > 8 ? 8 : t->dimensionCount;
        for (uint32_t i = 0; i < dims; ++i) s += Fmt("[%u]", t->dimensions[i]);
        return s + " of " + TypeText(t->element, family, depth + 1);
      }
      if (small) {
        static const struct {
          uint8_t space;
          const char* name;
        } kSpaces[] = {{1, "xdata ptr"}, {240, "data ptr"}, {242, "edata ptr"},
                       {243, "idata ptr"}, {254, "pdata ptr"}, {255, "code ptr"}};
        for (const auto& s : kSpaces)
          if (s.space == t->space) return s.name;
        static const char* const kSizes[] = {"?ptr?", "ptr1", "ptr2", "ptr3", "ptr4"};
        return kSizes[t->size <= 4 ? t->size : 0];
      }
      return Fmt("%s pointer", qual);
    }
    case 13:
    case 14: {
      const std::string tag = BoundedName(t->tag);
      return std::string(kTypeNames[t->code]) + (tag.empty() || tag[0] == '$' ? " <untagged>" : " " + tag);
    }
    case 15:
      return small ? "function" : Fmt("%s function", qual);
    default:
      return kTypeNames[t->code];
  }
}

const char* const kRegs8[] = {"R0", "R1", "R2", "R3", "R4", "R5", "R6", "R7"};
const char* const kRegs16[] = {"RL0", "RH0", "RL1", "RH1", "RL2", "RH2", "RL3", "RH3",
                               "RL4", "RH4", "RL5", "RH5", "RL6", "RH6", "RL7", "RH7"};
const char* const kRegsArm[] = {"R0", "R1", "R2", "R3", "R4", "R5", "R6", "R7"};

const char* RegName(int family, uint32_t n) {
  if (family == 2) return n < 16 ? kRegs16[n] : "?";
  if (family >= 3) return n < 8 ? kRegsArm[n] : "?";
  return n < 8 ? kRegs8[n] : "?";
}

}  // namespace

bool MatchSymbolMask(const std::string& mask, const std::string& name, bool ignoreCase) {
  return Match(mask.c_str(), name.c_str(), ignoreCase, 0);
}

std::string SymbolTypeText(const DbgTypeRecord* type, int family) { return TypeText(type, family, 0); }

std::string SymbolAddressText(const DbgSymbolRecord& sym, int family,
                              const std::function<std::string(uint32_t)>& addressText) {
  const uint32_t c = sym.classWord;
  if (c & (0x1 | 0x2 | 0x8 | 0x200)) {
    if (family == 2) return Fmt("0x%08X ", sym.value);
    return addressText ? addressText(sym.value) : Fmt("0x%08X", sym.value);
  }
  if (c & (0x4 | 0x80)) {
    if (family <= 1) return Fmt("0x%02X.%d", (sym.value >> 3) & 0x1FFF, int(sym.bit));
    return Fmt("0x%04X.%d ", sym.value, int(sym.bit));
  }
  if (c & 0x10) return RegName(family, sym.value);
  if (c & 0x20) {
    const int32_t off = int32_t(sym.value);
    if (family == 0) {
      std::string base = sym.space == 1 ? "?C_XBP" : sym.space == 254 ? "?C_PBP" : sym.space == 243 ? "?C_IBP" : "";
      if (base.empty()) base = addressText ? addressText(sym.space) : Fmt("0x%X", sym.space);
      return off < 0 ? Fmt("[%s-%d]", base.c_str(), -off) : Fmt("[%s+%d]", base.c_str(), off);
    }
    if (family == 1)
      return off < 0 ? Fmt("[%s-%d]", RegName(1, sym.space), -off) : Fmt("[%s+%d]", RegName(1, sym.space), off);
    return Fmt("[%s+#%d]   ", RegName(family, sym.space), off);
  }
  if (c & 0x40) return Fmt("%s.%d", kRegs16[sym.space & 15], int(sym.bit));
  return {};
}

}  // namespace pm2
