#include "project/model/device_strings.h"

#include <cstring>
#include <string_view>

#include "project/devices/device_db.h"
#include "project/model/debug_texts.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/number_parse.h"
#include "project/text/pool.h"
#include "project/text/scanner.h"

namespace pm2 {

namespace {

// What a CPU keyword does.
enum class Effect : uint8_t {
  kRange,    // a range into ranges[slot]; then the bits
  kClock,    // the number in parentheses becomes the clock
  kBits,     // set and clear bits only
  kSkipArg,  // the text in parentheses is read and not used
  kNp51,     // bits; an empty RCB51 range (slot) becomes 0xC000 / 0xFFFF
  kCpuType,  // the trimmed text in parentheses becomes the CPU type
  kBig,      // big-endian device
  kLittle,   // little-endian device (the default)
};

struct CpuKeyword {
  const char* name;  // upper case
  bool paren;        // must be followed by '('
  Effect effect;
  int8_t slot;       // range slot of the family's view
  uint8_t kind;      // kind of a stored range
  uint32_t set;
  uint32_t clear;
  uint32_t setOnReset;  // also set when the sub-record is being reset
};

constexpr uint32_t Bit(int n) { return 1u << n; }

constexpr CpuKeyword kCpu51[] = {
    {"IRAM", true, Effect::kRange, 0, 0, Bit(4), 0, 0},
    {"XRAM", true, Effect::kRange, 1, 0, Bit(5), 0, 0},
    {"IROM", true, Effect::kRange, 2, 1, Bit(6), 0, 0},
    {"CLOCK", true, Effect::kClock, -1, 0, 0, 0, 0},
    {"MODE2", false, Effect::kBits, -1, 0, Bit(12), 0, 0},
    {"MODA2", false, Effect::kBits, -1, 0, Bit(7), 0, 0},
    {"MODDP2", false, Effect::kBits, -1, 0, Bit(8), 0, 0},
    {"MODP2", false, Effect::kBits, -1, 0, Bit(9), 0, 0},
    {"MOD517DP", false, Effect::kBits, -1, 0, Bit(10), 0, 0},
    {"MOD517AU", false, Effect::kBits, -1, 0, Bit(11), 0, 0},
    {"REGFILE", true, Effect::kSkipArg, -1, 0, 0, 0, 0},
    {"MX", false, Effect::kBits, -1, 0, Bit(15) | Bit(17), 0, 0},
    {"DPX", false, Effect::kBits, -1, 0, Bit(18), 0, 0},
    {"MOD_CONT", false, Effect::kBits, -1, 0, Bit(19), 0, 0},
    {"NP51", false, Effect::kNp51, 4, 0, Bit(20), 0, 0},
    {"MODDA", false, Effect::kBits, -1, 0, Bit(22), 0, 0},
    {"MODAB2", false, Effect::kBits, -1, 0, Bit(23), 0, 0},
    {"MXP", false, Effect::kBits, -1, 0, Bit(15) | Bit(17) | Bit(24), 0, 0},
    {"XRAM2", true, Effect::kRange, 3, 0, Bit(25), 0, 0},
};

constexpr CpuKeyword kCpu251[] = {
    {"IRAM", true, Effect::kRange, 0, 0, Bit(4), 0, 0},
    {"XRAM", true, Effect::kRange, 1, 0, Bit(5), 0, 0},
    {"IROM", true, Effect::kRange, 2, 1, Bit(6), 0, 0},
    {"CLOCK", true, Effect::kClock, -1, 0, 0, 0, 0},
    {"REGFILE", true, Effect::kSkipArg, -1, 0, 0, 0, 0},
    {"MODBIN", false, Effect::kBits, -1, 0, 0, Bit(2), 0},
    {"MODSRC", false, Effect::kBits, -1, 0, Bit(2), 0, 0},
    {"INTR2", false, Effect::kBits, -1, 0, 0, Bit(3), 0},
    {"INTR4", false, Effect::kBits, -1, 0, Bit(3), 0, 0},
};

// Bits of the 166 flags byte.
constexpr uint32_t k166UseRom = Bit(0), k166UseXcan = Bit(1), k166UseXram2 = Bit(2),
                   k166HasRom = Bit(3), k166HasXram = Bit(4), k166HasCan = Bit(5),
                   k166Mod167 = Bit(6), k166ModV2 = Bit(7);

// In the CPU string RAM and ROM items (the MEM keywords) are read
// and not used.
constexpr CpuKeyword kCpu166[] = {
    {"RAM", true, Effect::kSkipArg, -1, 0, 0, 0, 0},
    {"ROM", true, Effect::kSkipArg, -1, 1, 0, 0, 0},
    {"XRAM", true, Effect::kRange, 2, 0, k166HasXram, 0, k166UseXcan},
    {"IRAM", true, Effect::kRange, 4, 0, 0, 0, 0},
    {"IROM", true, Effect::kRange, 1, 1, k166HasRom, 0, k166UseRom},
    {"ICAN", true, Effect::kRange, 0, 0, k166HasCan, 0, k166UseXcan},
    {"CAN", true, Effect::kRange, 0, 0, k166HasCan, 0, k166UseXcan},
    {"CLOCK", true, Effect::kClock, -1, 0, 0, 0, 0},
    {"MOD167", false, Effect::kBits, -1, 0, k166Mod167, k166ModV2, 0},
    {"XRAM2", true, Effect::kRange, 3, 0, 0, 0, k166UseXram2},
    {"MODV2", false, Effect::kBits, -1, 0, k166ModV2, k166Mod167, 0},
};

// ARM bits are those of the second byte of the first flag word.
constexpr CpuKeyword kCpuArm[] = {
    {"IRAM", true, Effect::kRange, 0, 0, kTArmIram, 0, 0},
    {"IROM", true, Effect::kRange, 1, 1, kTArmIrom, 0, 0},
    {"CLOCK", true, Effect::kClock, -1, 0, 0, 0, 0},
    {"XRAM", true, Effect::kRange, 2, 1, kTArmXram, 0, 0},
    {"CPUTYPE", true, Effect::kCpuType, -1, 0, 0, 0, 0},
    {"EBIG", false, Effect::kBig, -1, 0, 0, 0, 0},
    {"ELITTLE", false, Effect::kLittle, -1, 0, 0, 0, 0},
};

// One family's target sub-record as the parser sees it.
struct CpuTarget {
  uint32_t* clock = nullptr;
  MemRangeRec* slots[5] = {};
  uint32_t flags = 0;
  OptString* cpuType = nullptr;
  bool bigEndian = false;
  std::string* problem = nullptr;  // why the parse stopped early; may be null
};

template <std::size_t N>
const CpuKeyword* FindKeyword(const CpuKeyword (&table)[N], std::string_view name) {
  for (const CpuKeyword& k : table)
    if (name == k.name) return &k;
  return nullptr;
}

// The raw text up to the next ')' (consumed), or false when there is none.
bool TakeParenText(TextScanner& sc, std::string& text) {
  const char* close = std::strchr(sc.m_pPos, ')');
  if (!close) return false;
  text.assign(sc.m_pPos, close);
  sc.m_pPos = close + 1;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

template <std::size_t N>
void ParseCpuItems(CpuTarget& t, const CpuKeyword (&table)[N], const char* cpu, bool reset) {
  TextScanner sc;
  sc.SetTextDash(cpu);
  for (;;) {
    std::string token;
    int delim = sc.ScanToken(token, true);
    if (token.empty()) return;
    const CpuKeyword* k = FindKeyword(table, token);
    if (!k || (k->paren && delim != '(')) return;
    switch (k->effect) {
      case Effect::kRange:
        if (!ParseMemRange(sc, *t.slots[k->slot], k->kind)) {
          if (t.problem) *t.problem = "the range of '" + token + "' cannot be read";
          return;
        }
        break;
      case Effect::kClock: {
        std::string number;
        uint32_t value = 0;
        if (sc.ScanToken(number, false) != ')' || ParseNumber(number.c_str(), value) == 0) {
          if (t.problem) *t.problem = "the value of 'CLOCK' is no number";
          return;
        }
        *t.clock = value;
        break;
      }
      case Effect::kSkipArg:
      case Effect::kCpuType: {
        std::string text;
        if (!TakeParenText(sc, text)) return;
        if (k->effect == Effect::kCpuType && t.cpuType)
          *t.cpuType = OptString::Pooled(Trim(text), kPoolProject);
        break;
      }
      case Effect::kNp51: {
        MemRangeRec& rcb = *t.slots[k->slot];
        if (rcb.start == 0 && rcb.size == 0) {
          rcb.start = 0xC000;
          rcb.size = 0xFFFF;
        }
        break;
      }
      case Effect::kBig:
        t.bigEndian = true;
        break;
      case Effect::kLittle:
        t.bigEndian = false;
        break;
      case Effect::kBits:
        break;
    }
    t.flags = (t.flags & ~k->clear) | k->set | (reset ? k->setOnReset : 0);
  }
}

// Bit masks: bits lo..hi.
constexpr uint32_t Bits(int lo, int hi) {
  uint32_t m = 0;
  for (int i = lo; i <= hi; ++i) m |= Bit(i);
  return m;
}

}  // namespace

bool ParseMemRange(TextScanner& sc, MemRangeRec& range, uint8_t kind) {
  std::string first, second;
  int sep = sc.ScanToken(first, false);
  if (sep != ',' && sep != '-') return false;
  if (sc.ScanToken(second, false) != ')') return false;
  uint32_t a = 0, b = 0;
  if (first.empty() || second.empty() || ParseNumber(first.c_str(), a) == 0 ||
      ParseNumber(second.c_str(), b) == 0)
    return false;
  if (sep == '-') {
    if (b < a) return true;  // an inverted range stores nothing
    b = b - a + 1;
  }
  range.kind = kind;
  range.start = a;
  range.size = b;
  return true;
}

void ParseCpu51(Target51Opts& t, const char* cpu, bool reset, std::string* problem) {
  CpuTarget v;
  v.problem = problem;
  v.clock = &t.clock;
  v.slots[0] = &t.IRA51;
  v.slots[1] = &t.XRA51;
  v.slots[2] = &t.IRO51;
  v.slots[3] = &t.XRA512;
  v.slots[4] = &t.RCB51;
  uint32_t clear = Bits(4, 12) | Bits(17, 20) | Bits(22, 25) | (reset ? Bits(0, 3) : 0);
  v.flags = t.T51FL & ~clear;
  ParseCpuItems(v, kCpu51, cpu, reset);
  t.T51FL = v.flags;
}

void ParseCpu251(Target251Opts& t, const char* cpu, bool reset, std::string* problem) {
  CpuTarget v;
  v.problem = problem;
  v.clock = &t.clock;
  v.slots[0] = &t.ERA25;
  v.slots[1] = &t.XRA25;
  v.slots[2] = &t.IRO25;
  uint32_t clear = Bits(4, 6) | (reset ? Bits(0, 1) : 0);
  v.flags = t.T251FL & ~clear;
  ParseCpuItems(v, kCpu251, cpu, reset);
  t.T251FL = v.flags;
}

void ParseCpu166(Target166Opts& t, const char* cpu, bool reset, std::string* problem) {
  CpuTarget v;
  v.problem = problem;
  v.clock = &t.clock;
  v.slots[0] = &t.CAN;
  v.slots[1] = &t.IROM;
  v.slots[2] = &t.XRAM;
  v.slots[3] = &t.XRAM2;
  v.slots[4] = &t.IRAM;
  v.flags = reset ? 0 : (FlagWord(t.flags) & Bits(0, 2));
  ParseCpuItems(v, kCpu166, cpu, reset);
  SetFlagWord(t.flags, v.flags);
}

ArmTargetView ArmView(TargetArmGnuOpts& t) {
  return {&t.clock, t.TFLAGSA, t.OCMARM, &t.OCMARAM, &t.OCMAROM, &t.OCMXRAM, &t.GCPUTYP};
}

ArmTargetView ArmView(TargetArmAdsOpts& t) {
  return {&t.clock, t.ADSTFLGA, t.OCMADSOCM, &t.OCMADSIRAM, &t.OCMADSIROM, &t.OCMADSXRAM,
          &t.ACPUTYP};
}

bool ParseCpuArm(const ArmTargetView& t, const char* cpu, bool reset, std::string* problem) {
  CpuTarget v;
  v.problem = problem;
  v.clock = t.clock;
  v.slots[0] = t.iram;
  v.slots[1] = t.irom;
  v.slots[2] = t.xram;
  v.cpuType = t.cpuType;
  uint32_t clear = Bits(10, 12) | (reset ? Bits(8, 9) : 0);
  v.flags = FirstWord(t.flags) & ~clear;
  ParseCpuItems(v, kCpuArm, cpu, reset);
  SetFirstWord(t.flags, v.flags);
  return v.bigEndian;
}

namespace {

// "RAM(range)" / "ROM(range)" items into up to six slots in order.
void ParseRamRomItems(MemRangeRec* slots, const char* mem) {
  TextScanner sc;
  sc.SetTextDash(mem);
  for (int n = 0; n < 6; ++n) {
    std::string token;
    int delim = sc.ScanToken(token, true);
    uint8_t kind;
    if (token == "RAM")
      kind = 0;
    else if (token == "ROM")
      kind = 1;
    else
      return;
    if (delim != '(' || !ParseMemRange(sc, slots[n], kind)) return;
  }
}

}  // namespace

void ParseMem251(Target251Opts& t, const char* mem) { ParseRamRomItems(t.OCM251, mem); }

void ParseMem166(Target166Opts& t, const char* mem) { ParseRamRomItems(t.EXTMEM, mem); }

void ParseMemArm(const ArmTargetView& t, const char* mem) {
  TextScanner sc;
  sc.SetTextDash(mem);
  int rams = 0, roms = 0;
  while (rams + roms < 6) {
    std::string token;
    int delim = sc.ScanToken(token, true);
    MemRangeRec* slot;
    uint8_t kind;
    if (token == "IRAM" && rams < 3) {
      slot = &t.ocm[rams++];
      kind = 0;
    } else if (token == "IROM" && roms < 3) {
      slot = &t.ocm[3 + roms++];
      kind = 1;
    } else {
      return;
    }
    if (delim != '(' || !ParseMemRange(sc, *slot, kind)) return;
  }
}

bool ParseCpuSpec(OptionBlock& b, uint16_t toolset, const char* cpu, bool reset, std::string* problem) {
  switch (toolset) {
    case kToolset51: ParseCpu51(b.t51, cpu, reset, problem); return false;
    case kToolset251: ParseCpu251(b.t251, cpu, reset, problem); return false;
    case kToolset166: ParseCpu166(b.t166, cpu, reset, problem); return false;
    case kToolsetArmGnu: return ParseCpuArm(ArmView(b.tGnu), cpu, reset, problem);
    case kToolsetArmAds: return ParseCpuArm(ArmView(b.tAds), cpu, reset, problem);
    default: return false;
  }
}

namespace {

void ZeroRange(MemRangeRec& r) {
  r.start = 0;
  r.size = 0;
}

bool DeviceStepArm(const ArmTargetView& v, const char* mem, const char* cpu) {
  SetFirstWord(v.flags, FirstWord(v.flags) & ~Bits(0, 12));
  *v.cpuType = OptString();
  *v.clock = 33000000;
  // The ranges of the previous device go with it, as in the other families.
  *v.iram = *v.irom = *v.xram = MemRangeRec();
  bool big = ParseCpuArm(v, cpu, true);
  // Only items the MEM string names replace the on-chip table.
  if (mem && *mem) {
    for (int i = 0; i < 6; ++i) v.ocm[i] = MemRangeRec();
    ParseMemArm(v, mem);
  }
  return big;
}

}  // namespace

bool RunDeviceStep(OptionBlock& b, uint16_t toolset, const char* mem, const char* cpu) {
  switch (toolset) {
    case kToolset51: {
      Target51Opts& t = b.t51;
      ZeroRange(t.IRO51);
      ZeroRange(t.IRA51);
      ZeroRange(t.XRA51);
      ZeroRange(t.XRA512);
      t.T51FL &= ~(Bits(0, 12) | Bits(17, 19) | Bits(23, 25));
      ParseCpu51(t, cpu, true);
      return false;
    }
    case kToolset251: {
      Target251Opts& t = b.t251;
      t.T251FL &= ~(Bits(0, 1) | Bits(4, 6));
      ZeroRange(t.IRO25);
      ZeroRange(t.ERA25);
      ZeroRange(t.XRA25);
      ParseCpu251(t, cpu, true);
      if (mem && *mem) {
        for (auto& r : t.OCM251) r = MemRangeRec();
        ParseMem251(t, mem);
      }
      return false;
    }
    case kToolset166: {
      Target166Opts& t = b.t166;
      SetFlagWord(t.flags, 0);
      for (MemRangeRec* r : {&t.CAN, &t.IROM, &t.XRAM, &t.XRAM2, &t.IRAM}) *r = MemRangeRec();
      ParseCpu166(t, cpu, true);
      if (mem && *mem) {
        for (auto& r : t.EXTMEM) r = MemRangeRec();
        ParseMem166(t, mem);
      }
      return false;
    }
    case kToolsetArmGnu: return DeviceStepArm(ArmView(b.tGnu), mem, cpu);
    case kToolsetArmAds: return DeviceStepArm(ArmView(b.tAds), mem, cpu);
    default: return false;
  }
}

OptString SyncControl(OptString controls, const char* control, bool on, int pool) {
  // Copies the controls' own text span by span (a token with the delimiter
  // and blanks after it), so quoted texts and long tokens come out as they
  // went in; only the spans whose token is the control are left out.
  std::string result;
  if (on) {
    result = control;
    result += ' ';
  }
  TextScanner sc;
  sc.SetTextDash(controls.c_str());
  std::string_view name(control);
  for (;;) {
    const char* before = sc.m_pPos;  // blanks in front of the token belong to the text
    sc.SkipBlanks();
    const char* start = sc.m_pPos;
    if (*start == '\0') break;
    std::string token;
    sc.ScanToken(token, false);
    if (sc.m_pPos == start) ++sc.m_pPos;  // always move on
    bool isControl = token.size() == name.size() && OptString(token.c_str()).EqualsNoCase(name);
    // A dash that ended the control starts the next one ("MODE2 -y"): it
    // stays for the next span instead of going out with the control.
    if (isControl && sc.m_pPos > start && sc.m_pPos[-1] == '-') --sc.m_pPos;
    result.append(before, isControl ? start : sc.m_pPos);
  }
  std::string_view trimmed = Trim(result);
  if (trimmed.empty()) return OptString();
  if (controls.EqualsNoCase(trimmed)) return controls;
  return OptString::Pooled(trimmed, pool);
}

OptString SyncMod167Control(OptString controls, bool on) {
  return SyncControl(controls, "MOD167", on);
}
OptString SyncModV2Control(OptString controls, bool on) {
  return SyncControl(controls, "MODV2", on);
}
OptString SyncMode2Control(OptString controls, bool on) {
  return SyncControl(controls, "MODE2", on);
}

std::string ParseRegFileSpec(const char* value, std::string& folder) {
  folder.clear();
  if (!value) return std::string();
  const char* p = value;
  while (*p && *p != ' ' && *p != '(') ++p;
  std::string name(value, p);
  while (*p == ' ') ++p;
  if (*p == '(') ++p;
  if (*p == '"') ++p;
  const char* begin = p;
  while (*p && *p != '"' && *p != ')') ++p;
  if (p != begin) {
    folder = '\xFF';
    folder.append(begin, p);
    folder += '\\';
  }
  return name;
}

void SplitDriverSpec(const char* spec, std::string out[4]) {
  for (int i = 0; i < 4; ++i) out[i].clear();
  if (!spec) return;
  const char* p = spec;
  for (int part = 0; part < 2; ++part) {
    while (*p == ' ' || *p == '\t') ++p;
    const char* begin = p;
    while (*p && *p != ' ' && *p != '\t' && *p != '(') ++p;
    out[2 * part].assign(begin, p);
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '(') {
      // Arguments may hold balanced parentheses of their own.
      int depth = 1;
      begin = ++p;
      while (*p && depth > 0) {
        if (*p == '(') ++depth;
        if (*p == ')' && --depth == 0) break;
        ++p;
      }
      out[2 * part + 1].assign(begin, p);
      if (*p == ')') ++p;
    }
  }
}

OptString FindDeviceOption(const DeviceDbEntry* entry, const char* key) {
  if (!entry || !key) return OptString();
  return OptString::Pooled(FindDeviceOptionValue(*entry, key).view(), kPoolProject);
}

void GetDeviceDriverSpecs(const DeviceDbEntry* entry, OptString out[4], const char* key) {
  std::string parts[4];
  SplitDriverSpec(FindDeviceOption(entry, key).c_str(), parts);
  for (int i = 0; i < 4; ++i) out[i] = OptString::Pooled(parts[i], kPoolProject);
}

void ApplyDeviceBooks(const DeviceDbEntry* entry, TargetRec* target) {
  if (!target) return;
  for (BookSlot& slot : target->books) slot = BookSlot();
  if (!entry) return;
  int next = 0;
  for (int n = 0; n < kBookSlots && next < kBookSlots; ++n) {
    std::string key = "BOOK" + std::to_string(n);
    OptString value = FindDeviceOptionValue(*entry, key);
    if (value.empty()) continue;
    TextScanner sc;
    sc.SetText(value.c_str());
    std::string path, title;
    int d1 = sc.ScanToken(path, false);
    int d2 = sc.ScanToken(title, false);
    if (d1 != '(' || d2 != ')' || path.empty() || title.empty()) continue;
    target->books[next].path = OptString::Pooled(path, kPoolProject);
    target->books[next].title = OptString::Pooled(title, kPoolProject);
    ++next;
  }
}

namespace {

void SetDeviceStrings(TargetRec* t, const DeviceDbEntry* e) {
  t->VENDOR = OptString::Pooled(e->vendor.view(), kPoolProject);
  t->DEVICE = OptString::Pooled(e->device.view(), kPoolProject);
  t->CPU = FindDeviceOption(e, "CPU");
  t->MEM = FindDeviceOption(e, "MEM");
  t->FLASHUT = FindDeviceOption(e, "FLASH");
  t->STUPF = FindDeviceOption(e, "SFILE");
  t->FLASHDR = FindDeviceOption(e, "TARGETDLL");
  std::string folder;
  std::string name = ParseRegFileSpec(FindDeviceOptionValue(*e, "REGFILE").c_str(), folder);
  t->RGF = OptString::Pooled(name, kPoolProject);
  t->ENVREG = OptString::Pooled(folder, kPoolProject);
  t->ORGREG = t->ENVREG;
}

bool IsArm(uint16_t toolset) { return toolset == kToolsetArmGnu || toolset == kToolsetArmAds; }

}  // namespace

void ApplyDeviceOptions(TargetRec* target, uint16_t toolset, const DeviceDbEntry* entry) {
  if (!target || !entry || (entry->nFlags & kDeviceVendorNode)) return;
  uint16_t previous = target->toolset;
  target->toolset = toolset;
  bool hadBlock = target->pOpts != nullptr;

  if (toolset != previous || previous == kToolsetUndefined || !hadBlock) {
    if (toolset != kToolsetUndefined) {
      SetDeviceStrings(target, entry);
      target->C = target->A = target->RL = target->OH = OptString();
    }
    ResetTargetOptions(target, previous);
    // A target saved before its toolset was chosen comes back with an empty
    // block: its first device is still a first device.
    if ((!hadBlock || previous == kToolsetUndefined) && target->pOpts) {
      OptionBlock& b = *target->pOpts;
      bool big = RunDeviceStep(b, toolset, target->MEM.c_str(), target->CPU.c_str());
      if (IsArm(toolset)) {
        if (big)
          b.lst.GLFLAGS |= kGlFlagsBigEndian;
        else
          b.lst.GLFLAGS &= ~kGlFlagsBigEndian;
      }
      target->debugFlags |= kDebugFlagDeviceApplied;
      b.out.flags.BROWSE = 1;
      b.dbg.flags |= 0x20C;
      uint32_t flash = FirstWord(b.flash.FLASH1) & ~3u;
      if (!target->FLASHUT.empty()) flash |= 2u;
      SetFirstWord(b.flash.FLASH1, flash);
    }
    if (toolset == kToolsetUndefined) return;
  } else {
    SetDeviceStrings(target, entry);
    OptionBlock& b = *target->pOpts;
    bool big = RunDeviceStep(b, toolset, target->MEM.c_str(), target->CPU.c_str());
    if (IsArm(toolset)) {
      // The new device's byte order holds for the same toolset too.
      if (big)
        b.lst.GLFLAGS |= kGlFlagsBigEndian;
      else
        b.lst.GLFLAGS &= ~kGlFlagsBigEndian;
    }
    SyncArchitectureControls(b, toolset);
    b.flash.FLASH3 = OptString::Pooled(target->FLASHUT.view(), kPoolProject);
    target->C = target->A = OptString();
  }
  ApplyDeviceBooks(entry, target);
  GetDeviceDriverSpecs(entry, &target->OPTDL[0], "SIM");
  GetDeviceDriverSpecs(entry, &target->OPTDL[4], "MON");
  FillDebugDllTexts(target);
}

void FillDebugDllTexts(TargetRec* target) {
  if (!target || !target->pOpts) return;
  DebugOpts& d = target->pOpts->dbg;
  for (int side = 0; side < 2; ++side) {
    const OptString* spec = target->OPTDL + side * 4;
    if (spec[0].empty()) continue;  // the database names no DLL for this side
    for (int i = 0; i < 4; ++i) d.str[side * kDbgSideTexts + i] = spec[i];
  }
}

}  // namespace pm2
