// A group's Define list longer than a merge holds: the build says which
// file lost which entry, counts the error and does not translate the file
// with a cut list; a list exactly at the limit builds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/driver/build_driver.h"
#include "builder/driver/tools_project.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"

namespace pm2 {
namespace {

// The group's own block for the target, from the toolset's defaults.
OptionBlock& GroupBlock(ToolsProject& f) {
  GroupRec* group = f.project->firstGroup;
  OptionBlock* b = NewOptionBlock(kPoolProject);
  SetDefaultOptions(*b, f.target, f.target->toolset, kLevelTarget);
  SetDefaultOptions(*b, f.target, f.target->toolset, kLevelNode);
  b->owner = f.target;
  b->next = group->pOpts;
  group->pOpts = b;
  return *b;
}

// count times "X", then "LAST": count + 1 entries of few characters.
std::string Entries(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "X ";
  return text + "LAST";
}

TEST(DefineLimitBuild, FullListFailsTheFileAndTheBuild) {
  using Setter = void (*)(OptionBlock&, OptString);
  struct Row {
    const char* name;
    uint16_t toolset;
    const char* folder;
    const char* asmName;
    Setter setDefine;
    int entries;  // in the group's Define list
    bool fits;
  } rows[] = {
      {"51 past the limit", kToolset51, "Q51/", "Util.w51", [](OptionBlock& b, OptString s) { b.q51.Q51DEF = s; }, 257, false},
      {"51 at the limit", kToolset51, "Q51/", "Util.w51", [](OptionBlock& b, OptString s) { b.q51.Q51DEF = s; }, 256, true},
      {"251 past the limit", kToolset251, "Q251/", "Util.w51", [](OptionBlock& b, OptString s) { b.q251.Q251DEF = s; }, 257, false},
      {"251 at the limit", kToolset251, "Q251/", "Util.w51", [](OptionBlock& b, OptString s) { b.q251.Q251DEF = s; }, 256, true},
      {"166 past the limit", kToolset166, "Q166/", "Util.w66", [](OptionBlock& b, OptString s) { b.q166.DEFINE = s; }, 257, false},
      {"166 at the limit", kToolset166, "Q166/", "Util.w66", [](OptionBlock& b, OptString s) { b.q166.DEFINE = s; }, 256, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ToolsProject f;
    f.SetUpProject(row.toolset, row.folder);
    f.Add("Main.c", kFileC);
    f.Add(row.asmName, kFileAsm, "; nothing\n");
    const std::string defines = Entries(row.entries - 1);
    row.setDefine(GroupBlock(f), OptString(defines.c_str()));
    BuildDriver driver(f.Deps());
    driver.StartBuildThread(f.project, f.target, kBuildModeBuild);
    driver.Wait();
    ASSERT_FALSE(f.Lines().empty());
    if (row.fits) {
      EXPECT_TRUE(f.HasLine("compiling Main.c...\n"));
      EXPECT_EQ(f.Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
      EXPECT_FALSE(f.target->TGSTAT & kBuildNotBuilt);
      continue;
    }
    EXPECT_TRUE(f.HasLine("Main.c: error - the Define list of its command line is full (at most 256 entries and "
                          "1024 characters of names and values): 'LAST' and the entries after it were not "
                          "taken; the file is not translated\n"))
        << ::testing::PrintToString(f.Lines());
    EXPECT_FALSE(f.HasLine("compiling Main.c...\n"));  // no run with a cut list
    EXPECT_EQ(f.LineIndex("linking..."), -1);
    EXPECT_EQ(f.Lines().back(), "Target not created\n");
    EXPECT_EQ(driver.State().errors, 1);
    EXPECT_TRUE(f.target->TGSTAT & kBuildNotBuilt);
    EXPECT_FALSE(test::FileExists(f.dir / "MAIN.OBJ"));
  }
}

// The ARM-GNU compiler's translations run side by side: the refused file's
// line comes where a one-at-a-time build says it, the files after it are
// still translated, and the build is not created.
TEST(DefineLimitBuild, ArmGnuFileRefusedInItsPlaceAmongParallelTranslations) {
  ToolsProject p;
  p.SetUpProject(kToolsetArmGnu, "ARM/");
  p.info.makerFolder = p.info.secondToolsFolder = test::InstallRoot() + "ARM/GNU/bin/";
  p.Add("A.c", kFileC, "int a;\n// !standin sleep 0.3\n");
  FileRec* b = p.Add("B.c", kFileC, "int b;\n");
  p.Add("C.c", kFileC, "int c;\n");
  OptionBlock* own = NewOptionBlock(kPoolProject);
  SetDefaultOptions(*own, p.target, kToolsetArmGnu, kLevelTarget);
  SetDefaultOptions(*own, p.target, kToolsetArmGnu, kLevelNode);
  own->owner = p.target;
  own->next = b->pOpts;
  b->pOpts = own;
  const std::string defines = Entries(256);
  own->cGnu.ACDEFN = OptString(defines.c_str());

  auto rebuild = [&p](int workers) {
    const size_t before = p.Lines().size();
    BuildDriverDeps deps = p.Deps();
    deps.workers = workers;
    BuildDriver driver(deps);
    driver.BuildTarget(p.project, p.target, kBuildModeRebuild);
    EXPECT_EQ(driver.State().errors, 1) << workers << " workers";
    const auto lines = p.Lines();
    return std::vector<std::string>(lines.begin() + long(before), lines.end());
  };
  const auto serial = rebuild(1);
  const auto parallel = rebuild(4);
  EXPECT_EQ(parallel, serial);
  const std::string refused =
      "B.c: error - the Define list of its command line is full (at most 256 entries and 1024 characters of "
      "names and values): 'LAST' and the entries after it were not taken; the file is not translated\n";
  auto at = [&serial](const std::string& start) {
    for (size_t i = 0; i < serial.size(); ++i)
      if (serial[i].rfind(start, 0) == 0) return int(i);
    return -1;
  };
  ASSERT_GE(at(refused), 0) << ::testing::PrintToString(serial);
  EXPECT_LT(at("compiling A.c"), at(refused));
  EXPECT_GT(at("compiling C.c"), at(refused));
  EXPECT_EQ(at("compiling B.c"), -1);
  EXPECT_EQ(at("linking..."), -1);
  EXPECT_EQ(serial.back(), "Target not created\n");
}

}  // namespace
}  // namespace pm2
