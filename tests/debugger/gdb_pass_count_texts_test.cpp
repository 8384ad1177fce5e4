// gdb's answers to a typed pass count ("ignore") name the breakpoint by the
// number the command page and the breakpoint list show, not by gdb's own
// (the driver's watchpoint of the UART stand-in takes gdb's first number).
#include <cstring>
#include <string>

#include "gdb_session_fixture.h"

namespace gdb_pass_count_texts_test {

using pm2::GdbSessionTest;

struct IgnoreRow {
  const char* name;
  const char* typed;
  const char* said;
};

const IgnoreRow kIgnoreRows[] = {
    {"Several", "ignore 2 4", "Will ignore next 4 crossings of breakpoint 2.\n"},
    {"One", "ignore 2 1", "Will ignore next crossing of breakpoint 2.\n"},
    {"None", "ignore 1 0", "Will stop next time breakpoint 1 is reached.\n"},
};

class GdbIgnoreTexts : public GdbSessionTest, public ::testing::WithParamInterface<IgnoreRow> {};

TEST_P(GdbIgnoreTexts, NameTheListsNumber) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());  // breakpoint 1 at main
  DebugInterface* r = session->Record();
  ASSERT_EQ(r->DbgExecCommand("BS LED_On", 9), 0) << CommandTexts();
  ASSERT_TRUE(Said("Breakpoint 2 at ")) << CommandTexts();
  const IgnoreRow& row = GetParam();
  ASSERT_EQ(r->DbgExecCommand(row.typed, int32_t(std::strlen(row.typed))), 0) << CommandTexts();
  EXPECT_TRUE(pm2::WaitFor([&] { return Said(row.said); })) << CommandTexts();
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbIgnoreTexts, ::testing::ValuesIn(kIgnoreRows),
                         [](const ::testing::TestParamInfo<IgnoreRow>& info) { return info.param.name; });

}  // namespace gdb_pass_count_texts_test
