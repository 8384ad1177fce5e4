// The folder names the program lookup reads: the same answers as a fresh
// read of the folder, a settled folder read once, and a file added or
// removed later seen at once.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <ctime>

#include "builder/build_test_support.h"
#include "builder/runner/folder_names.h"

namespace pm2 {
namespace {

// The folder's time set well in the past, as a project folder left alone.
void Settle(const std::string& folder) {
  const time_t past = time(nullptr) - 60;
  struct utimbuf times{past, past};
  ASSERT_EQ(::utime(folder.c_str(), &times), 0);
}

struct NameRow {
  const char* name;
  const char* asked;
  std::vector<std::string> expected;
};

class FolderNames : public ::testing::TestWithParam<NameRow> {};

TEST_P(FolderNames, MatchIgnoringCase) {
  test::ScratchFolder dir;
  for (const char* f : {"Tool.EXE", "other.c", "README"}) test::WriteFile(dir / f, "x");
  Settle(dir.Path());
  for (int i = 0; i < 2; ++i) EXPECT_EQ(FolderNamesIgnoringCase(dir.Path(), GetParam().asked), GetParam().expected) << i;
}

INSTANTIATE_TEST_SUITE_P(Rows, FolderNames,
                         ::testing::Values(NameRow{"Exact", "Tool.EXE", {"Tool.EXE"}},
                                           NameRow{"OtherCase", "tool.exe", {"Tool.EXE"}},
                                           NameRow{"UpperOfLower", "OTHER.C", {"other.c"}},
                                           NameRow{"Missing", "tool", {}}),
                         [](const auto& row) { return std::string(row.param.name); });

struct ChangeRow {
  const char* name;
  bool add;  // add the file after the first look, else remove it
};

class SettledFolder : public ::testing::TestWithParam<ChangeRow> {};

// Read once while unchanged; a change after the first look gives the
// folder a new time and the next look reads it again.
TEST_P(SettledFolder, IsReadOnceUntilItChanges) {
  test::ScratchFolder dir;
  test::WriteFile(dir / "a.c", "x");
  if (!GetParam().add) test::WriteFile(dir / "Arm-GCC", "x");
  Settle(dir.Path());
  const long before = FolderReadsForTest();
  const bool present = !GetParam().add;
  EXPECT_EQ(FolderNamesIgnoringCase(dir.Path(), "arm-gcc").size(), present ? 1u : 0u);
  EXPECT_EQ(FolderNamesIgnoringCase(dir.Path(), "arm-gcc").size(), present ? 1u : 0u);
  EXPECT_EQ(FolderReadsForTest() - before, 1) << "a settled folder is read once";
  if (GetParam().add) test::WriteFile(dir / "ARM-gcc", "x");
  else ::unlink((dir / "Arm-GCC").c_str());
  EXPECT_EQ(FolderNamesIgnoringCase(dir.Path(), "arm-gcc").size(), present ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Rows, SettledFolder,
                         ::testing::Values(ChangeRow{"Added", true}, ChangeRow{"Removed", false}),
                         [](const auto& row) { return std::string(row.param.name); });

// A folder changed lately is read at every look.
TEST(FolderNamesFresh, ChangedLatelyIsReadEachTime) {
  test::ScratchFolder dir;
  test::WriteFile(dir / "x.c", "x");
  const long before = FolderReadsForTest();
  FolderNamesIgnoringCase(dir.Path(), "X.C");
  FolderNamesIgnoringCase(dir.Path(), "X.C");
  EXPECT_EQ(FolderReadsForTest() - before, 2);
}

}  // namespace
}  // namespace pm2
