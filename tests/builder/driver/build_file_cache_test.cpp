// The build's file cache: a conversion gives what ToLocalPath gives; a
// status stays what the first stat call found until the file is forgotten,
// and then it is the file's new one.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include "builder/build_test_support.h"
#include "builder/driver/build_file_cache.h"

namespace pm2 {
namespace {

struct ConversionRow {
  const char* name;
  const char* stored;
};

class CachedConversion : public ::testing::TestWithParam<ConversionRow> {};

// Asked twice, the cached conversion equals the uncached one, also when a
// file of the same folder was converted before (the folder is converted
// once and the name appended).
TEST_P(CachedConversion, IsTheUncachedOne) {
  DriveMap drives;
  drives.Set("K", "/mnt/tools");
  const std::string stored = GetParam().stored;
  const size_t cut = stored.find_last_of("/\\");
  const std::string sibling = (cut == std::string::npos ? std::string() : stored.substr(0, cut + 1)) + "zz.c";
  BuildFileCache cache;
  cache.Reset("/proj/", drives);
  for (const std::string& path : {sibling, stored, sibling}) {
    std::string expected, err;
    const bool mapped = ToLocalPath(path, "/proj/", drives, &expected, &err);
    for (int i = 0; i < 2; ++i) {
      std::string local, once;
      EXPECT_EQ(cache.Converted(path, &local), mapped) << path;
      EXPECT_EQ(local, mapped ? expected : std::string()) << path;
      EXPECT_EQ(cache.ConvertedOnce(path, &once), mapped) << path;
      EXPECT_EQ(once, local) << path;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, CachedConversion,
                         ::testing::Values(ConversionRow{"Relative", ".\\Obj\\a.o"},
                                           ConversionRow{"Parent", "..\\inc\\b.h"},
                                           ConversionRow{"Absolute", "/usr/include/c.h"},
                                           ConversionRow{"MappedDrive", "K:\\ARM\\INC\\d.h"},
                                           ConversionRow{"UnmappedDrive", "Q:\\e.c"},
                                           ConversionRow{"BareName", "a.c"},
                                           ConversionRow{"DriveRelative", "K:d.h"},
                                           ConversionRow{"UnmappedDriveRelative", "Q:d.h"},
                                           ConversionRow{"MixedSeparators", "./src\\mod/f.c"},
                                           ConversionRow{"ParentInTheMiddle", ".\\src\\..\\x.c"},
                                           ConversionRow{"NameIsParent", ".\\Obj\\.."},
                                           ConversionRow{"NameIsDot", ".\\Obj\\."},
                                           ConversionRow{"FolderOnly", ".\\Obj\\"},
                                           ConversionRow{"DotsInName", "..\\a..b.c"},
                                           ConversionRow{"RepeatedSeparators", ".//src//f.c"},
                                           ConversionRow{"Root", "/x.c"}),
                         [](const auto& row) { return std::string(row.param.name); });

// A new build starts from nothing: a folder given anew is taken.
TEST(BuildFileCache, ResetDropsTheConversions) {
  BuildFileCache cache;
  cache.Reset("/one/", DriveMap());
  std::string local;
  ASSERT_TRUE(cache.Converted("a.c", &local));
  EXPECT_EQ(local, "/one/a.c");
  cache.Reset("/two/", DriveMap());
  ASSERT_TRUE(cache.Converted("a.c", &local));
  EXPECT_EQ(local, "/two/a.c");
}

void SetTime(const std::string& path, time_t when) {
  struct utimbuf times{when, when};
  ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

struct ChangeRow {
  const char* name;
  bool forget;     // the build forgets the file (a tool may have written it)
  bool newBuild;   // a new build (Reset) instead
};

class StatusAfterChange : public ::testing::TestWithParam<ChangeRow> {};

// A file changed between two looks: the cache keeps the first status until
// the file is forgotten or a new build starts; then it is what stat says.
TEST_P(StatusAfterChange, IsTheDiskOnceForgotten) {
  test::ScratchFolder dir;
  const std::string path = dir.Path() + "a.c";
  test::WriteFile(path, "int a;\n");
  SetTime(path, 1000000000);
  BuildFileCache cache;
  cache.Reset(dir.Path(), DriveMap());
  const FileStatus first = cache.Status(path);
  ASSERT_TRUE(first.exists);
  EXPECT_EQ(first.time, 1000000000u);
  SetTime(path, 1000000100);
  EXPECT_EQ(cache.Status(path).ns, first.ns) << "looked at once per build";
  if (GetParam().forget) cache.Forget(path);
  if (GetParam().newBuild) cache.Reset(dir.Path(), DriveMap());
  FileStatus disk;
  ASSERT_TRUE(StatFile(path, &disk));
  const FileStatus now = cache.Status(path);
  EXPECT_EQ(now.ns, disk.ns);
  EXPECT_EQ(now.time, 1000000100u);
  ::unlink(path.c_str());
  cache.ForgetStatuses();
  EXPECT_FALSE(cache.Status(path).exists) << "a deleted file, once forgotten, is missing";
}

INSTANTIATE_TEST_SUITE_P(Rows, StatusAfterChange,
                         ::testing::Values(ChangeRow{"Forgotten", true, false},
                                           ChangeRow{"NewBuild", false, true}),
                         [](const auto& row) { return std::string(row.param.name); });

// A missing file is remembered as missing, with no time.
TEST(BuildFileCache, MissingFileHasNoTime) {
  test::ScratchFolder dir;
  BuildFileCache cache;
  cache.Reset(dir.Path(), DriveMap());
  const FileStatus s = cache.Status(dir.Path() + "none.c");
  EXPECT_FALSE(s.exists);
  EXPECT_EQ(s.time, 0u);
  EXPECT_EQ(s.ns, 0);
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// A file in the project folder is looked up from the folder, one elsewhere
// from the root: both give what a stat call of the whole path gives.
TEST(BuildFileCache, InAndOutsideTheFolderAsStat) {
  test::ScratchFolder project, other;
  for (const char* sub : {"Obj", "Lst", "Obj/deep"}) std::filesystem::create_directories(project.Path() + sub);
  // Subfolders in turn, so each is looked up from after another.
  const std::string paths[] = {project.Path() + "a.c",      project.Path() + "Obj/a.o", project.Path() + "Lst/a.lst",
                               project.Path() + "Obj/b.o",  project.Path() + "Obj/deep/c.o",
                               other.Path() + "b.h"};
  for (const std::string& p : paths) test::WriteFile(p, "x\n");
  BuildFileCache cache;
  cache.Reset(project.Path(), DriveMap());
  for (const std::string& p : paths) {
    FileStatus disk;
    ASSERT_TRUE(StatFile(p, &disk)) << p;
    const FileStatus cached = cache.Status(p);
    EXPECT_TRUE(cached.exists) << p;
    EXPECT_EQ(cached.ns, disk.ns) << p;
  }
}

// Sources in subfolders and objects in another, looked up in turns, each
// from its own folder handle; a folder replaced or made by a tool (forgotten
// statuses) is looked up anew.
TEST(BuildFileCache, SubfoldersInTurnsAndReplacedFolders) {
  test::ScratchFolder project;
  const std::string root = project.Path();
  for (const char* sub : {"src/a", "src/b", "Obj"}) std::filesystem::create_directories(root + sub);
  BuildFileCache cache;
  cache.Reset(root, DriveMap());
  for (int i = 0; i < 6; ++i) {
    const std::string source = root + (i % 2 ? "src/b/" : "src/a/") + std::to_string(i) + ".c";
    const std::string object = root + "Obj/" + std::to_string(i) + ".o";
    test::WriteFile(source, "x\n");
    if (i % 3 != 0) test::WriteFile(object, "o\n");
    EXPECT_TRUE(cache.Status(source).exists) << source;
    EXPECT_EQ(cache.Status(object).exists, i % 3 != 0) << object;
  }
  EXPECT_FALSE(cache.Status(root + "Lst/0.lst").exists) << "a folder not there";
  // A tool replaces Obj and makes Lst.
  std::filesystem::remove_all(root + "Obj");
  std::filesystem::create_directories(root + "Obj");
  std::filesystem::create_directories(root + "Lst");
  test::WriteFile(root + "Obj/new.o", "o\n");
  test::WriteFile(root + "Lst/0.lst", "l\n");
  cache.ForgetStatuses();
  EXPECT_TRUE(cache.Status(root + "Obj/new.o").exists);
  EXPECT_FALSE(cache.Status(root + "Obj/1.o").exists);
  EXPECT_TRUE(cache.Status(root + "Lst/0.lst").exists);
}

}  // namespace
}  // namespace pm2
