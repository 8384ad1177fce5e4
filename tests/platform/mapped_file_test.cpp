#include "platform/mapped_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "temp_dir.h"

namespace pm2 {
namespace {

TEST(MappedFileView, DistinctErrorsForFilesThatCannotBeMapped) {
  TempDir dir;
  std::ofstream(dir / "empty.txt").flush();
  std::filesystem::create_directory(dir / "folder");
  struct Row {
    std::string path;
    MapError error;
    std::string reason;
  } rows[] = {
      {dir / "missing.c", MapError::kMissing, "no such file"},
      {dir / "missing/deeper.c", MapError::kMissing, "no such file"},
      {dir / "folder", MapError::kIsFolder, "it is a folder"},
      {dir / "empty.txt", MapError::kEmpty, "the file is empty"},
      {"/dev/null", MapError::kUnreadable, "the file cannot be read"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.path);
    MappedFileView view;
    std::string err;
    EXPECT_FALSE(view.Open(r.path, &err));
    EXPECT_EQ(view.error(), r.error);
    EXPECT_EQ(err, "Cannot map '" + r.path + "': " + r.reason);
    EXPECT_FALSE(view.is_open());
    EXPECT_EQ(view.size(), 0u);
  }
}

TEST(MappedFileView, MapsContentsAndMovesOwnership) {
  TempDir dir;
  std::string text = "p\x03\x00" "abc";
  text += std::string(10000, 'z');
  std::ofstream(dir / "a.obj", std::ios::binary) << text;
  MappedFileView view;
  ASSERT_TRUE(view.Open(dir / "a.obj"));
  EXPECT_EQ(std::string(view.data(), view.size()), text);
  MappedFileView moved(std::move(view));
  EXPECT_FALSE(view.is_open());
  EXPECT_EQ(std::string(moved.data(), moved.size()), text);
  // Reopening on a failing path releases the old mapping.
  EXPECT_FALSE(moved.Open(dir / "nothing"));
  EXPECT_EQ(moved.data(), nullptr);
}

}  // namespace
}  // namespace pm2
