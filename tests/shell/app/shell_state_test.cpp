// The application object's shared state: toolset queries, the window
// registry, driver keys, the build-log name, target selection, the
// read-only check and the project folder.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "project/model/key_values.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell_fakes.h"

namespace pm2 {
namespace {

class ShellStateTest : public ShellAppTest {
 protected:
  // A project in the temp folder whose current target has its own block.
  ProjectRec* OpenProjectWithBlock(uint16_t toolset = kToolsetArmGnu) {
    ProjectRec* p = NewProject(nullptr, (dir / "demo.pm2").c_str());
    p->folder = OptString::Pooled(dir.path() + "/", kPoolProject);
    p->curTarget->toolset = toolset;
    OptionBlock* b = NewOptionBlock(kPoolProject);
    b->owner = p->curTarget;
    p->curTarget->pOpts = b;
    theApp().m_pProject = p;
    return p;
  }
};

struct ToolsetRow {
  const char* name;
  bool project;
  bool target;
  uint16_t toolset;
  int expected;
  bool is166;
};

class ToolsetQuery : public ShellStateTest, public ::testing::WithParamInterface<ToolsetRow> {};

TEST_P(ToolsetQuery, AnswersForTheCurrentTarget) {
  const ToolsetRow& r = GetParam();
  if (r.project) {
    ProjectRec* p = OpenProjectWithBlock(r.toolset);
    if (!r.target) p->curTarget = nullptr;
  }
  EXPECT_EQ(app->GetTargetToolset(), r.expected);
  EXPECT_EQ(app->HasTarget(), r.expected != 100);
  EXPECT_EQ(app->IsTarget166(), r.is166);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToolsetQuery,
    ::testing::Values(ToolsetRow{"NoProject", false, false, 0, 100, false},
                      ToolsetRow{"NoCurrentTarget", true, false, 0, 100, false},
                      ToolsetRow{"UndefinedToolset", true, true, kToolsetUndefined, 100, false},
                      ToolsetRow{"ToolsetFiveIsUnknown", true, true, 5, 100, false},
                      ToolsetRow{"Family166", true, true, kToolset166, 2, true},
                      ToolsetRow{"ArmAds", true, true, 4, 4, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowRegistryTest, ForgetsOnlyTheWindowItHolds) {
  WindowRegistry reg;
  int older = 0, newer = 0;
  reg.Set(WindowSlot::GotoLineDlg, &older);
  reg.Set(WindowSlot::GotoLineDlg, &newer);  // a second dialog replaced the first
  reg.Forget(WindowSlot::GotoLineDlg, &older);
  EXPECT_EQ(reg.Get(WindowSlot::GotoLineDlg), &newer);
  reg.Forget(WindowSlot::GotoLineDlg, &newer);
  EXPECT_FALSE(reg.IsOpen(WindowSlot::GotoLineDlg));
}

TEST_F(ShellStateTest, DriverKeysIgnoreCaseAndReplaceValues) {
  OpenProjectWithBlock();
  EXPECT_EQ(app->GetDriverKey("Port"), nullptr);
  EXPECT_EQ(app->SetDriverKey("Port", "COM1"), 1);
  EXPECT_EQ(app->SetDriverKey("Speed", "9600"), 1);
  EXPECT_EQ(app->SetDriverKey("PORT", "COM2"), 1);
  ASSERT_NE(app->GetDriverKey("port"), nullptr);
  EXPECT_STREQ(app->GetDriverKey("port"), "COM2");
  int n = 0;
  for (const KeyValueRec* k = app->GetCurrentTargetOptions()->dbg.OPTKEY; k; k = k->next) ++n;
  EXPECT_EQ(n, 2);
}

TEST_F(ShellStateTest, DriverKeysNeedATargetAndBothTexts) {
  EXPECT_EQ(app->SetDriverKey("Port", "COM1"), 0);
  OpenProjectWithBlock();
  EXPECT_EQ(app->SetDriverKey(nullptr, "COM1"), 0);
  EXPECT_EQ(app->SetDriverKey("Port", nullptr), 0);
  EXPECT_EQ(app->SetDriverKey("", "x"), 0);
  // What the options file would not read back as written is refused, and
  // the value kept before stays.
  EXPECT_EQ(app->SetDriverKey("Port", "COM1"), 1);
  EXPECT_EQ(app->SetDriverKey("Port", "COM2)"), 0);
  EXPECT_EQ(app->SetDriverKey("Port", "a\nb"), 0);
  EXPECT_EQ(app->SetDriverKey("Po(rt", "x"), 0);
  EXPECT_STREQ(app->GetDriverKey("Port"), "COM1");
  EXPECT_EQ(app->GetDriverKey("Po(rt"), nullptr);
}

struct LogNameRow {
  const char* name;
  const char* outDir;
  const char* expectedBaseAfterFolder;  // after the project folder, or the whole base
  bool relative;
};

class BuildLogName : public ShellStateTest, public ::testing::WithParamInterface<LogNameRow> {};

TEST_P(BuildLogName, ComposesTheOutputBase) {
  const LogNameRow& r = GetParam();
  ProjectRec* p = OpenProjectWithBlock();
  OptionBlock* b = app->GetCurrentTargetOptions();
  b->out.OUTDIR = OptString::Pooled(r.outDir, kPoolProject);
  b->out.OUTNAME = OptString::Pooled("Blinky", kPoolProject);
  std::string base;
  int n = app->SetBuildLogName(&base);
  std::string expected = (r.relative ? p->folder.str() : std::string()) + r.expectedBaseAfterFolder;
  EXPECT_EQ(base, expected);
  EXPECT_EQ(n, static_cast<int>(expected.size()));
  EXPECT_EQ(app->m_szBuildLogName, expected + ".plg");
  ASSERT_FALSE(build.calls.empty());
  EXPECT_EQ(build.calls.back(), "Log 1 " + expected + ".plg");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BuildLogName,
    ::testing::Values(LogNameRow{"DotBackslash", ".\\Obj\\", "Obj\\Blinky", true},
                      LogNameRow{"DotSlash", "./Obj/", "Obj/Blinky", true},
                      LogNameRow{"Absolute", "C:\\Out\\", "C:\\Out\\Blinky", false},
                      LogNameRow{"Empty", "", "Blinky", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShellStateTest, BuildLogNameWithoutTargetBlockEmptiesTheBuffer) {
  ProjectRec* p = OpenProjectWithBlock();
  p->curTarget->pOpts = nullptr;
  std::string base = "old";
  EXPECT_EQ(app->SetBuildLogName(&base), 0);
  EXPECT_EQ(base, "");
  EXPECT_TRUE(build.calls.empty());
}

TEST_F(ShellStateTest, SelectTargetHintsDocumentsAroundTheSwitch) {
  ProjectRec* p = OpenProjectWithBlock();
  TargetRec* second = CopyTargetRec(p->curTarget, kPoolProject);
  app->SelectTarget(second);
  EXPECT_EQ(p->curTarget, second);
  std::vector<std::string> expected = {"Documents 7", "RefreshProjectTree", "UpdateTitle", "Documents 6"};
  EXPECT_EQ(frame.calls, expected);
  EXPECT_EQ(build.calls.front(), "UpdateDependencies");
}

TEST_F(ShellStateTest, SelectTargetFromAHiddenTargetGivesNoBeforeHint) {
  ProjectRec* p = OpenProjectWithBlock();
  TargetRec* second = CopyTargetRec(p->curTarget, kPoolProject);
  p->curTarget->flags |= kTargetDeleted;
  app->SelectTarget(second);
  EXPECT_FALSE(frame.Called("Documents 7"));
  EXPECT_TRUE(frame.Called("Documents 6"));
}

TEST_F(ShellStateTest, ReadOnlyCheckFollowsTheFile) {
  ProjectRec* p = OpenProjectWithBlock();
  p->name = OptString::Pooled("demo", kPoolProject);
  EXPECT_EQ(app->CheckProjectFileReadOnly(p, 1), -1);
  std::ofstream(dir / "demo.Pm2") << "x";
  p->flags |= kProjectReadOnly;
  EXPECT_EQ(app->CheckProjectFileReadOnly(p, 1), 0);
  EXPECT_FALSE(p->flags & kProjectReadOnly);
  ::chmod((dir / "demo.Pm2").c_str(), 0444);
  EXPECT_EQ(app->CheckProjectFileReadOnly(p, 1), 1);
  EXPECT_TRUE(p->flags & kProjectReadOnly);
  // The options file is checked on its own.
  EXPECT_EQ(app->CheckProjectFileReadOnly(p, 2), -1);
}

TEST_F(ShellStateTest, MissingProjectFolderIsReportedOnceUntilTheNextOpen) {
  ProjectRec* p = OpenProjectWithBlock();
  EXPECT_TRUE(app->SetProjectDirectory());
  EXPECT_TRUE(std::filesystem::equivalent(app->m_currentDir, dir.path()));
  p->folder = OptString::Pooled(dir.path() + "/gone/", kPoolProject);
  EXPECT_FALSE(app->SetProjectDirectory());
  EXPECT_FALSE(app->SetProjectDirectory());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Error: can't set directory '" + dir.path() + "/gone/' !");
  EXPECT_EQ(dialogs.beeps, 1);
}

}  // namespace
}  // namespace pm2
