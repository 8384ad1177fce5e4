#include <gtest/gtest.h>

#include <cstring>

#include "debugger/session/driver_menu.h"
#include "debugger/session/register_set_model.h"
#include "session_fixture.h"

namespace pm2 {
namespace {

DebugMenuEntry E(int kind, const char* text) { return DebugMenuEntry{kind, text, nullptr, 0, 0, nullptr}; }

std::string Describe(const std::vector<DllMenuRow>& rows) {
  std::string out;
  for (const DllMenuRow& r : rows) {
    if (r.kind == DllMenuRow::Kind::Separator) out += "|";
    if (r.kind == DllMenuRow::Kind::Item) out += r.text + "=" + std::to_string(r.id) + " ";
    if (r.kind == DllMenuRow::Kind::Popup) {
      out += r.text + "{";
      for (const DllMenuRow& i : r.items) out += i.text + "=" + std::to_string(i.id) + " ";
      out += "} ";
    }
  }
  return out;
}

struct MenuRow {
  const char* name;
  std::vector<DebugMenuEntry> table;
  unsigned base;
  std::string expected;
};

class DllMenuWalk : public ::testing::TestWithParam<MenuRow> {};

TEST_P(DllMenuWalk, NumbersEveryEntryFromTheBase) {
  std::vector<DebugMenuEntry> table = GetParam().table;
  EXPECT_EQ(Describe(AppendDllMenu(table.data(), GetParam().base)), GetParam().expected);
  // No entry is given an id outside its table's range.
  for (const DebugMenuEntry& e : table) EXPECT_TRUE(e.id == 0 || e.id < DllMenuRangeEnd(GetParam().base)) << e.id;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DllMenuWalk,
    ::testing::Values(
        MenuRow{"EmptyTableGivesTheSeparator", {E(-1, nullptr)}, 32820, "|"},
        MenuRow{"Items", {E(1, "Trace"), E(1, "Reset"), E(-1, nullptr)}, 32820, "|Trace=32820 Reset=32821 "},
        MenuRow{"EmptyPopupStillConsumesTwoIds",
                {E(2, "Pop"), E(-2, nullptr), E(1, "After"), E(-1, nullptr)},
                32880,
                "|Pop{} After=32882 "},
        MenuRow{"PopupItemsAndTheEntryAfter",
                {E(1, "A"), E(2, "Pop"), E(1, "B"), E(1, "C"), E(-2, nullptr), E(1, "D"), E(-1, nullptr)},
                33000,
                "|A=33000 Pop{B=33002 C=33003 } D=33005 "},
        MenuRow{"UnknownKindEndsTheWalk", {E(1, "A"), E(7, "X"), E(1, "B"), E(-1, nullptr)}, 35114, "|A=35114 "},
        // Ids past a table's range belong to other commands (35124 on,
        // 33010 on): the entries there are left out.
        MenuRow{"ItemsPastTheRangeAreLeftOut",
                {E(1, "a"), E(1, "b"), E(1, "c"), E(1, "d"), E(1, "e"), E(1, "f"), E(1, "g"), E(1, "h"), E(1, "i"),
                 E(1, "j"), E(1, "k"), E(-1, nullptr)},
                35114,
                "|a=35114 b=35115 c=35116 d=35117 e=35118 f=35119 g=35120 h=35121 i=35122 j=35123 "},
        MenuRow{"PopupItemsPastTheRangeAreLeftOut",
                {E(2, "P"), E(1, "a"), E(1, "b"), E(1, "c"), E(1, "d"), E(1, "e"), E(1, "f"), E(1, "g"), E(1, "h"),
                 E(1, "i"), E(1, "j"), E(-2, nullptr), E(1, "z"), E(-1, nullptr)},
                33000,
                "|P{a=33001 b=33002 c=33003 d=33004 e=33005 f=33006 g=33007 h=33008 i=33009 } "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DllMenuItem, EnabledInASessionAndCheckedByTheStateBlock) {
  uint32_t on[2] = {0, 1}, off[2] = {0, 0};
  std::vector<DebugMenuEntry> table = {E(1, "A"), E(1, "B"), E(1, "C"), E(-1, nullptr)};
  table[0].state = on;
  table[1].state = off;
  auto a = UpdateDllMenuItem(table.data(), 0, true);
  auto b = UpdateDllMenuItem(table.data(), 1, true);
  auto c = UpdateDllMenuItem(table.data(), 2, true);
  auto beyond = UpdateDllMenuItem(table.data(), 20, true);
  auto idle = UpdateDllMenuItem(table.data(), 0, false);
  auto none = UpdateDllMenuItem(nullptr, 0, true);
  EXPECT_TRUE(a.enabled && a.checked);
  EXPECT_TRUE(b.enabled && !b.checked);
  EXPECT_TRUE(c.enabled && !c.checked);
  EXPECT_FALSE(beyond.checked);
  EXPECT_FALSE(idle.enabled);
  EXPECT_FALSE(none.enabled);
  EXPECT_FALSE(RunDllMenuItem(table.data(), 20));  // past the end: nothing is called
}

TEST_F(SessionTest, DriverMenuEntriesComeFromTheDriversTablesAndCallBack) {
  Script("menu 1 1 Trace Recording\nmenu 1 1 Show Statistics\nmenustate 1 1 1\nmenu 4 1 Flash Monitor\n");
  Start();
  ASSERT_TRUE(session->SessionActive());
  DebugInterface& r = *session->Record();
  EXPECT_EQ(Describe(AppendDllMenu(DllMenuTable(r, 32820), 32820)), "|Trace Recording=32820 Show Statistics=32821 ");
  EXPECT_EQ(Describe(AppendDllMenu(DllMenuTable(r, 35114), 35114)), "|Flash Monitor=35114 ");
  EXPECT_EQ(Describe(AppendDllMenu(DllMenuTable(r, 32880), 32880)), "|");
  EXPECT_TRUE(UpdateDllMenuItem(DllMenuTable(r, 32820), 1, session->SessionActive()).checked);
  EXPECT_FALSE(UpdateDllMenuItem(DllMenuTable(r, 32820), 0, session->SessionActive()).checked);
  ClearDriverLog();
  EXPECT_TRUE(RunDllMenuItem(DllMenuTable(r, 32820), 1));
  EXPECT_EQ(DriverLog(), "menu Show Statistics\n");
}

// ---- the register set

TEST_F(SessionTest, DriverHandsItsRegisterSetOverAtTheStart) {
  Script("group Core 1\nreg 0 R0 0x00000001 edit\nreg 0 PC 0x00000100\n");
  Start();
  ASSERT_NE(host.registerSet, nullptr);
  RegisterSetModel model;
  model.SetRegisterSet(host.registerSet);
  ASSERT_EQ(model.Rows().size(), 3u);
  EXPECT_EQ(model.Rows()[0].name, "Core");
  EXPECT_TRUE(model.Rows()[0].expanded);
  EXPECT_EQ(model.ValueText(2), "0x00000100");
  // Refresh asks the driver once for the pass, then per register.
  ClearDriverLog();
  model.Refresh(RegisterSetModel::kRefreshAll, session->SessionActive());
  EXPECT_EQ(DriverLog(), "regrefresh 2147483648\n");
  // An edit of an editable register reaches the driver's set-value callback.
  EXPECT_TRUE(model.MayEdit(1, session->SessionActive()));
  EXPECT_FALSE(model.MayEdit(2, session->SessionActive()));
  model.SetValue(1, 0x1234);
  EXPECT_EQ(model.ValueText(1), "0x00001234");
  EXPECT_TRUE(model.Changed(1));
  session->StopDebugger();
  EXPECT_EQ(host.registerSet, nullptr);
  EXPECT_FALSE(model.MayEdit(1, session->SessionActive()));
}

RegisterEntry Reg(int group, const char* name, uint16_t code = 0) {
  RegisterEntry e{};
  e.kind = 1;
  e.group = uint8_t(group);
  e.composite = code;
  std::strncpy(e.name, name, sizeof e.name - 1);
  return e;
}

std::string Tree(const RegisterSetModel& m) {
  std::string out;
  for (const RegisterRow& r : m.Rows()) out += r.name + "<" + std::to_string(r.parent) + " ";
  return out;
}

struct TreeRow {
  const char* name;
  uint32_t groups;
  std::vector<RegisterEntry> regs;
  std::string expected;
};

class RegisterTree : public ::testing::TestWithParam<TreeRow> {};

TEST_P(RegisterTree, GroupsRegistersAndCompositeFields) {
  std::vector<RegisterGroup> groups(std::max<uint32_t>(GetParam().groups, 1));
  const char* names[] = {"G0", "G1"};
  for (std::size_t i = 0; i < groups.size(); ++i) groups[i] = RegisterGroup{0, 0, names[i % 2]};
  std::vector<RegisterEntry> regs = GetParam().regs;
  RegisterSet set{GetParam().groups, uint32_t(regs.size()), groups.data(), regs.data(), nullptr, nullptr};
  RegisterSetModel m;
  m.SetRegisterSet(&set);
  EXPECT_EQ(Tree(m), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RegisterTree,
    ::testing::Values(
        TreeRow{"PlainRegistersUnderTheirGroups", 2, {Reg(0, "R0"), Reg(1, "SP")}, "G0<-1 G1<-1 R0<0 SP<1 "},
        TreeRow{"FieldsAndLaterRegistersStayUnderTheHeadUntilClosed",
                1,
                {Reg(0, "CPSR", 0x100), Reg(0, "N", 0x101), Reg(0, "R1"), Reg(0, "", 0x100), Reg(0, "R2")},
                "G0<-1 CPSR<0 N<1 R1<1 R2<0 "},
        TreeRow{"ASecondHeadClosesTheFirst",
                1,
                {Reg(0, "A", 0x100), Reg(0, "a1", 0x101), Reg(0, "B", 0x200), Reg(0, "b1", 0x201)},
                "G0<-1 A<0 a1<1 B<0 b1<3 "},
        TreeRow{"ThirtyThreeGroupsLeaveThePageEmpty", 33, {Reg(0, "R0")}, ""},
        TreeRow{"NoGroupsLeaveThePageEmpty", 0, {Reg(0, "R0")}, ""},
        TreeRow{"NoRegistersLeaveThePageEmpty", 1, {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

DebugMenuEntry g_someTable[] = {{kDbgMenuEnd, nullptr, nullptr, 0, 0, nullptr}};

struct OrderRow {
  const char* name;
  bool t104, t108, t10C, t7C, session;
  std::vector<unsigned> order;
};
class PeripheralsOrder : public ::testing::TestWithParam<OrderRow> {};
TEST_P(PeripheralsOrder, Tables) {
  DebugInterface r{};
  const OrderRow& row = GetParam();
  r.menu1 = row.t104 ? g_someTable : nullptr;
  r.menu2 = row.t108 ? g_someTable : nullptr;
  r.menu3 = row.t10C ? g_someTable : nullptr;
  r.menu4 = row.t7C ? g_someTable : nullptr;
  EXPECT_EQ(PeripheralsMenuOrder(r, row.session), row.order);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, PeripheralsOrder,
    ::testing::Values(OrderRow{"All", true, true, true, true, true, {33000, 32820, 32880, 35114}},
                      OrderRow{"NoSession", true, true, true, true, false, {}},
                      OrderRow{"LastAloneIsLeftOut", false, false, false, true, true, {}},
                      OrderRow{"ThirdAndLast", false, false, true, true, true, {33000, 35114}},
                      OrderRow{"FirstTwo", true, true, false, false, true, {32820, 32880}}),
    [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace pm2
