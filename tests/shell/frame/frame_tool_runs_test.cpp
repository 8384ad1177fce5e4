// The programs the Tools, version-control and Flash menus start, as the
// user starts them: they run in the project's folder, whatever folder the
// program itself was started from (each one here prints the folder it runs
// in and lists the project file by its bare name); the version-control
// query offers what the last command kept.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "platform/read_file.h"
#include "platform/settings_store.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/app/shell_app.h"
#include "shell/frame/build_stop_wait.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/main_frame.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "shell/frame/tool_commands.h"
#include "shell/tools/ui/scc_query_dialog.h"
#include "shell/tools/user_tools.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/frames/status_bar.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

using test::WaitFor;

class ToolsFolderTest : public test::ExampleFrameTest {
 protected:
  // A popup of the menu bar holding the command, or null.
  static QMenu* PopupWith(CMainFrame* f, CommandId id) {
    for (QMenu* m : f->findChildren<QMenu*>())
      if (ActionOf(m, id)) return m;
    return nullptr;
  }
  // Gives the command the way the menu does, once the popup was rebuilt;
  // false when the item is not there.
  static bool RunFromPopup(CMainFrame* f, CommandId fixed, CommandId item) {
    QMenu* popup = PopupWith(f, fixed);
    if (!popup) return false;
    emit popup->aboutToShow();
    QAction* a = ActionOf(popup, item);
    if (!a || !a->isEnabled()) return false;
    a->trigger();
    return true;
  }
  // The build page once the script has said where it runs and the run
  // has ended (the menus start it once their popup is gone).
  static std::string AfterTheRun(ShellApp& app, CMainFrame* f) {
    EXPECT_TRUE(WaitFor([&] { return BuildText(f).find(" in /") != std::string::npos; }));
    EXPECT_TRUE(WaitIdle(app));
    return BuildText(f);
  }
  // The runs the user waits for that never end by themselves: a user tool
  // and a lint run, each a shell that sleeps (the lint program the script in
  // `tools`), and the question Exit asks while each runs.
  struct SleeperRun {
    const char* name;
    std::function<bool(CMainFrame*, ProjectRec*)> start;
    std::string asked;
  };
  static std::vector<SleeperRun> SleeperRuns(const std::string& tools) {
    const std::string sleeper = tools + "lint.sh";
    // One process, whose kill ends the run: a shell that forks its sleep
    // may do so after the test listed and killed what ran.
    std::ofstream(sleeper) << "#!/bin/sh\nexec sleep 1000\n";
    ::chmod(sleeper.c_str(), 0755);
    return {
        {"user tool", [](CMainFrame* f, ProjectRec*) { return RunFromPopup(f, 35095, 32930); },
         ToolStillRunningText("/bin/sh")},
        {"PC-Lint",
         [sleeper](CMainFrame* f, ProjectRec* p) {
           p->curTarget->OPTLE = PoolStrDupOrEmpty(sleeper.c_str(), kPoolProject);
           p->curTarget->OPTLC = PoolStrDupOrEmpty("std.lnt", kPoolProject);
           return f->ExecuteCommand(35105);
         },
         ToolStillRunningText("PC-Lint")},
    };
  }
  // The user tool of SleeperRuns.
  static void StoreSleeperTool(SettingsStore& settings) {
    settings.WriteProfileInt("ToolM", "Mfg0", 0x100);  // waited for, not independent
    settings.WriteProfileString("ToolM", "Mtx0", "Sleeper");
    settings.WriteProfileString("ToolM", "Mex0", "/bin/sh");
    settings.WriteProfileString("ToolM", "Mid0", "");
    settings.WriteProfileString("ToolM", "Mag0", "-c \"exec sleep 1000\"");
  }
};

TEST_F(ToolsFolderTest, EveryProgramTheMenusStartRunsInTheProjectFolder) {
  ASSERT_FALSE(fs::equivalent(fs::current_path(), dir)) << "the test must start elsewhere";
  const std::string tools = dir.substr(0, dir.size() - 1) + "_tools/";
  fs::create_directories(tools);
  const std::string script = tools + "where.sh";
  {
    std::ofstream out(script);
    // Lint's filter shows its banner line; the others show every line.
    out << "#!/bin/sh\necho \"PC-lint for C $1 in $(pwd)\"\nls Blinky.pm2 >/dev/null && echo \"PC-lint for C sees Blinky.pm2\"\n";
  }
  ::chmod(script.c_str(), 0755);
  { std::ofstream(tools + "where.SVCS") << "[SVCS]\r\n  DataBase=db\r\n  MenuItem=Where\r\n    Command=" << script
                                        << "\r\n    Arguments=scc\r\n"; }
  SettingsStore settings(dir + "settings.ini");
  settings.WriteProfileInt("ToolM", "Mfg0", 0x100);
  settings.WriteProfileString("ToolM", "Mtx0", "Where");
  settings.WriteProfileString("ToolM", "Mex0", script.c_str());
  settings.WriteProfileString("ToolM", "Mid0", "");  // no start folder of its own
  settings.WriteProfileString("ToolM", "Mag0", "tool");
  settings.WriteProfileString("Sccs", "SccsFile", (tools + "where.SVCS").c_str());
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  const std::string folder = fs::canonical(dir).string();
  const std::string seen = "PC-lint for C sees Blinky.pm2";

  struct Road {
    const char* name;
    std::function<bool()> start;
    const char* word;
  };
  const std::vector<Road> roads = {
      {"user tool", [&] { return RunFromPopup(f, 35095, 32930); }, "tool"},
      {"version-control command", [&] { return RunFromPopup(f, 35113, 32980); }, "scc"},
      {"PC-Lint",
       [&] {
         p->curTarget->OPTLE = PoolStrDupOrEmpty(script.c_str(), kPoolProject);
         p->curTarget->OPTLC = PoolStrDupOrEmpty("std.lnt", kPoolProject);
         return f->ExecuteCommand(35105);
       },
       nullptr},
      {"external flash tool",
       [&] {
         std::fill(std::begin(p->curTarget->pOpts->flash.FLASH1), std::end(p->curTarget->pOpts->flash.FLASH1), 0);
         p->curTarget->pOpts->flash.FLASH1[0] = 0x2;
         const std::string command = "\"" + script + "\" flash";
         p->curTarget->pOpts->flash.FLASH3 = PoolStrDupOrEmpty(command.c_str(), kPoolProject);
         return f->ExecuteCommand(35404);
       },
       "flash"},
  };
  for (const Road& r : roads) {
    SCOPED_TRACE(r.name);
    f->Output()->BuildPane()->Clear();
    ASSERT_TRUE(r.start());
    const std::string out = AfterTheRun(s.App(), f);
    EXPECT_NE(out.find(" in " + folder + "\n"), std::string::npos) << out;
    if (r.word) {
      EXPECT_NE(out.find(std::string("PC-lint for C ") + r.word + " in "), std::string::npos) << out;
    }
    EXPECT_NE(out.find(seen), std::string::npos) << out;
  }
  fs::remove_all(tools);
}

// Each run of a version-control command that asks for a comment: the
// query comes up with the texts the last command kept; Cancel keeps none.
TEST_F(ToolsFolderTest, ACancelledVersionControlQueryKeepsNoTexts) {
  const std::string svcs = dir + "ask.SVCS";
  { std::ofstream(svcs) << "[SVCS]\r\n  MenuItem=Check In\r\n    Command=/bin/true\r\n    QueryComment=1\r\n"; }
  SettingsStore settings(dir + "settings.ini");
  settings.WriteProfileString("Sccs", "SccsFile", svcs.c_str());
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  // Runs the command, answering its query: the comment it offered.
  auto run = [&](bool ok, const char* typed) {
    std::string offered = "<no query>";
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* dlg = qobject_cast<SccQueryDialog*>(QApplication::activeModalWidget());
      if (!dlg) return;
      offered = dlg->CommentEdit()->text().toStdString();
      dlg->CommentEdit()->setText(typed);
      ok ? dlg->accept() : dlg->reject();
    });
    answer.start(10);
    EXPECT_TRUE(RunFromPopup(f, 35113, 32980));
    EXPECT_TRUE(WaitFor([&] { return offered != "<no query>"; }));
    answer.stop();
    EXPECT_TRUE(WaitIdle(s.App()));
    return offered;
  };
  EXPECT_EQ(run(true, "first"), "");
  EXPECT_EQ(run(false, "typed, then cancelled"), "first");
  EXPECT_EQ(run(false, ""), "");
}

// A user tool whose command is a bare name on PATH runs, as the same
// command typed on a command line would.
TEST_F(ToolsFolderTest, AToolNamedWithoutItsFolderIsFoundOnPath) {
  SettingsStore settings(dir + "settings.ini");
  settings.WriteProfileInt("ToolM", "Mfg0", 0x100);
  settings.WriteProfileString("ToolM", "Mtx0", "Shell");
  settings.WriteProfileString("ToolM", "Mex0", "sh");
  settings.WriteProfileString("ToolM", "Mid0", "");
  settings.WriteProfileString("ToolM", "Mag0", "-c \"echo sh ran in $(pwd)\"");
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(RunFromPopup(f, 35095, 32930));
  const std::string out = AfterTheRun(s.App(), f);
  EXPECT_NE(out.find("sh ran in " + fs::canonical(dir).string() + "\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("can't execute"), std::string::npos) << out;
}

// A user tool and the PC-Lint program are looked up alike, as a shell
// does: a name without a folder on PATH only, never in the project's
// folder, whose program of the same name (here one that leaves a marker)
// stands in for nothing; the project's own program runs when the user
// names it with its folder. The lint run's output names the program it
// runs; a program found nowhere is refused with the reason.
TEST_F(ToolsFolderTest, ToolsAndLintNamedWithoutAFolderComeFromPathOnly) {
  const std::string tools = dir.substr(0, dir.size() - 1) + "_onpath/";
  fs::create_directories(tools);
  const auto script = [](const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
  };
  script(tools + "pm2where", "echo \"PC-lint for C: path's ran in $(pwd)\"\n");
  const std::string marker = dir + "marker";
  const char* const oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  ::setenv("PATH", (tools.substr(0, tools.size() - 1) + ":" + savedPath).c_str(), 1);
  SettingsStore settings(dir + "settings.ini");
  settings.WriteProfileInt("ToolM", "Mfg0", 0x100);
  settings.WriteProfileString("ToolM", "Mtx0", "Where");
  settings.WriteProfileString("ToolM", "Mid0", "");
  settings.WriteProfileString("ToolM", "Mag0", "");
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  p->curTarget->OPTLC = PoolStrDupOrEmpty("std.lnt", kPoolProject);
  const std::string canonical = fs::canonical(dir).string();
  struct Row {
    const char* name;
    const char* program;                 // as the tool or the lint options name it
    std::function<void()> besideIt;      // what the project's folder holds
    std::vector<std::string> said;       // parts of the build page
    bool marked;                         // the project's program ran
  } rows[] = {
      {"nothing of the name in the project", "pm2where", [&] { fs::remove(dir + "pm2where"); },
       {"path's ran in " + canonical + "\n"}, false},
      {"a plain file of the name", "pm2where", [&] { std::ofstream(dir + "pm2where") << "notes\n"; },
       {"path's ran in " + canonical + "\n"}, false},
      {"a program of the name", "pm2where",
       [&] { script(dir + "pm2where", "touch " + marker + "\necho \"PC-lint for C: project's ran in $(pwd)\"\n"); },
       {"path's ran in " + canonical + "\n"}, false},
      {"the project's program named with its folder", "./pm2where", [] {},
       {"project's ran in " + canonical + "\n"}, true},
      {"a program of the project only", "pm2own",
       [&] { script(dir + "pm2own", "touch " + marker + "\necho \"PC-lint for C: project's ran in $(pwd)\"\n"); },
       {"'pm2own' is in none of the folders of PATH (",
        "programs are not looked up in the working folder '", "name it with its folder ('./pm2own')"},
       false},
  };
  for (const Row& r : rows) {
    r.besideIt();
    settings.WriteProfileString("ToolM", "Mex0", r.program);
    f->Tools()->Tools().Load(settings);  // as the customise dialog's OK does
    p->curTarget->OPTLE = PoolStrDupOrEmpty(r.program, kPoolProject);
    for (const bool lint : {false, true}) {
      SCOPED_TRACE(std::string(r.name) + (lint ? ", PC-Lint" : ", user tool"));
      fs::remove(marker);
      f->Output()->BuildPane()->Clear();
      ASSERT_TRUE(lint ? f->ExecuteCommand(35105) : RunFromPopup(f, 35095, 32930));
      EXPECT_TRUE(WaitFor([&] {
        const std::string text = BuildText(f);
        return text.find(" ran in /") != std::string::npos || text.find("--- Error") != std::string::npos;
      }));
      EXPECT_TRUE(WaitIdle(s.App()));
      const std::string out = BuildText(f);
      for (const std::string& part : r.said) EXPECT_NE(out.find(part), std::string::npos) << out;
      EXPECT_EQ(fs::exists(marker), r.marked) << out;
      if (lint) {
        // The output names the file it runs: PATH's, or the project's as named.
        const std::string runs = r.marked ? dir + "pm2where" : r.said[0].find("path's") == 0 ? tools + "pm2where"
                                                                                                 : "pm2own";
        EXPECT_NE(out.find("Running PC-Lint '" + runs + "'...\n"), std::string::npos) << out;
      }
    }
  }
  ::setenv("PATH", savedPath.c_str(), 1);
  fs::remove_all(tools);
}

// The processes that run in the folder (a tool runs in the project's).
std::vector<int> ProcessesIn(const std::string& folder) {
  std::vector<int> found;
  const fs::path wanted = fs::canonical(folder);
  for (const auto& e : fs::directory_iterator("/proc")) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code ec;
    const fs::path cwd = fs::read_symlink(e.path() / "cwd", ec);
    if (!ec && cwd == wanted) found.push_back(std::stoi(name));
  }
  return found;
}

// File > Exit while a program the user waits for runs (one that never ends
// by itself: a user tool, a lint run): the close asks whether to end it.
// No keeps the window and the program; Yes closes the window and ends the
// program, so that nothing of the IDE is left waiting for it.
// Exit during a build or a one-file translation: the close stops it and
// waits for its end before the project's memory is freed (the build's
// thread read the freed project when Exit closed it at once).
TEST_F(ToolsFolderTest, ExitDuringABuildWaitsForItsEndBeforeClosingTheProject) {
  if (!HaveTools()) GTEST_SKIP() << "the ARM tools are not in the test root";
  for (const CommandId command : {cmd::kBuildTarget, cmd::kTranslate}) {
    SCOPED_TRACE(command);
    ResetAppState();
    PoolFreeAll();
    fs::remove_all(dir + "Obj");
    SettingsStore settings(dir + "settings.ini");
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    ASSERT_NE(OpenActive(f, dir + "Blinky.c", 1), nullptr);
    ASSERT_TRUE(f->ExecuteCommand(command));
    ASSERT_TRUE(s.App().HasState(kStateBusy));
    test::BoxAnswers boxes({QMessageBox::No});
    f->ExecuteCommand(cmd::kAppExit);
    ASSERT_TRUE(WaitFor([&] { return !f->isVisible(); }));
    EXPECT_FALSE(s.App().HasState(kStateBusy));
    EXPECT_EQ(s.App().Project(), nullptr);
  }
}

// A 51-family project whose linker (the stand-in of the tests' root) is
// held in a meeting until the test lets it go: the library it links holds
// the directive, so the compiler runs through.
constexpr const char* kLinkHeldProject =
    "### Pelmora2 Project, (C) Vond Software\r\n### Do not modify !\r\n\r\n"
    "Target (Board), 0x0000 // Tools: 'MCS-51'\r\n\r\nGroup (Source)\r\n\r\n"
    "File 1,1,<./Main.c><Main.c> 0x0 \r\nFile 1,4,<./Held.LIB><Held.LIB> 0x0 \r\n\r\n\r\n"
    "Options 1,0,0  // Target 'Board'\r\n OutDir (./Obj/)\r\n OutName (Board)\r\nEndOpt\r\n";

// Exit while the build links: a link is not stopped, so the program closes
// when it has ended, and until then the window stays in the user's hands.
// The close waited for the link blind to every key and click, and a linker
// that never ended held the program for good.
TEST_F(ToolsFolderTest, ExitWhileTheBuildLinksClosesWhenTheLinkHasEnded) {
  const std::string meet = dir + "link.meet";
  std::ofstream(dir + "Main.c", std::ios::binary) << "void main(void) {}\n";
  std::ofstream(dir + "Held.LIB", std::ios::binary) << "!standin meet " << meet << " 2 600\n";
  std::ofstream(dir + "Board.pm2", std::ios::binary) << kLinkHeldProject;
  SettingsStore settings(dir + "settings.ini");
  test::Session s(settings, dir + "Board.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(s.App().Project(), nullptr);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kBuildTarget));
  ASSERT_TRUE(WaitFor([&] { return test::ReadFile(meet).find("start ") != std::string::npos; })) << BuildText(f);
  ASSERT_TRUE(s.App().HasState(kStateBusy));

  f->ExecuteCommand(cmd::kAppExit);
  ASSERT_TRUE(WaitFor([&] { return f->Status()->GetWindowText().find("closes when the link has ended") != std::string::npos; }))
      << f->Status()->GetWindowText();
  // Put off, not waited for: the window, its project and the build stay,
  // and the window takes the user's commands.
  EXPECT_FALSE(BuildStopWait::Waiting());
  EXPECT_TRUE(f->isVisible());
  EXPECT_NE(s.App().Project(), nullptr);
  EXPECT_TRUE(s.App().HasState(kStateBusy));
  EXPECT_TRUE(f->ExecuteCommand(cmd::kViewFileBar));
  EXPECT_TRUE(f->ExecuteCommand(cmd::kViewFileBar));

  // The link ends: the program closes as the user asked, the project with it.
  std::ofstream(meet, std::ios::binary | std::ios::app) << "start the test 1\n";
  ASSERT_TRUE(WaitFor([&] { return !f->isVisible(); })) << BuildText(f);
  EXPECT_FALSE(s.App().HasState(kStateBusy));
  EXPECT_EQ(s.App().Project(), nullptr);
  // The link ran to its end: its output is there.
  EXPECT_TRUE(std::filesystem::exists(dir + "Obj/Board"));
}

TEST_F(ToolsFolderTest, ExitWhileAToolRunsAsksAndEndsIt) {
  ASSERT_FALSE(fs::equivalent(fs::current_path(), dir)) << "the test must start elsewhere";
  const std::string tools = dir.substr(0, dir.size() - 1) + "_sleeper/";
  fs::create_directories(tools);
  for (const SleeperRun& r : SleeperRuns(tools)) {
    SCOPED_TRACE(r.name);
    ResetAppState();
    PoolFreeAll();
    SettingsStore settings(dir + "settings.ini");
    StoreSleeperTool(settings);
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    ASSERT_NE(s.App().Project(), nullptr);
    ASSERT_TRUE(r.start(f, s.App().Project()));
    ASSERT_TRUE(WaitFor([&] { return !ProcessesIn(dir).empty(); }));
    ASSERT_TRUE(s.App().HasState(kStateBusy));
    {
      test::BoxAnswers boxes({QMessageBox::No});
      f->ExecuteCommand(cmd::kAppExit);
      ASSERT_TRUE(WaitFor([&] { return !boxes.texts.empty(); }));
      EXPECT_EQ(boxes.texts[0], r.asked);
    }
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(ProcessesIn(dir).empty()) << "ended although the user said No";
    EXPECT_NE(s.App().Project(), nullptr);
    {
      test::BoxAnswers boxes({QMessageBox::Yes});
      f->ExecuteCommand(cmd::kAppExit);
      ASSERT_TRUE(WaitFor([&] { return !f->isVisible(); }));
      EXPECT_EQ(boxes.texts.size(), 1u);
    }
    // The close waited for the run's thread, which ended with its program;
    // the program's own children (sh forks the sleep) were killed with it
    // and are gone once the kernel has ended them (a moment, under load).
    EXPECT_TRUE(WaitFor([&] { return ProcessesIn(dir).empty(); })) << ::testing::PrintToString(ProcessesIn(dir));
    EXPECT_FALSE(s.App().HasState(kStateBusy));
    EXPECT_EQ(s.App().Project(), nullptr);
    for (int pid : ProcessesIn(dir)) ::kill(pid, SIGKILL);
  }
  fs::remove_all(tools);
}

// Stop Build stops a build only: while a user tool or a lint run the user
// waits for runs, it is greyed, and a press on it does nothing. It waited,
// blind to the user's input, for the run's end (for ever, for a run that
// never ends by itself), then cleared the busy state of the run that was
// still there.
TEST_F(ToolsFolderTest, StopBuildIsGreyedWhileAToolRuns) {
  ASSERT_FALSE(fs::equivalent(fs::current_path(), dir)) << "the test must start elsewhere";
  const std::string tools = dir.substr(0, dir.size() - 1) + "_sleeper/";
  fs::create_directories(tools);
  for (const SleeperRun& r : SleeperRuns(tools)) {
    SCOPED_TRACE(r.name);
    ResetAppState();
    PoolFreeAll();
    SettingsStore settings(dir + "settings.ini");
    StoreSleeperTool(settings);
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    ASSERT_NE(s.App().Project(), nullptr);
    ASSERT_TRUE(r.start(f, s.App().Project()));
    ASSERT_TRUE(WaitFor([&] { return !ProcessesIn(dir).empty(); }));
    ASSERT_TRUE(s.App().HasState(kStateBusy));
    EXPECT_FALSE(f->QueryCommand(cmd::kStopBuild).enabled);
    // The run ends at the event loop's next turn: a press that waits for it
    // comes back then, and the test sees that it waited.
    QObject turn;
    QTimer::singleShot(0, &turn, [&] {
      for (int pid : ProcessesIn(dir)) ::kill(pid, SIGKILL);
    });
    EXPECT_FALSE(f->ExecuteCommand(cmd::kStopBuild));
    EXPECT_FALSE(ProcessesIn(dir).empty()) << "the press waited for the run's end";
    EXPECT_TRUE(s.App().HasState(kStateBusy)) << "the run is still there";
    EXPECT_TRUE(WaitIdle(s.App()));
    EXPECT_TRUE(WaitFor([&] { return ProcessesIn(dir).empty(); })) << ::testing::PrintToString(ProcessesIn(dir));
  }
  fs::remove_all(tools);
}

}  // namespace
}  // namespace pm2
