// The Breakpoints dialog's own sequence through the GDB driver on the
// example: the list is fetched and numbered, a row's box is changed, and
// Close (after a definition or without one) numbers the list again before
// it hands the changes on. gdb's breakpoint then is as the box says, and
// so are the margins' marks.
#include <ostream>
#include <string>
#include <vector>

#include "driver_abi/debug_records.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace breakpoints_dialog_test {

// DbgBreakpoint op 1: the state at an address (1 enabled, 2 disabled).
constexpr int32_t kBpState = 1;

struct DialogRow {
  const char* name;
  bool define;  // a breakpoint is defined between the change and Close
};

void PrintTo(const DialogRow& row, std::ostream* out) { *out << row.name; }

class GdbBreakpointsDialog : public GdbSessionTest, public ::testing::WithParamInterface<DialogRow> {
 protected:
  DbgBreakpointRecord* Head() {
    return reinterpret_cast<DbgBreakpointRecord*>(
        session->Record()->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  }
  // The dialog's walk over the list: its rows, numbered in list order.
  std::vector<DbgBreakpointRecord*> Rows() {
    std::vector<DbgBreakpointRecord*> rows;
    for (DbgBreakpointRecord* b = Head(); b && rows.size() < 64; b = b->next) {
      b->number = uint32_t(rows.size());
      rows.push_back(b);
    }
    return rows;
  }
};

TEST_P(GdbBreakpointsDialog, CloseHandsTheBoxesOnToGdb) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  // main's breakpoint enabled, LED_On's disabled.
  ASSERT_EQ(r->DbgExecCommand("BS LED_On", 9), 0) << CommandTexts();
  ASSERT_EQ(r->DbgExecCommand("BD 2", 4), 0) << CommandTexts();

  // Opening: op 6, the list numbered and filled.
  r->DbgBreakpointList(kDbgBpListOpen, 0, 0, nullptr);
  Rows();
  std::vector<DbgBreakpointRecord*> rows = Rows();
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_TRUE(rows[0]->flags & kDbgBpEnabled);
  ASSERT_FALSE(rows[1]->flags & kDbgBpEnabled);
  const uint32_t mainAt = rows[0]->address, ledOnAt = rows[1]->address;
  ASSERT_EQ(r->DbgBreakpoint(mainAt, kBpState), 1u);
  ASSERT_EQ(r->DbgBreakpoint(ledOnAt, kBpState), 2u);

  // The boxes: main's unchecked, LED_On's checked (the selection writes the bit).
  rows[0]->flags &= ~uint32_t(kDbgBpEnabled);
  rows[1]->flags |= kDbgBpEnabled;
  if (GetParam().define) {
    DbgBreakpointRequest q{};
    q.expression = "LED_Off";
    q.passCount = q.passCount2 = 1;
    r->DbgBreakpointDefine(0, 0, 0, &q);
    ASSERT_EQ(q.error, 0) << CommandTexts();
  }
  // Close: numbered again, then op 7.
  Rows();
  r->DbgBreakpointList(kDbgBpListClose, 0, 0, nullptr);

  // gdb's list as the dialog would show it when opened again.
  r->DbgBreakpointList(kDbgBpListOpen, 0, 0, nullptr);
  rows = Rows();
  ASSERT_EQ(rows.size(), GetParam().define ? 3u : 2u);
  EXPECT_FALSE(rows[0]->flags & kDbgBpEnabled) << "main's breakpoint";
  EXPECT_TRUE(rows[1]->flags & kDbgBpEnabled) << "LED_On's breakpoint";
  if (GetParam().define) {
    EXPECT_TRUE(rows[2]->flags & kDbgBpEnabled) << "LED_Off's breakpoint";
  }
  EXPECT_EQ(r->DbgBreakpoint(mainAt, kBpState), 2u);
  EXPECT_EQ(r->DbgBreakpoint(ledOnAt, kBpState), 1u);
  r->DbgBreakpointList(kDbgBpListClose, 0, 0, nullptr);

  // And the target stops at LED_On's, not at main's.
  const int before = host.stopsPosted;
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return host.stopsPosted > before && !session->TargetExecuting(); })) << CommandTexts();
  EXPECT_EQ(r->pc, ledOnAt);
}

INSTANTIATE_TEST_SUITE_P(Sequences, GdbBreakpointsDialog,
                         ::testing::Values(DialogRow{"Close", false}, DialogRow{"DefineThenClose", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace breakpoints_dialog_test
}  // namespace pm2
