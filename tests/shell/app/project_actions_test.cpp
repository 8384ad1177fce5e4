// Opening, saving and closing the project through the application object.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../example_project.h"
#include "platform/fault_disk.h"
#include "project/files/file_watcher.h"
#include "project/model/project_records.h"
#include "shell_fakes.h"

namespace pm2 {
namespace {

class ProjectActionsTest : public ShellAppTest {
 protected:
  void SetUp() override {
    ShellAppTest::SetUp();
    std::string pm2, opt;
    ExampleProjectTexts(&pm2, &opt);
    std::ofstream(dir / "Blinky.pm2", std::ios::binary) << pm2;
    std::ofstream(dir / "Blinky.Opt", std::ios::binary) << opt;
    path = dir / "Blinky.pm2";
  }
  std::string ReadFile(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string path;
};

TEST_F(ProjectActionsTest, OpenMakesTheProjectCurrentAndRemembersIt) {
  app->OpenProject(path);
  ASSERT_NE(app->Project(), nullptr);
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(app->m_recent.At(0), path);
  EXPECT_EQ(app->m_szWatchedProject, path);
  EXPECT_EQ(app->m_szBrowseFile, dir.path() + "/Obj/Blinky");
  EXPECT_EQ(app->m_szBuildLogName, dir.path() + "/Obj/Blinky.plg");
  EXPECT_TRUE(frame.Called("RefreshProjectTree"));
  EXPECT_EQ(frame.calls.back(), "UpdateTitle");
  // The log is closed first and the new one opened last.
  EXPECT_EQ(build.calls.front(), "Log 0");
  EXPECT_EQ(build.calls.back(), "Log 1 " + app->m_szBuildLogName);
}

TEST_F(ProjectActionsTest, BatchStartKeepsTheProjectOffTheRecentList) {
  app->SetState(kStateBuildOnStart);
  app->OpenProject(path);
  ASSERT_NE(app->Project(), nullptr);
  EXPECT_EQ(app->m_recent.Count(), 0);
}

TEST_F(ProjectActionsTest, FailedOpenNamesTheFileAndLeavesTheRecentList) {
  std::string missing = dir / "Gone.pm2";
  app->m_recent.Add(missing);
  app->OpenProject(missing);
  EXPECT_EQ(app->Project(), nullptr);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text.rfind("Cannot open project file '" + missing + "'", 0), 0u);
  EXPECT_EQ(dialogs.beeps, 1);
  EXPECT_EQ(app->m_recent.Count(), 0);
}

TEST_F(ProjectActionsTest, UnknownTargetIsReportedAndTheProjectStaysOpen) {
  app->m_szTargetArg = "Nope";
  app->OpenProject(path);
  ASSERT_NE(app->Project(), nullptr);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "-t \"Nope\"  ---  Target not defined in Project '" + path + "'");
  EXPECT_TRUE(app->m_szTargetArg.empty());
}

TEST_F(ProjectActionsTest, OutputFileServesTheFirstProjectOnly) {
  app->m_szOutputArg = dir / "build.txt";
  int pane = 0;
  app->m_windows.Set(WindowSlot::OutputPane, &pane);
  app->OpenProject(path);
  ASSERT_NE(app->m_pOutputFile, nullptr);
  app->OutputText("first\n");
  EXPECT_TRUE(app->CloseProject());
  EXPECT_EQ(app->m_pOutputFile, nullptr);
  EXPECT_TRUE(app->m_szOutputArg.empty());
  app->OpenProject(path);
  EXPECT_EQ(app->m_pOutputFile, nullptr);
  EXPECT_EQ(ReadFile(dir / "build.txt"), "first\n");
}

TEST_F(ProjectActionsTest, OutputFileThatCannotBeCreatedIsReported) {
  app->m_szOutputArg = dir / "no/such/folder/build.txt";
  app->OpenProject(path);
  ASSERT_NE(app->Project(), nullptr);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "-o \"" + app->m_szOutputArg + "\"  ---  Can't create output file");
}

TEST_F(ProjectActionsTest, ReloadAfterAnExternalChangeDoesNotSelectTheTargetAgain) {
  app->OpenProject(path);
  app->m_szTargetArg = "Nope";  // as if -t were still pending
  dialogs.answers = {kIdYes};
  app->OnDebugNotify(kNotifyProjectFileChanged, 0);
  ASSERT_NE(app->Project(), nullptr);
  ASSERT_EQ(dialogs.boxes.size(), 1u);  // only the reload question
  EXPECT_EQ(app->m_szTargetArg, "Nope");
}

TEST_F(ProjectActionsTest, CloseWritesTheProjectAndForgetsIt) {
  app->OpenProject(path);
  app->Project()->firstTarget->name = OptString::Pooled("Renamed", kPoolProject);
  EXPECT_TRUE(app->CloseProject());
  EXPECT_EQ(app->Project(), nullptr);
  EXPECT_NE(ReadFile(path).find("Renamed"), std::string::npos);
  EXPECT_TRUE(dialogs.boxes.empty());
}

// Writes go to a disk that fails the first file it is asked to create.
class FailingWrite : public ProjectActionsTest {
 protected:
  void SetUp() override {
    ProjectActionsTest::SetUp();
    deps.disk = &disk;
    app.reset();
    app = std::make_unique<ShellApp>(deps);
    app->OpenProject(path);
    ASSERT_NE(app->Project(), nullptr);
    disk.FailAt(FaultDisk::kCreate, 1);
  }
  FaultDisk disk;
};

TEST_F(FailingWrite, InteractiveCloseCanKeepTheProject) {
  dialogs.answers = {kIdCancel};
  EXPECT_FALSE(app->CloseProject(true));
  EXPECT_NE(app->Project(), nullptr);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text.rfind("Can't write project file '" + path + "' !", 0), 0u);
  EXPECT_EQ(dialogs.boxes[0].kind & 0xF, kMbYesNoCancel);
  EXPECT_EQ(app->m_recent.At(0), path);
}

TEST_F(FailingWrite, InteractiveCloseSavesUnderAnotherName) {
  dialogs.answers = {kIdYes};
  dialogs.savePath = dir / "Copy.pm2";
  EXPECT_TRUE(app->CloseProject(true));
  EXPECT_EQ(app->Project(), nullptr);
  EXPECT_EQ(dialogs.saveTitles, std::vector<std::string>{"Save Project"});
  EXPECT_NE(disk.Get(dir / "Copy.Pm2").find("LPC2138"), std::string::npos);
}

TEST_F(FailingWrite, InteractiveCloseWithoutSavingDropsTheProject) {
  dialogs.answers = {kIdNo};
  EXPECT_TRUE(app->CloseProject(true));
  EXPECT_EQ(app->Project(), nullptr);
  EXPECT_EQ(app->m_recent.Count(), 0);
}

// Every refusal names the file and says why the disk refused it.
TEST_F(FailingWrite, BatchCloseReportsAndDrops) {
  EXPECT_TRUE(app->CloseProject(false));
  EXPECT_EQ(app->Project(), nullptr);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text,
            "Can't write project file '" + path + "' !\n\nCannot write '" + path + "': Input/output error");
  EXPECT_EQ(app->m_recent.Count(), 0);
}

TEST_F(FailingWrite, SaveSaysWhyAndKeepsTheProject) {
  app->SaveProject();
  EXPECT_NE(app->Project(), nullptr);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text,
            "Can't write project file '" + path + "' !\n\nCannot write '" + path + "': Input/output error");
}

TEST_F(FailingWrite, InteractiveCloseSaysWhyBeforeOfferingAnotherName) {
  dialogs.answers = {kIdCancel};
  EXPECT_FALSE(app->CloseProject(true));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].text.find("' !\n\nCannot write '" + path + "': Input/output error\n\nSave the project"),
            std::string::npos)
      << dialogs.boxes[0].text;
}

// A build started from the command line asks nothing: an options file that
// is a link is not written, and the close says why, naming the link and
// its target; the file the link names keeps every byte.
TEST_F(ProjectActionsTest, BatchCloseRefusesToWriteThroughALinkAndSaysWhy) {
  const std::string victim = dir / "elsewhere.Opt";
  const std::string link = dir / "Blinky.Opt";
  std::ofstream(victim, std::ios::binary) << ReadFile(link);
  const std::string before = ReadFile(victim);
  ::unlink(link.c_str());
  ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
  app->SetState(kStateBatchBuild);
  app->OpenProject(path);
  ASSERT_NE(app->Project(), nullptr);
  app->Project()->filters[kFilterC] = OptString::Pooled("*.c; *.cc", kPoolProject);
  EXPECT_TRUE(app->CloseProject(false));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Can't write project file '" + path + "' !\n\n'" + link + "' is a link to '" +
                                       victim +
                                       "': the project's files are saved in the project's folder only, so it was not "
                                       "written");
  EXPECT_EQ(ReadFile(victim), before);
  EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere_Opt.Bak"));
}

TEST_F(ProjectActionsTest, ReadOnlyProjectIsNotWrittenBySave) {
  app->OpenProject(path);
  std::string before = ReadFile(path);
  ::chmod(path.c_str(), 0444);
  app->Project()->firstTarget->name = OptString::Pooled("Changed", kPoolProject);
  app->SaveProject();
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_TRUE(app->Project()->flags & kProjectReadOnly);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(ProjectActionsTest, ProjectFileWhileADocumentOpensIsRefused) {
  app->OpenProject(path);
  ProjectRec* before = app->Project();
  app->SetState(kStateOpeningDocument);
  EXPECT_EQ(app->OpenDocumentFile(path), nullptr);
  EXPECT_EQ(dialogs.beeps, 1);
  EXPECT_EQ(app->Project(), before);
}

TEST_F(ProjectActionsTest, OtherFilesOpenAsDocuments) {
  app->OpenProject(path);
  EXPECT_EQ(app->OpenDocumentFile(dir / "Blinky.c"), &frame);
  EXPECT_TRUE(frame.Called("OpenDocument " + dir.path() + "/Blinky.c"));
}

TEST_F(ProjectActionsTest, CodeGeneratorFileOpensItsProjectFile) {
  std::string found;
  EXPECT_TRUE(ShellApp::FindImportedProject(dir / "Blinky.DPT", &found));
  EXPECT_EQ(app->OpenDocumentFile(dir / "Blinky.dpt"), kProjectOpenedMarker);
  ASSERT_NE(app->Project(), nullptr);
  EXPECT_FALSE(ShellApp::FindImportedProject(dir / "Other.dpt", &found));
  EXPECT_FALSE(ShellApp::FindImportedProject("a.dp", &found));
}

TEST_F(ProjectActionsTest, ACodeGeneratorFileThatDoesNotConvertLeavesTheOpenProject) {
  app->OpenProject(path);
  ProjectRec* before = app->Project();
  ASSERT_NE(before, nullptr);
  std::ofstream(dir / "Broken.dpt") << "no project here\r\n";
  EXPECT_EQ(app->OpenDocumentFile(dir / "Broken.dpt"), kProjectOpenedMarker);
  EXPECT_EQ(app->Project(), before);
  EXPECT_FALSE(dialogs.boxes.empty());  // the importer said why
}

// The migration question's box runs timers and activations while it is
// open; a check that comes meanwhile must not ask a second time.
TEST_F(ProjectActionsTest, ChangedCodeGeneratorFileIsAskedAboutOnce) {
  app->OpenProject(path);
  ProjectRec* p = app->Project();
  ASSERT_NE(p, nullptr);
  p->codeGenTime[0] = 1;  // imported once, from an older file
  std::ofstream(dir / "Blinky.dpt") << "[General]\r\n";
  dialogs.answers = {kIdNo};
  int nested = 0;
  dialogs.whileOpen = [&] {
    if (nested++ == 0) app->ReloadProjectAfterTool();
  };
  EXPECT_EQ(app->ReloadProjectAfterTool(), 0);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].text.find("has changed"), std::string::npos) << dialogs.boxes[0].text;
  // Once answered, a later check asks again.
  dialogs.whileOpen = nullptr;
  dialogs.answers = {kIdNo};
  app->ReloadProjectAfterTool();
  EXPECT_EQ(dialogs.boxes.size(), 2u);
}

TEST_F(ProjectActionsTest, TargetByNameSkipsHiddenTargetsAndCountsCase) {
  app->OpenProject(path);
  ProjectRec* p = app->Project();
  EXPECT_FALSE(ShellApp::SelectTargetByName(p, "lpc2138"));
  EXPECT_TRUE(ShellApp::SelectTargetByName(p, "LPC2138"));
  p->firstTarget->flags |= kTargetDeleted;
  EXPECT_FALSE(ShellApp::SelectTargetByName(p, "LPC2138"));
}

// The watch of the project file starts a while after the open, so that the
// window comes up first; nothing another program did meanwhile is lost.
class DeferredWatch : public ProjectActionsTest {
 protected:
  void SetUp() override {
    ProjectActionsTest::SetUp();
    app.reset();
    deps.watcher = &watch;
    app = std::make_unique<ShellApp>(deps);
  }
  void TearDown() override {
    app.reset();
    watch.Stop();
    ProjectActionsTest::TearDown();
  }
  // Moves the file's write time on, as another program's save would.
  void TouchLater(const std::string& p) {
    struct stat st;
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_sec += 5;
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
  }
  FileWatch watch{hub};
};

TEST_F(DeferredWatch, StartsOnceTheDelayHasPassed) {
  app->OpenProject(path);
  ASSERT_NE(app->Project(), nullptr);
  EXPECT_FALSE(watch.Active());
  EXPECT_TRUE(app->ProjectWatchPending());
  timer.Advance(ShellApp::kProjectWatchDelayMs - 1);
  EXPECT_FALSE(watch.Active());
  timer.Advance(1);
  EXPECT_TRUE(watch.Active());
  EXPECT_FALSE(app->ProjectWatchPending());
  EXPECT_EQ(timer.Running(), 0);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(DeferredWatch, ChangeBeforeTheStartIsOfferedForReload) {
  app->OpenProject(path);
  TouchLater(path);
  dialogs.answers = {kIdNo};
  timer.Advance(ShellApp::kProjectWatchDelayMs);
  EXPECT_TRUE(watch.Active());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Project File '" + path + "'\n\nhas been modified externally, Reload ?");
}

TEST_F(DeferredWatch, CloseOrSaveBeforeTheStartLeaveNoStaleStart) {
  struct Row {
    const char* name;
    bool save;  // else close
    bool activeAfter;
  } rows[] = {{"close", false, false}, {"save", true, true}};
  for (const Row& r : rows) {
    app->OpenProject(path);
    if (r.save) app->SaveProject();
    else app->CloseProject();
    EXPECT_FALSE(app->ProjectWatchPending()) << r.name;
    // A save watches the file as written at once; a close watches nothing.
    EXPECT_EQ(watch.Active(), r.activeAfter) << r.name;
    timer.Advance(ShellApp::kProjectWatchDelayMs);
    EXPECT_EQ(watch.Active(), r.activeAfter) << r.name;
    EXPECT_TRUE(dialogs.boxes.empty()) << r.name;
    app->CloseProject();
  }
}

}  // namespace
}  // namespace pm2
