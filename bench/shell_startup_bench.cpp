// Start-up of pelmora2 with the example project open against the smallest
// Qt Widgets program that shows one window with a menu bar, in the same
// run, two ways:
//  - to an idle window: each started on the offscreen platform with
//    PM2_QUIT_WHEN_IDLE (it ends once its window is idle), timed to its end;
//  - to the window shown: each started on one X server (Xvfb, started here)
//    with PM2_QUIT_WHEN_SHOWN (it ends once its window is painted), timed
//    from the start to its first pixels at the X server: the first damage
//    the server reports on its screen (the DAMAGE extension on the root
//    window), the same mark for both, whatever each program says of itself.
// Each child gets its own empty home folder, so no saved settings are read.
// The two are started in turns, run by run, and each is reported as the
// median of its runs, so a change of load on a shared machine weighs on both
// alike. Prints the times and the ratios (goals: at most 1.3 to the window
// drawn, at most 1.5 to an idle window).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/uio.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../tests/test_leftovers.h"
#include "bench_peer.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Starts argv with env; its standard output goes to outFd and its file 3 is
// fd3, each when not -1.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, int outFd, int fd3 = -1) {
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  if (fd3 >= 0) posix_spawn_file_actions_adddup2(&actions, fd3, 3);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// A connection to the X server that hears of every drawing on its screen:
// a damage object on the root window reporting each damaged rectangle.
// (The requests are written out here: the extension's own client library
// is not among the project's packages.)
class ScreenDamage {
 public:
  explicit ScreenDamage(const std::string& display) {
    c_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(c_)) return;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c_, &Extension());
    if (!ext || !ext->present) return;
    firstEvent_ = ext->first_event;
    // DamageQueryVersion (minor 0) must come first: client version 1.1.
    uint32_t version[3] = {0, 1, 1};
    xcb_protocol_request_t query = {1, &Extension(), 0, 0};
    if (void* reply = xcb_wait_for_reply(c_, Send(query, version, sizeof version, 0), nullptr)) {
      std::free(reply);
    } else {
      return;
    }
    // DamageCreate (minor 1): damage id, drawable, level 0 (raw rectangles).
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    uint32_t create[4] = {0, xcb_generate_id(c_), root, 0};
    xcb_protocol_request_t request = {1, &Extension(), 1, 1};
    xcb_void_cookie_t cookie = {Send(request, create, sizeof create, XCB_REQUEST_CHECKED)};
    if (xcb_generic_error_t* error = xcb_request_check(c_, cookie)) {
      std::free(error);
      return;
    }
    ok_ = true;
  }
  ~ScreenDamage() {
    if (c_) xcb_disconnect(c_);
  }
  bool Ok() const { return ok_; }
  // Drops what was reported so far, once the screen has been still for
  // `quiet` milliseconds (a window that went away repaints the root).
  void Settle(int quiet = 100) {
    while (WaitForDamage(quiet)) {
    }
  }
  // True at the first damage reported within `ms` milliseconds.
  bool WaitForDamage(int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
        const bool damage = (e->response_type & 0x7f) == firstEvent_;
        std::free(e);
        if (damage) return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      if (left <= 0 || xcb_connection_has_error(c_)) return false;
      pollfd fd = {xcb_get_file_descriptor(c_), POLLIN, 0};
      ::poll(&fd, 1, int(left));
    }
  }

 private:
  static xcb_extension_t& Extension() {
    static xcb_extension_t damage = {"DAMAGE", 0};
    return damage;
  }
  // Sends one request whose first word (opcodes and length) xcb fills in.
  unsigned Send(xcb_protocol_request_t& request, uint32_t* words, size_t bytes, int flags) {
    iovec parts[3];
    parts[2].iov_base = words;
    parts[2].iov_len = bytes;
    const unsigned sequence = xcb_send_request(c_, flags, parts + 2, &request);
    xcb_flush(c_);
    return sequence;
  }
  xcb_connection_t* c_ = nullptr;
  uint8_t firstEvent_ = 0;
  bool ok_ = false;
};

struct Setup {
  std::string dir;
  std::string project;
  std::string display;  // ":N" of the X server started here; empty: none
  pid_t xserver = -1;
  std::unique_ptr<ScreenDamage> damage;  // on that server
  Setup() {
    std::string pattern = (fs::temp_directory_path() / "pm2startup_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    dir = pattern;
    fs::copy(std::string(PM2_BENCH_SOURCE_ROOT) + "/examples/blinky", dir + "/blinky", fs::copy_options::recursive);
    project = dir + "/blinky/Blinky.pm2";
    fs::create_directories(dir + "/home/run");
    fs::permissions(dir + "/home/run", fs::perms::owner_all, fs::perm_options::replace);
    StartXServer();
  }
  ~Setup() {
    if (xserver > 0) {
      ::kill(xserver, SIGTERM);
      ::waitpid(xserver, nullptr, 0);
    }
    fs::remove_all(dir);
  }
  // Xvfb picks a free display and writes its number to the pipe.
  void StartXServer() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    xserver = Spawn({"/usr/bin/Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24",
                     "-nolisten", "tcp"},
                    {"PATH=/usr/bin:/bin"}, -1, fds[1]);
    ::close(fds[1]);
    std::string number;
    char c;
    while (xserver > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (number.empty()) return;
    display = ":" + number;
    damage = std::make_unique<ScreenDamage>(display);
    if (!damage->Ok()) display.clear();
  }
};

Setup& S() {
  static Setup s;
  return s;
}

std::vector<std::string> Environment(bool shown) {
  std::vector<std::string> env = {"PM2_NO_SPLASH=1", "HOME=" + S().dir + "/home",
                                  "XDG_CONFIG_HOME=" + S().dir + "/home/.config",
                                  "XDG_RUNTIME_DIR=" + S().dir + "/home/run", "PATH=/usr/bin:/bin",
                                  // The event interface's objects of this run alone (each
                                  // start removes them again as their last user), under a
                                  // test's suffix: what a killed run leaves is reaped.
                                  "PM2_IPC_SUFFIX=" + pm2::test::TestSuffix("startup")};
  if (shown) {
    env.push_back("DISPLAY=" + S().display);
    env.push_back("PM2_QUIT_WHEN_SHOWN=1");
  } else {
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("PM2_QUIT_WHEN_IDLE=1");
  }
  return env;
}

// Runs a program to its end and returns the seconds from its start to its
// end (idle) or to its first pixels at the X server (shown); ok turns false
// when it could not start, failed, or drew nothing within 30 s.
double Time(const std::vector<std::string>& argv, bool shown, bool& ok) {
  if (shown) S().damage->Settle();
  const auto start = Clock::now();
  // What the programs print ("shown") is not wanted here.
  static const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = Spawn(argv, Environment(shown), quiet);
  auto end = start;
  bool marked = !shown;
  if (shown && pid > 0 && S().damage->WaitForDamage(30000)) {
    end = Clock::now();
    marked = true;
  }
  int status = 0;
  const bool ended = pid > 0 && waitpid(pid, &status, 0) == pid;
  if (!shown) end = Clock::now();
  ok = ok && marked && ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return std::chrono::duration<double>(end - start).count();
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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

Interleaved TakeRuns(bool shown) {
  Interleaved r;
  if (shown && S().display.empty()) {
    r.ok = false;
    return r;
  }
  bool warm = true;
  Time({OursProgram(), S().project}, shown, warm);  // a first start of each loads the caches for both
  Time({PM2_BENCH_PEER}, shown, warm);
  for (int i = 0; i < kRuns; ++i) {
    const bool oursFirst = i % 2 == 0;
    if (oursFirst) r.ours.push_back(Time({OursProgram(), S().project}, shown, r.ok));
    r.peer.push_back(Time({PM2_BENCH_PEER}, shown, r.ok));
    if (!oursFirst) r.ours.push_back(Time({OursProgram(), S().project}, shown, r.ok));
  }
  r.ok = r.ok && warm;
  return r;
}

const Interleaved& IdleRuns() {
  static const Interleaved runs = TakeRuns(false);
  return runs;
}

const Interleaved& ShownRuns() {
  static const Interleaved runs = TakeRuns(true);
  return runs;
}

void Report(benchmark::State& state, const Interleaved& runs, const std::vector<double>& times) {
  if (!runs.ok) {
    state.SkipWithError("pelmora2 or the peer did not start and end cleanly (or no Xvfb)");
    return;
  }
  const double median = Median(times);
  for (auto _ : state) state.SetIterationTime(median);
}

void BM_StartOurs(benchmark::State& state) { Report(state, IdleRuns(), IdleRuns().ours); }
void BM_StartPeer(benchmark::State& state) { Report(state, IdleRuns(), IdleRuns().peer); }
void BM_ShownOurs(benchmark::State& state) { Report(state, ShownRuns(), ShownRuns().ours); }
void BM_ShownPeer(benchmark::State& state) { Report(state, ShownRuns(), ShownRuns().peer); }

BENCHMARK(BM_StartOurs)->Unit(benchmark::kMillisecond)->Iterations(kRuns)->UseManualTime();
BENCHMARK(BM_StartPeer)->Unit(benchmark::kMillisecond)->Iterations(kRuns)->UseManualTime();
BENCHMARK(BM_ShownOurs)->Unit(benchmark::kMillisecond)->Iterations(kRuns)->UseManualTime();
BENCHMARK(BM_ShownPeer)->Unit(benchmark::kMillisecond)->Iterations(kRuns)->UseManualTime();

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) m_time[r.run_name.function_name] = r.error_occurred ? 0 : r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const char* peer = "Qt window with a menu bar";
    pm2::bench::PrintRatio("start-up to an idle window (offscreen), the example open", m_time["BM_StartOurs"], peer,
                           m_time["BM_StartPeer"], 1.5);
    pm2::bench::PrintRatio("start-up to the window's first drawing (Xvfb), the example open", m_time["BM_ShownOurs"],
                           peer, m_time["BM_ShownPeer"], 1.3);
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
