// One build of a target at a time, across all instances of the program of
// one user: an advisory lock (flock) on a file in the user's runtime folder
// named after the project file and the target. The kernel drops the lock
// when its holder ends, however it ends, so a killed build leaves no lock;
// a build that ends removes the file, so no file is left either, nor does
// a program ended by SIGTERM, SIGINT or SIGHUP (its termination cleanup
// removes it). Only SIGKILL leaves the file, which the next build takes as
// it is.
#pragma once

#include <string>

namespace pm2 {

class TargetBuildLock {
 public:
  // graceMs: how long Acquire waits for a holder that is about to go
  // before it says another build holds the target.
  explicit TargetBuildLock(int graceMs = 500) : graceMs_(graceMs) {}
  TargetBuildLock(const TargetBuildLock&) = delete;
  TargetBuildLock& operator=(const TargetBuildLock&) = delete;
  ~TargetBuildLock() { Release(); }

  // projectFile: the project file's absolute path. False, with nothing
  // held, when another build holds the target (still holds it after the
  // grace time). When the lock file can't be
  // made, true with nothing held and *err saying why: a build is not
  // refused for want of a lock.
  bool Acquire(const std::string& runtimeFolder, const std::string& projectFile, const std::string& target,
               std::string* err = nullptr);
  void Release();
  bool Held() const { return fd_ >= 0; }
  // The key it holds: project file and target.
  const std::string& Key() const { return key_; }

 private:
  static constexpr int kGraceStepMs = 10;
  int fd_ = -1;
  int graceMs_;
  int cleanup_ = 0;  // the termination cleanup that removes the file; 0: none
  std::string path_;
  std::string key_;
};

// The lock file's name for a project file and target (in runtimeFolder).
std::string TargetLockPath(const std::string& runtimeFolder, const std::string& projectFile,
                           const std::string& target);

}  // namespace pm2
