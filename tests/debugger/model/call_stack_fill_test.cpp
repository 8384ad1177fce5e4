#include "debugger/model/call_stack_fill.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fake_watch_driver.h"

namespace pm2 {
namespace {

using test::FakeWatchDriver;

struct StackRow {
  const char* name;
  std::vector<DbgCallStackEntry> stack;  // outermost first
  std::vector<std::string> called;       // rows' called texts
  std::vector<std::string> calling;
};
class CallStackFill : public ::testing::TestWithParam<StackRow> {};
TEST_P(CallStackFill, Rows) {
  FakeWatchDriver drv;
  drv.Install();
  drv.names = {{0x100, "main"}, {0x200, "Reset_Handler"}, {0x300, "delay"}, {0x210, "Reset_Handler+16"},
               {0x120, "main+32"}};
  drv.stack = GetParam().stack;
  drv.record.DbgControl(kDbgCtlBeforeCallStack, 0, 0);
  const std::vector<CallStackRow> rows = FillCallStack(drv.record);
  std::vector<std::string> called, calling;
  for (const CallStackRow& r : rows) {
    called.push_back(r.calledText);
    calling.push_back(r.callingText);
  }
  EXPECT_EQ(called, GetParam().called);
  EXPECT_EQ(calling, GetParam().calling);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, CallStackFill,
    ::testing::Values(
        StackRow{"Empty", {}, {}, {}},
        StackRow{"MainAndItsCaller",
                 {{0, 0x200, 0, 0, 0}, {0x210, 0x100, 0, 0, 0}},
                 {"000: main", "001: Reset_Handler"},
                 {"Reset_Handler+16", "0x00000000"}},
        StackRow{"OutermostWithoutFunctionLeftOut",
                 {{0, 0, 0, 0, 0}, {0x210, 0x100, 0, 0, 0}, {0x120, 0x300, 0, 0, 0}},
                 {"000: delay", "001: main"},
                 {"main+32", "Reset_Handler+16"}},
        StackRow{"UnnamedAddressFormatted", {{0, 0x4444, 0, 0, 0}}, {"000: 0x00004444"}, {"0x00000000"}}),
    [](const auto& i) { return std::string(i.param.name); });

struct OutermostRow {
  const char* name;
  bool named;        // the driver answers DbgEnum 8
  uint8_t attr;      // DbgAddressAttr's first byte for its address
  std::vector<std::string> called;
};
class CallStackOutermost : public ::testing::TestWithParam<OutermostRow> {};
// An outermost entry without a calling place takes the function the driver
// names (DbgEnum 8) when its attributes say it is one, and is left out when
// they say it is not.
TEST_P(CallStackOutermost, TakesTheDriversCurrentFunction) {
  FakeWatchDriver drv;
  drv.Install();
  drv.names = {{0x100, "main"}, {0x300, "delay"}, {0x400, "Reset_Handler"}};
  drv.stack = {{0, 0x400, 0, 0, 0}, {0x120, 0x300, 0, 0, 0}};
  if (GetParam().named) {
    drv.current.assign(32, 0);
    const uint32_t address = 0x100;
    std::memcpy(drv.current.data() + 19, &address, 4);
    drv.attrs[0x100] = GetParam().attr;
  }
  drv.record.DbgControl(kDbgCtlBeforeCallStack, 0, 0);
  std::vector<std::string> called;
  for (const CallStackRow& r : FillCallStack(drv.record)) called.push_back(r.calledText);
  EXPECT_EQ(called, GetParam().called);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, CallStackOutermost,
    ::testing::Values(OutermostRow{"AFunction", true, 0x10, {"000: delay", "001: main"}},
                      OutermostRow{"NotAFunction", true, 0x01, {"000: delay"}},
                      OutermostRow{"DriverNamesNoneKeepsTheEntry", false, 0, {"000: delay", "001: Reset_Handler"}}),
    [](const auto& i) { return std::string(i.param.name); });

TEST(CallStackLimits, AtMost256RowsFromTheInnermost) {
  FakeWatchDriver drv;
  drv.Install();
  drv.stack.assign(300, DbgCallStackEntry{0x120, 0x100, 0, 0, 0});
  drv.names[0x100] = "main";
  drv.record.DbgControl(kDbgCtlBeforeCallStack, 0, 0);
  const std::vector<CallStackRow> rows = FillCallStack(drv.record);
  ASSERT_EQ(rows.size(), 256u);
  EXPECT_EQ(rows[0].calledText.substr(0, 5), "000: ");
  EXPECT_EQ(rows[255].calledText.substr(0, 5).find("255"), 0u);
}

TEST(CallStackLimits, AFullTextAreaShowsDots) {
  CallStackTextArea area;
  const std::string text(100, 'x');
  int stored = 0;
  while (area.Store(text) == text) ++stored;
  // 102 bytes a text: 80 fit below 8,189.
  EXPECT_EQ(stored, 80);
  EXPECT_EQ(area.Store("a"), "a");  // a short one still fits
  EXPECT_EQ(area.Fill(), 80 * 102 + 3);
  area.Clear();
  EXPECT_EQ(area.Store(text), text);
}

}  // namespace
}  // namespace pm2
