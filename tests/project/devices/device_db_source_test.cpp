#include "project/devices/device_db_source.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/atomic_file.h"
#include "project/devices/device_db.h"

namespace pm2 {
namespace {

constexpr int kPool = 7;  // unused by the program

TEST(DeviceSource, BlocksBecomeEntriesInOrder) {
  const std::string text =
      "# comment\r\n"
      "vendor: NXP\r\n"
      "device: LPC2138\r\n"
      "family: arm\r\n"
      "description: first line\r\n"
      "# a comment inside a block\r\n"
      "description: second: line\r\n"
      "CPU=IRAM(0x40000000-0x40007FFF) CLOCK(12000000)\r\n"
      "FLASH = tool -U flash:w:#H:i \r\n"
      "\r\n\r\n"
      "device: C167CR-LM\n"
      "family: 166\n"
      "vendor: Infineon\n";
  DeviceDatabase db(kPool);
  db.Free();
  std::string err;
  ASSERT_TRUE(ParseDeviceSource(text, "d.txt", db, &err)) << err;
  ASSERT_EQ(db.Count(), 2u);
  const DeviceDbEntry* e = db.First();
  EXPECT_EQ(e->nFamily, kFamilyArm);
  EXPECT_EQ(e->description, "first line\r\nsecond: line");
  EXPECT_EQ(FindDeviceOptionValue(*e, "FLASH"), "tool -U flash:w:#H:i");
  EXPECT_EQ(e->pNext->nFamily, kFamily166);
  EXPECT_EQ(e->pNext->vendor, "Infineon");
  db.Free();
}

struct BadRow {
  const char* name;
  const char* text;
  const char* error;
};

TEST(DeviceSource, MistakesAreReportedWithFileAndLine) {
  const BadRow rows[] = {
      {"unknown family", "vendor: A\ndevice: B\nfamily: 8086\n", "d.txt(3): unknown family '8086'"},
      {"missing family", "vendor: A\ndevice: B\n\n", "d.txt(1): device without 'family'"},
      {"missing vendor at end", "\ndevice: B\nfamily: 51", "d.txt(2): device without 'vendor'"},
      {"unknown field", "vendor: A\ncolour: red\n", "d.txt(2): unknown field 'colour'"},
      {"no key", "vendor: A\njust text\n", "d.txt(2): expected 'name: value' or KEY=value, found 'just text'"},
      {"bad key", "vendor: A\nMY KEY=1\n", "d.txt(2): bad option key 'MY KEY'"},
      {"key twice", "vendor: A\nCPU=1\ncpu=2\n", "d.txt(3): option 'cpu' given twice"},
      {"vendor twice", "vendor: A\nvendor: B\n", "d.txt(2): 'vendor' given twice in one device"},
      {"device twice", "vendor: A\ndevice: X\nfamily: 51\n\nvendor: a\ndevice: x\nfamily: 51\n",
       "d.txt(5): device 'x' of 'a' given twice"},
  };
  for (const BadRow& r : rows) {
    DeviceDatabase db(kPool);
    db.Free();
    std::string err;
    EXPECT_FALSE(ParseDeviceSource(r.text, "d.txt", db, &err)) << r.name;
    EXPECT_EQ(err, r.error) << r.name;
    db.Free();
  }
}

TEST(DeviceSource, ShippedSourceCoversEveryFamily) {
  const char* src = std::getenv("PM2_TEST_SRC");
  if (!src) GTEST_SKIP() << "PM2_TEST_SRC not set (run through ctest)";
  std::string text, err;
  ASSERT_TRUE(ReadWholeFile(std::string(src) + "/src/resources/devices.txt", text, &err)) << err;
  DeviceDatabase db(kPool);
  db.Free();
  ASSERT_TRUE(ParseDeviceSource(text, "devices.txt", db, &err)) << err;
  EXPECT_GE(db.Count(), 16u);
  int perFamily[4] = {};
  for (const DeviceDbEntry* e = db.First(); e; e = e->pNext) {
    ASSERT_LT(e->nFamily, 4) << e->device.c_str();
    ++perFamily[e->nFamily];
    EXPECT_FALSE(e->description.empty()) << e->device.c_str();
    EXPECT_FALSE(FindDeviceOptionValue(*e, "CPU").empty()) << e->device.c_str();
  }
  for (int f = 0; f < 4; ++f) EXPECT_GT(perFamily[f], 0) << "family " << f;
  const DeviceDbEntry* lpc = db.Find("NXP", "LPC2138", kFamilyArm);
  ASSERT_NE(lpc, nullptr);
  EXPECT_NE(FindDeviceOptionValue(*lpc, "CPU").view().find("IROM(0-0x7FFFF)"), std::string::npos);
  db.Free();
}

}  // namespace
}  // namespace pm2
