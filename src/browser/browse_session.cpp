#include "browser/browse_session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "browser/browse_loader.h"

namespace pm2 {
namespace {

// The whole of a regular file in one buffer, read straight into it and
// left uninitialized before (an output file holds millions of entries; a
// second pass over them costs as much as the read). The table keeps the
// buffer: its arrays are decoded from it when first read. Non-blocking, so
// that a named pipe can't hold the open. Returns a loader error code.
int ReadBrowseFile(const std::string& path, std::unique_ptr<uint8_t[]>* out, size_t* size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return kBrowseCantOpen;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return kBrowseCantOpen;
  try {
    // One byte of room more than the size: a full buffer means the file
    // grew meanwhile, and it is then read to its new end.
    size_t room = static_cast<size_t>(st.st_size) + 1;
    std::unique_ptr<uint8_t[]> bytes = std::make_unique_for_overwrite<uint8_t[]>(room);
    size_t got = 0;
    for (;;) {
      if (got == room) {
        std::unique_ptr<uint8_t[]> more = std::make_unique_for_overwrite<uint8_t[]>(room * 2);
        std::memcpy(more.get(), bytes.get(), got);
        bytes = std::move(more);
        room *= 2;
      }
      const ssize_t n = ::read(fd, bytes.get() + got, room - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return kBrowseCantOpen;
      if (n == 0) break;
      got += static_cast<size_t>(n);
    }
    *out = std::move(bytes);
    *size = got;
    return kBrowseOk;
  } catch (const std::bad_alloc&) {
    return kBrowseNoMemory;
  }
}

}  // namespace

std::string BrowseSession::Open(const std::string& file, std::string_view baseFolder) {
  if (Module() && m_module->fileName == file) {
    m_error = 0;
    m_errorText.clear();
    return std::string();
  }
  Free();
  // No project (so no target and no output): nothing to name as a file.
  if (file.empty()) {
    m_error = kBrowseCantOpen;
    m_errorText = "Source Browser: no project is open, so there is no browse information";
    return m_errorText;
  }
  // Read, not mapped: a build may rewrite the output while it is read or
  // while the table is shown, and a mapping cut short under us would crash
  // the program instead of giving a damaged-file message.
  std::unique_ptr<uint8_t[]> bytes;
  size_t size = 0;
  m_error = ReadBrowseFile(file, &bytes, &size);
  if (m_error == kBrowseOk) m_error = LoadBrowseInfo(std::move(bytes), size, baseFolder, &m_module);
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
