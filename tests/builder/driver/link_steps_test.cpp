// Link, library and hex steps: command files, up-to-date decisions with
// their reasons, BuildFlags from exit codes, hex control strings per
// toolset, and an ARM-GNU program linked by Debian's arm-none-eabi tools.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <vector>

#include "builder/build_test_support.h"
#include "builder/cmd_fixture.h"
#include "builder/commands/arm_gnu_command.h"
#include "builder/driver/build_state.h"
#include "builder/driver/link_steps.h"
#include "builder/runner/tool_runner.h"
#include "link_fixture.h"
#include "project/recording_shell.h"

namespace pm2::test {
namespace {

namespace fs = std::filesystem;

void Age(const std::string& path, int seconds) {
  fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(seconds));
}

TEST(LinkLibrary, CommandFileOfTwoObjectsAndLibrarianPerToolset) {
  struct {
    uint16_t toolset;
    uint32_t t51;
    int code;
  } rows[] = {{kToolset51, 0, 16}, {kToolset51, 0x8000, 26}, {kToolset251, 0, 17}, {kToolset166, 0, 14}};
  for (const auto& r : rows) {
    LinkFixture f(r.toolset);
    f.fx.targetOpts.t51.T51FL = r.t51;
    f.AddObject("a.obj");
    f.AddObject("b.obj");
    EXPECT_EQ(CreateTargetLibrary(f.env, f.fx.targetOpts, &f.fx.target), 1);
    ASSERT_EQ(f.runs.size(), 1u);
    EXPECT_EQ(f.runs[0].toolCode, r.code) << r.toolset;
    EXPECT_EQ(f.runs[0].commandFile, f.dir / "blinky.__b");
    EXPECT_EQ(ReadFile(f.dir / "blinky.__b"),
              "TRANSFER\r\n\"" + (f.dir / "a.obj") + "\",\r\n\"" + (f.dir / "b.obj") + "\" \r\nTO \"" +
                  (f.dir / "blinky.LIB") + "\"\n");
    ASSERT_TRUE(f.state.HeadIsLinkItem());
    EXPECT_EQ(f.state.items.front().request.objectFile, "\"" + (f.dir / "blinky.LIB") + "\"");
  }
}

TEST(LinkGnu, RunsOnceThenUpToDateUntilSomethingChanges) {
  LinkFixture f(kToolsetArmGnu);
  f.AddObject("a.o");
  f.AddObject("b.o");
  Age(f.dir / "a.o", 100);
  Age(f.dir / "b.o", 100);
  EXPECT_EQ(LinkGnuTarget(f.env, &f.fx.target), 1);
  ASSERT_EQ(f.runs.size(), 1u);
  EXPECT_EQ(f.runs[0].toolCode, 33);
  const std::string lnp = ReadFile(f.Out("lnp"));
  // The GNU linker reads its command file with GNU escapes: no Windows quotes.
  EXPECT_NE(lnp.find("-o " + f.Out("elf") + " " + (f.dir / "a.o") + " " + (f.dir / "b.o")),
            std::string::npos) << lnp;
  EXPECT_EQ(lnp.find("\r\n"), std::string::npos);

  WriteFile(f.Out("elf"), "elf");  // what the linker would have made
  std::string reason;
  EXPECT_EQ(IsGnuLinkUpToDate(f.env, f.Out("elf"), f.Out("lnp"), lnp, "", &reason), 0) << reason;
  // A second link of the build skips the old link item when listing inputs.
  EXPECT_EQ(LinkGnuTarget(f.env, &f.fx.target), 0);
  EXPECT_EQ(f.runs.size(), 1u);
  EXPECT_EQ(f.state.items.size(), 3u);

  struct {
    const char* name;
    std::function<void()> change;
    const char* reason;
  } rows[] = {
      {"newer object", [&] { Age(f.Out("elf"), 200); }, "a.o' is missing or newer"},
      {"changed text", [&] { WriteFile(f.Out("lnp"), lnp + " -v"); }, "command line differs"},
      {"missing output", [&] { fs::remove(f.Out("elf")); }, "blinky.elf' does not exist"},
      {"scatter newer", [&] {}, "x.sct' is missing or newer"},
  };
  for (const auto& r : rows) {
    WriteFile(f.Out("elf"), "elf");
    WriteFile(f.Out("lnp"), lnp);
    r.change();
    const std::string extra = std::string(r.name) == "scatter newer" ? f.dir / "x.sct" : "";
    EXPECT_EQ(IsGnuLinkUpToDate(f.env, f.Out("elf"), f.Out("lnp"), lnp, extra, &reason), 1) << r.name;
    EXPECT_NE(reason.find(r.reason), std::string::npos) << r.name << ": " << reason;
  }
}

TEST(LinkGnu, ExitCodeAndUnwritableCommandFileFailTheBuild) {
  LinkFixture f(kToolsetArmGnu);
  f.AddObject("a.o");
  f.exitCode = 1;
  EXPECT_EQ(LinkGnuTarget(f.env, &f.fx.target), 1);
  EXPECT_EQ(f.state.Flags(), kBuildFailed);
  EXPECT_TRUE(f.state.HeadIsLinkItem());  // recorded even so: the summary names it

  LinkFixture g(kToolsetArmGnu);
  WriteFile(g.dir / "missing", "a file, not a folder");
  const std::string unusable = g.dir / "missing/";
  g.fx.targetOpts.out.OUTDIR = OptString(unusable.c_str());
  g.AddObject("a.o");
  EXPECT_EQ(LinkGnuTarget(g.env, &g.fx.target), 1);
  EXPECT_TRUE(g.runs.empty());
  EXPECT_EQ(g.state.Flags(), kBuildFailed);
  ASSERT_EQ(g.shell.lines.size(), 1u);
  EXPECT_EQ(g.shell.lines[0], "error - can't create command input file '" + (g.dir / "missing/blinky.lnp") + "'\n");
}

TEST(LinkHex, ControlStringsPerToolset) {
  struct {
    const char* name;
    HexStep step;
    HexOptions o;
    const char* expected;
    bool dropped;
  } rows[] = {
      {"51", HexStep::k51, {.hexSel = 1, .offset = 4}, "", false},
      {"251 H386 range", HexStep::k251, {.hexSel = 1, .rangeStart = 0xFF0000, .rangeEnd = 0xFFFFFF}, "H386 RANGE (0xFF0000-0xFFFFFF)", false},
      {"251 offset", HexStep::k251, {.offset = 0x100}, " OFFSET (+0x100)", false},
      {"251 range wins", HexStep::k251, {.rangeEnd = 0x10, .offset = 0x100}, " RANGE (0x0-0x10)", true},
      {"x51 merge", HexStep::k51Extended, {.hexSel = 0, .mergeBanks = true}, "MERGE32K H386", false},
      {"x51 plain", HexStep::k51Extended, {}, "HEX", false},
      {"x51 H386", HexStep::k51Extended, {.hexSel = 2}, "H386", false},
      {"166 default", HexStep::k166, {}, "", false},
      {"166 all", HexStep::k166, {.hexSel = 1, .offset = -0x20, .recordLength = 32, .flashFill = 0x1FF}, " H167 RECLEN (32) OFFSET (-0x20) FLASH (0xFF)", false},
  };
  for (const auto& r : rows) {
    bool dropped = false;
    EXPECT_EQ(HexControlString(r.step, r.o, &dropped), r.expected) << r.name;
    EXPECT_EQ(dropped, r.dropped) << r.name;
  }
}

TEST(LinkHex, RunsAfterALinkOrWhenTheHexFileIsMissing) {
  LinkFixture f(kToolset166);
  f.fx.targetOpts.out.flags.GENHEX = 1;
  f.AddObject("a.obj");
  f.state.request = ToolRunRequest{};
  f.state.request.objectFile = f.Out("out");
  RecordBuildItem(f.state, &f.fx.target, nullptr, nullptr);
  HexOptions o{.rangeEnd = 0xFF, .offset = 2};
  MakeHexFile(f.env, HexStep::k166, f.fx.targetOpts, o, false);
  ASSERT_EQ(f.runs.size(), 1u);
  EXPECT_EQ(f.runs[0].toolCode, 20);
  EXPECT_EQ(f.runs[0].objectFile, "\"" + f.Out("out") + "\"");
  EXPECT_EQ(f.shell.lines, std::vector<std::string>{"OH-Warning: 'RANGE' was given, 'OFFSET' ignored\n"});
  EXPECT_EQ(f.state.warnings, 1);

  WriteFile(f.Out("H86"), "");
  MakeHexFile(f.env, HexStep::k166, f.fx.targetOpts, o, false);
  EXPECT_EQ(f.runs.size(), 1u);  // nothing linked, hex file there
  MakeHexFile(f.env, HexStep::k166, f.fx.targetOpts, o, true);
  EXPECT_EQ(f.runs.size(), 2u);
  f.state.SetFlags(kBuildError);
  MakeHexFile(f.env, HexStep::k166, f.fx.targetOpts, o, true);
  EXPECT_EQ(f.runs.size(), 2u);
}

TEST(LinkHex, GnuHexAfterALinkOrWhenTheHexFileIsMissing) {
  struct Row {
    const char* name;
    bool linked;
    bool hexExists;
    bool runs;
  } rows[] = {
      {"linked, old hex", true, true, true},
      {"up to date, hex missing", false, false, true},
      {"up to date, hex there", false, true, false},
  };
  for (const Row& r : rows) {
    LinkFixture f(kToolsetArmGnu);
    f.fx.targetOpts.out.flags.GENHEX = 1;
    f.AddObject("a.o");
    f.state.request = ToolRunRequest{};
    f.state.request.objectFile = f.Out("elf");
    RecordBuildItem(f.state, &f.fx.target, nullptr, nullptr);
    if (r.hexExists) WriteFile(f.Out("hex"), ":00000001FF\n");
    MakeGnuHexFile(f.env, &f.fx.target, f.fx.targetOpts, r.linked);
    ASSERT_EQ(f.runs.size(), r.runs ? 1u : 0u) << r.name;
    if (!r.runs) continue;
    EXPECT_EQ(f.runs[0].toolCode, 34) << r.name;
    EXPECT_EQ(f.runs[0].controlString,
              "-O ihex \"" + f.Out() + ".elf\" \"" + f.Out() + ".hex\"\r\n") << r.name;
  }
}

TEST(LinkGnu, WindowsFormOutputFolderReachesTheToolsAsThisMachinesPaths) {
  // A project written on Windows stores ".\Obj\": the linker's command file
  // and objcopy's arguments must name the files with '/'.
  LinkFixture f(kToolsetArmGnu);
  std::filesystem::create_directories(f.dir / "Obj");
  f.fx.targetOpts.out.OUTDIR = OptString(".\\Obj\\");
  f.fx.targetOpts.out.flags.GENHEX = 1;
  f.env.projectFolder = f.dir.Path() + "/";
  f.state.request = ToolRunRequest{};
  f.state.request.objectFile = ".\\Obj\\a.o";
  RecordBuildItem(f.state, &f.fx.target, &f.fx.group, &f.files.emplace_back());
  ASSERT_EQ(LinkGnuTarget(f.env, &f.fx.target), 1);
  const std::string lnp = ReadFile(f.dir / "Obj/blinky.lnp");
  EXPECT_EQ(lnp.find('\\'), std::string::npos) << lnp;
  EXPECT_NE(lnp.find("./Obj/a.o"), std::string::npos) << lnp;

  f.runs.clear();
  MakeGnuHexFile(f.env, &f.fx.target, f.fx.targetOpts, true);
  ASSERT_EQ(f.runs.size(), 1u);
  EXPECT_EQ(f.runs[0].controlString.find('\\'), std::string::npos) << f.runs[0].controlString;
  EXPECT_NE(f.runs[0].controlString.find(f.dir / "Obj/blinky.elf"), std::string::npos)
      << f.runs[0].controlString;
}

TEST(LinkHex, BankedFilesThatExist) {
  LinkFixture f(kToolset51);
  f.fx.targetOpts.out.flags.GENHEX = 1;
  f.state.request.objectFile = f.dir / "blinky";
  RecordBuildItem(f.state, &f.fx.target, nullptr, nullptr);
  WriteFile(f.dir / "blinky.B00", "");
  WriteFile(f.dir / "blinky.B03", "");
  WriteFile(f.dir / "blinky.B32", "");  // past the last bank
  MakeBankedHexFiles(f.env, f.fx.targetOpts, true);
  ASSERT_EQ(f.runs.size(), 3u);
  EXPECT_EQ(f.runs[0].toolCode, 22);
  EXPECT_EQ(f.runs[0].controlString, "SB");
  EXPECT_EQ(f.runs[1].controlString, "HEXFILE(" + (f.dir / "blinky.H00)"));
  EXPECT_EQ(f.runs[2].file, "\"" + (f.dir / "blinky.B03") + "\"");

  LinkFixture g(kToolset51);
  g.fx.targetOpts.out.flags.GENHEX = 1;
  RecordBuildItem(g.state, &g.fx.target, nullptr, nullptr);
  WriteFile(g.dir / "blinky.B00", "");
  g.exitCode = 3;  // the object converter failed: one error, no bank converted
  MakeBankedHexFiles(g.env, g.fx.targetOpts, false);
  EXPECT_EQ(g.runs.size(), 1u);
  EXPECT_EQ(g.state.errors, 1);
  EXPECT_EQ(g.state.Flags(), kBuildError);
}

// Two C files compiled from the lines made here, linked and converted to
// hex by arm-none-eabi-gcc and objcopy through the tool runner.
TEST(LinkGnuEndToEnd, TwoFileProgramGivesElfAndHex) {
  const std::string gnu = InstallRoot() + "GNU/Arm-Tools/";
  if (!FileExists(gnu + "Bin/arm-uclibc-gcc")) GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
  LinkFixture f(kToolsetArmGnu);
  f.fx.targetOpts.out.flags.GENHEX = 1;
  f.fx.targetOpts.lGnu.ALDFLAG[0] |= kGnuLdNoStartFiles;
  f.env.envInput.gnuFolder1 = gnu;
  f.env.envInput.gnuFolder2 = gnu + "Bin/";
  EnvOverlay overlay;
  f.env.overlay = &overlay;
  SetToolEnvironment(f.env.envInput, 0, overlay, nullptr);  // PATH reaches the GNU folder
  ToolRunnerDeps deps;
  deps.shell = &f.shell;
  deps.tempFolder = f.dir.Path();
  deps.workFolder = f.dir.Path();
  deps.runtimeFolder = f.dir.Path();
  ToolRunner runner(deps);
  f.env.run = [&](ToolRunRequest& r) { runner.RunBuildStep(r); };

  WriteFile(f.dir / "add.c", "int add(int a, int b) { return a + b; }\n");
  WriteFile(f.dir / "start.c",
            "int add(int, int);\nvolatile int result;\n"
            "void _start(void) { result = add(1, 2); for (;;) {} }\n");
  FileRec files[2];
  const char* names[] = {"add.c", "start.c"};
  for (int i = 0; i < 2; ++i) {
    files[i].kind = kKindFile;
    files[i].group = &f.fx.group;
    files[i].name = OptString(names[i]);
    const std::string path = f.dir / names[i];
    files[i].path = OptString::Pooled(path, 2);
    MakeGnuCcCommand(f.fx.ctx, &files[i], &f.fx.target, true);
    ToolRunRequest& r = f.state.request;
    r = ToolRunRequest{};
    r.toolCode = 31;
    r.flags = 0x08;
    r.environment = &overlay;
    r.file = names[i];
    r.objectFile = f.fx.ctx.g_szObjFileName;
    r.commandFile = f.dir / (std::string(names[i]) + "__i");
    WriteFile(r.commandFile, std::string(f.fx.ctx.Text()) + " \"" + path + "\"");
    runner.RunBuildStep(r);
    ASSERT_EQ(r.exitCode, 0u) << ::testing::PrintToString(f.shell.lines) << ::testing::PrintToString(overlay.Vars());
    RecordBuildItem(f.state, &f.fx.target, &f.fx.group, &files[i]);
  }
  EXPECT_EQ(LinkGnuTarget(f.env, &f.fx.target), 1);
  EXPECT_EQ(f.state.Flags(), 0u) << ::testing::PrintToString(f.shell.lines);
  MakeGnuHexFile(f.env, &f.fx.target, f.fx.targetOpts, true);
  EXPECT_EQ(f.state.errors, 0) << ::testing::PrintToString(f.shell.lines);
  EXPECT_EQ(ReadFile(f.Out("elf")).substr(0, 4), "\x7f" "ELF");
  const std::string hex = ReadFile(f.Out("hex"));
  ASSERT_FALSE(hex.empty());
  EXPECT_EQ(hex[0], ':');
  EXPECT_NE(hex.find(":00000001FF"), std::string::npos);
  // Nothing changed: the next link is skipped.
  f.state.request = ToolRunRequest{};
  EXPECT_EQ(LinkGnuTarget(f.env, &f.fx.target), 0);
}

}  // namespace
}  // namespace pm2::test
