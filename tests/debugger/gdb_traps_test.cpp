// The GDB driver when its server or gdb stops answering, and when the
// program file is damaged: every wait ends within its bound with a message,
// Ctrl+F5 then ends the session with gdb and qemu, and a program file gdb
// cannot read ends the start with gdb's words.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "debugger/gdb/mi/gdb_connection.h"
#include "gdb_session_fixture.h"
#include "hang_guard.h"
#include "session_ipc_shell.h"
#include "ipc/event_dispatcher.h"

namespace pm2 {
namespace {

enum class Action { Step, Run, StopRunning };

struct TrapRow {
  const char* name;
  const char* stopped;  // the process that gets SIGSTOP
  Action action;
  // On the command page and the status line; a step may find gdb waiting
  // for the stopped server (no answer) or the target resumed (it runs on).
  const char* said;
  const char* status;
  const char* saidOtherwise = "";
  const char* statusOtherwise = "";
  // A window read the target first: gdb was last told to refuse writes,
  // and the run must have them back before it goes.
  bool readFirst = false;
};

const TrapRow kTrapRows[] = {
    {"QemuStoppedBeforeAStep", "qemu-system-arm", Action::Step, "the step got no answer within 3 s",
     "Step: no answer", "the step did not end within 3 s: the target runs on", "Step: runs on"},
    {"QemuStoppedWhileTheTargetRuns", "qemu-system-arm", Action::StopRunning,
     "the target does not answer the stop request within 3 s", "Stop: no answer"},
    {"GdbStoppedBeforeAStep", "gdb-multiarch", Action::Step, "the step got no answer within 3 s",
     "Step: no answer"},
    {"GdbStoppedBeforeARun", "gdb-multiarch", Action::Run, "the run command got no answer within 3 s",
     "Run: no answer"},
    // The settings that let the run write go first, and meet the silence.
    {"GdbStoppedAfterAReadBeforeAStep", "gdb-multiarch", Action::Step,
     "gdb did not answer within 3 s: the command is not done", "gdb: no answer", "", "", true},
    {"GdbStoppedAfterAReadBeforeARun", "gdb-multiarch", Action::Run,
     "gdb did not answer within 3 s: the command is not done", "gdb: no answer", "", "", true},
    {"QemuStoppedAfterAReadBeforeAStep", "qemu-system-arm", Action::Step,
     "gdb did not answer within 3 s: the command is not done", "gdb: no answer",
     "the step got no answer within 3 s", "Step: no answer", true},
};

class GdbTrapTest : public GdbSessionTest, public ::testing::WithParamInterface<TrapRow> {
 protected:
  // F5, and the program runs: the run returns at once, and the emulator
  // is seen to execute (a standing machine uses no CPU time).
  void RunUntilTheEmulatorExecutes() {
    const std::vector<pid_t> qemu = Children("qemu-system-arm");
    ASSERT_EQ(qemu.size(), 1u);
    session->Go();
    ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); }));
    const uint64_t before = StatOf(qemu[0]).ticks;
    ASSERT_TRUE(WaitFor([&] { return StatOf(qemu[0]).ticks >= before + 10 && session->TargetExecuting(); }))
        << CommandTexts();
  }
  void TearDown() override {
    // Whatever the test left stopped is let go before it is ended.
    for (const char* name : {"gdb-multiarch", "qemu-system-arm"})
      for (pid_t p : Children(name)) kill(p, SIGCONT);
    GdbSessionTest::TearDown();
  }
};

TEST_P(GdbTrapTest, EveryWaitEndsWithinItsBoundAndCtrlF5EndsTheSession) {
  const TrapRow& row = GetParam();
  // A program that runs freely stops only at the UART stand-in's accesses,
  // which the driver answers itself: a server stopped during one of those
  // leaves a stop that the stop request then reports. Without the stand-in
  // the stop request is the only one, and meets the stopped server.
  if (row.action == Action::StopRunning) Params("-sim -uart none");
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  // The program runs freely when it is stopped.
  if (row.action == Action::StopRunning) {
    ASSERT_NO_FATAL_FAILURE(RunUntilTheEmulatorExecutes());
  }
  if (row.readFirst) Evaluate("pattern_step");
  const std::vector<pid_t> stopped = Children(row.stopped);
  ASSERT_EQ(stopped.size(), 1u);
  ASSERT_EQ(kill(stopped[0], SIGSTOP), 0);
  // Stopped once the system says so ('T' in its stat line).
  ASSERT_TRUE(WaitFor([&] { return StatOf(stopped[0]).state == 'T'; })) << StatOf(stopped[0]).state;

  {
    // The driver's bound ends the wait (its message names it, below); one
    // that never ended would hang here.
    test::HangGuard guard(std::string("a wait on a stopped ") + row.stopped);
    switch (row.action) {
      case Action::Step: session->Step(kDbgStepOver); break;
      case Action::Run: session->Go(); break;
      case Action::StopRunning: session->StopRunning(); break;
    }
  }
  // The request stands on the driver's thread, which says what its bound
  // came to (not on this thread: the window got the request back at once).
  auto shown = [&](const char* text, const char* line) {
    const std::vector<std::string> status = hub.Texts(kNotifyStatusText);
    return *text && PostedTexts().find(text) != std::string::npos &&
           std::find(status.begin(), status.end(), line) != status.end();
  };
  EXPECT_TRUE(WaitFor([&] { return shown(row.said, row.status) || shown(row.saidOtherwise, row.statusOtherwise); }))
      << CommandTexts();
  for (const std::string& line : routed.commandLines) EXPECT_EQ(line.find(" within 3 s"), std::string::npos) << line;
  if (session->TargetExecuting()) {
    // A step that runs on: Esc's stop request gets no answer either.
    {
      test::HangGuard guard("Esc's stop request to a stopped server");
      session->StopRunning();
    }
    EXPECT_TRUE(WaitFor([&] {
      return PostedTexts().find("the target does not answer the stop request") != std::string::npos;
    })) << CommandTexts();
  }
  EXPECT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));

  // Another question to the driver does not wait for a second bound: gdb's
  // silence answers it, and nothing more is sent to gdb (what was sent and
  // not read stays in gdb's input pipe; a stopped gdb, or one that waits for
  // its stopped server, reads none of it).
  const std::vector<pid_t> gdb = Children("gdb-multiarch");
  ASSERT_EQ(gdb.size(), 1u);
  const int input = ::open(("/proc/" + std::to_string(gdb[0]) + "/fd/0").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(input, 0) << std::strerror(errno);
  auto unread = [&] {
    int n = -1;
    return ::ioctl(input, FIONREAD, &n) == 0 ? n : -1;
  };
  const int before = unread();
  {
    test::HangGuard guard("another question after a wait that got no answer");
    uint64_t value = 0;
    r->DbgEvalExpression(1, "pattern_step", &value);
    session->Step(kDbgStepOver);
  }
  EXPECT_GE(before, 0);
  EXPECT_EQ(unread(), before) << "a question was sent to a gdb that does not answer";
  // The step refused for it says why.
  EXPECT_TRUE(Said("*** Error: the target did not answer the last command: nothing more is sent to it until it "
                   "stops or gdb answers again (Ctrl+F5 ends the session)"))
      << CommandTexts();
  ::close(input);

  // Ctrl+F5 ends the session, with gdb and qemu.
  {
    test::HangGuard guard("Ctrl+F5 with a stopped server");
    session->OnDebugStartStop();
  }
  EXPECT_FALSE(session->SessionActive());
  EXPECT_TRUE(WaitFor([] { return Children("gdb-multiarch").empty() && Children("qemu-system-arm").empty(); }));
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbTrapTest, ::testing::ValuesIn(kTrapRows),
                         [](const ::testing::TestParamInfo<TrapRow>& info) { return info.param.name; });

// ---------------------------------------------------------------- the held process goes on

// The same waits, and then the held process goes on (SIGCONT): gdb takes up
// what it was sent, or answers what it was asked, and the session takes
// steps, runs and stop requests again without Ctrl+F5.
class GdbTrapRecoveryTest : public GdbTrapTest {};

TEST_P(GdbTrapRecoveryTest, AfterTheHeldProcessGoesOnTheSessionStepsAndRunsAgain) {
  const TrapRow& row = GetParam();
  if (row.action == Action::StopRunning) Params("-sim -uart none");
  // What went to gdb and came back, told when a wait below fails.
  const std::string log = dir.path() + "/mi.log";
  setenv(gdb::GdbConnection::kMiLogVariable, log.c_str(), 1);
  StopAtMain();
  unsetenv(gdb::GdbConnection::kMiLogVariable);
  if (HasFatalFailure()) return;
  const auto miTail = [&] {
    const std::vector<MiLine> lines = ReadMiLog(log);
    std::string out = "\nthe MI log's last lines:\n";
    for (std::size_t i = lines.size() > 40 ? lines.size() - 40 : 0; i < lines.size(); ++i)
      out += std::string(1, lines[i].direction) + " " + lines[i].text.substr(0, 200) + "\n";
    return out;
  };
  DebugInterface* r = session->Record();
  if (row.action == Action::StopRunning) {
    // The run starts with gdb's step over main's breakpoint: qemu may be
    // held inside it, and drops the stop requests it reads once the step
    // has ended; the driver sends them again when qemu answers.
    session->Go();
  }
  if (row.readFirst) Evaluate("pattern_step");
  const std::vector<pid_t> held = Children(row.stopped);
  ASSERT_EQ(held.size(), 1u);
  ASSERT_EQ(kill(held[0], SIGSTOP), 0);
  ASSERT_TRUE(WaitFor([&] { return StatOf(held[0]).state == 'T'; }));
  {
    test::HangGuard guard(std::string("a wait on a stopped ") + row.stopped);
    switch (row.action) {
      case Action::Step: session->Step(kDbgStepOver); break;
      case Action::Run: session->Go(); break;
      case Action::StopRunning: session->StopRunning(); break;
    }
    if (session->TargetExecuting()) session->StopRunning();
  }
  // The requests stand on the driver's thread until their bounds end.
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts() << miTail();

  const int stopsBefore = host.stopsPosted;
  const std::size_t said = CommandTexts().size();
  ASSERT_EQ(kill(held[0], SIGCONT), 0);
  // gdb goes on with what it holds: the step's or the stop request's stop
  // comes, the run runs, or gdb says that it answers again.
  ASSERT_TRUE(WaitFor([&] {
    return host.stopsPosted > stopsBefore || session->TargetExecuting() ||
           CommandTexts().find("gdb answers again", said) != std::string::npos;
  })) << CommandTexts().substr(said) << miTail();
  if (session->TargetExecuting()) session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts().substr(said) << miTail();

  // F10 steps again (by instruction: without the UART stand-in the program
  // may stand in a loop waiting for the UART, which a line's step never leaves).
  // What gdb took late may still run the target as gdb answers again: F10
  // is given once the target stands, and once more when what stood then
  // was the late command's start.
  bool stepped = false;
  for (int tries = 0; tries < 3 && !stepped; ++tries) {
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts().substr(said) << miTail();
    const uint32_t before = r->pc;
    const int stops = host.stopsPosted;
    session->Step(kDbgStepOverInstruction);
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > stops; }))
        << CommandTexts().substr(said) << miTail();
    stepped = r->pc != before;
  }
  EXPECT_TRUE(stepped) << CommandTexts().substr(said) << miTail();
  // F5 runs, and the stop request stops the run. On a busy machine the
  // stop may come after the request's bound, which is then said: it comes
  // all the same, and gdb takes questions once it has. Nothing is refused
  // for the held episode (the session took it up again).
  session->Go();
  EXPECT_TRUE(WaitFor([&] { return session->TargetExecuting(); })) << CommandTexts().substr(said) << miTail();
  session->StopRunning();
  EXPECT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  EXPECT_TRUE(WaitFor([&] {
    uint64_t v = 0;
    return r->DbgEvalExpression(1, "2+3", &v) == 0 && v == 5;
  })) << CommandTexts().substr(said) << miTail();
  const std::string after = CommandTexts().substr(said);
  EXPECT_EQ(after.find("did not answer the last command"), std::string::npos) << after;
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbTrapRecoveryTest, ::testing::ValuesIn(kTrapRows),
                         [](const ::testing::TestParamInfo<TrapRow>& info) { return info.param.name; });

// A watch row read while gdb is held: the row says that gdb does not
// answer (not only "????????"), and so does the status line; once gdb goes
// on, the row reads its value again. The window asks a held gdb nothing
// and waits for nothing: the MI log shows only the one question left for
// gdb to answer when it goes on. The window waited a bound for an answer
// that could not come.
TEST_F(GdbTrapTest, AWatchRowReadWhileGdbIsHeldSaysWhyAndAsksItNothing) {
  const std::string log = dir.path() + "/mi.log";
  setenv(gdb::GdbConnection::kMiLogVariable, log.c_str(), 1);
  StopAtMain();
  unsetenv(gdb::GdbConnection::kMiLogVariable);
  if (HasFatalFailure()) return;
  DebugInterface* r = session->Record();
  const std::vector<pid_t> gdb = Children("gdb-multiarch");
  ASSERT_EQ(gdb.size(), 1u);
  ASSERT_EQ(kill(gdb[0], SIGSTOP), 0);
  ASSERT_TRUE(WaitFor([&] { return StatOf(gdb[0]).state == 'T'; }));
  // The lines sent to gdb so far.
  const auto sent = [&] {
    std::vector<std::string> out;
    for (const MiLine& l : ReadMiLog(log))
      if (l.direction == '>') out.push_back(l.text);
    return out;
  };
  const std::size_t sentBefore = sent().size();
  ASSERT_GT(sentBefore, 0u) << "no MI log";
  DbgWatchValue v{};
  v.expression = "pattern_step";
  v.radix = 10;
  {
    test::HangGuard guard("a watch row read from a held gdb");
    EXPECT_NE(r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0), 0);
  }
  EXPECT_NE(std::string(v.text).find("gdb does not answer"), std::string::npos) << v.text;
  // A second refresh, at once: the same words.
  v = DbgWatchValue{};
  v.expression = "pattern_step";
  v.radix = 10;
  EXPECT_NE(r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0), 0);
  EXPECT_NE(std::string(v.text).find("gdb does not answer"), std::string::npos) << v.text;
  const std::vector<std::string> status = hub.Texts(kNotifyStatusText);
  EXPECT_NE(std::find(status.begin(), status.end(), "gdb: no answer"), status.end());
  const std::vector<std::string> all = sent();
  const std::vector<std::string> whileHeld(all.begin() + std::ptrdiff_t(sentBefore), all.end());
  ASSERT_EQ(whileHeld.size(), 1u) << "the window asked a held gdb: " << ::testing::PrintToString(whileHeld);
  EXPECT_NE(whileHeld[0].find(gdb::GdbConnection::kHeldProbe), std::string::npos) << whileHeld[0];
  ASSERT_EQ(kill(gdb[0], SIGCONT), 0);
  EXPECT_TRUE(WaitFor([&] {
    v = DbgWatchValue{};
    v.expression = "pattern_step";
    v.radix = 10;
    return r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0) == 0 && std::string(v.text) == "0";
  })) << v.text << "\n" << CommandTexts();
}

// ---------------------------------------------------------------- a typed call that runs on

// A typed call that runs the target for longer than the driver waits for
// gdb's answer: the target counts as running, Esc stops it, and gdb takes
// questions again; a typed "continue" after it runs, and Esc stops that too.
TEST_F(GdbSessionTest, ATypedCallThatRunsOnIsStoppedByEsc) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  // The timer is not started yet: the delay never ends.
  const std::string typed = "print Timer_Delay(0xFFFFFFFF)";
  {
    test::HangGuard guard("a typed call that runs on");
    r->DbgExecCommand(typed.c_str(), int32_t(typed.size()));
  }
  EXPECT_TRUE(session->TargetExecuting()) << CommandTexts();
  EXPECT_TRUE(Said("*** the command did not end within 3 s: gdb runs on with it (Esc stops it)")) << CommandTexts();
  {
    test::HangGuard guard("Esc during a typed call");
    session->StopRunning();
  }
  EXPECT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  EXPECT_FALSE(Said("does not answer the stop request")) << CommandTexts();
  EXPECT_EQ(Evaluate("2+3"), 5u) << CommandTexts();
  // A typed "continue" goes on from where the call was stopped: the target
  // runs, and Esc stops it as it stops F5.
  const std::size_t said = CommandTexts().size();
  {
    test::HangGuard guard("a typed continue after a stopped call");
    r->DbgExecCommand("continue", 8);
  }
  EXPECT_TRUE(WaitFor([&] { return session->TargetExecuting(); })) << CommandTexts().substr(said);
  {
    test::HangGuard guard("Esc during a typed continue");
    session->StopRunning();
  }
  EXPECT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts().substr(said);
  EXPECT_FALSE(Said("does not answer the stop request")) << CommandTexts();
  EXPECT_EQ(Evaluate("2+3"), 5u) << CommandTexts();
}

// ---------------------------------------------------------------- stop requests during serial output

// What the program sent to serial window 1 so far.
std::size_t SerialCount(const RecordingHub& hub) {
  std::size_t n = 0;
  for (const RecordingHub::Entry& e : hub.Entries())
    if (e.code == kNotifySerialOutput3 && ((uint32_t(e.arg) >> 24) & 0xFF) == 0) ++n;
  return n;
}

// The stop texts on the command page: gdb's of its own stops, the
// driver's of a stop request that met one of its own (the UART stand-in's).
int StopTexts(const std::string& text) {
  int n = 0;
  for (const char* said : {"Program received signal SIGINT", "Program stopped."})
    for (std::size_t at = 0; (at = text.find(said, at)) != std::string::npos; ++at) ++n;
  return n;
}

// The example writes its serial output through the UART stand-in: much of
// its time it stands in the driver's own stops. Esc, after a random share
// of the output, lands now in a run, now in such a stop; each time the
// target stops once, with one stop text, and the next F5 runs (a stop
// request left under way would stop it at once).
TEST_F(GdbSessionTest, EscDuringSerialOutputStopsOnceAndF5RunsOn) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  std::mt19937 random(90);
  constexpr int kRounds = 40;
  for (int round = 1; round <= kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::size_t said = CommandTexts().size();
    const std::size_t sent = SerialCount(hub);
    const std::size_t more = 1 + random() % 24;
    session->Go();
    // The run goes on until the program sent more: a stop before that is
    // one nobody asked for.
    ASSERT_TRUE(WaitFor([&] { return SerialCount(hub) >= sent + more || StopTexts(CommandTexts().substr(said)) > 0; }));
    ASSERT_GE(SerialCount(hub), sent + more) << CommandTexts().substr(said);
    ASSERT_EQ(StopTexts(CommandTexts().substr(said)), 0) << CommandTexts().substr(said);
    ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); })) << CommandTexts().substr(said);
    {
      test::HangGuard guard("Esc during serial output");
      session->StopRunning();
    }
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts().substr(said);
    ASSERT_TRUE(WaitFor([&] { return StopTexts(CommandTexts().substr(said)) > 0; })) << CommandTexts().substr(said);
    EXPECT_EQ(CommandTexts().find("stop request"), std::string::npos) << CommandTexts().substr(said);
  }
  // A stop text of a stop nobody asked for would have stopped a later run;
  // the last round's would follow it.
  const std::size_t said = CommandTexts().size();
  const std::size_t sent = SerialCount(hub);
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return SerialCount(hub) >= sent + 8 || StopTexts(CommandTexts().substr(said)) > 0; }));
  EXPECT_GE(SerialCount(hub), sent + 8) << CommandTexts().substr(said);
  ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); })) << CommandTexts().substr(said);
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  EXPECT_TRUE(WaitFor([&] { return StopTexts(CommandTexts()) >= kRounds + 1; }));
  EXPECT_EQ(StopTexts(CommandTexts()), kRounds + 1) << CommandTexts();
}

// Esc met one of the driver's own stops (the UART stand-in's): gdb read the
// stop request with the target stopped already. A typed call that runs on
// after it is still stopped with Esc, and the session keeps its target.
TEST_F(GdbSessionTest, EscOfATypedCallAfterAStopRequestThatMetAUartStop) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  bool metUartStop = false;
  for (int round = 1; round <= 50 && !metUartStop; ++round) {
    const std::size_t said = CommandTexts().size();
    const std::size_t sent = SerialCount(hub);
    session->Go();
    ASSERT_TRUE(WaitFor([&] { return SerialCount(hub) > sent || StopTexts(CommandTexts().substr(said)) > 0; }));
    ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); })) << CommandTexts().substr(said);
    session->StopRunning();
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts().substr(said);
    ASSERT_TRUE(WaitFor([&] { return StopTexts(CommandTexts().substr(said)) > 0; })) << CommandTexts().substr(said);
    metUartStop = CommandTexts().find("Program stopped.", said) != std::string::npos;
  }
  ASSERT_TRUE(metUartStop) << CommandTexts();
  // The program's delay never ends: the timer's registers are plain memory.
  const std::size_t said = CommandTexts().size();
  const std::string typed = "print Timer_Delay(0xFFFFFFFF)";
  {
    test::HangGuard guard("a typed call that runs on");
    r->DbgExecCommand(typed.c_str(), int32_t(typed.size()));
  }
  ASSERT_TRUE(session->TargetExecuting()) << CommandTexts().substr(said);
  {
    test::HangGuard guard("Esc during a typed call");
    session->StopRunning();
  }
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts().substr(said);
  EXPECT_TRUE(WaitFor([&] { return Said("Program received signal SIGINT"); })) << CommandTexts().substr(said);
  EXPECT_EQ(CommandTexts().find("Disconnected", said), std::string::npos) << CommandTexts().substr(said);
  EXPECT_EQ(CommandTexts().find("stop request", said), std::string::npos) << CommandTexts().substr(said);
  uint64_t pc = 0;
  EXPECT_EQ(r->DbgEvalExpression(1, "$pc", &pc), 0) << CommandTexts().substr(said);
}

// ---------------------------------------------------------------- memory past 4 GB

struct RangeRow {
  const char* name;
  bool write;
  uint64_t address;
  uint32_t count;
  uint32_t done;  // bytes really read or written, as the reply counts them
};

const RangeRow kRangeRows[] = {
    {"WriteRunningPast4GB", true, 0xFFFFFFF0u, 64, 16},
    {"ReadRunningPast4GB", false, 0xFFFFFFF0u, 64, 16},
    {"WriteStartingAt4GB", true, 0x100000000ull, 4, 0},
    {"ReadStartingPast4GB", false, 0x100000004ull, 4, 0},
    {"WriteInsideTheSpace", true, 0x40001000u, 64, 64},
};

class MemoryRangeTest : public GdbSessionTest, public ::testing::WithParamInterface<RangeRow> {};

TEST_P(MemoryRangeTest, ARangePastTheAddressSpaceIsCutAtItsEndAndTheReplySaysHowMuch) {
  const RangeRow& row = GetParam();
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  uint8_t vectors[64] = {}, after[64] = {};
  ASSERT_EQ(r->DbgReadMemory(0, sizeof vectors, vectors), 0);

  EventDispatcher dispatcher;
  std::atomic<int32_t> muted{0}, client{-1};
  test::SessionIpcShell shell(*session);
  std::vector<std::string> replies;
  IpcDebugHandlers handlers(dispatcher, shell, IpcDebugState{&muted, &client}, [&](dtc_EventBase& e) {
    if (auto* read = dynamic_cast<dtc_Debug::ReadMemoryReply*>(&e))
      replies.push_back("read " + std::to_string(read->m_Data.bytes.size()));
    else if (auto* written = dynamic_cast<dtc_Debug::WriteMemoryReply*>(&e))
      replies.push_back("written " + std::to_string(written->m_Data.bytes.size()));
    else if (auto* status = dynamic_cast<dtc_Debug::StatusText*>(&e))
      replies.push_back("status " + status->m_strText);
    return true;
  });
  if (row.write) {
    dtc_Debug::WriteMemory request(row.address, DataBlock(std::vector<uint8_t>(row.count, 0xA5)));
    request.m_nSender = 9;
    dispatcher.Deliver(request);
  } else {
    dtc_Debug::ReadMemory request(row.address, row.count);
    request.m_nSender = 9;
    dispatcher.Deliver(request);
  }
  EXPECT_EQ(replies, std::vector<std::string>{(row.write ? "written " : "read ") + std::to_string(row.done)});
  // Nothing wrapped round to the exception vectors at address 0.
  ASSERT_EQ(r->DbgReadMemory(0, sizeof after, after), 0);
  EXPECT_EQ(0, std::memcmp(vectors, after, sizeof after));
}

INSTANTIATE_TEST_SUITE_P(Rows, MemoryRangeTest, ::testing::ValuesIn(kRangeRows),
                         [](const ::testing::TestParamInfo<RangeRow>& info) { return info.param.name; });

// ---------------------------------------------------------------- damaged program files

struct DamageRow {
  const char* name;
  // The damaged file's bytes from the good program file's.
  std::string (*damage)(const std::string& good);
};

const DamageRow kDamageRows[] = {
    {"Empty", [](const std::string&) { return std::string(); }},
    {"CutAfterTheHeader", [](const std::string& good) { return good.substr(0, 200); }},
    {"CutInTheMiddle", [](const std::string& good) { return good.substr(0, good.size() / 2); }},
    {"RandomBytes",
     [](const std::string& good) {
       std::mt19937 random(48);
       std::string bytes(good.size(), '\0');
       for (char& c : bytes) c = char(random() & 0xFF);
       return bytes;
     }},
};

class DamagedProgramTest : public GdbSessionTest, public ::testing::WithParamInterface<DamageRow> {};

TEST_P(DamagedProgramTest, TheStartEndsWithGdbsMessage) {
  const std::string copy = dir.path() + "/damaged/";
  std::filesystem::copy(ExampleFolder(), copy, std::filesystem::copy_options::recursive);
  const std::string elf = copy + "Obj/Blinky.elf";
  std::string good;
  {
    std::ifstream in(elf, std::ios::binary);
    good.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(good.size(), 1000u);
  std::ofstream(elf, std::ios::binary | std::ios::trunc) << GetParam().damage(good);
  project = MakeExampleProject(copy);
  app->State().m_pProject = project;
  Params("-sim");

  session->StartDebugger();
  EXPECT_FALSE(session->SessionActive());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Error: \"" + elf +
                                       "\": not in executable format: file format not recognized\nDebugger aborted !");
  EXPECT_TRUE(Children("gdb-multiarch").empty());
  EXPECT_TRUE(Children("qemu-system-arm").empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, DamagedProgramTest, ::testing::ValuesIn(kDamageRows),
                         [](const ::testing::TestParamInfo<DamageRow>& info) { return info.param.name; });

}  // namespace
}  // namespace pm2
