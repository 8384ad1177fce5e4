#include "project/files/stored_file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pm2 {

bool ReadStoredFile(const std::string& path, std::size_t limit, std::string& out, std::string* err,
                    int* errnoOut) {
  out.clear();
  if (errnoOut) *errnoOut = 0;
  auto fail = [&](const std::string& text) {
    if (err) *err = text;
    return false;
  };
  // Non-blocking, so that opening a named pipe without a writer returns at
  // once; the descriptor is made blocking again for a regular file.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int e = errno;
    if (errnoOut) *errnoOut = e;
    return fail("Can't read '" + path + "': " + std::strerror(e));
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return fail("'" + path + "' is not a regular file");
  }
  if (std::size_t(st.st_size) > limit) {
    ::close(fd);
    return fail("'" + path + "' is larger than " + std::to_string(limit) + " bytes");
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  out.resize(std::size_t(st.st_size));
  std::size_t got = 0;
  // The file may grow while it is read: never past the bound.
  while (got < out.size()) {
    ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int e = errno;
      ::close(fd);
      out.clear();
      return fail("Can't read '" + path + "': " + std::strerror(e));
    }
    if (n == 0) break;
    got += std::size_t(n);
  }
  out.resize(got);
  ::close(fd);
  return true;
}

}  // namespace pm2
