#include "shell/tools/lint_run.h"

#include <gtest/gtest.h>
#include <algorithm>

#include <unistd.h>

#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"
#include "builder/runner/command_line_split.h"
#include "builder/runner/tool_table.h"
#include "platform/notification_hub.h"
#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/tools/tool_fakes.h"

namespace pm2 {
namespace {

LintSettings Settings(std::vector<std::string> folders) {
  LintSettings s;
  s.program = "/opt/lint/lint-nt";
  s.configFile = "std.lnt";
  s.includeFolders = std::move(folders);
  return s;
}

struct TextRow {
  const char* name;
  std::vector<std::string> folders;
  LintFile file;
  std::string want;
};
class LintText : public ::testing::TestWithParam<TextRow> {};
TEST_P(LintText, SingleFile) {
  EXPECT_EQ(MakeLintCommandText(Settings(GetParam().folders), GetParam().file), GetParam().want);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, LintText,
    ::testing::Values(
        TextRow{"NoFoldersConfigFirst", {}, {"/p/a.c", false, "-dX", ""}, "std.lnt\n\"/p/a.c\"\n"},
        TextRow{"FoldersThenDefines", {"/inc", "/inc2"}, {"/p/a.c", true, "-dX -dY=1", ""},
                "-i/inc\n-i/inc2\nstd.lnt\n-dX -dY=1 \"/p/a.c\"\n"},
        TextRow{"NoDefinesStillBlank", {}, {"/p/a.c", true, "", ""}, "std.lnt\n \"/p/a.c\"\n"},
        TextRow{"OverlongDefinesLeftOut", {}, {"/p/a.c", true, std::string(32540, 'd'), ""},
                "std.lnt\n\"/p/a.c\"\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LintText, AllFilesOnlyCSourcesOfLiveGroups) {
  ProjectRec* p = NewProject("demo", "/p/");
  GroupRec* g1 = p->firstGroup;
  AddFileToGroup(g1, "a.c", "/p/", kFileC);
  AddFileToGroup(g1, "s.s", "/p/", kFileAsm);
  AddFileToGroup(g1, "x.cpp", "/p/", kFileCpp);
  FileRec* removed = AddFileToGroup(g1, "r.c", "/p/", kFileC);
  removed->flags |= kFileRemoved;
  GroupRec* g2 = AddGroup(p, "Gone");
  AddFileToGroup(g2, "g.c", "/p/", kFileC);
  g2->flags |= kGroupDeleted;
  GroupRec* g3 = AddGroup(p, "Lib");
  AddFileToGroup(g3, "b.c", "/q/", kFileC);
  EXPECT_EQ(MakeLintAllFilesText(Settings({"/i"}), *p), "-i/i\nstd.lnt\n\"/p/a.c\"\n\"/q/b.c\"\n");
  PoolFreeAll();
}

// The single-file run hands lint the defines the file's compiler gets.
TEST(LintText, AProjectFileGetsItsCompilersDefines) {
  ProjectRec* p = NewProject("demo", "/p/");
  TargetRec& t = *p->curTarget;
  t.toolset = kToolsetArmGnu;
  OptionBlock* opts = NewOptionBlock(kPoolProject);
  SetDefaultOptions(*opts, &t, kToolsetArmGnu, kLevelTarget);
  opts->owner = &t;
  opts->cGnu.ACDEFN = OptString("DEBUG, LEDS=8");
  t.pOpts = opts;
  FileRec* a = AddFileToGroup(p->firstGroup, "a.c", "/p/", kFileC);
  LintFile file = LintFileFor("/p/a.c", a, &t);
  EXPECT_TRUE(file.inProject);
  EXPECT_EQ(file.defines, "-dDEBUG -dLEDS=8");
  EXPECT_NE(MakeLintCommandText(Settings({}), file).find("-dDEBUG -dLEDS=8 \"/p/a.c\""), std::string::npos);
  // A file outside the project gets none.
  LintFile other = LintFileFor("/x/b.c", nullptr, &t);
  EXPECT_FALSE(other.inProject);
  EXPECT_EQ(other.defines, "");
  PoolFreeAll();
}

// A define whose value holds a blank reaches lint as one argument, quoted
// as the compiler's line quotes it: "-dQS=a b" would be two arguments, and
// lint would check a program with another QS.
TEST(LintText, ADefineWithABlankStaysOneArgumentAsTheCompilerGetsIt) {
  ProjectRec* p = NewProject("demo", "/p/");
  TargetRec& t = *p->curTarget;
  t.toolset = kToolsetArmGnu;
  OptionBlock* opts = NewOptionBlock(kPoolProject);
  SetDefaultOptions(*opts, &t, kToolsetArmGnu, kLevelTarget);
  opts->owner = &t;
  opts->cGnu.ACDEFN = OptString("DEBUG, QS=\"a b\", N=1");
  t.pOpts = opts;
  FileRec* a = AddFileToGroup(p->firstGroup, "a.c", "/p/", kFileC);
  const LintFile file = LintFileFor("/p/a.c", a, &t);
  EXPECT_EQ(file.defines, "-dDEBUG -dQS=\"a b\" -dN=1");
  EXPECT_EQ(SplitCommandLine(file.defines), (std::vector<std::string>{"-dDEBUG", "-dQS=a b", "-dN=1"}));
  // The compiler's line for the same file holds the same arguments.
  CommandContext ctx;
  MakeGnuCcCommand(ctx, a, &t, true);
  const std::vector<std::string> compiler = SplitCommandLine(ctx.Text());
  for (const char* arg : {"-DDEBUG", "-DQS=a b", "-DN=1"})
    EXPECT_NE(std::find(compiler.begin(), compiler.end(), arg), compiler.end()) << arg << " in " << ctx.Text();
  EXPECT_NE(MakeLintCommandText(Settings({}), file).find("-dQS=\"a b\" -dN=1 \"/p/a.c\""),
            std::string::npos);
  PoolFreeAll();
}

// Lint gets every define the build would, or none and a refusal that
// names the first one left out: the build refuses the same lists.
TEST(LintText, DefinesPastTheLimitsRefuseTheRun) {
  struct Row {
    const char* name;
    int count, length;
    const char* firstDropped;  // "" when the run goes ahead
  } rows[] = {
      {"twenty short names", 20, 2, ""},
      {"300 two-letter names: past the 256 entries", 300, 2, "JW"},
      {"100 twelve-character names: past the pool", 100, 12, "AAAAAAAAAACV"},
  };
  for (const Row& r : rows) {
    ProjectRec* p = NewProject("demo", "/p/");
    TargetRec& t = *p->curTarget;
    t.toolset = kToolsetArmGnu;
    OptionBlock* opts = NewOptionBlock(kPoolProject);
    SetDefaultOptions(*opts, &t, kToolsetArmGnu, kLevelTarget);
    opts->owner = &t;
    std::string list;
    for (int i = 0; i < r.count; ++i)
      list += std::string(std::size_t(r.length - 2), 'A') + std::string{char('A' + i / 26), char('A' + i % 26)} + " ";
    opts->cGnu.ACDEFN = OptString(list.c_str());
    t.pOpts = opts;
    FileRec* a = AddFileToGroup(p->firstGroup, "a.c", "/p/", kFileC);
    const LintFile file = LintFileFor("/p/a.c", a, &t);
    if (*r.firstDropped == '\0') {
      EXPECT_EQ(file.refusal, "") << r.name;
    } else {
      EXPECT_NE(file.refusal.find("'/p/a.c'"), std::string::npos) << r.name << ": " << file.refusal;
      EXPECT_NE(file.refusal.find(std::string("'") + r.firstDropped + "' and the entries after it"), std::string::npos)
          << r.name << ": " << file.refusal;
      // Refused with a box; nothing runs.
      FakeToolFrame frame;
      RecordingHub hub;
      std::atomic<uint32_t> state{0};
      bool ran = false;
      LintRunner lint(frame, hub, state, [&](ToolRunRequest&) { ran = true; });
      EXPECT_FALSE(lint.LintFile(Settings({}), file)) << r.name;
      lint.Join();
      EXPECT_FALSE(ran) << r.name;
      EXPECT_EQ(frame.events, (std::vector<std::string>{"box:" + file.refusal})) << r.name;
      EXPECT_EQ(state.load() & kStateBusy, 0u);
    }
    PoolFreeAll();
  }
}

TEST(LintText, DialogSettingsTrimmedBlankFoldersDropped) {
  ProjectRec* p = NewProject("demo", "/p/");
  TargetRec& t = *p->curTarget;
  ApplyLintSettings(t, LintSettings{"  /opt/lint  ", " std.lnt", {" /inc ", "   ", "", "/inc2"}});
  LintSettings back = LintSettingsOf(t);
  EXPECT_EQ(back.program, "/opt/lint");
  EXPECT_EQ(back.configFile, "std.lnt");
  EXPECT_EQ(back.includeFolders, (std::vector<std::string>{"/inc", "/inc2"}));
  PoolFreeAll();
}

TEST(LintEnable, GreyedWithoutConfigOrWhileBusy) {
  LintSettings s = Settings({});
  EXPECT_TRUE(LintFileEnabled(true, s, false));
  EXPECT_FALSE(LintFileEnabled(true, s, true));
  EXPECT_FALSE(LintFileEnabled(false, s, false));
  s.configFile.clear();
  EXPECT_FALSE(LintFileEnabled(true, s, false));
  EXPECT_FALSE(LintAllFilesEnabled(s, false));
  EXPECT_EQ(LintFileMenuText("/p/a.c"), "&Lint /p/a.c");
}

TEST(LintRunner, RunsOnThreadAndEndsWithCodeNine) {
  FakeToolFrame frame;
  RecordingHub hub;
  std::atomic<uint32_t> state{0};
  ToolRunRequest seen;
  std::string seenText;
  LintRunner lint(frame, hub, state, [&](ToolRunRequest& r) {
    seen = r;
    seenText = FakeExternalRunner::ReadIfFile(r.commandFile);
    EXPECT_TRUE(state.load() & kStateBusy);
  });
  state = kStateBusy;  // a build runs: refused
  EXPECT_FALSE(lint.LintFile(Settings({}), {"/p/a.c", false, "", ""}));
  EXPECT_EQ(frame.events, (std::vector<std::string>{"beep"}));
  state = 0;
  ASSERT_TRUE(lint.LintFile(Settings({}), {"/p/a.c", false, "", ""}));
  lint.Join();
  EXPECT_EQ(seen.toolCode, kToolPcLint);
  EXPECT_EQ(seen.file, "/p/a.c");
  EXPECT_EQ(seen.toolFolder, "/opt/lint/lint-nt");
  EXPECT_EQ(seen.commandFile.substr(seen.commandFile.size() - 4), ".lnt");
  EXPECT_EQ(seenText, "std.lnt\n\"/p/a.c\"\n");
  EXPECT_NE(::access(seen.commandFile.c_str(), F_OK), 0);  // deleted after the run
  EXPECT_EQ(hub.Entries().back().code, kNotifyLintFinished);
  EXPECT_EQ(state.load() & kStateBusy, 0u);
}

TEST(LintRunner, UnwritableCommandFileReported) {
  FakeToolFrame frame;
  RecordingHub hub;
  std::atomic<uint32_t> state{0};
  bool ran = false;
  LintRunner lint(frame, hub, state, [&](ToolRunRequest&) { ran = true; }, "/nonexistent-folder");
  EXPECT_FALSE(lint.LintAllFiles(Settings({}), *NewProject("p", "/p/")));
  EXPECT_FALSE(ran);
  EXPECT_EQ(frame.events,
            (std::vector<std::string>{"save", "beep", std::string("box:") + kLintWriteError}));
  EXPECT_EQ(state.load() & kStateBusy, 0u);
  PoolFreeAll();
}


// The GUI thread joins the lint thread while its code 9 waits for the GUI
// thread: when the frame goes away, and when a new run starts just after
// the last one cleared the busy bit. The code is served while it waits.
TEST(LintRunnerJoin, ServesTheEndNotificationWhileItWaits) {
  FakeToolFrame frame;
  HandOverHub hub;
  std::atomic<uint32_t> state{0};
  int runs = 0;
  LintRunner lint(frame, hub, state, [&](ToolRunRequest&) { ++runs; }, {}, [&hub] { hub.gate.Serve(); });
  ASSERT_TRUE(lint.LintFile(Settings({}), {"/p/a.c", false, "", ""}));
  ASSERT_TRUE(hub.gate.WaitForCaller());
  // The first run still waits in its code 9; the busy bit is clear already.
  ExpectReturnsWithin(std::chrono::seconds(20),
                      [&] { EXPECT_TRUE(lint.LintFile(Settings({}), {"/p/a.c", false, "", ""})); });
  ASSERT_TRUE(hub.gate.WaitForCaller());
  ExpectReturnsWithin(std::chrono::seconds(20), [&] { lint.Join(); });
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(hub.Codes(), (std::vector<int>{kNotifyLintFinished, kNotifyLintFinished}));
}

}  // namespace
}  // namespace pm2
