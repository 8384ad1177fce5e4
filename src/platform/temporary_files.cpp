#include "platform/temporary_files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

#include "platform/termination.h"

namespace pm2 {
namespace {

std::mutex& FilesMutex() {
  static std::mutex m;
  return m;
}
std::set<std::string>& Files() {
  static std::set<std::string> s;
  return s;
}
// The end by a signal marks itself under way before its cleanups run:
// a file made before this takes the lock is removed here, and none is made
// after (CreateTemporaryFile looks at the mark under the lock).
void RemoveAll() {
  std::lock_guard<std::mutex> lock(FilesMutex());
  for (const std::string& path : Files()) ::unlink(path.c_str());
  Files().clear();
}

// Registered outside FilesMutex: the cleanups run under a lock of their own,
// and RemoveAll takes FilesMutex under it.
void WatchFiles() {
  static const int cleanup = AddTerminationCleanup(RemoveAll);
  (void)cleanup;
}

}  // namespace

int CreateTemporaryFile(const std::string& path) {
  WatchFiles();
  std::lock_guard<std::mutex> lock(FilesMutex());
  if (TerminationUnderWay()) {
    errno = ECANCELED;
    return -1;
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) Files().insert(path);
  return fd;
}

int CreateUniqueTemporaryFile(std::string& path, int suffixLength) {
  WatchFiles();
  std::lock_guard<std::mutex> lock(FilesMutex());
  if (TerminationUnderWay()) {
    errno = ECANCELED;
    return -1;
  }
  const int fd = ::mkostemps(path.data(), suffixLength, O_CLOEXEC);
  if (fd >= 0) Files().insert(path);
  return fd;
}

void RemoveTemporaryFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(FilesMutex());
  ::unlink(path.c_str());
  Files().erase(path);
}

}  // namespace pm2
