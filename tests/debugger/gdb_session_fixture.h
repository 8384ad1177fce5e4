// A debug session with the GDB driver on the example program (built once
// for the whole test program by pelmora2), over gdb-multiarch and
// qemu-system-arm, and the test's own view of the processes it started.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "driver_abi/debug_records.h"
#include "hang_guard.h"
#include "session_fixture.h"

namespace pm2 {

// The simulator side's "Go till main()" and "Breakpoints" options.
constexpr uint32_t kGoTillMain = 0x8, kKeepBreakpoints = 0x10;

// A copy of the example that goes when the test program ends, also after a
// failed test (a killed one's goes with its work folder, test_leftovers.h).
struct ExampleCopyOfThisProgram {
  std::string dir;
  ~ExampleCopyOfThisProgram() {
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
  }
};

// The example, copied and built once.
inline const std::string& ExampleFolder() {
  static ExampleCopyOfThisProgram copy;
  static std::string folder = [] {
    std::string dir = std::filesystem::temp_directory_path().string() + "/pm2gdb" + std::to_string(getpid());
    copy.dir = dir;
    std::filesystem::remove_all(dir);
    std::filesystem::copy(std::string(PM2_SOURCE_DIR) + "/examples/blinky", dir,
                          std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(dir + "/Obj");
    std::string cmd = "cd '" + dir + "' && '" + std::string(PM2_PROGRAM_DIR) + "/pelmora2' -b Blinky.pm2 >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return std::string();
    return dir + "/";
  }();
  return folder;
}

// The example built for Thumb state by hand (its project builds ARM code).
inline const std::string& ThumbExampleFolder() {
  static ExampleCopyOfThisProgram copy;
  static std::string folder = [] {
    if (ExampleFolder().empty()) return std::string();
    std::string dir = std::filesystem::temp_directory_path().string() + "/pm2gdbthumb" + std::to_string(getpid());
    copy.dir = dir;
    std::filesystem::remove_all(dir);
    std::filesystem::copy(ExampleFolder(), dir, std::filesystem::copy_options::recursive);
    std::string cmd = "cd '" + dir +
                      "' && arm-none-eabi-gcc -mcpu=arm7tdmi -mthumb -mthumb-interwork -g -O0 -nostartfiles "
                      "-T LPC2138.ld Startup.s Blinky.c LED.c Timer.c -o Obj/Blinky.elf >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return std::string();
    return dir + "/";
  }();
  return folder;
}

// The example built by hand with a malloc of its own beside it, which
// counts its calls in `malloc_calls`: gdb places a literal it must have
// in target memory through the program's malloc. A global `U` (7) shows
// whether a command's "U ..." was taken for an assignment.
inline const std::string& MallocExampleFolder() {
  static ExampleCopyOfThisProgram copy;
  static std::string folder = [] {
    if (ExampleFolder().empty()) return std::string();
    std::string dir = std::filesystem::temp_directory_path().string() + "/pm2gdbmalloc" + std::to_string(getpid());
    copy.dir = dir;
    std::filesystem::remove_all(dir);
    std::filesystem::copy(ExampleFolder(), dir, std::filesystem::copy_options::recursive);
    std::ofstream(dir + "/Heap.c") << "#include <stddef.h>\n"
                                      "static char heap[256];\n"
                                      "static size_t used;\n"
                                      "unsigned malloc_calls;\n"
                                      "unsigned U = 7;\n"
                                      "void *malloc(size_t n) {\n"
                                      "  void *p = heap + used;\n"
                                      "  ++malloc_calls;\n"
                                      "  used = (used + ((n + 7) & ~(size_t)7)) % sizeof heap;\n"
                                      "  return p;\n"
                                      "}\n";
    std::string cmd = "cd '" + dir +
                      "' && arm-none-eabi-gcc -mcpu=arm7tdmi -g -O0 -nostartfiles "
                      "-T LPC2138.ld Startup.s Blinky.c LED.c Timer.c Heap.c -o Obj/Blinky.elf >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return std::string();
    return dir + "/";
  }();
  return folder;
}

// One line of the MI log: '>' sent to gdb, '<' read from it.
struct MiLine {
  char direction = 0;
  std::string text;
};

inline std::vector<MiLine> ReadMiLog(const std::string& path) {
  std::vector<MiLine> out;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    long long ms = 0;
    MiLine l;
    if (!(fields >> ms >> l.direction)) continue;
    std::getline(fields, l.text);
    if (!l.text.empty() && l.text[0] == ' ') l.text.erase(0, 1);
    out.push_back(std::move(l));
  }
  return out;
}

// What a process's stat line says after its name: its state letter ('T'
// stopped by a signal; '?' gone) and the CPU time it used, in the system's
// ticks (user and system).
struct ProcessStat {
  char state = '?';
  uint64_t ticks = 0;
};
inline ProcessStat StatOf(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  ProcessStat out;
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos || close + 2 >= line.size()) return out;
  out.state = line[close + 2];
  unsigned long long user = 0, system = 0;
  // Fields 14 and 15 of the line; the 11 before them follow the state.
  if (std::sscanf(line.c_str() + close + 2, "%*c %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu %llu", &user,
                  &system) == 2)
    out.ticks = user + system;
  return out;
}

// Our own children of a program name (gdb-multiarch, qemu-system-arm).
inline std::vector<pid_t> Children(const std::string& comm) {
  std::vector<pid_t> out;
  DIR* d = opendir("/proc");
  while (dirent* e = d ? readdir(d) : nullptr) {
    const pid_t pid = pid_t(std::atoi(e->d_name));
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::string(e->d_name) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    const std::string name = line.substr(line.find('(') + 1, close - line.find('(') - 1);
    char state = 0;
    int ppid = 0;
    std::sscanf(line.c_str() + close + 2, "%c %d", &state, &ppid);
    if (ppid == getpid() && state != 'Z' && comm.compare(0, 15, name) == 0) out.push_back(pid);
  }
  if (d) closedir(d);
  return out;
}

// Waits until `done` holds; the limit only catches a hang.
template <class F>
bool WaitFor(F done, int ms = test::kHangWaitMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

class GdbSessionTest : public ShellAppTest {
 protected:
  void SetUp() override {
    ShellAppTest::SetUp();
    if (ExampleFolder().empty()) GTEST_SKIP() << "the example does not build here";
    if (access("/usr/bin/gdb-multiarch", X_OK) != 0 || access("/usr/bin/qemu-system-arm", X_OK) != 0)
      GTEST_SKIP() << "gdb-multiarch or qemu-system-arm is not installed (./pm2.sh installs them)";
    project = MakeExampleProject(ExampleFolder());
    app->State().m_pProject = project;
    arm.toolset = 3;
    arm.toolsFolder = dir.path() + "/ARM/BIN/";
    theApp().m_pToolsetInfo[3] = &arm;
    app->m_szProgramFolder = std::string(PM2_PROGRAM_DIR) + "/";
    session = std::make_unique<DebugSession>(*app, host);
    routed.session = session.get();
    app->SetFrame(&routed);
    app->SetDebugPort(session.get());
    app->m_windows.Set(WindowSlot::CommandPage, this);
    Params("-sim");
  }
  void TearDown() override {
    if (session) session->StopDebugger();
    app->SetDebugPort(nullptr);
    session.reset();
    theApp().m_pToolsetInfo[3] = nullptr;
    ShellAppTest::TearDown();
  }
  void Params(const std::string& params) {
    OptionBlock* o = project->curTarget->pOpts;
    o->dbg.flags |= 1;
    // The tests start at the reset address; the run to main has its own.
    o->dbg.flags &= ~kGoTillMain;
    o->dbg.str[0] = OptString::Pooled("GDBDRV.DLL", kPoolScratch);
    o->dbg.str[1] = OptString::Pooled(params, kPoolScratch);
  }
  std::string CommandTexts() const {
    std::string all;
    for (const std::string& t : routed.commandLines) all += t;
    for (const std::string& t : hub.Texts(kNotifyCommandText2)) all += t;
    return all;
  }
  // What the driver said from a thread of its own (posted to the window),
  // not on the thread that asked: a wait on gdb that ran there.
  std::string PostedTexts() const {
    std::string all;
    for (const std::string& t : hub.Texts(kNotifyCommandText2)) all += t;
    return all;
  }
  // Starts the session and runs it to its stop at main.
  void StopAtMain() {
    session->StartDebugger();
    ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
    DebugInterface* r = session->Record();
    ASSERT_EQ(r->DbgExecCommand("BS main", 7), 0) << CommandTexts();
    const uint32_t main = Evaluate("&main");
    session->Go();
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= main && r->pc < main + 32; }))
        << CommandTexts();
  }
  uint32_t Evaluate(const char* what) {
    uint64_t v = 0;
    EXPECT_EQ(session->Record()->DbgEvalExpression(1, what, &v), 0) << what;
    return uint32_t(v);
  }
  uint32_t Word(uint32_t address) {
    uint32_t v = 0;
    EXPECT_EQ(session->Record()->DbgReadMemory(address, 4, &v), 0) << std::hex << address;
    return v;
  }
  // The IDE's run control returns at once (the driver's request thread
  // waits on gdb): these wait for what a step or a stop request came to.
  void StepOver() { StepAndWait(kDbgStepOver); }
  void StepAndWait(int mode) {
    session->Step(mode);
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts();
  }
  // F5, and the run under way: the program writes to its UART again (F5
  // returns before gdb has the run).
  void GoUntilItWrites() {
    const std::size_t before = hub.Texts(kNotifySerialOutput3).size();
    session->Go();
    ASSERT_TRUE(WaitFor([&] { return hub.Texts(kNotifySerialOutput3).size() > before; })) << CommandTexts();
  }
  void StopAndWait() {
    session->StopRunning();
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << CommandTexts();
  }
  int BreakpointCount() {
    int n = 0;
    for (auto* b = reinterpret_cast<DbgBreakpointRecord*>(
             session->Record()->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
         b; b = b->next)
      ++n;
    return n;
  }
  // The driver's refusals are said on the thread that asked, this one.
  bool Said(const std::string& line) const { return CommandTexts().find(line) != std::string::npos; }

  ProjectRec* project = nullptr;
  ToolsetInfo arm;
  RecordingHost host;
  RoutingFrame routed;
  std::unique_ptr<DebugSession> session;
};

// A session on the copy of the example that counts its malloc calls, so a
// test can tell that nothing it did ran code in the target.
class GdbMallocSessionTest : public GdbSessionTest {
 protected:
  void SetUp() override {
    GdbSessionTest::SetUp();
    if (IsSkipped()) return;
    if (MallocExampleFolder().empty()) GTEST_SKIP() << "the example does not build with a malloc here";
    project = MakeExampleProject(MallocExampleFolder());
    app->State().m_pProject = project;
    Params("-sim");
  }
};

}  // namespace pm2
