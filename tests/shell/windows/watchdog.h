// A guard for waits of the GUI thread in the window tests.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace pm2 {

// Ends the test program when the GUI thread has not come back within the
// guard: a join that hangs fails the test instead of hanging the run.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds guard)
      : m_thread([this, guard] {
          std::unique_lock<std::mutex> lock(m_lock);
          if (!m_cv.wait_for(lock, guard, [this] { return m_done; })) {
            std::fprintf(stderr, "the GUI thread did not return within %d s\n", int(guard.count()));
            std::fflush(stderr);
            std::_Exit(1);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(m_lock);
      m_done = true;
    }
    m_cv.notify_all();
    m_thread.join();
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_cv;
  bool m_done = false;
  std::thread m_thread;
};

}  // namespace pm2
