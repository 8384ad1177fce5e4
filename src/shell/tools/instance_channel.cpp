#include "shell/tools/instance_channel.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace pm2 {
namespace {

bool ThreeDigits(std::string_view t, int* value) {
  int v = 0;
  for (int i = 0; i < 3; ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    v = v * 10 + (t[i] - '0');
  }
  *value = v;
  return true;
}

bool MakeAddress(const std::string& path, sockaddr_un* addr) {
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  if (path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.data(), path.size());
  return true;
}

std::string Prefix() { return std::string(kChannelName) + "." + std::to_string(::getuid()) + "."; }

}  // namespace

std::string FormatChannelMessage(std::string_view text, int kind, int length) {
  if (length > kChannelTextLimit) length = kChannelTextLimit;
  if (length < 0) length = 0;
  char head[16];
  std::snprintf(head, sizeof head, "%03d%03d", length, kind % 1000);
  std::string out = head;
  out.append(text.substr(0, static_cast<size_t>(length)));
  return out;
}

std::optional<ChannelRequest> DecodeChannelMessage(std::string_view data) {
  data = data.substr(0, kChannelReceiveLimit);
  data = data.substr(0, data.find('\0'));
  int length = 0, kind = 0;
  if (data.size() < 6 || !ThreeDigits(data, &length) || !ThreeDigits(data.substr(3), &kind))
    return std::nullopt;
  std::string_view text = data.substr(6);
  ChannelRequest r;
  r.kind = kind;
  if (kind == kChannelCommand1 || kind == kChannelCommand2) {
    r.text = std::string(text.substr(0, static_cast<size_t>(length)));
    if (r.text.empty() || r.text.back() != '\n') r.text += '\n';
    return r;
  }
  if (length != kChannelProgressLength) return std::nullopt;
  switch (kind) {
    case kChannelProgressText:
      r.text = std::string(text);
      return r;
    case kChannelProgressClear:
      return r;
    case kChannelProgressValue:
    {
      // Read like atoi over the first three characters.
      size_t i = 0;
      for (; i < 3 && i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        r.value = r.value * 10 + (text[i] - '0');
      if (i == 0 || r.value > 100) return std::nullopt;
      return r;
    }
    default:
      return std::nullopt;
  }
}

InstanceChannel::InstanceChannel(std::string runtimeFolder) : m_folder(std::move(runtimeFolder)) {
  if (m_folder.empty()) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    m_folder = (dir && *dir) ? dir : "/tmp";
  }
  if (m_folder.back() != '/') m_folder += '/';
}

InstanceChannel::~InstanceChannel() { Exit(); }

bool InstanceChannel::Init(std::string* err) {
  if (IsOpen()) return true;
  m_path = m_folder + Prefix() + std::to_string(::getpid());
  sockaddr_un addr;
  if (!MakeAddress(m_path, &addr)) {
    if (err) *err = "The channel's socket path '" + m_path + "' is too long";
    return false;
  }
  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    if (err) *err = std::string("Cannot create the channel's socket: ") + std::strerror(errno);
    return false;
  }
  ::unlink(m_path.c_str());  // a crashed process of the same id left it
  mode_t old = ::umask(0077);
  int rc = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::umask(old);
  if (rc != 0) {
    if (err) *err = "Cannot bind the channel's socket '" + m_path + "': " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  m_fd = fd;
  return true;
}

void InstanceChannel::Exit() {
  if (m_fd < 0) return;
  ::close(m_fd);
  ::unlink(m_path.c_str());
  m_fd = -1;
}

int InstanceChannel::Send(std::string_view text, int kind, int length) {
  if (!IsOpen()) return 0;
  m_lastSent = FormatChannelMessage(text, kind, length);
  const std::string prefix = Prefix();
  int reached = 0;
  DIR* d = ::opendir(m_folder.c_str());
  if (!d) return 0;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    std::string path = m_folder + name;
    if (path == m_path) continue;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != ::getuid()) continue;
    sockaddr_un addr;
    if (!MakeAddress(path, &addr)) continue;
    ssize_t n = ::sendto(m_fd, m_lastSent.data(), m_lastSent.size(), MSG_DONTWAIT,
                         reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (n == static_cast<ssize_t>(m_lastSent.size())) ++reached;
    else if (n < 0 && errno == ECONNREFUSED) ::unlink(path.c_str());  // nobody listens
  }
  ::closedir(d);
  return reached;
}

int InstanceChannel::Poll(InstanceChannelHandler& handler, int timeoutMs) {
  if (!IsOpen()) return 0;
  pollfd p{m_fd, POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) <= 0) return 0;
  int acted = 0;
  char buf[kChannelReceiveLimit];
  for (;;) {
    ssize_t n = ::recv(m_fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n < 0) break;
    std::optional<ChannelRequest> r = DecodeChannelMessage(std::string_view(buf, static_cast<size_t>(n)));
    if (!r) continue;
    ++acted;
    if (r->kind == kChannelCommand1 || r->kind == kChannelCommand2) handler.ExecDebugCommandLine(r->text);
    else handler.ProgressRequest(r->kind, r->text, r->value);
  }
  return acted;
}

}  // namespace pm2
