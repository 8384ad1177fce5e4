// The time the threads a wait depends on (gdb's, the emulator's, the
// driver's reader of gdb's output) spent ready to run but waiting for a
// processor, as the kernel counts it for each thread.
//
// A bound on gdb's answer stands for "gdb, or its server, says nothing":
// a machine whose every core is busy makes each of them wait its turn,
// and the answer comes late without anyone being silent. A wait's bound
// therefore lasts the bound plus the longest time any of its threads
// waited for a processor meanwhile. A process stopped by a signal (held)
// or blocked on a socket waits for no processor: its bound is the wall
// clock's, loaded machine or not.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace pm2::gdb {

class RunQueueCredit {
 public:
  // What each watched thread had waited for a processor (ns), by thread id.
  using Snapshot = std::map<pid_t, uint64_t>;

  // Every thread of the process counts, those it starts later included.
  void WatchProcess(pid_t pid);
  // One thread of this process (a thread id, gettid()).
  void WatchThread(pid_t tid);
  void Forget(pid_t pid);

  Snapshot Take() const;
  // The most any watched thread waited for a processor since `then`, in
  // milliseconds (a thread that began since counts from its start).
  int64_t WaitedSinceMs(const Snapshot& then) const;

  // Reads one thread's wait time (the second field of its schedstat line);
  // false where the kernel does not count it.
  static bool ReadWaitNs(pid_t pid, pid_t tid, uint64_t* ns);

 private:
  std::vector<std::pair<pid_t, pid_t>> Threads() const;  // (process, thread)
  mutable std::mutex m_mutex;
  std::vector<pid_t> m_processes;
  std::vector<pid_t> m_threads;
};

// A bound that lasts its time plus what its threads waited for a
// processor meanwhile (see above).
class CreditedBound {
 public:
  CreditedBound(const RunQueueCredit* credit, int boundMs)
      : m_credit(credit),
        m_start(credit ? credit->Take() : RunQueueCredit::Snapshot{}),
        m_until(std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs)) {}
  // What is left of it, in milliseconds (0 once it has ended).
  int RestMs() const;

 private:
  const RunQueueCredit* m_credit;
  RunQueueCredit::Snapshot m_start;
  std::chrono::steady_clock::time_point m_until;
};

// The longest slice a wait on a credited bound sleeps before it asks the
// bound again.
inline constexpr int kCreditSliceMs = 100;

}  // namespace pm2::gdb
