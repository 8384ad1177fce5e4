#include "project/files/buffered_file.h"

#include <sys/stat.h>

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "project/file_test_util.h"

namespace pm2 {
namespace {

TEST(BufferedFileTest, BackupNames) {
  struct Row {
    const char* name;
    const char* path;
    const char* backup;
  } rows[] = {
      {"one dot", "proj.pm2", "proj_pm2.Bak"},
      {"two dots", "a.b.pm2", "a_b_pm2.Bak"},
      {"dots in the folder stay", "/home/x.y/proj.pm2", "/home/x.y/proj_pm2.Bak"},
      {"windows folder", "C:\\w.d\\Proj.PM2", "C:\\w.d\\Proj_PM2.Bak"},
      {"no extension", "/p/Makefile", "/p/Makefile.Bak"},
  };
  for (const Row& r : rows) EXPECT_EQ(BufferedFile::BackupName(r.path), r.backup) << r.name;
}

TEST(BufferedFileTest, SavesKeepThePreviousContentsAsBackup) {
  ScratchDir dir;
  std::string path = dir.File("a.b.pm2");
  WriteFileText(path, "version 1");
  chmod(path.c_str(), 0444);

  BufferedFile f;
  f.SetPath(path);
  f.Append("version ");
  f.Append("2", 1);
  ASSERT_EQ(f.WriteWithBackup(), kBufferedWriteOk) << f.LastError();
  EXPECT_EQ(ReadFileText(path), "version 2");
  std::string backup = dir.File("a_b_pm2.Bak");
  EXPECT_EQ(ReadFileText(backup), "version 1");
  struct stat st;
  ASSERT_EQ(stat(backup.c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR) << "the backup gets normal attributes";

  f.SetPath(path);
  f.Append("version 3");
  ASSERT_EQ(f.WriteWithBackup(), kBufferedWriteOk);
  EXPECT_EQ(ReadFileText(path), "version 3");
  EXPECT_EQ(ReadFileText(backup), "version 2") << "a second save replaces the backup";
}

// A project opened through a link, saved through it (the user said so):
// the save writes the file the link names and the link stays; the backup is
// a plain file of the old bytes beside that file, whatever is written next.
TEST(BufferedFileTest, SavesThroughALinkKeepTheLink) {
  namespace fs = std::filesystem;
  const struct {
    const char* name;
    std::vector<std::pair<const char*, const char*>> links;  // link, what it names (relative to the folder)
    const char* saved;   // the project opened
    const char* real;    // the file the links end at
    const char* backup;
  } rows[] = {
      {"link beside", {{"T.pm2", "T_real.pm2"}}, "T.pm2", "T_real.pm2", "T_real_pm2.Bak"},
      {"link into another folder", {{"T.pm2", "sub/Real.pm2"}}, "T.pm2", "sub/Real.pm2", "sub/Real_pm2.Bak"},
      {"chain of links", {{"A.pm2", "B.pm2"}, {"B.pm2", "sub/C.pm2"}}, "A.pm2", "sub/C.pm2", "sub/C_pm2.Bak"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    ScratchDir dir;
    fs::create_directory(dir.File("sub"));
    WriteFileText(dir.File(r.real), "version 1");
    for (const auto& [link, target] : r.links) ASSERT_EQ(::symlink(target, dir.File(link).c_str()), 0);
    for (const char* version : {"version 2", "version 3"}) {
      BufferedFile f;
      f.SetPath(dir.File(r.saved));
      f.Append(version);
      f.FollowLinks(true);
      ASSERT_EQ(f.WriteWithBackup(), kBufferedWriteOk) << f.LastError();
    }
    for (const auto& [link, target] : r.links) {
      EXPECT_TRUE(fs::is_symlink(dir.File(link))) << link;
      EXPECT_EQ(fs::read_symlink(dir.File(link)).string(), target) << link;
    }
    EXPECT_EQ(ReadFileText(dir.File(r.saved)), "version 3");
    EXPECT_FALSE(fs::is_symlink(dir.File(r.backup)));
    EXPECT_EQ(ReadFileText(dir.File(r.backup)), "version 2");
    EXPECT_FALSE(fs::exists(BufferedFile::BackupName(dir.File(r.saved))));
  }
}

TEST(BufferedFileTest, FailedSavesLeaveTheOldFileWhole) {
  ScratchDir dir;
  std::string path = dir.File("proj.pm2");
  WriteFileText(path, "old");
  struct Row {
    const char* name;
    FailingDisk::Step step;
    int result;
  } rows[] = {
      {"cannot create", FailingDisk::kCreate, kBufferedCannotCreate},
      {"short write", FailingDisk::kWrite, kBufferedShortWrite},
  };
  for (const Row& r : rows) {
    FailingDisk disk(r.step);
    BufferedFile f(&disk);
    f.SetPath(path);
    f.Append("new contents");
    EXPECT_EQ(f.WriteWithBackup(), r.result) << r.name;
    EXPECT_NE(f.LastError().find(path), std::string::npos) << r.name;
    EXPECT_EQ(ReadFileText(path), "old") << r.name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("proj_pm2.Bak")));
}

TEST(BufferedFileTest, DiffersFromDisk) {
  ScratchDir dir;
  std::string path = dir.File("x.pm2");
  struct Row {
    const char* name;
    const char* onDisk;  // null: no file
    const char* image;
    bool differs;
  } rows[] = {
      {"missing file", nullptr, "abc", true},
      {"same bytes", "abc", "abc", false},
      {"same size, other bytes", "abd", "abc", true},
      {"longer file", "abcd", "abc", true},
      {"both empty", "", "", false},
  };
  for (const Row& r : rows) {
    std::filesystem::remove(path);
    if (r.onDisk) WriteFileText(path, r.onDisk);
    BufferedFile f;
    f.SetPath(path);
    f.Append(r.image);
    EXPECT_EQ(f.DiffersFromDisk(), r.differs) << r.name;
  }
}

}  // namespace
}  // namespace pm2
