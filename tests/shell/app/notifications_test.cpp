// The IDE notification codes and the deferred commands.
#include <unistd.h>

#include <filesystem>

#include "builder/runner/progress_channel.h"
#include "project/model/project_records.h"
#include "shell_fakes.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

class NotifyTest : public ShellAppTest {
 protected:
  intptr_t Notify(int code, intptr_t arg = 0) { return app->OnDebugNotify(code, arg); }
  static intptr_t Arg(const char* text) { return reinterpret_cast<intptr_t>(text); }
};

TEST_F(NotifyTest, BuildEndAfterABatchStartClosesTheProgram) {
  app->SetState(kStateBusy | kStateBuildOnStart);
  EXPECT_EQ(Notify(kNotifyBuildFinished, 1), 1);
  EXPECT_FALSE(app->HasState(kStateBusy));
  EXPECT_EQ(ipc.buildEnds, 1);
  EXPECT_TRUE(frame.Called("CloseMainWindow"));
  EXPECT_TRUE(frame.Called("EnableTargetBox"));
  EXPECT_TRUE(frame.Called("CloseBrowser"));  // the target was not built
}

struct ExitRow {
  const char* name;
  bool ended;
  intptr_t notBuilt;
  int errors;
  int status;
};

class BatchExit : public NotifyTest, public ::testing::WithParamInterface<ExitRow> {};

TEST_P(BatchExit, StatusFollowsTheLastBuild) {
  build.errors = GetParam().errors;
  if (GetParam().ended) Notify(kNotifyBuildFinished, GetParam().notBuilt);
  EXPECT_EQ(app->BatchExitStatus(), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Rows, BatchExit,
                         ::testing::Values(ExitRow{"Built", true, 0, 0, 0},
                                           ExitRow{"NotBuilt", true, 1, 0, 1},
                                           ExitRow{"BuiltWithErrors", true, 0, 2, 1},
                                           ExitRow{"NoBuildEnded", false, 0, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

struct EndRow {
  const char* name;
  intptr_t notBuilt;
  int errors;
  bool stopped;
  int result;
  bool translation = false;
};

class BuildEndResult : public NotifyTest, public ::testing::WithParamInterface<EndRow> {};

// A peer that asked for the build learns whether it was stopped.
TEST_P(BuildEndResult, TellsStoppedBuiltOrNotBuilt) {
  build.errors = GetParam().errors;
  build.stopped = GetParam().stopped;
  build.translation = GetParam().translation;
  Notify(kNotifyBuildFinished, GetParam().notBuilt);
  EXPECT_EQ(app->BuildEndResult(), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Rows, BuildEndResult,
                         ::testing::Values(EndRow{"Built", 0, 0, false, 0},
                                           EndRow{"Errors", 1, 2, false, 1},
                                           EndRow{"Stopped", 1, 0, true, -1},
                                           EndRow{"NotBuiltWithoutErrors", 1, 0, false, 1},
                                           EndRow{"TranslatedWithoutErrors", 1, 0, false, 0, true},
                                           EndRow{"TranslatedWithErrors", 1, 1, false, 1, true},
                                           EndRow{"TranslationStopped", 1, 0, true, -1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct MarksRow {
  const char* name;
  bool changed;  // the build ran a tool or renewed an include list
  intptr_t notBuilt;
  bool refreshed;
};

class FileMarksAfterBuild : public NotifyTest, public ::testing::WithParamInterface<MarksRow> {};

// The project window is refilled after a build only when the build may have
// changed what it shows: a build with nothing to do leaves it (and the next
// build request does not wait for it).
TEST_P(FileMarksAfterBuild, RefreshedOnlyWhenTheBuildChangedSomething) {
  ProjectRec* p = NewProject(nullptr, (dir / "demo.pm2").c_str());
  theApp().m_pProject = p;
  int view = 0;
  app->m_windows.Set(WindowSlot::ProjectView, &view);
  build.changed = GetParam().changed;
  app->SetState(kStateBusy);
  Notify(kNotifyBuildFinished, GetParam().notBuilt);
  EXPECT_EQ(frame.Called("RefreshFileMarks"), GetParam().refreshed);
}

INSTANTIATE_TEST_SUITE_P(Rows, FileMarksAfterBuild,
                         ::testing::Values(MarksRow{"NothingToDo", false, 0, false},
                                           MarksRow{"FilesTranslated", true, 0, true},
                                           MarksRow{"NotBuilt", false, 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NotifyTest, BuildEndWithoutBatchStartKeepsTheProgramOpen) {
  app->SetState(kStateBusy);
  Notify(kNotifyBuildFinished, 0);
  EXPECT_FALSE(frame.Called("CloseMainWindow"));
  EXPECT_FALSE(frame.Called("CloseBrowser"));
}

TEST_F(NotifyTest, ProjectChangeDuringABuildIsAskedOnceWhenItEnds) {
  app->m_szWatchedProject = dir / "missing.pm2";
  app->SetState(kStateBusy);
  Notify(kNotifyProjectFileChanged, Arg(app->m_szWatchedProject.c_str()));
  Notify(kNotifyProjectFileChanged, Arg(app->m_szWatchedProject.c_str()));
  EXPECT_TRUE(dialogs.boxes.empty());
  dialogs.answers = {kIdNo};
  Notify(kNotifyBuildFinished, 0);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text,
            "Project File '" + app->m_szWatchedProject + "'\n\nhas been modified externally, Reload ?");
  EXPECT_EQ(dialogs.boxes[0].kind, kMbYesNo | kMbIconQuestion);
  Notify(kNotifyBuildFinished, 0);
  EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(NotifyTest, ProjectChangeDuringASessionIsDropped) {
  app->m_szWatchedProject = dir / "p.pm2";
  debug.session = true;
  app->SetState(kStateBusy);
  Notify(kNotifyProjectFileChanged);
  app->ClearState(kStateBusy);
  debug.session = false;
  Notify(kNotifyBuildFinished, 0);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(NotifyTest, BuildLineFromAWorkerShowsTheBuildPage) {
  int pane = 0;
  app->m_windows.Set(WindowSlot::OutputPane, &pane);
  Notify(kNotifyBuildOutputLine, Arg("compiling\n"));
  EXPECT_EQ(frame.calls.front(), "ShowOutputPage 0");
  EXPECT_EQ(frame.lines, std::vector<std::string>{"0:compiling\n"});
}

struct StatusRow {
  const char* name;
  const char* text;
  const char* shown;
};

class DriverStatus : public NotifyTest, public ::testing::WithParamInterface<StatusRow> {};

TEST_P(DriverStatus, KeepsAtMostThirtyCharacters) {
  Notify(kNotifyStatusText, Arg(GetParam().text));
  EXPECT_EQ(app->m_szDriverStatus, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DriverStatus,
    ::testing::Values(StatusRow{"Short", "Running", "Running"},
                      StatusRow{"Long", "0123456789012345678901234567890123", "012345678901234567890123456789"},
                      StatusRow{"Null", nullptr, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct RouteRow {
  const char* name;
  int code;
  intptr_t arg;
  bool session;
  const char* expected;  // the frame call, or "" for none
};

class RoutedCode : public NotifyTest, public ::testing::WithParamInterface<RouteRow> {};

TEST_P(RoutedCode, ReachesTheFrame) {
  const RouteRow& r = GetParam();
  debug.session = r.session;
  Notify(r.code, r.arg);
  if (*r.expected)
    EXPECT_TRUE(frame.Called(r.expected)) << ::testing::PrintToString(frame.calls);
  else
    EXPECT_TRUE(frame.calls.empty()) << ::testing::PrintToString(frame.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RoutedCode,
    ::testing::Values(RouteRow{"IpcBuild", kNotifyIpcBuildRequest, 0, false, "Route 32720"},
                      RouteRow{"IpcRebuild", kNotifyIpcBuildRequest, 1, false, "Route 32816"},
                      RouteRow{"StopBuild", kNotifyBeepStopBuild, 0, false, "Route 32721"},
                      RouteRow{"DebugAfterBuild", kNotifyDebugAfterBuild, 0, false, "OnDebugStartStop"},
                      RouteRow{"DebugAfterBuildInSession", kNotifyDebugAfterBuild, 0, true, ""},
                      RouteRow{"DriverStopsSession", kNotifyStopDebugSession, 0, true, "StopDebugger"},
                      RouteRow{"SerialByteWindow1", kNotifySerialOutput3, (1 << 24) | 'A', true, "Serial 1 1"},
                      RouteRow{"SerialByteBadWindow", kNotifySerialOutput3, (0xFF << 24) | 'A', true, ""},
                      RouteRow{"CodeBelowTwo", 1, 0, false, ""},
                      RouteRow{"CodeAboveNineteen", 20, 0, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NotifyTest, ServiceRecordGetsItsResultOnTheGuiThread) {
  ServiceRecord r;
  r.code = 13;  // the disassembly window question, answered by the debug windows
  Notify(kNotifyIdeServiceCall, reinterpret_cast<intptr_t>(&r));
  EXPECT_EQ(r.result, 77);
}

// A linker's progress records, as the tool runner takes them off its
// channel during a build, reach the status bar through the service call:
// the builder's record and the one the GUI thread reads are one type.
TEST_F(NotifyTest, LinkerProgressRecordsReachTheStatusBar) {
  std::string folder = test::TempFolder() + "/pm2-progress-XXXXXX";
  ASSERT_NE(::mkdtemp(folder.data()), nullptr);
  {
    ProgressChannel channel;
    ASSERT_TRUE(channel.Open(folder));
    ProgressRecord start;
    start.kind = kProgressStart;
    start.upper = 100;
    start.text = "Linking Blinky";
    ProgressRecord step = start;
    step.kind = kProgressPosition;
    step.position = 40;
    ASSERT_TRUE(SendProgressRecord(folder, start));
    ASSERT_TRUE(SendProgressRecord(folder, step));
    DirectHub gui([this](int code, intptr_t arg) { return Notify(code, arg); });
    EXPECT_EQ(channel.Drain(&gui), 2);
  }
  std::filesystem::remove_all(folder);
  EXPECT_TRUE(frame.Called("Progress 1 0 Linking Blinky"));
  EXPECT_TRUE(frame.Called("Progress 3 40 Linking Blinky"));
}

TEST_F(NotifyTest, UserToolEndClearsBusyAndRefreshes) {
  app->SetState(kStateBusy);
  Notify(kNotifyUserToolFinished);
  EXPECT_FALSE(app->HasState(kStateBusy));
  EXPECT_TRUE(frame.Called("IdleUpdate"));
}

// ---------------------------------------------------------------- deferred

TEST_F(NotifyTest, DeferredCommandRunsAfterItsIntervalNotBefore) {
  EXPECT_TRUE(app->PostDeferredCommand(kDeferStopDebugger));
  timer.Advance(149);
  EXPECT_FALSE(frame.Called("StopDebugger"));
  timer.Advance(1);
  EXPECT_TRUE(frame.Called("StopDebugger"));
  EXPECT_EQ(timer.Running(), 0);
  EXPECT_FALSE(app->Deferred().Pending());
}

TEST_F(NotifyTest, SecondRequestWhilePendingBeepsAndIsLost) {
  EXPECT_TRUE(app->PostDeferredCommand(kDeferStartDebugger));
  EXPECT_FALSE(app->PostDeferredCommand(kDeferStartDebugger));
  EXPECT_EQ(dialogs.beeps, 1);
  timer.Advance(500);
  int starts = 0;
  for (const auto& c : frame.calls) starts += c == "StartDebugger";
  EXPECT_EQ(starts, 1);
  // Once it ran, a new request is taken again.
  EXPECT_TRUE(app->PostDeferredCommand(kDeferStartDebugger));
}

TEST_F(NotifyTest, RunToCursorIsNotScheduledWhileTheTargetRuns) {
  debug.session = debug.executing = true;
  EXPECT_FALSE(app->PostDeferredCommand(kDeferRunToCursor));
  EXPECT_EQ(timer.Running(), 0);
  EXPECT_EQ(dialogs.beeps, 0);
}

TEST_F(NotifyTest, UnusedCodesWaitTheirIntervalAndDoNothing) {
  EXPECT_TRUE(app->PostDeferredCommand(kDeferUnused1));
  timer.Advance(49);
  EXPECT_TRUE(app->Deferred().Pending());
  timer.Advance(1);
  EXPECT_FALSE(app->Deferred().Pending());
  EXPECT_TRUE(frame.calls.empty());
}

TEST_F(NotifyTest, ForeignTimerIsLeftToTheFrame) {
  app->PostDeferredCommand(kDeferActivateFrame);
  EXPECT_FALSE(app->Deferred().OnTimer(12345));
  EXPECT_TRUE(app->Deferred().Pending());
}

TEST_F(NotifyTest, WatchRefreshOnlyWhileTheWatchWindowIsOpen) {
  app->PostDeferredCommand(kDeferRefreshWatch);
  timer.Advance(100);
  EXPECT_TRUE(frame.calls.empty());
}

}  // namespace
}  // namespace pm2
