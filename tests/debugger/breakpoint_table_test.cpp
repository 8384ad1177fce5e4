// gdb's breakpoint table as the GDB driver's breakpoint list, without gdb:
// a breakpoint or watchpoint with several locations is one breakpoint, and
// the linked list built from any table ends (repeated numbers, locations
// before or without their breakpoint's row).
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "debugger/gdb/breakpoints/breakpoint_records.h"
#include "debugger/gdb/breakpoints/breakpoint_table.h"
#include "debugger/gdb/mi/mi_parser.h"

namespace pm2::gdb {
namespace {

// What a breakpoint of the list must hold.
struct Expected {
  int number;
  uint64_t address;
  int access;
  bool enabled;
  std::string location;
  int line;
};

struct TableRow {
  const char* name;
  const char* answer;  // gdb's answer to -break-list
  std::vector<Expected> expected;
};

void PrintTo(const TableRow& row, std::ostream* out) { *out << row.name; }

// The records of a list, at most `bound` of them: more means it does not end.
std::vector<const DbgBreakpointRecord*> Walk(const DbgBreakpointRecord* head, std::size_t bound) {
  std::vector<const DbgBreakpointRecord*> seen;
  for (const DbgBreakpointRecord* r = head; r && seen.size() <= bound; r = r->next) seen.push_back(r);
  return seen;
}

class BreakpointTable : public ::testing::TestWithParam<TableRow> {};

TEST_P(BreakpointTable, OneBreakpointPerNumberAndTheListEnds) {
  const TableRow& row = GetParam();
  const MiRecord r = ParseMiLine(row.answer);
  ASSERT_EQ(r.kind, MiKind::Result) << r.error;
  const MiValue* table = r.results.Find("BreakpointTable");
  ASSERT_NE(table, nullptr);
  const std::vector<GdbBreakpointInfo> list = BreakpointTableRows(*table);
  ASSERT_EQ(list.size(), row.expected.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    const Expected& e = row.expected[i];
    EXPECT_EQ(list[i].number, e.number);
    EXPECT_EQ(list[i].address, e.address);
    EXPECT_EQ(list[i].access, e.access);
    EXPECT_EQ(list[i].enabled, e.enabled);
    EXPECT_EQ(list[i].location, e.location);
    EXPECT_EQ(list[i].line, e.line);
  }
  // The list is built at each listing (BL, BK, the dialog, each change),
  // reusing the records of the numbers it had.
  BreakpointRecords records;
  for (int listing = 0; listing < 3; ++listing) {
    SCOPED_TRACE(listing);
    const std::vector<const DbgBreakpointRecord*> walked = Walk(records.Build(list), list.size());
    ASSERT_EQ(walked.size(), list.size());
    for (std::size_t i = 0; i < walked.size(); ++i) {
      EXPECT_EQ(walked[i]->word04, uint32_t(row.expected[i].number));
      EXPECT_EQ(walked[i]->address, uint32_t(row.expected[i].address));
      EXPECT_EQ((walked[i]->flags & kDbgBpEnabled) != 0, row.expected[i].enabled);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BreakpointTable,
    ::testing::Values(
        // gdb-multiarch 13.1 on the example under qemu, stopped in main:
        // "break main", "watch pattern_step++", "break Blinky.c:40".
        TableRow{"WatchpointWithThreeLocations",
                 R"(^done,BreakpointTable={nr_rows="3",nr_cols="6",hdr=[{width="7",alignment="-1",col_name="number",colhdr="Num"},{width="14",alignment="-1",col_name="type",colhdr="Type"},{width="4",alignment="-1",col_name="disp",colhdr="Disp"},{width="3",alignment="-1",col_name="enabled",colhdr="Enb"},{width="10",alignment="-1",col_name="addr",colhdr="Address"},{width="40",alignment="2",col_name="what",colhdr="What"}],body=[bkpt={number="1",type="breakpoint",disp="keep",enabled="y",addr="0x0000021c",func="main",file="Blinky.c",fullname="/home/user/blinky/Blinky.c",line="35",thread-groups=["i1"],times="1",original-location="main"},bkpt={number="2",type="watchpoint",disp="keep",enabled="y",what="pattern_step++",times="0",original-location="pattern_step++"},{number="2.1",enabled="y",what="pattern_step++",thread-groups=["i1"]},{number="2.2",enabled="y",what="pattern_step++",thread-groups=["i1"]},{number="2.3",enabled="y",what="pattern_step++",thread-groups=["i1"]},bkpt={number="3",type="breakpoint",disp="keep",enabled="y",addr="0x000002ec",func="main",file="Blinky.c",fullname="/home/user/blinky/Blinky.c",line="40",thread-groups=["i1"],times="0",original-location="Blinky.c:40"}]})",
                 {{1, 0x21C, 0, true, "main", 35},
                  {2, 0, 2, true, "pattern_step++", 0},
                  {3, 0x2EC, 0, true, "Blinky.c:40", 40}}},
        // The example built with -O2, "break Serial_PutChar" (inlined at
        // each call; the first three of its seven locations).
        TableRow{"InlinedFunctionWithSeveralLocations",
                 R"(^done,BreakpointTable={nr_rows="1",nr_cols="6",hdr=[{width="7",alignment="-1",col_name="number",colhdr="Num"},{width="14",alignment="-1",col_name="type",colhdr="Type"},{width="4",alignment="-1",col_name="disp",colhdr="Disp"},{width="3",alignment="-1",col_name="enabled",colhdr="Enb"},{width="10",alignment="-1",col_name="addr",colhdr="Address"},{width="40",alignment="2",col_name="what",colhdr="What"}],body=[bkpt={number="1",type="breakpoint",disp="keep",enabled="y",addr="<MULTIPLE>",times="0",original-location="Serial_PutChar"},{number="1.1",enabled="y",addr="0x000000f4",func="Serial_PutChar",file="Blinky.c",fullname="/home/user/blinky/Blinky.c",line="22",thread-groups=["i1"]},{number="1.2",enabled="y",addr="0x0000011c",func="Serial_PutChar",file="Blinky.c",fullname="/home/user/blinky/Blinky.c",line="22",thread-groups=["i1"]},{number="1.3",enabled="y",addr="0x00000158",func="Serial_PutChar",file="Blinky.c",fullname="/home/user/blinky/Blinky.c",line="22",thread-groups=["i1"]}]})",
                 {{1, 0xF4, 0, true, "Serial_PutChar", 22}}},
        // gdb's MI3 form: the locations inside their breakpoint's row.
        TableRow{"LocationsInsideTheirBreakpoint",
                 R"(^done,BreakpointTable={body=[bkpt={number="4",type="breakpoint",enabled="n",addr="<MULTIPLE>",original-location="LED_On",locations=[{number="4.1",enabled="y",addr="0x00000400",fullname="/b/LED.c",line="12"},{number="4.2",enabled="y",addr="0x00000480",fullname="/b/LED.c",line="12"}]}]})",
                 {{4, 0x400, 0, false, "LED_On", 12}}},
        TableRow{"RepeatedNumbers",
                 R"(^done,BreakpointTable={body=[bkpt={number="5",type="breakpoint",enabled="y",addr="0x00000100",original-location="a"},bkpt={number="6",type="breakpoint",enabled="y",addr="0x00000200",original-location="b"},bkpt={number="5",type="breakpoint",enabled="n",addr="0x00000300",original-location="c"},bkpt={number="6",type="breakpoint",enabled="y",addr="0x00000200",original-location="b"}]})",
                 {{5, 0x100, 0, true, "a", 0}, {6, 0x200, 0, true, "b", 0}}},
        TableRow{"LocationsBeforeTheirBreakpoint",
                 R"(^done,BreakpointTable={body=[{number="7.1",enabled="y",addr="0x00000500",fullname="/b/Timer.c",line="26"},{number="7.2",enabled="y",addr="0x00000540",fullname="/b/Timer.c",line="26"},bkpt={number="7",type="breakpoint",enabled="n",addr="<MULTIPLE>",original-location="Timer.c:26"},bkpt={number="8",type="breakpoint",enabled="y",addr="0x00000600",original-location="x"}]})",
                 {{7, 0x500, 0, false, "Timer.c:26", 26}, {8, 0x600, 0, true, "x", 0}}},
        // A location whose breakpoint's row is missing stands for it.
        TableRow{"LocationsWithoutTheirBreakpoint",
                 R"(^done,BreakpointTable={body=[{number="9.2",enabled="y",addr="0x00000700",fullname="/b/LED.c",line="30"},{number="9.3",enabled="y",addr="0x00000740",fullname="/b/LED.c",line="31"},{number="10.1",enabled="y",what="ticks"}]})",
                 {{9, 0x700, 0, true, "", 30}, {10, 0, 2, true, "ticks", 0}}},
        TableRow{"RowsWithoutANumber",
                 R"(^done,BreakpointTable={body=[bkpt={number="0",type="breakpoint",addr="0x1"},bkpt={number="x",type="breakpoint",addr="0x2"},bkpt={type="breakpoint",addr="0x3"},bkpt={number="-2.1",addr="0x4"},bkpt={number="11",type="read watchpoint",enabled="y",what="ticks"}]})",
                 {{11, 0, 1, true, "ticks", 0}}},
        TableRow{"NoBreakpoints",
                 R"(^done,BreakpointTable={nr_rows="0",nr_cols="6",hdr=[],body=[]})", {}}),
    [](const auto& info) { return std::string(info.param.name); });

// gdb's answer to -break-insert as one breakpoint with each of its places.
struct InsertRow {
  const char* name;
  const char* answer;
  int number;
  std::vector<uint64_t> addresses;
  std::string file, line;
};

void PrintTo(const InsertRow& row, std::ostream* out) { *out << row.name; }

class InsertedBreakpointAnswer : public ::testing::TestWithParam<InsertRow> {};

TEST_P(InsertedBreakpointAnswer, IsOneBreakpointWithItsPlaces) {
  const InsertRow& row = GetParam();
  const MiRecord r = ParseMiLine(row.answer);
  ASSERT_EQ(r.kind, MiKind::Result) << r.error;
  const InsertedBreakpoint b = InsertedBreakpointOf(r.results);
  EXPECT_EQ(b.number, row.number);
  EXPECT_EQ(b.addresses, row.addresses);
  EXPECT_EQ(b.file, row.file);
  EXPECT_EQ(b.line, row.line);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InsertedBreakpointAnswer,
    ::testing::Values(
        // gdb-multiarch 13.1 on the example.
        InsertRow{"OnePlace",
                  R"(^done,bkpt={number="1",type="breakpoint",disp="keep",enabled="y",addr="0x0000021c",func="main",file="Blinky.c",fullname="/b/Blinky.c",line="35",thread-groups=["i1"],times="0",original-location="main"})",
                  1, {0x21C}, "Blinky.c", "35"},
        // A static inline function of LED.h that LED.c and Timer.c call.
        InsertRow{"TwoPlaces",
                  R"(^done,bkpt={number="3",type="breakpoint",disp="keep",enabled="y",addr="<MULTIPLE>",times="0",original-location="Twice"},{number="3.1",enabled="y",addr="0x00000334",func="Twice",file="LED.h",fullname="/b/LED.h",line="11",thread-groups=["i1"]},{number="3.2",enabled="y",addr="0x00000468",func="Twice",file="LED.h",fullname="/b/LED.h",line="11",thread-groups=["i1"]})",
                  3, {0x334, 0x468}, "LED.h", "11"},
        // gdb's MI3 form: the locations inside their breakpoint.
        InsertRow{"PlacesInsideTheBreakpoint",
                  R"(^done,bkpt={number="4",type="breakpoint",addr="<MULTIPLE>",locations=[{number="4.1",addr="0x00000400",file="LED.c",line="12"},{number="4.2",addr="0x00000480",file="LED.c",line="12"}]})",
                  4, {0x400, 0x480}, "LED.c", "12"},
        InsertRow{"PlacesOfAnotherNumberAndRepeatsLeftOut",
                  R"(^done,bkpt={number="5",addr="<MULTIPLE>"},{number="6.1",addr="0x00000100"},{number="5.1",addr="0x00000200"},{number="5.2",addr="0x00000200"},{number="5",addr="0x00000300"})",
                  5, {0x200}, "", ""},
        InsertRow{"Pending", R"(^done,bkpt={number="7",type="breakpoint",addr="<PENDING>",pending="nosuch"})", 7, {}, "",
                  ""},
        InsertRow{"NoBreakpoint", R"(^done,wpt={number="8",exp="ticks"})", 0, {}, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The list holds a number once, whatever the breakpoints it is built from
// repeat, also built again over the records it has.
TEST(BreakpointRecords, ARepeatedNumberIsLinkedOnce) {
  std::vector<GdbBreakpointInfo> list(5);
  const int numbers[] = {3, 3, 1, 3, 1};
  for (std::size_t i = 0; i < list.size(); ++i) {
    list[i].number = numbers[i];
    list[i].address = 0x100 * (i + 1);
  }
  BreakpointRecords records;
  for (int listing = 0; listing < 2; ++listing) {
    const std::vector<const DbgBreakpointRecord*> walked = Walk(records.Build(list), list.size());
    ASSERT_EQ(walked.size(), 2u);
    EXPECT_EQ(walked[0]->word04, 3u);
    EXPECT_EQ(walked[0]->address, 0x100u);
    EXPECT_EQ(walked[1]->word04, 1u);
    EXPECT_EQ(walked[1]->address, 0x300u);
  }
}

}  // namespace
}  // namespace pm2::gdb
