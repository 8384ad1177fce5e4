// The runner with real child processes: the stand-in tools, the spawn
// helper, the shell, a missing program, a stop request, a flood of output
// and the linkers' progress records.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <chrono>
#include <thread>

#include "builder/build_test_support.h"
#include "builder/progress_shown.h"
#include "builder/runner/progress_channel.h"
#include "builder/runner/tool_environment.h"
#include "builder/runner/tool_runner.h"
#include "platform/notification_hub.h"
#include "platform/win_path.h"
#include "project/recording_shell.h"

namespace pm2 {
namespace {

using test::FileExists;
using test::InstallRoot;
using test::ReadFile;
using test::SpawnHelper;
using test::WriteFile;

// Output lines without the redraw brackets.
std::vector<std::string> Shown(const RecordingShell& shell) {
  std::vector<std::string> out;
  for (const auto& l : shell.lines)
    if (l != "\xFF" && l != "\xFE") out.push_back(l);
  return out;
}

class ToolRunnerTest : public ::testing::Test {
 protected:
  test::ScratchFolder dir;
  RecordingShell shell;
  ToolRunnerDeps Deps() {
    ToolRunnerDeps deps;
    deps.shell = &shell;
    deps.tempFolder = dir.Path();
    deps.workFolder = dir.Path();
    deps.runtimeFolder = dir.Path();
    return deps;
  }
  ToolRunRequest Compile(const std::string& source, const std::string& directives, bool helper) {
    WriteFile(dir / source, directives);
    WriteFile(dir / "M.__i", source + " DEBUG OBJECTEXTEND\r\n");
    ToolRunRequest r;
    r.toolCode = 2;
    r.file = source;
    r.toolFolder = InstallRoot() + "Q51/BIN/";
    r.commandFile = "M.__i";
    if (helper) r.runThrough = SpawnHelper();
    return r;
  }
};

TEST_F(ToolRunnerTest, CompilerRunsWithAndWithoutTheSpawnHelper) {
  for (bool helper : {false, true}) {
    SCOPED_TRACE(helper ? "through VSPAWN.EXE" : "direct");
    shell.lines.clear();
    ToolRunner runner(Deps());
    ToolRunRequest r = Compile("MAIN.C", "// !standin warning 206 5 missing prototype\n", helper);
    runner.RunBuildStep(r);
    EXPECT_EQ(Shown(shell), (std::vector<std::string>{"compiling MAIN.C...\n",
                                                        "MAIN.C(5): warning C206: missing prototype\n"}));
    EXPECT_EQ(r.warnings, 1);
    EXPECT_EQ(r.errors, 0);
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(r.runFailed, 0u);
    EXPECT_NE(r.processId, kNoProcessId);
    EXPECT_TRUE(FileExists(dir / "MAIN.OBJ"));
    EXPECT_FALSE(FileExists(runner.LastCaptureName()));
    EXPECT_FALSE(g_bToolRunning);
  }
}

TEST_F(ToolRunnerTest, ExitCodeThreeCopiesAndFourIsReportedWithItsOutput) {
  struct Row {
    const char* name;
    int exit;
    int errors;
    bool reported;
  } rows[] = {// A failing exit code counts one error when no message was counted.
              {"exit 3", 3, 1, true},
              {"exit 4", 4, 1, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    shell.lines.clear();
    ToolRunner runner(Deps());
    ToolRunRequest r = Compile("A.C", "!standin error 141 2 syntax\n!standin exit " + std::to_string(row.exit) + "\n",
                               false);
    runner.RunBuildStep(r);
    auto shown = Shown(shell);
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[1], "*** ERROR C141 IN LINE 2 OF A.C: syntax\n");
    EXPECT_EQ(r.exitCode, static_cast<uint32_t>(row.exit));
    EXPECT_EQ(r.errors, row.errors);
    EXPECT_EQ(shown.back() == "--- Error: '" + InstallRoot() + "Q51/BIN/Q51.EXE' returned exit code " +
                                  std::to_string(row.exit) + "\n",
              row.reported);
  }
}

// Whatever a tool printed, a failing exit code fails the step: any but 0
// for the GNU tools, above 1 for the others; a counted message is enough.
TEST_F(ToolRunnerTest, FailingExitCodeCountsAnErrorWhenNoneWasRecognised) {
  struct Row {
    const char* name;
    int code;
    const char* program;
    const char* directives;
    int errors;
  } rows[] = {
      {"gnu exit 1 without a message", 31, "arm-uclibc-gcc", "!standin exit 1\n", 1},
      {"gnu exit 0", 31, "arm-uclibc-gcc", "", 0},
      {"gnu error counted, exit 1", 31, "arm-uclibc-gcc", "!standin error 1 2 bad\n", 1},
      {"51 exit 1 is warnings", 2, "Q51.EXE", "!standin exit 1\n", 0},
      {"51 exit 2 without a message", 2, "Q51.EXE", "!standin exit 2\n", 1},
  };
  EnvOverlay gnuPath;  // the GNU tools are found on the search list
  gnuPath.Set("PATH", InstallRoot() + "ARM/GNU/bin:" + std::string(std::getenv("PATH")));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    shell.lines.clear();
    ToolRunner runner(Deps());
    ToolRunRequest r = Compile("A.C", row.directives, false);
    r.toolCode = uint16_t(row.code);
    if (row.code == 31) {
      r.environment = &gnuPath;
      r.flags = 0x08;
    }
    runner.RunBuildStep(r);
    EXPECT_EQ(r.errors, row.errors) << ::testing::PrintToString(Shown(shell));
  }
}

// A GNU tool whose link points at a toolchain that is not installed: the
// message names the tool, the link looked for and where it leads.
TEST_F(ToolRunnerTest, MissingGnuToolNamesTheLinkAndWhy) {
  const std::string bin = dir / "Bin/";
  std::filesystem::create_directories(bin);
  std::filesystem::create_symlink("/nonexistent/arm-none-eabi-gcc", bin + "arm-uclibc-gcc");
  EnvOverlay env;
  env.Set("PATH", bin);
  ToolRunner runner(Deps());
  ToolRunRequest r = Compile("A.C", "", false);
  r.toolCode = 31;
  r.flags = 0x08;
  r.environment = &env;
  runner.RunBuildStep(r);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(Shown(shell).back(), "--- Error: can't execute 'arm-uclibc-gcc': '" + bin +
                                     "arm-uclibc-gcc' is a link to '/nonexistent/arm-none-eabi-gcc': "
                                     "No such file or directory\n");
}

TEST_F(ToolRunnerTest, MissingProgramFailsTheRun) {
  ToolRunner runner(Deps());
  ToolRunRequest r = Compile("A.C", "", false);
  r.toolFolder = dir.Path();
  runner.RunBuildStep(r);
  EXPECT_EQ(Shown(shell), (std::vector<std::string>{
                              "compiling A.C...\n", "--- Error: can't execute '" + dir.Path() +
                                                           "Q51.EXE': No such file or directory\n"}));
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.exitCode, kRunFailedExitCode);
  EXPECT_NE(r.runFailed, 0u);
}

TEST_F(ToolRunnerTest, StoredWindowsPathsGoThroughTheDriveMapAndIgnoreCase) {
  // The install root's folders are "Q51/BIN"; the stored forms differ in case.
  struct Row {
    const char* name;
    std::string toolFolder;
    std::string commandFile;
    std::string workFolder;     // empty: the scratch folder as it stands
    std::string projectFolder;  // the base of ".\" paths; empty: the work folder
    bool runs;
  } rows[] = {
      {"drive letter and wrong case", "T:\\q51\\bin\\", ".\\m.__I", "", "", true},
      {"work folder on a drive", "T:\\Q51\\Bin\\", "M.__i", "W:\\", "", true},
      {"relative paths against the project folder", "T:\\q51\\BIN\\", ".\\M.__I", "", "w:\\SUB\\", true},
      {"drive without a mapping", "Q:\\Q51\\BIN\\", "M.__i", "", "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    shell.lines.clear();
    std::filesystem::remove(dir / "MAIN.OBJ");
    PathResolver paths;
    paths.Drives().Set("T:", InstallRoot());
    paths.Drives().Set("w", dir.Path());
    ToolRunnerDeps deps = Deps();
    deps.paths = &paths;
    if (!row.workFolder.empty()) deps.workFolder = row.workFolder;
    deps.projectFolder = row.projectFolder;
    ToolRunner runner(deps);
    ToolRunRequest r = Compile("MAIN.C", "// !standin warning 206 5 missing prototype\n", false);
    r.toolFolder = row.toolFolder;
    r.commandFile = row.commandFile;
    if (!row.projectFolder.empty()) {
      // Only the project folder holds the command file.
      std::filesystem::create_directories(dir / "sub");
      std::filesystem::rename(dir / "M.__i", dir / "sub/m.__i");
    }
    runner.RunBuildStep(r);
    auto shown = Shown(shell);
    if (row.runs) {
      EXPECT_EQ(shown, (std::vector<std::string>{"compiling MAIN.C...\n",
                                                 "MAIN.C(5): warning C206: missing prototype\n"}));
      EXPECT_EQ(r.runFailed, 0u);
      EXPECT_EQ(r.errors, 0);
      EXPECT_TRUE(FileExists(dir / "MAIN.OBJ"));
    } else {
      ASSERT_EQ(shown.size(), 3u);
      EXPECT_EQ(0u, shown[1].find("--- Error: '" + row.toolFolder + "': drive Q:")) << shown[1];
      EXPECT_EQ(shown[2], "--- Error: can't execute '" + row.toolFolder + "Q51.EXE'\n");
      EXPECT_EQ(r.errors, 1);
      EXPECT_EQ(r.exitCode, kRunFailedExitCode);
      EXPECT_FALSE(FileExists(dir / "MAIN.OBJ"));
    }
  }
}

TEST_F(ToolRunnerTest, ExternalProgramInWindowsFormIsFound) {
  PathResolver paths;
  paths.Drives().Set("T", InstallRoot());
  ToolRunnerDeps deps = Deps();
  deps.paths = &paths;
  ToolRunner runner(deps);
  // The spawn helper with its name in another case, started with a command.
  runner.RunExternalCommand("t:\\pm2\\vspawn.exe", "/bin/echo mapped", "", nullptr, 0);
  auto shown = Shown(shell);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0], "\"t:\\pm2\\vspawn.exe\" /bin/echo mapped\n");
  EXPECT_NE(std::find(shown.begin(), shown.end(), "mapped\n"), shown.end()) << shown.size();
}

TEST_F(ToolRunnerTest, UserCommandsThroughShellBatchAndLauncher) {
  WriteFile(dir / "go.bat", "echo batch $1\n");
  WriteFile(dir / "WIN.EXE", "MZ not really a program");
  EnvOverlay withLauncher;
  withLauncher.Set("PM2_EXE_LAUNCHER", "/bin/echo");
  EnvOverlay withoutLauncher;
  withoutLauncher.Remove("PM2_EXE_LAUNCHER");
  struct Row {
    const char* name;
    std::string control;
    const EnvOverlay* env;
    std::vector<std::string> shown;
    int errors;
  } rows[] = {
      {"shell line", "cmd /c echo one && echo two", nullptr, {"one\n", "two\n"}, 0},
      {"shell exit code", "CMD /C exit 3", nullptr, {"--- User Command terminated, Exit-Code = 3\n"}, 1},
      // Programs of the working folder (the project's) are named with it.
      {"batch file", "./go.bat x", nullptr, {"batch x\n"}, 0},
      {"windows program through the launcher", ".\\WIN.EXE a", &withLauncher, {"./WIN.EXE a\n"}, 0},
      {"windows program without a launcher", ".\\WIN.EXE a", &withoutLauncher,
       {"VSPAWN: can't execute './WIN.EXE' is a Windows program and PM2_EXE_LAUNCHER is not set\n",
        "--- User Command terminated, Exit-Code = 254\n"}, 1},
      {"name ignoring case and .EXE", "\"" + InstallRoot() + "q51/bin/q51.exe\"", nullptr,
       {"\n", "Q51 COMPILATION COMPLETE.  0 WARNING(S),  0 ERROR(S)\n"}, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    shell.lines.clear();
    ToolRunner runner(Deps());
    ToolRunRequest r;
    r.toolCode = 43;
    r.runThrough = SpawnHelper();
    r.controlString = row.control;
    r.environment = row.env;
    runner.RunBuildStep(r);
    EXPECT_EQ(Shown(shell), row.shown);
    EXPECT_EQ(r.errors, row.errors);
  }
}

TEST_F(ToolRunnerTest, StopRequestEndsASleepingTool) {
  ToolRunner runner(Deps());
  // The tool marks that it runs, then sleeps a minute: the stop ends it
  // with the message below, a run left to its end gives none.
  const std::string running = dir / "running.txt";
  ToolRunRequest r = Compile("S.C", "!standin record " + running + "\n!standin sleep 60\n", true);
  std::atomic<bool> done{false};
  std::thread stopper([&] {
    while (!FileExists(running) && !done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    runner.RequestStop();
  });
  runner.RunBuildStep(r);
  done = true;
  stopper.join();
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(Shown(shell).back(), "--- Error: '" + InstallRoot() + "Q51/BIN/Q51.EXE' stopped on request\n");
  EXPECT_FALSE(g_bToolRunning);
}

// Counts output instead of keeping it.
class CountingShell : public ShellServices {
 public:
  size_t bytes = 0, lines = 0;
  void PostOutputText(const std::string& line) override {
    if (line == "\xFF" || line == "\xFE") return;
    bytes += line.size();
    ++lines;
  }
};

TEST_F(ToolRunnerTest, HundredMegabytesOfOutputAreKept) {
  CountingShell counting;
  ToolRunnerDeps deps = Deps();
  deps.shell = &counting;
  ToolRunner runner(deps);
  EnvOverlay env;
  env.Set("PM2_STANDIN", "spew 100000000");
  ToolRunRequest r;
  r.toolCode = 43;
  r.controlString = "\"" + InstallRoot() + "ARM/ADS/BIN/fromelf.exe\"";
  r.environment = &env;
  runner.RunBuildStep(r);
  EXPECT_EQ(counting.lines, 1000000u);
  EXPECT_EQ(counting.bytes, 100000000u);
  EXPECT_EQ(r.errors, 0);
}

TEST_F(ToolRunnerTest, LinkerProgressRecordsReachTheHub) {
  std::vector<ProgressRecord> seen;
  DirectHub hub([&](int code, intptr_t arg) -> intptr_t {
    ProgressRecord shown;
    if (test::ProgressShown(code, arg, &shown)) seen.push_back(shown);
    return 0;
  });
  ToolRunnerDeps deps = Deps();
  deps.hub = &hub;
  ToolRunner runner(deps);
  WriteFile(dir / "MAIN.OBJ",
            "!standin progress 1 0 0 100 Linking\n!standin progress 3 50 0 100 x\n"
            "!standin progress 2 0 0 0 done\n!standin warning 16 0 UNCALLED SEGMENT\n");
  WriteFile(dir / "T.lnp", "MAIN.OBJ TO T\r\n");
  EnvOverlay env;
  env.Set("XDG_RUNTIME_DIR", dir.Path());
  ToolRunRequest r;
  r.toolCode = 6;
  r.toolFolder = InstallRoot() + "Q51/BIN/";
  r.commandFile = "T.lnp";
  r.environment = &env;
  runner.RunBuildStep(r);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].kind, 1u);
  EXPECT_EQ(seen[0].upper, 100u);
  EXPECT_EQ(seen[0].text, "Linking");
  EXPECT_EQ(seen[1].position, 50u);
  EXPECT_EQ(seen[2].kind, 2u);
  EXPECT_EQ(r.warnings, 1);
  EXPECT_EQ(Shown(shell), (std::vector<std::string>{"linking...\n", "*** WARNING L16: UNCALLED SEGMENT\n",
                                                      "    MODULE:  MAIN.OBJ\n", "\n",
                                                      "Program Size: data=9.0 xdata=0 code=18\n"}));
  EXPECT_FALSE(FileExists(ProgressChannelPath(dir.Path())));
}

TEST_F(ToolRunnerTest, UnreadableCaptureCountsAsAnErrorAfterBoundedTries) {
  int tries = 0;
  ToolRunnerDeps deps = Deps();
  deps.openCapture = [&](const std::string&) {
    ++tries;
    return -1;
  };
  ToolRunner runner(deps);
  ToolRunRequest r = Compile("A.C", "", false);
  runner.RunBuildStep(r);
  EXPECT_EQ(tries, kCaptureReopenTries);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(Shown(shell).back(), "--- Error: can't read the output of '" + InstallRoot() + "Q51/BIN/Q51.EXE'\n");
}

TEST_F(ToolRunnerTest, GnuToolsAreFoundThroughPath) {
  WriteFile(dir / "m.c", "!standin warning 3 7 unused variable\n!standin error 5 9 expected ';'\n");
  WriteFile(dir / "m.__i", "-c m.c -o m.o\n");
  EnvOverlay env;
  env.Set("PATH", InstallRoot() + "ARM/GNU/bin");
  ToolRunner runner(Deps());
  ToolRunRequest r;
  r.toolCode = 31;
  r.file = "m.c";
  r.commandFile = "m.__i";
  r.environment = &env;
  runner.RunBuildStep(r);
  EXPECT_EQ(Shown(shell), (std::vector<std::string>{"compiling m.c...\n", "m.c(7): warning: unused variable\n",
                                                      "m.c(9): error: expected ';'\n"}));
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.warnings, 1);
}

TEST_F(ToolRunnerTest, NothingStartedForAdsLibrarianAndLintLeavesNoCapture) {
  ToolRunner runner(Deps());
  ToolRunRequest ar;
  ar.toolCode = 40;
  runner.RunBuildStep(ar);
  EXPECT_EQ(ar.errors + ar.warnings, 0);
  EXPECT_EQ(ar.processId, kNoProcessId);

  WriteFile(dir / "opt.lnt", "PC-lint for C/C++\n\"*** LINT: a.c(3) Warning 1: x\"\n");
  ToolRunRequest lint;
  lint.toolCode = 44;
  lint.toolFolder = "/bin/cat";
  lint.commandFile = dir / "opt.lnt";
  runner.RunBuildStep(lint);
  EXPECT_EQ(Shown(shell), (std::vector<std::string>{"Running PC-Lint '/bin/cat'...\n", "PC-lint for C/C++\n",
                                                      "a.c(3,0): Warning 1: x\n"}));
  EXPECT_FALSE(FileExists(runner.LastCaptureName()));
}

TEST_F(ToolRunnerTest, PlmCompilerListingIsFiltered) {
  WriteFile(dir / "MAIN.PLM", "/* !standin error 150 12 UNDEFINED */\n");
  ToolRunner runner(Deps());
  ToolRunRequest r;
  r.toolCode = 4;
  r.file = "MAIN.PLM";
  r.controlString = "DEBUG";
  r.toolFolder = InstallRoot() + "Q51/BIN/";
  runner.RunBuildStep(r);
  auto shown = Shown(shell);
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0], "compiling MAIN.PLM...\n");
  EXPECT_EQ(shown[1], "-PL/M-51 STAND-IN COMPILER\n");
  EXPECT_EQ(shown[3], "MAIN.PLM(12): error P150: UNDEFINED */\n");
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.exitCode, 2u);
  EXPECT_FALSE(FileExists(runner.LastCaptureName()));
}

TEST_F(ToolRunnerTest, ExternalCommandCopiesOutput) {
  ToolRunner runner(Deps());
  runner.RunExternalCommand("/bin/echo", "hi  there", "", nullptr, 0);
  runner.RunExternalCommand(dir / "absent", "x", "", nullptr, 0);
  EXPECT_EQ(Shown(shell), (std::vector<std::string>{"\"/bin/echo\" hi  there\n", "hi there\n",
                                                      "\"" + dir / "absent" + "\" x\n",
                                                      "--- Error: can't execute '\"" + dir / "absent" + "\" x': '" +
                                                          dir / "absent" + "': No such file or directory\n"}));
}

// A program named without a folder is looked up on PATH only, as a shell
// does: the project folder's file of that name runs only when the user
// names it with its folder, and the refusal says so.
TEST_F(ToolRunnerTest, ExternalProgramWithoutAFolderIsLookedUpOnPathOnly) {
  WriteFile(dir / "own", "#!/bin/sh\necho project copy $1\n");
  ::chmod((dir / "own").c_str(), 0755);
  struct Row {
    const char* name;
    const char* program;
    const char* arguments;
    std::vector<std::string> said;  // parts of the line after the command line
  } rows[] = {
      {"on PATH only", "sh", "-c \"echo from PATH\"", {"from PATH\n"}},
      {"in the project folder, named bare", "own", "x",
       {"--- Error: can't execute '\"own\" x': 'own' is in none of the folders of PATH (",
        "); programs are not looked up in the working folder '", "': to run one of its own, name it with its "
        "folder ('./own')\n"}},
      {"in the project folder, named with its folder", "./own", "x", {"project copy x\n"}},
      {"in neither", "pm2-no-such-tool", "x",
       {"--- Error: can't execute '\"pm2-no-such-tool\" x': 'pm2-no-such-tool' is in none of the folders of PATH"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    shell.lines.clear();
    ToolRunnerDeps deps = Deps();
    deps.projectFolder = dir.Path();
    ToolRunner runner(deps);
    runner.RunExternalCommand(r.program, r.arguments, "", nullptr, 0);
    const auto shown = Shown(shell);
    ASSERT_EQ(shown.size(), 2u) << (shown.empty() ? "" : shown.back());
    for (const std::string& part : r.said) EXPECT_NE(shown[1].find(part), std::string::npos) << shown[1];
  }
}

}  // namespace
}  // namespace pm2
