// The socket between a simulation's qemu and gdb: a Unix stream socket in
// a folder of its own that only this user can enter (mode 0700, made by
// mkdtemp), the socket itself mode 0600. A TCP port on 127.0.0.1 would be
// open to every local user for the whole session: any of them could drive
// the target, read and write its memory, or take the stub before gdb does.
//
// The folder is made in the user's runtime folder (XDG_RUNTIME_DIR), else
// in TMPDIR, else in /tmp; a folder whose path would not fit a socket
// address (108 bytes) or that holds characters gdb would read as syntax
// is passed over for the next one. gdb-multiarch takes the socket's path
// as it takes "host:port" ("target remote /run/user/1000/pm2-gdb-x/stub",
// also "target extended-remote"). The socket listens from the start, so a
// connection made while qemu is still starting waits in its queue.
//
// Close (and the destructor) removes the socket and its folder.
#pragma once

#include <string>
#include <vector>

namespace pm2::gdb {

class StubSocket {
 public:
  StubSocket() = default;
  ~StubSocket();
  StubSocket(const StubSocket&) = delete;
  StubSocket& operator=(const StubSocket&) = delete;

  // Makes the folder and a listening socket in it: the listening
  // descriptor (closed on exec unless passed on; the caller closes it once
  // passed), -1 with *err naming the folder that failed.
  int Listen(std::string* err);
  // The socket's path; "" when none is open.
  const std::string& Path() const { return m_path; }
  // Removes the socket and its folder.
  void Close();

 private:
  std::string m_folder;
  std::string m_path;
};

// The folders a stub's folder may go into, in the order they are tried:
// the runtime folder, the temporary folder, /tmp; null or empty ones, and
// ones that do not fit (see above), left out.
std::vector<std::string> StubFolderBases(const char* runtimeDir, const char* tmpDir);

}  // namespace pm2::gdb
