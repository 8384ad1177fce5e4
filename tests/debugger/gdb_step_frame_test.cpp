// The example built and debugged in the real main frame with the GDB
// driver, gdb-multiarch and qemu, as a user meets it: the session runs to
// main by itself; the editor's context menu on a line with code offers the
// debugger's entries; Step Out in main says why it does nothing; F10 with
// the disassembly window in front steps one instruction (over the call it
// stands on), not a whole source line.
#include <dlfcn.h>
#include <unistd.h>

#include <fstream>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/disassembly_window.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/margin_view.h"
#include "platform/ipc_namespace.h"
#include "shell/frame/command_table.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_fixture.h"
#include "gdb_frame_fixture.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/status_bar.h"

namespace pm2 {
namespace {

class GdbStepFrameTest : public test::GdbExampleFrameTest {
 protected:
  EditorView* Blinky() { return View("Blinky.c"); }
  // F10 until a step runs on past the driver's bound (a line that loops
  // on itself). F10 returns at once: each step either stops, or the
  // driver's status line says that it runs on.
  bool StepUntilItRunsOn(int tries) {
    DebugSession& s = f->Debugger()->Session();
    for (int i = 0; i < tries; ++i) {
      s.App().m_szDriverStatus.clear();
      if (!f->ExecuteCommand(32795)) return false;
      if (!test::WaitFor([&] { return !s.TargetExecuting() || s.App().m_szDriverStatus == "Step: runs on"; }))
        return false;
      if (s.TargetExecuting()) return true;
    }
    return false;
  }
};

// Right-click on LED_Init in main during the session: after the engine's
// entries, the debugger's, in their order.
TEST_F(GdbStepFrameTest, TheEditorsContextMenuOnACodeLineInASession) {
  ASSERT_TRUE(StartAtMain());
  EditorView* v = Blinky();
  v->Engine().GotoLine(36, 4);
  const CEditLine* line = v->Engine().State().pCaretLine;
  ASSERT_TRUE(line->m_nFlags & kLineHasCode);
  QMenu menu;
  ASSERT_TRUE(v->BuildContextMenu(menu));
  std::vector<std::string> entries;
  bool afterEngine = false;
  for (QAction* a : menu.actions()) {
    const std::string text = a->text().toStdString();
    if (!afterEngine) {
      afterEngine = text == "Toggle &Bookmark";
      continue;
    }
    if (text.rfind("Insert '#include", 0) == 0) continue;  // the device's register header
    entries.push_back(a->isSeparator() ? "-" : text + (a->isEnabled() ? "" : " (grey)"));
  }
  char show[48];
  std::snprintf(show, sizeof show, "Show Disassembly at 0x%X", unsigned(line->m_nCodeAddress));
  const std::vector<std::string> expected = {show,
                                             "Set Program Counter",
                                             "-",
                                             "Run to Cursor line",
                                             "-",
                                             "Go To Line",
                                             "Insert/Remove Breakpoint",
                                             "Enable/Disable Breakpoint (grey)",
                                             "Clear complete Code Coverage Info",
                                             "-",
                                             "Add \"LED_Init\" to Watch Window..."};
  EXPECT_EQ(entries, expected);
}

// F10 with the disassembly window in front: one instruction, the call at
// main's first line stepped over; in the editor the step is a line's.
TEST_F(GdbStepFrameTest, F10WithTheDisassemblyWindowInFrontStepsOneInstruction) {
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  ASSERT_TRUE(f->ExecuteCommand(32752));  // View > Disassembly Window
  ASSERT_TRUE(f->Debugger()->Windows().DisassemblyInFront());
  const uint32_t before = s.Record()->pc;
  ASSERT_TRUE(f->ExecuteCommand(32795));
  ASSERT_TRUE(test::WaitFor([&] { return !s.TargetExecuting(); }));
  EXPECT_EQ(s.Record()->pc, before + 4);
  // The editor in front again: F10 goes on to the next line.
  EditorView* v = Blinky();
  const uint32_t line = v->Margin().PcLine();
  f->MdiClient()->setActiveSubWindow(f->Editors().SheetOf(&v->Document()));
  ASSERT_FALSE(f->Debugger()->Windows().DisassemblyInFront());
  ASSERT_TRUE(f->ExecuteCommand(32795));
  EXPECT_TRUE(test::WaitFor([&] { return !s.TargetExecuting() && v->Margin().PcLine() == line + 1; }))
      << v->Margin().PcLine();
}

// Step Out (Ctrl+F11) in main, which nothing called (gdb's outermost
// frame): the key beeps and the status line says why, and nothing runs;
// gdb's own "finish" typed there is refused in gdb's words.
TEST_F(GdbStepFrameTest, StepOutInMainSaysWhyAndNothingRuns) {
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  const uint32_t pc = s.Record()->pc;
  const uint64_t stops = s.Stops();
  EXPECT_FALSE(f->QueryCommand(32741).enabled);
  QTest::keyClick(f, Qt::Key_F11, Qt::ControlModifier);
  EXPECT_EQ(f->Status()->GetWindowText(), "Cannot StepOut: no function called the one the program stopped in");
  EXPECT_FALSE(s.TargetExecuting());
  EXPECT_EQ(s.Stops(), stops);
  EXPECT_EQ(s.Record()->pc, pc);
  CommandWindow* page = f->Debugger()->CommandPage();
  page->Input()->setText("finish");
  QTest::keyClick(page->Input(), Qt::Key_Return);
  EXPECT_TRUE(test::WaitFor([&] {
    return Commands().find("*** error: \"finish\" not meaningful in the outermost frame.") != std::string::npos;
  })) << Commands();
  EXPECT_FALSE(s.TargetExecuting());
  EXPECT_EQ(s.Record()->pc, pc);
}

// A program that loops for ever on one line: F10 runs on past the driver's
// bound (its status text posted from the driver's reader), Stop Running,
// then Ctrl+F5 at once, before the GUI thread handles what the driver
// posted: the session ends at the stop. The session's end unloads the
// driver; what it said stays on the command page, and the next session
// starts.
TEST_F(GdbStepFrameTest, TheSessionEndsRightAfterStopRunningAndWhatTheDriverPostedStaysReadable) {
  std::ofstream(dir + "Blinky.c") << "int counter;\nint main(void) {\n  for (;;) {\n    counter++;\n  }\n}\n";
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  ASSERT_TRUE(StepUntilItRunsOn(2)) << f->Debugger()->CommandPage()->Text().toStdString();
  ASSERT_TRUE(f->ExecuteCommand(32797));  // Debug > Stop Running
  // Ctrl+F5, with nothing handled in between: the stop request stands, and
  // the session ends at its stop.
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return !s.SessionActive(); })) << f->Debugger()->CommandPage()->Text().toStdString();
  const std::string library = root + "PM2/GdbDrv.so";
  void* still = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (still) dlclose(still);
  ASSERT_EQ(still, nullptr) << "the session's end left the driver loaded";
  QCoreApplication::processEvents();
  // The driver's words are the window's own: the step's, and the stop's
  // place (the stop request was answered).
  const std::string page = f->Debugger()->CommandPage()->Text().toStdString();
  EXPECT_NE(page.find("the step did not end within 3 s: the target runs on"), std::string::npos) << page;
  EXPECT_EQ(page.find("stop request"), std::string::npos) << page;
  ASSERT_TRUE(f->ExecuteCommand(32802));
  // The new session stands in main, its arrow shown: the start's own stop
  // at the reset address comes first and is not the end of the start.
  EXPECT_TRUE(test::WaitFor([&] {
    EditorView* v = Blinky();
    return s.SessionActive() && !s.TargetExecuting() && v && v->Margin().PcLine() != 0;
  })) << f->Debugger()->CommandPage()->Text().toStdString();
}

// F5 and Esc pressed one right after the other, before the window takes up
// what the run's start told (a user's two keys on a busy machine): each Esc
// stops the run its F5 started, round after round, and the session then
// ends. The Esc was lost when it came before gdb's report that the target
// runs had been read: the target ran on, and the session's end was refused.
TEST_F(GdbStepFrameTest, EscRightAfterF5StopsTheRunItStarted) {
  std::ofstream(dir + "Blinky.c") << "int counter;\nint main(void) {\n  for (;;) {\n    counter++;\n  }\n}\n";
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  for (int round = 1; round <= 30; ++round) {
    const uint64_t stops = s.Stops();
    ASSERT_TRUE(f->ExecuteCommand(32791));  // F5
    ASSERT_TRUE(f->ExecuteCommand(32797));  // Esc, with nothing handled in between
    ASSERT_TRUE(test::WaitFor([&] { return !s.TargetExecuting() && s.Stops() > stops; }))
        << "round " << round << ": the run went on\n" << Commands();
  }
  ASSERT_TRUE(f->ExecuteCommand(32802));
  EXPECT_TRUE(test::WaitFor([&] { return !s.SessionActive(); })) << Commands();
}

// A program that writes its UART without end: most of its time it stands in
// the driver's own stops at the UART stand-in's watchpoint (a step of its
// line always). Each stop request, wherever it meets the program, ends with
// a stop text on the command page (gdb's, or the driver's when the request
// met its own stop).
TEST_F(GdbStepFrameTest, EveryStopMadeWithEscPrintsItsStopText) {
  std::ofstream(dir + "Blinky.c") << "#include \"LPC2138.h\"\nint main(void) {\n  for (;;) {\n    U0THR = 'x';\n  }\n}\n";
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  auto stopTexts = [&] {
    const std::string text = f->Debugger()->CommandPage()->Text().toStdString();
    int n = 0;
    for (const char* said : {"Program received signal SIGINT", "Program stopped."})
      for (std::size_t at = 0; (at = text.find(said, at)) != std::string::npos; ++at) ++n;
    return n;
  };
  // F10 until its step runs on (the line loops on itself, and the step goes
  // on through the stand-in's stops), then Esc.
  for (int round = 1; round <= 3; ++round) {
    ASSERT_TRUE(StepUntilItRunsOn(3)) << f->Debugger()->CommandPage()->Text().toStdString();
    const int before = stopTexts();
    QTest::keyClick(f, Qt::Key_Escape);
    ASSERT_TRUE(test::WaitFor([&] { return !s.TargetExecuting(); })) << round;
    EXPECT_TRUE(test::WaitFor([&] { return stopTexts() > before; }))
        << "stop " << round << ":\n" << f->Debugger()->CommandPage()->Text().toStdString();
  }
}

// A call typed on the command page that runs on (the example's timer is not
// started at main: the delay never ends) is stopped with Esc, as often as
// the user types one: each time the page says where the target stopped,
// and the session goes on with its target (gdb once took the second stop
// for the user's giving up the target, and left it). F5 after them runs,
// and Esc stops it too.
TEST_F(GdbStepFrameTest, EscStopsEveryTypedCallThatRunsOnAndTheSessionGoesOn) {
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  CommandWindow* page = f->Debugger()->CommandPage();
  auto text = [&] { return page->Text().toStdString(); };
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE("typed call " + std::to_string(round));
    const std::size_t before = text().size();
    page->Input()->setText("print Timer_Delay(0xFFFFFFFF)");
    QTest::keyClick(page->Input(), Qt::Key_Return);
    ASSERT_TRUE(test::WaitFor([&] { return s.TargetExecuting(); })) << text().substr(before);
    QTest::keyClick(f, Qt::Key_Escape);
    ASSERT_TRUE(test::WaitFor([&] { return !s.TargetExecuting(); })) << text().substr(before);
    EXPECT_TRUE(test::WaitFor([&] {
      return text().find("Program received signal SIGINT", before) != std::string::npos;
    })) << text().substr(before);
    const std::string said = text().substr(before);
    EXPECT_EQ(said.find("Disconnected"), std::string::npos) << said;
    EXPECT_EQ(said.find("stop request"), std::string::npos) << said;
    ASSERT_TRUE(s.SessionActive()) << said;
    // The target answers: its program counter stands in the called code.
    uint64_t pc = 0;
    ASSERT_EQ(s.Record()->DbgEvalExpression(1, "$pc", &pc), 0) << said;
    uint64_t delay = 0, ticks = 0;
    ASSERT_EQ(s.Record()->DbgEvalExpression(1, "&Timer_Delay", &delay), 0);
    ASSERT_EQ(s.Record()->DbgEvalExpression(1, "&Timer_Ticks", &ticks), 0);
    EXPECT_TRUE((pc >= delay && pc < delay + 0x80) || (pc >= ticks && pc < ticks + 0x80))
        << std::hex << pc << "\n" << said;
  }
  const std::size_t before = text().size();
  ASSERT_TRUE(f->ExecuteCommand(32791));  // F5
  ASSERT_TRUE(test::WaitFor([&] { return s.TargetExecuting(); })) << text().substr(before);
  QTest::keyClick(f, Qt::Key_Escape);
  ASSERT_TRUE(test::WaitFor([&] { return !s.TargetExecuting(); })) << text().substr(before);
  EXPECT_TRUE(s.SessionActive()) << text().substr(before);
  EXPECT_EQ(text().find("Disconnected"), std::string::npos) << text();
}

// Typed on the command page: "BS Blinky.c:43", F5, then "next" over the
// line whose call writes the UART: the step ends on the next line, as F10
// ends there, with the serial window's text on the way (the UART stand-in's
// stops once made it a run that only Esc stopped).
TEST_F(GdbStepFrameTest, ATypedNextOverALineThatWritesTheUartEndsOnTheNextLine) {
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  CommandWindow* page = f->Debugger()->CommandPage();
  int from = 0;
  {
    std::ifstream in(dir + "Blinky.c");
    std::string line;
    for (int n = 1; std::getline(in, line) && from == 0; ++n)
      if (line.find("Serial_PutString(\"LED \");") != std::string::npos) from = n;
  }
  ASSERT_NE(from, 0);
  auto type = [&](const std::string& line) {
    page->Input()->setText(QString::fromStdString(line));
    QTest::keyClick(page->Input(), Qt::Key_Return);
  };
  type("BS Blinky.c:" + std::to_string(from));
  ASSERT_TRUE(f->ExecuteCommand(32791));  // F5
  ASSERT_TRUE(test::WaitFor([&] { return !s.TargetExecuting() && Blinky()->Margin().PcLine() == unsigned(from); }))
      << Commands();
  const uint64_t stops = s.Stops();
  type("next");
  EXPECT_TRUE(test::WaitFor([&] { return !s.TargetExecuting() && s.Stops() > stops; })) << Commands();
  if (s.TargetExecuting()) QTest::keyClick(f, Qt::Key_Escape);
  EXPECT_TRUE(test::WaitFor([&] { return Blinky()->Margin().PcLine() == unsigned(from + 1); }))
      << Blinky()->Margin().PcLine() << "\n" << Commands();
}

// Ctrl+F5 and the frame's close while the target runs wait for it: the
// command page and the status line say why and what to do, and once the
// target has stopped (Esc) the session ends, or the program closes, as
// they said.
struct OnceStoppedRow {
  const char* name;
  bool closeFrame;  // Alt+F4 (the frame's close); else Ctrl+F5
  const char* said;
};

class GdbOnceStopped : public GdbStepFrameTest, public ::testing::WithParamInterface<OnceStoppedRow> {};

TEST_P(GdbOnceStopped, ARefusedEndWhileTheTargetRunsIsDoneOnceItHasStopped) {
  const OnceStoppedRow& row = GetParam();
  std::ofstream(dir + "Blinky.c") << "int counter;\nint main(void) {\n  for (;;) {\n    counter++;\n  }\n}\n";
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  ASSERT_TRUE(f->ExecuteCommand(32791));  // F5
  ASSERT_TRUE(test::WaitFor([&] { return s.TargetExecuting(); }));
  if (row.closeFrame)
    EXPECT_FALSE(f->close());  // Alt+F4
  else
    ASSERT_TRUE(f->ExecuteCommand(32802));  // Ctrl+F5
  EXPECT_TRUE(s.SessionActive());
  EXPECT_TRUE(f->isVisible());
  const std::string page = Commands();
  EXPECT_NE(page.find(std::string("*** the target runs: ") + row.said +
                      " once it has stopped (Esc or Debug > Stop Running stops it)"),
            std::string::npos)
      << page;
  EXPECT_EQ(session->App().m_szDriverStatus, "Target runs: stop it");
  QTest::keyClick(f, Qt::Key_Escape);
  EXPECT_TRUE(test::WaitFor([&] { return !s.SessionActive(); })) << Commands();
  if (row.closeFrame) EXPECT_TRUE(test::WaitFor([&] { return !f->isVisible(); }));
  else EXPECT_TRUE(f->isVisible());
}

const OnceStoppedRow kOnceStoppedRows[] = {
    {"CtrlF5", false, "the debug session ends"},
    {"AltF4", true, "the program closes"},
};
INSTANTIATE_TEST_SUITE_P(Rows, GdbOnceStopped, ::testing::ValuesIn(kOnceStoppedRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The Command page's syntax help reads tables that live in the driver
// library: once the session's end has unloaded it, the page holds none, so
// a later layout or key reads nothing that was freed.
TEST_F(GdbStepFrameTest, TheCommandPageKeepsNoSyntaxOfAnUnloadedDriver) {
  ASSERT_TRUE(StartAtMain());
  CommandWindow* page = f->Debugger()->CommandPage();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->Help().Installed()) << "the driver gave the page no syntax";
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_FALSE(f->Debugger()->Session().SessionActive());
  EXPECT_FALSE(page->Help().Installed());
  page->resize(page->width() + 40, page->height() + 20);
  QCoreApplication::processEvents();
  EXPECT_TRUE(page->HelpText().isEmpty()) << page->HelpText().toStdString();
}

// How a running target is asked to stop: the menu, the key, or a peer of
// the event interface.
enum class StopAsker { Menu, Escape, Peer };
struct StopAskerRow {
  const char* name;
  StopAsker asker;
};

class GdbStopAfterARunOnStep : public GdbStepFrameTest, public ::testing::WithParamInterface<StopAskerRow> {
 protected:
  // Asks the running target to stop; false (with a failure) when the
  // asking itself failed.
  bool AskToStop() {
    switch (GetParam().asker) {
      case StopAsker::Menu:
        return f->ExecuteCommand(32797) || Says("Debug > Stop Running is refused");
      case StopAsker::Escape:
        QTest::keyClick(f, Qt::Key_Escape);
        return true;
      case StopAsker::Peer:
        return PeerStops();
    }
    return false;
  }
  bool PeerStops() {
    const std::string client = QCoreApplication::applicationDirPath().toStdString() + "/debugger_ipc_client";
    if (!std::filesystem::exists(client)) return Says("no " + client);
    const IpcNamespace ns = IpcNamespace::FromEnvironment();
    QProcess child;
    child.start(QString::fromStdString(client),
                {QString::fromStdString(ns.suffix), QString::fromStdString(ns.runtimeDir), "stop"});
    if (!child.waitForStarted()) return Says("the peer did not start");
    QElapsedTimer guard;
    guard.start();
    while (!child.waitForFinished(5) && guard.elapsed() < test::kHangWaitMs) QCoreApplication::sendPostedEvents();
    if (child.state() != QProcess::NotRunning) {
      child.kill();
      child.waitForFinished();
    }
    const std::string heard = child.readAllStandardOutput().toStdString();
    return child.exitCode() == 0 || Says("the peer heard no stop (" + std::to_string(child.exitCode()) + "):\n" + heard);
  }
  // The target stopped in the loop: not running, the editor's arrow on the
  // loop's line, the disassembly window's (opened when it is not) on the
  // program counter, and no word of a stop request left unanswered.
  void ExpectStoppedInTheLoop(const char* when) {
    DebugSession& s = f->Debugger()->Session();
    EditorView* v = Blinky();
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(test::WaitFor([&] { return !s.TargetExecuting() && v->Margin().PcLine() == 4; }))
        << when << ": running " << s.TargetExecuting() << ", arrow on line " << v->Margin().PcLine() << "\n"
        << f->Debugger()->CommandPage()->Text().toStdString();
    if (!f->Debugger()->Windows().Disassembly()) {
      ASSERT_TRUE(f->ExecuteCommand(32752));  // View > Disassembly Window
    }
    DisassemblyView* d = f->Debugger()->Windows().Disassembly();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(test::WaitFor([&] {
      return d->Cache().PcLine() >= 0 && d->Cache().Line(d->Cache().PcLine()).address == s.Record()->pc;
    })) << when << ": the disassembly window's arrow is not at 0x" << std::hex << s.Record()->pc;
    EXPECT_EQ(f->Debugger()->CommandPage()->Text().toStdString().find("stop request"), std::string::npos) << when;
  }
};

// `main` loops for ever on one line: F10 runs on past the driver's bound
// (gdb steps it instruction by instruction, never ending the line). Asked
// to stop, the target stops where it stands and shows it; F10 in the editor
// runs on again and stops again when asked; F10 by instruction and F5 go on
// from there, and the stop request after F5 is answered too.
TEST_P(GdbStopAfterARunOnStep, TheTargetStopsAndStepsOnFromThere) {
  std::ofstream(dir + "Blinky.c") << "int counter;\nint main(void) {\n  for (;;) {\n    counter++;\n  }\n}\n";
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  ASSERT_TRUE(StepUntilItRunsOn(2)) << f->Debugger()->CommandPage()->Text().toStdString();
  ASSERT_TRUE(AskToStop());
  ASSERT_NO_FATAL_FAILURE(ExpectStoppedInTheLoop("after the step"));
  // F10 in the editor again: the line's step runs on as before, and stops.
  EditorView* v = Blinky();
  f->MdiClient()->setActiveSubWindow(f->Editors().SheetOf(&v->Document()));
  ASSERT_FALSE(f->Debugger()->Windows().DisassemblyInFront());
  ASSERT_TRUE(f->ExecuteCommand(32795));
  ASSERT_TRUE(s.TargetExecuting()) << f->Debugger()->CommandPage()->Text().toStdString();
  ASSERT_TRUE(AskToStop());
  ASSERT_NO_FATAL_FAILURE(ExpectStoppedInTheLoop("after the second step"));
  ASSERT_TRUE(f->ExecuteCommand(32752));  // the disassembly window to the front
  // F10 with the disassembly window in front: one instruction of the loop.
  ASSERT_TRUE(f->Debugger()->Windows().DisassemblyInFront());
  const uint32_t before = s.Record()->pc;
  ASSERT_TRUE(f->ExecuteCommand(32795));
  ASSERT_TRUE(test::WaitFor([&] { return !s.TargetExecuting() && s.Record()->pc != before; }))
      << std::hex << before << "\n" << f->Debugger()->CommandPage()->Text().toStdString();
  // F5 runs on, and the stop request stops that run too.
  ASSERT_TRUE(f->ExecuteCommand(32791));
  ASSERT_TRUE(test::WaitFor([&] { return s.TargetExecuting(); }));
  ASSERT_TRUE(AskToStop());
  ExpectStoppedInTheLoop("after F5");
}

INSTANTIATE_TEST_SUITE_P(, GdbStopAfterARunOnStep,
                         ::testing::Values(StopAskerRow{"StopRunning", StopAsker::Menu},
                                           StopAskerRow{"Escape", StopAsker::Escape},
                                           StopAskerRow{"PeersStopExecution", StopAsker::Peer}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
