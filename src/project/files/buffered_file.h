// A file image built in memory and saved in one piece (the project and
// options files). Saving keeps the old file as a backup: its file-name part
// with every '.' turned into '_' and ".Bak" appended (proj.pm2 ->
// proj_pm2.Bak, a.b.pm2 -> a_b_pm2.Bak); an older backup is replaced.
//
// A path that is a symbolic link is replaced by the saved file, unless the
// save is asked to go through links (FollowLinks): the file the link names
// then gets the image and the backup beside it, and the link stays. (The
// project's files are saved through a link only when the user said so.)
//
// The save is atomic: the image goes to a temporary file in the same folder,
// is synced and renamed over the file, so a failed save leaves the old file
// whole. A failed backup is reported ("Can't create file '%s' !") and the
// save goes on.
#pragma once

#include <string>
#include <string_view>

namespace pm2 {

class Disk;

// WriteWithBackup results.
enum BufferedFileResult : int {
  kBufferedWriteOk = 0,
  kBufferedCannotCreate = 3,  // the file (or its temporary) cannot be created
  kBufferedShortWrite = 7,    // writing or syncing the bytes failed
};

class BufferedFile {
 public:
  // `disk` must outlive the object; null means the real disk.
  explicit BufferedFile(Disk* disk = nullptr) : m_disk(disk) {}
  BufferedFile(const BufferedFile&) = delete;
  BufferedFile& operator=(const BufferedFile&) = delete;

  // Starts an empty image for `path`.
  void SetPath(std::string path);
  bool Append(std::string_view data);
  bool Append(const char* data, size_t length) { return Append(std::string_view(data, length)); }
  void FreeBuffer();

  const std::string& Path() const { return m_path; }
  const std::string& Data() const { return m_data; }

  // True when the file is missing or its bytes differ from the image.
  bool DiffersFromDisk() const;

  // Saves the image with a backup of the old file; see the results above.
  // On failure LastError() tells why, naming the file.
  int WriteWithBackup();
  const std::string& LastError() const { return m_error; }

  static std::string BackupName(std::string_view path);

  // The next WriteWithBackup writes the file behind a symbolic link at the
  // path (see above).
  void FollowLinks(bool follow) { m_followLinks = follow; }

  // The file a save through links replaces: `path` with its symbolic links
  // followed. A name that is no link is itself; a link that names a missing
  // file names the file to make; a loop of links stays as it is.
  static std::string FileBehindLinks(const std::string& path);

 private:
  Disk* m_disk;
  bool m_followLinks = false;
  std::string m_path;
  std::string m_data;
  std::string m_error;
};

}  // namespace pm2
