// Where the GUI thread stands when it has not turned its event loop for
// longer than the hang bound: a thread of the walk's own looks at the
// beats of the walk's timer, and once a gap passes the bound it prints,
// while the gap lasts, what the kernel says the thread waits in (its
// system call and wait channel) and the thread's own stack. A hang found
// on a busy machine is then a place in the code, not a time alone. A
// thread in a sleep of a fixed time is left to sleep until twice the bound
// (the signal that prints the stack would cut a plain sleep short, and
// with it the hang it stands for); the kernel's view names its call.
// The handler only takes the stack's addresses; the walk's thread prints
// them (as "binary(+offset)", for addr2line -Cfpe). Symbolizing on the GUI
// thread (the sanitizers' symbolizer, a process of its own reading the
// whole debug information) would itself hold the window for seconds on a
// loaded machine, and leave that process below the walk.
#pragma once

#include <execinfo.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "walk_program_clock.h"

namespace pm2::test {

class StallSampler {
 public:
  // `tid`: the GUI thread; `boundSeconds`: the hang bound of a gap.
  StallSampler(int tid, double boundSeconds) : m_tid(tid), m_bound(boundSeconds) {
    struct sigaction on = {};
    on.sa_handler = &StallSampler::TakeOwnStack;
    on.sa_flags = SA_RESTART;
    sigemptyset(&on.sa_mask);
    sigaction(SIGURG, &on, nullptr);
    // The first backtrace loads the unwinder: not in the handler.
    void* frames[4];
    (void)backtrace(frames, 4);
    Beat();
    m_thread = std::thread([this] { Watch(); });
  }
  ~StallSampler() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_ending = true;
    }
    m_wake.notify_all();
    m_thread.join();
  }
  StallSampler(const StallSampler&) = delete;
  StallSampler& operator=(const StallSampler&) = delete;

  // The event loop turned (on the GUI thread).
  void Beat() {
    m_lastBeat = Now();
    ++m_beats;
  }

 private:
  static double Now() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
  }
  std::string TaskFile(const char* name) const {
    std::ifstream in("/proc/self/task/" + std::to_string(m_tid) + "/" + name);
    std::stringstream text;
    text << in.rdbuf();
    std::string s = text.str();
    while (!s.empty() && (s.back() == '\n' || s.back() == '\0')) s.pop_back();
    return s;
  }
  // Once per gap past the bound: the kernel's view, then the thread's own
  // stack printed by the thread (the signal's handler).
  void Watch() {
    std::unique_lock<std::mutex> lock(m_mutex);
    uint64_t sampledGap = ~uint64_t(0), toldGap = ~uint64_t(0);
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_ending; })) {
      const uint64_t beats = m_beats;
      const double gap = Now() - m_lastBeat;
      if (beats == sampledGap || gap < m_bound) continue;
      const std::string call = TaskFile("syscall");
      const bool sleeping = FixedSleepCall(std::atol(call.c_str()));
      const auto tell = [&](const char* tail) {
        std::fprintf(stderr,
                     "walk: the GUI thread has not turned its event loop for %.1f s; it is in the system call "
                     "[%s], waits in [%s], state [%s]%s\n",
                     gap, call.c_str(), TaskFile("wchan").c_str(), TaskFile("stat").substr(0, 60).c_str(), tail);
      };
      if (sleeping && gap < 2 * m_bound) {
        if (beats != toldGap) tell(" (a sleep of a fixed time)");
        toldGap = beats;
        continue;
      }
      tell("; its stack:");
      sampledGap = beats;
      s_taken = 0;
      ::syscall(SYS_tgkill, ::getpid(), m_tid, SIGURG);
      // The handler runs when the thread next leaves the kernel; a thread
      // that stays in a blocking call is told by its call and channel.
      for (int look = 0; look < 40 && s_taken.load() == 0 && !m_ending; ++look)
        m_wake.wait_for(lock, std::chrono::milliseconds(25));
      if (const int n = s_taken.load(); n > 0) backtrace_symbols_fd(s_frames, n, 2);
      else std::fprintf(stderr, "walk: (the thread has not left the call yet)\n");
    }
  }
  static void TakeOwnStack(int) { s_taken = backtrace(s_frames, kFrames); }

  static constexpr int kFrames = 64;
  static inline void* s_frames[kFrames];
  static inline std::atomic<int> s_taken{0};

  int m_tid;
  double m_bound;
  std::atomic<double> m_lastBeat{0};
  std::atomic<uint64_t> m_beats{0};
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_ending = false;
  std::thread m_thread;
};

}  // namespace pm2::test
