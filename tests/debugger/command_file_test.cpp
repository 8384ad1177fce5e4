// The file a debug command names to run its lines: a plain file reads
// whole; a named pipe, an endless device, a socket, a folder and a file past
// the bound are refused at once with what they are, and a missing file
// with the system's reason.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "debugger/driver_shared/command_file.h"
#include "hang_guard.h"

namespace pm2 {
// Named: the program's test files are compiled as one file in CI.
namespace command_file_test {

class CommandFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Short: a socket's name has room for about a hundred bytes.
    dir_ = (std::filesystem::temp_directory_path() / ("pm2cf-" + std::to_string(::getpid()))).string() + "/";
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    if (socket_ >= 0) ::close(socket_);
    std::filesystem::remove_all(dir_);
  }
  std::string dir_;
  int socket_ = -1;
};

TEST_F(CommandFileTest, APlainFileReadsWhole) {
  const std::string text = "// set up\r\nBS main\r\nBL";
  std::ofstream(dir_ + "start.ini", std::ios::binary) << text;
  std::string read, why = "unchanged";
  ASSERT_TRUE(ReadCommandFile(dir_ + "start.ini", &read, &why)) << why;
  EXPECT_EQ(read, text);
  EXPECT_EQ(why, "unchanged");
  std::ofstream(dir_ + "empty.ini");
  ASSERT_TRUE(ReadCommandFile(dir_ + "empty.ini", &read, &why)) << why;
  EXPECT_EQ(read, "");
}

TEST_F(CommandFileTest, WhatIsNoPlainFileIsRefusedWithWhatItIs) {
  // The old reader waited here for a writer of the pipe, or read the
  // device without end: a hang fails by name.
  test::HangGuard guard("a file of commands that is no plain file");
  ASSERT_EQ(::mkfifo((dir_ + "pipe.ini").c_str(), 0600), 0);
  socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(socket_, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string socketPath = dir_ + "sock.ini";
  ASSERT_LT(socketPath.size(), sizeof addr.sun_path);
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(::bind(socket_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  std::filesystem::create_directories(dir_ + "folder.ini");
  // Sparse: past the bound without taking the disk's room.
  {
    std::ofstream(dir_ + "huge.ini");
    std::filesystem::resize_file(dir_ + "huge.ini", kCommandFileMax + 1);
  }
  ASSERT_EQ(::symlink((dir_ + "pipe.ini").c_str(), (dir_ + "link.ini").c_str()), 0);
  struct RefusedRow {
    const char* name;
    std::string path;
    std::string why;
  } rows[] = {
      {"named pipe", dir_ + "pipe.ini", "'" + dir_ + "pipe.ini' is a named pipe (FIFO), not a file of commands"},
      {"link to a named pipe", dir_ + "link.ini",
       "'" + dir_ + "link.ini' is a named pipe (FIFO), not a file of commands"},
      {"endless device", "/dev/zero", "'/dev/zero' is a character device, not a file of commands"},
      {"socket", socketPath, "'" + socketPath + "' is a socket, not a file of commands"},
      {"folder", dir_ + "folder.ini", "'" + dir_ + "folder.ini' is a folder, not a file of commands"},
      {"past the bound", dir_ + "huge.ini", "'" + dir_ + "huge.ini' is larger than 16 MB, not a file of commands"},
      {"missing", dir_ + "missing.ini", "can't read '" + dir_ + "missing.ini': No such file or directory"},
  };
  for (const RefusedRow& r : rows) {
    std::string read = "left over", why;
    EXPECT_FALSE(ReadCommandFile(r.path, &read, &why)) << r.name;
    EXPECT_EQ(why, r.why) << r.name;
    EXPECT_EQ(read, "") << r.name;
  }
}

}  // namespace command_file_test
}  // namespace pm2
