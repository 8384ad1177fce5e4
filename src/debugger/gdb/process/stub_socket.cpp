#include "debugger/gdb/process/stub_socket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace pm2::gdb {
namespace {

constexpr char kFolderPattern[] = "/pm2-gdb-XXXXXX";
constexpr char kSocketName[] = "/stub";

// A base whose stub path fits a socket address and that gdb takes as one
// word: no blank, quote or backslash (its command line would split or
// unquote it).
bool Fits(const std::string& base) {
  const std::size_t length = base.size() + sizeof kFolderPattern - 1 + sizeof kSocketName - 1;
  if (base.empty() || base[0] != '/' || length >= sizeof(sockaddr_un::sun_path)) return false;
  return base.find_first_of(" \t\n\r'\"\\") == std::string::npos;
}

}  // namespace

std::vector<std::string> StubFolderBases(const char* runtimeDir, const char* tmpDir) {
  std::vector<std::string> bases;
  for (const char* candidate : {runtimeDir, tmpDir, "/tmp"}) {
    if (!candidate) continue;
    std::string base = candidate;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (!Fits(base)) continue;
    bool known = false;
    for (const std::string& b : bases) known |= b == base;
    if (!known) bases.push_back(base);
  }
  return bases;
}

StubSocket::~StubSocket() { Close(); }

int StubSocket::Listen(std::string* err) {
  Close();
  std::string tried;
  for (const std::string& base : StubFolderBases(std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"))) {
    std::string folder = base + kFolderPattern;
    // mkdtemp makes the folder exclusively, mode 0700: nobody else can
    // enter it, nor have made it beforehand.
    if (!mkdtemp(folder.data())) {
      tried += (tried.empty() ? "" : "; ") + base + ": " + std::strerror(errno);
      continue;
    }
    const std::string path = folder + kSocketName;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    // The socket's own mode narrowed too (after the bind: the umask is the
    // whole process's, and the folder keeps others out meanwhile), so that
    // a folder opened up later by hand still leaves it to this user alone.
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (bound && chmod(path.c_str(), 0600) == 0 && listen(fd, 4) == 0) {
      m_folder = folder;
      m_path = path;
      return fd;
    }
    tried += (tried.empty() ? "" : "; ") + path + ": " + std::strerror(errno);
    if (fd >= 0) close(fd);
    unlink(path.c_str());
    rmdir(folder.c_str());
  }
  *err = "no socket for qemu's GDB stub in a private folder (" + (tried.empty() ? std::string("no folder fits") : tried) + ")";
  return -1;
}

void StubSocket::Close() {
  if (!m_path.empty()) unlink(m_path.c_str());
  if (!m_folder.empty()) rmdir(m_folder.c_str());
  m_path.clear();
  m_folder.clear();
}

}  // namespace pm2::gdb
