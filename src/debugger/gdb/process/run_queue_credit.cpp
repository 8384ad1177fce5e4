#include "debugger/gdb/process/run_queue_credit.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace pm2::gdb {

bool RunQueueCredit::ReadWaitNs(pid_t pid, pid_t tid, uint64_t* ns) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/task/%d/schedstat", int(pid), int(tid));
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char text[128] = {};
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (n <= 0) return false;
  // "<time on a processor> <time waiting for one> <slices>", in ns.
  char* end = nullptr;
  std::strtoull(text, &end, 10);
  if (end == text) return false;
  const char* second = end;
  *ns = std::strtoull(second, &end, 10);
  return end != second;
}

void RunQueueCredit::WatchProcess(pid_t pid) {
  if (pid <= 0) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (std::find(m_processes.begin(), m_processes.end(), pid) == m_processes.end()) m_processes.push_back(pid);
}

void RunQueueCredit::WatchThread(pid_t tid) {
  if (tid <= 0) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (std::find(m_threads.begin(), m_threads.end(), tid) == m_threads.end()) m_threads.push_back(tid);
}

void RunQueueCredit::Forget(pid_t pid) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_processes.erase(std::remove(m_processes.begin(), m_processes.end(), pid), m_processes.end());
}

std::vector<std::pair<pid_t, pid_t>> RunQueueCredit::Threads() const {
  std::vector<pid_t> processes, threads;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    processes = m_processes;
    threads = m_threads;
  }
  std::vector<std::pair<pid_t, pid_t>> out;
  const pid_t self = ::getpid();
  for (pid_t tid : threads) out.emplace_back(self, tid);
  for (pid_t pid : processes) {
    const std::string folder = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) continue;
    while (const dirent* e = ::readdir(dir)) {
      char* end = nullptr;
      const long tid = std::strtol(e->d_name, &end, 10);
      if (end != e->d_name && *end == '\0') out.emplace_back(pid, pid_t(tid));
    }
    ::closedir(dir);
  }
  return out;
}

RunQueueCredit::Snapshot RunQueueCredit::Take() const {
  Snapshot out;
  for (const auto& [pid, tid] : Threads()) {
    uint64_t ns = 0;
    if (ReadWaitNs(pid, tid, &ns)) out[tid] = ns;
  }
  return out;
}

int64_t RunQueueCredit::WaitedSinceMs(const Snapshot& then) const {
  uint64_t most = 0;
  for (const auto& [pid, tid] : Threads()) {
    uint64_t ns = 0;
    if (!ReadWaitNs(pid, tid, &ns)) continue;
    const auto before = then.find(tid);
    const uint64_t since = before == then.end() ? ns : ns > before->second ? ns - before->second : 0;
    most = std::max(most, since);
  }
  return int64_t(most / 1000000);
}

int CreditedBound::RestMs() const {
  int64_t rest = std::chrono::duration_cast<std::chrono::milliseconds>(m_until - std::chrono::steady_clock::now()).count();
  if (m_credit) rest += m_credit->WaitedSinceMs(m_start);
  return rest > 0 ? int(std::min<int64_t>(rest, 1 << 30)) : 0;
}

}  // namespace pm2::gdb
