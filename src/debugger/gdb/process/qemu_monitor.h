// The driver's end of qemu's own monitor (a readline monitor on a socket):
// it stops the emulated machine, and tells whether qemu has taken every
// command it was sent. qemu answers each command with its prompt. A qemu
// that is held (stopped by a signal, or not scheduled) reads a command
// only when it goes on, and a stop it reads then stops whatever runs at
// that time: a run or step started since, not the one the stop was for.
#pragma once

#include <mutex>
#include <string>

namespace pm2::gdb {

class QemuMonitor {
 public:
  QemuMonitor() = default;
  ~QemuMonitor() { Close(); }
  QemuMonitor(const QemuMonitor&) = delete;
  QemuMonitor& operator=(const QemuMonitor&) = delete;

  // Takes the connected socket (non-blocking); qemu greets it with a
  // banner and its first prompt.
  void Open(int fd);
  void Close();
  bool IsOpen() const;

  // Asks qemu to stop the machine: its GDB stub tells gdb of the stop as of
  // one gdb asked for (SIGINT), without gdb being signalled; a machine that
  // stands already is left so. Not sent again while one sent is not taken:
  // both would stop the same run, or the second a later one.
  void Stop();
  // True once qemu has answered every command it was sent, read within
  // waitMs (0: what has come already). A qemu that ended leaves nothing
  // to take.
  bool Taken(int waitMs);

 private:
  // Reads what qemu wrote, counting its prompts; false when the socket
  // closed (qemu ended). Under m_mutex.
  bool ReadAnswers();

  mutable std::mutex m_mutex;
  int m_fd = -1;
  int m_sent = 0;     // commands sent
  int m_prompts = 0;  // prompts read, the greeting's among them
  std::string m_tail;  // the end of what was read: a prompt may come in two reads
};

}  // namespace pm2::gdb
