#include "toolkit/menus/command_list.h"

#include <gtest/gtest.h>

#include "toolkit/menus/fake_frame.h"
#include "toolkit/menus/key_assign_model.h"

namespace pm2 {
namespace {

using test::FakeFrame;

struct CleanRow {
  const char* name;
  const char* text;
  const char* clean;
};

class CommandListClean : public testing::TestWithParam<CleanRow> {};

TEST_P(CommandListClean, Row) {
  std::string text = GetParam().text;
  SECCommandList::CleanMenuText(text);
  EXPECT_EQ(text, GetParam().clean);
}

INSTANTIATE_TEST_SUITE_P(Rows, CommandListClean,
                         testing::Values(CleanRow{"DotsTabAndMnemonic", "&Open...\tCtrl+O", "Open"},
                                         CleanRow{"BracketedMnemonic", "Options(&O)", "Options"},
                                         CleanRow{"OnlyFirstAmpersand", "Save && &Close", "Save & &Close"},
                                         CleanRow{"Plain", "Exit", "Exit"}),
                         [](const auto& info) { return info.param.name; });

class CommandListTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(strings.Load("STRING 32720 \"Builds the current target\\nBuild\"\n"
                             "STRING 35051 \"Opens the target's options\"\n"
                             "STRING 116 \"\\nRun program\"\n"
                             "STRING 9001 \"Named from the table\"\n"
                             "STRING 9002 \"A description\"\n",
                             "test", &err))
        << err;
    frame.AddMenu(
        "POPUP \"&Project\"\n"
        "ITEM 32720 \"&Build target\\tF7\"\n"
        "ITEM 35051 \"&Options(&O)\"\n"
        "SEPARATOR\n"
        "POPUP \"&Recent\"\nITEM 32804 \"&1 Blinky\"\nPOPUP \"&Deep\"\nITEM 40000 \"&Bottom...\"\nEND\nEND\n"
        "END\n"
        "POPUP \"&Window\"\nITEM 57616 \"&1 main.c\"\nEND\n");
    frame.AddMenu("POPUP \"&Edit\"\nITEM 57635 \"Cu&t\\tCtrl+X\"\nITEM 32720 \"&Build again\"\nEND\n");
    frame.defaultTable = std::make_shared<const AccelTable>(
        AccelTable{{FVIRTKEY, 118, 32720}, {FVIRTKEY, 116, 116}, {FVIRTKEY, 27, 0}, {FVIRTKEY, 65, 65300}});
  }
  FakeFrame frame;
  ResourceTables strings;
};

TEST_F(CommandListTest, CollectsMenusThenAcceleratorsThenTemplates) {
  SECCommandList list(frame, strings);
  list.BuildFromMenus();
  std::vector<std::uint32_t> ids;
  for (const SECCommand& c : list.Commands()) ids.push_back(c.nID);
  // 57616 and 65300 are excluded, 0 is no command, 32720 listed once.
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{32720, 35051, 32804, 40000, 116, 57635}));
}

TEST_F(CommandListTest, NamesFromMenuPathsDescriptionsFromStrings) {
  SECCommandList list(frame, strings);
  list.BuildFromMenus();
  const auto named = [&](std::uint32_t id) { return list.Commands()[std::size_t(list.Find(id))]; };
  EXPECT_EQ(named(32720).strName, "Project:Build target");  // the first menu wins over the string
  EXPECT_EQ(named(32720).strDescription, "Builds the current target");
  EXPECT_EQ(named(35051).strName, "Project:Options");
  EXPECT_EQ(named(35051).strDescription, "Opens the target's options");
  EXPECT_EQ(named(40000).strName, "Project:Recent:Deep:Bottom");
  EXPECT_EQ(named(116).strName, "Run program");  // only the string table names it
  EXPECT_EQ(named(116).strDescription, "");
  EXPECT_EQ(named(57635).strName, "Edit:Cut");
  EXPECT_EQ(list.Find(12345), -1);
}

TEST_F(CommandListTest, TheIdesListExcludesRunTimeMenus) {
  SCmdl list(frame, strings);
  list.BuildFromMenus();
  EXPECT_EQ(list.Find(32804), -1);
  EXPECT_TRUE(list.IsExcludedCommand(32850));
  EXPECT_TRUE(list.IsExcludedCommand(32929));
  EXPECT_TRUE(list.IsExcludedCommand(32930));  // the user tools fill their ids at run time too
}

TEST_F(CommandListTest, AddCommandsTakesStringsThenMenus) {
  SECCommandList list(frame, strings);
  const SECCommandDefinition defs[] = {{9009, 9001, 9002}, {35051, 0, 0}};
  list.AddCommands(defs, 2);
  ASSERT_EQ(list.Commands().size(), 2u);
  EXPECT_EQ(list.Commands()[0].strName, "Named from the table");
  EXPECT_EQ(list.Commands()[0].strDescription, "A description");
  EXPECT_EQ(list.Commands()[1].strName, "Project:Options");
}

struct RuleRow {
  const char* name;
  std::uint32_t typed;
  std::uint16_t invalid, defaults;
  std::uint32_t result;
};

class HotKeyRules : public testing::TestWithParam<RuleRow> {};

TEST_P(HotKeyRules, Row) {
  const RuleRow& r = GetParam();
  EXPECT_EQ(ApplyHotKeyRules(r.typed, r.invalid, r.defaults), r.result);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HotKeyRules,
    testing::Values(RuleRow{"NoRules", 'A', 0, 0, 'A'},
                    RuleRow{"BareKeyGetsDefault", 'A', HKCOMB_NONE | HKCOMB_S, HOTKEYF_CONTROL, 0x200 | 'A'},
                    RuleRow{"ShiftGetsDefault", 0x100 | 'A', HKCOMB_NONE | HKCOMB_S, HOTKEYF_CONTROL, 0x200 | 'A'},
                    RuleRow{"AllowedStays", 0x400 | 'A', HKCOMB_NONE | HKCOMB_S, HOTKEYF_CONTROL, 0x400 | 'A'},
                    RuleRow{"ExtendedKept", 0x800 | 33, HKCOMB_NONE, HOTKEYF_ALT, 0xC00 | 33}),
    [](const auto& info) { return info.param.name; });

struct ReservedRow {
  const char* name;
  std::uint32_t hotKey;
  bool reserved;
};

class ReservedKeys : public testing::TestWithParam<ReservedRow> {};

TEST_P(ReservedKeys, Row) { EXPECT_EQ(IsReservedKey(GetParam().hotKey), GetParam().reserved); }

INSTANTIATE_TEST_SUITE_P(Rows, ReservedKeys,
                         testing::Values(ReservedRow{"F1", 112, true}, ReservedRow{"ShiftF1", 0x100 | 112, true},
                                         ReservedRow{"F4", 115, false}, ReservedRow{"CtrlF4", 0x200 | 115, true},
                                         ReservedRow{"AltF6", 0x400 | 117, true}, ReservedRow{"F6", 117, false},
                                         ReservedRow{"CtrlF5", 0x200 | 116, false}),
                         [](const auto& info) { return info.param.name; });

struct DescribeRow {
  const char* name;
  std::uint32_t hotKey;
  bool clear, show;
  const char* text;
};

class DescribeKey : public CommandListTest, public testing::WithParamInterface<DescribeRow> {};

TEST_P(DescribeKey, Row) {
  const DescribeRow& r = GetParam();
  SCmdl list(frame, strings);
  list.BuildFromMenus();
  const AccelTable table = {{FVIRTKEY | FNOINVERT, 118, 32720}, {FVIRTKEY, 'R', 32804}};
  const AssignKeyView v = DescribeHotKey(r.hotKey, table, list, "No description available", "Unassigned");
  EXPECT_EQ(v.clearControl, r.clear);
  EXPECT_EQ(v.showAssignment, r.show);
  EXPECT_EQ(v.okEnabled, r.show);
  EXPECT_EQ(v.assignedTo, r.text);
}

INSTANTIATE_TEST_SUITE_P(Rows, DescribeKey,
                         testing::Values(DescribeRow{"Bound", 118, false, true, "Project:Build target"},
                                         DescribeRow{"BoundToExcludedCommand", 'R', false, true,
                                                     "No description available"},
                                         DescribeRow{"Free", 0x200 | 118, false, true, "Unassigned"},
                                         DescribeRow{"Pause", 19, true, false, ""},
                                         DescribeRow{"ScrollLock", 0x200 | 145, true, false, ""},
                                         DescribeRow{"None", 0, false, false, ""}),
                         [](const auto& info) { return info.param.name; });

struct HiddenRow {
  const char* name;
  std::uint32_t id;
  bool hidden;
};

class HiddenIds : public CommandListTest, public testing::WithParamInterface<HiddenRow> {};

// The ids filled in at run time are never offered for a key.
TEST_P(HiddenIds, Row) {
  SCmdl list(frame, strings);
  EXPECT_EQ(list.IsExcludedCommand(GetParam().id), GetParam().hidden);
}

INSTANTIATE_TEST_SUITE_P(Rows, HiddenIds,
                         testing::Values(HiddenRow{"RecentProject", 32804, true}, HiddenRow{"DriverTable1", 32869, true},
                                         HiddenRow{"DriverTable2", 32880, true}, HiddenRow{"DriverTable3", 33005, true},
                                         HiddenRow{"DriverTable4", 35123, true}, HiddenRow{"UserTool", 32930, true},
                                         HiddenRow{"SourceControl", 32999, true}, HiddenRow{"BuildTarget", 32720, false},
                                         HiddenRow{"AfterTable4", 35124, false}, HiddenRow{"SystemRange", 65280, true}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pm2
