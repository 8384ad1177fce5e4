// What the GDB driver sends gdb-multiarch around the driver's own stops,
// read from the session's MI log (PM2_GDB_MI_LOG), on the example under
// qemu: gdb aborts ("terminate called after throwing an instance of
// 'gdb_exception_error'") on a question about the program's code that
// reaches it once the target runs again, so none is sent while the driver
// stands in a stop of its own on the way of a run (the UART stand-in's,
// which it resumes at once): the questions answer from what the driver
// keeps, and at the stop again from gdb. A counted breakpoint's count is
// set again before the next run, not at its stop, where gdb is still
// running the breakpoint's commands.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "debugger/gdb/mi/gdb_connection.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace gdb_abort_sequences_test {

// A command sent: its text after the token ("-exec-continue").
bool SentCommand(const MiLine& l, const std::string& command) {
  if (l.direction != '>') return false;
  const std::size_t at = l.text.find_first_not_of("0123456789");
  return at != std::string::npos && l.text.compare(at, command.size(), command) == 0;
}

// The example built by hand with a main that writes the UART without end:
// a run stands in the UART stand-in's stops most of its time.
const std::string& FloodExampleFolder() {
  static ExampleCopyOfThisProgram copy;
  static std::string folder = [] {
    if (ExampleFolder().empty()) return std::string();
    std::string dir = std::filesystem::temp_directory_path().string() + "/pm2gdbflood" + std::to_string(getpid());
    copy.dir = dir;
    std::filesystem::remove_all(dir);
    std::filesystem::copy(ExampleFolder(), dir, std::filesystem::copy_options::recursive);
    std::ofstream(dir + "/Blinky.c") << "#include \"LPC2138.h\"\n"
                                        "unsigned int sent;\n"
                                        "int main(void) {\n"
                                        "  for (;;) {\n"
                                        "    U0THR = 'x';\n"
                                        "    ++sent;\n"
                                        "  }\n"
                                        "}\n";
    std::string cmd = "cd '" + dir +
                      "' && arm-none-eabi-gcc -mcpu=arm7tdmi -g -O0 -nostartfiles "
                      "-T LPC2138.ld Startup.s Blinky.c LED.c Timer.c -o Obj/Blinky.elf >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return std::string();
    return dir + "/";
  }();
  return folder;
}

// A session whose every line to and from gdb goes to a log of the test's own.
class GdbLoggedSession : public GdbSessionTest {
 protected:
  void SetUp() override {
    GdbSessionTest::SetUp();
    if (IsSkipped()) return;
    log = dir.path() + "/mi.log";
    setenv(gdb::GdbConnection::kMiLogVariable, log.c_str(), 1);
  }
  void TearDown() override {
    GdbSessionTest::TearDown();
    unsetenv(gdb::GdbConnection::kMiLogVariable);
  }
  int Type(const std::string& line) {
    return session->Record()->DbgExecCommand(line.c_str(), int32_t(line.size()));
  }
  // The program's serial output so far (window 1).
  std::size_t SerialBytes() const {
    std::size_t n = 0;
    for (const RecordingHub::Entry& e : hub.Entries())
      if (e.code == kNotifySerialOutput3 && ((uint32_t(e.arg) >> 24) & 0xFF) == 0) ++n;
    return n;
  }
  std::string log;
};

// ---------------------------------------------------------------- the count

// "BS LED_On, 3, \"print num\"": at its stop gdb runs the command; the
// count goes to gdb before the next run (gdb's -break-after), and that run
// stops at the third pass again.
TEST_F(GdbLoggedSession, ACountIsSetAgainBeforeTheNextRunNotAtItsStop) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  ASSERT_EQ(Type("BS LED_On, 3, \"print num\""), 0) << CommandTexts();
  const auto runToStop = [&] {
    const int stops = host.stopsPosted;
    session->Go();
    return WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > stops; });
  };
  ASSERT_TRUE(runToStop()) << CommandTexts();
  // gdb ran the breakpoint's command: the stop is all done.
  ASSERT_TRUE(WaitFor([&] { return Said("$1 = 2"); })) << CommandTexts();
  std::vector<MiLine> lines = ReadMiLog(log);
  auto ledStop = [&](std::size_t from) {
    for (std::size_t i = from; i < lines.size(); ++i)
      if (lines[i].direction == '<' && lines[i].text.rfind("*stopped,reason=\"breakpoint-hit\"", 0) == 0 &&
          lines[i].text.find("func=\"LED_On\"") != std::string::npos)
        return i;
    return lines.size();
  };
  const std::size_t first = ledStop(0);
  ASSERT_LT(first, lines.size()) << "no stop at LED_On in the log";
  for (std::size_t i = first; i < lines.size(); ++i)
    EXPECT_FALSE(SentCommand(lines[i], "-break-after")) << "sent at the stop: " << lines[i].text;

  ASSERT_TRUE(runToStop()) << CommandTexts();
  ASSERT_TRUE(WaitFor([&] { return Said("$2 = 5"); })) << "not three passes on:\n" << CommandTexts();
  lines = ReadMiLog(log);
  const std::size_t second = ledStop(first + 1);
  ASSERT_LT(second, lines.size());
  std::size_t count = 0, run = 0;
  for (std::size_t i = first; i < second && !run; ++i) {
    if (SentCommand(lines[i], "-break-after") && lines[i].text.find(" 2") != std::string::npos) count = i;
    if (SentCommand(lines[i], "-exec-continue")) run = i;
  }
  EXPECT_NE(count, 0u) << "no count before the run";
  EXPECT_LT(count, run) << "the count went after the run";
}

// ---------------------------------------------------------------- the code questions

class GdbFloodSession : public GdbLoggedSession {
 protected:
  void SetUp() override {
    GdbLoggedSession::SetUp();
    if (IsSkipped()) return;
    if (FloodExampleFolder().empty()) GTEST_SKIP() << "the example does not build by hand here";
    project = MakeExampleProject(FloodExampleFolder());
    app->State().m_pProject = project;
    Params("-sim");
  }
};

// The IDE's questions about code, lines, frames and memory while the
// program runs, standing in the UART stand-in's stops most of the time
// (the editor's margin asks for the coverage's code at every paint): none
// reaches gdb until the stop the IDE hears of, and then each is answered.
TEST_F(GdbFloodSession, NoQuestionAboutCodeGoesToGdbWhileTheDriverResumesTheTarget) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  // main's breakpoint is in the loop.
  ASSERT_EQ(Type("BK *"), 0) << CommandTexts();
  DebugInterface* r = session->Record();
  const uint32_t main = Evaluate("&main");
  const uint32_t store = main + 16;  // in the loop, not where the target stands
  const std::string file = FloodExampleFolder() + "Blinky.c";
  auto ask = [&] {
    int answered = 0;
    answered += r->DbgFindSource(store) == 0;
    answered += (r->DbgBreakpoint(store, 7) & ~3u) != 0;
    uint32_t at = store;
    char text[256] = {};
    answered += r->DbgControl(kDbgCtlInstructionText, reinterpret_cast<intptr_t>(&at),
                              reinterpret_cast<intptr_t>(text)) == 0;
    answered += r->DbgLineTable(file.c_str()) != nullptr;
    r->DbgControl(kDbgCtlBeforeCallStack, 0, 0);
    answered += r->callStackTop >= 0;
    uint32_t word = 0;
    answered += r->DbgReadMemory(store, 4, &word) == 0;
    return answered;
  };
  const std::vector<pid_t> gdb = Children("gdb-multiarch");
  ASSERT_EQ(gdb.size(), 1u);
  const std::size_t before = ReadMiLog(log).size();
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting() && SerialBytes() > 0; })) << CommandTexts();
  // A few hundred of the stand-in's stops go by while the questions go.
  const std::size_t sent = SerialBytes();
  int rounds = 0;
  while (SerialBytes() < sent + 300 && !host.driverEnded && rounds < 100000) {
    EXPECT_EQ(ask(), 0) << "answered from gdb while the target runs (round " << rounds << ")";
    ++rounds;
  }
  ASSERT_FALSE(host.driverEnded) << CommandTexts();
  ASSERT_TRUE(session->TargetExecuting());
  const int stops = host.stopsPosted;
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && host.stopsPosted > stops; })) << CommandTexts();
  EXPECT_EQ(Children("gdb-multiarch"), gdb);
  // Everything sent from the run until the IDE heard of its stop (the
  // request may have met one of the stand-in's stops, which then is it).
  const std::vector<MiLine> lines = ReadMiLog(log);
  for (std::size_t i = before; i < lines.size(); ++i)
    for (const char* question : {"-data-disassemble", "-symbol-list-lines", "-stack-list-frames",
                                 "-interpreter-exec console \"maint info line-table"})
      EXPECT_FALSE(SentCommand(lines[i], question)) << "sent while the target ran: " << lines[i].text;
  // Stopped as the IDE sees it: every question is gdb's again, the
  // coverage of the loop counted.
  EXPECT_EQ(ask(), 6) << CommandTexts();
  EXPECT_NE(r->DbgBreakpoint(store, 7) & ~3u, 0u);
}

}  // namespace gdb_abort_sequences_test
}  // namespace pm2
