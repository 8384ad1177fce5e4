#include "platform/ipc_private_names.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/ipc_file_lock.h"

namespace pm2 {
namespace {

constexpr size_t kKeyDigits = 32;
// Changes of the key file wait this long at most for another start's.
constexpr int kKeyLockTimeoutMs = 5000;

bool ValidKey(const std::string& text) {
  if (text.size() != kKeyDigits) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

bool NewKey(std::string* key) {
  unsigned char bytes[kKeyDigits / 2];
  size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  static const char kHex[] = "0123456789abcdef";
  key->clear();
  for (unsigned char b : bytes) {
    key->push_back(kHex[b >> 4]);
    key->push_back(kHex[b & 15]);
  }
  return true;
}

// Writes the key whole into a new temporary file beside `path` (mode 0600,
// synced); its path, "" with *err when it cannot.
std::string WriteTemporary(const std::string& path, const std::string& key, std::string* err) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  const std::string text = key + "\n";
  if (fd >= 0 && fchmod(fd, 0600) == 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
      fsync(fd) == 0 && close(fd) == 0)
    return temporary;
  const int e = errno;
  if (fd >= 0) {
    close(fd);
    unlink(temporary.c_str());
  }
  *err = "Cannot write the file '" + path + "': " + std::strerror(e);
  return "";
}

}  // namespace

bool ReadPrivateKey(const IpcNamespace& ns, std::string* key) {
  const int fd = open(ns.PrivateKeyFile().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  struct stat st {};
  char text[kKeyDigits + 2] = {};
  const bool own = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ns.uid;
  const ssize_t n = own ? read(fd, text, sizeof text) : -1;
  close(fd);
  if (n != static_cast<ssize_t>(kKeyDigits + 1) || text[kKeyDigits] != '\n') return false;
  const std::string found(text, kKeyDigits);
  if (!ValidKey(found)) return false;
  *key = found;
  return true;
}

bool ObtainPrivateKey(const IpcNamespace& ns, const std::string& refused, std::string* key, std::string* err) {
  if (!ns.EnsureRuntimeDir(err)) return false;
  const std::string path = ns.PrivateKeyFile();
  IpcFileLock lock;
  if (!lock.Open(path + ".lock", err)) return false;
  if (!lock.Exclusive(kKeyLockTimeoutMs)) {
    *err = "Timed out waiting for the lock file '" + lock.Path() + "'";
    return false;
  }
  std::string current;
  const bool known = ReadPrivateKey(ns, &current);
  if (known && current != refused) {
    *key = current;
    return true;
  }
  std::string fresh;
  if (!NewKey(&fresh)) {
    *err = std::string("No random key for the file '") + path + "': " + std::strerror(errno);
    return false;
  }
  const std::string temporary = WriteTemporary(path, fresh, err);
  if (temporary.empty()) return false;
  // Renamed into place (over a refused or damaged one), synced with its
  // folder: a reader sees the old key or the new one, whole.
  const bool placed = rename(temporary.c_str(), path.c_str()) == 0;
  const int e = errno;
  if (!placed) {
    unlink(temporary.c_str());
    *err = "Cannot write the file '" + path + "': " + std::strerror(e);
    return false;
  }
  if (const int folder = open(ns.runtimeDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder >= 0) {
    fsync(folder);
    close(folder);
  }
  *key = fresh;
  return true;
}

}  // namespace pm2
