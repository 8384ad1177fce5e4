// qemu's log of executed instructions ("-d exec,nochain" with one
// instruction per block) read from a FIFO into a bounded ring of the last
// addresses. qemu opens the FIFO when its exec log is switched on through
// the monitor and closes it when the log is switched off; a reader thread
// drains it meanwhile, so the history costs a fixed amount of memory
// however long the program runs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "debugger/gdb/trace/code_coverage.h"

namespace pm2::gdb {

// The executed address of a line such as
// "Trace 0: 0x7f5f28003540 [00000400/00000324/00000020/ff000201] LED_Init";
// false for any other line.
bool ParseExecLogLine(std::string_view line, uint32_t* pc);

// The last `capacity` addresses pushed, oldest first.
class TraceRing {
 public:
  explicit TraceRing(size_t capacity) : m_slots(capacity ? capacity : 1) {}
  void Push(uint32_t address);
  void Clear() { m_count = m_next = 0; }
  size_t Size() const { return m_count; }
  uint32_t At(size_t i) const;  // 0 = oldest
  std::vector<uint32_t> Entries() const;

 private:
  std::vector<uint32_t> m_slots;
  size_t m_count = 0, m_next = 0;
};

class ExecTraceReader {
 public:
  static constexpr size_t kEntries = 10000;

  ExecTraceReader() : m_ring(kEntries) {}
  ~ExecTraceReader() { Stop(); }
  ExecTraceReader(const ExecTraceReader&) = delete;
  ExecTraceReader& operator=(const ExecTraceReader&) = delete;

  // Makes the FIFO in a private folder and starts the reader; false with
  // *err.
  bool Start(std::string* err);
  void Stop();
  const std::string& Path() const { return m_fifo; }
  // Once qemu has opened the FIFO its name is no longer needed: it goes, so
  // that nothing is left behind even when the program is killed. The
  // reader ends when qemu closes its end.
  void Unlink();
  // What qemu has written so far: the reader is asked to take every byte
  // the FIFO holds first (qemu has written the last lines before the stop
  // was reported; the reader may not have read them yet).
  std::vector<uint32_t> Entries() const;
  // Forgets the history; what runs next does not follow on from it.
  void Clear();
  // Every address executed and every step from one to the next since the
  // coverage was last cleared, over every time the log was on (takes what
  // the FIFO holds first, as Entries does).
  CoverageLog Coverage() const;
  void ClearCoverage();

 private:
  // Waits until the reader has taken every byte the FIFO holds now (a
  // second at most: a program that keeps qemu logging is not waited for).
  void Drain() const;
  void Run(std::string path);
  void Feed(const char* bytes, size_t n);
  // The reader's answer to Drain once the FIFO holds nothing (or its
  // writer has closed it and everything was read).
  void AnswerDrain(int fd, bool ended);

  std::string m_dir, m_fifo;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  mutable std::mutex m_mutex;
  TraceRing m_ring;
  CoverageLog m_coverage;
  std::string m_partial;  // a line not yet ended
  int m_wake[2] = {-1, -1};  // a pipe that wakes the reader for a drain
  // Guarded by m_mutex: drains asked and answered, and whether the reader
  // still reads (one that has ended has read all there was).
  mutable uint64_t m_drainAsked = 0, m_drainAnswered = 0;
  bool m_reading = false;
  mutable std::condition_variable m_drained;
};

}  // namespace pm2::gdb
