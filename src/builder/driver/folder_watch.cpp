#include "builder/driver/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

namespace pm2 {

namespace {

// Any change of an entry's content, times, existence or name.
constexpr uint32_t kEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                             IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

}  // namespace

bool FolderWatch::Add(const std::string& folder) {
  if (watched_.count(folder)) return true;
  if (fd_ < 0) fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return false;
  const int wd = ::inotify_add_watch(fd_, folder.c_str(), kEvents | IN_ONLYDIR);
  if (wd < 0) return false;
  folders_[wd].push_back(folder);
  watched_.insert(folder);
  return true;
}

FolderWatch::Changes FolderWatch::Take() {
  Changes changes;
  if (fd_ < 0) return changes;
  alignas(struct inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // EAGAIN: nothing more queued
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const struct inotify_event*>(buffer + at);
      at += ssize_t(sizeof(struct inotify_event) + e->len);
      if (e->mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) {
        changes.all = true;
        continue;
      }
      auto folder = folders_.find(e->wd);
      if (folder == folders_.end()) continue;
      if (e->len == 0) {
        changes.all = true;  // the folder itself changed
        continue;
      }
      for (const std::string& name : folder->second) changes.paths.push_back(name + e->name);
    }
  }
  // A folder that went away is watched anew by whoever needs it again.
  if (changes.all) Clear();
  return changes;
}

void FolderWatch::Clear() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  folders_.clear();
  watched_.clear();
}

}  // namespace pm2
