// The GDB driver on the example under qemu where a session starts and runs:
// a start that fails names the program the settings named and what it
// said; a typed step over code that writes the UART ends where gdb's own
// step ends (the driver's stops for the UART stand-in go on with it), stops
// at a user's breakpoint on its way, prints its stop place, shows the target
// running while it runs and keeps typed commands from gdb meanwhile; a run
// the held emulator does not take is said, and its late stop is not told as
// one the user asked for; a session on a GDB server that loads at startup
// starts from the program's reset, wherever the last session left it.
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "debugger/gdb/process/child_process.h"
#include "debugger/gdb/process/qemu_launcher.h"
#include "gdb_session_fixture.h"
#include "hang_guard.h"

namespace pm2 {
namespace {

// The number of the example's Blinky.c line that holds `text` (0: none).
uint32_t BlinkyLineOf(const std::string& text) {
  std::ifstream in(ExampleFolder() + "Blinky.c");
  std::string line;
  for (uint32_t n = 1; std::getline(in, line); ++n)
    if (line.find(text) != std::string::npos) return n;
  return 0;
}

// The line the target stands on, as the driver finds it for the IDE.
uint32_t LineAt(DebugInterface* r) {
  if (r->DbgFindSource(r->pc) != 0 || !r->srcFile) return 0;
  const std::string file = static_cast<const char*>(r->srcFile);
  return file.size() >= 8 && file.compare(file.size() - 8, 8, "Blinky.c") == 0 ? r->srcLine : 0;
}

// ---------------------------------------------------------------- a start that fails

struct StartFailureRow {
  const char* name;
  const char* params;
  const char* said;     // in the start's message
  const char* notSaid;  // never in it
};

const StartFailureRow kStartFailureRows[] = {
    {"GdbPathThatDoesNotExist", "-sim -gdb /nonexistent/gdb-nope",
     "the GDB program of the driver's settings, '/nonexistent/gdb-nope', does not exist or is not a program",
     "Debian package"},
    {"GdbNameNotOnThePath", "-sim -gdb gdb-nosuch",
     "the GDB program of the driver's settings, 'gdb-nosuch', is not found on the PATH", "Debian package"},
    // Bare names, looked up on the PATH: a program named by its path is
    // asked about first.
    {"ProgramThatIsNoGdb", "-sim -gdb cat", "cat: invalid option", "gdb-multiarch"},
    {"EmulatorThatEndsAtOnce", "-sim -qemu false",
     "the emulator of the driver's settings, 'false' (machine ", "Connection timed out"},
};

class GdbStartFailure : public GdbSessionTest, public ::testing::WithParamInterface<StartFailureRow> {};

TEST_P(GdbStartFailure, TheMessageNamesTheProgramSetAndWhatItSaid) {
  const StartFailureRow& row = GetParam();
  Params(row.params);
  {
    test::HangGuard guard(std::string("a start with ") + row.params);
    session->StartDebugger();
  }
  EXPECT_FALSE(session->SessionActive());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  const std::string& text = dialogs.boxes[0].text;
  EXPECT_NE(text.find(row.said), std::string::npos) << text;
  EXPECT_EQ(text.find(row.notSaid), std::string::npos) << text;
  EXPECT_TRUE(WaitFor([] { return Children("gdb-multiarch").empty() && Children("qemu-system-arm").empty(); }));
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbStartFailure, ::testing::ValuesIn(kStartFailureRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- typed steps over the UART

struct TypedStepRow {
  const char* name;
  bool intoFirst;       // F11 first: the step starts inside Serial_PutString
  const char* typed;    // %d: the line of `toText`
  const char* toText;   // the line the step ends on
};

const TypedStepRow kTypedStepRows[] = {
    {"Next", false, "next", "Serial_PutChar((char)('0' + pattern_step));"},
    {"NextAbbreviated", false, "n", "Serial_PutChar((char)('0' + pattern_step));"},
    {"Until", false, "until", "Serial_PutChar((char)('0' + pattern_step));"},
    {"UntilALine", false, "until %d", "Serial_PutString(\" on\\r\\n\");"},
    {"AdvanceToALine", false, "advance Blinky.c:%d", "Serial_PutString(\" on\\r\\n\");"},
    // Out of Serial_PutString, which writes the UART on its way: back in
    // main where its call returns, the start of the next line.
    {"Finish", true, "finish", "Serial_PutChar((char)('0' + pattern_step));"},
};

class GdbTypedStep : public GdbSessionTest, public ::testing::WithParamInterface<TypedStepRow> {};

// A typed step over a line whose calls write the UART ends where the same
// step of gdb's ends (F10's does): the UART stand-in's stops on the way
// neither end the step nor turn it into a run that only Esc stops.
TEST_P(GdbTypedStep, EndsWhereItsStepEndsThroughTheUartsStops) {
  const TypedStepRow& row = GetParam();
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const uint32_t from = BlinkyLineOf("Serial_PutString(\"LED \");");
  const uint32_t to = BlinkyLineOf(row.toText);
  ASSERT_NE(from, 0u);
  ASSERT_NE(to, 0u);
  const std::string bs = "BS Blinky.c:" + std::to_string(from);
  ASSERT_EQ(r->DbgExecCommand(bs.c_str(), int32_t(bs.size())), 0) << CommandTexts();
  // F5 to the line (a run: the stand-in's stops let it run on).
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && LineAt(r) == from; })) << CommandTexts();
  if (row.intoFirst) {
    session->Step(kDbgStepInto);
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
    ASSERT_NE(LineAt(r), from) << "F11 did not enter Serial_PutString\n" << CommandTexts();
  }
  char typed[64];
  std::snprintf(typed, sizeof typed, row.typed, int(to));
  const int stops = host.stopsPosted;
  const std::size_t said = CommandTexts().size();
  ASSERT_EQ(r->DbgExecCommand(typed, int32_t(std::strlen(typed))), 0) << CommandTexts().substr(said);
  // It ends where gdb's step ends. (Under load a stop of the UART stand-in
  // on the way was seen told to the window for a moment: the wait is for
  // the step's own end, at its line.)
  EXPECT_TRUE(WaitFor([&] {
    return !session->TargetExecuting() && host.stopsPosted > stops && LineAt(r) == to;
  })) << typed << " never stopped at line " << to << ":\n" << CommandTexts().substr(said);
  if (session->TargetExecuting()) StopAndWait();
  EXPECT_EQ(LineAt(r), to) << typed << "\n" << CommandTexts().substr(said);
  uint64_t frameIsMain = 0;
  ASSERT_EQ(r->DbgEvalExpression(1, "$pc >= (unsigned long)&main && $pc < (unsigned long)&main + 0x200",
                                 &frameIsMain),
            0);
  EXPECT_EQ(frameIsMain, 1u) << std::hex << r->pc;
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbTypedStep, ::testing::ValuesIn(kTypedStepRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- typed steps and the user's breakpoints

// What the program sent to serial window 1 so far.
std::string UartOneText(const RecordingHub& hub) {
  std::string out;
  for (const RecordingHub::Entry& e : hub.Entries())
    if (e.code == kNotifySerialOutput3 && ((uint32_t(e.arg) >> 24) & 0xFF) == 0) out += char(e.arg & 0xFF);
  return out;
}

// The session stopped at the line that starts the loop's report
// (`Serial_PutString("LED ")`), by a breakpoint there and F5.
class GdbTypedStepOnTheLoop : public GdbSessionTest {
 protected:
  void StopAtTheReport() {
    ASSERT_NO_FATAL_FAILURE(StopAtMain());
    r = session->Record();
    from = BlinkyLineOf("Serial_PutString(\"LED \");");
    ASSERT_NE(from, 0u);
    Type("BS Blinky.c:" + std::to_string(from));
    session->Go();
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && LineAt(r) == from; })) << CommandTexts();
  }
  int Type(const std::string& line) { return r->DbgExecCommand(line.c_str(), int32_t(line.size())); }
  DebugInterface* r = nullptr;
  uint32_t from = 0;
};

struct StepToBreakpointRow {
  const char* name;
  const char* typed;   // %d: the line of `toText`, past the breakpoint
  const char* toText;
};

const StepToBreakpointRow kStepToBreakpointRows[] = {
    {"Advance", "advance Blinky.c:%d", "LED_Off(pattern_step);"},
    {"UntilALine", "until Blinky.c:%d", "LED_Off(pattern_step);"},
    // The key's report, never reached without a key: the breakpoint on the
    // way ends the step all the same, at its first round.
    {"AdvanceToALineNeverReached", "advance %d", "Serial_PutString(\"key: \");"},
    {"UntilALineNeverReached", "until %d", "Serial_PutString(\"key: \");"},
};

class GdbTypedStepToBreakpoint : public GdbTypedStepOnTheLoop,
                                 public ::testing::WithParamInterface<StepToBreakpointRow> {};

// A typed step past a line with an enabled breakpoint stops at the
// breakpoint, as F5 does and gdb's own advance and until do: the calls
// before it write the UART, and the driver's way back from the UART
// stand-in's stops landed on the breakpoint's address, from which the step
// went on over it.
TEST_P(GdbTypedStepToBreakpoint, StopsAtTheUsersBreakpointOnTheWay) {
  ASSERT_NO_FATAL_FAILURE(StopAtTheReport());
  const uint32_t delay = BlinkyLineOf("Timer_Delay(TICKS_PER_SECOND / 4);");
  const uint32_t past = BlinkyLineOf(GetParam().toText);
  ASSERT_TRUE(delay > from && past > delay);
  ASSERT_EQ(Type("BS Blinky.c:" + std::to_string(delay)), 0) << CommandTexts();
  char typed[64];
  std::snprintf(typed, sizeof typed, GetParam().typed, int(past));
  const int stops = host.stopsPosted;
  const std::size_t said = CommandTexts().size();
  ASSERT_EQ(Type(typed), 0) << CommandTexts().substr(said);
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > stops; }))
      << typed << ":\n" << CommandTexts().substr(said);
  EXPECT_EQ(LineAt(r), delay) << typed << ":\n" << CommandTexts().substr(said);
  // gdb's own report of the breakpoint, with the page's number (main's is 1).
  EXPECT_NE(CommandTexts().find("Breakpoint 3, ", said), std::string::npos) << CommandTexts().substr(said);
  EXPECT_EQ(CommandTexts().find("Run till exit", said), std::string::npos) << CommandTexts().substr(said);
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbTypedStepToBreakpoint, ::testing::ValuesIn(kStepToBreakpointRows),
                         [](const auto& info) { return std::string(info.param.name); });

// advance to a line the loop never reaches (the key's report, with no key
// typed) runs on for good, as gdb's own does: the window shows the target
// running all the while, a typed command meanwhile is refused without
// reaching gdb (gdb ended on one that met the driver's stops on the way),
// and Esc's stop request stops it.
TEST_F(GdbTypedStepOnTheLoop, AdvanceToALineNeverReachedRunsUntilStopped) {
  ASSERT_NO_FATAL_FAILURE(StopAtTheReport());
  const uint32_t never = BlinkyLineOf("Serial_PutString(\"key: \");");
  ASSERT_NE(never, 0u);
  // The breakpoint it starts from is met again each round: out of the way.
  ASSERT_EQ(Type("BD 2"), 0) << CommandTexts();
  const std::size_t said = CommandTexts().size();
  const int stops = host.stopsPosted;
  const std::size_t sent = UartOneText(hub).size();
  ASSERT_EQ(Type("advance Blinky.c:" + std::to_string(never)), 0) << CommandTexts().substr(said);
  // Twice round the loop, each time past the line it started from.
  ASSERT_TRUE(WaitFor([&] {
    const std::string out = UartOneText(hub).substr(sent);
    const std::size_t first = out.find(" on\r\n");
    return first != std::string::npos && out.find(" on\r\n", first + 1) != std::string::npos;
  })) << UartOneText(hub).substr(sent) << CommandTexts().substr(said);
  EXPECT_TRUE(session->TargetExecuting()) << CommandTexts().substr(said);
  EXPECT_EQ(host.stopsPosted, stops) << CommandTexts().substr(said);
  const pid_t gdb = Children("gdb-multiarch").at(0);
  // (The page's texts are said on two threads, each kept in a list of its
  // own: a text is looked for in them all.)
  EXPECT_EQ(Type("print pattern_step"), 1);
  EXPECT_TRUE(Said("*** error: print: the target runs; stop it first")) << CommandTexts().substr(said);
  EXPECT_FALSE(Said("$1 = ")) << CommandTexts().substr(said);
  // Still running on, round the loop again.
  const std::size_t later = UartOneText(hub).size();
  ASSERT_TRUE(WaitFor([&] { return UartOneText(hub).find(" on\r\n", later) != std::string::npos; }))
      << CommandTexts().substr(said);
  EXPECT_TRUE(session->TargetExecuting());
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > stops; }))
      << CommandTexts().substr(said);
  EXPECT_TRUE(session->SessionActive());
  EXPECT_EQ(Children("gdb-multiarch"), std::vector<pid_t>{gdb});
  // gdb answers as before.
  uint64_t step = 99;
  EXPECT_EQ(r->DbgEvalExpression(1, "pattern_step", &step), 0) << CommandTexts().substr(said);
  EXPECT_LT(step, 8u);
}

struct StopPlaceRow {
  const char* name;
  const char* fromText;  // the line the step starts from (a breakpoint and F5); null: the report's
  bool intoFirst;        // F11 first: the step starts inside the line's call
  const char* typed;
  const char* toText;    // the line the step ends on
};

// The lines of the loop past the UART's writes.
constexpr const char* kDelayLine = "Timer_Delay(TICKS_PER_SECOND / 4);";
constexpr const char* kLedOffLine = "LED_Off(pattern_step);";
constexpr const char* kNextStepLine = "pattern_step = (pattern_step + 1) % n;";

const StopPlaceRow kStopPlaceRows[] = {
    {"Next", nullptr, false, "next", "Serial_PutChar((char)('0' + pattern_step));"},
    {"Until", nullptr, false, "until", "Serial_PutChar((char)('0' + pattern_step));"},
    {"Finish", nullptr, true, "finish", "Serial_PutChar((char)('0' + pattern_step));"},
    {"Step", nullptr, false, "step", "while (*s) Serial_PutChar(*s++);"},
    // gdb's own steps, with none of the driver's stops on their way.
    {"NextWithoutTheUart", kDelayLine, false, "next", kLedOffLine},
    {"UntilWithoutTheUart", kDelayLine, false, "until", kLedOffLine},
    // LED_Off returns at the start of the next line.
    {"FinishWithoutTheUart", kLedOffLine, true, "finish", kNextStepLine},
    {"AdvanceWithoutTheUart", kDelayLine, false, "advance %d", kNextStepLine},
};

class GdbTypedStepStopPlace : public GdbTypedStepOnTheLoop, public ::testing::WithParamInterface<StopPlaceRow> {};

// A typed step leaves its stop place on the command page as gdb's own
// step prints it (the line's number and text), also when the driver's
// own stops for the UART stand-in made up its way (the step row's way has
// none).
TEST_P(GdbTypedStepStopPlace, PrintsTheLineItStopsAt) {
  const StopPlaceRow& row = GetParam();
  ASSERT_NO_FATAL_FAILURE(StopAtTheReport());
  if (row.fromText) {
    from = BlinkyLineOf(row.fromText);
    ASSERT_NE(from, 0u);
    ASSERT_EQ(Type("BS Blinky.c:" + std::to_string(from)), 0) << CommandTexts();
    const int before = host.stopsPosted;
    session->Go();
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > before && LineAt(r) == from; }))
        << CommandTexts();
  }
  if (row.intoFirst) {
    session->Step(kDbgStepInto);
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
    ASSERT_NE(LineAt(r), from) << "F11 did not enter the line's call\n" << CommandTexts();
  }
  const uint32_t to = BlinkyLineOf(row.toText);
  ASSERT_NE(to, 0u);
  const int stops = host.stopsPosted;
  const std::size_t said = CommandTexts().size();
  char typed[64];
  std::snprintf(typed, sizeof typed, row.typed, int(to));
  ASSERT_EQ(Type(typed), 0) << CommandTexts().substr(said);
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > stops && LineAt(r) == to; }))
      << typed << ":\n" << CommandTexts().substr(said);
  // The text comes with the stop, or just before the IDE hears of it.
  const std::string place = std::to_string(to) + "\t";
  EXPECT_TRUE(WaitFor([&] {
    const std::string page = CommandTexts().substr(said);
    const std::size_t at = page.find(place);
    return at != std::string::npos && (at == 0 || page[at - 1] == '\n') &&
           page.find(row.toText, at) != std::string::npos;
  })) << typed << ":\n" << CommandTexts().substr(said);
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbTypedStepStopPlace, ::testing::ValuesIn(kStopPlaceRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- a held emulator

class GdbHeldEmulatorTest : public GdbSessionTest {
 protected:
  void TearDown() override {
    for (const char* name : {"gdb-multiarch", "qemu-system-arm"})
      for (pid_t p : Children(name)) kill(p, SIGCONT);
    GdbSessionTest::TearDown();
  }
};

// F5 with qemu held (SIGSTOP): the window gets the run back at once, and
// the run stands on the driver's own thread, whose bound says that the
// target does not answer. Once qemu goes on it takes the run late, and the
// copies of the run's packet gdb sent meanwhile come back as stops nobody
// asked for: the run the user asked for goes on through them, to the
// breakpoint it runs to, and the next runs too (no "SIGINT" of an Esc
// nobody pressed, at this run or a later one).
TEST_F(GdbHeldEmulatorTest, ARunTheHeldEmulatorTakesLateGoesOnAndCutsNoLaterRun) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  ASSERT_EQ(r->DbgExecCommand("BS LED_On", 9), 0) << CommandTexts();
  // The breakpoint stands after the function's entry code.
  const uint32_t ledOn = Evaluate("&LED_On");
  const std::vector<pid_t> qemu = Children("qemu-system-arm");
  ASSERT_EQ(qemu.size(), 1u);
  ASSERT_EQ(kill(qemu[0], SIGSTOP), 0);
  ASSERT_TRUE(WaitFor([&] { return StatOf(qemu[0]).state == 'T'; }));
  const int stops = host.stopsPosted;
  {
    test::HangGuard guard("F5 on a held emulator");
    session->Go();
  }
  // The bound's words come from the driver's thread, not from this one.
  const char* const kNoAnswer = "the run command got no answer within 3 s: the target does not answer";
  ASSERT_TRUE(WaitFor([&] { return PostedTexts().find(kNoAnswer) != std::string::npos; })) << CommandTexts();
  for (const std::string& line : routed.commandLines) EXPECT_EQ(line.find(kNoAnswer), std::string::npos) << line;
  // The run that did not run leaves the target standing where it was, told
  // as a stop there.
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > stops; })) << CommandTexts();
  const int standing = host.stopsPosted;
  const std::size_t said = CommandTexts().size();
  ASSERT_EQ(kill(qemu[0], SIGCONT), 0);
  // The run goes on to LED_On's breakpoint.
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > standing; }))
      << CommandTexts().substr(said);
  const uint32_t atBreakpoint = r->pc;
  EXPECT_TRUE(atBreakpoint > ledOn && atBreakpoint < ledOn + 32) << std::hex << atBreakpoint << " " << ledOn;
  EXPECT_NE(CommandTexts().find(", LED_On (", said), std::string::npos) << CommandTexts().substr(said);
  EXPECT_EQ(CommandTexts().find("SIGINT", said), std::string::npos) << CommandTexts().substr(said);
  // The next runs stop there again, not at once where they start.
  for (int run = 0; run < 3; ++run) {
    const int before = host.stopsPosted;
    const std::size_t at = CommandTexts().size();
    session->Go();
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > before; }))
        << CommandTexts().substr(at);
    EXPECT_EQ(r->pc, atBreakpoint) << "run " << run << ": " << CommandTexts().substr(at);
    EXPECT_EQ(CommandTexts().find("SIGINT", at), std::string::npos) << CommandTexts().substr(at);
  }
}

// F10 and then Esc with qemu held: both return at once and stand. Once
// qemu goes on the target stops (the step's stop or the request's), the
// IDE sees it stand, and F10 steps again.
TEST_F(GdbHeldEmulatorTest, AStepAndAStopRequestOnAHeldEmulatorStandUntilItGoesOn) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const std::vector<pid_t> qemu = Children("qemu-system-arm");
  ASSERT_EQ(qemu.size(), 1u);
  ASSERT_EQ(kill(qemu[0], SIGSTOP), 0);
  {
    test::HangGuard guard("F10 and Esc on a held emulator");
    session->Step(kDbgStepOver);
    session->StopRunning();
  }
  // Whatever the bound says comes from the driver's thread.
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts();
  for (const std::string& line : routed.commandLines) EXPECT_EQ(line.find("within 3 s"), std::string::npos) << line;
  ASSERT_EQ(kill(qemu[0], SIGCONT), 0);
  // gdb answers again, and the target stands where the step or the stop
  // left it; F10 steps from there.
  ASSERT_TRUE(WaitFor([&] {
    if (session->TargetExecuting()) session->StopRunning();
    uint64_t five = 0;
    return !session->TargetExecuting() && r->DbgEvalExpression(1, "2+3", &five) == 0 && five == 5u;
  })) << CommandTexts();
  const uint32_t before = r->pc;
  const int stops = host.stopsPosted;
  session->Step(kDbgStepOverInstruction);
  EXPECT_TRUE(WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > stops && r->pc != before; }))
      << CommandTexts();
}

// ---------------------------------------------------------------- a GDB server's session

// qemu as a GDB server of its own (not the driver's): it outlives the
// sessions, as a board's server does.
class GdbServerSessionTest : public GdbSessionTest {
 protected:
  void SetUp() override {
    GdbSessionTest::SetUp();
    if (IsSkipped()) return;
    std::string err;
    int monitor = -1;
    ASSERT_TRUE(gdb::StartQemu(gdb::QemuMachine{}, ExampleFolder() + "Obj/Blinky.elf", &server, &stub, &monitor, &err))
        << err;
    if (monitor >= 0) close(monitor);
  }
  void TearDown() override {
    GdbSessionTest::TearDown();
    server.Kill();
  }
  gdb::ChildProcess server;
  gdb::StubSocket stub;  // the server's socket, which the session names as its remote
};

// The first session leaves the target inside main; the next one loads
// the program at its start ("Load Application at Startup") and runs to
// main ("Go till main()"): it stands in main, as the Debug page says.
TEST_F(GdbServerSessionTest, LoadAtStartupStartsFromTheResetWhereverTheLastSessionLeftTheTarget) {
  constexpr uint32_t kLoadAtStartup = 0x4;
  const std::string remote = "-remote " + stub.Path();
  Params(remote);
  project->curTarget->pOpts->dbg.flags &= ~kLoadAtStartup;
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  // Past main's start, before the UART (without the simulation's UART
  // stand-in the program waits for the UART for ever).
  const uint32_t loop = BlinkyLineOf("  Serial_Init();");
  const std::string bs = "BS Blinky.c:" + std::to_string(loop);
  ASSERT_EQ(r->DbgExecCommand(bs.c_str(), int32_t(bs.size())), 0) << CommandTexts();
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && LineAt(r) == loop; })) << CommandTexts();
  session->StopDebugger();
  ASSERT_FALSE(session->SessionActive());

  project->curTarget->pOpts->dbg.flags |= kLoadAtStartup | kGoTillMain;
  const std::size_t said = CommandTexts().size();
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  r = session->Record();
  const uint32_t mainLine = BlinkyLineOf("int main(void) {");
  EXPECT_TRUE(WaitFor([&] { return !session->TargetExecuting() && LineAt(r) == mainLine; }))
      << std::hex << r->pc << "\n" << CommandTexts().substr(said);
  EXPECT_NE(CommandTexts().find("bytes loaded at"), std::string::npos) << CommandTexts();  // the first session did not load
  if (session->TargetExecuting()) session->StopRunning();
}

}  // namespace
}  // namespace pm2
