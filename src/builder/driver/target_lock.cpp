#include "builder/driver/target_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/object_identity.h"
#include "platform/termination.h"

namespace pm2 {

std::string TargetLockPath(const std::string& runtimeFolder, const std::string& projectFile,
                           const std::string& target) {
  // FNV-1a over both names: a fixed-length file name whatever their length.
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](const std::string& s) {
    for (unsigned char c : s) {
      h ^= c;
      h *= 1099511628211ull;
    }
    h ^= 0xFF;  // keeps "ab"+"c" apart from "a"+"bc"
    h *= 1099511628211ull;
  };
  mix(projectFile);
  mix(target);
  // The user's id keeps users of one machine apart where the folder is shared (/tmp).
  char name[64];
  std::snprintf(name, sizeof name, "pm2-build-%u-%016llx.lock", static_cast<unsigned>(::getuid()),
                static_cast<unsigned long long>(h));
  std::string folder = runtimeFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + name;
}

bool TargetBuildLock::Acquire(const std::string& runtimeFolder, const std::string& projectFile,
                              const std::string& target, std::string* err) {
  Release();
  const std::string path = TargetLockPath(runtimeFolder, projectFile, target);
  // A tool that a killed build was starting holds a copy of the handle
  // until it runs (close-on-exec drops it then), which on a loaded machine
  // can take a moment: a holder that goes within the grace time was no
  // build.
  for (int waited = 0;; waited += kGraceStepMs) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      // No lock can be had (no runtime folder, a file we may not open): the
      // build goes on unguarded rather than not at all.
      if (err) *err = "Can't create '" + path + "': " + std::strerror(errno);
      return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // A releasing holder removes the file: a lock taken on the removed
      // file guards nothing.
      if (SameObject(IdentityOfDescriptor(fd), IdentityOfFile(path))) {
        fd_ = fd;
        path_ = path;
        key_ = projectFile + '\n' + target;
        // Removed while still held, as Release does.
        cleanup_ = AddTerminationCleanup([path] { ::unlink(path.c_str()); });
        return true;
      }
      // Its holder removed it as we opened it: the next open makes it anew.
      ::close(fd);
      continue;
    }
    ::close(fd);
    if (waited >= graceMs_) break;
    ::usleep(kGraceStepMs * 1000);
  }
  if (err) err->clear();
  return false;
}

void TargetBuildLock::Release() {
  if (cleanup_) RemoveTerminationCleanup(cleanup_);
  cleanup_ = 0;
  if (fd_ >= 0) {
    // Removed while still held, so that no other build takes the name's
    // lock in between; a build that opened it meanwhile sees it gone and
    // opens anew. A killed holder's file stays and is taken as it is.
    ::unlink(path_.c_str());
    ::close(fd_);  // closing drops the lock
  }
  fd_ = -1;
  path_.clear();
  key_.clear();
}

}  // namespace pm2
