// The watch of the build's folders: a folder reached under two names (one
// of them through a link) is told changed under each name, whichever name
// was added last.
#include "builder/driver/folder_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "builder/build_test_support.h"

namespace pm2 {
namespace {

TEST(FolderWatch, AFolderUnderTwoNamesIsToldUnderEach) {
  test::ScratchFolder dir;
  ASSERT_FALSE(dir.Path().empty());
  std::filesystem::create_directories(dir / "real");
  std::filesystem::create_directory_symlink("real", dir / "link");
  FolderWatch watch;
  ASSERT_TRUE(watch.Add(dir / "link/"));
  ASSERT_TRUE(watch.Add(dir / "real/"));
  test::WriteFile(dir / "real/a.h", "edited\n");
  FolderWatch::Changes changes = watch.Take();
  EXPECT_FALSE(changes.all);
  for (const char* name : {"link/a.h", "real/a.h"})
    EXPECT_NE(std::find(changes.paths.begin(), changes.paths.end(), dir / name), changes.paths.end()) << name;
}

}  // namespace
}  // namespace pm2
