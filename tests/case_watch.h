// Each test case runs under a watch: a case still running after the bound
// (far beyond what the slowest tree takes on a loaded two-core machine)
// hangs. The watch names it, prints every thread's stack through gdb when
// gdb is there (a modal window that nobody answers shows in the main
// thread's stack), and ends the program, so a hang costs minutes of a run,
// not its runner's whole timeout, and says where it is. Every test
// program's main calls WatchCases() after InitGoogleTest.
#pragma once

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

extern char** environ;

namespace pm2::test {
namespace case_watch {

inline void PrintStacks() {
  const std::string pid = std::to_string(getpid());
  // A child may look into its parent only when the parent says so.
  prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
  const char* argv[] = {"gdb", "-p", pid.c_str(), "-batch", "-nx", "-ex", "thread apply all bt 40", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, 2, 1);
  pid_t child = 0;
  if (posix_spawnp(&child, "gdb", &actions, nullptr, const_cast<char**>(argv), environ) == 0) {
    int status = 0;
    waitpid(child, &status, 0);
  } else {
    std::fprintf(stderr, "(gdb is not installed: no stacks)\n");
  }
  posix_spawn_file_actions_destroy(&actions);
}

class CaseWatch : public ::testing::EmptyTestEventListener {
 public:
  explicit CaseWatch(int seconds) : m_bound(seconds), m_watcher([this] { Watch(); }) {}
  ~CaseWatch() override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_quit = true;
    }
    m_cv.notify_all();
    m_watcher.join();
  }
  void OnTestStart(const ::testing::TestInfo& info) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_case = std::string(info.test_suite_name()) + "." + info.name();
    m_start = std::chrono::steady_clock::now();
    m_running = true;
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_running = false;
  }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
      if (m_running && std::chrono::steady_clock::now() - m_start > std::chrono::seconds(m_bound)) {
        std::fprintf(stderr, "*** %s did not end within %d s: it hangs. Its threads:\n", m_case.c_str(), m_bound);
        std::fflush(stderr);
        PrintStacks();
        std::fflush(stdout);
        std::_Exit(1);
      }
      m_cv.wait_for(lock, std::chrono::seconds(1));
    }
  }

  const int m_bound;
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::string m_case;
  std::chrono::steady_clock::time_point m_start;
  bool m_running = false, m_quit = false;
  std::thread m_watcher;
};

}  // namespace case_watch

// Seconds a case may run: 300, or PM2_CASE_HANG_S (0: no watch).
inline void WatchCases() {
  const char* set = std::getenv("PM2_CASE_HANG_S");
  const int bound = set && *set ? std::atoi(set) : 300;
  if (bound > 0) ::testing::UnitTest::GetInstance()->listeners().Append(new case_watch::CaseWatch(bound));
}

}  // namespace pm2::test
