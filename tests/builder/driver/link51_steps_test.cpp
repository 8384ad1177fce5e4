// Link steps of the 51, 251 and 166 families and the register-optimisation
// passes: input lists, linker choice, command files, up-to-date decisions
// from the linker output's records, and a link by the stand-in linker.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <vector>

#include "builder/build_test_support.h"
#include "builder/cmd_fixture.h"
#include "builder/driver/build_state.h"
#include "builder/driver/link_51_steps.h"
#include "builder/driver/link_steps.h"
#include "builder/driver/register_optimization.h"
#include "builder/runner/tool_runner.h"
#include "link_fixture.h"
#include "project/files/entry_stream.h"
#include "project/recording_shell.h"

namespace pm2::test {
namespace {

namespace fs = std::filesystem;

TEST(LinkInputs, ListLinesByStyle) {
  struct Row {
    const char* name;
    LinkInputStyle style;
    const char* expected;  // with %o object, %l library
  } rows[] = {
      {"plain", {}, "%o,\r\n%p,\r\n%l(M1,M2) \r\n"},
      {"publics only", {false, true, false}, "%o,\r\nPUBLICSONLY (%p),\r\n%l(M1,M2) \r\n"},
      {"banked",
       {true, false, false},
       "COMMON {%o},\r\nBANK2 {%p},\r\nBANK0 {%l(M1,M2)} \r\n"},
      {"banked, publics unwrapped",
       {true, true, true},
       "COMMON {%o},\r\nPUBLICSONLY (%p),\r\nBANK0 {%l(M1,M2)} \r\n"},
  };
  for (const Row& r : rows) {
    LinkFixture f(kToolset51);
    f.state.request.objectFile = "old";  // a link item of an earlier link
    RecordBuildItem(f.state, &f.fx.target, nullptr, nullptr);
    f.Add("a.obj", 0, 0);
    f.Add("p.obj", kItemObject | kItemPublicsOnly, 3);
    f.Add("x.lib", kItemLibrary, 1, "M1,M2");
    std::string expected = r.expected;
    auto put = [&](const std::string& key, const std::string& value) {
      expected.replace(expected.find(key), key.size(), value);
    };
    put("%o", f.Q("a.obj"));
    put("%p", f.Q("p.obj"));
    put("%l", f.Q("x.lib"));
    bool changed = false;
    EXPECT_EQ(LinkInputText(f.env, f.state, r.style, &changed), expected) << r.name;
    EXPECT_TRUE(changed) << "a library seen the first time counts as changed";
  }
}

TEST(LinkInputs, LibraryTimeDecidesChanged) {
  LinkFixture f(kToolset166);
  f.Add("a.obj", 0);
  BuildItem& lib = f.Add("x.lib", kItemLibrary);
  bool changed = false;
  LinkInputText(f.env, f.state, {}, &changed);
  EXPECT_TRUE(changed);
  uint32_t now = 0;
  ASSERT_TRUE(DiskFileTime(f.dir / "x.lib", &now));
  EXPECT_EQ(lib.file->time, now);
  changed = false;
  LinkInputText(f.env, f.state, {}, &changed);
  EXPECT_FALSE(changed);
  lib.file->time = now - 10;  // the library was replaced since
  LinkInputText(f.env, f.state, {}, &changed);
  EXPECT_TRUE(changed);
  lib.file = nullptr;
  changed = false;
  LinkInputText(f.env, f.state, {}, &changed);
  EXPECT_TRUE(changed);
}

TEST(LinkSteps, ToolCodeByFamilyAndToolWord) {
  struct Row {
    const char* name;
    LinkFamily family;
    uint16_t toolset;
    uint32_t t51;
    int code;
  } rows[] = {
      {"NB51", LinkFamily::k51, kToolset51, 0, 6},
      {"NX51", LinkFamily::k51, kToolset51, 0x20000, 24},
      {"N251 of a 251 target", LinkFamily::k251, kToolset251, 0x8000, 5},
      {"NX51 of an extended-linker 51 target", LinkFamily::k251, kToolset51, 0x8000, 24},
      {"N251 of a 51 target", LinkFamily::k251, kToolset51, 0, 5},
      {"NP51", LinkFamily::k251, kToolset51, 0x108000, 28},
      {"N166", LinkFamily::k166, kToolset166, 0x20000, 7},
  };
  for (const Row& r : rows) EXPECT_EQ(LinkToolCode(r.family, r.toolset, r.t51), r.code) << r.name;
}

TEST(LinkSteps, LinksThenUpToDateUntilInputsOrControlsChange) {
  struct Family {
    const char* name;
    uint16_t toolset;
    uint8_t (*link)(LinkStepEnv&, TargetRec*);
    int code;
  } families[] = {{"51", kToolset51, Link51Target, 6},
                  {"251", kToolset251, Link251Target, 5},
                  {"166", kToolset166, Link166Target, 7}};
  for (const Family& fam : families) {
    SCOPED_TRACE(fam.name);
    LinkFixture f(fam.toolset);
    f.Add("a.obj", 0);
    f.Add("b.obj", kItemObject);
    EXPECT_EQ(fam.link(f.env, &f.fx.target), 1);
    ASSERT_EQ(f.runs.size(), 1u);
    EXPECT_EQ(f.runs[0].toolCode, fam.code);
    EXPECT_EQ(f.runs[0].commandFile, f.Out("lnp"));
    const std::string lnp = ReadFile(f.Out("lnp"));
    EXPECT_EQ(lnp.rfind(f.Q("a.obj") + ",\r\n" + f.Q("b.obj") + " \r\n", 0), 0u) << lnp;
    EXPECT_NE(lnp.find("TO \"" + f.Out() + "\""), std::string::npos) << lnp;
    ASSERT_TRUE(f.state.HeadIsLinkItem());
    EXPECT_EQ(f.state.items.front().request.objectFile, "\"" + f.Out() + "\"");

    f.WriteLinkerOutput({"a.obj", "b.obj"});
    EXPECT_EQ(fam.link(f.env, &f.fx.target), 0) << "second link of the build skips the link item";
    EXPECT_EQ(f.runs.size(), 1u);
    EXPECT_EQ(f.state.items.size(), 3u);

    fs::last_write_time(f.dir / "b.obj", fs::last_write_time(f.dir / "b.obj") + std::chrono::seconds(5));
    EXPECT_EQ(fam.link(f.env, &f.fx.target), 1) << "an input has another time";
    f.WriteLinkerOutput({"a.obj", "b.obj"});
    WriteFile(f.Out("lnp"), lnp + "NOMAP\r\n");
    EXPECT_EQ(fam.link(f.env, &f.fx.target), 1) << "the controls changed";
    EXPECT_EQ(f.runs.size(), 3u);
  }
}

TEST(LinkSteps, ChangedLibraryForcesTheLink) {
  LinkFixture f(kToolset166);
  f.Add("a.obj", 0);
  f.Add("x.lib", kItemLibrary);
  EXPECT_EQ(Link166Target(f.env, &f.fx.target), 1);
  f.WriteLinkerOutput({"a.obj", "x.lib"});
  EXPECT_EQ(Link166Target(f.env, &f.fx.target), 0);
  f.files.back().time -= 1;  // the record remembers another library
  EXPECT_EQ(Link166Target(f.env, &f.fx.target), 1);
  EXPECT_EQ(f.runs.size(), 2u);
}

TEST(LinkSteps, ExitCodesAndErrorsSetBuildFlags) {
  struct Row {
    const char* name;
    uint32_t exitCode;
    int errors;
    uint32_t flags;
  } rows[] = {{"clean", 0, 0, 0},
              {"warnings", 1, 0, 0},
              {"errors", 2, 1, kBuildFailed},
              {"fatal without count", 3, 0, kBuildFailed},
              {"counted errors, exit 1", 1, 1, kBuildError}};
  for (const Row& r : rows) {
    LinkFixture f(kToolset51);
    f.Add("a.obj", 0);
    f.exitCode = r.exitCode;
    f.errors = r.errors;
    EXPECT_EQ(Link51Target(f.env, &f.fx.target), 1) << r.name;
    EXPECT_EQ(f.state.Flags(), r.flags) << r.name;
    EXPECT_EQ(f.state.errors, r.errors) << r.name;
    EXPECT_TRUE(f.state.HeadIsLinkItem()) << r.name << ": the item is kept for the summary";
  }
}

TEST(LinkSteps, ExternalLinkerCommandFile) {
  LinkFixture f(kToolset251);
  f.fx.targetOpts.n51.NX51FL |= 1;
  f.fx.targetOpts.n51.NX51LFI = OptString("my.lin");
  f.Add("a.obj", 0);
  EXPECT_EQ(Link251Target(f.env, &f.fx.target), 1);
  EXPECT_TRUE(f.runs.empty());
  EXPECT_EQ(f.state.Flags(), kBuildFailed);
  ASSERT_EQ(f.shell.lines.size(), 1u);
  EXPECT_EQ(f.shell.lines[0], "can't open external linker command file 'my.lin'\n");

  LinkFixture g(kToolset166);
  g.fx.targetOpts.n166.flags.USELINKFILE = 1;
  g.fx.targetOpts.n166.LNKFILE = OptString(".\\my.lin");
  const std::string big(70000, 'x');  // more than the command-line buffer holds
  WriteFile(g.dir / "my.lin", "CLASSES (NCODE)\r\n" + big);
  g.Add("a.obj", 0);
  EXPECT_EQ(Link166Target(g.env, &g.fx.target), 1);
  EXPECT_EQ(g.state.Flags(), 0u);
  EXPECT_EQ(ReadFile(g.Out("lnp")),
            g.Q("a.obj") + " \r\nTO \"" + g.Out() + "\"\r\nCLASSES (NCODE)\r\n" + big);
}

TEST(LinkSteps, UnwritableCommandFileFailsTheLink) {
  LinkFixture f(kToolset51);
  WriteFile(f.dir / "plain", "a file, not a folder");
  const std::string folder = f.dir / "plain/";  // OptString keeps the pointer
  f.fx.targetOpts.out.OUTDIR = OptString(folder.c_str());
  f.Add("a.obj", 0);
  EXPECT_EQ(Link51Target(f.env, &f.fx.target), 1);
  EXPECT_TRUE(f.runs.empty());
  EXPECT_EQ(f.state.Flags(), kBuildFailed);
  ASSERT_EQ(f.shell.lines.size(), 1u);
  EXPECT_EQ(f.shell.lines[0], "error - can't create command input file '" + (f.dir / "plain/blinky.lnp") + "'\n");
}

// ------------------------------------------------ register optimisation

TEST(RegisterOptimization, FindMarksTranslationsBeforeTheProjectObjects) {
  LinkFixture f(kToolset51);
  f.state.request.objectFile = f.Out();
  RecordBuildItem(f.state, &f.fx.target, nullptr, nullptr);
  f.Add("a.obj", 0);
  f.Add("b.obj", 0);
  f.Add("lib.obj", kItemObject);
  f.Add("c.obj", 0);  // after a project object: never searched
  WriteFile(f.Out(), OutputRecords()
                         .Entry(4, 1, 0, "A.OBJ")
                         .Entry(4, 3, 0, f.dir / "B.obj")
                         .Entry(4, 2, 0, f.dir / "c.obj")
                         .Entry(4, 4, 0, f.dir / "a.obj")
                         .Entry(1, 2, 0, f.dir / "a.obj")
                         .Bytes());
  const uint32_t found = FindModulesToRetranslate(f.env, f.state.items.front().request.objectFile);
  EXPECT_EQ(found, 1u | kRetranslateRequired);
  EXPECT_EQ(f.state.items[1].RetranslateMark(), 0u) << "a bare name is not the item's path";
  EXPECT_EQ(f.state.items[2].RetranslateMark(), 3u);
  EXPECT_EQ(f.state.items[4].RetranslateMark(), 0u);
  EXPECT_EQ(f.shell.lines,
            (std::vector<std::string>{"Link Warning: file '" + (f.dir / "c.obj") + "' ** MUST ** be retranslated !\n"}));
  EXPECT_EQ(FindModulesToRetranslate(f.env, "\"" + (f.dir / "none") + "\""), 0u);
}

struct PassFixture : LinkFixture {
  int reports = 0;  // how many links still report a.obj
  PassFixture() : LinkFixture(kToolset51) {
    state.globalRegOpt = 1;
    state.request.objectFile = Out();
    state.request.toolCode = 24;
    RecordBuildItem(state, &fx.target, nullptr, nullptr);
    Add("a.obj", 0);
    Add("b.obj", 0);
    Add("o.obj", kItemObject);
    onRun = [this](ToolRunRequest& r) {
      if (r.toolCode != 24) return;
      OutputRecords out;
      if (reports-- > 0) out.Entry(4, 1, 0, dir / "a.obj").Entry(4, 1, 0, dir / "o.obj");
      WriteFile(Out(), out.Entry(1, 0, 0, "x").Bytes());
    };
    onRun(state.items.front().request);  // the first link's output
  }
  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const auto& r : runs) codes.push_back(r.toolCode);
    return codes;
  }
};

TEST(RegisterOptimization, PassesRetranslateAndRelinkUntilQuiet) {
  struct Row {
    const char* name;
    int reports;  // links that report a.obj after the first
    uint8_t result;
    std::vector<int> codes;
  } rows[] = {
      {"nothing reported", -1, 0, {}},
      {"one pass", 0, 0, {1, 24}},
      {"two passes", 1, 0, {1, 24, 1, 24}},
      {"three passes and still reported", 5, 1, {1, 24, 1, 24, 1, 24}},
  };
  for (const Row& r : rows) {
    PassFixture f;
    f.reports = r.reports + 1;
    f.onRun(f.state.items.front().request);
    f.runs.clear();
    EXPECT_EQ(RunRegisterOptimizationPasses(f.env), r.result) << r.name;
    EXPECT_EQ(f.Codes(), r.codes) << r.name;
    for (const auto& run : f.runs)
      if (run.toolCode == 1) {
        EXPECT_EQ(run.objectFile, f.Q("a.obj")) << r.name;
      }
    EXPECT_EQ(f.state.items[1].RetranslateMark() + f.state.items[3].RetranslateMark(), 0u) << r.name;
  }
}

TEST(RegisterOptimization, FailedRetranslationStopsBeforeTheRelink) {
  PassFixture f;
  f.reports = 5;
  f.onRun(f.state.items.front().request);
  f.runs.clear();
  f.errors = 1;
  EXPECT_EQ(RunRegisterOptimizationPasses(f.env), 1);
  EXPECT_EQ(f.Codes(), (std::vector<int>{1}));
  EXPECT_EQ(f.shell.lines, (std::vector<std::string>{"Global register optimization - pass #1\n"}));

  PassFixture off;  // the setting off, or flags already set: no pass
  off.state.globalRegOpt = 0;
  EXPECT_EQ(RunRegisterOptimizationPasses(off.env), 0);
  EXPECT_TRUE(off.runs.empty());
}

// ------------------------------------------------ stand-in linker

TEST(LinkStandIn, NX51RunsOnTheCommandFileAndReportsItsExitCode) {
  for (bool fail : {false, true}) {
    SCOPED_TRACE(fail ? "failing" : "clean");
    LinkFixture f(kToolset51);
    f.fx.targetOpts.t51.T51FL |= 0x20000;
    RecordingShell runnerShell;
    ToolRunnerDeps deps;
    deps.shell = &runnerShell;
    deps.tempFolder = deps.workFolder = deps.runtimeFolder = f.dir.Path();
    ToolRunner runner(deps);
    f.env.run = [&](ToolRunRequest& r) {
      r.toolFolder = InstallRoot() + "Q51/BIN/";
      runner.RunBuildStep(r);
    };
    f.Add("a.obj", 0);
    if (fail) WriteFile(f.dir / "a.obj", "!standin exit 3\n");
    EXPECT_EQ(Link51Target(f.env, &f.fx.target), 1);
    EXPECT_EQ(f.state.items.front().request.exitCode, fail ? 3u : 0u);
    EXPECT_EQ(f.state.Flags(), fail ? kBuildFailed : 0u);
    if (!fail) {
      EXPECT_TRUE(fs::exists(f.Out())) << "the stand-in writes the TO file";
    }
  }
}

}  // namespace
}  // namespace pm2::test
