// The open project and its documents on the roads that would replace or
// close them, in a frame started as the program starts it: another project
// asked for during a debug session, the Import command during a build, a
// new project in a folder that is not there, and Cancel on "Save changes?"
// while a workspace opens.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "debugger/test_driver_frame.h"
#include "editor/document/editor_document.h"
#include "editor/ide/editor_view.h"
#include "platform/win_path.h"
#include "shell/app/state_bits.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_workspace.h"
#include "shell/frame/project_commands_ext.h"
#include "shell/windows/qt_user_dialogs.h"
#include "toolkit/workspace/workspace_list.h"
#include "toolkit/workspace/workspace_manager.h"

namespace pm2 {
namespace project_roads_test {

namespace fs = std::filesystem;

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The project files of a folder, by name as they are on disk.
std::vector<std::string> ProjectFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec))
    if (SamePathIgnoringCase(e.path().extension().string(), ".pm2")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ProjectRoadsTest : public test::TestDriverFrameTest {};

// During a session every road to another project is refused alike: one
// beep, the debugged project stays open under the session, and the other
// project's files are not touched, also after the session ended and the
// project was written. The session's breakpoint goes to the debugged
// project's options file.
TEST_F(ProjectRoadsTest, AnotherProjectIsRefusedOnEveryRoadDuringASession) {
  const std::string other = dir + "Other/";
  test::CopyExample(std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky", other);
  fs::remove_all(other + "Obj");
  const std::string otherProject = other + "Blinky.pm2";
  const std::string otherPm2 = FileText(otherProject), otherOpt = FileText(other + "Blinky.Opt");
  ASSERT_FALSE(otherOpt.empty());
  StartSession("driver.script", "line Blinky.c 30 100\nbp 10 100 1 -\n");
  ShellApp& app = session->App();
  ProjectRec* debugged = app.Project();
  ASSERT_NE(debugged, nullptr);
  app.AddRecentProject(otherProject);
  ASSERT_EQ(app.m_recent.At(0), otherProject);

  struct Road {
    const char* name;
    std::function<void()> take;
  };
  const Road roads[] = {
      {"File > Open",
       [&] {
         f->m_chooseSourceFile = [&](const std::string&, const std::vector<std::string>&, int*) {
           return otherProject;
         };
         f->ExecuteCommand(cmd::kFileOpen);
       }},
      {"Project > Open",
       [&] {
         f->m_chooseProjectFile = [&](const std::string&) { return otherProject; };
         f->ExecuteCommand(cmd::kOpenProject);
       }},
      {"dropped on the window",
       [&] {
         QMimeData mime;
         mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(otherProject))});
         // As a drag brings it: entered first, then dropped.
         QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
         QCoreApplication::sendEvent(f, &enter);
         QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
         QCoreApplication::sendEvent(f, &drop);
       }},
      {"recent list", [&] { f->ExecuteCommand(cmd::kRecentFirst); }},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    const int beeps = session->runtime.Dialogs().BeepCount();
    road.take();
    EXPECT_EQ(session->runtime.Dialogs().BeepCount(), beeps + 1);
    EXPECT_EQ(app.Project(), debugged);
    EXPECT_EQ(app.Project() ? app.Project()->folder.str() : std::string(), dir);
    EXPECT_TRUE(f->Debugger()->Session().SessionActive());
    EXPECT_EQ(f->Editors().Find(otherProject), nullptr);
    EXPECT_EQ(FileText(other + "Blinky.Opt"), otherOpt);
  }

  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_FALSE(f->Debugger()->Session().SessionActive());
  ASSERT_EQ(app.Project(), debugged);
  app.SaveProject();
  const std::string debuggedOpt = FileText(dir + "Blinky.Opt");
  const std::size_t kept = debuggedOpt.find("  OPTBB 0,");
  ASSERT_NE(kept, std::string::npos) << debuggedOpt;
  EXPECT_NE(debuggedOpt.substr(kept, debuggedOpt.find('\n', kept) - kept).find("Blinky.c"), std::string::npos)
      << debuggedOpt;
  EXPECT_EQ(FileText(other + "Blinky.Opt"), otherOpt);
  EXPECT_EQ(FileText(otherProject), otherPm2);
  // After the session the same road opens it.
  f->m_chooseSourceFile = [&](const std::string&, const std::vector<std::string>&, int*) { return otherProject; };
  f->ExecuteCommand(cmd::kFileOpen);
  ASSERT_NE(app.Project(), nullptr);
  EXPECT_EQ(app.Project()->folder.str(), other);
}

class ProjectCommandsTest : public test::ExampleFrameTest {};

// Import, like New, Open and Close Project, is greyed while a build runs:
// chosen anyway (a key), it beeps and asks nothing. File > Open of a
// project is refused then too.
TEST_F(ProjectCommandsTest, ProjectCommandsAreGreyedWhileABuildRuns) {
  if (!HaveTools()) GTEST_SKIP() << "the ARM tools are not in the test root";
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  const CommandId commands[] = {cmd::kNewProject, cmd::kOpenProject, cmd::kCloseProject, cmd::kImportOld};
  for (CommandId id : commands) EXPECT_TRUE(f->QueryCommand(id).enabled) << id;
  ASSERT_TRUE(f->ExecuteCommand(cmd::kBuildTarget));
  // The build's end comes through the event loop: it is still running here.
  ASSERT_TRUE(s.App().HasState(kStateBusy));
  for (CommandId id : commands) EXPECT_FALSE(f->QueryCommand(id).enabled) << id;
  test::BoxAnswers no({QMessageBox::No});
  const int beeps = s.runtime.Dialogs().BeepCount();
  EXPECT_FALSE(f->ExecuteCommand(cmd::kImportOld));
  EXPECT_EQ(s.runtime.Dialogs().BeepCount(), beeps + 1);
  EXPECT_TRUE(no.texts.empty());
  // File > Open of a project is refused as the recent list refuses it: the
  // project the build uses stays open.
  ProjectRec* building = s.App().Project();
  f->m_chooseSourceFile = [&](const std::string&, const std::vector<std::string>&, int*) {
    return dir + "Blinky.pm2";
  };
  f->ExecuteCommand(cmd::kFileOpen);
  EXPECT_EQ(s.runtime.Dialogs().BeepCount(), beeps + 2);
  EXPECT_EQ(s.App().Project(), building);
  ASSERT_TRUE(WaitIdle(s.App()));
  for (CommandId id : commands) EXPECT_TRUE(f->QueryCommand(id).enabled) << id;
}

// A new project in a folder that is not there is refused each time, with
// the reason, before the open project closes; nothing is written. In the
// folder once it is made, the file takes the name as typed.
TEST_F(ProjectCommandsTest, NewProjectInAMissingFolderIsRefusedEveryTime) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectCommandsExt* commands = f->ProjectCommands();
  const std::string folder = dir + "y/";
  commands->m_chooseNewProjectName = [&] { return folder + "y.pm2"; };
  commands->m_runDialog = [](QDialog&) { return int(QDialog::Rejected); };  // no device chosen
  for (int attempt = 1; attempt <= 2; ++attempt) {
    SCOPED_TRACE(attempt);
    test::BoxAnswers ok({QMessageBox::Ok});
    f->ExecuteCommand(cmd::kNewProject);
    EXPECT_EQ(ok.texts, std::vector<std::string>{"Cannot create project '" + folder +
                                                 "y.pm2'\n\nThe folder '" + folder + "' does not exist."});
    ASSERT_NE(s.App().Project(), nullptr);
    EXPECT_EQ(s.App().Project()->name.str(), "Blinky");
    EXPECT_FALSE(fs::exists(folder));
  }
  fs::create_directories(folder);
  {
    test::BoxAnswers no({QMessageBox::No});
    f->ExecuteCommand(cmd::kNewProject);
  }
  ASSERT_NE(s.App().Project(), nullptr);
  EXPECT_EQ(s.App().Project()->name.str(), "y");
  EXPECT_EQ(ProjectFilesIn(folder), std::vector<std::string>{"y.pm2"});
  EXPECT_GT(fs::file_size(folder + "y.pm2"), 0u);
}

// Cancel on "Save changes?" while another workspace opens: the same
// documents stay open with their text (the change unsaved), none of the
// workspace's opens, and the workspace that was current stays current.
TEST_F(ProjectCommandsTest, CancelWhileAWorkspaceOpensKeepsTheDocuments) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->Workspace(), nullptr);
  SECWorkspaceManagerEx& mgr = f->Workspace()->Manager();
  f->ExecuteCommand(35129);  // Close All: only what the test opens
  f->OpenFileAndShow(dir + "LED.c", 0, 0);
  ASSERT_TRUE(mgr.SaveWorkspace("Led")) << mgr.LastError();
  f->ExecuteCommand(35129);
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  EditorView* timer = OpenActive(f, dir + "Timer.h", 1);
  ASSERT_NE(timer, nullptr);
  ASSERT_TRUE(mgr.SaveWorkspace("Mine")) << mgr.LastError();
  QTest::keyClicks(timer, "/*kept*/");
  ASSERT_TRUE(timer->Document().IsModified());
  const std::string typed = timer->Document().Text().GetText();
  const std::string onDisk = FileText(dir + "Timer.h");

  test::ScriptedQuestions questions;
  questions.saveAnswer = DocumentQuestions::kCancel;
  f->SetDocumentQuestions(&questions);
  std::vector<std::string> recent;
  ASSERT_TRUE(mgr.ReadWorkspaceList(&recent));
  ASSERT_EQ(recent, (std::vector<std::string>{"Mine", "Led"}));
  f->ExecuteCommand(kIdWorkspaceRecentFirst + 1);
  f->SetDocumentQuestions(nullptr);

  EXPECT_EQ(questions.asked, std::vector<std::string>{"Save changes to 'Timer.h' ?"});
  std::vector<std::string> open;
  for (const EditorDocument* d : f->Editors().Documents().Documents()) open.push_back(d->FileName());
  std::sort(open.begin(), open.end());
  EXPECT_EQ(open, (std::vector<std::string>{"Blinky.c", "Timer.h"}));
  EditorDocument* kept = f->Editors().Find(dir + "Timer.h");
  ASSERT_NE(kept, nullptr);
  EXPECT_TRUE(kept->IsModified());
  EXPECT_EQ(kept->Text().GetText(), typed);
  EXPECT_EQ(FileText(dir + "Timer.h"), onDisk);
  EXPECT_EQ(mgr.CurrentName(), "Mine");
  ASSERT_TRUE(mgr.ReadWorkspaceList(&recent));
  EXPECT_EQ(recent, (std::vector<std::string>{"Mine", "Led"}));
  kept->Text().SetModified(0);  // the session's end asks nothing
}

}  // namespace project_roads_test
}  // namespace pm2
