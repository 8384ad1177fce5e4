// An advisory lock on a file in the runtime folder (flock), held for as long
// as the object lives. The kernel drops it when the process dies, which is
// how a crashed owner's slot and a dead set of shared objects are detected.
#pragma once

#include <cstdint>
#include <string>

namespace pm2 {

class IpcFileLock {
 public:
  IpcFileLock() = default;
  ~IpcFileLock();
  IpcFileLock(const IpcFileLock&) = delete;
  IpcFileLock& operator=(const IpcFileLock&) = delete;
  IpcFileLock(IpcFileLock&& other) noexcept;
  IpcFileLock& operator=(IpcFileLock&& other) noexcept;

  // Opens (creating with mode 0600) the lock file. A file that another
  // user owns is refused. False with *err naming the file.
  bool Open(const std::string& path, std::string* err);
  bool IsOpen() const { return m_fd >= 0; }

  // Without blocking: true when the lock was taken.
  bool TryExclusive();
  bool TryShared();
  // Waits at most timeoutMs for the exclusive lock.
  bool Exclusive(int timeoutMs);
  void Unlock();
  void Close();

  // The file is still the one its path names (the last user of a set of
  // lock files removes them; a lock taken on a removed one guards nothing).
  bool StillLinked() const;
  // How long ago the file was made (its status last changed: a lock file's
  // contents and mode stay as made, bar a guard's words); 0 when unknown.
  long long AgeMs() const;
  // Words kept in the file (word 0 at its start, word 1 after it): what the
  // holder tells a waiter that gets the lock after it (0 when the file is
  // too short to hold the word).
  bool SetWord(uint32_t value, int index = 0);
  uint32_t Word(int index = 0) const;

  const std::string& Path() const { return m_path; }
  // The process that holds a lock on this file (the kernel's list of
  // locks), 0 when none is found; this process's own are passed by.
  int HolderPid() const;
  // How many shared locks are held on this file, this process's among them
  // (the kernel's list of locks); -1 when the file is not open. A process
  // that died holds none, whatever it left behind.
  int SharedHolderCount() const;

 private:
  int m_fd = -1;
  std::string m_path;
};

}  // namespace pm2
