// Loading a text file into the line list and saving it back with the line
// ends it was read with. Saving replaces the file atomically.
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "driver_abi/file_kind.h"
#include "editor/text/file_lock.h"
#include "editor/text/text_buffer.h"
#include "platform/atomic_file.h"

namespace pm2 {

namespace {
constexpr size_t kChunk = 32767;
constexpr char kCtrlZ = 26;

bool ReadAll(int fd, size_t size, std::string& out) {
  out.resize(size);
  size_t got = 0;
  while (got < size) {
    ssize_t n = ::read(fd, out.data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // the file shrank meanwhile
    got += size_t(n);
  }
  out.resize(got);
  return true;
}

// An existing file without any write permission bit: the read-only
// attribute as LoadFile and SaveFile see it. access() would call every file
// writable for a privileged user.
bool IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}
}  // namespace

int CEditTextBuffer::LoadFromBytes(std::string data) {
  auto fail = [&](int code) {
    FreeEditLineList(m_pFirstLine);
    SetFirstLine(NewEditLine(32));
    return code;
  };
  if (data.empty()) return fail(kEditOk);
  int mode = DetectLineEnd(data.data(), int(data.size()));
  if (mode < 0 && data.size() >= size_t(kMaxLineColumns)) return fail(kEditLineTooLong);
  SetLineEndMode(mode < 0 ? kLineEndCrLf : mode);
  if (data.back() == kCtrlZ) data.pop_back();
  if (data.empty()) return fail(kEditOk);
  // NUL bytes are kept as part of their line: nothing is dropped.
  int count = 0;
  CEditLine* pList = TextToLines(data.data(), int(data.size()), &count);
  if (!pList) return fail(kEditCannotRead);
  FreeEditLineList(m_pFirstLine);
  SetFirstLine(pList);
  return kEditOk;
}

int CEditTextBuffer::ReadFileChunks(int fd, size_t bytesPerRead) {
  if (bytesPerRead == 0) bytesPerRead = kChunk;
  std::string data;
  std::string chunk(bytesPerRead, '\0');
  for (;;) {
    ssize_t n = ::read(fd, chunk.data(), bytesPerRead);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return kEditCannotRead;
    if (n == 0) break;
    data.append(chunk.data(), size_t(n));
  }
  return LoadFromBytes(std::move(data));
}

int CEditTextBuffer::LoadFile(const std::string& path) {
  CloseKeptHandle();
  m_lastFileError.clear();
  // Opened without waiting: a named pipe opened for reading waits for a
  // writer that may never come, and a device may never reach an end. Such
  // a name is refused with what stands there, before a byte is read.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno;
  struct stat st {};
  int rc = kEditOk;
  bool statted = ::fstat(fd, &st) == 0;
  if (const char* kind = statted ? FileKindText(st.st_mode) : nullptr) {
    ::close(fd);
    m_lastFileError = "'" + path + "' is " + kind + ", not a text file.";
    return kEditCannotRead;
  }
  // A plain file reads the same either way; a lock taken on it below waits
  // as before.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (statted && st.st_size > 0) {
    std::string data;
    if (!ReadAll(fd, size_t(st.st_size), data)) {
      ::close(fd);
      return kEditNoMemory;
    }
    rc = LoadFromBytes(std::move(data));
  } else {
    rc = ReadFileChunks(fd, kChunk);
  }
  if (rc != kEditOk) {
    ::close(fd);
    return rc;
  }
  // The read-only attribute is the file's lack of write permission bits,
  // the same test a save makes; access() would call every file writable
  // for a privileged user and let the save refuse what the load allowed.
  if (statted && (st.st_mode & 0222) == 0) SetReadOnly(1);
  if (m_bLockFile) {
    m_keptFd = fd;
    LockKeptFile(fd);
  } else {
    ::close(fd);
  }
  return kEditOk;
}

int CEditTextBuffer::SaveFile(const std::string& path, const std::string& backupPath) {
  Disk& disk = m_env.pDisk ? *m_env.pDisk : RealDisk();
  bool exists = false;
  unsigned mode = 0;
  if (disk.Stat(path, &exists, &mode) == 0 && exists && (mode & 0222) == 0) return kEditReadOnly;
  m_lastFileError.clear();
  m_backupWarning.clear();
  // Another editor of ours keeps the file (its lock setting is on): the
  // save is refused, and this buffer keeps its own handle and lock.
  if (IsFileKeptByOther(path, m_keptFd)) {
    m_lastFileError = FileKeptMessage(path);
    return FileKeptCode();
  }
  CloseKeptHandle();
  // The lines go out in chunks of a quarter megabyte, gathered in one
  // buffer that stays in the cache: a copy of the whole text in one block
  // would cost more than the write itself on a large file.
  constexpr size_t kSaveChunk = 256 * 1024;
  const CEditLine* first = m_pFirstLine;
  auto produce = [first](const AtomicFileWriter::ChunkSink& sink) {
    std::string chunk;
    chunk.reserve(kSaveChunk);
    for (const CEditLine* p = first; p; p = p->m_pNext) {
      if (!chunk.empty() && chunk.size() + p->m_text.size() > kSaveChunk) {
        if (int e = sink(chunk.data(), chunk.size())) return e;
        chunk.clear();
      }
      chunk += p->m_text;
    }
    return chunk.empty() ? 0 : sink(chunk.data(), chunk.size());
  };
  AtomicFileWriter writer(&disk);
  errno = 0;
  if (!writer.WriteChunks(path, produce, &m_lastFileError, backupPath)) return errno ? errno : EIO;
  m_backupWarning = writer.BackupWarning();
  if (m_bLockFile) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    m_keptFd = fd;
    LockKeptFile(fd);
  }
  SetModified(0);
  return kEditOk;
}

int CEditTextBuffer::RenameFile(const std::string& oldPath, const std::string& newPath) {
  if (::strcasecmp(oldPath.c_str(), newPath.c_str()) == 0) return kEditOk;
  m_lastFileError.clear();
  // A file another editor of ours keeps is neither moved nor replaced.
  for (const std::string* p : {&oldPath, &newPath}) {
    if (IsFileKeptByOther(*p, m_keptFd)) {
      m_lastFileError = FileKeptMessage(*p);
      return FileKeptCode();
    }
  }
  bool wasKept = m_keptFd >= 0;
  CloseKeptHandle();
  // rename() replaces an existing target atomically; a target we may not
  // write is reported as read-only, and the move is still tried.
  int rc = kEditOk;
  if (IsReadOnlyFile(newPath)) rc = kEditReadOnly;
  if (::rename(oldPath.c_str(), newPath.c_str()) != 0)
    rc = errno == ENOENT ? kEditCannotRead : errno;
  if (wasKept) {
    int fd = ::open(newPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    m_keptFd = fd;
    LockKeptFile(fd);
  }
  return rc;
}

}  // namespace pm2
