// Start-up in its fixed order, the project the command line asks for, and
// shut-down.
#include <fstream>

#include "../example_project.h"
#include "shell/app/startup_ports.h"
#include "shell_fakes.h"

namespace pm2 {
namespace {

class RecordingPorts : public StartupPorts {
 public:
  explicit RecordingPorts(ShellApp** app) : m_app(app) {}
  void SetUpProfile() override { steps.push_back("profile"); }
  void LoadEditorDefaults() override { steps.push_back("editor"); }
  void ClearAddInLink() override { steps.push_back("addin"); }
  void LoadFrameSettings() override {
    steps.push_back("mframe");
    if (reopenLast) (*m_app)->SetState(kStateReopenLastProject);
  }
  void ShowSplash(int bitmap, int ms) override {
    steps.push_back("splash " + std::to_string(bitmap) + " " + std::to_string(ms));
  }
  void RegisterDocumentTemplates() override { steps.push_back("templates"); }
  bool CreateMainFrame() override {
    steps.push_back((*m_app)->HasState(kStateCreatingFrame) ? "frame (creating)" : "frame");
    return frameOk;
  }
  bool ProcessShellCommand() override {
    steps.push_back("shell");
    return true;
  }
  void ShowMainFrame() override { steps.push_back("show"); }
  void StartEventInterface() override { steps.push_back("events"); }
  void LoadShortcutTable() override { steps.push_back("shortcuts"); }
  void OpenInstanceChannel() override { steps.push_back("channel"); }
  void InitHelp() override { steps.push_back("help"); }
  void SendGoodbye() override { steps.push_back("goodbye"); }
  void CloseHelp() override { steps.push_back("close help"); }
  void CloseInstanceChannel() override { steps.push_back("close channel"); }
  void SaveFrameSettings() override { steps.push_back("save mframe"); }

  std::vector<std::string> steps;
  bool frameOk = true;
  bool reopenLast = true;

 private:
  ShellApp** m_app;
};

class StartupTest : public ShellAppTest {
 protected:
  void SetUp() override {
    ShellAppTest::SetUp();
    raw = app.get();
    std::string pm2, opt;
    ExampleProjectTexts(&pm2, &opt);
    std::ofstream(dir / "Blinky.pm2", std::ios::binary) << pm2;
    std::ofstream(dir / "Blinky.Opt", std::ios::binary) << opt;
    project = dir / "Blinky.pm2";
    std::ofstream(dir / "TOOLS.INI") << "[EXTRA]\nORGANIZATION=\"test\"\n";
    program = dir / "PM2/pelmora2";
  }
  bool Start(const std::string& line) { return app->InitInstance(ports, line, program); }

  ShellApp* raw = nullptr;
  RecordingPorts ports{&raw};
  std::string project, program;
};

TEST_F(StartupTest, StepsRunInTheirOrder) {
  ASSERT_TRUE(Start(""));
  std::vector<std::string> expected = {
      "profile", "editor",    "addin", "mframe", "splash 123 3000", "templates",
      "frame (creating)", "shell", "show", "events", "shortcuts", "help"};
  EXPECT_EQ(ports.steps, expected);
  EXPECT_FALSE(app->HasState(kStateCreatingFrame));
  EXPECT_EQ(app->m_szSpawnPath, dir.path() + "/PM2/VSPAWN.EXE");
  EXPECT_EQ(app->m_szDeviceDbPath, dir.path() + "/PM2/pelmora2.cdb");
}

TEST_F(StartupTest, FrameThatCannotBeCreatedEndsTheProgram) {
  ports.frameOk = false;
  EXPECT_FALSE(Start(""));
  EXPECT_EQ(ports.steps.back(), "frame (creating)");
}

TEST_F(StartupTest, MissingEnvironmentFileIsNamedAndStartUpGoesOn) {
  program = dir / "elsewhere/PM2/pelmora2";
  ASSERT_TRUE(Start(""));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].text.find(dir.path() + "/elsewhere/TOOLS.INI"), std::string::npos);
  EXPECT_EQ(ports.steps.back(), "help");
}

TEST_F(StartupTest, BuildStartRoutesTheBuildAndEndsStartUpThere) {
  ASSERT_TRUE(Start("-b \"" + project + "\""));
  ASSERT_NE(app->Project(), nullptr);
  EXPECT_TRUE(frame.Called("Route 32720"));
  EXPECT_EQ(ports.steps.back(), "events");
  EXPECT_EQ(app->m_recent.Count(), 0);
}

TEST_F(StartupTest, RebuildStartRoutesTheRebuild) {
  ASSERT_TRUE(Start("-r " + project));
  EXPECT_TRUE(frame.Called("Route 32816"));
  EXPECT_FALSE(frame.Called("Route 32720"));
}

TEST_F(StartupTest, DebugStartWithAProjectStartsTheSession) {
  ASSERT_TRUE(Start("-d" + project));
  EXPECT_TRUE(frame.Called("Route 32802"));
  EXPECT_TRUE(app->HasState(kStateDebugOnStart));
  EXPECT_EQ(ports.steps.back(), "help");
}

TEST_F(StartupTest, DebugStartWithoutAProjectClearsTheBit) {
  ASSERT_TRUE(Start("-d " + dir / "Gone.pm2"));
  EXPECT_FALSE(app->HasState(kStateDebugOnStart));
  EXPECT_FALSE(frame.Called("Route 32802"));
}

// Tried twice, told once.
TEST_F(StartupTest, NamedProjectThatFailsIsToldOnce) {
  ASSERT_TRUE(Start(dir / "Gone.pm2"));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text.rfind("Cannot open project file '" + dir / "Gone.pm2" + "'", 0), 0u)
      << dialogs.boxes[0].text;
  EXPECT_EQ(app->Project(), nullptr);
}

// Damaged settings are said once at start, over the window, naming the
// line that was reset; a build from the command line prints it instead.
TEST_F(StartupTest, DamagedSettingsAreToldOnce) {
  std::ofstream(settings.FilePath(), std::ios::binary) << "[MFrame]\nRect=d:1x\n";
  ASSERT_TRUE(settings.Load());
  ASSERT_TRUE(Start(""));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].text.find("line 2: value 'Rect' of 'MFrame' cannot be read"), std::string::npos)
      << dialogs.boxes[0].text;
  app->ExitInstance(ports);
  EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(StartupTest, LastProjectReopensOnlyWithLprJ) {
  settings.WriteProfileString("Recent Projects", "Project 1", project.c_str());
  ASSERT_TRUE(Start(""));
  EXPECT_NE(app->Project(), nullptr);
}

TEST_F(StartupTest, LastProjectStaysClosedWithoutLprJ) {
  settings.WriteProfileString("Recent Projects", "Project 1", project.c_str());
  ports.reopenLast = false;
  ASSERT_TRUE(Start(""));
  EXPECT_EQ(app->Project(), nullptr);
}

TEST_F(StartupTest, ChannelOpensWithXAndClosesAtExit) {
  ASSERT_TRUE(Start("-x"));
  EXPECT_NE(std::find(ports.steps.begin(), ports.steps.end(), "channel"), ports.steps.end());
  ports.steps.clear();
  EXPECT_EQ(app->ExitInstance(ports), 0);
  std::vector<std::string> expected = {"goodbye", "close help", "close channel", "save mframe"};
  EXPECT_EQ(ports.steps, expected);
}

TEST_F(StartupTest, ExitSavesTheRecentListToTheSettingsFile) {
  ASSERT_TRUE(Start(project));
  ASSERT_NE(app->Project(), nullptr);
  app->ExitInstance(ports);
  EXPECT_EQ(app->Project(), nullptr);
  SettingsStore again(settings.FilePath());
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(again.GetProfileString("Recent Projects", "Project 1"), project);
}

}  // namespace
}  // namespace pm2
