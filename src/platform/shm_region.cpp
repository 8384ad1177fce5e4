#include "platform/shm_region.h"

#include "platform/mapping_cut_guard.h"
#include "platform/object_identity.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pm2 {
namespace {

struct flock ByteRange(size_t at, short type) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(at);
  range.l_len = 1;
  return range;
}

bool LockedByOthers(int fd, size_t at, bool exclusive) {
  // Asked as the lock that would stand against it; this open file
  // description's own locks never conflict with it.
  struct flock range = ByteRange(at, exclusive ? F_WRLCK : F_RDLCK);
  return fd >= 0 && fcntl(fd, F_OFD_GETLK, &range) == 0 && range.l_type != F_UNLCK;
}

}  // namespace

ShmRegion::~ShmRegion() { Unmap(); }

bool ShmRegion::Create(const std::string& name, size_t size, std::string* err) {
  Unmap();
  int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    const int e = errno;
    if (err) *err = "Cannot create the shared memory '" + name + "': " + std::strerror(e);
    errno = e;  // the caller tells a missing object from others
    return false;
  }
  fchmod(fd, 0600);  // the umask may only narrow it; make it exact
  if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
    int e = errno;
    close(fd);
    shm_unlink(name.c_str());
    if (err) *err = "Cannot size the shared memory '" + name + "': " + std::strerror(e);
    return false;
  }
  return MapFd(fd, name, size, err);
}

bool ShmRegion::Open(const std::string& name, size_t size, std::string* err) {
  Unmap();
  int fd = shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
  if (fd < 0) {
    const int e = errno;
    if (err) *err = "Cannot open the shared memory '" + name + "': " + std::strerror(e);
    errno = e;  // the caller tells a missing object from others
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || st.st_uid != getuid()) {
    close(fd);
    if (err) *err = "The shared memory '" + name + "' belongs to another user";
    errno = EACCES;
    return false;
  }
  if (static_cast<size_t>(st.st_size) < size && ftruncate(fd, static_cast<off_t>(size)) != 0) {
    int e = errno;
    close(fd);
    if (err) *err = "The shared memory '" + name + "' is too short and cannot be resized: " + std::strerror(e);
    return false;
  }
  return MapFd(fd, name, size, err);
}

bool ShmRegion::OpenOrCreate(const std::string& name, size_t size, bool* created, std::string* err) {
  *created = false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (Open(name, size, err)) return true;
    if (errno != ENOENT) return false;
    if (Create(name, size, err)) {
      *created = true;
      return true;
    }
    if (errno != EEXIST) return false;  // else made meanwhile: open it
  }
  return false;
}

bool ShmRegion::IntactSize(size_t* foundSize, bool* restored) {
  *restored = true;
  struct stat st {};
  if (m_fd < 0 || fstat(m_fd, &st) != 0) return true;  // nothing to compare: assume intact
  *foundSize = static_cast<size_t>(st.st_size);
  if (*foundSize >= m_size) return true;
  *restored = ftruncate(m_fd, static_cast<off_t>(m_size)) == 0;
  return false;
}

bool ShmRegion::MapFd(int fd, const std::string& name, size_t size, std::string* err) {
  void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  int e = errno;
  if (p == MAP_FAILED) {
    close(fd);
    errno = e;
    if (err) *err = "Cannot map the shared memory '" + name + "': " + std::strerror(e);
    return false;
  }
  m_data = static_cast<uint8_t*>(p);
  m_size = size;
  m_fd = fd;
  m_name = name;
  m_guard = GuardMappingAgainstCuts(m_data, m_size, m_fd);
  return true;
}

long long ShmRegion::TakeMendedCut() { return pm2::TakeMendedCut(m_guard); }

void ShmRegion::Unmap() {
  UnguardMapping(m_guard);
  m_guard = -1;
  if (m_data) munmap(m_data, m_size);
  if (m_fd >= 0) close(m_fd);
  m_data = nullptr;
  m_size = 0;
  m_fd = -1;
  m_name.clear();
}

bool ShmRegion::StillNamed() const {
  // Linux keeps shared-memory objects as files of their name in /dev/shm.
  return m_fd >= 0 && !m_name.empty() &&
         SameObject(IdentityOfDescriptor(m_fd), IdentityOfFile("/dev/shm/" + m_name.substr(1)));
}

bool ShmRegion::LockByte(size_t at, bool exclusive) {
  struct flock range = ByteRange(at, exclusive ? F_WRLCK : F_RDLCK);
  return m_fd >= 0 && fcntl(m_fd, F_OFD_SETLK, &range) == 0;
}

void ShmRegion::UnlockByte(size_t at) {
  struct flock range = ByteRange(at, F_UNLCK);
  if (m_fd >= 0) fcntl(m_fd, F_OFD_SETLK, &range);
}

bool ShmRegion::ByteLockedByOthers(size_t at, bool exclusive) const { return LockedByOthers(m_fd, at, exclusive); }

bool ShmRegion::NamedByteLocked(const std::string& name, size_t at, bool exclusive) {
  const int fd = shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool locked = LockedByOthers(fd, at, exclusive);
  close(fd);
  return locked;
}

bool ShmRegion::Exists(const std::string& name) {
  const int fd = shm_open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return errno != ENOENT;
  close(fd);
  return true;
}

void ShmRegion::Unlink(const std::string& name) { shm_unlink(name.c_str()); }

}  // namespace pm2
