// The build driver without tools: the end of a build with an undefined
// toolset, an ARM library target, stop requests and the file properties.
#include <gtest/gtest.h>

#include "builder/build_test_support.h"
#include "builder/commands/arm_controls.h"
#include "builder/commands/gnu_command_file.h"
#include "builder/driver/build_driver.h"
#include "builder/driver/build_state.h"
#include "builder/runner/tool_environment.h"
#include "platform/notification_hub.h"
#include "project/environment/environment.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/recording_shell.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

struct DriverFixture : ::testing::Test {
  DriverFixture() {
    project = NewProject(nullptr, (dir.Path() + "P.pm2").c_str());
    target = project->firstTarget;
    info.toolsFolder = dir.Path() + "BIN/";
    theApp().m_pToolsetInfo[kToolsetArmGnu] = &info;
  }
  ~DriverFixture() override {
    theApp().m_pToolsetInfo[kToolsetArmGnu] = nullptr;
    PoolFree(kPoolScratch);
    PoolFree(kPoolProject);
  }
  std::vector<std::string> Lines() const { return hub.Texts(kNotifyBuildOutputLine); }
  intptr_t FinishedArg() const {
    for (const auto& e : hub.Entries())
      if (e.code == kNotifyBuildFinished) return e.arg;
    return -1;
  }
  test::ScratchFolder dir;
  ScopedRecordingShell shell;
  RecordingHub hub;
  ToolsetInfo info;
  ProjectRec* project;
  TargetRec* target;
};

// The thread runs for an undefined toolset too: it says so and ends the
// build, so the program is not left busy.
TEST_F(DriverFixture, UndefinedToolsetEndsTheBuild) {
  BuildDriver driver({&hub, &shell.shell, nullptr, "", ""});
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  ASSERT_EQ(shell.shell.boxes.size(), 1u);
  EXPECT_EQ(shell.shell.boxes[0], "Toolset is undefined\n");
  EXPECT_EQ(FinishedArg(), 1);
  EXPECT_TRUE(target->TGSTAT & kBuildNotBuilt);
}

// An ARM target that makes a library has no librarian step: it is
// reported and marked as not built.
TEST_F(DriverFixture, ArmLibraryTargetIsNotBuilt) {
  target->toolset = kToolsetArmGnu;
  ResetTargetOptions(target, kToolsetUndefined);
  target->pOpts->out.flags.GENAPP = 0;
  target->pOpts->out.OUTDIR = OptString("./");
  target->pOpts->out.OUTNAME = OptString("Lib");
  AddFileToGroup(project->firstGroup, "lib.o", "./", kFileObject);
  std::vector<std::string> runs;
  BuildDriver driver({&hub, &shell.shell, [&](ToolRunRequest& r) { runs.push_back(r.file); }, "", ""});
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  EXPECT_TRUE(runs.empty());
  auto lines = Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Target not created\n");
  EXPECT_EQ(FinishedArg(), 1);
}

TEST_F(DriverFixture, StopIsRefusedInTheLinkPhase) {
  BuildDriver driver({&hub, &shell.shell, nullptr, "", ""});
  driver.State().linkPhase = true;
  EXPECT_EQ(driver.StopBuild(), 0);
  EXPECT_EQ(shell.shell.beeps, 1);
  driver.State().linkPhase = false;
  EXPECT_EQ(driver.StopBuild(), 1);
  EXPECT_TRUE(driver.State().Flags() & kBuildStopRequested);
}

TEST(BuildItems, AFileRecordedAgainReplacesItsItem) {
  BuildState state;
  GroupRec group;
  FileRec a, b;
  auto record = [&](FileRec* f, const char* object) {
    state.request = ToolRunRequest{};
    state.request.objectFile = object;
    RecordBuildItem(state, nullptr, &group, f);
  };
  record(&a, "a.o");
  record(&b, "b.o");
  record(&a, "a2.o");  // a register-optimisation pass translated it again
  ASSERT_EQ(state.items.size(), 2u);
  EXPECT_EQ(state.items[0].request.objectFile, "\"a2.o\"");
  EXPECT_EQ(state.items[1].request.objectFile, "\"b.o\"");

  state.ClearItems();
  record(&a, "a3.o");
  ASSERT_EQ(state.items.size(), 1u);
  EXPECT_EQ(state.items[0].file, &a);
}

TEST(ResolveBuildProperties, FileOverridesGroupAndRebuildForcesTranslation) {
  OptionBlock group, file;
  group.prop.flags.INCBLD = 1;
  group.prop.STOPCODE = 3;
  file.prop.flags = BuildPropFlags{2, 2, 2, 2, 1, 0};
  file.prop.STOPCODE = kInheritStopCode;
  file.prop.BANKNO = kNoBank;
  BuildProperties p = ResolveBuildProperties(&group, &file, kBuildModeBuild);
  EXPECT_EQ(p.incBld, 1);
  EXPECT_EQ(p.stopCode, 3);
  EXPECT_EQ(p.publicsOnly, 1);
  EXPECT_EQ(p.bankNo, 0);
  EXPECT_EQ(p.alwaysBuild, 0);
  EXPECT_EQ(ResolveBuildProperties(&group, &file, kBuildModeRebuild).alwaysBuild, 1);
}

// Without a group block the file's values are laid over the target-level
// defaults, not over what the target's own block happens to hold.
TEST(ResolveBuildProperties, WithoutGroupBlockStartsFromTargetLevelDefaults) {
  struct Row {
    const char* name;
    uint16_t fileStopCode;
    uint16_t stopCode;
  } rows[] = {
      {"file inherits: the default stop code", kInheritStopCode, 3},
      {"file sets its own", 5, 5},
  };
  for (const Row& r : rows) {
    OptionBlock file;
    InitBuildPropOpts(file.prop, kLevelNode);
    file.prop.STOPCODE = r.fileStopCode;
    BuildProperties p = ResolveBuildProperties(nullptr, &file, kBuildModeBuild);
    EXPECT_EQ(p.stopCode, r.stopCode) << r.name;
    EXPECT_EQ(p.incBld, 1) << r.name;
    EXPECT_EQ(p.genAsm, 0) << r.name;
    EXPECT_EQ(p.bankNo, 0) << r.name;
  }
  BuildProperties none = ResolveBuildProperties(nullptr, nullptr, kBuildModeBuild);
  EXPECT_EQ(none.stopCode, 3);
  EXPECT_EQ(none.incBld, 1);
}

TEST(GnuCommandFileText, WindowsQuotingBecomesGnuQuoting) {
  EXPECT_EQ(GnuCommandFileText("-c -IC:\\inc\\ -o .\\Obj\\a.o \"-DS=\\\"x y\\\"\"", "./a c.c"),
            "-c -IC:/inc/ -o ./Obj/a.o -DS=\\\"x\\ y\\\" ./a\\ c.c");
}

// A file's name reaches gcc whole and as a file: one that begins with '-'
// is named in its folder, quotes and blanks of a name are escaped.
struct FileNameRow {
  const char* name;
  std::string controls, file;
  const char* commandFile;
};
const FileNameRow kFileNameRows[] = {
    {"LeadingDashIsNoOption", "-c", "-o INJ.c", "-c ./-o\\ INJ.c"},
    {"LeadingDashAlone", "-c", "-", "-c ./-"},
    {"DashInsideStays", "-c", "a-b.c", "-c a-b.c"},
    {"QuotesOfTheName", "-c", "q'uote\".c", "-c q\\'uote\\\".c"},
    {"ObjectNamedWithAQuote", "-c -o " + QuoteIfBlank("./Obj/q'uote\".o"), "./q'uote\".c",
     "-c -o ./Obj/q\\'uote\\\".o ./q\\'uote\\\".c"},
    {"ObjectNamedWithBlanks", "-c -o " + QuoteIfBlank("./Obj/-o INJ.o"), "./-o INJ.c",
     "-c -o ./Obj/-o\\ INJ.o ./-o\\ INJ.c"},
};
class GnuFileNameRows : public ::testing::TestWithParam<FileNameRow> {};
TEST_P(GnuFileNameRows, Row) {
  const FileNameRow& row = GetParam();
  EXPECT_EQ(GnuCommandFileText(row.controls, row.file), row.commandFile);
}
INSTANTIATE_TEST_SUITE_P(Rows, GnuFileNameRows, ::testing::ValuesIn(kFileNameRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The language gcc is told comes from the project's file type, never from
// the case of the name on disk.
struct LanguageRow {
  const char* name;
  uint8_t fileType;
  bool assembler;
  const char* file;
  const char* commandFile;  // the controls "-c" and the file
};
const LanguageRow kLanguageRows[] = {
    {"CFileInLowerCase", kFileC, false, "./LED.c", "-c -x c ./LED.c"},
    {"CFileInUpperCaseIsStillC", kFileC, false, "./LED.C", "-c -x c ./LED.C"},
    {"CFileWithAnExtensionGccDoesNotKnow", kFileC, false, "./main.src", "-c -x c ./main.src"},
    {"AssemblerReadsAnyNameAsAssembler", kFileAsm, true, "./Startup.S", "-c ./Startup.S"},
    {"NoFileNoLanguage", kFileC, false, "", "-c"},
};
class GnuLanguageRows : public ::testing::TestWithParam<LanguageRow> {};
TEST_P(GnuLanguageRows, Row) {
  const LanguageRow& row = GetParam();
  EXPECT_EQ(GnuCommandFileText("-c", row.file, GnuSourceLanguage(row.fileType, row.assembler)), row.commandFile);
}
INSTANTIATE_TEST_SUITE_P(Rows, GnuLanguageRows, ::testing::ValuesIn(kLanguageRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The ARM-GNU search list reaches the folder that holds the GNU programs,
// written with this machine's separators.
TEST_F(DriverFixture, GnuSearchPathReachesTheProgramFolder) {
  ToolsetInfo gnu;
  gnu.toolset = kToolsetArmGnu;
  gnu.makerFolder = "/r/ARM/";
  gnu.armToolFolder = gnu.secondFolder = "/r/GNU/";
  gnu.secondToolsFolder = "/r/GNU/Arm-Tools\\Bin\\";
  target->toolset = kToolsetArmGnu;
  ToolEnvInput in = MakeToolEnvInput(*target, &gnu);
  EnvOverlay env;
  SetToolEnvironment(in, 0, env, nullptr);
  auto path = env.Vars().find("PATH");
  ASSERT_TRUE(path != env.Vars().end() && path->second);
  EXPECT_EQ(path->second->rfind("/r/ARM/Bin:/r/GNU/Arm-Tools/Bin/:", 0), 0u) << *path->second;
}

}  // namespace
}  // namespace pm2
