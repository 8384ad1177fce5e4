// Whole-file writes that never leave a half-written file behind.
//
// A write goes to a temporary file in the target's folder ("<name>.~pm2tmp<n>"),
// is flushed and fsynced, and is then renamed over the target; the folder is
// fsynced last. The old file is never deleted first: until the rename it
// stays whole, after it the new file is complete. A backup of the old file,
// when asked for, is taken as a hard link (or, where links are not possible,
// as a copy written the same way) just before the new file takes the name;
// the target's name is never without a whole file behind it, so another
// process that opens it at any moment finds it.
//
// Every disk operation goes through `Disk`, so tests can fail any step.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pm2 {

// The few file operations a whole-file write needs. Each returns 0 on
// success or an errno value.
class Disk {
 public:
  virtual ~Disk() = default;
  // Creates a new file exclusively (fails with EEXIST when it exists) with
  // the given permission bits and opens it for writing.
  virtual int CreateNew(const std::string& path, unsigned mode, int* handle) = 0;
  // Writes all n bytes (a short write is retried inside).
  virtual int Write(int handle, const char* data, size_t n) = 0;
  virtual int Sync(int handle) = 0;
  virtual int Close(int handle) = 0;
  // Replaces `to` atomically when it exists.
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  // A second name for an existing file; EEXIST when `to` exists.
  virtual int Link(const std::string& from, const std::string& to) = 0;
  virtual int Remove(const std::string& path) = 0;
  virtual int SyncFolder(const std::string& folder) = 0;
  // *exists false and 0 returned when nothing is there; *mode gets the
  // permission bits of an existing file.
  virtual int Stat(const std::string& path, bool* exists, unsigned* mode) = 0;
  // Reads a whole file.
  virtual int ReadAll(const std::string& path, std::string* out) = 0;
};

// The real disk (POSIX calls).
Disk& RealDisk();

class AtomicFileWriter {
 public:
  // `disk` must outlive the writer; null means the real disk.
  explicit AtomicFileWriter(Disk* disk = nullptr);

  // Replaces (or creates) `path` with `data`. With a non-empty `backupPath`
  // an existing old file is kept under that name (an older backup there is
  // replaced). A new file gets mode 0666 less the umask, a replaced one
  // keeps its mode. False with *err such as "Cannot write 'x.ini': No space
  // left on device" when any step fails; the old file is then unchanged
  // and no temporary file is left behind - except when only the final
  // folder sync fails: the new file has its name then, but may not survive
  // a power cut, and that is reported.
  bool Write(const std::string& path, std::string_view data, std::string* err,
             const std::string& backupPath = std::string());

  // The same with the bytes handed over in chunks: `produce` passes each
  // chunk to the sink it is given, in order, and returns 0, or the first
  // error the sink returned. A large text written from its lines so needs
  // no copy of itself in one block.
  using ChunkSink = std::function<int(const char* data, size_t n)>;
  bool WriteChunks(const std::string& path, const std::function<int(const ChunkSink&)>& produce, std::string* err,
                   const std::string& backupPath = std::string());

  // Tells why a backup could not be taken on the last successful Write
  // (the write itself went on); empty when the backup was taken or none was
  // asked for.
  const std::string& BackupWarning() const { return m_backupWarning; }

  // Told each temporary name before the file is made, so that a journal
  // can name it and a killed program's temporary file is found again.
  void SetTempNameObserver(std::function<void(const std::string&)> observer) {
    m_tempObserver = std::move(observer);
  }

 private:
  // The old file's backup, by link or copy; a failure only warns.
  void TakeBackup(const std::string& path, const std::string& backupPath);

  Disk* m_disk;
  std::string m_backupWarning;
  std::function<void(const std::string&)> m_tempObserver;
};

// The backup name of a user's file: its name with every '.' turned into '_'
// and ".Bak" appended, in its folder (proj.pm2 -> proj_pm2.Bak), so that
// main.c and main.h keep backups of their own.
std::string BackupNameOf(std::string_view path);

// Replaces `path` with `data` on the real disk (see AtomicFileWriter::Write).
bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* err,
                         const std::string& backupPath = std::string());

// Reads a whole file into `out`. False with *err "Cannot read 'x': <reason>"
// (err may be null); `out` is then empty.
bool ReadWholeFile(const std::string& path, std::string& out, std::string* err);

// "Cannot <verb> '<path>': <strerror(errnum)>".
std::string FileErrorText(const char* verb, const std::string& path, int errnum);

}  // namespace pm2
