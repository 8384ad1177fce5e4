// The dependency file: what is written, what is read back, and reading
// any cut of a file; the include-list merge.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "build/build_test_support.h"
#include "build/dependency_file.h"
#include "build/preprocessor.h"
#include "project/pool.h"
#include "project/project_records.h"

namespace pm2 {
namespace {

struct DepFixture : ::testing::Test {
  DepFixture() {
    project = NewProject("Demo", "/p/");
    project->firstTarget->toolset = kToolsetArmGnu;
    main = AddFileToGroup(project->firstGroup, "main.c", "./", kFileC);
    start = AddFileToGroup(project->firstGroup, "start.s", "./", kFileAsm);
  }
  ~DepFixture() override { PoolFree(kPoolDependencies); }
  ProjectRec* project;
  FileRec* main;
  FileRec* start;
  DepFileTime times = [](const std::string& path, uint32_t* t) {
    *t = path == "./main.c" ? 0xABCDEF01u : 0x10u;
    return true;
  };
};

TEST_F(DepFixture, WrittenTextReadsBackWithNestedParentheses) {
  main->lastControls = OptString("-c -DX=(1+(2)) -O2");
  std::vector<IncludeEntry> scanned = {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 0x22, "a.h"},
                                       {kIncludeHeader, 0x33, "INC\\B.H"}};
  MergeIncludeList(*main, scanned);
  const std::string text = DependencyFileText(*project, *project->firstTarget, times);
  EXPECT_EQ(text,
            "Dependencies for Project 'Demo', Target 'Target 1': (DO NOT MODIFY !)\r\n"
            "F (./main.c)(0xABCDEF01)(-c -DX=(1+(2)) -O2)\r\n"
            "I (a.h)(0x00000022)\r\n"
            "I (INC\\B.H)(0x00000033)\r\n"
            "F (./start.s)(0x00000010)()\r\n");
  ClearDependencyData(*project);
  EXPECT_EQ(main->depIncludes, nullptr);
  ReadDependencyText(*project, text);
  EXPECT_EQ(main->lastControls.str(), "-c -DX=(1+(2)) -O2");
  EXPECT_EQ(main->time, 0xABCDEF01u);
  ASSERT_NE(main->depIncludes, nullptr);
  EXPECT_EQ(main->depIncludes->path.str(), "a.h");
  ASSERT_NE(main->depIncludes->next, nullptr);
  EXPECT_EQ(main->depIncludes->next->time, 0x33u);
  EXPECT_EQ(main->depIncludes->next->next, nullptr);
}

TEST_F(DepFixture, LinesOfFilesNotInTheProjectAreSkipped) {
  ReadDependencyText(*project,
                     "header\n"
                     "F (./gone.c)(0x1)(x)\nI (lost.h)(0x2)\n"
                     "F (./MAIN.C)(0xff)(y)\nI (kept.h)(0X3)\nZ junk\nI (after.h)(0x4)\n");
  EXPECT_EQ(main->lastControls.str(), "y");
  EXPECT_EQ(main->time, 0xFFu);
  ASSERT_NE(main->depIncludes, nullptr);
  EXPECT_EQ(main->depIncludes->path.str(), "kept.h");
  EXPECT_EQ(main->depIncludes->next, nullptr);  // an unknown line ends the I lines
}

TEST_F(DepFixture, EveryCutOfAFileReadsCleanly) {
  main->lastControls = OptString("-c (a)");
  MergeIncludeList(*main, {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 2, "a.h"}});
  const std::string text = DependencyFileText(*project, *project->firstTarget, times);
  for (size_t n = 0; n <= text.size(); ++n) {
    ClearDependencyData(*project);
    ReadDependencyText(*project, text.substr(0, n));
    // A cut field never reaches past the cut.
    EXPECT_LE(main->lastControls.size(), n);
  }
}

TEST_F(DepFixture, MergeKeepsRecordsWhenPathsMatch) {
  MergeIncludeList(*main, {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 2, "a.h"}});
  DepIncludeRec* first = main->depIncludes;
  MergeIncludeList(*main, {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 9, "A.H"}});
  EXPECT_EQ(main->depIncludes, first);
  EXPECT_EQ(first->time, 9u);
  MergeIncludeList(*main, {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 9, "b.h"}});
  EXPECT_NE(main->depIncludes, first);
  EXPECT_EQ(main->depIncludes->path.str(), "b.h");
}

// The file on disk is replaced only when its text would change: an
// unchanged project keeps the very same file (same inode, same time).
TEST(DependencyFileWrite, UnchangedFileIsNotRewritten) {
  test::ScratchFolder dir;
  ProjectRec* project = NewProject("Demo", dir.Path().c_str());
  project->firstTarget->toolset = kToolsetArmGnu;
  FileRec* main = AddFileToGroup(project->firstGroup, "main.c", "./", kFileC);
  main->lastControls = OptString("-c -O2");
  MergeIncludeList(*main, {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 2, "a.h"}});
  uint32_t sourceTime = 0x100;
  DepFileTime times = [&](const std::string&, uint32_t* t) {
    *t = sourceTime;
    return true;
  };
  const std::string name = DependencyFileName(*project, *project->firstTarget);
  auto inodeOf = [&] {
    struct stat st;
    return ::stat(name.c_str(), &st) == 0 ? st.st_ino : ino_t(0);
  };
  std::string err;
  ASSERT_TRUE(WriteDependencyFile(*project, *project->firstTarget, times, &err)) << err;
  const ino_t first = inodeOf();
  ASSERT_NE(first, ino_t(0));
  EXPECT_EQ(test::ReadFile(name), DependencyFileText(*project, *project->firstTarget, times));

  ASSERT_TRUE(WriteDependencyFile(*project, *project->firstTarget, times, &err)) << err;
  EXPECT_EQ(inodeOf(), first);

  struct Row {
    const char* name;
    std::function<void()> change;
  } rows[] = {
      {"source time", [&] { sourceTime = 0x101; }},
      {"control string", [&] { main->lastControls = OptString("-c -O3"); }},
      {"include time", [&] { main->depIncludes->time = 7; }},
      {"file edited by hand", [&] { test::WriteFile(name, "Dependencies for nothing\r\n"); }},
  };
  for (const Row& r : rows) {
    const ino_t before = inodeOf();
    r.change();
    ASSERT_TRUE(WriteDependencyFile(*project, *project->firstTarget, times, &err)) << err;
    EXPECT_NE(inodeOf(), before) << r.name;
    EXPECT_EQ(test::ReadFile(name), DependencyFileText(*project, *project->firstTarget, times)) << r.name;
  }
  PoolFree(kPoolDependencies);
  PoolFree(kPoolProject);
}

}  // namespace
}  // namespace pm2
