#include "debugger/gdb/process/qemu_monitor.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

namespace pm2::gdb {

namespace {

// What qemu's readline monitor writes when it is ready for the next command.
constexpr char kPrompt[] = "(qemu) ";
constexpr std::size_t kPromptSize = sizeof kPrompt - 1;

}  // namespace

void QemuMonitor::Open(int fd) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_fd >= 0) close(m_fd);
  m_fd = fd;
  m_sent = m_prompts = 0;
  m_tail.clear();
}

void QemuMonitor::Close() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_fd >= 0) close(std::exchange(m_fd, -1));
}

bool QemuMonitor::IsOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_fd >= 0;
}

bool QemuMonitor::ReadAnswers() {
  char chunk[4096];
  for (;;) {
    const ssize_t n = recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n == 0) return false;
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    // Only prompts count; the echo of the command before one is no answer.
    std::string text = std::move(m_tail);
    text.append(chunk, std::size_t(n));
    for (std::size_t at = 0; (at = text.find(kPrompt, at)) != std::string::npos; at += kPromptSize) ++m_prompts;
    const std::size_t keep = text.size() < kPromptSize ? text.size() : kPromptSize - 1;
    // Prompts never overlap: the kept end, shorter than one, holds no
    // counted prompt whole.
    m_tail = text.substr(text.size() - keep);
  }
}

void QemuMonitor::Stop() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_fd < 0) return;
  // What qemu wrote is read away first: unread, it would fill the socket
  // and hold qemu.
  if (!ReadAnswers()) return;
  if (m_sent > 0 && m_prompts < m_sent + 1) return;
  static const char kStop[] = "stop\n";
  // A qemu that ended leaves the socket closed: no signal for that.
  if (send(m_fd, kStop, sizeof kStop - 1, MSG_NOSIGNAL | MSG_DONTWAIT) == ssize_t(sizeof kStop - 1)) ++m_sent;
}

bool QemuMonitor::Taken(int waitMs) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_fd < 0 || m_sent == 0) return true;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    if (!ReadAnswers()) return true;
    // The greeting's prompt, and one for each command.
    if (m_prompts >= m_sent + 1) return true;
    const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (rest.count() <= 0) return false;
    pollfd pfd{m_fd, POLLIN, 0};
    poll(&pfd, 1, int(rest.count()));
  }
}

}  // namespace pm2::gdb
