// The program's own time, against which the walk's hang bounds are held:
// the time that passed, less what a loaded machine took from the GUI
// thread. That is the time the thread waited for a processor, and the
// time it was blocked while a thread it may wait for (another thread of
// the program, or a process below it: gdb, the simulator, a compiler)
// waited for one, as far as those waits cover its blocked time (watched
// from a thread of the walk's own, which the blocked GUI thread leaves
// running). A loop
// that shuts the window out spends the thread's time or blocks it on work
// that runs: that still counts, whatever the load.
#pragma once

#include <dirent.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace pm2::test {

// Whether the GUI thread slept through a tick of the sampler: in a sleep
// of a fixed time (the system call `call`, as the kernel names it) and not
// on a processor once since the tick before (its count of time slices
// `slicesBefore` then, `slicesNow` now). Such a sleep waits for no other
// thread: what the others waited for a processor meanwhile is no time the
// load took from it. (A loop that polls with short sleeps runs between
// them, and keeps its credit: it may be waiting for a thread that waits.)
inline bool FixedSleepCall(long call) {
  bool sleep = false;
#ifdef SYS_nanosleep
  sleep = sleep || call == SYS_nanosleep;
#endif
#ifdef SYS_clock_nanosleep
  sleep = sleep || call == SYS_clock_nanosleep;
#endif
  return sleep;
}
inline bool SleptThrough(long call, unsigned long long slicesBefore, unsigned long long slicesNow) {
  return FixedSleepCall(call) && slicesNow == slicesBefore;
}

// What a loaded machine took from the GUI thread over a gap of `gap`
// seconds in which it ran `ran` and waited `waited` for a processor,
// while the threads it may wait for waited at most `othersWaited`.
inline double LoadTaken(double gap, double ran, double waited, double othersWaited) {
  const double blocked = std::max(0.0, gap - ran - waited);
  return std::max(0.0, waited) + std::min(blocked, std::max(0.0, othersWaited));
}

class ProgramClock {
 public:
  // The clock of the calling thread (the GUI thread: the first to ask).
  static ProgramClock& Of() {
    static ProgramClock clock{int(::gettid())};
    return clock;
  }
  ~ProgramClock() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
    }
    m_wake.notify_all();
    if (m_sampler.joinable()) m_sampler.join();
  }
  // In seconds; the thread's own figures taken at most every tenth of a
  // second.
  double Now() {
    const double wall = Wall();
    if (wall - m_last.wall >= 0.1) Sample(wall);
    return wall - m_discount;
  }

 private:
  explicit ProgramClock(int tid) : m_tid(tid) {
    m_last.wall = Wall();
    Sched(std::to_string(::getpid()) + "/task/" + std::to_string(m_tid), &m_last.ran, &m_last.waited);
    // The others are watched from a thread of their own: while the GUI
    // thread is blocked nothing on it samples, and a process that ends
    // meanwhile (gdb at a session's end) takes its figures with it.
    m_sampler = std::thread([this] { Watch(); });
  }
  struct Own {
    double wall = 0, ran = 0, waited = 0, othersWaited = 0;
  };
  static double Wall() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
  }
  // A task's time on a processor and on a run queue (schedstat), in
  // seconds; false where the kernel does not tell.
  static bool Sched(const std::string& task, double* ran, double* waited) {
    std::ifstream in("/proc/" + task + "/schedstat");
    unsigned long long r = 0, w = 0;
    in >> r >> w;
    if (!in) return false;
    *ran = double(r) / 1e9;
    *waited = double(w) / 1e9;
    return true;
  }
  static std::vector<std::string> Threads(int pid) {
    std::vector<std::string> out;
    DIR* d = ::opendir(("/proc/" + std::to_string(pid) + "/task").c_str());
    if (!d) return out;
    while (dirent* e = ::readdir(d))
      if (e->d_name[0] >= '0' && e->d_name[0] <= '9') out.push_back(e->d_name);
    ::closedir(d);
    return out;
  }
  // The wait on a run queue of each thread of this process (but the GUI
  // thread and the sampler) and of the processes below it, by "pid/tid".
  std::map<std::string, double> Others() const {
    std::map<std::string, double> out;
    const int self = int(::getpid());
    const std::string gui = std::to_string(m_tid), sampler = std::to_string(int(::gettid()));
    std::vector<int> pids = {self};
    for (size_t i = 0; i < pids.size() && pids.size() < 200; ++i)
      for (const std::string& tid : Threads(pids[i])) {
        const std::string task = std::to_string(pids[i]) + "/task/" + tid;
        double ran = 0, waited = 0;
        if (!(pids[i] == self && (tid == gui || tid == sampler)) && Sched(task, &ran, &waited))
          out[std::to_string(pids[i]) + "/" + tid] = waited;
        std::ifstream children("/proc/" + task + "/children");
        for (int child; children >> child;) pids.push_back(child);
      }
    return out;
  }
  // The GUI thread's system call now (-1 none) and its count of time
  // slices on a processor.
  void GuiState(long* call, unsigned long long* slices) const {
    const std::string task = "/proc/" + std::to_string(::getpid()) + "/task/" + std::to_string(m_tid);
    *call = -1;
    std::ifstream syscall(task + "/syscall");
    if (!(syscall >> *call)) *call = -1;
    std::ifstream sched(task + "/schedstat");
    double ran = 0, waited = 0;
    *slices = 0;
    sched >> ran >> waited >> *slices;
  }
  // Every tenth of a second: the longest wait any of the others had in it,
  // added up (a thread met for the first time had all its wait in it);
  // none where the GUI thread slept through the tick (SleptThrough).
  void Watch() {
    std::map<std::string, double> last = Others();
    long call = -1;
    unsigned long long slices = 0, slicesBefore = 0;
    GuiState(&call, &slicesBefore);
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_stop; })) {
      lock.unlock();
      std::map<std::string, double> now = Others();
      double longest = 0;
      for (const auto& [task, w] : now) {
        const auto before = last.find(task);
        longest = std::max(longest, w - (before == last.end() ? 0.0 : before->second));
      }
      last = std::move(now);
      GuiState(&call, &slices);
      if (SleptThrough(call, std::exchange(slicesBefore, slices), slices)) longest = 0;
      lock.lock();
      m_othersWaited += longest;
    }
  }
  void Sample(double wall) {
    Own now;
    now.wall = wall;
    Sched(std::to_string(::getpid()) + "/task/" + std::to_string(m_tid), &now.ran, &now.waited);
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      now.othersWaited = m_othersWaited;
    }
    m_discount += LoadTaken(now.wall - m_last.wall, now.ran - m_last.ran, now.waited - m_last.waited,
                            now.othersWaited - m_last.othersWaited);
    m_last = now;
  }

  int m_tid;
  Own m_last;
  double m_discount = 0;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;
  double m_othersWaited = 0;  // the sampler's sum, under m_mutex
  std::thread m_sampler;
};

// The program's own time in seconds (the GUI thread's clock).
inline double ProgramSeconds() { return ProgramClock::Of().Now(); }

}  // namespace pm2::test
