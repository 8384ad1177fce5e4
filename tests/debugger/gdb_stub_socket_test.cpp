// The simulation's qemu and gdb talk over a Unix socket that only this user
// can reach, never over a TCP port that every local user could reach.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "debugger/gdb/process/stub_socket.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace {

// The socket inodes a process holds open ("socket:[123]" links).
std::set<std::string> SocketInodes(pid_t pid) {
  std::set<std::string> inodes;
  std::error_code ec;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
    const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
    if (target.rfind("socket:[", 0) == 0) inodes.insert(target.substr(8, target.size() - 9));
  }
  return inodes;
}

// The inodes of a /proc/net table's sockets, in its column `column`.
std::set<std::string> TableInodes(const std::string& table, int column) {
  std::set<std::string> inodes;
  std::ifstream in(table);
  std::string line;
  std::getline(in, line);  // the heading
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string word;
    for (int i = 0; i <= column && words >> word; ++i) {
    }
    inodes.insert(word);
  }
  return inodes;
}

// The paths of the Unix sockets among `inodes` that listen.
std::vector<std::string> ListeningUnixPaths(const std::set<std::string>& inodes) {
  std::vector<std::string> paths;
  std::ifstream in("/proc/net/unix");
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string slot, refs, protocol, flags, type, state, inode, path;
    words >> slot >> refs >> protocol >> flags >> type >> state >> inode >> path;
    // State 01 with flag 0x10000 (accepting connections): a listening socket.
    if (inodes.count(inode) && !path.empty() && std::stoul(flags, nullptr, 16) & 0x10000) paths.push_back(path);
  }
  return paths;
}

TEST_F(GdbSessionTest, QemusStubIsAUnixSocketOfThisUserAloneAndGoesWithTheSession) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  const std::vector<pid_t> qemu = Children("qemu-system-arm");
  ASSERT_EQ(qemu.size(), 1u);
  const std::set<std::string> sockets = SocketInodes(qemu[0]);
  ASSERT_FALSE(sockets.empty());

  // No socket of qemu's is a TCP socket, listening or not.
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"})
    for (const std::string& inode : TableInodes(table, 9))
      EXPECT_EQ(sockets.count(inode), 0u) << "qemu holds the TCP socket " << inode << " of " << table;

  // Its one listening socket is the stub's, in a folder of this user's
  // that nobody else may enter, and the session said where.
  const std::vector<std::string> listening = ListeningUnixPaths(sockets);
  ASSERT_EQ(listening.size(), 1u);
  const std::string path = listening[0];
  const std::string folder = std::filesystem::path(path).parent_path().string();
  struct stat st {};
  ASSERT_EQ(lstat(path.c_str(), &st), 0) << path;
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u) << path;
  EXPECT_EQ(st.st_uid, getuid());
  ASSERT_EQ(lstat(folder.c_str(), &st), 0) << folder;
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
  EXPECT_EQ(st.st_uid, getuid());
  EXPECT_TRUE(Said("GDB stub at " + path + "\n")) << CommandTexts();

  // gdb reaches the target through it.
  DebugInterface* r = session->Record();
  uint8_t bytes[4] = {};
  EXPECT_EQ(r->DbgReadMemory(0, 4, bytes), 0);
  EXPECT_EQ(bytes[3], 0xE5);  // the reset vector's "ldr pc, [pc, #...]"

  session->StopDebugger();
  EXPECT_TRUE(Children("qemu-system-arm").empty());
  EXPECT_NE(lstat(path.c_str(), &st), 0) << path << " stayed after the session";
  EXPECT_NE(lstat(folder.c_str(), &st), 0) << folder << " stayed after the session";
}

struct BaseRow {
  const char* name;
  const char* runtimeDir;
  const char* tmpDir;
  std::vector<std::string> expected;
};

class StubFolders : public ::testing::TestWithParam<BaseRow> {};

TEST_P(StubFolders, AreTriedInOrderAndOnlyWhenTheSocketPathFits) {
  const BaseRow& row = GetParam();
  EXPECT_EQ(gdb::StubFolderBases(row.runtimeDir, row.tmpDir), row.expected);
}

const std::string kLongFolder = "/" + std::string(90, 'd');

INSTANTIATE_TEST_SUITE_P(
    Rows, StubFolders,
    ::testing::Values(BaseRow{"RuntimeFolderFirst", "/run/user/1000", "/var/tmp", {"/run/user/1000", "/var/tmp", "/tmp"}},
                      BaseRow{"UnsetOnesLeftOut", nullptr, nullptr, {"/tmp"}},
                      BaseRow{"EmptyOnesLeftOut", "", "", {"/tmp"}},
                      BaseRow{"TooLongForASocketAddress", kLongFolder.c_str(), "/var/tmp", {"/var/tmp", "/tmp"}},
                      BaseRow{"ABlankGdbWouldSplitAt", "/home/a b/run", nullptr, {"/tmp"}},
                      BaseRow{"AQuoteGdbWouldRead", "/home/it's", nullptr, {"/tmp"}},
                      BaseRow{"RelativeOnesLeftOut", "run", "tmp", {"/tmp"}},
                      BaseRow{"TrailingSlashesAndRepeats", "/tmp/", "/tmp//", {"/tmp"}}),
    [](const ::testing::TestParamInfo<BaseRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
