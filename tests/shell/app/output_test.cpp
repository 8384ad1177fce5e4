// Output from the GUI thread and from workers: the build page, the -o file,
// the command window and its text pool, serial windows.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <set>
#include <thread>

#include "../example_project.h"
#include "platform/read_file.h"
#include "project/model/project_records.h"
#include "project/recording_shell.h"
#include "shell_fakes.h"

namespace pm2 {
namespace {

using test::ReadFile;

class OutputTest : public ShellAppTest {
 protected:
  void OpenPane() { app->m_windows.Set(WindowSlot::OutputPane, &pane); }
  void OpenCopy() { app->m_pOutputFile = std::fopen((dir / "out.txt").c_str(), "w"); }
  std::string Copy() {
    std::fflush(app->m_pOutputFile);
    return ReadFile(dir / "out.txt");
  }
  int pane = 0;
};

struct CopyRow {
  const char* name;
  const char* line;
  const char* copied;
};

class OutputCopy : public OutputTest, public ::testing::WithParamInterface<CopyRow> {};

TEST_P(OutputCopy, EachLineEndsInExactlyOneLineEnd) {
  OpenPane();
  OpenCopy();
  app->OutputText(GetParam().line);
  EXPECT_EQ(Copy(), GetParam().copied);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OutputCopy,
    ::testing::Values(CopyRow{"WithoutLineEnd", "compiling main.c...", "compiling main.c...\n"},
                      CopyRow{"WithLineEnd", "compiling main.c...\n", "compiling main.c...\n"},
                      CopyRow{"WithCrLf", "linking...\r\n", "linking...\n"},
                      CopyRow{"ControlBytesDropped", "\xFA\xFB" "Build target 'T1'\n", "Build target 'T1'\n"},
                      CopyRow{"OnlyControlBytes", "\xF9", ""},
                      CopyRow{"EmptyLineKept", "\n", "\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutputTest, LinesGoToClientsPaneLogAndCopy) {
  OpenPane();
  OpenCopy();
  app->OutputText("main.c(3): error: x\n");
  EXPECT_EQ(ipc.info, std::vector<std::string>{"main.c(3): error: x\n"});
  EXPECT_EQ(frame.lines, std::vector<std::string>{"0:main.c(3): error: x\n"});
  EXPECT_EQ(build.logged, std::vector<std::string>{"main.c(3): error: x\n"});
  EXPECT_EQ(Copy(), "main.c(3): error: x\n");
}

// The HTML log of the real build port, fed by the build page.
class BuildLogTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    port = std::make_unique<DriverBuildPort>(hub, &shell);
    deps.build = port.get();
    app = std::make_unique<ShellApp>(deps);
    project = MakeExampleProject(dir.path() + "/");
    project->curTarget = project->firstTarget;
    theApp().m_pProject = project;
    OpenPane();
    ASSERT_GT(app->SetBuildLogName(nullptr), 0);
  }
  void TearDown() override {
    app.reset();  // it holds the port
    port.reset();
    OutputTest::TearDown();
  }
  // No target: the build refuses at once, but its log is open.
  void BuildOnce() {
    ASSERT_TRUE(port->StartBuild(project, nullptr, 0));
    port->Finish([](const std::function<void()>& wait) { wait(); });
  }
  // What the log holds after its heading.
  std::string Output() {
    const std::string log = ReadFile(dir / "Obj/Blinky.plg");
    const std::string heading = "<h2>Output:</h2>\r\n";
    const size_t at = log.find(heading);
    return at == std::string::npos ? "(no heading) " + log : log.substr(at + heading.size());
  }
  RecordingShell shell;
  std::unique_ptr<DriverBuildPort> port;
  ProjectRec* project = nullptr;
};

// An empty line is logged though the page does not show it, and a line
// ending in 0x02 runs on into the next; lines printed before the build
// opens its log are kept for it.
TEST_F(BuildLogTest, TakesEmptyLinesAndContinuations) {
  app->OutputText("\xFF");
  app->OutputText("before\n");
  app->OutputText("\n");
  app->OutputText("\xFE");
  BuildOnce();
  app->OutputText("first part \x02\r\n");
  app->OutputText("second part\r\n");
  app->OutputText("\n");
  app->OutputText("last\n");
  port->SetBuildLogFile(0, std::string());
  EXPECT_EQ(Output(), "before\r\n\r\nfirst part second part\r\n\r\nlast\r\n</pre>\r\n</body>\r\n</html>\r\n");
}

// Closed for the project the log ends its page; at the end of the program
// (the port goes with the build page) it is only closed.
TEST_F(BuildLogTest, EndsItsPageOnlyWhenClosedForTheProject) {
  struct Row {
    const char* name;
    bool closedForProject;
    const char* output;
  } rows[] = {
      {"closed_for_the_project", true, "line\r\n</pre>\r\n</body>\r\n</html>\r\n"},
      {"program_ends", false, "line\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (!port) {
      port = std::make_unique<DriverBuildPort>(hub, &shell);
      deps.build = port.get();
      app = std::make_unique<ShellApp>(deps);
      OpenPane();
    }
    ASSERT_GT(app->SetBuildLogName(nullptr), 0);
    BuildOnce();
    app->OutputText("line\n");
    if (row.closedForProject) {
      port->SetBuildLogFile(0, std::string());
    } else {
      app.reset();
      port.reset();
    }
    EXPECT_EQ(Output(), row.output);
  }
}

TEST_F(OutputTest, WithoutTheBuildPageTheCopyGetsNothingEither) {
  OpenCopy();
  app->OutputText("line\n");
  EXPECT_TRUE(frame.lines.empty());
  EXPECT_EQ(Copy(), "");
  EXPECT_EQ(ipc.info.size(), 1u);  // clients still hear of it
}

TEST_F(OutputTest, NullClearsThePage) {
  OpenPane();
  app->PostOutputText(nullptr);
  EXPECT_EQ(frame.lines, std::vector<std::string>{"0:<clear>"});
}

TEST_F(OutputTest, WorkerOutputIsSentAndWaitsForTheGuiThread) {
  std::thread worker([&] {
    EXPECT_EQ(app->PrintToOutput(0, "%s: %d error(s)", "Blinky", 2), 18);
    app->PostOutputText("second\n");
  });
  worker.join();
  auto entries = hub.Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].code, kNotifyBuildOutputLine);
  EXPECT_FALSE(entries[0].posted);
  EXPECT_EQ(entries[0].text, "Blinky: 2 error(s)");
  EXPECT_EQ(entries[1].text, "second\n");
  EXPECT_TRUE(frame.lines.empty());
}

TEST_F(OutputTest, PrintWithModeShowsABoxOnAnyThread) {
  std::thread worker([&] { app->PrintToOutput(1, "Can't open '%s'", "x.c"); });
  worker.join();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Can't open 'x.c'");
  EXPECT_EQ(dialogs.beeps, 1);
  EXPECT_TRUE(hub.Entries().empty());
}

TEST_F(OutputTest, EmptyFormatDoesNothing) {
  OpenPane();
  EXPECT_EQ(app->PrintToOutput(0, "%s", ""), 0);
  EXPECT_TRUE(frame.lines.empty());
  EXPECT_TRUE(ipc.info.empty());
}

TEST_F(OutputTest, CoreMessagesReachTheDialogsAndThePage) {
  OpenPane();
  PrintToOutput(0, "from the core\n");  // the project model's own helper
  EXPECT_EQ(frame.lines, std::vector<std::string>{"0:from the core\n"});
  PrintToOutput(1, "a box");
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "a box");
}

TEST_F(OutputTest, WorkerCommandTextsArePostedInPoolBuffersAndFreed) {
  int page = 0;
  app->m_windows.Set(WindowSlot::CommandPage, &page);
  std::thread worker([&] { app->PrintToCommandWindow("g, main\n"); });
  worker.join();
  auto entries = hub.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].code, kNotifyCommandText2);
  EXPECT_TRUE(entries[0].posted);
  EXPECT_EQ(entries[0].text, "g, main\n");
  app->OnDebugNotify(entries[0].code, entries[0].arg);
  EXPECT_EQ(frame.commandLines, std::vector<std::string>{"g, main\n"});
  // The buffer is free again: 32 more texts find room.
  std::thread more([&] {
    for (int i = 0; i < 32; ++i) app->PrintToCommandWindow("x");
  });
  more.join();
  EXPECT_EQ(hub.Entries().size(), 33u);
}

// A text longer than a pool buffer, and texts sent while every buffer is
// busy, reach the command page whole.
TEST_F(OutputTest, CommandTextsTooLongOrWithEveryBufferBusyArriveWhole) {
  int page = 0;
  app->m_windows.Set(WindowSlot::CommandPage, &page);
  const std::string tooLong(2000, 'a');
  std::thread worker([&] {
    app->PrintToCommandWindow(tooLong.c_str());
    for (int i = 0; i < 33; ++i) app->PrintToCommandWindow("x");  // the 33rd finds every buffer busy
  });
  worker.join();
  ASSERT_EQ(hub.Entries().size(), 34u);
  for (const auto& e : hub.Entries()) app->OnDebugNotify(e.code, e.arg);
  ASSERT_EQ(frame.commandLines.size(), 34u);
  EXPECT_EQ(frame.commandLines[0], tooLong);
  EXPECT_EQ(frame.commandLines[33], "x");
}

TEST_F(OutputTest, PoolBufferIsFreedEvenWithoutTheCommandWindow) {
  std::thread worker([&] {
    for (int i = 0; i < 32; ++i) app->PrintToCommandWindow("x");
  });
  worker.join();
  for (const auto& e : hub.Entries()) app->OnDebugNotify(e.code, e.arg);
  std::thread again([&] { app->PrintToCommandWindow("after"); });
  again.join();
  EXPECT_EQ(hub.Entries().size(), 33u);
  EXPECT_TRUE(frame.commandLines.empty());
}

TEST_F(OutputTest, CommandTextsAreLoggedAndMirrored) {
  int page = 0;
  app->m_windows.Set(WindowSlot::CommandPage, &page);
  debug.session = debug.commandLog = true;
  app->m_bMirrorActive = true;
  app->PrintToCommandWindow("R0 = 1\n");
  EXPECT_EQ(debug.logs, std::vector<std::string>{"0:R0 = 1\n"});
  EXPECT_EQ(ipc.channel, std::vector<std::string>{"2:R0 = 1\n"});
}

TEST_F(OutputTest, TypedCommandNeedsASession) {
  int page = 0;
  app->m_windows.Set(WindowSlot::CommandPage, &page);
  EXPECT_EQ(app->ExecDebugCommandLine("g"), -1);
  debug.session = true;
  EXPECT_EQ(app->ExecDebugCommandLine("g"), 1);
  EXPECT_EQ(debug.executed, std::vector<std::string>{"g"});
  EXPECT_EQ(frame.commandLines, std::vector<std::string>{"g"});
  EXPECT_FALSE(app->m_bMirrorActive);
  app->m_bMirrorCommands = true;
  app->ExecDebugCommandLine("s");
  EXPECT_TRUE(app->m_bMirrorActive);
}

TEST_F(OutputTest, DebugCommandOutsideASessionComplainsOnlyForRealTexts) {
  int page = 0;
  app->m_windows.Set(WindowSlot::CommandPage, &page);
  app->ExecDebugCommand("g", -1);
  EXPECT_EQ(dialogs.beeps, 0);
  app->ExecDebugCommand("go", 2);
  EXPECT_EQ(dialogs.beeps, 1);
  EXPECT_EQ(frame.commandLines, std::vector<std::string>{"*** Error: not in debugging mode !\n"});
}

struct SerialRow {
  const char* name;
  int window;
  int result;
};

class SerialWindow : public OutputTest, public ::testing::WithParamInterface<SerialRow> {};

TEST_P(SerialWindow, OnlyWindowsZeroToTwo) {
  debug.serialLog = true;
  const uint8_t bytes[] = {'o', 'k'};
  EXPECT_EQ(app->WriteSerialWindow(GetParam().window, bytes, 2), GetParam().result);
  EXPECT_EQ(frame.calls.size(), GetParam().result == 0 ? 1u : 0u);
  EXPECT_EQ(debug.logs.size(), GetParam().result == 0 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, SerialWindow,
                         ::testing::Values(SerialRow{"First", 0, 0}, SerialRow{"Third", 2, 0},
                                           SerialRow{"Fourth", 3, -1}, SerialRow{"Negative", -1, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandTextPoolTest, ConcurrentClaimsNeverShareABuffer) {
  CommandTextPool pool;
  std::vector<const char*> got[4];
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 8; ++i) got[t].push_back(pool.Get("text"));
    });
  for (auto& th : threads) th.join();
  std::set<const char*> distinct;
  for (auto& g : got)
    for (const char* p : g) {
      ASSERT_NE(p, nullptr);
      distinct.insert(p);
    }
  EXPECT_EQ(distinct.size(), 32u);
  EXPECT_EQ(pool.InUse(), 32);
  // Every buffer busy: the text gets one of its own, freed the same way.
  const char* more = pool.Get("one more", true);
  ASSERT_NE(more, nullptr);
  EXPECT_FALSE(distinct.count(more));
  EXPECT_STREQ(more, "one more");
  EXPECT_TRUE(pool.IsEcho(more));
  EXPECT_TRUE(pool.Release(more));
  EXPECT_FALSE(pool.Owns(more));
}

// A text longer than a buffer is carried whole, not dropped.
TEST(CommandTextPoolTest, ALongTextIsCarriedWhole) {
  CommandTextPool pool;
  const std::string text(2000, 'x');
  const char* copy = pool.Get(text.c_str());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(std::string(copy), text);
  EXPECT_EQ(pool.InUse(), 0);
  EXPECT_TRUE(pool.Release(copy));
}

}  // namespace
}  // namespace pm2
