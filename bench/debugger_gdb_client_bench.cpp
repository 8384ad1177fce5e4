// The GDB driver as a client of the event interface sees it in the running
// program, against gdb-multiarch alone on its own qemu. The bench starts
// pelmora2 on a copy of the example (on the X display it was started under,
// else on an X server of its own, Xvfb; without Xvfb the window program on
// Qt's offscreen platform), attaches as a client, starts the debug
// session (the example runs to main) and then measures rounds of ours
// against rounds of gdb's, one after the other and without a pause: what
// the program does after an answer (its windows' refresh and repaint) is
// part of what the next request meets, as a client that asks back to back
// meets it:
//  - steps back to back: StepInstruction, the next one as soon as
//    ExecutionStopped arrives ("to the stop"), and with ReadRegister "PC"
//    after each stop until its answer ("with a PC read"), against
//    "-exec-step-instruction" until gdb's *stopped and then $pc asked of gdb;
//  - 64 KB of memory: ReadMemory requests of the most one answer carries,
//    against gdb reading the same blocks.
// Before the rounds, the values both read must agree: the PC at main and
// after each of a few steps, and the 64 KB. The ratios and their goals are
// printed after the run, under --benchmark_repetitions for the medians
// only (PM2_BENCH_PROGRAM names another build's pelmora2 to measure in the
// same way). Exit status: 0 once the values were compared and agree; 1
// when they differ or nothing could be compared (the program did not
// start or answer, the example did not build: the reason is printed); 77
// when gdb-multiarch or qemu-system-arm is missing (it says so and
// measures nothing).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "../tests/test_leftovers.h"
#include "debugger/ipc/ipc_debug_handlers.h"
#include "gdb_bench_peer.h"
#include "ipc/event_catalog.h"
#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"
#include "platform/termination.h"

namespace {

using namespace pm2;
using namespace pm2::bench;

constexpr uint32_t kReadAddress = 0x40000000u;  // the example's RAM
constexpr uint32_t kReadSize = 65536;
constexpr auto kAnswerBound = std::chrono::seconds(10);

std::string g_work;      // the program's settings and runtime folders
std::string g_platform;  // where the program's window is: "X11 display :N" or "offscreen"
std::string g_program_path;
IpcNamespace g_ns;
std::unique_ptr<EventTransport> Attach(EventSink& sink, std::string* err) {
  return bs_InterProcessEventHandler::Attach(g_ns, sink, GetEventFactory(), err);
}

// ---- what the client hears ---------------------------------------------------

EventDispatcher* g_client = nullptr;
int g_ideSlot = -1;
std::mutex g_lock;
std::condition_variable g_cv;
struct Heard {
  uint64_t identities = 0, started = 0, stops = 0, registers = 0, memory = 0;
  uint32_t lastBytes = 0;
  uint32_t lastPc = 0;      // the value of the last ReadRegisterReply
  std::string lastMemory;   // the bytes of the last ReadMemoryReply
  bool project = false;  // the program named the example as its project
  std::string status;
} g_heard;

template <class X, class F>
struct Note : X::Handler {
  Note(EventDispatcher& d, F f) : X::Handler(d), fn(f) {}
  void Handle(X& e) override {
    std::lock_guard<std::mutex> g(g_lock);
    fn(e);
    g_cv.notify_all();
  }
  F fn;
};
template <class X, class F>
std::unique_ptr<Note<X, F>> MakeNote(EventDispatcher& d, F f) {
  return std::make_unique<Note<X, F>>(d, f);
}

// Waits until `done` holds of what was heard; false after the bound.
template <class P>
bool Until(P done) {
  std::unique_lock<std::mutex> g(g_lock);
  return g_cv.wait_for(g, kAnswerBound, [&] { return done(g_heard); });
}

Heard Now() {
  std::lock_guard<std::mutex> g(g_lock);
  return g_heard;
}

template <class X>
void Request(X event, int destination) {
  event.m_nDestination = destination;
  while (!g_client->SendEvent(event)) std::this_thread::yield();
}

// ---- the program ---------------------------------------------------------------

ChildProcess g_program;
ChildProcess g_xserver;

// An X server of the bench's own: Xvfb picks a free display and writes its
// number once it takes connections. "" when none could start.
std::string StartXServer() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return "";
  std::string err;
  const bool started = g_xserver.Start({"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten",
                                        "tcp"},
                                       false, &err, fds[1]);
  close(fds[1]);
  std::string number;
  char c;
  while (started && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  return number.empty() ? "" : ":" + number;
}

// pelmora2 on the example with folders and event-interface names of its own.
bool StartProgram(std::string* err) {
  g_work = std::filesystem::path(g_elf).parent_path().parent_path().string() + "-run";
  std::filesystem::create_directories(g_work + "/config");
  std::filesystem::create_directories(g_work + "/run");
  chmod((g_work + "/run").c_str(), 0700);
  setenv("XDG_CONFIG_HOME", (g_work + "/config").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (g_work + "/run").c_str(), 1);
  // A test's suffix (test_leftovers.h): what a killed run leaves is reaped.
  setenv("PM2_IPC_SUFFIX", pm2::test::TestSuffix("gdbclient").c_str(), 1);
  setenv("PM2_NO_SPLASH", "1", 1);
  unsetenv("WAYLAND_DISPLAY");
  // PM2_BENCH_PROGRAM names another build's pelmora2 to measure (its own
  // GDB driver beside it).
  const char* other = std::getenv("PM2_BENCH_PROGRAM");
  g_program_path = other && *other ? other : std::string(PM2_PROGRAM_DIR) + "/pelmora2";
  std::string program = g_program_path;
  const char* shown = std::getenv("DISPLAY");
  std::string display = shown && *shown ? shown : StartXServer();
  if (!display.empty()) {
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    g_platform = (shown && *shown ? "X11 display " : "Xvfb display ") + display;
  } else {
    // No X server could start: the window program itself on Qt's offscreen
    // platform (pelmora2 would take offscreen for no display).
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    program = std::filesystem::path(g_program_path).parent_path().string() + "/pelmora2_window";
    g_platform = "offscreen";
  }
  g_ns = IpcNamespace::FromEnvironment();
  const std::string project = std::filesystem::path(g_elf).parent_path().parent_path().string() + "/Blinky.pm2";
  return g_program.Start({program, project}, false, err);
}

// Attaches, asks WhoIs until the program names itself, starts the session
// and waits for its stop at main. "" when all went well.
std::string StartSession() {
  for (int i = 0; i < 300 && g_ideSlot < 0; ++i) {
    if (!g_program.Running()) return "the program ended (" + g_platform + ")";
    Request(dtc_Identify::WhoIs(), -1);
    std::unique_lock<std::mutex> g(g_lock);
    g_cv.wait_for(g, std::chrono::milliseconds(100), [] { return g_heard.identities > 0; });
  }
  if (g_ideSlot < 0) return "the program did not answer WhoIs";
  // The program answers before its project is open: asked until it names it.
  for (int i = 0; i < 100 && !Now().project; ++i) {
    Request(dtc_Identify::WhichProject(), g_ideSlot);
    std::unique_lock<std::mutex> g(g_lock);
    g_cv.wait_for(g, std::chrono::milliseconds(100), [] { return g_heard.project; });
  }
  if (!Now().project) return "the program did not open the example";
  const Heard before = Now();
  // A request the window was not ready for is asked again (one made while
  // the session starts is refused: it runs already).
  for (int i = 0; i < 5 && Now().started == before.started; ++i) {
    Request(dtc_Debug::StartDebugging(), g_ideSlot);
    std::unique_lock<std::mutex> g(g_lock);
    g_cv.wait_for(g, std::chrono::seconds(2), [&] { return g_heard.started > before.started; });
  }
  if (!Until([&](const Heard& h) { return h.started > before.started && h.stops > before.stops; })) {
    const Heard now = Now();
    return "the debug session did not start and stop at main (started " + std::to_string(now.started) + ", stops " +
           std::to_string(now.stops) + (now.status.empty() ? "" : ", " + now.status) + ")";
  }
  // The stop at main is the last of the start: the windows settle.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  return "";
}

// ---- the rounds ----------------------------------------------------------------

std::unique_ptr<RawGdb> g_peer;
double g_toStop = 0;  // ours, the last round: from the request to the stop

bool ClientStep(bool readPc) {
  const Heard before = Now();
  const auto t0 = std::chrono::steady_clock::now();
  Request(dtc_Debug::StepInstruction(), g_ideSlot);
  if (!Until([&](const Heard& h) { return h.stops > before.stops; })) return false;
  g_toStop = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (!readPc) return true;
  Request(dtc_Debug::ReadRegister("PC"), g_ideSlot);
  return Until([&](const Heard& h) { return h.registers > before.registers; });
}

bool PeerStep(bool readPc) {
  if (!g_peer->Command("-exec-step-instruction", "*stopped")) return false;
  return !readPc || g_peer->Command("-data-evaluate-expression $pc", "^done");
}

bool ClientRead64K() {
  for (uint32_t at = 0; at < kReadSize; at += kIpcReadMemoryMax) {
    const uint32_t count = std::min(kIpcReadMemoryMax, kReadSize - at);
    const Heard before = Now();
    Request(dtc_Debug::ReadMemory(kReadAddress + at, count), g_ideSlot);
    if (!Until([&](const Heard& h) { return h.memory > before.memory; })) return false;
    if (Now().lastBytes != count) return false;
  }
  return true;
}

// ---- the values both read ----------------------------------------------------

// The PC through our driver; false without an answer.
bool ClientPc(uint32_t* pc) {
  const Heard before = Now();
  Request(dtc_Debug::ReadRegister("PC"), g_ideSlot);
  if (!Until([&](const Heard& h) { return h.registers > before.registers; })) return false;
  *pc = Now().lastPc;
  return true;
}

// The PC that gdb alone reads: the first number in "^done,value=...".
bool PeerPc(uint32_t* pc) {
  if (!g_peer->Command("-data-evaluate-expression $pc", "^done")) return false;
  const std::string& line = g_peer->Last();
  const size_t at = line.find("0x", line.find("value="));
  if (at == std::string::npos) return false;
  *pc = uint32_t(std::strtoul(line.c_str() + at, nullptr, 16));
  return true;
}

bool ClientMemory(std::string* bytes) {
  bytes->clear();
  for (uint32_t at = 0; at < kReadSize; at += kIpcReadMemoryMax) {
    const uint32_t count = std::min(kIpcReadMemoryMax, kReadSize - at);
    const Heard before = Now();
    Request(dtc_Debug::ReadMemory(kReadAddress + at, count), g_ideSlot);
    if (!Until([&](const Heard& h) { return h.memory > before.memory; })) return false;
    *bytes += Now().lastMemory;
  }
  return true;
}

// gdb's "contents" of each block, from hexadecimal.
bool PeerMemory(std::string* bytes) {
  bytes->clear();
  for (uint32_t at = 0; at < kReadSize; at += kIpcReadMemoryMax) {
    const uint32_t count = std::min(kIpcReadMemoryMax, kReadSize - at);
    if (!g_peer->Command("-data-read-memory-bytes " + std::to_string(kReadAddress + at) + " " + std::to_string(count),
                         "^done"))
      return false;
    const std::string& line = g_peer->Last();
    const size_t from = line.find("contents=\"");
    if (from == std::string::npos) return false;
    const size_t begin = from + 10, end = line.find('"', begin);
    for (size_t i = begin; i + 1 < end; i += 2) *bytes += char(std::stoi(line.substr(i, 2), nullptr, 16));
  }
  return true;
}

std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

// Both at main: the PC there and after each of a few steps, and the 64 KB
// from 0x40000000, through our driver and through gdb alone. "" when they
// agree, else what differs.
constexpr int kCheckedSteps = 8;
std::string ValuesAgree() {
  for (int step = 0; step <= kCheckedSteps; ++step) {
    if (step > 0 && (!ClientStep(false) || !PeerStep(false))) return "a step got no answer";
    uint32_t ours = 0, theirs = 0;
    if (!ClientPc(&ours)) return "the client got no PC";
    if (!PeerPc(&theirs)) return "gdb alone gave no PC: " + g_peer->Last();
    if (ours != theirs)
      return "the PC after " + std::to_string(step) + " steps from main differs: ours " + Hex(ours) +
             ", gdb alone " + Hex(theirs);
  }
  std::string ours, theirs;
  if (!ClientMemory(&ours)) return "the client got no memory";
  if (!PeerMemory(&theirs)) return "gdb alone read no memory: " + g_peer->Last();
  if (ours.size() != theirs.size())
    return "the 64 KB read: ours " + std::to_string(ours.size()) + " bytes, gdb alone " +
           std::to_string(theirs.size());
  for (size_t i = 0; i < ours.size(); ++i)
    if (ours[i] != theirs[i]) {
      char text[160];
      std::snprintf(text, sizeof text, "the byte at 0x%08zX differs: ours 0x%02X, gdb alone 0x%02X",
                    size_t(kReadAddress) + i, unsigned(uint8_t(ours[i])), unsigned(uint8_t(theirs[i])));
      return text;
    }
  return "";
}

bool PeerRead64K() {
  for (uint32_t at = 0; at < kReadSize; at += kIpcReadMemoryMax) {
    const uint32_t count = std::min(kIpcReadMemoryMax, kReadSize - at);
    if (!g_peer->Command("-data-read-memory-bytes " + std::to_string(kReadAddress + at) + " " + std::to_string(count),
                         "^done"))
      return false;
  }
  return true;
}

std::string g_startError;
std::string g_differs;  // what our driver read differently from gdb alone
// Steps in one round: a client's back-to-back steps.
constexpr int kSteps = 32;

template <class One>
bool Round(One one, int times) {
  for (int i = 0; i < times; ++i)
    if (!one()) return false;
  return true;
}

template <class Ours, class Peer>
void Paired(benchmark::State& state, Ours ours, Peer peer, int times, const char* counter) {
  if (!g_skip.empty()) return state.SkipWithError(g_skip.c_str());
  if (!g_startError.empty()) return state.SkipWithError(g_startError.c_str());
  double oursTime = 0, peerTime = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    if (!Round(ours, times))
      return state.SkipWithError(("the client got no answer (" + Now().status + ", " +
                                  std::to_string(Now().lastBytes) + " bytes)").c_str());
    const auto t1 = std::chrono::steady_clock::now();
    if (!Round(peer, times)) return state.SkipWithError("gdb failed");
    const auto t2 = std::chrono::steady_clock::now();
    oursTime += std::chrono::duration<double>(t1 - t0).count();
    peerTime += std::chrono::duration<double>(t2 - t1).count();
  }
  const double count = double(state.iterations()) * times;
  state.counters[counter] = peerTime > 0 ? oursTime / peerTime : 0;
  state.counters["ours_us"] = oursTime / count * 1e6;
  state.counters["gdb_us"] = peerTime / count * 1e6;
}

void BM_ClientStepsToStopAgainstGdb(benchmark::State& state) {
  Paired(state, [] { return ClientStep(false); }, [] { return PeerStep(false); }, kSteps, "stop_ratio");
}
BENCHMARK(BM_ClientStepsToStopAgainstGdb)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

void BM_ClientStepsReadPcAgainstGdb(benchmark::State& state) {
  Paired(state, [] { return ClientStep(true); }, [] { return PeerStep(true); }, kSteps, "step_ratio");
}
BENCHMARK(BM_ClientStepsReadPcAgainstGdb)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

void BM_ClientRead64KAgainstGdb(benchmark::State& state) {
  Paired(state, ClientRead64K, PeerRead64K, 1, "read_ratio");
}
BENCHMARK(BM_ClientRead64KAgainstGdb)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

class GoalReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    static const struct {
      const char* counter;
      const char* what;
      double goal;
    } kFigures[] = {{"stop_ratio", "back-to-back steps to the stop", 1.5},
                    {"step_ratio", "back-to-back steps with a PC read", 1.2},
                    {"read_ratio", "64 KB read", 1.2}};
    for (const Run& r : runs) {
      // Under --benchmark_repetitions the goal is read off the medians, not
      // off each repetition or the spread rows.
      const bool repeated = r.repetitions > 1;
      if (repeated && (r.run_type != Run::RT_Aggregate || r.aggregate_name != "median")) continue;
      for (const auto& f : kFigures) {
        auto it = r.counters.find(f.counter);
        if (it == r.counters.end() || r.error_occurred) continue;
        std::printf("%s, %s (%s) as a client of the event interface sees it, against gdb-multiarch alone: "
                    "%.2fx the time (goal <= %.1fx: %s)\n",
                    f.what, g_program_path.c_str(), g_platform.c_str(), double(it->second), f.goal,
                    Met(it->second, f.goal));
      }
    }
  }
};

}  // namespace

// Ends the X server of the bench's own as a user's session would, by
// SIGTERM, so that it removes its socket and lock (SIGKILL leaves
// /tmp/.X11-unix/X<n> and /tmp/.X<n>-lock behind); one that has not ended
// within the bound is killed.
void EndXServer() {
  if (g_xserver.Pid() <= 0) return;
  ::kill(g_xserver.Pid(), SIGTERM);
  const auto until = std::chrono::steady_clock::now() + kAnswerBound;
  while (g_xserver.Running() && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (g_xserver.Running()) g_xserver.Kill();
}

// What the run made goes, once: at its end, or when a signal (Ctrl+C,
// SIGTERM, SIGHUP) interrupts it.
void EndRun() {
  static std::once_flag once;
  std::call_once(once, [] {
    g_program.Kill();
    // Killed, the program could not remove the event interface's objects.
    if (!g_ns.suffix.empty()) IpcObjects::RemoveAll(g_ns);
    std::error_code ec;
    if (!g_work.empty()) std::filesystem::remove_all(g_work, ec);
    if (!g_elf.empty()) std::filesystem::remove_all(std::filesystem::path(g_elf).parent_path().parent_path(), ec);
    EndXServer();
  });
}

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  InstallTerminationHandlers();
  AddTerminationCleanup(EndRun);
  g_skip = SkipReason();
  const bool toolsMissing = g_skip.find("not installed") != std::string::npos;
  bool compared = false;
  std::string err;
  if (g_skip.empty() && !StartProgram(&err)) g_skip = "pelmora2 did not start: " + err;
  if (g_skip.empty()) {
    g_peer = std::make_unique<RawGdb>();
    // gdb alone starts where the session stops: at main's first instruction
    // (gdb's "main" would stop after its prologue).
    if (!g_peer->Start() || !g_peer->Command("-break-insert -t *main", "^done") ||
        !g_peer->Command("-exec-continue", "*stopped"))
      g_skip = "gdb-multiarch alone did not reach main";
  }
  {
    EventDispatcher client(&Attach);
    g_client = &client;
    auto identity = MakeNote<dtc_Identify::Identity>(client, [](dtc_Identify::Identity& e) {
      if (g_ideSlot < 0) g_ideSlot = e.m_nSender;
      ++g_heard.identities;
    });
    auto project = MakeNote<dtc_Identify::WhichProjectReply>(client, [](dtc_Identify::WhichProjectReply& e) {
      g_heard.project |= e.m_strName.find("Blinky") != std::string::npos;
    });
    auto started = MakeNote<dtc_Debug::DebuggerStarted>(client, [](auto&) { ++g_heard.started; });
    auto stopped = MakeNote<dtc_Debug::ExecutionStopped>(client, [](auto&) { ++g_heard.stops; });
    auto registers = MakeNote<dtc_Debug::ReadRegisterReply>(client, [](dtc_Debug::ReadRegisterReply& e) {
      g_heard.lastPc = e.m_nValue;
      ++g_heard.registers;
    });
    auto memory = MakeNote<dtc_Debug::ReadMemoryReply>(client, [](dtc_Debug::ReadMemoryReply& e) {
      g_heard.lastBytes = uint32_t(e.m_Data.bytes.size());
      g_heard.lastMemory.assign(e.m_Data.bytes.begin(), e.m_Data.bytes.end());
      ++g_heard.memory;
    });
    auto status = MakeNote<dtc_Debug::StatusText>(client, [](dtc_Debug::StatusText& e) { g_heard.status = e.m_strText; });
    if (g_skip.empty()) {
      if (!client.Activate())
        g_startError = "the client could not attach: " + client.ActivationError();
      else
        g_startError = StartSession();
      if (g_startError.empty()) {
        g_differs = ValuesAgree();
        if (!g_differs.empty()) {
          g_startError = "our driver and gdb alone read different values: " + g_differs;
        } else {
          compared = true;
          std::printf("compared: the PC at main and after each of %d steps, and 64 KB from %s, read by %s (%s) "
                      "as a client of the event interface and by gdb-multiarch alone: they agree\n",
                      kCheckedSteps, Hex(kReadAddress).c_str(), g_program_path.c_str(), g_platform.c_str());
        }
      }
    }
    // A run that compared nothing says why (the rows say it again).
    if (!compared) std::fprintf(stderr, "*** nothing compared: %s\n", (g_skip.empty() ? g_startError : g_skip).c_str());
    GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (g_ideSlot >= 0) Request(dtc_Debug::StopDebugging(), g_ideSlot);
    g_client = nullptr;
  }
  g_peer.reset();
  EndRun();
  // Nothing compared is no result: a failure, or a skip for want of tools.
  return compared ? 0 : toolsMissing ? 77 : 1;
}
