// The credit a wait on gdb earns from a busy machine: the time the threads
// it depends on waited for a processor. A thread that shares its processor
// with busy ones earns it; a process stopped by a signal earns none, so a
// held gdb or emulator is still told within the wall clock's bound.
#include "debugger/gdb/process/run_queue_credit.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "hang_guard.h"

namespace pm2::gdb {
namespace {

// Threads that share one processor with the watched one and never yield.
class OneBusyProcessor {
 public:
  OneBusyProcessor() {
    cpu_set_t mine;
    CPU_ZERO(&mine);
    sched_getaffinity(0, sizeof mine, &mine);
    for (int c = 0; c < CPU_SETSIZE; ++c)
      if (CPU_ISSET(c, &mine)) {
        m_cpu = c;
        break;
      }
    for (int i = 0; i < 2; ++i)
      m_spinners.emplace_back([this] {
        PinHere();
        while (!m_end) {
        }
      });
  }
  ~OneBusyProcessor() {
    m_end = true;
    for (std::thread& t : m_spinners) t.join();
  }
  void PinHere() const {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(m_cpu, &one);
    sched_setaffinity(0, sizeof one, &one);
  }

 private:
  int m_cpu = 0;
  std::atomic<bool> m_end{false};
  std::vector<std::thread> m_spinners;
};

// The state letter of a process ('T' stopped by a signal).
char StateOf(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() ? line[close + 2] : '?';
}

bool KernelCountsWaits() {
  uint64_t ns = 0;
  return RunQueueCredit::ReadWaitNs(::getpid(), pid_t(::gettid()), &ns);
}

TEST(RunQueueCredit, AThreadThatWaitsForAProcessorEarnsItAndAStoppedProcessNone) {
  // A process stopped by a signal, as a held gdb is.
  const pid_t stopped = ::fork();
  ASSERT_GE(stopped, 0);
  if (stopped == 0) {
    for (;;) ::pause();
  }
  ASSERT_EQ(::kill(stopped, SIGSTOP), 0);
  {
    // Taking the signal, it ran (and may have waited for a processor).
    test::HangGuard guard("the child's stop");
    while (StateOf(stopped) != 'T') std::this_thread::yield();
  }
  RunQueueCredit held;
  held.WatchProcess(stopped);
  const RunQueueCredit::Snapshot heldAtStart = held.Take();

  std::atomic<pid_t> tid{0};
  std::atomic<bool> end{false};
  OneBusyProcessor busy;
  std::thread watched([&] {
    busy.PinHere();
    tid = pid_t(::gettid());
    while (!end) {
    }
  });
  while (tid == 0) std::this_thread::yield();
  RunQueueCredit credit;
  credit.WatchThread(tid);
  const RunQueueCredit::Snapshot start = credit.Take();
  if (KernelCountsWaits()) {
    // Three threads on one processor: the watched one waits its turn.
    test::HangGuard guard("the watched thread's wait for a processor");
    while (credit.WaitedSinceMs(start) < 100) std::this_thread::yield();
    EXPECT_FALSE(start.empty());
  } else {
    // Where the kernel counts nothing, a bound is the wall clock's.
    EXPECT_TRUE(start.empty());
    EXPECT_EQ(credit.WaitedSinceMs(start), 0);
  }
  end = true;
  watched.join();
  EXPECT_EQ(held.WaitedSinceMs(heldAtStart), 0);
  ::kill(stopped, SIGKILL);
  ::waitpid(stopped, nullptr, 0);
}

TEST(RunQueueCredit, ABoundWithoutCreditIsTheWallClocks) {
  // Nothing watched: nothing earned, and a bound that ended stays ended.
  const RunQueueCredit none;
  EXPECT_EQ(none.WaitedSinceMs(none.Take()), 0);
  const CreditedBound ended(&none, 0);
  EXPECT_EQ(ended.RestMs(), 0);
  const CreditedBound ahead(&none, 60000);
  EXPECT_GT(ahead.RestMs(), 0);
  EXPECT_LE(ahead.RestMs(), 60000);
}

}  // namespace
}  // namespace pm2::gdb
