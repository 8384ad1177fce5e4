#include "platform/atomic_file.h"

#include "platform/stale_temporaries.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace pm2 {

namespace {

class PosixDisk : public Disk {
 public:
  int CreateNew(const std::string& path, unsigned mode, int* handle) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return errno;
    // open cuts the umask's bits from the mode; the file takes exactly the
    // one asked for (a replaced file keeps its 0664). A file system without
    // modes refuses the change and keeps its own.
    (void)::fchmod(fd, static_cast<mode_t>(mode));
    *handle = fd;
    return 0;
  }
  int Write(int handle, const char* data, size_t n) override {
    while (n > 0) {
      ssize_t done = ::write(handle, data, n);
      if (done < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      if (done == 0) return EIO;
      data += done;
      n -= static_cast<size_t>(done);
    }
    return 0;
  }
  int Sync(int handle) override { return ::fsync(handle) == 0 ? 0 : errno; }
  int Close(int handle) override { return ::close(handle) == 0 ? 0 : errno; }
  int Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  int Link(const std::string& from, const std::string& to) override {
    return ::link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  int Remove(const std::string& path) override {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
  }
  int SyncFolder(const std::string& folder) override {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int rc = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // Some file systems cannot sync a folder; the rename is done all the same.
    return rc == EINVAL ? 0 : rc;
  }
  int Stat(const std::string& path, bool* exists, unsigned* mode) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
      *exists = false;
      return errno == ENOENT ? 0 : errno;
    }
    *exists = true;
    *mode = st.st_mode & 07777;
    return 0;
  }
  int ReadAll(const std::string& path, std::string* out) override {
    out->clear();
    // Non-blocking, so that a named pipe can't hold the open; only regular
    // files are read, so that a link to a device can't be read for ever.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      const bool dir = S_ISDIR(st.st_mode);
      ::close(fd);
      return dir ? EISDIR : EINVAL;
    }
    if (st.st_size > 0) out->reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
      ssize_t got = ::read(fd, buf, sizeof buf);
      if (got < 0) {
        if (errno == EINTR) continue;
        int e = errno;
        ::close(fd);
        out->clear();
        return e;
      }
      if (got == 0) break;
      out->append(buf, static_cast<size_t>(got));
    }
    ::close(fd);
    return 0;
  }
};

unsigned DefaultNewMode() {
  // umask can only be read by setting it; do that once, before threads are
  // likely to create files.
  static const unsigned mode = [] {
    mode_t old = ::umask(022);
    ::umask(old);
    return 0666u & ~static_cast<unsigned>(old);
  }();
  return mode;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::atomic<unsigned> g_tempCounter{0};

}  // namespace

Disk& RealDisk() {
  static PosixDisk disk;
  return disk;
}

std::string FileErrorText(const char* verb, const std::string& path, int errnum) {
  return std::string("Cannot ") + verb + " '" + path + "': " + std::strerror(errnum);
}

AtomicFileWriter::AtomicFileWriter(Disk* disk) : m_disk(disk ? disk : &RealDisk()) {}

bool AtomicFileWriter::Write(const std::string& path, std::string_view data, std::string* err,
                             const std::string& backupPath) {
  return WriteChunks(
      path, [data](const ChunkSink& sink) { return sink(data.data(), data.size()); }, err, backupPath);
}

bool AtomicFileWriter::WriteChunks(const std::string& path, const std::function<int(const ChunkSink&)>& produce,
                                   std::string* err, const std::string& backupPath) {
  m_backupWarning.clear();
  auto fail = [&](int e) {
    if (err) *err = FileErrorText("write", path, e);
    return false;
  };
  bool exists = false;
  unsigned mode = 0;
  if (int e = m_disk->Stat(path, &exists, &mode)) return fail(e);
  if (!exists) mode = DefaultNewMode();

  // What a killed run of ours left in this folder goes first (once per
  // folder): nothing else would ever remove it.
  if (m_disk == &RealDisk()) RemoveStaleTemporariesOnce(FolderOf(path));
  // A fresh temporary name beside the target; a leftover of a crashed run
  // with the same name is skipped, never overwritten.
  std::string temp;
  int handle = -1;
  for (int attempt = 0;; ++attempt) {
    temp = path + ".~pm2tmp" + std::to_string(::getpid()) + "_" +
           std::to_string(g_tempCounter.fetch_add(1));
    if (m_tempObserver) m_tempObserver(temp);
    int e = m_disk->CreateNew(temp, mode, &handle);
    if (e == 0) break;
    if (e != EEXIST || attempt > 100) return fail(e);
  }
  int e = produce([this, handle](const char* data, size_t n) { return m_disk->Write(handle, data, n); });
  if (e == 0) e = m_disk->Sync(handle);
  int closeErr = m_disk->Close(handle);
  if (e == 0) e = closeErr;
  if (e != 0) {
    m_disk->Remove(temp);
    return fail(e);
  }

  if (exists && !backupPath.empty() && backupPath != path) TakeBackup(path, backupPath);
  if (int re = m_disk->Rename(temp, path)) {
    m_disk->Remove(temp);
    return fail(re);
  }
  if (int se = m_disk->SyncFolder(FolderOf(path))) {
    // The new file has its name; only its durability is in doubt.
    return fail(se);
  }
  return true;
}

void AtomicFileWriter::TakeBackup(const std::string& path, const std::string& backupPath) {
  // A second name of the old file. Another writer of the same file may
  // make the backup name again between the removal and the link; the link
  // is then tried again.
  int le = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    m_disk->Remove(backupPath);
    le = m_disk->Link(path, backupPath);
    if (le != EEXIST) break;
  }
  if (le == 0) return;
  // Where no link can be made the old bytes are copied, by a whole-file
  // write of their own. The old file is never moved away from its name:
  // another program (a second instance opening the project) must find it
  // there at every moment.
  std::string old;
  int e = m_disk->ReadAll(path, &old);
  std::string temp;
  int handle = -1;
  if (e == 0) {
    for (int attempt = 0;; ++attempt) {
      temp = backupPath + ".~pm2tmp" + std::to_string(::getpid()) + "_" + std::to_string(g_tempCounter.fetch_add(1));
      if (m_tempObserver) m_tempObserver(temp);
      e = m_disk->CreateNew(temp, DefaultNewMode(), &handle);
      if (e != EEXIST || attempt > 100) break;
    }
  }
  if (e == 0) {
    e = m_disk->Write(handle, old.data(), old.size());
    if (e == 0) e = m_disk->Sync(handle);
    const int closeErr = m_disk->Close(handle);
    if (e == 0) e = closeErr;
    if (e == 0) e = m_disk->Rename(temp, backupPath);
    if (e != 0) m_disk->Remove(temp);
  }
  if (e != 0) m_backupWarning = FileErrorText("create", backupPath, e);
}

bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* err,
                         const std::string& backupPath) {
  AtomicFileWriter writer;
  return writer.Write(path, data, err, backupPath);
}

bool ReadWholeFile(const std::string& path, std::string& out, std::string* err) {
  int e = RealDisk().ReadAll(path, &out);
  if (e != 0) {
    if (err) *err = FileErrorText("read", path, e);
    return false;
  }
  return true;
}

std::string BackupNameOf(std::string_view path) {
  size_t cut = path.find_last_of("\\/");
  size_t nameStart = cut == std::string_view::npos ? 0 : cut + 1;
  std::string backup(path);
  for (size_t i = nameStart; i < backup.size(); ++i)
    if (backup[i] == '.') backup[i] = '_';
  return backup + ".Bak";
}

}  // namespace pm2
