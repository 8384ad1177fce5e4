// The GDB driver against gdb-multiarch alone, each on its own qemu with the
// example program: one instruction step (the driver's DbgStep against
// "-exec-step-instruction" and its "*stopped" read straight from gdb), and
// reading 64 KB of target memory (the driver's DbgReadMemory against
// "-data-read-memory-bytes" with its answer line read straight from gdb).
// Prints the ratios, of the separate runs and of the two measured side by
// side (alternating calls, the headline figures). Needs gdb-multiarch, qemu-system-arm and
// arm-none-eabi-gcc; without them it says so and measures nothing.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "gdb_bench_peer.h"

namespace {

using namespace pm2::bench;

constexpr uint32_t kReadAddress = 0x40000000u;  // the example's RAM
constexpr uint32_t kReadSize = 65536;

// Both started once, and ended before the program ends (their gdb and
// qemu with them).
std::unique_ptr<RawGdb> g_peer;
std::unique_ptr<Driver> g_ours;
bool g_peerTried = false, g_oursTried = false;

RawGdb* Peer() {
  if (!g_peerTried) {
    g_peerTried = true;
    g_peer = std::make_unique<RawGdb>();
    if (!g_peer->Start()) g_peer.reset();
  }
  return g_peer.get();
}

Driver* Ours() {
  if (!g_oursTried) {
    g_oursTried = true;
    g_ours = std::make_unique<Driver>();
    if (!g_ours->Start()) g_ours.reset();
  }
  return g_ours.get();
}

Driver* Ours_() { return Ours(); }
RawGdb* Peer_() { return Peer(); }

void BM_DriverStep(benchmark::State& state) {
  Driver* d = g_skip.empty() ? Ours() : nullptr;
  if (!d) return state.SkipWithError(g_skip.empty() ? "the GDB driver did not start" : g_skip.c_str());
  for (auto _ : state)
    if (d->Record()->DbgStep(kDbgStepInstruction) != 0) return state.SkipWithError("a step failed");
}
BENCHMARK(BM_DriverStep)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(1.0);

void BM_GdbStep(benchmark::State& state) {
  RawGdb* g = g_skip.empty() ? Peer() : nullptr;
  if (!g) return state.SkipWithError(g_skip.empty() ? "gdb-multiarch did not start" : g_skip.c_str());
  for (auto _ : state)
    if (!g->Command("-exec-step-instruction", "*stopped")) return state.SkipWithError("a step failed");
}
BENCHMARK(BM_GdbStep)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(1.0);

void BM_DriverRead64K(benchmark::State& state) {
  Driver* d = g_skip.empty() ? Ours() : nullptr;
  if (!d) return state.SkipWithError(g_skip.empty() ? "the GDB driver did not start" : g_skip.c_str());
  std::vector<uint8_t> buffer(kReadSize);
  for (auto _ : state)
    if (d->Record()->DbgReadMemory(kReadAddress, kReadSize, buffer.data()) != 0)
      return state.SkipWithError("a read failed");
  state.SetBytesProcessed(int64_t(state.iterations()) * kReadSize);
}
BENCHMARK(BM_DriverRead64K)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(1.0);

void BM_GdbRead64K(benchmark::State& state) {
  RawGdb* g = g_skip.empty() ? Peer() : nullptr;
  if (!g) return state.SkipWithError(g_skip.empty() ? "gdb-multiarch did not start" : g_skip.c_str());
  const std::string command = "-data-read-memory-bytes " + std::to_string(kReadAddress) + " " + std::to_string(kReadSize);
  for (auto _ : state)
    if (!g->Command(command, "^done")) return state.SkipWithError("a read failed");
  state.SetBytesProcessed(int64_t(state.iterations()) * kReadSize);
}
BENCHMARK(BM_GdbRead64K)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(1.0);

// The two side by side, alternating, so that the load of a shared machine
// falls on both alike: the ratio of their summed times.
template <class Ours, class Peer>
void Paired(benchmark::State& state, Ours ours, Peer peer, const char* counter) {
  Driver* d = g_skip.empty() ? Ours_() : nullptr;
  RawGdb* g = g_skip.empty() ? Peer_() : nullptr;
  if (!d || !g) return state.SkipWithError(g_skip.empty() ? "gdb or the driver did not start" : g_skip.c_str());
  double oursTime = 0, peerTime = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    if (!ours(d)) return state.SkipWithError("the driver failed");
    const auto t1 = std::chrono::steady_clock::now();
    if (!peer(g)) return state.SkipWithError("gdb failed");
    const auto t2 = std::chrono::steady_clock::now();
    oursTime += std::chrono::duration<double>(t1 - t0).count();
    peerTime += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters[counter] = peerTime > 0 ? oursTime / peerTime : 0;
}

void BM_PairedStep(benchmark::State& state) {
  Paired(
      state, [](Driver* d) { return d->Record()->DbgStep(kDbgStepInstruction) == 0; },
      [](RawGdb* g) { return g->Command("-exec-step-instruction", "*stopped"); }, "step_ratio");
}
BENCHMARK(BM_PairedStep)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

void BM_PairedRead64K(benchmark::State& state) {
  static std::vector<uint8_t> buffer(kReadSize);
  static const std::string command =
      "-data-read-memory-bytes " + std::to_string(kReadAddress) + " " + std::to_string(kReadSize);
  Paired(
      state, [](Driver* d) { return d->Record()->DbgReadMemory(kReadAddress, kReadSize, buffer.data()) == 0; },
      [](RawGdb* g) { return g->Command(command, "^done"); }, "read_ratio");
}
BENCHMARK(BM_PairedRead64K)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

// A session's start as the IDE makes it (gdb and qemu started, connected)
// up to the stop at main ("g,main"), each time a new driver.
void BM_DriverStartToMain(benchmark::State& state) {
  if (!g_skip.empty()) return state.SkipWithError(g_skip.c_str());
  // The drivers of the other runs are ended first: one driver per process.
  g_ours.reset();
  g_oursTried = false;
  for (auto _ : state) {
    // Ending the session is not part of it.
    const auto t0 = std::chrono::steady_clock::now();
    Driver d;
    if (!d.Start()) return state.SkipWithError("the GDB driver did not start");
    if (!d.RunToMain()) return state.SkipWithError("no stop at main");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
}
BENCHMARK(BM_DriverStartToMain)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      const std::string name = r.benchmark_name();
      const double t = r.GetAdjustedRealTime();
      for (const char* counter : {"step_ratio", "read_ratio"}) {
        auto it = r.counters.find(counter);
        if (it == r.counters.end()) continue;
        std::printf("%s, measured side by side: GDB driver vs gdb-multiarch alone: %.2fx the time (goal <= 1.2x: %s)\n",
                    std::string(counter) == "step_ratio" ? "single step" : "64 KB read", double(it->second),
                    Met(it->second, 1.2));
      }
      if (name.find("BM_DriverStartToMain") == 0 && !r.error_occurred)
        std::printf("session start to the stop at main: %.0f ms (goal <= 1000 ms: %s)\n", t,
                    Met(t, 1000));
      if (name.find("BM_DriverStep") == 0) m_driverStep = t;
      if (name.find("BM_GdbStep") == 0) m_gdbStep = t;
      if (name.find("BM_DriverRead64K") == 0) m_driverRead = t;
      if (name.find("BM_GdbRead64K") == 0) m_gdbRead = t;
    }
    if (m_driverStep > 0 && m_gdbStep > 0 && !m_stepShown) {
      std::printf("single step: GDB driver vs gdb-multiarch alone: %.2fx the time (goal <= 1.2x: %s)\n",
                  m_driverStep / m_gdbStep, Met(m_driverStep / m_gdbStep, 1.2));
      m_stepShown = true;
    }
    if (m_driverRead > 0 && m_gdbRead > 0 && !m_readShown) {
      std::printf("64 KB read: GDB driver vs -data-read-memory-bytes: %.2fx the time (goal <= 1.2x: %s)\n",
                  m_driverRead / m_gdbRead, Met(m_driverRead / m_gdbRead, 1.2));
      m_readShown = true;
    }
  }

 private:
  double m_driverStep = 0, m_gdbStep = 0, m_driverRead = 0, m_gdbRead = 0;
  bool m_stepShown = false, m_readShown = false;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  g_skip = SkipReason();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  g_ours.reset();
  g_peer.reset();
  if (!g_elf.empty()) std::filesystem::remove_all(std::filesystem::path(g_elf).parent_path().parent_path());
}
