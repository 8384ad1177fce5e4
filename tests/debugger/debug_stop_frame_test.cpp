// A stop of the target in the real main frame over the scriptable test
// driver: the program counter's line gets the arrow and the caret, never a
// selection; the view scrolls only for a line out of sight; a window of
// another kind in front stays there; the status bar shows the whole
// program counter.
#include <dlfcn.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "debugger/windows/disassembly_window.h"
#include "debugger/ui/debug_bar_commands.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/watch_window.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/ui/register_page.h"
#include "debugger/windows/command_window.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/margin_view.h"
#include "platform/ipc_namespace.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/addin_commands.h"
#include "shell/tools/addin_link.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_fixture.h"
#include "shell/windows/qt_user_dialogs.h"
#include "toolkit/frames/mdi_child.h"
#include "shell/project_window/prj_win.h"
#include "toolkit/controls/tab_windows.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/frames/status_bar.h"

namespace pm2 {
namespace {

class DebugStopFrameTest : public test::ExampleFrameTest {
 protected:
  // Starts a session whose program counter is on main's first line (35).
  bool StartAt(test::ExampleSession& s, const std::string& extra = {}) {
    f = s.Frame();
    if (!f || !f->Debugger()) return false;
    const std::string script = dir + "driver.script";
    std::ofstream(script) << "pc 200\nsym main 1 200 0\nline " << dir << "Blinky.c 35 200\nline " << dir
                          << "Blinky.c 36 208\n"
                          << extra;
    OptionBlock* o = s.App().Project()->curTarget->pOpts;
    o->dbg.flags |= 1;
    o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
    o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
    app = &s.App();
    return f->ExecuteCommand(32802) && test::WaitFor([&] { return f->Debugger()->Session().SessionActive(); });
  }
  // The driver's stop, as its notification reaches the IDE.
  void Stop() {
    app->IdeServiceCall(2, 0);
    QCoreApplication::processEvents();
  }
  EditorView* Blinky() {
    EditorDocument* doc = f->FindTextDocument(dir + "Blinky.c");
    return doc ? f->Editors().ViewOf(doc) : nullptr;
  }
  // The event interface's debug client run with `mode` to its end (killed
  // past the hang bound), the GUI thread's part of its requests served
  // meanwhile; what it printed, its exit code in `code`.
  static std::string RunClient(const std::string& mode, int* code) {
    const std::string client = QCoreApplication::applicationDirPath().toStdString() + "/debugger_ipc_client";
    EXPECT_TRUE(std::filesystem::exists(client)) << client;
    const IpcNamespace ns = IpcNamespace::FromEnvironment();
    QProcess child;
    child.start(QString::fromStdString(client),
                {QString::fromStdString(ns.suffix), QString::fromStdString(ns.runtimeDir), QString::fromStdString(mode)});
    EXPECT_TRUE(child.waitForStarted());
    QElapsedTimer guard;
    guard.start();
    while (!child.waitForFinished(5) && guard.elapsed() < test::kHangWaitMs) QCoreApplication::sendPostedEvents();
    if (child.state() != QProcess::NotRunning) {
      child.kill();
      child.waitForFinished();
    }
    *code = child.exitCode();
    return child.readAllStandardOutput().toStdString();
  }
  // What the scripted driver of the test root was asked since `Clear`.
  struct ScriptedDriverLog {
    explicit ScriptedDriverLog(const std::string& root) : lib(dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW)) {}
    ~ScriptedDriverLog() {
      if (lib) dlclose(lib);
    }
    void Clear() const { reinterpret_cast<void (*)()>(dlsym(lib, "TestDriverClearLog"))(); }
    std::string Text() const { return reinterpret_cast<const char* (*)()>(dlsym(lib, "TestDriverLog"))(); }
    void* lib;
  };
  CMainFrame* f = nullptr;
  ShellApp* app = nullptr;
};

TEST_F(DebugStopFrameTest, TheLineGetsTheArrowAndTheCaretButNoSelection) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s));
  Stop();
  EditorView* v = Blinky();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(f->Editors().Active(), v);
  EXPECT_EQ(v->Margin().PcLine(), 35u);
  EXPECT_EQ(v->Engine().State().nCaretLine, 35);
  EXPECT_FALSE(v->Engine().HasSelection());
  // A key typed next goes into the line; the line stays.
  const std::string before = v->Text().GetLine(35)->m_text;
  v->setFocus();
  QTest::keyClick(v, Qt::Key_X);
  EXPECT_EQ(v->Text().GetLine(35)->m_text, "x" + before);
  // The status bar's pane holds the whole program counter.
  SECStatusBar* bar = f->findChild<SECStatusBar*>("StatusBar");
  ASSERT_NE(bar, nullptr);
  const int pane = bar->CommandToIndex(123);
  EXPECT_EQ(bar->GetPaneText(pane), "PC: 0x00000200");
  EXPECT_GE(bar->GetItemRect(pane).width(), QFontMetrics(bar->font()).horizontalAdvance("PC: 0x00000200"));
}

TEST_F(DebugStopFrameTest, TheViewScrollsOnlyForALineOutOfSight) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s));
  Stop();
  EditorView* v = Blinky();
  ASSERT_NE(v, nullptr);
  EditEngine& e = v->Engine();
  const int rows = e.Rows();
  ASSERT_GE(rows, 4);
  ASSERT_LT(rows, 35) << "the text must be longer than the window";
  // Line 35 in sight near the bottom: the view stays where it is.
  e.SetTopLine(35 - rows + 2);
  const int top = e.State().nTopLine;
  Stop();
  EXPECT_EQ(e.State().nTopLine, top);
  EXPECT_EQ(e.State().nCaretLine, 35);
  // Out of sight: a third of the rows below the top.
  e.SetTopLine(1);
  Stop();
  EXPECT_EQ(e.State().nTopLine, std::max(35 - rows / 3, 1));
}

TEST_F(DebugStopFrameTest, AWindowOfAnotherKindInFrontStaysThere) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s));
  Stop();
  ASSERT_NE(Blinky(), nullptr);
  QMdiArea* mdi = f->MdiClient();
  // The serial window in front stays in front: the file is shown already.
  ASSERT_TRUE(f->ExecuteCommand(32735));
  QMdiSubWindow* serial = mdi->activeSubWindow();
  ASSERT_NE(serial, nullptr);
  ASSERT_EQ(f->Editors().ActiveDocument(), nullptr);
  Stop();
  EXPECT_EQ(mdi->activeSubWindow(), serial);
  EXPECT_EQ(Blinky()->Margin().PcLine(), 35u);
  // So does the disassembly window.
  ASSERT_NE(f->Debugger()->Windows().OpenDisassemblyWindow(), nullptr);
  QMdiSubWindow* disassembly = mdi->activeSubWindow();
  ASSERT_TRUE(f->Debugger()->Windows().DisassemblyInFront());
  Stop();
  EXPECT_EQ(mdi->activeSubWindow(), disassembly);
  // Another editor in front gives way to the file of the stop.
  ASSERT_NE(f->Editors().Open(dir + "LED.c"), nullptr);
  Stop();
  EXPECT_EQ(f->Editors().Active(), Blinky());
}

// The editor's Insert '#include <...>' of the target's register header is
// greyed while a session runs, and comes on again after it.
TEST_F(DebugStopFrameTest, TheRegisterHeaderEntryIsGreyedDuringASession) {
  // The device's register header lies in the project's folder: it is offered.
  std::ofstream(dir + "LPC213x.h") << "#define REG 1\n";
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s));
  Stop();
  EditorView* v = Blinky();
  ASSERT_NE(v, nullptr);
  auto insertEnabled = [&] {
    QMenu menu;
    v->BuildContextMenu(menu);
    for (QAction* a : menu.actions())
      if (a->text() == "Insert '#include <LPC213x.h>'") return a->isEnabled() ? 1 : 0;
    return -1;  // not offered
  };
  EXPECT_EQ(insertEnabled(), 0);
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_FALSE(f->Debugger()->Session().SessionActive());
  EXPECT_EQ(insertEnabled(), 1);
}

// The editor's context menu on a line with code during a session: the
// debugger's entries in their order and with their rules, each doing its
// work through the driver.
TEST_F(DebugStopFrameTest, TheContextMenuOfACodeLineOffersTheDebuggersEntries) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s, "moves $=0x208 208\n"));
  Stop();
  EditorView* v = Blinky();
  ASSERT_NE(v, nullptr);
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
  v->Engine().GotoLine(36, 4);  // on LED_Init
  QMenu menu;
  ASSERT_TRUE(v->BuildContextMenu(menu));
  // The entries after the engine's own, a separator as "-", greyed ones
  // marked; the register header's entry depends on the device's files.
  std::vector<std::string> entries;
  std::map<std::string, QAction*> actions;
  bool afterEngine = false;
  for (QAction* a : menu.actions()) {
    const std::string text = a->text().toStdString();
    if (!afterEngine) {
      afterEngine = text == "Toggle &Bookmark";
      continue;
    }
    if (text.rfind("Insert '#include", 0) == 0) continue;
    actions[text] = a;
    entries.push_back(a->isSeparator() ? "-" : text + (a->isEnabled() ? "" : " (grey)"));
  }
  const std::vector<std::string> expected = {"Show Disassembly at 0x208",
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
  auto run = [&](const std::string& text) {
    ASSERT_TRUE(actions.count(text)) << text;
    actions[text]->trigger();
    QCoreApplication::processEvents();
  };
  // Set Program Counter: the driver's command, and the arrow on the line.
  run("Set Program Counter");
  EXPECT_NE(std::string(log()).find("exec $=0x208"), std::string::npos) << log();
  EXPECT_EQ(v->Margin().PcLine(), 36u);
  run("Show Disassembly at 0x208");
  ASSERT_NE(f->Debugger()->Windows().Disassembly(), nullptr);
  // Asked again from a maximised editor in front: the window comes to the front.
  QMdiSubWindow* editorSheet = f->Editors().SheetOf(&v->Document());
  ASSERT_NE(editorSheet, nullptr);
  f->MdiClient()->setActiveSubWindow(editorSheet);
  editorSheet->showMaximized();
  ASSERT_EQ(f->MdiClient()->activeSubWindow(), editorSheet);
  run("Show Disassembly at 0x208");
  ASSERT_NE(f->MdiClient()->activeSubWindow(), nullptr);
  EXPECT_EQ(f->MdiClient()->activeSubWindow()->widget(),
            static_cast<QWidget*>(f->Debugger()->Windows().Disassembly()));
  run("Run to Cursor line");
  EXPECT_NE(std::string(log()).find("go 520"), std::string::npos) << log();
  run("Insert/Remove Breakpoint");
  EXPECT_NE(std::string(log()).find("breakpoint 520 3"), std::string::npos) << log();
  run("Clear complete Code Coverage Info");
  EXPECT_NE(std::string(log()).find("enum 7"), std::string::npos) << log();
  QMenu* watch = actions["Add \"LED_Init\" to Watch Window..."]->menu();
  ASSERT_NE(watch, nullptr);
  ASSERT_EQ(watch->actions().size(), 2);
  EXPECT_EQ(watch->actions()[0]->text(), "#&1");
  watch->actions()[1]->trigger();
  const std::vector<std::string> watched = f->Debugger()->BarCommands().Bar()->Watch(2)->Model().Expressions();
  EXPECT_NE(std::find(watched.begin(), watched.end(), "LED_Init"), watched.end());
  // While the target runs the run to the line is greyed.
  f->Debugger()->Session().Record()->flags |= kDbgFlagExecuting;
  QMenu running;
  v->BuildContextMenu(running);
  QAction* runTo = nullptr;
  for (QAction* a : running.actions())
    if (a->text() == "Run to Cursor line") runTo = a;
  ASSERT_NE(runTo, nullptr);
  EXPECT_FALSE(runTo->isEnabled());
  f->Debugger()->Session().Record()->flags &= ~uint32_t(kDbgFlagExecuting);
  dlclose(driver);
}

// A right click on a name, or just after its last character (where the
// click puts the caret at the word's end), offers the name for the watch
// windows, even a name of one letter; a click on the blank behind that
// offers nothing.
TEST_F(DebugStopFrameTest, ARightClickJustPastAOneLetterNameOffersItForTheWatchWindow) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s));
  Stop();
  EditorView* v = Blinky();
  ASSERT_NE(v, nullptr);
  QWidget* text = v->viewport();
  // Line 35: "  unsigned int n = LED_Count();", the name n at column 15.
  ASSERT_EQ(v->Text().GetLine(35)->m_text.substr(15, 3), "n =");
  const struct {
    const char* name;
    int column;    // whose left quarter is clicked
    const char* offered;  // the watch entry's name, or none
  } rows[] = {
      {"on the name", 15, "n"},
      {"one column past the name", 16, "n"},
      {"two columns past the name", 17, nullptr},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    v->Engine().GotoLine(35, r.column);
    const EditEngine::ClientPoint caret = v->Engine().CaretClientPoint();
    const EditState& st = v->Engine().State();
    const QPoint at(caret.x + std::max(1, st.nCharWidth / 4), caret.y + st.nLineHeight / 2);
    v->Engine().GotoLine(35, 0);  // the click has to take the caret there
    std::vector<std::string> entries;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&entries] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      for (QAction* a : menu->actions()) entries.push_back(a->text().toStdString());
      menu->close();
    });
    reader.start(0);
    QTest::mousePress(text, Qt::RightButton, {}, at);
    QTest::mouseRelease(text, Qt::RightButton, {}, at);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, text->mapToGlobal(at));
    QApplication::sendEvent(text, &click);
    reader.stop();
    ASSERT_FALSE(entries.empty()) << "no menu opened";
    std::string watch;
    for (const std::string& e : entries)
      if (e.find("to Watch Window") != std::string::npos) watch = e;
    if (r.offered) {
      EXPECT_EQ(watch, "Add \"" + std::string(r.offered) + "\" to Watch Window...");
    } else {
      EXPECT_EQ(watch, "");
    }
  }
}

// Step Into and Over go by instruction with the disassembly window in front
// or when the program counter's file is not open, else by source line;
// service 13 says whether the disassembly window is open. Step Into's key
// while the target runs beeps.
TEST_F(DebugStopFrameTest, StepsGoByInstructionWhereNoSourceLineIsInView) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s));
  Stop();
  ASSERT_NE(Blinky(), nullptr);
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
  auto clearLog = reinterpret_cast<void (*)()>(dlsym(driver, "TestDriverClearLog"));
  DebugSession& session = f->Debugger()->Session();
  // Each step from main's first line (the driver moves on by 4 each time):
  // the driver's step calls, without the windows' reads after it.
  auto step = [&](CommandId id) {
    session.Record()->pc = 0x200;
    clearLog();
    f->ExecuteCommand(id);
    std::istringstream lines{std::string(log())};
    std::string steps;
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("step ", 0) == 0) steps += line + "\n";
    return steps;
  };
  EXPECT_EQ(step(32795), "step 1\n");
  EXPECT_EQ(step(32794), "step 0\n");
  EXPECT_EQ(app->IdeServiceCall(13, 0), 0);
  ASSERT_NE(f->Debugger()->Windows().OpenDisassemblyWindow(), nullptr);
  ASSERT_TRUE(f->Debugger()->Windows().DisassemblyInFront());
  EXPECT_EQ(app->IdeServiceCall(13, 0), 1);
  EXPECT_EQ(step(32795), "step 4\n");
  EXPECT_EQ(step(32794), "step 3\n");
  // The file closed, the editor's kind of window in front again.
  f->Debugger()->Windows().CloseDisassemblyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(f->Debugger()->Windows().Disassembly(), nullptr);
  EXPECT_EQ(app->IdeServiceCall(13, 0), 0);
  EditorDocument* doc = f->FindTextDocument(dir + "Blinky.c");
  ASSERT_NE(doc, nullptr);
  f->Editors().SheetOf(doc)->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(f->FindTextDocument(dir + "Blinky.c"), nullptr);
  EXPECT_EQ(step(32795), "step 4\n");
  // F11 while the target runs: a beep, no step.
  session.Record()->flags |= kDbgFlagExecuting;
  clearLog();
  const int beeps = s.runtime.Dialogs().BeepCount();
  QTest::keyClick(f->Debugger()->CommandPage()->Input(), Qt::Key_F11);
  EXPECT_EQ(s.runtime.Dialogs().BeepCount(), beeps + 1);
  EXPECT_EQ(std::string(log()), "");
  session.Record()->flags &= ~uint32_t(kDbgFlagExecuting);
  dlclose(driver);
}

// Service 21 shows the source line of a code address: the address becomes
// the shown position (the margin's cyan arrow) and its line comes into
// sight; an address without source shows in the disassembly window.
TEST_F(DebugStopFrameTest, ShowCodeAtAddressShowsItsLineOrItsDisassembly) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s));
  Stop();
  EditorView* v = Blinky();
  ASSERT_NE(v, nullptr);
  EditEngine& e = v->Engine();
  const int rows = e.Rows();
  ASSERT_LT(rows, 35) << "the text must be longer than the window";
  e.SetTopLine(1);
  EXPECT_EQ(app->IdeServiceCall(21, 0x208), 1);
  EXPECT_EQ(f->Debugger()->Session().Record()->shownAddress, 0x208u);
  EXPECT_EQ(e.State().nTopLine, std::max(36 - rows / 3, 1));
  EXPECT_EQ(e.State().nCaretLine, 36);
  ASSERT_EQ(f->Debugger()->Windows().Disassembly(), nullptr);
  EXPECT_EQ(app->IdeServiceCall(21, 0x9990), 1);
  EXPECT_NE(f->Debugger()->Windows().Disassembly(), nullptr);
}

// A double click in the text that selects no word is the breakpoint toggle
// of its line; one on a word selects the word only.
TEST_F(DebugStopFrameTest, ADoubleClickThatSelectsNothingTogglesTheLinesBreakpoint) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = test::ExampleFrameTest::OpenActive(f, dir + "Blinky.c", 36);
  ASSERT_NE(v, nullptr);
  const EditState& st = v->Engine().State();
  const int row = 36 - st.nTopLine;
  ASSERT_GE(row, 0);
  const int y = row * st.nLineHeight + st.nLineHeight / 2;
  CEditLine* line = v->Text().GetLine(36);
  const int end = st.nLeftMargin + (int(line->m_text.size()) + 6) * st.nCharWidth;
  ASSERT_LT(end, v->viewport()->width());
  // Past the end of the line: nothing to select, the breakpoint comes and goes.
  QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, QPoint(end, y));
  EXPECT_FALSE(v->Engine().HasSelection());
  EXPECT_TRUE(line->m_nFlags & kLineBreakSet);
  QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, QPoint(end, y));
  EXPECT_FALSE(line->m_nFlags & kLineBreakSet);
  // On the word: the word is selected, no breakpoint.
  QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, QPoint(st.nLeftMargin + 5 * st.nCharWidth, y));
  EXPECT_TRUE(v->Engine().HasSelection());
  EXPECT_FALSE(line->m_nFlags & kLineBreakSet);
}

TEST_F(DebugStopFrameTest, StartStopIsPressedOnlyDuringTheSession) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s));
  EXPECT_EQ(f->QueryCommand(32802).check, 1);
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_FALSE(f->Debugger()->Session().SessionActive());
  EXPECT_EQ(f->QueryCommand(32802).check, 0);
  EXPECT_TRUE(f->QueryCommand(32802).enabled);
  // Not while a build runs.
  app->SetState(kStateBusy);
  EXPECT_FALSE(f->QueryCommand(32802).enabled);
  app->ClearState(kStateBusy);
}

// A driver that posts texts from its own memory just before its end: the
// session unloads it before the GUI thread handles the posts, which then
// show what the driver said, not what is left at those addresses.
TEST_F(DebugStopFrameTest, WhatTheDriverPostedIsShownAfterTheSessionUnloadedIt) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s, "endposts Stopped: last words\n"));
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_FALSE(f->Debugger()->Session().SessionActive());
  const std::string library = root + "PM2/TestDrv.so";
  void* still = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (still) dlclose(still);
  ASSERT_EQ(still, nullptr) << "the session's end left the driver loaded";
  QCoreApplication::processEvents();
  EXPECT_EQ(app->m_szDriverStatus, "Stopped: last words");
  EXPECT_NE(f->Debugger()->CommandPage()->Text().toStdString().find("Stopped: last words"), std::string::npos)
      << f->Debugger()->CommandPage()->Text().toStdString();
}

// The frame closed mid-session (the program ends, a test ends) ends the
// driver, whose last notices (its target's stop, its own end) still find
// the session whole, and whose posts go with the frame.
TEST_F(DebugStopFrameTest, ADriverThatStopsAsTheFrameClosesMidSessionFindsTheSessionWhole) {
  {
    test::ExampleSession s(dir, root);
    ASSERT_TRUE(s.started);
    ASSERT_TRUE(StartAt(s, "endstops\n"));
  }
  QCoreApplication::processEvents();
  const std::string library = root + "PM2/TestDrv.so";
  void* still = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (still) dlclose(still);
  EXPECT_EQ(still, nullptr) << "the frame's close left the driver loaded";
}

// A connected add-in is told its commands' states when a session ends:
// the states it had before the session, for each of its six commands.
TEST_F(DebugStopFrameTest, TheConnectedAddInIsToldWhenTheSessionEnds) {
  const std::string peer = QCoreApplication::applicationDirPath().toStdString() + "/../shell/tools/shell_tools_addin_peer";
  ASSERT_TRUE(std::filesystem::exists(peer)) << peer;
  const std::string log = dir + "addin-stop.log";
  qputenv("PM2_ADDIN_LOG", QByteArray::fromStdString(log));
  qputenv("PM2_ADDIN_ANSWER", "1");
  auto logLines = [&] {
    std::vector<std::string> lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  };
  auto states = [](int state) {
    std::vector<std::string> lines;
    for (unsigned id = kAddInCmdRun; id <= kAddInCmdReference; ++id)
      lines.push_back("code 80000004 " + std::to_string(id) + " state " + std::to_string(state));
    return lines;
  };
  {
    test::ExampleSession s(dir, root);
    ASSERT_TRUE(s.started);
    s.settings.WriteProfileString("Settings\\EasyCase", "Bin", peer.c_str());
    ASSERT_TRUE(StartAt(s));
    AddInCommands* addIns = f->AddIns();
    ASSERT_NE(addIns, nullptr);
    ASSERT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
    ASSERT_TRUE(addIns->Logic().Running());
    // Started during the session, it learns the session's states.
    ASSERT_TRUE(test::WaitFor([&] { return logLines().size() >= 6; }));
    EXPECT_EQ(logLines(), states(0));
    ASSERT_TRUE(f->ExecuteCommand(32802));
    ASSERT_FALSE(f->Debugger()->Session().SessionActive());
    ASSERT_TRUE(test::WaitFor([&] { return logLines().size() >= 12; }));
    std::vector<std::string> afterStop = logLines();
    afterStop.erase(afterStop.begin(), afterStop.begin() + 6);
    EXPECT_EQ(afterStop, states(1));
    // Told to close, it detaches.
    ASSERT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
    EXPECT_TRUE(test::WaitFor([&] { return !addIns->Logic().Running(); }));
  }
  qunsetenv("PM2_ADDIN_ANSWER");
  qunsetenv("PM2_ADDIN_LOG");
}

// A connected add-in hears of a C file of the project the user opens, not
// of a file of another kind.
TEST_F(DebugStopFrameTest, AConnectedAddInHearsOfAProjectCFileOpened) {
  const std::string peer = QCoreApplication::applicationDirPath().toStdString() + "/../shell/tools/shell_tools_addin_peer";
  ASSERT_TRUE(std::filesystem::exists(peer)) << peer;
  const std::string log = dir + "addin-open.log";
  qputenv("PM2_ADDIN_LOG", QByteArray::fromStdString(log));
  qputenv("PM2_ADDIN_ANSWER", "1");
  auto logLines = [&] {
    std::vector<std::string> lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  };
  {
    test::ExampleSession s(dir, root);
    ASSERT_TRUE(s.started);
    s.settings.WriteProfileString("Settings\\EasyCase", "Bin", peer.c_str());
    f = s.Frame();
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
    ASSERT_TRUE(f->AddIns()->Logic().Running());
    // The command states first.
    ASSERT_TRUE(test::WaitFor([&] { return logLines().size() >= 6; }));
    ASSERT_NE(f->Editors().Open(dir + "Startup.s"), nullptr);
    ASSERT_NE(f->Editors().Open(dir + "LED.c"), nullptr);
    ASSERT_TRUE(test::WaitFor([&] { return logLines().size() >= 7; }));
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[6].rfind("code 80000002 ", 0), 0u) << lines[6];
    EXPECT_EQ(f->AddIns()->Logic().Link().currentFile, dir + "LED.c");
    ASSERT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
    EXPECT_TRUE(test::WaitFor([&] { return !f->AddIns()->Logic().Running(); }));
  }
  qunsetenv("PM2_ADDIN_ANSWER");
  qunsetenv("PM2_ADDIN_LOG");
}

// An add-in that never answers is connected when the session starts. The
// stop at main tells it the file and the line, two requests; the session's
// end its six command states. One Esc ends the wait of each: without that,
// the line's request would hold the window its whole reply time and
// detach the add-in with a message. The add-in still hears every block.
TEST_F(DebugStopFrameTest, OneEscEndsEachWaitOfASilentAddInInASession) {
  const std::string peer = QCoreApplication::applicationDirPath().toStdString() + "/../shell/tools/shell_tools_addin_peer";
  ASSERT_TRUE(std::filesystem::exists(peer)) << peer;
  const std::string log = dir + "addin-silent.log";
  qputenv("PM2_ADDIN_LOG", QByteArray::fromStdString(log));
  qputenv("PM2_ADDIN_SILENT", "1");
  auto logText = [&] {
    std::ifstream in(log);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  std::string states;  // as the add-in logs them (without the state)
  for (unsigned id = kAddInCmdRun; id <= kAddInCmdReference; ++id) states += "code 80000004 " + std::to_string(id) + "\n";
  {
    test::ExampleSession s(dir, root);
    ASSERT_TRUE(s.started);
    s.settings.WriteProfileString("Settings\\EasyCase", "Bin", peer.c_str());
    test::BoxAnswers closer({QMessageBox::Ok});
    f = s.Frame();
    ASSERT_NE(f, nullptr);
    // Esc once, at the first wait of what is done next. A wait after it
    // would last the add-in's whole reply time and detach it with a box.
    int escapes = 0;
    QTimer esc;
    QObject::connect(&esc, &QTimer::timeout, [&] {
      if (escapes > 0 || f->Status()->GetWindowText().rfind("Waiting", 0) != 0) return;
      ++escapes;
      QTest::keyClick(f, Qt::Key_Escape);
    });
    esc.start(20);
    ASSERT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
    ASSERT_TRUE(f->AddIns()->Logic().Running());
    ASSERT_TRUE(test::WaitFor([&] { return logText() == states; })) << logText();
    // Coming back from the add-in's wait, the program checks for changed
    // files first (a deferred command, which the start would wait behind).
    ASSERT_TRUE(test::WaitFor([&] { return !s.App().Deferred().Pending(); }));
    ASSERT_TRUE(StartAt(s));
    // The stop at main: the file and its line.
    escapes = 0;
    Stop();
    EXPECT_EQ(escapes, 1);
    EXPECT_TRUE(f->AddIns()->Logic().Running());
    EXPECT_TRUE(closer.texts.empty()) << closer.texts[0];
    EXPECT_EQ(f->Status()->GetWindowText(), "Ready");
    const std::string stop = "code 80000002 0\ncode 80000003 35\n";
    EXPECT_TRUE(test::WaitFor([&] { return logText() == states + stop; })) << logText();
    // The session's end: the six states.
    escapes = 0;
    ASSERT_TRUE(f->ExecuteCommand(32802));
    ASSERT_FALSE(f->Debugger()->Session().SessionActive());
    EXPECT_EQ(escapes, 1);
    EXPECT_TRUE(f->AddIns()->Logic().Running());
    EXPECT_TRUE(closer.texts.empty()) << closer.texts[0];
    EXPECT_TRUE(test::WaitFor([&] { return logText() == states + stop + states; })) << logText();
    // Stopped: asked to close, with its wait ended the same way.
    escapes = 0;
    EXPECT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
    esc.stop();
    EXPECT_LE(escapes, 1);
    EXPECT_TRUE(closer.texts.empty()) << closer.texts[0];
    EXPECT_EQ(f->Status()->GetWindowText(), "Ready");
    EXPECT_TRUE(test::WaitFor([&] { return logText() == states + stop + states + "code 80000001 0\n"; }))
        << logText();
  }
  qunsetenv("PM2_ADDIN_SILENT");
  qunsetenv("PM2_ADDIN_LOG");
}

// A client of the event interface steps into a function and sends Step Out
// the moment it hears the step's stop, before the windows' refresh after
// the stop (which waits for its timer: the test serves only what the
// client's requests ask of the GUI thread, never a timer). The step out is
// answered from that stop's call stack, as the window's Step Out would be
// after the refresh: the target leaves the function.
TEST_F(DebugStopFrameTest, AClientsStepOutRightAfterAStopIsServedFromThatStop) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  // main (called by nobody) at 0x200; a step into enters LED_Init (0x300),
  // called from 0x208.
  ASSERT_TRUE(StartAt(s, "frame 0 200\nenter 208 300\nstepstops\n"));
  Stop();
  ASSERT_FALSE(f->QueryCommand(32741).enabled) << "Step Out at main, which nothing called";
  int code = -1;
  const std::string heard = RunClient("stepout", &code);
  EXPECT_EQ(code, 0) << heard;
  EXPECT_EQ(heard.find("Cannot StepOut"), std::string::npos) << heard;
  // The driver stepped in, and out again.
  const ScriptedDriverLog driver(root);
  ASSERT_NE(driver.lib, nullptr);
  const std::string log = driver.Text();
  const std::size_t in = log.find("step 0\n");
  EXPECT_NE(in, std::string::npos) << log;
  EXPECT_NE(log.find("step 2\n", in), std::string::npos) << log;
}

// A client's breakpoint goes to the loaded driver, whose own rules say
// what its expressions do: the scripted driver takes a location the GDB
// driver would refuse as a call and refuses one by a reason of its own.
// The program asks the driver through the driver interface, whichever it is.
TEST_F(DebugStopFrameTest, AClientsBreakpointIsJudgedByTheLoadedDriversOwnRules) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s, "writes R1_=_7 the scripted driver writes R1 here\n"));
  Stop();
  const ScriptedDriverLog driver(root);
  ASSERT_NE(driver.lib, nullptr);
  driver.Clear();
  int code = -1;
  const std::string heard = RunClient("breakpoints:LED_On(2), 3|R1 = 7, 2", &code);
  const std::string log = driver.Text();
  EXPECT_EQ(code, 0) << heard;
  EXPECT_NE(heard.find("set LED_On(2), 3 1"), std::string::npos) << heard;
  EXPECT_NE(heard.find("status SetBreakpoint: the scripted driver writes R1 here"), std::string::npos) << heard;
  EXPECT_NE(heard.find("set R1 = 7, 2 0"), std::string::npos) << heard;
  EXPECT_NE(log.find("exec BS LED_On(2), 3\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("exec BS R1"), std::string::npos) << log;
}

// A client's breakpoint whose command the options file could not hold in
// its angle brackets is refused as the Command page refuses it, the reason
// in the client's status text: the driver never defines it, so no
// breakpoint the client set is lost when the session keeps its
// breakpoints. One the file holds is set.
TEST_F(DebugStopFrameTest, AClientsBreakpointTheProjectCannotKeepIsRefused) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s, ""));
  Stop();
  const ScriptedDriverLog driver(root);
  ASSERT_NE(driver.lib, nullptr);
  driver.Clear();
  int code = -1;
  const std::string heard = RunClient("breakpoints:LED_On, 2, \"print U>3\"|LED_On, 2, \"print U\"", &code);
  const std::string log = driver.Text();
  EXPECT_EQ(code, 0) << heard;
  EXPECT_NE(heard.find("set LED_On, 2, \"print U>3\" 0"), std::string::npos) << heard;
  EXPECT_NE(heard.find("status SetBreakpoint: BS: The breakpoint's command 'print U>3' cannot be kept with the "
                       "project: it holds a '>' without its '<'."),
            std::string::npos)
      << heard;
  EXPECT_NE(heard.find("set LED_On, 2, \"print U\" 1"), std::string::npos) << heard;
  EXPECT_EQ(log.find("exec BS LED_On, 2, \"print U>3\""), std::string::npos) << log;
  EXPECT_NE(log.find("exec BS LED_On, 2, \"print U\"\n"), std::string::npos) << log;
}

// Steps pressed in one burst, each before the stop of the one before
// reached the windows (keys held down, or a client's requests back to
// back): a client of the event interface hears every start and every stop,
// in order, and the last it hears before the session's end is the stop
// where the target stands. A step the driver refuses is told as a start
// and its stop all the same.
struct StepBurstRow {
  const char* name;
  std::vector<CommandId> keys;  // pressed in turn, twenty in all
  const char* script = "";      // more for the driver
};

class StepBurst : public DebugStopFrameTest, public ::testing::WithParamInterface<StepBurstRow> {};

TEST_P(StepBurst, EveryStartAndStopIsToldInOrder) {
  const std::string client = QCoreApplication::applicationDirPath().toStdString() + "/debugger_ipc_client";
  ASSERT_TRUE(std::filesystem::exists(client)) << client;
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  std::string calls;
  for (int i = 0; i < 20; ++i) calls += "enter 208 300\n";
  ASSERT_TRUE(StartAt(s, "frame 0 200\n" + calls + "stepstops\n" + GetParam().script));
  Stop();
  const IpcNamespace ns = IpcNamespace::FromEnvironment();
  QProcess child;
  child.start(QString::fromStdString(client), {QString::fromStdString(ns.suffix),
                                               QString::fromStdString(ns.runtimeDir), "until:debugger stopped"});
  ASSERT_TRUE(child.waitForStarted());
  // Served until the client was answered who the program is.
  ASSERT_TRUE(test::WaitFor([&] { return child.canReadLine() || (child.waitForReadyRead(5) && child.canReadLine()); }));
  ASSERT_EQ(child.readLine().toStdString().rfind("identity ", 0), 0u);
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  const auto driverLog = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
  const auto clearLog = reinterpret_cast<void (*)()>(dlsym(driver, "TestDriverClearLog"));
  clearLog();
  const std::vector<CommandId>& keys = GetParam().keys;
  for (int i = 0; i < 20; ++i) f->ExecuteCommand(keys[i % keys.size()]);
  // The stops reach the windows, and the session ends.
  QCoreApplication::processEvents();
  char pc[16];
  std::snprintf(pc, sizeof pc, "0x%X", f->Debugger()->Session().ProgramCounter());
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return child.state() == QProcess::NotRunning || child.waitForFinished(5); }));
  const std::string heard = child.readAllStandardOutput().toStdString();
  ASSERT_EQ(child.exitCode(), 0) << heard;
  // The runs the driver was asked for.
  int runs = 0;
  const std::string log = driverLog();
  for (std::size_t at = log.find("step "); at != std::string::npos; at = log.find("step ", at + 1)) ++runs;
  dlclose(driver);
  ASSERT_GT(runs, 1) << log;
  std::vector<std::string> told;
  std::istringstream lines(heard);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("execution ", 0) == 0) told.push_back(line);
  std::vector<std::string> expected;
  for (int i = 0; i < runs; ++i) {
    expected.push_back("execution started");
    expected.push_back("execution stopped");
  }
  ASSERT_EQ(told.size(), expected.size()) << heard;
  for (std::size_t i = 0; i < told.size(); ++i)
    EXPECT_EQ(told[i].rfind(expected[i], 0), 0u) << "notification " << i << " of\n" << heard;
  EXPECT_EQ(told.back(), std::string("execution stopped ") + pc) << heard;
}

INSTANTIATE_TEST_SUITE_P(Rows, StepBurst,
                         ::testing::Values(StepBurstRow {"StepOver", {32795}},
                                           StepBurstRow {"StepInto", {32794}},
                                           StepBurstRow {"StepIntoAndOut", {32794, 32741}},
                                           // The driver refuses every step: each ends as a stop.
                                           StepBurstRow {"StepsRefused", {32795}, "refusesteps\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

// F2 on the register page in the frame edits the register, not the watch
// expression that the frame's F2 would start; the new value reaches the
// driver.
TEST_F(DebugStopFrameTest, F2OnTheRegisterPageEditsTheRegister) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s, "group Core 1\nreg 0 R0 00000001 edit\neval 0x2A 2A\n"));
  RegisterPage* page = f->Debugger()->Registers();
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->Model().Rows().size(), 2u);
  page->SelectItem(page->GetItemAtRow(1));
  page->setFocus();
  QTest::keyClick(page, Qt::Key_F2);
  SECListEdit* e = page->GetEditControl();
  ASSERT_NE(e, nullptr) << "F2 did not reach the register page";
  e->setPlainText("0x2A");
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(page->GetEditControl(), nullptr);
  // The driver's text of the value it was given.
  EXPECT_EQ(page->GetItemText(page->GetItemAtRow(1), 1), "0x0000002A");
}

// The register page reads the target only while it is the project bar's
// page in front: a refresh with the files page in front reads nothing; the
// page coming to the front reads the registers, and so do the refreshes
// and stops after that.
TEST_F(DebugStopFrameTest, TheRegisterPageReadsTheTargetOnlyWhileInFront) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  ASSERT_TRUE(StartAt(s, "group Core 1\nreg 0 R0 00000001\n"));
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
  auto clear = reinterpret_cast<void (*)()>(dlsym(driver, "TestDriverClearLog"));
  auto reads = [&] {
    const std::string text = log();
    int n = 0;
    for (std::size_t at = 0; (at = text.find("regrefresh", at)) != std::string::npos; ++at) ++n;
    return n;
  };
  CPrjWin* bar = f->ProjectBar();
  ASSERT_NE(bar, nullptr);
  // Each page's tab carries its icon, the session's register page too.
  for (int i = 0; i < 3; ++i) EXPECT_NE(static_cast<const SEC3DTab&>(bar->Tabs()->TabCtrl()->GetTab(i)).m_hIcon, nullptr) << i;
  bar->ActivatePane(CPrjWin::kFilesPageId);
  clear();
  app->IdeServiceCall(31, 1);  // the driver asks the windows to refresh
  EXPECT_EQ(reads(), 0) << log();
  // The user brings the page to the front with its tab.
  bar->Tabs()->TabCtrl()->ActivateTab(1);
  EXPECT_EQ(reads(), 1) << log();
  app->IdeServiceCall(31, 1);
  EXPECT_EQ(reads(), 2) << log();
  Stop();
  EXPECT_TRUE(test::WaitFor([&] { return reads() == 3; })) << log();
  bar->ActivatePane(CPrjWin::kBooksPageId);
  clear();
  app->IdeServiceCall(31, 1);
  EXPECT_EQ(reads(), 0) << log();
  dlclose(driver);
}

// A close that arrives while the driver starts (a driver waiting for its
// server runs the message pump) is refused with a beep: the program stays,
// and the session comes up whole.
TEST_F(DebugStopFrameTest, TheProgramDoesNotCloseWhileTheDriverStarts) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  const std::string library = root + "PM2/TestDrv.so";
  int closes = 0;
  bool closed = true;
  int beepsBefore = 0;
  QTimer watch;
  watch.setInterval(0);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    // Only once the driver is inside its start and pumping.
    void* lib = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return;
    auto log = reinterpret_cast<const char* (*)()>(dlsym(lib, "TestDriverLog"));
    const bool pumping = log && std::string(log()).find("pump") != std::string::npos &&
                         std::string(log()).find("drivertext") == std::string::npos;
    dlclose(lib);
    if (!pumping || closes) return;
    ++closes;
    beepsBefore = s.runtime.Dialogs().BeepCount();
    closed = f->close();
  });
  watch.start();
  ASSERT_TRUE(StartAt(s, "pumps\n"));
  watch.stop();
  ASSERT_EQ(closes, 1);
  EXPECT_FALSE(closed);
  EXPECT_EQ(s.runtime.Dialogs().BeepCount(), beepsBefore + 1);
  EXPECT_TRUE(f->isVisible());
  EXPECT_NE(app->Project(), nullptr);
  EXPECT_TRUE(f->Debugger()->Session().SessionActive());
  // Once started, the close goes through: the session ends with it.
  EXPECT_TRUE(f->close());
  EXPECT_FALSE(f->Debugger()->Session().SessionActive());
}

}  // namespace
}  // namespace pm2
