#include "platform/ipc_file_lock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <set>
#include <string>

namespace pm2 {

IpcFileLock::~IpcFileLock() { Close(); }

IpcFileLock::IpcFileLock(IpcFileLock&& other) noexcept : m_fd(other.m_fd), m_path(std::move(other.m_path)) {
  other.m_fd = -1;
}

IpcFileLock& IpcFileLock::operator=(IpcFileLock&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = other.m_fd;
    m_path = std::move(other.m_path);
    other.m_fd = -1;
  }
  return *this;
}

bool IpcFileLock::Open(const std::string& path, std::string* err) {
  Close();
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    if (err) *err = "Cannot open the lock file '" + path + "': " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || st.st_uid != getuid()) {
    close(fd);
    if (err) *err = "The lock file '" + path + "' belongs to another user";
    return false;
  }
  m_fd = fd;
  m_path = path;
  return true;
}

bool IpcFileLock::TryExclusive() { return m_fd >= 0 && flock(m_fd, LOCK_EX | LOCK_NB) == 0; }

bool IpcFileLock::TryShared() { return m_fd >= 0 && flock(m_fd, LOCK_SH | LOCK_NB) == 0; }

bool IpcFileLock::Exclusive(int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  // A holder keeps the lock for one ring write, a few microseconds: the
  // first looks come soon after, the pause grows to a millisecond for a
  // holder that keeps it longer.
  auto pause = std::chrono::microseconds(10);
  for (;;) {
    if (TryExclusive()) return true;
    if (m_fd < 0 || std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(1000));
  }
}

void IpcFileLock::Unlock() {
  if (m_fd >= 0) flock(m_fd, LOCK_UN);
}

bool IpcFileLock::StillLinked() const {
  struct stat own {}, named {};
  if (m_fd < 0 || fstat(m_fd, &own) != 0 || own.st_nlink == 0) return false;
  return lstat(m_path.c_str(), &named) == 0 && named.st_ino == own.st_ino && named.st_dev == own.st_dev;
}

long long IpcFileLock::AgeMs() const {
  struct stat own {};
  struct timespec now {};
  if (m_fd < 0 || fstat(m_fd, &own) != 0 || clock_gettime(CLOCK_REALTIME, &now) != 0) return 0;
  const long long ms = (now.tv_sec - own.st_ctim.tv_sec) * 1000LL + (now.tv_nsec - own.st_ctim.tv_nsec) / 1000000LL;
  return std::max(0LL, ms);
}

bool IpcFileLock::SetWord(uint32_t value, int index) {
  const off_t at = static_cast<off_t>(sizeof value) * index;
  return m_fd >= 0 && pwrite(m_fd, &value, sizeof value, at) == static_cast<ssize_t>(sizeof value);
}

uint32_t IpcFileLock::Word(int index) const {
  uint32_t value = 0;
  const off_t at = static_cast<off_t>(sizeof value) * index;
  if (m_fd < 0 || pread(m_fd, &value, sizeof value, at) != static_cast<ssize_t>(sizeof value)) return 0;
  return value;
}

namespace {

// One pass over the kernel's list of locks: calls `seen` with the access
// ("READ", "WRITE") and the process of each lock held on the file (device,
// inode); locks that wait for it are passed by.
template <class Seen>
void LocksOnFile(const struct stat& own, Seen seen) {
  // A line of /proc/locks: "<n>: FLOCK  ADVISORY  WRITE <pid> <major>:<minor>:<inode> <start> <end>";
  // a lock that waits for it has "->" before its kind.
  std::FILE* locks = std::fopen("/proc/locks", "re");
  if (!locks) return;
  char line[256];
  while (std::fgets(line, sizeof line, locks)) {
    char kind[16] = {}, mode[16] = {}, access[16] = {};
    int pid = 0;
    unsigned major = 0, minor = 0;
    unsigned long inode = 0;
    if (std::sscanf(line, "%*d: %15s %15s %15s %d %x:%x:%lu", kind, mode, access, &pid, &major, &minor, &inode) != 7)
      continue;
    if (std::strcmp(kind, "->") == 0 || pid <= 0) continue;
    if (inode == own.st_ino && major == ::major(own.st_dev) && minor == ::minor(own.st_dev))
      if (!seen(access, pid)) break;
  }
  std::fclose(locks);
}

// The first other process with a lock on the file, or 0.
int LockHolderInList(const struct stat& own) {
  int holder = 0;
  LocksOnFile(own, [&holder](const char*, int pid) {
    if (pid != getpid()) holder = pid;
    return holder == 0;
  });
  return holder;
}

// The list is read a page at a time and the kernel lets go of it between
// pages: locks that go meanwhile (every program on the event interface
// takes and gives back locks all the time) move the rest back, past the
// reader, so one pass can miss a lock that is held throughout.
constexpr int kLockListPasses = 100;
// The processes holding a lock are gathered over this many passes: a lock
// held throughout that one pass missed, another meets.
constexpr int kLockCountPasses = 8;

// The shared locks a process holds on the file: one for each of its open
// descriptions of the file that holds one (its descriptors' fdinfo names
// the locks held through them). -1 when its descriptors cannot be read.
int SharedLocksOfProcess(int pid, const struct stat& own) {
  const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  DIR* dir = opendir(fds.c_str());
  if (!dir) return errno == ENOENT ? 0 : -1;
  int count = 0;
  while (const dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    struct stat st {};
    if (stat((fds + "/" + e->d_name).c_str(), &st) != 0 || st.st_ino != own.st_ino || st.st_dev != own.st_dev)
      continue;
    std::FILE* info = std::fopen(("/proc/" + std::to_string(pid) + "/fdinfo/" + e->d_name).c_str(), "re");
    if (!info) continue;
    char line[256];
    bool held = false;
    while (!held && std::fgets(line, sizeof line, info))
      held = std::strncmp(line, "lock:", 5) == 0 && std::strstr(line, " READ ") && !std::strstr(line, "->");
    std::fclose(info);
    count += held ? 1 : 0;
  }
  closedir(dir);
  return count;
}

}  // namespace

int IpcFileLock::SharedHolderCount() const {
  struct stat own {};
  if (m_fd < 0 || fstat(m_fd, &own) != 0) return -1;
  // A pass over the kernel's list can miss a lock (locks that go move the
  // rest back) or meet one twice (locks that come move the rest on), and
  // where other programs take and give back locks without pause no count
  // of lines is right for sure. The list only names the processes: those
  // of a few passes are gathered, and each one's own descriptors say how
  // many shared locks it holds now (none once it has left).
  std::set<int> pids;
  for (int pass = 0; pass < kLockCountPasses; ++pass)
    LocksOnFile(own, [&pids](const char* access, int pid) {
      if (std::strcmp(access, "READ") == 0) pids.insert(pid);
      return true;
    });
  int count = 0;
  for (int pid : pids) {
    const int held = SharedLocksOfProcess(pid, own);
    count += held < 0 ? 1 : held;
  }
  return count;
}

int IpcFileLock::HolderPid() const {
  struct stat own {};
  if (m_fd < 0 || fstat(m_fd, &own) != 0) return 0;
  int holder = 0;
  for (int pass = 0; pass < kLockListPasses && holder == 0; ++pass) holder = LockHolderInList(own);
  return holder;
}

void IpcFileLock::Close() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
}

}  // namespace pm2
