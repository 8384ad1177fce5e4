#include "shell/tools/addin_socket.h"

#include "platform/termination.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "builder/runner/process_spawn.h"

namespace pm2 {
namespace {

std::vector<uint8_t> Word(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

}  // namespace

AddInServer::AddInServer(AddInLinkLogic& logic, std::string runtimeFolder, int replyTimeoutMs)
    : m_logic(logic), m_folder(std::move(runtimeFolder)), m_replyTimeoutMs(replyTimeoutMs) {
  if (m_folder.empty()) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    m_folder = (dir && *dir) ? dir : "/tmp";
  }
  if (m_folder.back() != '/') m_folder += '/';
}

AddInServer::~AddInServer() {
  Drop();
  if (m_exitCleanup) RemoveTerminationCleanup(m_exitCleanup);
  if (m_listenFd >= 0) {
    ::close(m_listenFd);
    ::unlink(m_path.c_str());
  }
  WaitForExit(0);
}

bool AddInServer::Listen(std::string* err) {
  if (m_listenFd >= 0) return true;
  m_path = m_folder + kAddInSocketName + "." + std::to_string(::getuid()) + "." + std::to_string(::getpid());
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  if (m_path.size() >= sizeof a.sun_path) {
    if (err) *err = "The add-in socket path '" + m_path + "' is too long";
    return false;
  }
  std::memcpy(a.sun_path, m_path.c_str(), m_path.size());
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ::unlink(m_path.c_str());
  mode_t old = ::umask(0077);
  bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(fd, 4) == 0;
  ::umask(old);
  if (!ok) {
    if (err) *err = "Cannot listen on the add-in socket '" + m_path + "': " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return false;
  }
  m_listenFd = fd;
  // Ended by a signal, the program leaves no socket file behind.
  m_exitCleanup = AddTerminationCleanup([path = m_path] { ::unlink(path.c_str()); });
  return true;
}

bool AddInServer::StartAddIn(const std::string& program, bool debugging, int timeoutMs, std::string* err) {
  const std::string failure = "Cannot run '" + program + "' !";
  if (m_logic.Running() || !Listen(nullptr)) {
    if (err) *err = failure;
    return false;
  }
  SpawnSpec spec;
  spec.commandLine = "\"" + program + "\" /AddIn=" + std::to_string(::getpid());
  spec.ownProcessGroup = false;
  SpawnResult started = SpawnProcess(spec);
  if (started.pid < 0) {
    if (err) *err = failure;
    return false;
  }
  m_childPid = started.pid;
  m_program = program;
  if (!AcceptFrom(static_cast<uint32_t>(started.pid), timeoutMs)) {
    if (err) *err = failure;
    return false;
  }
  m_logic.Attach(this, m_peerPid, 0);
  m_logic.SendAllCommandStates(debugging);
  return true;
}

bool AddInServer::AcceptFrom(uint32_t pid, int timeoutMs) {
  // An add-in that is slow to connect (or never does) is waited for in
  // short slices with the caller served between them, as an answer is.
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) return false;
    pollfd pf{m_listenFd, POLLIN, 0};
    const int r = ::poll(&pf, 1, int(m_serve ? std::min<long long>(left, 15) : left));
    if (r < 0 && errno != EINTR) return false;
    if (r <= 0) {
      if (m_serve) m_serve();
      continue;
    }
    int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return false;
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == ::getuid() &&
        static_cast<uint32_t>(cred.pid) == pid) {
      m_connFd = fd;
      m_peerPid = pid;
      return true;
    }
    ::close(fd);  // someone else: refused
  }
}

void AddInServer::Drop() {
  if (m_connFd >= 0) ::close(m_connFd);
  m_connFd = -1;
  m_input.clear();
  m_peerPid = 0;
  m_lateAnswers = 0;
  m_logic.Lost();
}

bool AddInServer::WriteFrame(uint8_t kind, const std::vector<uint8_t>& payload) {
  if (m_connFd < 0) return false;
  std::vector<uint8_t> frame = Word(static_cast<uint32_t>(payload.size() + 1));
  frame.push_back(kind);
  frame.insert(frame.end(), payload.begin(), payload.end());
  // An add-in that stops reading fills the socket: the rest of the frame
  // is waited for as an answer is (serving the window, for the reply
  // time at most), never without end. A frame not written whole leaves
  // the stream unreadable: the caller detaches the add-in.
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(m_replyTimeoutMs);
  const bool wasInSend = m_inSend;
  m_inSend = true;  // what the wait serves keeps off the connection
  const uint8_t* p = frame.data();
  size_t n = frame.size();
  bool whole = true;
  while (n > 0 && whole) {
    const ssize_t w = ::send(m_connFd, p, n, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (w > 0) {
      p += w;
      n -= static_cast<size_t>(w);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    if (w == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
      whole = false;
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) {
      if (m_onTimeout)
        m_onTimeout("The add-in '" + m_program + "' took nothing of what was sent to it within " +
                    std::to_string((m_replyTimeoutMs + 999) / 1000) + " seconds and is detached.");
      whole = false;
      break;
    }
    pollfd pf{m_connFd, POLLOUT, 0};
    ::poll(&pf, 1, int(std::min<long long>(left, 20)));
    if (m_serve && !m_serve()) whole = false;  // the user ended the wait
  }
  m_inSend = wasInSend;
  return whole;
}

bool AddInServer::ReadAvailable() {
  uint8_t buffer[2048];
  for (;;) {
    const ssize_t r = ::recv(m_connFd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (r > 0) {
      m_input.insert(m_input.end(), buffer, buffer + r);
      continue;
    }
    if (r == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

int AddInServer::TakeFrame(uint8_t* kind, std::vector<uint8_t>* payload) {
  if (m_input.size() < 4) return 0;
  const uint32_t n = m_input[0] | m_input[1] << 8 | m_input[2] << 16 | static_cast<uint32_t>(m_input[3]) << 24;
  if (n == 0 || n > kAddInFrameLimit + 1) return -1;
  if (m_input.size() < 4 + size_t(n)) return 0;
  *kind = m_input[4];
  payload->assign(m_input.begin() + 5, m_input.begin() + 4 + n);
  m_input.erase(m_input.begin(), m_input.begin() + 4 + n);
  return 1;
}

void AddInServer::HandleIncoming(const std::vector<uint8_t>& payload) {
  bool answered = false, written = true;
  auto answer = [&](uint32_t word) {
    if (!answered) written = WriteFrame(1, Word(word));
    answered = true;
  };
  if (!m_logic.HandleBlock(payload.data(), payload.size(), m_peerPid, answer)) answer(0);
  answer(1);
  // An answer not written whole: the add-in is detached once the block's
  // handling is over (not from inside it).
  if (!written && m_connFd >= 0) Drop();
}

void AddInServer::RefuseWaitingConnections() {
  if (m_listenFd < 0) return;
  for (;;) {
    pollfd pf{m_listenFd, POLLIN, 0};
    if (::poll(&pf, 1, 0) <= 0) return;
    int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    ::close(fd);
  }
}

void AddInServer::Poll(int timeoutMs) {
  // Only StartAddIn takes a connection; left waiting, any other would keep
  // the listening socket readable and its watcher busy.
  RefuseWaitingConnections();
  if (m_inSend || m_connFd < 0) return;
  if (timeoutMs > 0 && m_queued.empty()) {
    pollfd pf{m_connFd, POLLIN, 0};
    ::poll(&pf, 1, timeoutMs);
  }
  // What has come is taken without waiting for more: an add-in that stops
  // in the middle of a frame leaves it here until the rest comes.
  const bool open = ReadAvailable();
  for (;;) {
    if (m_connFd < 0) return;
    // Blocks that came during a wait for an answer (here, or in a request
    // that a block handled here made) first.
    if (!m_queued.empty()) {
      std::vector<uint8_t> queued = std::move(m_queued.front());
      m_queued.pop_front();
      HandleIncoming(queued);
      continue;
    }
    uint8_t kind = 0;
    std::vector<uint8_t> payload;
    const int taken = TakeFrame(&kind, &payload);
    if (taken < 0) return Drop();
    if (taken == 0) break;
    if (kind == 0)
      HandleIncoming(payload);
    else if (m_lateAnswers > 0)
      --m_lateAnswers;  // a late answer; any other stray one is dropped too
  }
  if (!open) Drop();
}

bool AddInServer::HasPending() const {
  if (!m_queued.empty()) return true;
  if (m_input.size() < 4) return false;
  const uint32_t n = m_input[0] | m_input[1] << 8 | m_input[2] << 16 | static_cast<uint32_t>(m_input[3]) << 24;
  return m_input.size() >= 4 + size_t(n);
}

bool AddInServer::WaitReadable(int timeoutMs, bool* timedOut, bool* ended) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  *timedOut = false;
  *ended = false;
  for (;;) {
    if (m_connFd < 0) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) {
      *timedOut = true;
      return false;
    }
    pollfd pf{m_connFd, POLLIN, 0};
    const int r = ::poll(&pf, 1, int(m_serve ? std::min<long long>(left, 15) : left));
    if (r > 0) return true;
    if (r < 0 && errno != EINTR) return false;
    if (m_serve && !m_serve()) {
      *ended = true;
      return false;
    }
  }
}

AddInSendResult AddInServer::Send(const std::vector<uint8_t>& block, AddInReply* reply) {
  // A request made while another awaits its answer (from what the wait
  // served) would read that answer: it is not sent.
  if (m_inSend) return AddInSendResult::Failed;
  if (!WriteFrame(0, block)) {
    Drop();
    return AddInSendResult::Failed;
  }
  bool answered = false, timedOut = false, ended = false;
  {
    struct InSend {
      AddInServer& server;
      explicit InSend(AddInServer& s) : server(s) {
        server.m_inSend = true;
        if (server.m_notice) server.m_notice(true, server.m_program);
      }
      ~InSend() {
        server.m_inSend = false;
        if (server.m_notice) server.m_notice(false, server.m_program);
      }
    } inSend(*this);
    answered = AwaitAnswer(reply, &timedOut, &ended);
  }
  // Said once the wait is over (its input filter gone, its status cleared),
  // so that the message can be answered.
  if (timedOut && m_onTimeout)
    m_onTimeout("The add-in '" + m_program + "' gave no answer within " +
                std::to_string((m_replyTimeoutMs + 999) / 1000) + " seconds and is detached.");
  // What came with the answer is no longer in the socket, whose watcher
  // therefore stays quiet: its owner is told to poll.
  if (m_connFd >= 0 && HasPending() && m_onPending) m_onPending();
  if (answered) return AddInSendResult::Answered;
  return ended ? AddInSendResult::WaitEnded : AddInSendResult::Failed;
}

bool AddInServer::SendUnawaited(const std::vector<uint8_t>& block) {
  // Not between a request and its answer: that answer could be taken for
  // this block's.
  if (m_inSend) return false;
  if (!WriteFrame(0, block)) {
    Drop();
    return false;
  }
  ++m_lateAnswers;  // dropped when it comes
  return true;
}

bool AddInServer::AwaitAnswer(AddInReply* reply, bool* timedOut, bool* ended) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(m_replyTimeoutMs);
  bool open = true;
  for (;;) {
    uint8_t kind = 0;
    std::vector<uint8_t> payload;
    const int taken = TakeFrame(&kind, &payload);
    if (taken < 0) {
      Drop();
      return false;
    }
    if (taken > 0) {
      if (kind == 0) {
        // The add-in's own block while it was asked: handled after this
        // answer, so that answers never cross.
        m_queued.push_back(std::move(payload));
        continue;
      }
      if (m_lateAnswers > 0) {
        --m_lateAnswers;  // the answer to a wait the user ended
        continue;
      }
      if (payload.size() < 4) return false;
      reply->word = payload[0] | payload[1] << 8 | payload[2] << 16 | static_cast<uint32_t>(payload[3]) << 24;
      reply->text.assign(payload.begin() + 4, payload.end());
      return true;
    }
    if (!open) {
      Drop();
      return false;
    }
    // The rest of an answer is waited for as its start is: serving the
    // window, which the user may end the wait from.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    bool expired = false;
    if (!WaitReadable(int(std::max<long long>(left, 0)), &expired, ended)) {
      if (*ended) {
        // Ended by the user: unanswered; the answer that may still come is
        // not taken for the next request's.
        ++m_lateAnswers;
        return false;
      }
      Drop();
      *timedOut = expired;
      return false;
    }
    open = ReadAvailable();
  }
}

int AddInServer::WaitForExit(int timeoutMs) {
  if (m_childPid < 0) return -1;
  int code = WaitProcess(m_childPid, timeoutMs);
  if (code != kExitRunning) m_childPid = -1;
  return code;
}

}  // namespace pm2
