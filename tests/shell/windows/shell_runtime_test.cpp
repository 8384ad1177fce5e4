// The application layer wired for the window program, end to end: the
// example project opened, built on the build thread with the real tools,
// its lines carried to the GUI thread through the Qt hub, the -o copy and
// the build log written, the end of the build reported.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/settings_store.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/app/build_port.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/shell_app.h"
#include "shell/windows/shell_runtime.h"
#include "shell/windows/watchdog.h"
#include "example_copy.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class PaneFrame : public FrameHooks {
 public:
  void AppendOutputLine(int page, const char* text) override {
    if (page == kOutputBuildPage && text) lines += text;
  }
  void CloseMainWindow() override { closeAsked = true; }
  std::string lines;
  bool closeAsked = false;
};

class ShellRuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string bin = std::getenv("PM2_TEST_BIN") ? std::getenv("PM2_TEST_BIN") : "";
    root = bin + "/test-root/";
    if (!fs::exists(root + "GNU/Arm-Tools/Bin/arm-uclibc-gcc"))
      GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
    std::string pattern = (fs::temp_directory_path() / "pm2runtime_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern + "/";
    test::CopyExample(std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky", dir);
    fs::remove_all(dir + "Obj");
    ResetAppState();
    PoolFreeAll();
  }
  void TearDown() override {
    ResetAppState();
    PoolFreeAll();
    if (!dir.empty()) fs::remove_all(dir);
  }
  std::string root, dir;
};

TEST_F(ShellRuntimeTest, BuildLinesReachThePaneAndTheCopyThroughTheGuiThread) {
  SettingsStore settings(dir + "settings.ini");
  ShellRuntime rt(settings);
  ShellApp& app = rt.App();
  PaneFrame frame;
  app.SetFrame(&frame);
  int pane = 0;
  app.m_windows.Set(WindowSlot::OutputPane, &pane);
  ASSERT_TRUE(app.FindToolsIni(root + "PM2/pelmora2"));
  app.ParseCommandLine("-b -o " + dir + "copy.txt " + dir + "Blinky.pm2");
  app.OpenProject(app.m_szProjectArg);
  ProjectRec* p = app.Project();
  ASSERT_NE(p, nullptr);
  // Opening the project names the log; only a build writes it (another
  // build may be writing it now).
  EXPECT_FALSE(fs::exists(dir + "Obj/Blinky.plg"));

  app.SetState(kStateBusy);
  rt.Build().StartBuild(p, p->curTarget, 0);
  QElapsedTimer t;
  t.start();
  while (app.HasState(kStateBusy) && t.elapsed() < 120000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  ASSERT_FALSE(app.HasState(kStateBusy)) << frame.lines;

  EXPECT_NE(frame.lines.find("0 Error(s), 0 Warning(s)."), std::string::npos) << frame.lines;
  EXPECT_TRUE(frame.closeAsked);  // -b closes the program when the build ends
  EXPECT_EQ(app.BatchExitStatus(), 0);
  std::string copy = ReadText(dir + "copy.txt");
  EXPECT_NE(copy.find("compiling Blinky.c...\n"), std::string::npos) << copy;
  EXPECT_EQ(copy.find("\n\n"), std::string::npos) << copy;
  EXPECT_EQ(copy.find('\r'), std::string::npos);
  app.CloseProject();
  EXPECT_NE(ReadText(dir + "Obj/Blinky.plg").find("0 Error(s), 0 Warning(s)."), std::string::npos);
}


// The program ends while a build runs: its lines wait for the GUI thread,
// which waits for the build thread, serving them meanwhile.
TEST_F(ShellRuntimeTest, EndingWhileABuildSendsItsLinesReturns) {
  SettingsStore settings(dir + "settings.ini");
  auto rt = std::make_unique<ShellRuntime>(settings);
  ShellApp& app = rt->App();
  PaneFrame frame;
  app.SetFrame(&frame);
  ASSERT_TRUE(app.FindToolsIni(root + "PM2/pelmora2"));
  app.OpenProject(dir + "Blinky.pm2");
  ProjectRec* p = app.Project();
  ASSERT_NE(p, nullptr);
  app.SetState(kStateBusy);
  rt->Build().StartBuild(p, p->curTarget, 1);
  {
    Watchdog guard(std::chrono::seconds(60));
    rt.reset();
  }
  EXPECT_FALSE(frame.closeAsked);  // the frame had left before the end came
}

}  // namespace
}  // namespace pm2
