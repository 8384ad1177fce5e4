#include "platform/win_path.h"

#include <gtest/gtest.h>

#include <fstream>

#include "temp_dir.h"

namespace pm2 {
namespace {

struct PartsRow {
  const char* path;
  const char* name;
  const char* folder;
  const char* ext;
  bool absolute;
};
const PartsRow kParts[] = {
    {"C:\\Tools\\Q51\\BIN\\Q51.EXE", "Q51.EXE", "C:\\Tools\\Q51\\BIN\\", ".EXE", true},
    {".\\src/main.c", "main.c", ".\\src/", ".c", false},
    {"c:main.c", "main.c", "c:", ".c", false},
    {"\\\\server\\share\\a.b.pm2", "a.b.pm2", "\\\\server\\share\\", ".pm2", true},
    {"/home/u/.profile", ".profile", "/home/u/", "", true},
    {"dir.x\\Makefile", "Makefile", "dir.x\\", "", false},
    {"C:", "", "C:", "", false},
};

TEST(WinPath, PartsOfAPath) {
  for (const PartsRow& r : kParts) {
    SCOPED_TRACE(r.path);
    EXPECT_EQ(FileNamePart(r.path), r.name);
    EXPECT_EQ(FolderPart(r.path), r.folder);
    EXPECT_EQ(ExtensionPart(r.path), r.ext);
    EXPECT_EQ(IsAbsolutePath(r.path), r.absolute);
  }
  EXPECT_EQ(SplitPath("C:\\a\\\\b/c\\"), (std::vector<std::string>{"C:", "a", "b", "c"}));
  EXPECT_EQ(ChangeExtension("a.b\\x.c", "obj"), "a.b\\x.obj");
  EXPECT_EQ(ChangeExtension("a.b\\x", ".o"), "a.b\\x.o");
  EXPECT_EQ(ChangeExtension("x.tar.gz", ""), "x.tar");
  EXPECT_EQ(JoinPath("C:", "x"), "C:x");
  EXPECT_EQ(JoinPath("a\\", "\\b"), "a\\b");
  EXPECT_EQ(JoinPath("a", "b", '\\'), "a\\b");
  EXPECT_TRUE(SamePathIgnoringCase("C:\\Tools/TOOLS.ini", "c:/TOOLS\\tools.INI"));
  EXPECT_FALSE(SamePathIgnoringCase("a\\b", "a\\bc"));
}

struct LocalRow {
  const char* stored;
  const char* base;
  const char* expected;  // null: refused
};
const LocalRow kLocal[] = {
    {".\\src\\main.c", "/proj", "/proj/src/main.c"},
    {"..\\lib\\x.lib", "/proj/sub", "/proj/lib/x.lib"},
    {"src/../inc//a.h", "/proj/", "/proj/inc/a.h"},
    {"C:\\Tools\\TOOLS.INI", "/proj", "/home/u/c/Tools/TOOLS.INI"},
    {"c:startup.w51", "/proj", "/home/u/c/startup.w51"},
    {"D:\\x.c", "/proj", nullptr},
    {"x.c", "", nullptr},
    {"/usr/include/stdio.h", "", "/usr/include/stdio.h"},
    {"\\..\\..\\etc", "/proj", "/etc"},
};

TEST(WinPath, StoredPathToLocalPathAgainstBaseAndDrives) {
  DriveMap drives;
  ASSERT_TRUE(drives.Set("c:", "/home/u/c"));
  EXPECT_FALSE(drives.Set("CC", "/x"));
  for (const LocalRow& r : kLocal) {
    SCOPED_TRACE(r.stored);
    std::string out, err;
    bool ok = ToLocalPath(r.stored, r.base, drives, &out, &err);
    ASSERT_EQ(ok, r.expected != nullptr) << err;
    if (ok) {
      EXPECT_EQ(out, r.expected);
    }
  }
  std::string out, err;
  ToLocalPath("D:\\x.c", "/p", drives, &out, &err);
  EXPECT_EQ(err, "'D:\\x.c': drive D: is not mapped to a folder");
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(PathResolver, FindsFilesWhoseComponentsDifferInCase) {
  TempDir dir;
  std::filesystem::create_directories(dir / "Src/Inc");
  Touch(dir / "Src/Inc/Board.H");
  Touch(dir / "Src/main.c");
  Touch(dir / "Src/MAIN.C");
  PathResolver resolver;
  resolver.Drives().Set("C", dir.path());
  struct Row {
    const char* stored;
    const char* found;  // relative to dir, null: not found
  } rows[] = {
      {".\\src\\inc\\board.h", "Src/Inc/Board.H"},
      {"C:\\SRC\\INC\\BOARD.H", "Src/Inc/Board.H"},
      {"src/Main.c", "Src/MAIN.C"},  // first case variant in name order
      {"Src\\main.c", "Src/main.c"},  // the exact name wins
      {"src\\inc\\nothere.h", nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.stored);
    std::string out, err;
    bool ok = resolver.ResolveStoredPath(r.stored, dir.path(), &out, &err);
    ASSERT_EQ(ok, r.found != nullptr);
    if (ok)
      EXPECT_EQ(out, dir / r.found);
    else
      EXPECT_EQ(err, std::string("'") + r.stored + "' not found");
  }
}

TEST(PathResolver, FolderListingIsCachedUntilInvalidated) {
  TempDir dir;
  PathResolver resolver;
  std::string out;
  EXPECT_FALSE(resolver.ResolveStoredPath("NEW.C", dir.path(), &out));
  Touch(dir / "new.c");
  EXPECT_FALSE(resolver.ResolveStoredPath("NEW.C", dir.path(), &out));
  resolver.InvalidateFolder(dir.path() + "/");
  ASSERT_TRUE(resolver.ResolveStoredPath("NEW.C", dir.path(), &out));
  EXPECT_EQ(out, dir / "new.c");
  // A file removed behind the cache's back is not reported as found.
  std::filesystem::remove(dir / "new.c");
  EXPECT_FALSE(resolver.ResolveStoredPath("NEW.C", dir.path(), &out));
}

// The real file system, with the folders listed and the paths looked at
// counted.
class CountingFileSystem : public FileSystemView {
 public:
  bool Exists(const std::string& path) override {
    ++looks;
    return RealFileSystem().Exists(path);
  }
  bool ListFolder(const std::string& folder, std::vector<std::string>* names) override {
    listed.push_back(folder);
    return RealFileSystem().ListFolder(folder, names);
  }
  std::vector<std::string> listed;
  int looks = 0;
};

// Only a folder where a name is not found as spelt is read: looking up a
// file under a deep path reads none of the folders above it (one of them may
// be /tmp, with thousands of names).
TEST(PathResolver, ListsOnlyFoldersWhereANameDiffersInCase) {
  TempDir dir;
  std::filesystem::create_directories(dir / "Src/Obj");
  Touch(dir / "Src/Obj/Blinky.plg");
  struct Row {
    const char* name;
    const char* stored;
    bool found;
    std::vector<std::string> listed;  // relative to dir
  } rows[] = {
      {"exact", "Src/Obj/Blinky.plg", true, {}},
      {"missing_file", "Src/Obj/Blinky.dep", false, {"Src/Obj"}},
      {"file_in_other_case", "Src/Obj/BLINKY.PLG", true, {"Src/Obj"}},
      {"folder_in_other_case", "src/Obj/Blinky.plg", true, {""}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CountingFileSystem fs;
    PathResolver resolver(&fs);
    std::string out;
    EXPECT_EQ(resolver.ResolveStoredPath(r.stored, dir.path(), &out), r.found);
    std::vector<std::string> expected;
    for (const std::string& rel : r.listed) expected.push_back(rel.empty() ? dir.path() : dir / rel);
    EXPECT_EQ(fs.listed, expected);
  }
}

// A dependency file names its includes in upper case: the folders found for
// one are remembered, so the next file under them is looked up from there
// (its own name, then the file found) instead of every folder from the root.
// A folder renamed meanwhile is found again under its new name.
TEST(PathResolver, FoldersFoundAreRememberedUntilTheyChange) {
  TempDir dir;
  std::filesystem::create_directories(dir / "Src/Inc");
  Touch(dir / "Src/Inc/a.h");
  Touch(dir / "Src/Inc/b.h");
  Touch(dir / "Src/Inc/c.h");
  CountingFileSystem fs;
  PathResolver resolver(&fs);
  std::string out;
  ASSERT_TRUE(resolver.ResolveStoredPath("SRC\\INC\\A.H", dir.path(), &out));
  EXPECT_EQ(out, dir / "Src/Inc/a.h");
  struct Row {
    const char* name;
    const char* stored;
    const char* found;  // relative to dir, null: not found
    int looks;          // paths looked at
  } rows[] = {
      // The whole name, the name in its folder, the file found.
      {"file_in_other_case", "SRC\\INC\\B.H", "Src/Inc/b.h", 3},
      // The whole name, the file as it stands in its folder.
      {"file_as_spelt", "SRC\\INC\\c.h", "Src/Inc/c.h", 2},
      // The whole name, the name in its folder, the folder still there.
      {"missing_file", "SRC\\INC\\NONE.H", nullptr, 3},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fs.looks = 0;
    ASSERT_EQ(resolver.ResolveStoredPath(r.stored, dir.path(), &out), r.found != nullptr);
    if (r.found) {
      EXPECT_EQ(out, dir / r.found);
    }
    EXPECT_EQ(fs.looks, r.looks);
  }
  // Renamed behind the resolver's back: the remembered folder has gone, and
  // the file is looked for again from the root.
  std::filesystem::create_directories(dir / "Lib/Inc");
  Touch(dir / "Lib/Inc/d.h");
  ASSERT_TRUE(resolver.ResolveStoredPath("Lib\\Inc\\D.H", dir.path(), &out));
  std::filesystem::rename(dir / "Lib/Inc", dir / "Lib/inc");
  ASSERT_TRUE(resolver.ResolveStoredPath("Lib\\Inc\\D.H", dir.path(), &out));
  EXPECT_EQ(out, dir / "Lib/inc/d.h");
  // Renamed and said: found under the new name.
  std::filesystem::rename(dir / "Src/Inc", dir / "Src/Headers");
  resolver.InvalidateFolder(dir / "Src");
  ASSERT_TRUE(resolver.ResolveStoredPath("SRC\\HEADERS\\B.H", dir.path(), &out));
  EXPECT_EQ(out, dir / "Src/Headers/b.h");
  EXPECT_FALSE(resolver.ResolveStoredPath("SRC\\INC\\B.H", dir.path(), &out));
}

}  // namespace
}  // namespace pm2
