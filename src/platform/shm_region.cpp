#include "platform/shm_region.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pm2 {

ShmRegion::~ShmRegion() { Unmap(); }

bool ShmRegion::Create(const std::string& name, size_t size, std::string* err) {
  Unmap();
  int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (err) *err = "Cannot create the shared memory '" + name + "': " + std::strerror(errno);
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
    if (err) *err = "Cannot open the shared memory '" + name + "': " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || st.st_uid != getuid()) {
    close(fd);
    if (err) *err = "The shared memory '" + name + "' belongs to another user";
    return false;
  }
  if (static_cast<size_t>(st.st_size) != size) {
    close(fd);
    if (err) *err = "The shared memory '" + name + "' has the wrong size";
    return false;
  }
  return MapFd(fd, name, size, err);
}

bool ShmRegion::MapFd(int fd, const std::string& name, size_t size, std::string* err) {
  void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  int e = errno;
  close(fd);
  if (p == MAP_FAILED) {
    if (err) *err = "Cannot map the shared memory '" + name + "': " + std::strerror(e);
    return false;
  }
  m_data = static_cast<uint8_t*>(p);
  m_size = size;
  return true;
}

void ShmRegion::Unmap() {
  if (m_data) munmap(m_data, m_size);
  m_data = nullptr;
  m_size = 0;
}

void ShmRegion::Unlink(const std::string& name) { shm_unlink(name.c_str()); }

}  // namespace pm2
