// Start-up to an idle main window with the example project open: pelmora2
// started as a child process on the offscreen platform with
// PM2_QUIT_WHEN_IDLE (it ends once its window is idle), against the
// smallest Qt Widgets program that shows one window and ends the same way,
// in the same run. Each child gets its own empty home folder, so no saved
// settings are read. The two are started in turns, run by run, and each is
// reported as the median of its runs, so a change of load on a shared machine
// weighs on both alike. Prints the time of each and the ratio (goal: at most 2).
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Setup {
  std::string dir;
  std::string project;
  Setup() {
    std::string pattern = (fs::temp_directory_path() / "pm2startup_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    dir = pattern;
    fs::copy(std::string(PM2_BENCH_SOURCE_ROOT) + "/examples/blinky", dir + "/blinky", fs::copy_options::recursive);
    project = dir + "/blinky/Blinky.pm2";
    fs::create_directories(dir + "/home/run");
    fs::permissions(dir + "/home/run", fs::perms::owner_all, fs::perm_options::replace);
  }
  ~Setup() { fs::remove_all(dir); }
};

Setup& S() {
  static Setup s;
  return s;
}

// Runs a program to its end; false when it could not start or failed.
bool Run(const std::vector<std::string>& argv) {
  std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "PM2_QUIT_WHEN_IDLE=1", "PM2_NO_SPLASH=1",
                                  "HOME=" + S().dir + "/home", "XDG_CONFIG_HOME=" + S().dir + "/home/.config",
                                  "XDG_RUNTIME_DIR=" + S().dir + "/home/run", "PATH=/usr/bin:/bin"};
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

const std::string& OursProgram() {
  static const std::string program = std::string(PM2_BENCH_INSTALL_ROOT) + "/PM2/pelmora2";
  return program;
}

constexpr int kRuns = 20;

// The runs of both programs, taken in turns (ours, peer, peer, ours, ...) so
// that a change of the machine's load falls on both alike; each side is then
// reported as its median.
struct Interleaved {
  std::vector<double> ours, peer;  // seconds per run, in the order taken
  bool ok = true;
};

double Time(const std::vector<std::string>& argv, bool& ok) {
  const auto start = std::chrono::steady_clock::now();
  ok = Run(argv) && ok;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

const Interleaved& Runs() {
  static const Interleaved runs = [] {
    Interleaved r;
    bool warm = true;
    Time({OursProgram(), S().project}, warm);  // a first start of each loads the caches for both
    Time({PM2_BENCH_PEER}, warm);
    for (int i = 0; i < kRuns; ++i) {
      const bool oursFirst = i % 2 == 0;
      if (oursFirst) r.ours.push_back(Time({OursProgram(), S().project}, r.ok));
      r.peer.push_back(Time({PM2_BENCH_PEER}, r.ok));
      if (!oursFirst) r.ours.push_back(Time({OursProgram(), S().project}, r.ok));
    }
    r.ok = r.ok && warm;
    return r;
  }();
  return runs;
}

void Report(benchmark::State& state, const std::vector<double>& times) {
  if (!Runs().ok) {
    state.SkipWithError("pelmora2 or the peer did not start and end cleanly");
    return;
  }
  const double median = Median(times);
  for (auto _ : state) state.SetIterationTime(median);
}

void BM_StartOurs(benchmark::State& state) { Report(state, Runs().ours); }
void BM_StartPeer(benchmark::State& state) { Report(state, Runs().peer); }

BENCHMARK(BM_StartOurs)->Unit(benchmark::kMillisecond)->Iterations(kRuns)->UseManualTime();
BENCHMARK(BM_StartPeer)->Unit(benchmark::kMillisecond)->Iterations(kRuns)->UseManualTime();

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) m_time[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    double ours = m_time["BM_StartOurs/iterations:20/manual_time"], peer = m_time["BM_StartPeer/iterations:20/manual_time"];
    if (ours > 0 && peer > 0)
      std::printf("start-up to an idle window: pelmora2 with the example project/one-window Qt program ratio %.2f (%s)\n",
                  ours / peer, ours <= 2 * peer ? "within 2x" : "over 2x");
  }

 private:
  std::map<std::string, double> m_time;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
