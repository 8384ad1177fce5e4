// gdb-multiarch killed outright (SIGKILL) in a session of the example in
// the real main frame, while the target runs or stands: the session ends by itself
// and says why, nothing the user defined in it is lost (the breakpoints,
// a count and a command among them, and the watch rows, all kept with the
// project), and the next Ctrl+F5 starts a session that stands in main
// with them all again.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <QTest>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "debugger/ui/debug_bar_commands.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/watch_window.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/margin_view.h"
#include "gdb_frame_fixture.h"
#include "project/files/debug_lists.h"
#include "project/model/project_records.h"
#include "shell/frame/frame_fixture.h"

namespace pm2 {
namespace gdb_killed_frame_test {

// The test program's own children of a program name.
std::vector<pid_t> OwnChildren(const std::string& comm) {
  std::vector<pid_t> out;
  DIR* d = opendir("/proc");
  while (dirent* e = d ? readdir(d) : nullptr) {
    const pid_t pid = pid_t(std::atoi(e->d_name));
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::string(e->d_name) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    char state = 0;
    int ppid = 0;
    std::sscanf(line.c_str() + close + 2, "%c %d", &state, &ppid);
    if (ppid == getpid() && state != 'Z' && comm.compare(0, 15, line.substr(open + 1, close - open - 1)) == 0)
      out.push_back(pid);
  }
  if (d) closedir(d);
  return out;
}

// The user's breakpoints the project keeps, as "file-or-function:line count command".
std::vector<std::string> KeptBreakpoints(const TargetRec* t) {
  std::vector<std::string> out;
  for (const BreakpointRec* b = t->breakpoints; b; b = b->next)
    if (!(b->flags & kBreakFlag4))
      out.push_back(b->text1.str() + ":" + std::to_string(b->value1) + " " + std::to_string(b->value5) + " " +
                    b->inlineText.str());
  return out;
}

std::vector<std::string> KeptWatches(const TargetRec* t) {
  std::vector<std::string> out;
  for (const WatchRec* w = t->watches[0]; w; w = w->next) out.push_back(w->expression.c_str());
  return out;
}

class GdbKilledFrameTest : public test::GdbExampleFrameTest {
 protected:
  void Type(const std::string& line) {
    CommandWindow* page = f->Debugger()->CommandPage();
    page->Input()->setText(QString::fromStdString(line));
    QTest::keyClick(page->Input(), Qt::Key_Return);
  }
  bool StandsInMain() {
    DebugSession& s = f->Debugger()->Session();
    EditorView* v = View("Blinky.c");
    return s.SessionActive() && !s.TargetExecuting() && v && v->Margin().PcLine() != 0;
  }
};

struct KilledRow {
  const char* name;
  bool running;  // F5 first: gdb is killed while the program runs (and writes the UART)
};

class GdbKilled : public GdbKilledFrameTest, public ::testing::WithParamInterface<KilledRow> {};

TEST_P(GdbKilled, NothingTheUserDefinedIsLostAndTheNextSessionStarts) {
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  TargetRec* target = session->App().Project()->curTarget;
  int delay = 0;
  {
    std::ifstream in(dir + "Blinky.c");
    std::string line;
    for (int n = 1; std::getline(in, line) && delay == 0; ++n)
      if (line.find("Timer_Delay(TICKS_PER_SECOND / 4);") != std::string::npos) delay = n;
  }
  ASSERT_NE(delay, 0);
  Type("BS Blinky.c:" + std::to_string(delay));
  Type("BS LED_Off, 3, \"print num\"");
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdWatchBar));
  WatchWindow* watch = f->Debugger()->BarCommands().Bar()->Watch(1);
  ASSERT_TRUE(watch->AddExpression("pattern_step"));
  const std::string page = Commands();
  ASSERT_NE(page.find("Breakpoint 2 at "), std::string::npos) << page;

  if (GetParam().running) {
    ASSERT_TRUE(f->ExecuteCommand(32791));  // F5
    ASSERT_TRUE(test::WaitFor([&] { return s.TargetExecuting(); })) << Commands();
  }
  const std::vector<pid_t> gdb = OwnChildren("gdb-multiarch");
  ASSERT_EQ(gdb.size(), 1u);
  ASSERT_EQ(kill(gdb[0], SIGKILL), 0);
  ASSERT_TRUE(test::WaitFor([&] { return !s.SessionActive(); })) << Commands();
  EXPECT_NE(Commands().find("the debug session ends"), std::string::npos) << Commands();
  EXPECT_TRUE(test::WaitFor([] { return OwnChildren("qemu-system-arm").empty(); }));

  // Kept with the project: the line, the count and its command, the watch.
  const std::string line = "Blinky.c:" + std::to_string(delay) + " 0 ";
  const std::vector<std::string> breakpoints = KeptBreakpoints(target);
  EXPECT_EQ(breakpoints, (std::vector<std::string>{line, "LED_Off:0 3 print num"}));
  EXPECT_EQ(KeptWatches(target), std::vector<std::string>{"pattern_step"});

  // Ctrl+F5: a session again, standing in main with them all.
  const std::size_t said = Commands().size();
  ASSERT_TRUE(f->ExecuteCommand(kStartStop));
  ASSERT_TRUE(test::WaitFor([&] { return StandsInMain(); })) << Commands().substr(said);
  EXPECT_EQ(OwnChildren("gdb-multiarch").size(), 1u);
  EXPECT_EQ(OwnChildren("qemu-system-arm").size(), 1u);
  Type("BL");
  ASSERT_TRUE(test::WaitFor([&] { return Commands().find(", CNT=3", said) != std::string::npos; }))
      << Commands().substr(said);
  const std::string listed = Commands().substr(said);
  EXPECT_NE(listed.find("Blinky.c:" + std::to_string(delay)), std::string::npos) << listed;
  EXPECT_NE(listed.find("LED_Off, CNT=3, \"print num\""), std::string::npos) << listed;
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdWatchBar));
  watch = f->Debugger()->BarCommands().Bar()->Watch(1);
  ASSERT_GE(watch->GetItemCount(), 2);
  EXPECT_EQ(watch->GetItemText(watch->GetItemAtRow(0), 0), "pattern_step");
  // The new session runs to the breakpoint kept.
  ASSERT_TRUE(f->ExecuteCommand(32791));
  EXPECT_TRUE(test::WaitFor([&] {
    return !s.TargetExecuting() && View("Blinky.c")->Margin().PcLine() == unsigned(delay);
  })) << Commands().substr(said);
}

const KilledRow kKilledRows[] = {
    {"WhileTheTargetRuns", true},
    {"WhileItStands", false},
};
INSTANTIATE_TEST_SUITE_P(Rows, GdbKilled, ::testing::ValuesIn(kKilledRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace gdb_killed_frame_test
}  // namespace pm2
