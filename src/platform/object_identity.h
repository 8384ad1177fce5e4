// Which file stands behind a named POSIX object (on Linux, a file in
// /dev/shm): its device and inode. A name that another process removed and
// made anew gives another file, so comparing identities tells whether a
// name still gives the object this process opened.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace pm2 {

struct ObjectIdentity {
  dev_t dev = 0;
  ino_t ino = 0;
  bool known = false;  // false: nothing was found to compare
};

inline ObjectIdentity IdentityOfFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {};
  return {st.st_dev, st.st_ino, true};
}

inline ObjectIdentity IdentityOfDescriptor(int fd) {
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) return {};
  return {st.st_dev, st.st_ino, true};
}

inline bool SameObject(const ObjectIdentity& a, const ObjectIdentity& b) {
  return a.known && b.known && a.dev == b.dev && a.ino == b.ino;
}

}  // namespace pm2
