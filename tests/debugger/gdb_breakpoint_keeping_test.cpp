// Breakpoints kept as the user defined them, through the GDB driver on the
// example under qemu: a pass count stops at every round of it and stays
// the count defined (in the Breakpoints dialog's list and in the stored
// session); a conditional breakpoint outlasts the session and stops
// whenever its expression holds as the target runs; the dialog takes
// gdb's "file:line" and says once why it refuses a definition; and a
// breakpoint removed while the program runs is gone.
#include <cstdint>
#include <fstream>
#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include "driver_abi/debug_records.h"
#include "gdb_session_fixture.h"
#include "project/files/debug_lists.h"

namespace pm2 {
namespace gdb_breakpoint_keeping_test {

// What the dialog's list shows of a breakpoint, and the session keeps.
struct Listed {
  uint32_t type = 0;
  bool enabled = false;
  uint32_t address = 0;
  uint32_t passCount = 0;
  std::string expression;
  std::string command;
  bool operator==(const Listed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Listed& b) {
  return out << "{type " << b.type << (b.enabled ? " E" : " D") << " @0x" << std::hex << b.address << std::dec
             << " count " << b.passCount << " '" << b.expression << "' cmd '" << b.command << "'}";
}

class GdbKeeping : public GdbSessionTest {
 protected:
  std::vector<Listed> List() {
    std::vector<Listed> out;
    for (auto* b = reinterpret_cast<const DbgBreakpointRecord*>(
             session->Record()->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
         b && out.size() < 16; b = b->next) {
      Listed l;
      l.type = b->flags & kDbgBpTypeMask;
      l.enabled = (b->flags & kDbgBpEnabled) != 0;
      l.address = b->address;
      l.passCount = b->passCount;
      l.expression = b->expression ? b->expression : "";
      l.command = b->command ? b->command : "";
      out.push_back(l);
    }
    return out;
  }
  // A definition as the Breakpoints dialog hands it over; the reason the
  // driver said for a refusal ("" none).
  std::string Define(const std::string& expression, uint32_t count, const std::string& command = "",
                     DbgBreakpointRequest* out = nullptr) {
    DbgBreakpointRequest q{};
    q.expression = expression.c_str();
    q.passCount = q.passCount2 = count;
    q.command = command.empty() ? nullptr : command.c_str();
    const std::string why = session->RefusalOf([&] { session->Record()->DbgBreakpointDefine(0, 0, 0, &q); });
    if (out) *out = q;
    return q.error ? (why.empty() ? std::string("refused without a reason") : why) : std::string();
  }
  bool Typed(const std::string& line) {
    return session->Record()->DbgExecCommand(line.c_str(), int32_t(line.size())) == 0;
  }
  // Runs to the next stop; false when none came.
  bool RunToStop() {
    const int before = host.stopsPosted;
    session->Go();
    return WaitFor([&] { return host.stopsPosted > before && !session->TargetExecuting(); });
  }
  // Ends the session and starts the next one, stopped at the reset address.
  void Restart() {
    session->StopDebugger();
    ASSERT_FALSE(session->SessionActive());
    session->StartDebugger();
    ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  }
  std::size_t Count(const std::string& text) const {
    const std::string all = CommandTexts();
    std::size_t n = 0;
    for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
    return n;
  }
};

// ------------------------------------------------------------------ restart

struct RestartRow {
  const char* name;
  const char* expression;  // as typed into the dialog
  uint32_t count;
  const char* command;     // in the dialog's request form
  bool disabled;           // its box cleared before the dialog closed
  int stops;               // runs to a stop in each session (it and main's stop)
};

void PrintTo(const RestartRow& row, std::ostream* out) { *out << row.name; }

class GdbBreakpointRestart : public GdbKeeping, public ::testing::WithParamInterface<RestartRow> {};

// The breakpoints read back identical after each of two restarts, also
// once the session ran past them (a count that ran down, a condition that
// fired).
TEST_P(GdbBreakpointRestart, ReadsEveryBreakpointBackIdentical) {
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  const RestartRow& row = GetParam();
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  DbgBreakpointRequest q{};
  ASSERT_EQ(Define(row.expression, row.count, row.command, &q), "") << CommandTexts();
  if (row.disabled) {
    q.result->flags &= ~uint32_t(kDbgBpEnabled);
    session->Record()->DbgBreakpointList(kDbgBpListClose, 0, 0, nullptr);
  }
  const std::vector<Listed> defined = List();
  ASSERT_EQ(defined.size(), 1u) << CommandTexts();
  EXPECT_EQ(defined[0].passCount, row.count);
  for (int session_ = 0; session_ < 2; ++session_) {
    for (int i = 0; i < row.stops; ++i) ASSERT_TRUE(RunToStop()) << CommandTexts();
    EXPECT_EQ(List(), defined) << "in session " << session_ + 1 << CommandTexts();
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_EQ(List(), defined) << "after restart " << session_ + 1 << CommandTexts();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbBreakpointRestart,
    ::testing::Values(RestartRow{"CountOnAFunction", "LED_On", 3, "", false, 2},
                      RestartRow{"CountOnASourceLine", "LED.c:17", 4, "", false, 1},
                      RestartRow{"CountAndConditionOnALine", "LED_Off if num > 1", 2, "", false, 1},
                      RestartRow{"Conditional", "pattern_step == 2", 1, "", false, 1},
                      RestartRow{"ConditionalWithCountAndCommand", "pattern_step == 3", 2,
                                 "print pattern_step", false, 1},
                      RestartRow{"ConditionalDisabled", "pattern_step == 4", 1, "", true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ counts

// LED_On(pattern_step) with a count of 3 stops at its 3rd, 6th and 9th
// pass: pattern 2, 5 and 0 of the eight; the dialog lists count 3 all
// along, and so does BL. However the count was given.
struct CountRow {
  const char* name;
  std::vector<std::string> typed;  // "" the dialog's definition
};

void PrintTo(const CountRow& row, std::ostream* out) { *out << row.name; }

class GdbPassCount : public GdbKeeping, public ::testing::WithParamInterface<CountRow> {};

TEST_P(GdbPassCount, StopsAtEveryRoundOfIt) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  if (GetParam().typed.empty()) {
    ASSERT_EQ(Define("LED_On", 3), "") << CommandTexts();
  }
  for (const std::string& line : GetParam().typed) ASSERT_TRUE(Typed(line)) << line << CommandTexts();
  for (uint32_t pattern : {2u, 5u, 0u}) {
    ASSERT_TRUE(RunToStop()) << CommandTexts();
    EXPECT_EQ(Evaluate("pattern_step"), pattern) << CommandTexts();
    const std::vector<Listed> listed = List();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].passCount, 3u) << CommandTexts();
  }
  routed.commandLines.clear();
  ASSERT_TRUE(Typed("BL"));
  EXPECT_TRUE(Said(", CNT=3")) << CommandTexts();
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbPassCount,
                         ::testing::Values(CountRow{"Dialog", {}}, CountRow{"CommandPage", {"BS LED_On, 3"}},
                                           CountRow{"GdbsIgnore", {"BS LED_On", "ignore 2 2"}}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ conditions

// U (7) is never written by the program: U == 3 holds only once the user
// wrote 3, and then the run stops at once (typed, or written in a Watch).
struct HoldsRow {
  const char* name;
  const char* write;  // "" a watch edit
};

void PrintTo(const HoldsRow& row, std::ostream* out) { *out << row.name; }

class GdbConditionHolds : public GdbMallocSessionTest, public ::testing::WithParamInterface<HoldsRow> {
 protected:
  std::string Define(const std::string& expression) {
    DbgBreakpointRequest q{};
    q.expression = expression.c_str();
    q.passCount = q.passCount2 = 1;
    session->Record()->DbgBreakpointDefine(0, 0, 0, &q);
    return q.error ? CommandTexts() : std::string();
  }
};

TEST_P(GdbConditionHolds, StopsTheRunAtOnce) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  ASSERT_EQ(r->DbgExecCommand("BK *", 4), 0) << CommandTexts();
  ASSERT_EQ(Define("U == 3"), "");
  if (*GetParam().write) {
    const std::string write = GetParam().write;
    ASSERT_EQ(r->DbgExecCommand(write.c_str(), int32_t(write.size())), 0) << CommandTexts();
  } else {
    // The Watch window's value edit: its assignment through the driver.
    ASSERT_EQ(r->DbgAssign("`U = 3\n", 7), 0) << CommandTexts();
  }
  ASSERT_EQ(Evaluate("U"), 3u);
  const uint32_t pc = r->pc;
  const int before = host.stopsPosted;
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return host.stopsPosted > before && !session->TargetExecuting(); })) << CommandTexts();
  EXPECT_NE(r->pc, pc);
  EXPECT_TRUE(Said(": U == 3 holds")) << CommandTexts();
  // Written back to 7 it no longer holds: the run goes on.
  ASSERT_EQ(r->DbgExecCommand("set var U=7", 11), 0) << CommandTexts();
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); }));
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  const std::string all = CommandTexts(), said = ": U == 3 holds";
  EXPECT_EQ(all.find(said), all.rfind(said)) << all;
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbConditionHolds,
                         ::testing::Values(HoldsRow{"Typed", "set var U=3"}, HoldsRow{"InTheWatch", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ the dialog's texts

struct PlaceRow {
  const char* name;
  const char* expression;
  const char* refusal;  // "" taken, at LED.c's line 13 (LED_On's body)
};

void PrintTo(const PlaceRow& row, std::ostream* out) { *out << row.name; }

class GdbDialogPlaces : public GdbKeeping, public ::testing::WithParamInterface<PlaceRow> {};

TEST_P(GdbDialogPlaces, TakeGdbsFileAndLineOrSayWhyOnce) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  const std::string why = Define(GetParam().expression, 1);
  if (!*GetParam().refusal) {
    ASSERT_EQ(why, "") << CommandTexts();
    // Where BS LED_On puts it: LED_On's first line after its entry code.
    const std::vector<Listed> listed = List();
    ASSERT_EQ(listed.size(), 1u);
    ASSERT_TRUE(Typed("BK *"));
    ASSERT_TRUE(Typed("BS LED_On"));
    EXPECT_EQ(listed[0].address, List()[0].address) << CommandTexts();
    return;
  }
  EXPECT_NE(why.find(GetParam().refusal), std::string::npos) << why;
  // Said once: on the command page, and as the dialog's reason.
  EXPECT_EQ(Count(why), 1u) << CommandTexts();
  EXPECT_TRUE(List().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbDialogPlaces,
    ::testing::Values(PlaceRow{"FileAndLine", "LED.c:13", ""}, PlaceRow{"QuotedFileAndLine", "\"LED.c\":13", ""},
                      PlaceRow{"FileGdbDoesNotKnow", "Nowhere.c:13", "No source file named Nowhere.c"},
                      PlaceRow{"SymbolGdbDoesNotKnow", "LED_Nowhere", "LED_Nowhere"},
                      PlaceRow{"WhileNotAnAddress", "*(char*)\"LED\"", "literal"}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ typed texts

struct TypedRow {
  const char* name;
  const char* typed;    // on the Command page
  const char* refusal;  // what the page says
};

void PrintTo(const TypedRow& row, std::ostream* out) { *out << row.name; }

class GdbUnkeptBreakpointTexts : public GdbKeeping, public ::testing::WithParamInterface<TypedRow> {};

// A breakpoint typed with a command the options file cannot hold in its
// angle brackets is refused as it is typed, saying why: it is never
// defined, so the session's end has nothing to keep without its command.
// The same breakpoint with a command the file holds is defined and kept.
TEST_P(GdbUnkeptBreakpointTexts, AreRefusedWhereTypedNotLostAtTheEnd) {
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  const std::string typed = GetParam().typed;
  EXPECT_NE(session->ExecCommand(typed.c_str(), int(typed.size())), 0) << CommandTexts();
  EXPECT_EQ(session->LastCommandRefusal(), GetParam().refusal);
  EXPECT_NE(CommandTexts().find(std::string("*** error: ") + GetParam().refusal + "\n"), std::string::npos)
      << CommandTexts();
  EXPECT_TRUE(List().empty()) << CommandTexts();
  const std::string kept = "BS LED_On, 2, \"print U\"";
  ASSERT_EQ(session->ExecCommand(kept.c_str(), int(kept.size())), 0) << CommandTexts();
  const std::vector<Listed> defined = List();
  ASSERT_EQ(defined.size(), 1u) << CommandTexts();
  ASSERT_NO_FATAL_FAILURE(Restart());
  EXPECT_EQ(List(), defined) << CommandTexts();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbUnkeptBreakpointTexts,
    ::testing::Values(
        TypedRow{"LineBreakpointsCommand", "BS LED_On, 2, \"print U>3\"",
                 "BS: The breakpoint's command 'print U>3' cannot be kept with the project: it holds a '>' without "
                 "its '<'."},
        TypedRow{"ConditionalsCommand", "BS U == 3, 1, \"print U<4\"",
                 "BS: The breakpoint's command 'print U<4' cannot be kept with the project: it holds a '<' without "
                 "its '>'."},
        TypedRow{"WrittenLineBreakInTheCommand", "BS LED_On, 1, \"print \\\\~U\"",
                 "BS: The breakpoint's command 'print \\~U' cannot be kept with the project: it holds the "
                 "characters \"\\~\"."}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ while the program runs

// A removal gdb does not take (gdb held by a signal here) leaves the
// breakpoint where gdb has it, and so the driver shows it: the driver
// forgot it before gdb answered, and the margin asked again set a second
// one on the line. Once gdb goes on, the removal takes.
TEST_F(GdbKeeping, ARemovalGdbDidNotTakeLeavesTheBreakpointShown) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  ASSERT_EQ(Define("Blinky.c:51", 1), "") << CommandTexts();
  const uint32_t at = List()[0].address;
  ASSERT_EQ(r->DbgBreakpoint(at, 1), 1u);
  const std::vector<pid_t> gdb = Children("gdb-multiarch");
  ASSERT_EQ(gdb.size(), 1u);
  ASSERT_EQ(kill(gdb[0], SIGSTOP), 0);
  ASSERT_TRUE(WaitFor([&] { return StatOf(gdb[0]).state == 'T'; }));
  {
    test::HangGuard guard("a removal asked of a held gdb");
    EXPECT_EQ(r->DbgBreakpoint(at, 3), uint32_t(-1)) << CommandTexts();
  }
  EXPECT_EQ(r->DbgBreakpoint(at, 1), 1u) << "the driver forgot a breakpoint gdb keeps";
  ASSERT_EQ(kill(gdb[0], SIGCONT), 0);
  ASSERT_TRUE(WaitFor([&] { return r->DbgBreakpoint(at, 3) == 0; })) << CommandTexts();
  EXPECT_EQ(r->DbgBreakpoint(at, 1), 0u);
  EXPECT_TRUE(List().empty()) << CommandTexts();
}

// The margin's double click on a breakpoint's line while the example runs
// (its serial output makes the driver stop the target for a moment many
// times a second): each removal removes, each insertion inserts, and gdb
// holds what the margin shows.
TEST_F(GdbKeeping, ABreakpointChangedWhileTheProgramRunsIsChanged) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  // The line that runs only after a key (Serial_PutString("key: ")).
  ASSERT_EQ(Define("Blinky.c:51", 1), "") << CommandTexts();
  const uint32_t at = List()[0].address;
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); }));
  const std::size_t serial = hub.Texts(kNotifySerialOutput3).size();
  ASSERT_TRUE(WaitFor([&] { return hub.Texts(kNotifySerialOutput3).size() >= serial + 4; })) << CommandTexts();
  for (int i = 0; i < 6; ++i) {
    const bool set = r->DbgBreakpoint(at, 1) != 0;
    ASSERT_NE(r->DbgBreakpoint(at, 3), uint32_t(-1)) << "change " << i << CommandTexts();
    EXPECT_EQ(r->DbgBreakpoint(at, 1) != 0, !set) << "change " << i;
    // It stopped for nothing the user sees.
    EXPECT_TRUE(session->TargetExecuting()) << "change " << i << CommandTexts();
  }
  // Six changes: none is left, and the program ran on to print more.
  const std::size_t more = hub.Texts(kNotifySerialOutput3).size();
  EXPECT_TRUE(WaitFor([&] { return hub.Texts(kNotifySerialOutput3).size() >= more + 4; })) << CommandTexts();
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  EXPECT_TRUE(List().empty()) << CommandTexts();
  // One set while it runs on a line it runs through stops it there.
  ASSERT_EQ(Define("Blinky.c:47", 1), "") << CommandTexts();
  const uint32_t through = List()[0].address;
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  ASSERT_NO_FATAL_FAILURE(GoUntilItWrites());
  const int before = host.stopsPosted;
  ASSERT_NE(r->DbgBreakpoint(through, 3), uint32_t(-1)) << CommandTexts();
  ASSERT_TRUE(WaitFor([&] { return host.stopsPosted > before && !session->TargetExecuting(); })) << CommandTexts();
  EXPECT_EQ(List().size(), 1u) << CommandTexts();
  EXPECT_EQ(r->pc, through);
}

// The Breakpoints dialog's Kill Selected and its boxes while the program
// runs: the breakpoint goes, the other is disabled, the program runs on.
TEST_F(GdbKeeping, TheDialogsChangesWhileTheProgramRunsAreMade) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  ASSERT_EQ(Define("Blinky.c:51", 1), "") << CommandTexts();
  ASSERT_EQ(Define("Blinky.c:52", 1), "") << CommandTexts();
  r->DbgBreakpointList(kDbgBpListOpen, 0, 0, nullptr);
  auto* first = reinterpret_cast<DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first->next, nullptr);
  DbgBreakpointRecord* second = first->next;
  ASSERT_NO_FATAL_FAILURE(GoUntilItWrites());
  r->DbgBreakpointList(kDbgBpListKill, 0, 0, first);
  second->flags &= ~uint32_t(kDbgBpEnabled);
  r->DbgBreakpointList(kDbgBpListClose, 0, 0, nullptr);
  EXPECT_TRUE(session->TargetExecuting()) << CommandTexts();
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  const std::vector<Listed> listed = List();
  ASSERT_EQ(listed.size(), 1u) << CommandTexts();
  EXPECT_FALSE(listed[0].enabled) << CommandTexts();
  // As gdb has it.
  routed.commandLines.clear();
  ASSERT_TRUE(Typed("BL"));
  EXPECT_TRUE(Said("(D)")) << CommandTexts();
  EXPECT_FALSE(Said("(E)")) << CommandTexts();
}

// The session ends while gdb does not answer (its server stopped while the
// program ran): the breakpoints are kept as defined all the same, the
// line breakpoint by the line gdb placed it on.
class GdbKeepingWithoutAnswer : public GdbKeeping {
 protected:
  void TearDown() override {
    for (pid_t p : Children("qemu-system-arm")) kill(p, SIGCONT);
    GdbKeeping::TearDown();
  }
};

TEST_F(GdbKeepingWithoutAnswer, TheSessionEndedKeepsItsBreakpoints) {
  // Without the UART stand-in the stop request is the only stop, and meets
  // the stopped server.
  Params("-sim -uart none");
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  ASSERT_EQ(Define("Blinky.c:51", 3), "") << CommandTexts();
  ASSERT_EQ(Define("pattern_step == 9", 2), "") << CommandTexts();
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); }));
  const std::vector<pid_t> qemu = Children("qemu-system-arm");
  ASSERT_EQ(qemu.size(), 1u);
  ASSERT_EQ(kill(qemu[0], SIGSTOP), 0);
  ASSERT_TRUE(WaitFor([&] { return StatOf(qemu[0]).state == 'T'; })) << StatOf(qemu[0]).state;
  {
    test::HangGuard guard("a stop request to a stopped server");
    session->StopRunning();
  }
  // The request stands on the driver's thread until its bound ends.
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts();
  {
    test::HangGuard guard("the end of a session whose server is stopped");
    session->StopDebugger();
  }
  ASSERT_FALSE(session->SessionActive()) << CommandTexts();
  bool line = false, conditional = false;
  for (const BreakpointRec* b = project->curTarget->breakpoints; b; b = b->next) {
    if (b->flags & kBreakFlag4) continue;
    line |= (b->flags & kBreakKindMask) == 0 && b->text1.str() == "Blinky.c" && b->value1 == 51 && b->value5 == 3;
    conditional |= (b->flags & kBreakKindMask) == 1 && b->text2.str() == "pattern_step == 9" && b->value5 == 2;
  }
  EXPECT_TRUE(line) << CommandTexts();
  EXPECT_TRUE(conditional) << CommandTexts();
}

}  // namespace gdb_breakpoint_keeping_test
}  // namespace pm2
