#include "builder/driver/toolset_folders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include <filesystem>

#include "builder/preprocessor/preprocessor.h"
#include "platform/temp_dir.h"
#include "project/environment/environment.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

TEST(ToolsetFolders, StripBinFolderIgnoresCaseAndSeparator) {
  struct Row { const char* name; const char* in; const char* out; };
  const Row rows[] = {
      {"backslash", "C:\\Tools\\Q51\\BIN\\", "C:\\Tools\\Q51\\"},
      {"lower case", "C:\\Tools\\Q51\\bin\\", "C:\\Tools\\Q51\\"},
      {"slash", "/opt/q51/Bin/", "/opt/q51/"},
      {"no bin", "/opt/q51/tools/", "/opt/q51/tools/"},
      {"too short to strip", "BIN\\", "BIN\\"},
      {"bin inside a name", "/opt/cabin/", "/opt/cabin/"},
  };
  for (const Row& r : rows) EXPECT_EQ(StripBinFolder(r.in), r.out) << r.name;
}

class ToolsetFoldersWithProject : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState();
    info_.toolset = kToolsetArmGnu;
    info_.rootFolder = dir_.path() + "/GNU/";
    info_.toolsFolder = info_.rootFolder + "BIN/";
    info_.secondToolsFolder = dir_.path() + "/GNU/Arm-Tools/Bin/";
    theApp().m_pToolsetInfo[kToolsetArmGnu] = &info_;
    target_.toolset = kToolsetArmGnu;
    project_.curTarget = &target_;
    theApp().m_pProject = &project_;
  }
  void TearDown() override { ResetAppState(); }

  TempDir dir_;
  ToolsetInfo info_;
  TargetRec target_;
  ProjectRec project_;
};

TEST_F(ToolsetFoldersWithProject, LibFolderFromRootOrOwnEnvironment) {
  std::string out;
  ASSERT_TRUE(GetToolsetLibFolder(theApp(), target_, &out));
  EXPECT_EQ(out, info_.rootFolder + "LIB/");

  target_.USEENV = 1;
  EXPECT_FALSE(GetToolsetLibFolder(theApp(), target_, &out)) << "own environment without ENVLIB";
  target_.ENVLIB = OptString::Pooled("/my/lib/", kPoolScratch);
  ASSERT_TRUE(GetToolsetLibFolder(theApp(), target_, &out));
  EXPECT_EQ(out, "/my/lib/");
}

TEST_F(ToolsetFoldersWithProject, IncludeFolderIsProgramFolderWithoutBin) {
  std::string out;
  const size_t length = GetToolsetIncludeFolder(theApp(), &out);
  EXPECT_EQ(length, out.size());
  EXPECT_EQ(out, dir_.path() + "/GNU/Arm-Tools/INCLUDE/");
  target_.USEENV = 1;
  EXPECT_EQ(GetToolsetIncludeFolder(theApp(), &out), 0u);
}

TEST_F(ToolsetFoldersWithProject, SystemIncludeFolderPrefersIncludeThenSys) {
  std::string out;
  EXPECT_EQ(FindSystemIncludeFolder(theApp(), "stdio.h", &out), 0u) << "no folders yet";

  const std::string include = dir_.path() + "/GNU/Arm-Tools/Include/";
  std::filesystem::create_directories(include + "Sys");
  std::ofstream(include + "Sys/types.h") << "\n";
  ASSERT_GT(FindSystemIncludeFolder(theApp(), "types.h", &out), 0u);
  EXPECT_EQ(out, include + "Sys/");

  std::ofstream(include + "types.h") << "\n";
  ASSERT_GT(FindSystemIncludeFolder(theApp(), "types.h", &out), 0u);
  EXPECT_EQ(out, include);
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// The scan searches the INCLUDE folder beside the toolset's programs,
// unless the target brings its own environment.
TEST(AddToolsetIncludePath, ProgramFolderWithoutBin) {
  struct Row {
    const char* name;
    const char* tools;
    const char* programs;
    uint8_t useEnv;
    std::vector<std::string> expected;
  } rows[] = {
      {"program folder", "/r/ARM/BIN/", "/r/GNU/Arm-Tools/Bin/", 0, {"/r/GNU/Arm-Tools/INCLUDE"}},
      {"tools folder when no program folder", "C:\\ARM\\BIN\\", "", 0, {"C:\\ARM\\INCLUDE"}},
      {"own environment", "/r/ARM/BIN/", "/r/GNU/Bin/", 1, {}},
  };
  for (const Row& r : rows) {
    ToolsetInfo info;
    info.toolsFolder = r.tools;
    info.secondToolsFolder = r.programs;
    TargetRec target;
    target.USEENV = r.useEnv;
    DepScanRequest scan;
    AddToolsetIncludePath(target, &info, scan);
    EXPECT_EQ(scan.includePaths, r.expected) << r.name;
  }
}

}  // namespace
}  // namespace pm2
