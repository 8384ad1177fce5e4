#include "project/edit/device_choice.h"

#include <gtest/gtest.h>

#include "project/model_fixture.h"

namespace pm2 {
namespace {

class DeviceChoiceTest : public ModelTest {};

TEST_F(DeviceChoiceTest, DatabaseChoiceRows) {
  // Three databases: the generic one, one with Atmel parts, one with NXP parts.
  const std::vector<std::vector<std::pair<const char*, const char*>>> dbs = {
      {{"Intel", "8051"}},
      {{"Atmel Corporation", "AT89C51"}},
      {{"NXP", "LPC2138"}, {"Intel", "8052"}},
  };
  auto read = [&](int index, DeviceDatabase& db) {
    db.Free();
    for (auto& [vendor, device] : dbs[index]) db.Append(db.NewEntry(vendor, device, 0, ""));
    return kDeviceDbOk;
  };
  struct Row {
    const char* name;
    const char* vendor;
    const char* device;
    int expected;
  } rows[] = {
      {"in the generic one", "Intel", "8051", 0},
      {"device name in other case", "nxp", "lpc2138", 2},
      {"longer Atmel vendor name", "Atmel Corp. (was Temic)", "at89c51", 1},
      {"vendor differs", "Philips", "LPC2138", 0},
      {"in none", "Intel", "8086", 0},
  };
  for (const Row& r : rows) {
    DeviceDatabase db(kPoolOptionPages);
    EXPECT_EQ(ChooseDatabaseFor(3, read, db, r.vendor, r.device), r.expected) << r.name;
    EXPECT_EQ(db.First()->vendor.str(), dbs[r.expected][0].first) << r.name << ": db holds the choice";
    db.Free();
  }
}

TEST_F(DeviceChoiceTest, ToolsetChoiceRows) {
  struct Row {
    const char* name;
    uint16_t family;
    int armSel;
    int targetToolset;
    std::vector<uint16_t> ids;
    const char* firstText;
  } rows[] = {
      {"51", kFamily51, 0, -1, {0}, "51-Tools"},
      {"251 offers 51 too", kFamily251, 0, -1, {1, 0}, "251-Tools"},
      {"166", kFamily166, 0, -1, {2}, "166/167-Tools"},
      {"ARM with GNU", kFamilyArm, 0, -1, {3}, "ARM-Tools"},
      {"ARM with ADS", kFamilyArm, 1, -1, {4}, "ARM-ADS/RealView-Tools"},
      {"device page of an ARM target", kFamilyArm, 0, 4, {3, 4}, "Cygnus/GNU ARM-Tools"},
  };
  for (const Row& r : rows) {
    auto choices = ToolsetChoicesFor(r.family, r.armSel, r.targetToolset);
    std::vector<uint16_t> ids;
    for (auto& ch : choices) ids.push_back(ch.toolset);
    EXPECT_EQ(ids, r.ids) << r.name;
    ASSERT_FALSE(choices.empty()) << r.name;
    EXPECT_STREQ(choices[0].text, r.firstText) << r.name;
  }
}

TEST_F(DeviceChoiceTest, ExtendedToolBoxes) {
  EXPECT_TRUE(ShowsExtendedToolBoxes(*Device("Intel", "8051", 0, {{"CPU", "IRAM(0-0x7F) CLOCK(12000000)"}})));
  EXPECT_FALSE(ShowsExtendedToolBoxes(*Device("Philips", "80C51MX", 0, {{"CPU", "IRAM(0-0xFF) MX"}})));
  EXPECT_FALSE(ShowsExtendedToolBoxes(*Device("Intel", "80251", 1, {})));
  EXPECT_EQ(ApplyExtendedToolBoxes(0x1, true, true), 0x1u | kT51UseNx51 | kT51UseWx51);
  EXPECT_EQ(ApplyExtendedToolBoxes(0x1 | kT51UseNx51 | kT51UseWx51, false, true), 0x1u);
}

struct OptionsRow {
  const char* name;
  const char* text;
  std::vector<std::pair<std::string, std::string>> lines;
};

TEST_F(DeviceChoiceTest, OptionsTextRows) {
  const OptionsRow rows[] = {
      {"plain", "CPU=IRAM(0-0xFF)\r\nFLASH=x", {{"CPU", "IRAM(0-0xFF)"}, {"FLASH", "x"}}},
      {"blanks around", "  CPU = a b  \n", {{"CPU", "a b"}}},
      {"no value", "CPU=\nRGF=reg51.h", {{"RGF", "reg51.h"}}},
      {"no key", "=value\n", {}},
      {"no equals", "CPU value\n", {}},
      {"key ends at blank", "CPU X=1", {{"CPU", "1"}}},
  };
  for (const OptionsRow& r : rows) EXPECT_EQ(ParseDeviceOptions(r.text), r.lines) << r.name;
}

TEST_F(DeviceChoiceTest, EditorAddUpdateAndOverwrite) {
  DeviceDatabase db(kPoolOptionPages);
  std::string msg;
  DeviceDbEntry* e = nullptr;
  EXPECT_EQ(AddDeviceEntry(db, {"", 0, "X", "", ""}, nullptr, &msg, &e), DeviceAddResult::kRefused);
  EXPECT_EQ(msg, "missing vendor name");
  EXPECT_EQ(AddDeviceEntry(db, {"NXP", 3, " ", "", ""}, nullptr, &msg, &e), DeviceAddResult::kRefused);
  EXPECT_EQ(msg, "missing device name");
  ASSERT_EQ(AddDeviceEntry(db, {"NXP", 3, "LPC2138", "d", "CPU=a\r\n"}, nullptr, &msg, &e),
            DeviceAddResult::kAppended);
  EXPECT_EQ(FormatDeviceOptions(*e), "CPU=a\r\n");
  std::string asked;
  auto no = [&](const std::string& q) { asked = q; return false; };
  EXPECT_EQ(AddDeviceEntry(db, {"nxp", 3, "lpc2138", "", "CPU=b"}, no, &msg, &e),
            DeviceAddResult::kKeptExisting);
  EXPECT_EQ(asked, "NXP LPC2138 already exists, overwrite ?");
  EXPECT_EQ(FindDeviceOptionValue(*db.First(), "CPU").str(), "a");
  EXPECT_EQ(db.Count(), 1u);
  auto yes = [](const std::string&) { return true; };
  EXPECT_EQ(AddDeviceEntry(db, {"NXP", 3, "LPC2138", "", "CPU=b"}, yes, &msg, &e), DeviceAddResult::kReplaced);
  EXPECT_EQ(db.Count(), 1u);
  EXPECT_EQ(FindDeviceOptionValue(*db.First(), "CPU").str(), "b");
  EXPECT_EQ(AddDeviceEntry(db, {"NXP", 0, "LPC2138", "", ""}, yes, &msg, &e), DeviceAddResult::kAppended)
      << "another family is another device";
  EXPECT_TRUE(UpdateDeviceEntry(db, db.First(), {"NXP", 3, "LPC2148", "new", "CPU=c"}, &msg));
  EXPECT_EQ(db.First()->device.str(), "LPC2148");
  EXPECT_EQ(db.First()->description.str(), "new");
  db.Free();
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST_F(DeviceChoiceTest, VendorsShareANodeIgnoringCase) {
  DeviceDatabase db(kPoolOptionPages);
  db.Append(db.NewEntry("NXP", "LPC2138", 3, ""));
  db.Append(db.NewEntry("Intel", "8051", 0, ""));
  db.Append(db.NewEntry("nxp", "LPC2148", 3, ""));
  DeviceDbEntry* gone = db.NewEntry("NXP", "LPC2100", 3, "");
  gone->nFlags = kDeviceDeleted;
  db.Append(gone);
  auto nodes = GroupDevicesByVendor(db);
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_EQ(nodes[0].vendor->vendor.str(), "NXP");
  EXPECT_TRUE(nodes[0].vendor->nFlags & kDeviceVendorNode);
  ASSERT_EQ(nodes[0].devices.size(), 2u);
  EXPECT_EQ(nodes[0].devices[1]->device.str(), "LPC2148");
  EXPECT_EQ(db.Count(), 4u) << "vendor nodes are not in the list";
  db.Free();
}

}  // namespace
}  // namespace pm2
