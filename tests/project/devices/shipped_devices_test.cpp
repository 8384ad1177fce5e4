// Every device of src/resources/devices.txt applied to a new target of its
// family's toolset. The device-string parsers stop silently at an unknown
// keyword or a malformed range, so this test reads each CPU and MEM string
// on its own and demands that every item it finds arrived in the target.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "project/devices/device_db_source.h"
#include "project/model/device_strings.h"
#include "project/model/option_block.h"
#include "project/model_fixture.h"

namespace pm2 {
namespace {

// One "NAME" or "NAME(arg)" item of a device string.
struct Item {
  std::string name;
  std::string arg;
  bool paren = false;
};

// Splits at blanks; false when a '(' has no ')'.
bool SplitItems(std::string_view s, std::vector<Item>& out) {
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] == ' ' || s[i] == '\t') {
      ++i;
      continue;
    }
    Item it;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != '(') it.name += s[i++];
    if (i < s.size() && s[i] == '(') {
      std::size_t close = s.find(')', i);
      if (close == std::string_view::npos) return false;
      it.paren = true;
      it.arg = s.substr(i + 1, close - i - 1);
      i = close + 1;
    }
    out.push_back(it);
  }
  return true;
}

bool ToNumber(const std::string& text, uint32_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  unsigned long v = std::strtoul(text.c_str(), &end, 0);
  if (*end != '\0' || v > 0xFFFFFFFFul) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

// "a-end" or "a,size" into start and size; false when malformed or empty.
bool ToRange(const std::string& arg, uint32_t& start, uint32_t& size) {
  std::size_t sep = arg.find_first_of("-,");
  if (sep == std::string::npos) return false;
  uint32_t a = 0, b = 0;
  if (!ToNumber(arg.substr(0, sep), a) || !ToNumber(arg.substr(sep + 1), b)) return false;
  if (arg[sep] == '-') {
    if (b < a) return false;
    b = b - a + 1;
  }
  start = a;
  size = b;
  return size != 0;
}

using SlotFn = MemRangeRec* (*)(OptionBlock&, uint16_t toolset);

MemRangeRec* ArmSlot(OptionBlock& b, uint16_t ts, int which) {
  ArmTargetView v = ts == kToolsetArmAds ? ArmView(b.tAds) : ArmView(b.tGnu);
  MemRangeRec* slots[] = {v.iram, v.irom, v.xram};
  return slots[which];
}

// What a CPU keyword must leave in the target: a range slot, the clock, or
// (no slot) a mode bit or text not checked here.
struct CpuKeyword {
  uint16_t family;
  const char* name;
  SlotFn slot;
};

const CpuKeyword kKeywords[] = {
    {kFamily51, "IRAM", [](OptionBlock& b, uint16_t) { return &b.t51.IRA51; }},
    {kFamily51, "XRAM", [](OptionBlock& b, uint16_t) { return &b.t51.XRA51; }},
    {kFamily51, "IROM", [](OptionBlock& b, uint16_t) { return &b.t51.IRO51; }},
    {kFamily51, "XRAM2", [](OptionBlock& b, uint16_t) { return &b.t51.XRA512; }},
    {kFamily51, "CLOCK", nullptr},
    {kFamily51, "MODE2", nullptr},
    {kFamily51, "MODA2", nullptr},
    {kFamily51, "MODDP2", nullptr},
    {kFamily51, "MODP2", nullptr},
    {kFamily51, "MOD517DP", nullptr},
    {kFamily51, "MOD517AU", nullptr},
    {kFamily51, "MX", nullptr},
    {kFamily51, "DPX", nullptr},
    {kFamily251, "IRAM", [](OptionBlock& b, uint16_t) { return &b.t251.ERA25; }},
    {kFamily251, "XRAM", [](OptionBlock& b, uint16_t) { return &b.t251.XRA25; }},
    {kFamily251, "IROM", [](OptionBlock& b, uint16_t) { return &b.t251.IRO25; }},
    {kFamily251, "CLOCK", nullptr},
    {kFamily251, "MODBIN", nullptr},
    {kFamily251, "MODSRC", nullptr},
    {kFamily251, "INTR2", nullptr},
    {kFamily251, "INTR4", nullptr},
    {kFamily166, "IRAM", [](OptionBlock& b, uint16_t) { return &b.t166.IRAM; }},
    {kFamily166, "XRAM", [](OptionBlock& b, uint16_t) { return &b.t166.XRAM; }},
    {kFamily166, "XRAM2", [](OptionBlock& b, uint16_t) { return &b.t166.XRAM2; }},
    {kFamily166, "IROM", [](OptionBlock& b, uint16_t) { return &b.t166.IROM; }},
    {kFamily166, "ICAN", [](OptionBlock& b, uint16_t) { return &b.t166.CAN; }},
    {kFamily166, "CAN", [](OptionBlock& b, uint16_t) { return &b.t166.CAN; }},
    {kFamily166, "CLOCK", nullptr},
    {kFamily166, "MOD167", nullptr},
    {kFamily166, "MODV2", nullptr},
    {kFamilyArm, "IRAM", [](OptionBlock& b, uint16_t ts) { return ArmSlot(b, ts, 0); }},
    {kFamilyArm, "IROM", [](OptionBlock& b, uint16_t ts) { return ArmSlot(b, ts, 1); }},
    {kFamilyArm, "XRAM", [](OptionBlock& b, uint16_t ts) { return ArmSlot(b, ts, 2); }},
    {kFamilyArm, "CLOCK", nullptr},
    {kFamilyArm, "CPUTYPE", nullptr},
    {kFamilyArm, "ELITTLE", nullptr},
};

const CpuKeyword* FindKeyword(uint16_t family, const std::string& name) {
  for (const CpuKeyword& k : kKeywords)
    if (k.family == family && name == k.name) return &k;
  return nullptr;
}

uint32_t ClockOf(OptionBlock& b, uint16_t toolset) {
  switch (toolset) {
    case kToolset51: return b.t51.clock;
    case kToolset251: return b.t251.clock;
    case kToolset166: return b.t166.clock;
    default: return *(toolset == kToolsetArmAds ? ArmView(b.tAds) : ArmView(b.tGnu)).clock;
  }
}

// The MEM string's slot for its n-th RAM and n-th ROM item.
MemRangeRec* MemSlot(OptionBlock& b, uint16_t toolset, bool rom, int ramIndex, int romIndex) {
  int order = ramIndex + romIndex;
  switch (toolset) {
    case kToolset251: return order < 6 ? &b.t251.OCM251[order] : nullptr;
    case kToolset166: return order < 6 ? &b.t166.EXTMEM[order] : nullptr;
    default: {
      ArmTargetView v = toolset == kToolsetArmAds ? ArmView(b.tAds) : ArmView(b.tGnu);
      int n = rom ? romIndex : ramIndex;
      return n < 3 ? &v.ocm[(rom ? 3 : 0) + n] : nullptr;
    }
  }
}

bool Overlap(const MemRangeRec& a, const MemRangeRec& b) {
  return a.size && b.size && a.start < b.start + b.size && b.start < a.start + a.size;
}

class ShippedDevices : public ModelTest {
 protected:
  void Load() {
    const char* src = std::getenv("PM2_TEST_SRC");
    if (!src) GTEST_SKIP() << "PM2_TEST_SRC not set (run through ctest)";
    std::string text, err;
    ASSERT_TRUE(ReadWholeFile(std::string(src) + "/src/resources/devices.txt", text, &err)) << err;
    ASSERT_TRUE(ParseDeviceSource(text, "devices.txt", m_db, &err)) << err;
    ASSERT_NE(m_db.First(), nullptr);
  }

  // Applies e to a fresh target of toolset and checks it item by item.
  void CheckDevice(const DeviceDbEntry* e, uint16_t toolset) {
    const std::string name = e->device.c_str();
    SCOPED_TRACE(name + " on toolset " + std::to_string(toolset));
    ResetAppState();
    ProjectRec* p = OpenNewProject();
    TargetRec* t = p->curTarget;
    ApplyDeviceOptions(t, toolset, e);
    ASSERT_NE(t->pOpts, nullptr);
    OptionBlock& b = *t->pOpts;
    EXPECT_EQ(t->DEVICE, name);

    std::vector<Item> items;
    ASSERT_TRUE(SplitItems(t->CPU.view(), items)) << "CPU string has a '(' without ')'";
    bool sawClock = false, sawIram = false;
    for (const Item& it : items) {
      const CpuKeyword* k = FindKeyword(e->nFamily, it.name);
      if (!k) {
        ADD_FAILURE() << "CPU keyword '" << it.name << "' is unknown to its family";
        continue;
      }
      if (it.name == "CLOCK") {
        uint32_t clock = 0;
        EXPECT_TRUE(it.paren && ToNumber(it.arg, clock)) << "malformed CLOCK(" << it.arg << ")";
        EXPECT_EQ(ClockOf(b, toolset), clock);
        sawClock = true;
      } else if (k->slot) {
        uint32_t start = 0, size = 0;
        if (!it.paren || !ToRange(it.arg, start, size)) {
          ADD_FAILURE() << "malformed or empty range " << it.name << "(" << it.arg << ")";
          continue;
        }
        MemRangeRec* slot = k->slot(b, toolset);
        EXPECT_EQ(slot->start, start) << it.name;
        EXPECT_EQ(slot->size, size) << it.name;
        sawIram |= it.name == "IRAM";
      }
    }
    EXPECT_TRUE(sawClock) << "no CLOCK";
    EXPECT_TRUE(sawIram) << "no on-chip RAM";

    items.clear();
    ASSERT_TRUE(SplitItems(t->MEM.view(), items)) << "MEM string has a '(' without ')'";
    if (toolset == kToolset51) {
      EXPECT_TRUE(items.empty()) << "the 51 family has no MEM string";
    }
    const bool arm = toolset == kToolsetArmGnu || toolset == kToolsetArmAds;
    int rams = 0, roms = 0;
    for (const Item& it : items) {
      const bool rom = it.name == (arm ? "IROM" : "ROM");
      const bool ram = it.name == (arm ? "IRAM" : "RAM");
      uint32_t start = 0, size = 0;
      if (!(ram || rom) || !it.paren || !ToRange(it.arg, start, size)) {
        ADD_FAILURE() << "MEM item " << it.name << "(" << it.arg << ") is not a RAM or ROM range";
        continue;
      }
      MemRangeRec* slot = MemSlot(b, toolset, rom, rams, roms);
      (rom ? roms : rams)++;
      ASSERT_NE(slot, nullptr) << "too many MEM items";
      EXPECT_EQ(slot->start, start) << it.name;
      EXPECT_EQ(slot->size, size) << it.name;
    }

    // A device with a flash command gets it as the target's flash tool,
    // switched on; its quotes must pair up for the command line to split.
    const std::string flash = FindDeviceOptionValue(*e, "FLASH").c_str();
    EXPECT_EQ(t->FLASHUT, flash);
    EXPECT_EQ((FirstWord(b.flash.FLASH1) & 2u) != 0, !flash.empty());
    EXPECT_EQ(std::count(flash.begin(), flash.end(), '"') % 2, 0) << flash;

    if (toolset == kToolset51) {
      // IDATA is 256 bytes; code and XDATA are 64 KB spaces.
      EXPECT_LE(b.t51.IRA51.start + b.t51.IRA51.size, 0x100u);
      EXPECT_LE(b.t51.IRO51.start + b.t51.IRO51.size, 0x10000u);
      EXPECT_LE(b.t51.XRA51.start + b.t51.XRA51.size, 0x10000u);
    }
    if (arm) {
      ArmTargetView v = toolset == kToolsetArmAds ? ArmView(b.tAds) : ArmView(b.tGnu);
      EXPECT_GT(v.irom->size, 0u) << "every shipped ARM part has on-chip flash";
      EXPECT_FALSE(Overlap(*v.iram, *v.irom));
      EXPECT_FALSE(Overlap(*v.iram, *v.xram));
      EXPECT_FALSE(Overlap(*v.irom, *v.xram));
      EXPECT_FALSE(v.cpuType->empty()) << "no CPUTYPE";
      // All shipped ARM parts are little-endian.
      EXPECT_EQ(b.lst.GLFLAGS & kGlFlagsBigEndian, 0u);
    }
  }
};

uint16_t ToolsetOf(uint16_t family) {
  const uint16_t toolsets[] = {kToolset51, kToolset251, kToolset166, kToolsetArmGnu};
  return toolsets[family];
}

TEST_F(ShippedDevices, EveryDeviceAppliesWholly) {
  Load();
  int count = 0;
  for (const DeviceDbEntry* e = m_db.First(); e; e = e->pNext, ++count) {
    ASSERT_LT(e->nFamily, 4);
    CheckDevice(e, ToolsetOf(e->nFamily));
    if (e->nFamily == kFamilyArm) CheckDevice(e, kToolsetArmAds);
  }
  EXPECT_EQ(count, 19);
}

// The checker itself must notice what the parsers drop silently.
TEST_F(ShippedDevices, CheckerCatchesDroppedItems) {
  struct Row {
    const char* name;
    uint16_t family;
    const char* cpu;
    const char* mem;
    const char* flash = "";
  };
  const Row rows[] = {
      {"unknown keyword stops the rest", kFamily51, "IRAM(0-0xFF) FAST IROM(0-0xFFF) CLOCK(12000000)", ""},
      {"keyword of another family", kFamily51, "IRAM(0-0xFF) MOD167 CLOCK(12000000)", ""},
      {"inverted range", kFamilyArm, "IRAM(0x40000000-0x3FFFFFFF) IROM(0-0xFFFF) CLOCK(12000000) CPUTYPE(ARM7)", ""},
      {"range without end", kFamily166, "IRAM(0xF600) CLOCK(20000000)", ""},
      {"big-endian part", kFamilyArm, "IRAM(0x40000000-0x40003FFF) IROM(0-0xFFFF) CLOCK(12000000) CPUTYPE(ARM7) EBIG", ""},
      {"bad MEM item", kFamily251, "IRAM(0-0x41F) CLOCK(16000000)", "RAM(0x10000-0x1FFFF) FLASH(0-0xFFFF)"},
      {"no clock", kFamily251, "IRAM(0-0x41F)", ""},
      {"flash command with an open quote", kFamilyArm,
       "IRAM(0x40000000-0x40003FFF) IROM(0-0xFFFF) CLOCK(12000000) CPUTYPE(ARM7)", "",
       "openocd -c \"program #H"},
  };
  for (const Row& r : rows) {
    DeviceDbEntry* e = Device("Test", r.name, r.family, {{"CPU", r.cpu}, {"MEM", r.mem}, {"FLASH", r.flash}});
    ::testing::TestPartResultArray failures;
    {
      ::testing::ScopedFakeTestPartResultReporter reporter(
          ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
      CheckDevice(e, ToolsetOf(r.family));
    }
    EXPECT_GT(failures.size(), 0) << r.name;
  }
}

}  // namespace
}  // namespace pm2
