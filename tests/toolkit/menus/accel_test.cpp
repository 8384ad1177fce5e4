#include "toolkit/menus/accel.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

struct FlagsRow {
  const char* name;
  ACCEL accel;
  std::uint32_t hotKey;
  const char* text;
};

class AccelToHotKey : public testing::TestWithParam<FlagsRow> {};

TEST_P(AccelToHotKey, Row) {
  const FlagsRow& r = GetParam();
  EXPECT_EQ(GetKeyFlags(r.accel), r.hotKey);
  std::string name;
  EXPECT_EQ(GetKeyName(r.hotKey, &name), r.hotKey != 0);
  EXPECT_EQ(name, r.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AccelToHotKey,
    testing::Values(FlagsRow{"F7", {FVIRTKEY, 118, 1}, 118, "F7"},
                    FlagsRow{"CtrlF7", {FVIRTKEY | FCONTROL, 118, 1}, 0x200 | 118, "Ctrl+F7"},
                    FlagsRow{"AllModifiersInOrder", {FVIRTKEY | FSHIFT | FALT | FCONTROL, 'K', 1}, 0x700 | 'K',
                             "Ctrl+Alt+Shift+K"},
                    FlagsRow{"PageUpIsExtended", {FVIRTKEY, 33, 1}, 0x800 | 33, "Page Up"},
                    FlagsRow{"AltUpIsExtended", {FVIRTKEY | FALT, 38, 1}, 0xC00 | 38, "Alt+Up"},
                    FlagsRow{"InsertIsExtended", {FVIRTKEY, 45, 1}, 0x800 | 45, "Insert"},
                    FlagsRow{"NumPadDivideIsExtended", {FVIRTKEY, 111, 1}, 0x800 | 111, "Num /"},
                    FlagsRow{"AppsKeyIsExtended", {FVIRTKEY, 93, 1}, 0x800 | 93, "Application"},
                    FlagsRow{"NumPadSevenIsNot", {FVIRTKEY, 103, 1}, 103, "Num 7"},
                    FlagsRow{"EscIsNot", {FVIRTKEY | FNOINVERT, 27, 1}, 27, "Esc"},
                    FlagsRow{"CharacterRecordHasNoFlags", {FALT | FCONTROL, 'A', 1}, 'A', "A"},
                    FlagsRow{"None", {FVIRTKEY, 0, 1}, 0, ""}),
    [](const auto& info) { return info.param.name; });

struct BackRow {
  const char* name;
  std::uint32_t hotKey;
  std::uint8_t fVirt;
  std::uint16_t key;
};

class HotKeyToAccelRows : public testing::TestWithParam<BackRow> {};

TEST_P(HotKeyToAccelRows, Row) {
  ACCEL a{0, 0, 4711};
  HotKeyToAccel(GetParam().hotKey, &a);
  EXPECT_EQ(a.fVirt, GetParam().fVirt);
  EXPECT_EQ(a.key, GetParam().key);
  EXPECT_EQ(a.cmd, 4711);
}

INSTANTIATE_TEST_SUITE_P(Rows, HotKeyToAccelRows,
                         testing::Values(BackRow{"Plain", 116, 0x03, 116},
                                         BackRow{"Shift", 0x100 | 116, 0x07, 116},
                                         BackRow{"Control", 0x200 | 116, 0x0B, 116},
                                         BackRow{"Alt", 0x400 | 116, 0x13, 116},
                                         BackRow{"ExtendedDropped", 0x800 | 33, 0x03, 33}),
                         [](const auto& info) { return info.param.name; });

TEST(AccelFind, FlagsComparedWithVirtAndNoInvertAdded) {
  const AccelTable t = {{FVIRTKEY, 116, 10}, {FVIRTKEY | FNOINVERT | FCONTROL, 116, 20}, {FVIRTKEY, 116, 30}};
  EXPECT_EQ(FindAccelCommand(t, FVIRTKEY | FNOINVERT, 116), 10);
  EXPECT_EQ(FindAccelCommand(t, FCONTROL, 116), 20);
  EXPECT_EQ(FindAccelCommand(t, FALT, 116), 0);
}

}  // namespace
}  // namespace pm2
