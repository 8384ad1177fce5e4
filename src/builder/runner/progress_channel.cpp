#include "builder/runner/progress_channel.h"

#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/notification_hub.h"
#include "platform/progress_request.h"
#include "platform/service_record.h"

namespace pm2 {

const char kProgressChannelName[] = "Pm2_mailslot_XL";

namespace {

uint32_t Get32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

bool MakeAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

bool DecodeProgressRecord(const unsigned char* data, size_t size, ProgressRecord& out) {
  if (size < kProgressHeaderSize) return false;
  out.kind = Get32(data);
  out.position = Get32(data + 4);
  out.lower = Get32(data + 8);
  out.upper = Get32(data + 12);
  out.textRef = Get32(data + 16);
  out.text2Ref = Get32(data + 20);
  size_t n = std::min(size, kProgressRecordSize) - kProgressHeaderSize;
  const char* text = reinterpret_cast<const char*>(data + kProgressHeaderSize);
  out.text.assign(text, strnlen(text, std::min<size_t>(n, 255)));
  return true;
}

void EncodeProgressRecord(const ProgressRecord& record, unsigned char out[kProgressRecordSize]) {
  std::memset(out, 0, kProgressRecordSize);
  Put32(out, record.kind);
  Put32(out + 4, record.position);
  Put32(out + 8, record.lower);
  Put32(out + 12, record.upper);
  Put32(out + 16, record.textRef);
  Put32(out + 20, record.text2Ref);
  std::memcpy(out + kProgressHeaderSize, record.text.data(), std::min<size_t>(record.text.size(), 255));
}

void ShowProgressRecord(NotificationHub* hub, const ProgressRecord& record) {
  if (!hub) return;
  ProgressRequest request;
  request.kind = static_cast<int32_t>(record.kind);
  request.position = static_cast<int32_t>(record.position);
  request.low = static_cast<int32_t>(record.lower);
  request.high = static_cast<int32_t>(record.upper);
  request.label = record.text.c_str();
  // The second text reference is an address in the sender: never followed.
  request.text = record.text.c_str();
  SendServiceCall(*hub, kServiceProgress, reinterpret_cast<intptr_t>(&request));
}

std::string DefaultRuntimeFolder() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = (dir && *dir) ? dir : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string ProgressChannelPath(const std::string& runtimeFolder) {
  std::string folder = runtimeFolder.empty() ? DefaultRuntimeFolder() : runtimeFolder;
  if (folder.back() != '/') folder += '/';
  return folder + kProgressChannelName;
}

bool SendProgressRecord(const std::string& runtimeFolder, const ProgressRecord& record) {
  sockaddr_un addr;
  if (!MakeAddress(ProgressChannelPath(runtimeFolder), addr)) return false;
  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  unsigned char bytes[kProgressRecordSize];
  EncodeProgressRecord(record, bytes);
  bool ok = ::sendto(fd, bytes, sizeof bytes, 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr) ==
            static_cast<ssize_t>(sizeof bytes);
  ::close(fd);
  return ok;
}

bool ProgressChannel::Open(const std::string& runtimeFolder) {
  Close();
  std::string path = ProgressChannelPath(runtimeFolder);
  sockaddr_un addr;
  if (!MakeAddress(path, addr)) return false;
  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    // A socket file nobody reads is a leftover of a crashed run.
    int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    bool live = probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (probe >= 0) ::close(probe);
    if (live || ::unlink(path.c_str()) != 0 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      ::close(fd);
      return false;
    }
  }
  fd_ = fd;
  path_ = path;
  return true;
}

int ProgressChannel::Drain(NotificationHub* hub) {
  if (fd_ < 0) return 0;
  int count = 0;
  unsigned char buffer[512];
  while (true) {
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0) break;
    ProgressRecord record;
    if (!DecodeProgressRecord(buffer, static_cast<size_t>(n), record)) continue;
    ++count;
    ShowProgressRecord(hub, record);
  }
  return count;
}

void ProgressChannel::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(path_.c_str());
  fd_ = -1;
  path_.clear();
}

}  // namespace pm2
