#include "shell/frame/display_check.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace pm2 {

bool HasDisplay(const std::function<const char*(const char*)>& getenv) {
  auto value = [&](const char* name) {
    const char* v = getenv(name);
    return std::string_view(v ? v : "");
  };
  std::string_view platform = value("QT_QPA_PLATFORM");
  if (platform.starts_with("offscreen") || platform.starts_with("minimal")) return false;
  if (!value("DISPLAY").empty() || !value("WAYLAND_DISPLAY").empty()) return true;
  // Another platform chosen by name (a frame buffer, VNC ...), not xcb or
  // wayland, which need the variables above.
  return !platform.empty() && !platform.starts_with("xcb") && !platform.starts_with("wayland");
}

namespace {

// How long a connection to a display may take before it counts as none.
constexpr int kConnectWaitMs = 3000;

// Connects a socket of the family to the address within the bound; the
// connected socket (the other side accepted), or -1.
int Connect(int family, const sockaddr* address, socklen_t length) {
  const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  bool connected = ::connect(fd, address, length) == 0;
  if (!connected && errno == EINPROGRESS) {
    pollfd p{fd, POLLOUT, 0};
    int error = 0;
    socklen_t size = sizeof error;
    connected = ::poll(&p, 1, kConnectWaitMs) == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 &&
                error == 0;
  }
  if (connected) return fd;
  ::close(fd);
  return -1;
}

// An X server's listening socket accepts connections in the kernel even
// while the server itself is stopped (a suspended Xvfb), and the window
// library then waits for its answer for ever. So the server is asked for
// the start of the connection handshake - a setup request without
// authorisation, which every server answers, if only to refuse it - and
// counts as answering only when some reply arrives within the bound.
bool XHandshakeAnswered(int fd) {
  // Byte order 'l' (little endian), protocol 11.0, no authorisation name or
  // data.
  const unsigned char setup[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::size_t sent = 0;
  while (sent < sizeof setup) {
    pollfd out{fd, POLLOUT, 0};
    if (::poll(&out, 1, kConnectWaitMs) != 1) return false;
    const ssize_t n = ::send(fd, setup + sent, sizeof setup - sent, MSG_NOSIGNAL);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  pollfd in{fd, POLLIN, 0};
  if (::poll(&in, 1, kConnectWaitMs) != 1) return false;
  unsigned char status = 0xff;
  // 0 refused, 1 accepted, 2 authentication wanted: each is an answer.
  return ::recv(fd, &status, 1, 0) == 1 && status <= 2;
}

// Connects to the address; with `x`, the X handshake must be answered too.
bool Connects(int family, const sockaddr* address, socklen_t length, bool x) {
  const int fd = Connect(family, address, length);
  if (fd < 0) return false;
  const bool answered = !x || XHandshakeAnswered(fd);
  ::close(fd);
  return answered;
}

// A local socket by its path; with `abstract` in the abstract namespace
// (where an X server listens beside its file).
bool LocalSocketAnswers(const std::string& path, bool abstract, bool x) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (path.empty() || path.size() + offset >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
  return Connects(AF_UNIX, reinterpret_cast<const sockaddr*>(&address), length, x);
}

bool TcpAnswers(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  bool answered = false;
  for (addrinfo* a = found; a && !answered; a = a->ai_next)
    answered = Connects(a->ai_family, a->ai_addr, a->ai_addrlen, true);
  ::freeaddrinfo(found);
  return answered;
}

// DISPLAY: "[protocol/][host]:number[.screen]".
bool XServerAnswers(std::string_view display) {
  if (display.empty()) return false;
  // A socket path of its own ("/tmp/launch-x/org.xquartz:0"): the window
  // library knows it; it is not looked at here.
  if (display.front() == '/') return true;
  const std::size_t colon = display.rfind(':');
  if (colon == std::string_view::npos) return false;
  std::string host(display.substr(0, colon));
  if (const std::size_t slash = host.find('/'); slash != std::string::npos) {
    if (host.substr(0, slash) == "unix") host.clear();
    else host = host.substr(slash + 1);
  }
  if (host == "unix") host.clear();
  std::string_view rest = display.substr(colon + 1);
  int number = 0;
  std::size_t digits = 0;
  while (digits < rest.size() && digits < 6 && rest[digits] >= '0' && rest[digits] <= '9')
    number = number * 10 + (rest[digits++] - '0');
  if (digits == 0) return false;
  if (!host.empty()) return TcpAnswers(host, 6000 + number);
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
  return LocalSocketAnswers(socket, true, true) || LocalSocketAnswers(socket, false, true);
}

bool WaylandAnswers(std::string_view name, std::string_view runtimeFolder) {
  if (name.empty()) return false;
  if (name.front() == '/') return LocalSocketAnswers(std::string(name), false, false);
  if (runtimeFolder.empty()) return false;
  return LocalSocketAnswers(std::string(runtimeFolder) + "/" + std::string(name), false, false);
}

}  // namespace

bool DisplayReachable(const std::function<const char*(const char*)>& getenv) {
  auto value = [&](const char* name) {
    const char* v = getenv(name);
    return std::string_view(v ? v : "");
  };
  const std::string_view platform = value("QT_QPA_PLATFORM");
  const bool x = platform.empty() || platform.starts_with("xcb");
  const bool wayland = platform.empty() || platform.starts_with("wayland");
  if (!x && !wayland) return true;
  return (x && XServerAnswers(value("DISPLAY"))) ||
         (wayland && WaylandAnswers(value("WAYLAND_DISPLAY"), value("XDG_RUNTIME_DIR")));
}

}  // namespace pm2
