#include "platform/ipc_semaphore.h"

#include "platform/mapping_cut_guard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace pm2 {
namespace {

// Linux keeps named semaphores as files "sem.<name>" in /dev/shm.
std::string FileOf(const std::string& name) { return "/dev/shm/sem." + name.substr(1); }

bool OwnedByUs(const std::string& name) {
  std::string path = FileOf(name);
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return true;  // not visible here: nothing to compare
  return st.st_uid == getuid();
}

timespec Deadline(int timeoutMs) {
  timespec ts {};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  ts.tv_sec += timeoutMs / 1000;
  ts.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
  if (ts.tv_nsec >= 1000000000L) {
    ts.tv_sec += 1;
    ts.tv_nsec -= 1000000000L;
  }
  return ts;
}

}  // namespace

IpcSemaphore::~IpcSemaphore() { Close(); }

bool IpcSemaphore::Create(const std::string& name, unsigned initial, std::string* err) {
  Close();
  sem_t* s = sem_open(name.c_str(), O_CREAT | O_EXCL, 0600, initial);
  if (s == SEM_FAILED) {
    const int e = errno;
    if (err) *err = "Cannot create the semaphore '" + name + "': " + std::strerror(e);
    errno = e;
    return false;
  }
  m_sem = s;
  m_name = name;
  m_identity = IdentityOfFile(FileOf(name));
  GuardAgainstCuts();
  return true;
}

bool IpcSemaphore::Open(const std::string& name, std::string* err) {
  Close();
  sem_t* s = sem_open(name.c_str(), 0);
  if (s == SEM_FAILED) {
    const int e = errno;
    if (err) *err = "Cannot open the semaphore '" + name + "': " + std::strerror(e);
    errno = e;  // the caller tells a missing object from others
    return false;
  }
  if (!OwnedByUs(name)) {
    sem_close(s);
    if (err) *err = "The semaphore '" + name + "' belongs to another user";
    errno = EACCES;
    return false;
  }
  m_sem = s;
  m_name = name;
  m_identity = IdentityOfFile(FileOf(name));
  GuardAgainstCuts();
  return true;
}

bool IpcSemaphore::OpenOrCreate(const std::string& name, unsigned initial, std::string* err) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (Open(name, err)) return true;
    if (errno != ENOENT) return false;
    if (Create(name, initial, err)) return true;
    if (errno != EEXIST) return false;  // else made meanwhile: open it
  }
  return false;
}

void IpcSemaphore::GuardAgainstCuts() {
  // The object is the whole file, mapped from its start. Only the file that
  // is mapped is guarded (the name may give another one meanwhile).
  const int fd = ::open(FileOf(m_name).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return;
  if (!SameObject(IdentityOfDescriptor(fd), m_identity)) {
    ::close(fd);
    return;
  }
  m_fd = fd;
  m_cutGuard = GuardMappingAgainstCuts(reinterpret_cast<uint8_t*>(m_sem), sizeof(sem_t), m_fd);
}

bool IpcSemaphore::Cut(long long* foundSize, bool lookAtSize) {
  const long long mended = TakeMendedCut(m_cutGuard);
  if (mended >= 0) {
    *foundSize = mended;
    return true;
  }
  struct stat st {};
  if (!lookAtSize || m_fd < 0 || ::fstat(m_fd, &st) != 0 || static_cast<size_t>(st.st_size) >= sizeof(sem_t))
    return false;
  *foundSize = static_cast<long long>(st.st_size);
  return ::ftruncate(m_fd, static_cast<off_t>(sizeof(sem_t))) == 0;
}

void IpcSemaphore::Close() {
  UnguardMapping(m_cutGuard);
  m_cutGuard = -1;
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (m_sem != SEM_FAILED) sem_close(m_sem);
  m_sem = SEM_FAILED;
  m_identity = {};
}

bool IpcSemaphore::StillNamed() const {
  return m_sem != SEM_FAILED && SameObject(m_identity, IdentityOfFile(FileOf(m_name)));
}

IpcWaitResult IpcSemaphore::Wait(int timeoutMs) {
  if (m_sem == SEM_FAILED) return IpcWaitResult::Failed;
  timespec deadline = Deadline(timeoutMs);
  for (;;) {
    if (sem_clockwait(m_sem, CLOCK_MONOTONIC, &deadline) == 0) return IpcWaitResult::Acquired;
    if (errno == EINTR) continue;
    return errno == ETIMEDOUT ? IpcWaitResult::TimedOut : IpcWaitResult::Failed;
  }
}

bool IpcSemaphore::TryWait() {
  if (m_sem == SEM_FAILED) return false;
  for (;;) {
    if (sem_trywait(m_sem) == 0) return true;
    if (errno != EINTR) return false;
  }
}

void IpcSemaphore::Release() {
  if (m_sem != SEM_FAILED && Value() < 1) sem_post(m_sem);
}

int IpcSemaphore::Value() const {
  int v = 0;
  if (m_sem == SEM_FAILED || sem_getvalue(m_sem, &v) != 0) return -1;
  return v;
}

void IpcSemaphore::Unlink(const std::string& name) { sem_unlink(name.c_str()); }

bool IpcLock::Lock(int timeoutMs) {
  if (m_held) return true;
  m_held = m_sem.Wait(timeoutMs) == IpcWaitResult::Acquired;
  return m_held;
}

void IpcLock::Unlock() {
  if (m_held) m_sem.Release();
  m_held = false;
}

void IpcEvent::Set() { m_sem.Release(); }

IpcWaitResult IpcEvent::Wait(int timeoutMs) {
  IpcWaitResult r = m_sem.Wait(timeoutMs);
  if (r == IpcWaitResult::Acquired)
    while (m_sem.TryWait()) {
    }
  return r;
}

bool IpcEvent::Poll() {
  if (!m_sem.TryWait()) return false;
  while (m_sem.TryWait()) {
  }
  return true;
}

IpcWaitResult WaitForAnyEvent(const std::vector<IpcEvent*>& events, int timeoutMs, int* index) {
  if (events.empty()) return IpcWaitResult::Failed;
  constexpr int kPollMs = 5;
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    for (size_t i = 0; i < events.size(); ++i) {
      if (events[i]->Poll()) {
        if (index) *index = static_cast<int>(i);
        return IpcWaitResult::Acquired;
      }
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    if (left <= 0) return IpcWaitResult::TimedOut;
    int slice = events.size() == 1 ? static_cast<int>(left) : std::min<int>(kPollMs, static_cast<int>(left));
    IpcWaitResult r = events[0]->Wait(slice);
    if (r == IpcWaitResult::Acquired) {
      if (index) *index = 0;
      return r;
    }
    if (r == IpcWaitResult::Failed) return r;
  }
}

}  // namespace pm2
