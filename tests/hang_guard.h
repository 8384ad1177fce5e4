// A guard against a hang, never a speed goal. While a HangGuard lives, a
// watcher thread waits for its end; when the covered code has not finished
// within the bound, the program ends at once with a message naming what
// hung (the test's own clean-up then falls to the next run's reaper), so a
// hang fails its test with its name instead of running into the runner's
// timeout. Bounds are generous: far beyond what the slowest tree (the
// sanitizers, unoptimised) takes on a loaded two-core machine.
//
// The bound is counted in elapsed time (a blocked read shows there only),
// and may be counted in this process's processor time as well, for work that
// runs away (a loop, a quadratic scan): the machine's other work cannot use
// that one up.
#pragma once

#include <time.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace pm2::test {

// The limit of a wait for a condition (a window, a file, a stop, an answer):
// such a wait returns as soon as the condition holds, so its limit only
// catches a hang, and is far past what a loaded two-core machine running the
// sanitized tree takes.
inline constexpr int kHangWaitMs = 60000;

class HangGuard {
 public:
  // `processor` 0: no bound in processor time.
  explicit HangGuard(std::string what, std::chrono::seconds elapsed = std::chrono::seconds(120),
                     std::chrono::seconds processor = std::chrono::seconds(0))
      : what_(std::move(what)), elapsed_(elapsed), processor_(processor), startElapsed_(Now(CLOCK_MONOTONIC)),
        startProcessor_(Now(CLOCK_PROCESS_CPUTIME_ID)) {
    watcher_ = std::thread([this] { Watch(); });
  }
  ~HangGuard() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    cv_.notify_all();
    watcher_.join();
  }
  // The name made only when it is needed (a walk's whole road, say), by
  // the watcher thread, while the covered code hangs.
  explicit HangGuard(std::function<std::string()> describe, std::chrono::seconds elapsed,
                     std::chrono::seconds processor = std::chrono::seconds(0))
      : HangGuard(std::string(), elapsed, processor) {
    std::lock_guard<std::mutex> lock(mutex_);
    describe_ = std::move(describe);
  }
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;

 private:
  static double Now(clockid_t clock) {
    timespec t{};
    ::clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
  }
  [[noreturn]] void Fail(std::chrono::seconds bound, const char* clock) const {
    const std::string what = describe_ ? describe_() : what_;
    std::fprintf(stderr, "*** %s did not end within %lld s of %s: it hangs or runs away\n", what.c_str(),
                 static_cast<long long>(bound.count()), clock);
    std::fflush(stderr);
    std::_Exit(1);
  }
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_) {
      if (Now(CLOCK_MONOTONIC) - startElapsed_ > double(elapsed_.count())) Fail(elapsed_, "elapsed time");
      if (processor_.count() > 0 && Now(CLOCK_PROCESS_CPUTIME_ID) - startProcessor_ > double(processor_.count()))
        Fail(processor_, "processor time");
      cv_.wait_for(lock, std::chrono::milliseconds(100));
    }
  }

  std::string what_;
  std::function<std::string()> describe_;
  std::chrono::seconds elapsed_, processor_;
  double startElapsed_, startProcessor_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread watcher_;
};

}  // namespace pm2::test
