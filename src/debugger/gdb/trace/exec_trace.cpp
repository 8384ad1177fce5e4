#include "debugger/gdb/trace/exec_trace.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace pm2::gdb {

bool ParseExecLogLine(std::string_view line, uint32_t* pc) {
  if (line.substr(0, 6) != "Trace ") return false;
  // The second field between the brackets is the guest address.
  const size_t open = line.find('[');
  if (open == std::string_view::npos) return false;
  const size_t slash = line.find('/', open);
  if (slash == std::string_view::npos) return false;
  const size_t end = line.find_first_of("/]", slash + 1);
  if (end == std::string_view::npos || end == slash + 1 || end - slash - 1 > 16) return false;
  uint64_t value = 0;
  for (char c : line.substr(slash + 1, end - slash - 1)) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    value = value * 16 + uint64_t(digit);
  }
  *pc = uint32_t(value);
  return true;
}

void TraceRing::Push(uint32_t address) {
  m_slots[m_next] = address;
  m_next = (m_next + 1) % m_slots.size();
  if (m_count < m_slots.size()) ++m_count;
}

uint32_t TraceRing::At(size_t i) const {
  const size_t first = (m_next + m_slots.size() - m_count) % m_slots.size();
  return m_slots[(first + i) % m_slots.size()];
}

std::vector<uint32_t> TraceRing::Entries() const {
  std::vector<uint32_t> out;
  out.reserve(m_count);
  for (size_t i = 0; i < m_count; ++i) out.push_back(At(i));
  return out;
}

bool ExecTraceReader::Start(std::string* err) {
  if (m_thread.joinable()) return true;
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/pm2trace.XXXXXX";
  if (!mkdtemp(pattern.data())) {
    *err = "cannot make a folder for the trace FIFO: " + std::string(std::strerror(errno));
    return false;
  }
  m_dir = pattern;
  m_fifo = m_dir + "/exec.fifo";
  if (mkfifo(m_fifo.c_str(), 0600) != 0) {
    *err = "cannot make the trace FIFO '" + m_fifo + "': " + std::strerror(errno);
    rmdir(m_dir.c_str());
    m_dir.clear();
    return false;
  }
  if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
    *err = "cannot make the trace reader's pipe: " + std::string(std::strerror(errno));
    Unlink();
    return false;
  }
  m_stop = false;
  m_reading = true;
  m_thread = std::thread([this, path = m_fifo] { Run(path); });
  return true;
}

void ExecTraceReader::Run(std::string path) {
  char buffer[8192];
  while (!m_stop) {
    // Open without waiting for qemu; poll so that Stop is seen in time.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) break;  // unlinked: this log has ended
    bool ended = false;
    while (!m_stop && !ended) {
      pollfd p[2] = {{fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
      const int ready = poll(p, 2, 100);
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0) break;
      if (p[1].revents & POLLIN) {
        char sink[64];
        while (read(m_wake[0], sink, sizeof sink) > 0) {
        }
      }
      if (p[0].revents & (POLLIN | POLLHUP)) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0)
          Feed(buffer, size_t(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
          ended = true;  // qemu closed its end (the log was switched off)
      }
      AnswerDrain(fd, ended);
    }
    close(fd);
    if (ended) usleep(10000);  // then open again for the next time
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reading = false;
  }
  m_drained.notify_all();
}

void ExecTraceReader::AnswerDrain(int fd, bool ended) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_drainAnswered >= m_drainAsked) return;
    int pending = 0;
    if (!ended && ioctl(fd, FIONREAD, &pending) == 0 && pending > 0) return;  // read it first
    m_drainAnswered = m_drainAsked;
  }
  m_drained.notify_all();
}

void ExecTraceReader::Feed(const char* bytes, size_t n) {
  std::lock_guard<std::mutex> lock(m_mutex);
  size_t from = 0;
  for (size_t i = 0; i < n; ++i) {
    if (bytes[i] != '\n') continue;
    m_partial.append(bytes + from, i - from);
    uint32_t pc;
    if (ParseExecLogLine(m_partial, &pc)) {
      m_ring.Push(pc);
      m_coverage.Add(pc);
    }
    m_partial.clear();
    from = i + 1;
  }
  m_partial.append(bytes + from, n - from);
  if (m_partial.size() > 4096) m_partial.clear();  // not a log line
}

void ExecTraceReader::Stop() {
  if (m_thread.joinable()) {
    m_stop = true;
    m_thread.join();
  }
  for (int& fd : m_wake) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  Unlink();
}

void ExecTraceReader::Unlink() {
  if (!m_fifo.empty()) unlink(m_fifo.c_str());
  if (!m_dir.empty()) rmdir(m_dir.c_str());
  m_fifo.clear();
  m_dir.clear();
}

void ExecTraceReader::Drain() const {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_reading) return;
  const uint64_t asked = ++m_drainAsked;
  if (write(m_wake[1], "", 1) < 0) {
    // Full: the reader has wake-ups waiting already.
  }
  m_drained.wait_for(lock, std::chrono::seconds(1), [&] { return m_drainAnswered >= asked || !m_reading; });
}

std::vector<uint32_t> ExecTraceReader::Entries() const {
  Drain();
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_ring.Entries();
}

void ExecTraceReader::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_ring.Clear();
  m_coverage.Break();
}

CoverageLog ExecTraceReader::Coverage() const {
  Drain();
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_coverage;
}

void ExecTraceReader::ClearCoverage() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_coverage.Clear();
}

}  // namespace pm2::gdb
