// The program's own time, against which the walk's hang bounds are held:
// the time that passed, less what a loaded machine took from the GUI
// thread. That is the time the thread waited for a processor, and the
// time it was blocked while a thread it may wait for (another thread of
// the program, or a process below it: gdb, the simulator, a compiler)
// waited for one, as far as those waits cover its blocked time. A loop
// that shuts the window out spends the thread's time or blocks it on work
// that runs: that still counts, whatever the load.
#pragma once

#include <dirent.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace pm2::test {

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
    static ProgramClock clock(int(::gettid()));
    return clock;
  }
  // In seconds; samples the threads at most every tenth of a second.
  double Now() {
    const double wall = Wall();
    if (wall - m_last.wall >= 0.1) Sample(wall);
    return wall - m_discount;
  }

 private:
  explicit ProgramClock(int tid) : m_tid(tid) { m_last = Take(Wall()); }
  struct Taken {
    double wall = 0, ran = 0, waited = 0;
    std::map<std::string, double> others;  // "pid/tid" -> its wait on a run queue
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
  Taken Take(double wall) const {
    Taken t;
    t.wall = wall;
    const int self = int(::getpid());
    Sched(std::to_string(self) + "/task/" + std::to_string(m_tid), &t.ran, &t.waited);
    // This process and the processes below it (each thread's children).
    std::vector<int> pids = {self};
    for (size_t i = 0; i < pids.size() && pids.size() < 200; ++i)
      for (const std::string& tid : Threads(pids[i])) {
        double ran = 0, waited = 0;
        const std::string task = std::to_string(pids[i]) + "/task/" + tid;
        if (!(pids[i] == self && tid == std::to_string(m_tid)) && Sched(task, &ran, &waited))
          t.others[std::to_string(pids[i]) + "/" + tid] = waited;
        std::ifstream children("/proc/" + task + "/children");
        for (int child; children >> child;) pids.push_back(child);
      }
    return t;
  }
  void Sample(double wall) {
    Taken now = Take(wall);
    // A thread met for the first time waited all its wait within the gap.
    double othersWaited = 0;
    for (const auto& [task, w] : now.others) {
      const auto before = m_last.others.find(task);
      othersWaited = std::max(othersWaited, w - (before == m_last.others.end() ? 0.0 : before->second));
    }
    m_discount += LoadTaken(now.wall - m_last.wall, now.ran - m_last.ran, now.waited - m_last.waited, othersWaited);
    m_last = std::move(now);
  }

  int m_tid;
  Taken m_last;
  double m_discount = 0;
};

// The program's own time in seconds (the GUI thread's clock).
inline double ProgramSeconds() { return ProgramClock::Of().Now(); }

}  // namespace pm2::test
