#include "browser/browse_session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "browser/browse_loader.h"

namespace pm2 {
namespace {

// The whole of a regular file in one buffer, read straight into it (an
// output file holds millions of entries; a second copy costs as much as
// the read). Non-blocking, so that a named pipe can't hold the open.
bool ReadBrowseFile(const std::string& path, std::vector<uint8_t>* out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  out->resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  for (;;) {
    // A file that grew meanwhile is read to its new end.
    if (got == out->size()) out->resize(out->size() + 65536);
    const ssize_t n = ::read(fd, out->data() + got, out->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  out->resize(got);
  return true;
}

}  // namespace

std::string BrowseSession::Open(const std::string& file, std::string_view baseFolder) {
  if (Module() && m_module->fileName == file) {
    m_error = 0;
    m_errorText.clear();
    return std::string();
  }
  Free();
  // Read, not mapped: a build may rewrite the output while it is read, and
  // a mapping cut short under us would crash the program instead of
  // giving a damaged-file message.
  std::vector<uint8_t> bytes;
  if (ReadBrowseFile(file, &bytes))
    m_error = LoadBrowseInfo(bytes.data(), bytes.size(), baseFolder, &m_module);
  else
    m_error = kBrowseCantOpen;
  if (m_error != 0) {
    m_module.reset();
    m_errorText = BrowseErrorText(m_error, file);
    return m_errorText;
  }
  m_errorText.clear();
  m_module->fileName = file;
  m_module->loaded = true;
  return std::string();
}

void BrowseSession::Free() {
  if (m_module && m_beforeFree) m_beforeFree();
  m_module.reset();
  m_addIn = BrowseAddInLocation();
}

}  // namespace pm2
