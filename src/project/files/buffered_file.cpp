#include "project/files/buffered_file.h"

#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/mapped_file.h"
#include "platform/win_path.h"
#include "project/model/app_state.h"

namespace pm2 {

namespace {

// Passes every call on and remembers whether writing the bytes failed, so
// a short write can be told from a file that cannot be created.
class StepDisk : public Disk {
 public:
  explicit StepDisk(Disk& d) : d(d) {}
  int CreateNew(const std::string& p, unsigned m, int* h) override { return d.CreateNew(p, m, h); }
  int Write(int h, const char* data, size_t n) override { return Note(d.Write(h, data, n)); }
  int Sync(int h) override { return Note(d.Sync(h)); }
  int Close(int h) override { return Note(d.Close(h)); }
  int Rename(const std::string& a, const std::string& b) override { return d.Rename(a, b); }
  int Link(const std::string& a, const std::string& b) override { return d.Link(a, b); }
  int Remove(const std::string& p) override { return d.Remove(p); }
  int SyncFolder(const std::string& f) override { return d.SyncFolder(f); }
  int Stat(const std::string& p, bool* e, unsigned* m) override { return d.Stat(p, e, m); }
  int ReadAll(const std::string& p, std::string* o) override { return d.ReadAll(p, o); }
  bool writeFailed = false;

 private:
  int Note(int e) {
    if (e) writeFailed = true;
    return e;
  }
  Disk& d;
};

}  // namespace

std::string BufferedFile::FileBehindLinks(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path p = path;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec) return p.string();
    const fs::path target = fs::read_symlink(p, ec);
    if (ec) return p.string();
    p = target.is_absolute() ? target : p.parent_path() / target;
  }
  return path;
}

void BufferedFile::SetPath(std::string path) {
  m_path = std::move(path);
  m_data.clear();
  m_error.clear();
}

bool BufferedFile::Append(std::string_view data) {
  m_data.append(data);
  return true;
}

void BufferedFile::FreeBuffer() {
  m_data.clear();
  m_data.shrink_to_fit();
}

std::string BufferedFile::BackupName(std::string_view path) { return BackupNameOf(path); }

bool BufferedFile::DiffersFromDisk() const {
  if (m_disk) {
    std::string old;
    if (m_disk->ReadAll(m_path, &old) != 0) return true;
    return old != m_data;
  }
  MappedFileView view;
  if (!view.Open(m_path)) return !(view.error() == MapError::kEmpty && m_data.empty());
  return view.size() != m_data.size() || std::memcmp(view.data(), m_data.data(), m_data.size()) != 0;
}

int BufferedFile::WriteWithBackup() {
  m_error.clear();
  StepDisk disk(m_disk ? *m_disk : RealDisk());
  AtomicFileWriter writer(&disk);
  // (A disk of the tests' own has no links.)
  const std::string file = m_disk || !m_followLinks ? m_path : FileBehindLinks(m_path);
  std::string backup = BackupName(file);
  if (!writer.Write(file, m_data, &m_error, backup))
    return disk.writeFailed ? kBufferedShortWrite : kBufferedCannotCreate;
  if (!writer.BackupWarning().empty()) {
    PrintToOutput(1, "Can't create file '%s' !", backup.c_str());
  } else if (!m_disk) {
    // The backup is an ordinary file the user may edit or delete.
    struct stat st;
    if (::stat(backup.c_str(), &st) == 0) ::chmod(backup.c_str(), (st.st_mode & 07777) | S_IWUSR);
  }
  return kBufferedWriteOk;
}

}  // namespace pm2
