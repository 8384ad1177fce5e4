// The GDB driver as a client of the event interface sees it, against
// gdb-multiarch alone on its own qemu. A second process stands for the IDE:
// the event interface's debug request handlers over the GDB driver on the
// example in qemu, with the register page refreshed after each stop (the
// window the default layout shows during a session). This process is the
// client and sends its requests through the real transport:
//  - a single step: StepInstruction, then ReadRegister "PC" (answered once
//    the step is done), against "-exec-step-instruction" and the program
//    counter asked of gdb;
//  - 64 KB of memory: ReadMemory requests of the most one answer carries,
//    against gdb reading the same blocks.
// Both measured side by side (alternating); the ratios and their goals are
// printed after the run. Needs gdb-multiarch, qemu-system-arm and
// arm-none-eabi-gcc; without them it says so and measures nothing.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "debugger/ipc/ipc_debug_handlers.h"
#include "gdb_bench_peer.h"
#include "ipc/event_catalog.h"
#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"

namespace {

using namespace pm2;
using namespace pm2::bench;

constexpr uint32_t kReadAddress = 0x40000000u;  // the example's RAM
constexpr uint32_t kReadSize = 65536;

IpcNamespace g_ns;
std::unique_ptr<EventTransport> Attach(EventSink& sink, std::string* err) {
  return bs_InterProcessEventHandler::Attach(g_ns, sink, GetEventFactory(), err);
}

// ---- the IDE's side ------------------------------------------------------------

std::atomic<bool> g_quit{false};
const RegisterSet* g_registers = nullptr;

// The register set the driver hands the IDE (service 44).
intptr_t IdeService(int32_t code, intptr_t arg) {
  if (code == 44) g_registers = reinterpret_cast<const RegisterSet*>(arg);
  return 0;
}

// What the handlers ask of the IDE, answered as the session answers it.
struct DriverShell : IpcDebugShell {
  explicit DriverShell(DebugInterface* r) : record(r) {}
  bool IsDebugging() override { return true; }
  bool IsRunning() override { return (record->flags & kDbgFlagExecuting) != 0; }
  bool CanStartBuild() override { return true; }
  void StartStopDebug() override {}
  void StopRunning() override {}
  void StopSession() override {}
  void RunCommand(int) override {}
  intptr_t Service(int code, intptr_t arg) override {
    if (code == 2053) {
      record->DbgStep(kDbgStepInstruction);
      // The stop refreshes the register page.
      if (g_registers && g_registers->refresh) g_registers->refresh(nullptr, 0);
      return 0;
    }
    if (code >= 2048 && code <= 2052) return record->DbgControl(kDbgCtlIpcEvaluate + (code - 2048), arg, 0);
    return 0;
  }
  void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  DebugInterface* record;
};

struct QuitHandler : dtc_Identify::Goodbye::Handler {
  using Handler::Handler;
  void Handle(dtc_Identify::Goodbye&) override { g_quit = true; }
};

[[noreturn]] void RunIde(int reportFd) {
  int slot = -1;
  {
    Driver driver;
    const bool started = g_skip.empty() && driver.Start(IdeService);
    EventDispatcher dispatcher(&Attach);
    std::unique_ptr<DriverShell> shell;
    std::unique_ptr<IpcDebugHandlers> handlers;
    std::atomic<int32_t> muted{0}, client{-1};
    QuitHandler quit(dispatcher);
    if (started) {
      shell = std::make_unique<DriverShell>(driver.Record());
      handlers = std::make_unique<IpcDebugHandlers>(dispatcher, *shell, IpcDebugState{&muted, &client},
                                                    [&dispatcher](dtc_EventBase& e) {
                                                      for (int i = 0; i < 100000; ++i)
                                                        if (dispatcher.SendEvent(e)) return true;
                                                      return false;
                                                    });
      if (dispatcher.Activate()) slot = dispatcher.OwnSlot();
    }
    (void)!write(reportFd, &slot, sizeof slot);
    while (slot >= 0 && !g_quit) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    handlers.reset();
  }
  _exit(0);
}

// ---- the client ----------------------------------------------------------------

int g_ideSlot = -1;
EventDispatcher* g_client = nullptr;
std::mutex g_lock;
std::condition_variable g_cv;
uint64_t g_answers = 0;
uint32_t g_lastBytes = 0;
std::string g_status;

struct RegisterBack : dtc_Debug::ReadRegisterReply::Handler {
  using Handler::Handler;
  void Handle(dtc_Debug::ReadRegisterReply&) override {
    std::lock_guard<std::mutex> g(g_lock);
    ++g_answers;
    g_cv.notify_all();
  }
};
struct MemoryBack : dtc_Debug::ReadMemoryReply::Handler {
  using Handler::Handler;
  void Handle(dtc_Debug::ReadMemoryReply& e) override {
    std::lock_guard<std::mutex> g(g_lock);
    g_lastBytes = uint32_t(e.m_Data.bytes.size());
    ++g_answers;
    g_cv.notify_all();
  }
};
struct StatusBack : dtc_Debug::StatusText::Handler {
  using Handler::Handler;
  void Handle(dtc_Debug::StatusText& e) override {
    std::lock_guard<std::mutex> g(g_lock);
    g_status = e.m_strText;
  }
};

template <class X>
void Request(X event) {
  event.m_nDestination = g_ideSlot;
  while (!g_client->SendEvent(event)) std::this_thread::yield();
}

// Waits for the n-th answer in all; false after 5 s.
bool Answered(uint64_t n) {
  std::unique_lock<std::mutex> g(g_lock);
  return g_cv.wait_for(g, std::chrono::seconds(5), [&] { return g_answers >= n; });
}

uint64_t Answers() {
  std::lock_guard<std::mutex> g(g_lock);
  return g_answers;
}

bool ClientStep() {
  const uint64_t n = Answers() + 1;
  Request(dtc_Debug::StepInstruction());
  Request(dtc_Debug::ReadRegister("PC"));
  return Answered(n);
}

bool ClientRead64K() {
  for (uint32_t at = 0; at < kReadSize; at += kIpcReadMemoryMax) {
    const uint32_t count = std::min(kIpcReadMemoryMax, kReadSize - at);
    const uint64_t n = Answers() + 1;
    Request(dtc_Debug::ReadMemory(kReadAddress + at, count));
    if (!Answered(n)) return false;
    std::lock_guard<std::mutex> g(g_lock);
    if (g_lastBytes != count) return false;
  }
  return true;
}

std::unique_ptr<RawGdb> g_peer;

bool PeerStep() {
  return g_peer->Command("-exec-step-instruction", "*stopped") && g_peer->Command("-data-evaluate-expression $pc", "^done");
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

template <class Ours, class Peer>
void Paired(benchmark::State& state, Ours ours, Peer peer, const char* counter) {
  if (!g_skip.empty()) return state.SkipWithError(g_skip.c_str());
  if (g_ideSlot < 0 || !g_peer) return state.SkipWithError("the IDE's side or gdb did not start");
  double oursTime = 0, peerTime = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    if (!ours())
      return state.SkipWithError(("the client got no answer (" + g_status + ", " + std::to_string(g_lastBytes) + " bytes)").c_str());
    const auto t1 = std::chrono::steady_clock::now();
    if (!peer()) return state.SkipWithError("gdb failed");
    const auto t2 = std::chrono::steady_clock::now();
    oursTime += std::chrono::duration<double>(t1 - t0).count();
    peerTime += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters[counter] = peerTime > 0 ? oursTime / peerTime : 0;
}

void BM_ClientStepAgainstGdb(benchmark::State& state) { Paired(state, ClientStep, PeerStep, "step_ratio"); }
BENCHMARK(BM_ClientStepAgainstGdb)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

void BM_ClientRead64KAgainstGdb(benchmark::State& state) {
  Paired(state, ClientRead64K, PeerRead64K, "read_ratio");
}
BENCHMARK(BM_ClientRead64KAgainstGdb)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

class GoalReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      for (const auto& [counter, what] : {std::pair<const char*, const char*>{"step_ratio", "single step"},
                                          std::pair<const char*, const char*>{"read_ratio", "64 KB read"}}) {
        auto it = r.counters.find(counter);
        if (it == r.counters.end() || r.error_occurred) continue;
        std::printf("%s as a client of the event interface sees it, against gdb-multiarch alone: %.2fx the time "
                    "(goal <= 1.2x: %s)\n",
                    what, double(it->second), Met(it->second, 1.2));
      }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  g_skip = SkipReason();
  // The IDE's side is forked before any thread exists.
  g_ns = IpcNamespace::FromEnvironment();
  g_ns.suffix += "-gdbbench" + std::to_string(getpid());
  int report[2];
  if (pipe(report) != 0) return 1;
  const pid_t ide = fork();
  if (ide == 0) RunIde(report[1]);
  if (read(report[0], &g_ideSlot, sizeof g_ideSlot) != sizeof g_ideSlot) g_ideSlot = -1;
  if (g_skip.empty()) {
    g_peer = std::make_unique<RawGdb>();
    if (!g_peer->Start()) g_peer.reset();
  }
  {
    EventDispatcher client(&Attach);
    g_client = &client;
    RegisterBack registers(client);
    MemoryBack memory(client);
    StatusBack status(client);
    if (g_ideSlot >= 0 && !client.Activate()) {
      std::fprintf(stderr, "%s\n", client.ActivationError().c_str());
      g_ideSlot = -1;
    }
    GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (g_ideSlot >= 0) {
      dtc_Identify::Goodbye bye;
      bye.m_nDestination = g_ideSlot;
      client.SendEvent(bye);
    }
    g_client = nullptr;
  }
  if (g_ideSlot < 0) kill(ide, SIGTERM);
  waitpid(ide, nullptr, 0);
  g_peer.reset();
  if (!g_elf.empty()) std::filesystem::remove_all(std::filesystem::path(g_elf).parent_path().parent_path());
  return 0;
}
