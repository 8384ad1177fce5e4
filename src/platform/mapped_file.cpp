#include "platform/mapped_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pm2 {

namespace {

struct ErrorText {
  MapError code;
  const char* text;
};

// Why a map failed, in words.
const ErrorText kErrorTexts[] = {
    {MapError::kMissing, "no such file"},
    {MapError::kIsFolder, "it is a folder"},
    {MapError::kUnreadable, "the file cannot be read"},
    {MapError::kEmpty, "the file is empty"},
    {MapError::kFailed, "the file cannot be mapped"},
};

}  // namespace

MappedFileView::~MappedFileView() { Close(); }

MappedFileView::MappedFileView(MappedFileView&& other) noexcept
    : m_data(other.m_data), m_size(other.m_size), m_error(other.m_error),
      m_path(std::move(other.m_path)) {
  other.m_data = nullptr;
  other.m_size = 0;
}

MappedFileView& MappedFileView::operator=(MappedFileView&& other) noexcept {
  if (this != &other) {
    Close();
    m_data = other.m_data;
    m_size = other.m_size;
    m_error = other.m_error;
    m_path = std::move(other.m_path);
    other.m_data = nullptr;
    other.m_size = 0;
  }
  return *this;
}

void MappedFileView::Close() {
  if (m_data) ::munmap(const_cast<char*>(m_data), m_size);
  m_data = nullptr;
  m_size = 0;
}

bool MappedFileView::Open(const std::string& path, std::string* err) {
  Close();
  m_path = path;
  m_error = MapError::kNone;
  int sysErr = 0;
  auto fail = [&](MapError code) {
    m_error = code;
    if (err) {
      for (const ErrorText& t : kErrorTexts)
        if (t.code == code) *err = "Cannot map '" + path + "': " + t.text;
      if (sysErr && code != MapError::kMissing && code != MapError::kEmpty &&
          code != MapError::kIsFolder)
        *err += std::string(" (") + std::strerror(sysErr) + ")";
    }
    return false;
  };

  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    sysErr = errno;
    return fail(sysErr == ENOENT || sysErr == ENOTDIR ? MapError::kMissing : MapError::kUnreadable);
  }
  if (S_ISDIR(st.st_mode)) return fail(MapError::kIsFolder);
  if (!S_ISREG(st.st_mode)) return fail(MapError::kUnreadable);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    sysErr = errno;
    return fail(sysErr == ENOENT ? MapError::kMissing : MapError::kUnreadable);
  }
  // Take the size from the open file: it may have changed since stat.
  if (::fstat(fd, &st) != 0) {
    sysErr = errno;
    ::close(fd);
    return fail(MapError::kFailed);
  }
  if (st.st_size == 0) {
    ::close(fd);
    return fail(MapError::kEmpty);
  }
  size_t size = static_cast<size_t>(st.st_size);
  void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  sysErr = errno;
  ::close(fd);
  if (p == MAP_FAILED) return fail(MapError::kFailed);
  m_data = static_cast<const char*>(p);
  m_size = size;
  return true;
}

}  // namespace pm2
