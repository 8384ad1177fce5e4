// A read-only memory mapping of a whole file.
//
// Opening reports a missing file, a folder, an unreadable file and an empty
// file as distinct errors (an empty file cannot be mapped); callers that take
// an empty file as valid check error() == MapError::kEmpty. The mapping is
// private and read-only: a file truncated by another program while mapped
// may raise SIGBUS on access, so map only files this program owns or reads
// briefly.
#pragma once

#include <cstddef>
#include <string>

namespace pm2 {

enum class MapError {
  kNone = 0,
  kMissing,     // no such file (or a folder of its path is missing)
  kIsFolder,    // the path names a folder
  kUnreadable,  // no permission, or not a regular file
  kEmpty,       // the file has no bytes
  kFailed,      // the mapping itself failed
};

class MappedFileView {
 public:
  MappedFileView() = default;
  ~MappedFileView();
  MappedFileView(const MappedFileView&) = delete;
  MappedFileView& operator=(const MappedFileView&) = delete;
  MappedFileView(MappedFileView&& other) noexcept;
  MappedFileView& operator=(MappedFileView&& other) noexcept;

  // Maps `path` (closing any earlier mapping). False with error() set and
  // *err (may be null) such as "Cannot map 'x.c': the file is empty".
  bool Open(const std::string& path, std::string* err = nullptr);
  void Close();

  bool is_open() const { return m_data != nullptr; }
  const char* data() const { return m_data; }
  size_t size() const { return m_size; }
  MapError error() const { return m_error; }
  const std::string& path() const { return m_path; }

 private:
  const char* m_data = nullptr;  // null when not open
  size_t m_size = 0;
  MapError m_error = MapError::kNone;
  std::string m_path;
};

}  // namespace pm2
