// Reads that gdb itself keeps from writing, on the example under qemu with
// a counting malloc and a global U linked in: gdb evaluates what the user
// only asked to see with memory writes and calls off, whatever road the
// text took (a watch row with the window's back-quotes, a lone literal as
// a location, Show Code at Address), and turns memory writes on only for a
// write the user asked for and for a run. Typed commands of gdb's own name
// the command page's breakpoints, never the driver's (its UART stand-in's
// watchpoint), and gdb's answers to them reach the command page at once.
#include <cstdio>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "debugger/gdb/target/gdb_target.h"
#include "driver_abi/debug_records.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace read_permissions_test {

constexpr uint32_t kIoset0 = 0xE0028004u;  // LED_On writes it

// What a read must leave as it was: the program's variables, the LEDs'
// register, the program counter and the calls of malloc.
struct State {
  uint32_t u = 0, step = 0, ioset = 0, pc = 0, mallocs = 0;
  bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* out) {
  char b[128];
  std::snprintf(b, sizeof b, "{U %u, step %u, IOSET0 %08X, pc %08X, malloc calls %u}", s.u, s.step, s.ioset, s.pc,
                s.mallocs);
  *out << b;
}

// What the program sent to serial window 1 so far (notification 15: the
// window in bits 24 to 31, the byte below).
std::string SerialOne(const RecordingHub& hub) {
  std::string out;
  for (const RecordingHub::Entry& e : hub.Entries())
    if (e.code == kNotifySerialOutput3 && ((uint32_t(e.arg) >> 24) & 0xFF) == 0) out += char(e.arg & 0xFF);
  return out;
}

class GdbReadPermissions : public GdbMallocSessionTest {
 protected:
  State Now() {
    return State{Evaluate("U"), Evaluate("pattern_step"), Word(kIoset0), Evaluate("(unsigned long)$pc"),
                 Evaluate("malloc_calls")};
  }
  int Type(const std::string& line) {
    return session->Record()->DbgExecCommand(line.c_str(), int32_t(line.size()));
  }
};

// A road the IDE hands a user's text to gdb by, only to read: false when
// the driver refused or gdb failed, as the window shows it.
struct ReadRoad {
  const char* name;
  std::function<bool(DebugInterface*)> read;
};

void PrintTo(const ReadRoad& road, std::ostream* out) { *out << road.name; }

bool WatchRow(DebugInterface* r, const char* expression) {
  DbgWatchValue v{};
  v.expression = expression;
  v.radix = -1;
  return r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0) == 0;
}

bool WatchMembers(DebugInterface* r, const char* expression) {
  DbgWatchNames names{};
  return r->DbgControl(kDbgCtlWatchMembers, intptr_t(expression), reinterpret_cast<intptr_t>(&names)) == 0;
}

bool DialogBreakpoint(DebugInterface* r, const char* expression) {
  DbgBreakpointRequest q{};
  q.expression = expression;
  q.passCount = q.passCount2 = 1;
  r->DbgBreakpointDefine(0, 0, 0, &q);
  return q.error == 0;
}

// Show Code at Address as the disassembly window asks: the address, and a
// text the driver cannot evaluate as its "U" command.
bool ShowCodeAt(DebugInterface* r, const std::string& text) {
  uint8_t result[52] = {};
  if (r->DbgControl(kDbgCtlEvalAddress, intptr_t(text.c_str()), intptr_t(result)) == 0) return true;
  const std::string line = "U " + text + "\n";
  return r->DbgExecCommand(line.c_str(), int32_t(line.size())) == 0;
}

class GdbReadRoads : public GdbReadPermissions, public ::testing::WithParamInterface<ReadRoad> {};

TEST_P(GdbReadRoads, NeitherWriteNorCallAndGdbAnswersOn) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const int breakpoints = BreakpointCount();
  // The windows ask again at every stop.
  for (int stop = 0; stop < 2; ++stop) {
    SCOPED_TRACE(stop);
    const State before = Now();
    EXPECT_FALSE(GetParam().read(r)) << CommandTexts();
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(before.mallocs, 0u);
    EXPECT_EQ(before.u, 7u);
    EXPECT_EQ(BreakpointCount(), breakpoints);
    EXPECT_FALSE(session->TargetExecuting());
    ASSERT_NO_FATAL_FAILURE(StepOver());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Roads, GdbReadRoads,
    ::testing::Values(
        // The watch window's back-quotes hid a call or an increment from the check.
        ReadRoad{"WatchRowCallBehindABackQuote", [](DebugInterface* r) { return WatchRow(r, " `LED_On`(5)"); }},
        ReadRoad{"WatchRowIncrementBehindABackQuote",
                 [](DebugInterface* r) { return WatchRow(r, " `pattern_step+`+"); }},
        // A call that would hold gdb for seconds.
        ReadRoad{"WatchRowLongCallBehindABackQuote",
                 [](DebugInterface* r) { return WatchRow(r, " `Timer_Delay`(0xFFFFFFFF)"); }},
        ReadRoad{"WatchMembersCallBehindABackQuote", [](DebugInterface* r) { return WatchMembers(r, "LED_On`(5)"); }},
        // A lone literal as a location: gdb would place it through malloc.
        ReadRoad{"TypedBreakpointAtALiteral", [](DebugInterface* r) { return r->DbgExecCommand("BS \"main\"", 9) == 0; }},
        ReadRoad{"DialogBreakpointAtALiteral", [](DebugInterface* r) { return DialogBreakpoint(r, "\"LED_On\""); }},
        ReadRoad{"RunUntilALiteral", [](DebugInterface* r) { return r->DbgExecCommand("G, \"main\"", 9) == 0; }},
        // "U = 5" was taken for an assignment to U.
        ReadRoad{"ShowCodeAtAnAssignment", [](DebugInterface* r) { return ShowCodeAt(r, "= 5"); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Show Code at Address of an address the driver evaluates, and its "U"
// command typed: the address is reported to the disassembly window.
TEST_F(GdbReadPermissions, ShowCodeReportsTheAddressItRead) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const State before = Now();
  r->shownAddress = 0xFFFFFFFFu;
  ASSERT_EQ(Type("U LED_On\n"), 0) << CommandTexts();
  EXPECT_EQ(r->shownAddress, Evaluate("&LED_On"));
  EXPECT_NE(Type("U = 5\n"), 0);
  EXPECT_TRUE(Said("*** error: U = 5: U is the command that shows the code at an address; to set the variable U, "
                   "write (U) = 5\n"))
      << CommandTexts();
  EXPECT_EQ(r->shownAddress, Evaluate("&LED_On"));
  EXPECT_EQ(Now(), before);
  // The way the refusal gives sets the program's U.
  ASSERT_EQ(Type("(U) = 5\n"), 0) << CommandTexts();
  EXPECT_EQ(Evaluate("U"), 5u);
}

// gdb itself is the owner: the target's own evaluation, with no text check
// before it, is refused by gdb's permissions; a write asked for writes
// once, and runs and steps go on after reads.
TEST_F(GdbReadPermissions, GdbItselfRefusesWhatAReadWouldWriteOrCall) {
  gdb::TargetEvents events;
  gdb::GdbTarget target(std::move(events));
  std::string err;
  ASSERT_TRUE(target.Start(gdb::ParseTargetParams("-sim"), MallocExampleFolder() + "Obj/Blinky.elf", &err)) << err;
  uint64_t main = 0, value = 0;
  ASSERT_TRUE(target.Evaluate("(unsigned long)&main", &main));
  ASSERT_TRUE(target.Go(uint32_t(main)));
  ASSERT_TRUE(WaitFor([&] { return target.Halted() && target.Pc() == main; }));
  struct Row {
    const char* text;
    const char* said;
  };
  const Row rows[] = {
      {"LED_On(3)", "Cannot call functions in the program: may-call-functions is off."},
      {"U = 5", "Writing to memory is not allowed"},
      {"pattern_step++", "Writing to memory is not allowed"},
      {"*(\"abc\" + 1)", "may-call-functions is off"},
  };
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    for (const Row& row : rows) {
      SCOPED_TRACE(row.text);
      std::string text, error;
      EXPECT_FALSE(target.Evaluate(row.text, &value, &text, &error));
      EXPECT_NE(error.find(row.said), std::string::npos) << error;
    }
    ASSERT_TRUE(target.Evaluate("U", &value));
    EXPECT_EQ(value, round == 0 ? 7u : 9u);
    ASSERT_TRUE(target.Evaluate("malloc_calls", &value));
    EXPECT_EQ(value, 0u);
    ASSERT_TRUE(target.Evaluate("*(unsigned long *)0xE0028004", &value));
    EXPECT_EQ(value, 0u);
    // The write the user asked for writes, once.
    ASSERT_TRUE(target.EditValue("U = 9", &err)) << err;
    ASSERT_TRUE(target.Evaluate("U", &value));
    EXPECT_EQ(value, 9u);
    // A step runs after the reads (gdb refuses to resume with memory writes off).
    ASSERT_TRUE(target.Step(1));
    ASSERT_TRUE(WaitFor([&] { return target.Halted(); }));
  }
  target.Close();
}

// "delete 1" typed on the command page deletes the user's breakpoint 1,
// not the driver's UART watchpoint (gdb's first): the program's serial
// output goes on. "disable" and "delete" without numbers reach only the
// user's breakpoints.
TEST_F(GdbReadPermissions, TypedCommandsNeverReachTheDriversOwnBreakpoints) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());  // the user's breakpoint 1 at main
  DebugInterface* r = session->Record();
  const uint32_t atMain = r->pc;
  ASSERT_EQ(Type("BS LED_Off"), 0) << CommandTexts();  // 2
  ASSERT_EQ(BreakpointCount(), 2);
  ASSERT_EQ(r->DbgBreakpoint(atMain, 1), 1u);
  ASSERT_EQ(Type("delete 1"), 0) << CommandTexts();
  ASSERT_EQ(BreakpointCount(), 1);
  // The margins follow.
  EXPECT_EQ(r->DbgBreakpoint(atMain, 1), 0u);
  const uint32_t ledOff = Evaluate("&LED_Off");
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= ledOff && r->pc < ledOff + 32; }))
      << std::hex << r->pc << " " << CommandTexts();
  const uint32_t atLedOff = r->pc;
  EXPECT_NE(SerialOne(hub).find("LED 0 on\r\n"), std::string::npos) << SerialOne(hub) << CommandTexts();
  // Without numbers: the user's LED_Off only.
  ASSERT_EQ(Type("disable"), 0) << CommandTexts();
  EXPECT_EQ(r->DbgBreakpoint(atLedOff, 1), 2u);
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return SerialOne(hub).find("LED 1 on\r\n") != std::string::npos; }))
      << SerialOne(hub) << CommandTexts();
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  ASSERT_EQ(Type("delete"), 0) << CommandTexts();
  EXPECT_EQ(BreakpointCount(), 0);
  EXPECT_NE(Type("delete $bpnum"), 0);
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return SerialOne(hub).find("LED 2 on\r\n") != std::string::npos; }))
      << SerialOne(hub) << CommandTexts();
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
}

// gdb's answers to a typed command reach the command page: its messages
// (gdb's log stream), once, and a text without a line end at once.
TEST_F(GdbReadPermissions, GdbsAnswersToATypedCommandReachTheCommandPage) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  ASSERT_EQ(Type("BREAK nofile.c:3"), 0) << CommandTexts();
  EXPECT_TRUE(WaitFor([&] { return Said("No source file named nofile.c.\n"); })) << CommandTexts();
  ASSERT_EQ(Type("output 1"), 0) << CommandTexts();
  EXPECT_TRUE(WaitFor([&] { return Said("1\n"); })) << CommandTexts();
  ASSERT_EQ(Type("output 2"), 0) << CommandTexts();
  EXPECT_TRUE(WaitFor([&] { return Said("1\n2\n"); })) << CommandTexts();
  // A refused command's message is said once, as the refusal.
  EXPECT_NE(Type("print nosuch"), 0);
  EXPECT_TRUE(WaitFor([&] { return Said("*** error: No symbol \"nosuch\" in current context.\n"); }))
      << CommandTexts();
  const std::string all = CommandTexts();
  EXPECT_EQ(all.find("No symbol"), all.rfind("No symbol")) << all;
}

}  // namespace read_permissions_test
}  // namespace pm2
