// The stored-file reader refuses what is no regular file and what is
// larger than its format can hold, at once and with the file's name.
#include "project/files/stored_file_read.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "project/devices/device_db.h"
#include "project/environment/environment.h"
#include "project/environment/environment_file.h"
#include "project/files/project_file.h"
#include "project/files/project_open.h"
#include "project/text/pool.h"
#include "hang_guard.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;

class StoredFileRead : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "pm2read_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string dir_;
};

TEST_F(StoredFileRead, RefusesWhatIsNoRegularFileOrTooLarge) {
  std::ofstream(dir_ + "plain.txt", std::ios::binary) << "hello";
  std::ofstream(dir_ + "big.txt", std::ios::binary) << std::string(100, 'x');
  ASSERT_EQ(::mkfifo((dir_ + "pipe").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", dir_ + "zero");
  fs::create_directory(dir_ + "folder");
  struct Row {
    const char* name;
    std::string file;
    std::size_t limit;
    bool ok;
    std::string error;
  } rows[] = {
      {"regular file", "plain.txt", 1000, true, ""},
      {"named pipe", "pipe", 1000, false, "'" + dir_ + "pipe' is not a regular file"},
      {"link to an endless device", "zero", 1000, false, "'" + dir_ + "zero' is not a regular file"},
      {"folder", "folder", 1000, false, "'" + dir_ + "folder' is not a regular file"},
      {"larger than the format holds", "big.txt", 99, false, "'" + dir_ + "big.txt' is larger than 99 bytes"},
      {"missing", "gone.txt", 1000, false, "Can't read '" + dir_ + "gone.txt': No such file or directory"},
  };
  for (const Row& r : rows) {
    std::string text, err;
    // A read that waits for a pipe's writer would never end.
    test::HangGuard guard(std::string("reading the ") + r.name);
    EXPECT_EQ(ReadStoredFile(dir_ + r.file, r.limit, text, &err), r.ok) << r.name;
    EXPECT_EQ(err, r.error) << r.name;
    if (r.ok) {
      EXPECT_EQ(text, "hello");
    }
  }
}

// Opening a project whose file is a named pipe reports it instead of
// waiting for a writer for ever.
TEST_F(StoredFileRead, ProjectFileThatIsAPipeIsRefused) {
  ASSERT_EQ(::mkfifo((dir_ + "P.pm2").c_str(), 0600), 0);
  ProjectFileIo io;
  EXPECT_EQ(ReadProjectFile(io, dir_ + "P.pm2"), kProjectFileCannotOpen);
  EXPECT_EQ(io.message, "'" + dir_ + "P.pm2' is not a regular file");
  OldProjectProbe probe;
  probe.Check(nullptr, dir_ + "P.pm2", 0);
  EXPECT_NE(ImportOldBinaryProject(probe), 0);
  EXPECT_EQ(probe.message, "'" + dir_ + "P.pm2' is not a regular file");
}

// The environment file too: a TOOLS.INI that is a named pipe is refused
// with its name instead of blocking the start-up.
TEST_F(StoredFileRead, EnvironmentFileThatIsAPipeIsRefused) {
  ASSERT_EQ(::mkfifo((dir_ + "TOOLS.INI").c_str(), 0600), 0);
  std::string err;
  EnvFile file;
  EXPECT_FALSE(file.Load(dir_ + "TOOLS.INI", &err));
  EXPECT_EQ(err, "'" + dir_ + "TOOLS.INI' is not a regular file");
  EnvironmentInfo env;
  err.clear();
  EXPECT_FALSE(ReadToolsIni(dir_ + "TOOLS.INI", dir_, "", &env, &err));
  EXPECT_EQ(err, "'" + dir_ + "TOOLS.INI' is not a regular file");
}

// The device database is read the same way.
TEST_F(StoredFileRead, DeviceDatabaseThatIsAPipeOrDeviceIsRefused) {
  ASSERT_EQ(::mkfifo((dir_ + "pipe.cdb").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", dir_ + "zero.cdb");
  for (const char* name : {"pipe.cdb", "zero.cdb"}) {
    test::HangGuard guard(std::string("reading the device database ") + name);
    DeviceDatabase db(kPoolScratch);
    EXPECT_EQ(db.Read(dir_ + name), kDeviceDbCannotOpen) << name;
  }
}

}  // namespace
}  // namespace pm2
