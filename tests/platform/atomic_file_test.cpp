#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>

#include "fault_disk.h"
#include "temp_dir.h"

namespace pm2 {
namespace {

const std::string kOld = "old contents\r\nline 2\r\n";
const std::string kNew = "new contents, rather longer than the old ones\r\n";

struct OpRow {
  const char* name;
  FaultDisk::Op op;
};
const OpRow kOps[] = {
    {"create", FaultDisk::kCreate}, {"write", FaultDisk::kWrite},
    {"sync", FaultDisk::kSync},     {"close", FaultDisk::kClose},
    {"rename", FaultDisk::kRename}, {"link", FaultDisk::kLink},
};

// Every step that can fail before the new file has its name leaves the old
// file whole, reports the file and the reason, and leaves no temporary.
TEST(AtomicFileWriter, AnyFailedStepKeepsTheOldFileAndSaysWhy) {
  for (const OpRow& row : kOps) {
    SCOPED_TRACE(row.name);
    FaultDisk disk;
    disk.Put("d/a.ini", kOld);
    disk.FailAt(row.op, 1, ENOSPC);
    AtomicFileWriter writer(&disk);
    std::string err;
    bool ok = writer.Write("d/a.ini", kNew, &err, "d/a_ini.Bak");
    if (row.op == FaultDisk::kLink) {
      // A backup that cannot be linked is taken as a copy; the write goes on.
      ASSERT_TRUE(ok) << err;
      EXPECT_EQ(disk.Get("d/a.ini"), kNew);
      EXPECT_EQ(disk.Get("d/a_ini.Bak"), kOld);
      continue;
    }
    ASSERT_FALSE(ok);
    EXPECT_EQ(err, std::string("Cannot write 'd/a.ini': ") + std::strerror(ENOSPC));
    EXPECT_EQ(disk.Get("d/a.ini"), kOld);
    for (const std::string& name : disk.Names())
      EXPECT_TRUE(name == "d/a.ini" || name == "d/a_ini.Bak") << name;
  }
}

// A backup copied where no link can be made; when the new file then cannot
// take the name, the old one is still there, and the backup is whole.
TEST(AtomicFileWriter, FailedRenameAfterBackupByCopyKeepsTheOldFile) {
  FaultDisk disk;
  disk.Put("a.ini", kOld);
  disk.FailAt(FaultDisk::kLink, 1, EPERM);
  disk.FailAt(FaultDisk::kRename, 2, EIO);  // 1: the backup's copy, 2: the new file
  AtomicFileWriter writer(&disk);
  std::string err;
  EXPECT_FALSE(writer.Write("a.ini", kNew, &err, "a_ini.Bak"));
  EXPECT_EQ(disk.Get("a.ini"), kOld);
  EXPECT_EQ(disk.Get("a_ini.Bak"), kOld);
  for (const std::string& name : disk.Names()) EXPECT_TRUE(name == "a.ini" || name == "a_ini.Bak") << name;
}

// Another program that opens the file at any moment of a write with a
// backup finds it: whether the link is refused (a file system without
// links), or the backup name is taken again at once by a second writer of
// the same file (two instances saving one project), the old file never
// leaves its name. The backup holds the old bytes, or a warning says why not.
TEST(AtomicFileWriter, TheNameNeverGoesMissingWhileTheBackupIsTaken) {
  struct Row {
    const char* name;
    int linkError;
    bool always;
    bool backupTaken;
  } rows[] = {
      {"links refused", EPERM, true, true},
      {"backup name taken again once", EEXIST, false, true},
      {"backup name taken again every time", EEXIST, true, true},
      {"no room for the copy", EPERM, true, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    FaultDisk disk;
    disk.Put("p/x.pm2", kOld);
    disk.WatchName("p/x.pm2");
    if (r.always) disk.FailFrom(FaultDisk::kLink, 1, r.linkError);
    else disk.FailAt(FaultDisk::kLink, 1, r.linkError);
    if (!r.backupTaken) disk.FailAt(FaultDisk::kWrite, 2, ENOSPC);  // 1: the new file, 2: the copy
    AtomicFileWriter writer(&disk);
    std::string err;
    ASSERT_TRUE(writer.Write("p/x.pm2", kNew, &err, "p/x_pm2.Bak")) << err;
    EXPECT_FALSE(disk.WatchedNameWentMissing());
    EXPECT_EQ(disk.Get("p/x.pm2"), kNew);
    if (r.backupTaken) {
      EXPECT_EQ(disk.Get("p/x_pm2.Bak"), kOld);
      EXPECT_EQ(writer.BackupWarning(), "");
    } else {
      EXPECT_EQ(writer.BackupWarning(), std::string("Cannot create 'p/x_pm2.Bak': ") + std::strerror(ENOSPC));
    }
    for (const std::string& name : disk.Names())
      EXPECT_TRUE(name == "p/x.pm2" || name == "p/x_pm2.Bak") << name;
  }
}

// A crash at any point of the write leaves the old file or the complete new
// one, never a mixture or nothing.
TEST(AtomicFileWriter, CrashAtAnyStepLeavesOldOrNewFile) {
  bool finished = false;
  for (int n = 1; n < 20 && !finished; ++n) {
    SCOPED_TRACE(n);
    FaultDisk disk;
    disk.Put("p/x.pm2", kOld);
    disk.CrashAt(n);
    AtomicFileWriter writer(&disk);
    std::string err;
    bool ok = writer.Write("p/x.pm2", kNew, &err, "p/x_pm2.Bak");
    if (!disk.Crashed()) {
      ASSERT_TRUE(ok) << err;
      disk.Crash();  // after a reported success the new file must be durable
      EXPECT_EQ(disk.Get("p/x.pm2"), kNew);
      finished = true;
      continue;
    }
    EXPECT_FALSE(ok);
    std::string now = disk.Get("p/x.pm2");
    EXPECT_TRUE(now == kOld || now == kNew) << now;
  }
  EXPECT_TRUE(finished);
}

TEST(AtomicFileWriter, NewFileWithoutBackupAndMissingFolder) {
  FaultDisk disk;
  AtomicFileWriter writer(&disk);
  std::string err;
  ASSERT_TRUE(writer.Write("n.txt", kNew, &err, "n_txt.Bak"));
  EXPECT_EQ(disk.Get("n.txt"), kNew);
  EXPECT_FALSE(disk.Has("n_txt.Bak"));
  EXPECT_EQ(disk.Names().size(), 1u);
}

// A replaced file keeps every permission bit it had, whatever the umask
// would cut from a new file (a group-writable file shared with a team stays
// group-writable); a new file gets 0666 less the umask.
TEST(AtomicFileWriter, RealDiskKeepsTheModeTheUmaskWouldCut) {
  struct Row {
    const char* name;
    unsigned umask;
    unsigned before;  // 0: no file yet
    unsigned after;
  } rows[] = {
      {"group-writable", 022, 0664, 0664},
      {"everyone writes", 022, 0666, 0666},
      {"executable script", 077, 0775, 0775},
      {"owner only", 022, 0600, 0600},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TempDir dir;
    const std::string path = dir / "main.c";
    std::string err;
    ASSERT_TRUE(WriteFileAtomically(path, "one", &err)) << err;
    ASSERT_EQ(::chmod(path.c_str(), r.before), 0);
    const mode_t saved = ::umask(r.umask);
    const bool written = WriteFileAtomically(path, "two", &err, dir / "main_c.Bak");
    ::umask(saved);
    ASSERT_TRUE(written) << err;
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, r.after);
  }
}

TEST(AtomicFileWriter, RealDiskKeepsModeAndRotatesBackup) {
  TempDir dir;
  std::string path = dir / "proj.pm2", bak = dir / "proj_pm2.Bak";
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, "one", &err, bak)) << err;
  ::chmod(path.c_str(), 0600);
  ASSERT_TRUE(WriteFileAtomically(path, "two", &err, bak)) << err;
  ASSERT_TRUE(WriteFileAtomically(path, "three", &err, bak)) << err;
  std::string got;
  ASSERT_TRUE(ReadWholeFile(path, got, &err));
  EXPECT_EQ(got, "three");
  ASSERT_TRUE(ReadWholeFile(bak, got, &err));
  EXPECT_EQ(got, "two");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            2);

  std::string missing = dir / "nope/x.ini";
  EXPECT_FALSE(WriteFileAtomically(missing, "x", &err));
  EXPECT_EQ(err, "Cannot write '" + missing + "': No such file or directory");
  EXPECT_FALSE(ReadWholeFile(missing, got, &err));
  EXPECT_EQ(err, "Cannot read '" + missing + "': No such file or directory");
  EXPECT_TRUE(got.empty());
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// Two files that differ only in their extension never share a backup, and
// a dot in a folder name stays as it is.
TEST(BackupNames, EveryDotOfTheNameOnly) {
  struct Row {
    const char* name;
    const char* path;
    const char* backup;
  } rows[] = {
      {"C source", "dir/main.c", "dir/main_c.Bak"},
      {"its header", "dir/main.h", "dir/main_h.Bak"},
      {"project file", "proj.pm2", "proj_pm2.Bak"},
      {"dotted folder", "a.b/c", "a.b/c.Bak"},
      {"two dots", "x/t.tar.gz", "x/t_tar_gz.Bak"},
      {"Windows form", "C:\\Src.1\\Led.C", "C:\\Src.1\\Led_C.Bak"},
  };
  for (const Row& r : rows) EXPECT_EQ(BackupNameOf(r.path), r.backup) << r.name;
}

}  // namespace
}  // namespace pm2
