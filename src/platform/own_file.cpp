#include "platform/own_file.h"

#include "driver_abi/file_kind.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace pm2 {

namespace {

// True when what `st` (from lstat) describes may be written in place.
bool IsOwnFile(const struct stat& st) { return S_ISREG(st.st_mode) && st.st_nlink == 1; }

std::string LinkText(const std::string& path) {
  std::vector<char> buf(4096);
  const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size() - 1);
  return n > 0 ? std::string(buf.data(), size_t(n)) : std::string();
}

// What a name that is no plain file of its own is, in the message's words:
// a plain file here has a second name.
std::string KindOf(const struct stat& st) {
  const char* kind = FileKindText(st.st_mode);
  return kind ? kind : "a second name of another file";
}

}  // namespace

bool IsForeignName(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && !IsOwnFile(st);
}

int MakeNameOwn(const std::string& path, ReplacedName* what) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  if (S_ISDIR(st.st_mode) || IsOwnFile(st)) return 0;
  ReplacedName r;
  r.replaced = true;
  r.kind = KindOf(st);
  if (S_ISLNK(st.st_mode)) r.linkTarget = LinkText(path);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return errno;
  if (what) *what = std::move(r);
  return 0;
}

int OpenOwnFile(const std::string& path, int flags, unsigned mode, ReplacedName* what) {
  if (what) *what = ReplacedName{};
  // Another process may make a link at the name again between the removal
  // and the open; the open then refuses it (ELOOP) and the name is made
  // ours once more. A few rounds, never a loop.
  int e = ELOOP;
  for (int attempt = 0; attempt < 3; ++attempt) {
    ReplacedName removed;
    if (int me = MakeNameOwn(path, &removed)) {
      errno = me;
      return -1;
    }
    if (removed.replaced && what) *what = removed;
    // Non-blocking: a named pipe made at the name in between must not hold
    // the open; it is refused below.
    const int access = (flags & O_RDWR) ? O_RDWR : O_WRONLY;
    const int fd = ::open(path.c_str(),
                          access | (flags & (O_TRUNC | O_APPEND)) | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK,
                          static_cast<mode_t>(mode));
    if (fd < 0) {
      e = errno;
      if (e == ELOOP || e == ENXIO) continue;
      return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      e = errno;
      ::close(fd);
      break;
    }
    if (!IsOwnFile(st)) {
      // A second name made in between: removed and opened again.
      e = ELOOP;
      ::close(fd);
      continue;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }
  errno = e;
  return -1;
}

std::FILE* OpenOwnFileStream(const std::string& path, ReplacedName* what) {
  const int fd = OpenOwnFile(path, O_TRUNC, 0666, what);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, "wb");
  if (!f) {
    const int e = errno;
    ::close(fd);
    errno = e;
  }
  return f;
}

std::string ReplacedNameText(const std::string& path, const ReplacedName& what) {
  if (!what.replaced) return std::string();
  const std::string was = !what.linkTarget.empty() ? "a link to '" + what.linkTarget + "'"
                          : what.kind.empty()        ? std::string("a second name of another file")
                                                     : what.kind;
  return "'" + path + "' was " + was + ": it is removed, and a file of its own is written in its place";
}

}  // namespace pm2
