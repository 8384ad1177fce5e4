#include "editor/text/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace pm2 {
namespace {

bool SameFile(int fd, const std::string& path) {
  struct stat a {}, b {};
  return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool Flock(int fd, int op) {
  for (;;) {
    if (::flock(fd, op) == 0) return true;
    if (errno != EINTR) return false;
  }
}

}  // namespace

bool LockKeptFile(int fd) { return fd >= 0 && Flock(fd, LOCK_SH | LOCK_NB); }

bool IsFileKeptByOther(const std::string& path, int ownFd) {
  if (ownFd >= 0 && SameFile(ownFd, path)) {
    // Our own shared lock would answer an exclusive probe from another
    // handle; turning our lock exclusive succeeds only when no one else
    // holds one. It goes back to shared at once.
    if (Flock(ownFd, LOCK_EX | LOCK_NB)) {
      Flock(ownFd, LOCK_SH | LOCK_NB);
      return false;
    }
    return errno == EWOULDBLOCK;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  const bool kept = !Flock(fd, LOCK_EX | LOCK_NB) && errno == EWOULDBLOCK;
  ::close(fd);  // drops the probe's lock with the handle
  return kept;
}

int FileKeptCode() { return EBUSY; }

std::string FileKeptMessage(const std::string& path) {
  return "'" + path + "' is kept open by another program and cannot be changed";
}

}  // namespace pm2
