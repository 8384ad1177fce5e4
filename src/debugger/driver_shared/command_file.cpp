#include "debugger/driver_shared/command_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "driver_abi/file_kind.h"

namespace pm2 {

bool ReadCommandFile(const std::string& path, std::string* text, std::string* why) {
  text->clear();
  // Not blocking: a named pipe without a writer opens at once and is
  // refused below. O_NOCTTY: a terminal named here does not become ours.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    // A socket cannot be opened at all: said as what it is, as the rest.
    struct stat st {};
    if (errno == ENXIO && ::stat(path.c_str(), &st) == 0 && FileKindText(st.st_mode)) {
      *why = "'" + path + "' is " + FileKindText(st.st_mode) + ", not a file of commands";
      return false;
    }
    *why = "can't read '" + path + "': " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    *why = "can't read '" + path + "': " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  if (const char* kind = FileKindText(st.st_mode)) {
    *why = "'" + path + "' is " + kind + ", not a file of commands";
    ::close(fd);
    return false;
  }
  if (std::size_t(st.st_size) > kCommandFileMax) {
    *why = "'" + path + "' is larger than " + std::to_string(kCommandFileMax >> 20) + " MB, not a file of commands";
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // The file may grow while it is read: never past the bound.
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *why = "can't read '" + path + "': " + std::strerror(errno);
      text->clear();
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    text->append(buffer, std::size_t(n));
    if (text->size() > kCommandFileMax) {
      *why = "'" + path + "' is larger than " + std::to_string(kCommandFileMax >> 20) + " MB, not a file of commands";
      text->clear();
      ::close(fd);
      return false;
    }
  }
  ::close(fd);
  return true;
}

}  // namespace pm2
