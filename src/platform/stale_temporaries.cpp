#include "platform/stale_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

namespace pm2 {

namespace {

constexpr std::string_view kMark = ".~pm2tmp";

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

long StaleTemporaryOwner(std::string_view name) {
  const std::size_t at = name.rfind(kMark);
  if (at == std::string_view::npos || at == 0) return 0;
  const std::string_view tail = name.substr(at + kMark.size());
  const std::size_t bar = tail.find('_');
  if (bar == std::string_view::npos) return 0;
  const std::string_view pid = tail.substr(0, bar), counter = tail.substr(bar + 1);
  if (!AllDigits(pid) || !AllDigits(counter) || pid.size() > 9) return 0;
  long value = 0;
  for (char c : pid) value = value * 10 + (c - '0');
  return value;
}

int RemoveStaleTemporaries(const std::string& folder) {
  const std::string dirPath = folder.empty() ? std::string(".") : folder;
  DIR* dir = ::opendir(dirPath.c_str());
  if (!dir) return 0;
  const int dirFd = ::dirfd(dir);
  int removed = 0;
  while (const dirent* e = ::readdir(dir)) {
    const long pid = StaleTemporaryOwner(e->d_name);
    if (pid <= 0 || pid == long(::getpid())) continue;
    struct stat st {};
    if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
    // A process of that number that runs may be the writer: its copy stays.
    if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
    if (::unlinkat(dirFd, e->d_name, 0) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

void RemoveStaleTemporariesOnce(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> looked;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!looked.insert(folder).second) return;
  }
  RemoveStaleTemporaries(folder);
}

}  // namespace pm2
