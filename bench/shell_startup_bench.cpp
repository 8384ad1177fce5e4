// Start-up to an idle main window with the example project open: pelmora2
// started as a child process on the offscreen platform with
// PM2_QUIT_WHEN_IDLE (it ends once its window is idle), against the
// smallest Qt Widgets program that shows one window and ends the same way,
// in the same run. Each child gets its own empty home folder, so no saved
// settings are read. Prints the time of each and the ratio (goal: at most 2).
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

void BM_StartOurs(benchmark::State& state) {
  const std::string program = std::string(PM2_BENCH_INSTALL_ROOT) + "/PM2/pelmora2";
  for (auto _ : state)
    if (!Run({program, S().project})) state.SkipWithError("pelmora2 did not start and end cleanly");
}

void BM_StartPeer(benchmark::State& state) {
  for (auto _ : state)
    if (!Run({PM2_BENCH_PEER})) state.SkipWithError("the peer did not start and end cleanly");
}

BENCHMARK(BM_StartOurs)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_StartPeer)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) m_time[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    double ours = m_time["BM_StartOurs/iterations:10/real_time"], peer = m_time["BM_StartPeer/iterations:10/real_time"];
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
