#include "session_fixture.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "project/files/debug_lists.h"
#include "project/model/key_values.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

bool Has(const std::string& log, const std::string& line) { return log.find(line + "\n") != std::string::npos; }

TEST_F(SessionTest, StartCallsTheDriverInOrderAndTheSessionIsActive) {
  host.firstRun = true;
  Start();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  const std::string log = DriverLog();
  const std::size_t b1 = log.find("boot 1"), b2 = log.find("boot 2"), b3 = log.find("boot 3"),
                    b4 = log.find("boot 4");
  ASSERT_NE(b4, std::string::npos) << log;
  EXPECT_LT(b1, b2);
  EXPECT_LT(b2, b3);
  EXPECT_LT(b3, b4);
  // The driver's own record is the active one; the IDE's copy follows it.
  EXPECT_NE(session->Record(), &session->Mirror());
  EXPECT_TRUE(session->Mirror().flags & kDbgFlagActive);
  EXPECT_EQ(session->Record()->flags & kDbgFlagsAtStart, uint32_t(kDbgFlagsAtStart));
  // The program file of an ARM-GNU target ends in ".ELF".
  EXPECT_TRUE(Has(log, "program " + dir.path() + "/Obj/Blinky.ELF")) << log;
  EXPECT_EQ(host.calls[0], "save 1");
  EXPECT_EQ(host.calls[1], "apply 0");
  EXPECT_TRUE(host.Called("debug toolbar"));
  EXPECT_TRUE(routed.Called("DisableTargetBox"));
  EXPECT_TRUE(routed.Called("ShowOutputPage 1"));
  EXPECT_EQ(routed.commandLines[0], "Test driver: session started\n");
  EXPECT_TRUE(dialogs.boxes.empty());
}

// "Go till main()" of the debug options: the session runs to main's address
// from the driver's symbols; a program without main says so and stays.
struct GoMainRow {
  const char* name;
  std::string script;
  uint32_t optionBits;  // the simulator side's bits 2-8 of the debug option word
  std::string go;       // the driver's run, "" none
  bool said;            // the command window says that main is missing
};

class GoTillMain : public SessionTest, public ::testing::WithParamInterface<GoMainRow> {};

TEST_P(GoTillMain, RunsToMainWhenAsked) {
  Script(GetParam().script);
  uint32_t& flags = project->curTarget->pOpts->dbg.flags;
  flags = (flags & ~0x1FCu) | GetParam().optionBits;
  Start();
  ASSERT_TRUE(session->SessionActive());
  const std::string log = DriverLog();
  const std::size_t go = log.find("go ");
  if (GetParam().go.empty()) {
    EXPECT_EQ(go, std::string::npos) << log;
  } else {
    EXPECT_TRUE(Has(log, GetParam().go)) << log;
    // The run comes after the driver started the program.
    EXPECT_LT(log.find("boot 4"), go);
    // Told as the start of execution, after the session's start.
    EXPECT_EQ(ipc.events, (std::vector<std::string>{"debugger started", "execution started"}));
  }
  bool said = false;
  for (const std::string& l : routed.commandLines) said |= l.find("no function 'main'") != std::string::npos;
  EXPECT_EQ(said, GetParam().said);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GoTillMain,
    ::testing::Values(GoMainRow{"MainFound", "sym LED_Init 1 180 0\nsym main 1 2A8 0\n", 0xC, "go 680", false},
                      GoMainRow{"NoMain", "sym LED_Init 1 180 0\n", 0xC, "", true},
                      GoMainRow{"OptionOff", "sym main 1 2A8 0\n", 0x4, "", false},
                      GoMainRow{"WithoutLoadingTheProgram", "sym main 1 2A8 0\n", 0x8, "", false},
                      GoMainRow{"MainIsNoAddress", "sym main 10 3 0\n", 0xC, "", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Breakpoints that outlast a session ("Breakpoints" of the debug options):
// the stored ones are set in the driver at the start, the driver's go back
// into the target at the end.
class LastingBreakpoints : public SessionTest {
 protected:
  BreakpointRec* Stored(const char* file, uint32_t line, bool enabled) {
    BreakpointRec* b = AppendBreakpoint(project->curTarget);
    b->flags = uint8_t(enabled ? kBreakFlag3 : 0);
    b->value1 = line;
    b->text1 = OptString::Pooled(file, kPoolDebugLists);
    return b;
  }
  std::vector<std::string> StoredList() const {
    std::vector<std::string> out;
    for (const BreakpointRec* b = project->curTarget->breakpoints; b; b = b->next)
      if (!(b->flags & kBreakFlag4))
        out.push_back(b->text1.str() + ":" + std::to_string(b->value1) + ((b->flags & kBreakFlag3) ? "" : " off"));
    return out;
  }
  void Options(bool keep) {
    uint32_t& flags = project->curTarget->pOpts->dbg.flags;
    flags = (flags & ~0x1FCu) | 0x4 | (keep ? 0x10u : 0u);  // load, breakpoints
  }
  // Blinky.c has code on lines 20 (two pairs), 22 and 31; LED.c's table is
  // unknown.
  const std::string lines =
      "line Blinky.c 20 200\nline Blinky.c 20 208\nline Blinky.c 22 210\nline Blinky.c 31 220\n";
};

TEST_F(LastingBreakpoints, StoredOnesAreSetAtTheStart) {
  Script(lines);
  Options(true);
  Stored("Blinky.c", 20, true);
  Stored("blinky.c", 22, false);  // names compare ignoring case
  Stored("Blinky.c", 30, true);   // no code: the next line with code
  Stored("LED.c", 5, true);       // the driver knows no line there
  Start();
  ASSERT_TRUE(session->SessionActive());
  const std::string log = DriverLog();
  EXPECT_TRUE(Has(log, "breakpoint 512 3")) << log;  // line 20's first instruction
  EXPECT_FALSE(Has(log, "breakpoint 520 3")) << log;
  EXPECT_TRUE(Has(log, "breakpoint 528 3")) << log;
  EXPECT_TRUE(Has(log, "breakpoint 528 2")) << log;  // disabled as stored
  EXPECT_TRUE(Has(log, "breakpoint 544 3")) << log;
  EXPECT_FALSE(Has(log, "breakpoint 512 2")) << log;
  EXPECT_EQ(session->Record()->DbgBreakpoint(0x210, 1), 2u);
}

TEST_F(LastingBreakpoints, TheDriversBreakpointsAreKeptAtTheEnd) {
  // The driver's list at the end: 0x200 enabled, 0x220 disabled, one at an
  // address without source, one with a command (kept with it).
  Script(lines + "bp 10 200 1 -\nbp 0 220 1 -\nbp 10 900 1 -\nbp 10 210 1 - \"display\"\n");
  Options(true);
  Stored("Blinky.c", 22, true);  // set at the start, killed in the session
  Stored("LED.c", 5, false);     // never in the driver: kept as it was
  Start();
  ASSERT_TRUE(session->SessionActive());
  session->StopDebugger();
  ASSERT_FALSE(session->SessionActive());
  // The one on line 22 the driver lists takes the stored one's place: the
  // list keeps its order from session to session.
  EXPECT_EQ(StoredList(), (std::vector<std::string>{"Blinky.c:22", "LED.c:5 off", "Blinky.c:20", "Blinky.c:31 off"}));
  std::string command;
  for (const BreakpointRec* b = project->curTarget->breakpoints; b; b = b->next)
    if (b->value1 == 22) command = b->inlineText.str();
  EXPECT_EQ(command, "\\\"display\\\"");
  // A second session sets them again.
  ClearDriverLog();
  Script(lines);
  Options(true);
  Start();
  EXPECT_TRUE(Has(DriverLog(), "breakpoint 512 3")) << DriverLog();
}

TEST_F(LastingBreakpoints, WithoutTheOptionNothingIsSetOrKept) {
  Script(lines + "bp 10 200 1 -\n");
  Options(false);
  Stored("Blinky.c", 22, true);
  Start();
  ASSERT_TRUE(session->SessionActive());
  EXPECT_EQ(DriverLog().find("breakpoint "), std::string::npos) << DriverLog();
  session->StopDebugger();
  EXPECT_EQ(StoredList(), std::vector<std::string>{"Blinky.c:22"});
}

TEST_F(SessionTest, WindowsOfTheFlagsOpenBeforeAndAfterTheDriverStarts) {
  // Disassembly (0x2), serial 2 (0x10), symbols (0x4000), code coverage (0x4).
  Script("windows 4016\n");
  Start();
  ASSERT_TRUE(session->SessionActive());
  std::vector<std::string> opened;
  for (const auto& c : host.calls)
    if (c.starts_with("open ")) opened.push_back(c);
  EXPECT_EQ(opened, (std::vector<std::string>{"open 0 after boot 3", "open 2 after boot 3", "open 5 after boot 4",
                                              "open 6 after boot 4"}));
}

struct FailRow {
  const char* name;
  std::string script;         // the driver's script
  int setup;                  // 0 as is, 1 no ARM section, 2 no DLL named, 3 unknown DLL, 4 no BootDll,
                              // 5 a driver file that is no library
  std::string message;        // the message box; "$" stands for the test folder
  bool driverCalled;
};

class StartFailure : public SessionTest, public ::testing::WithParamInterface<FailRow> {};

TEST_P(StartFailure, EndsIdleWithItsMessage) {
  const FailRow& row = GetParam();
  Script(row.script);
  OptionBlock* o = project->curTarget->pOpts;
  if (row.setup == 1) arm.toolsFolder.clear();
  if (row.setup == 2) o->dbg.str[0] = OptString();
  if (row.setup == 3) o->dbg.str[0] = OptString::Pooled("NOSUCH.DLL", kPoolScratch);
  if (row.setup == 4) {
    std::filesystem::create_directories(dir / "ARM/BIN");
    std::filesystem::copy_file("/lib/x86_64-linux-gnu/libm.so.6", dir / "ARM/BIN/NoBoot.so");
    o->dbg.str[0] = OptString::Pooled("NOBOOT.DLL", kPoolScratch);
  }
  if (row.setup == 5) {
    std::filesystem::create_directories(dir / "ARM/BIN");
    std::ofstream(dir / "ARM/BIN/NotALib.so") << std::string(200, 'x');
    o->dbg.str[0] = OptString::Pooled("NOTALIB.DLL", kPoolScratch);
  }
  Start();
  EXPECT_FALSE(session->SessionActive());
  EXPECT_FALSE(session->DriverLoaded());
  EXPECT_EQ(session->Record(), &session->Mirror());
  EXPECT_TRUE(host.Called("aborted"));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  std::string expected = row.message;
  if (auto at = expected.find('$'); at != std::string::npos) expected.replace(at, 1, dir.path());
  EXPECT_EQ(dialogs.boxes[0].text, expected);
  EXPECT_EQ(dialogs.boxes[0].kind, kMbOk | kMbIconExclamation);
  // A client of the event interface that asked for the session hears the
  // reason on its status line (one line, as the box says it), before the
  // session is told aborted.
  std::string reason = expected.substr(expected.compare(0, 4, "*** ") == 0 ? 4 : 0);
  reason = reason.substr(0, reason.find("\nDebugger aborted !"));
  while (!reason.empty() && reason.back() == '\n') reason.pop_back();
  EXPECT_NE(std::find(ipc.events.begin(), ipc.events.end(), "status " + reason), ipc.events.end())
      << ::testing::PrintToString(ipc.events);
  EXPECT_EQ(DriverLog().find("boot 1") != std::string::npos, row.driverCalled);
  if (row.driverCalled) {
    // Torn down: the build layout is back and the driver was told to exit.
    EXPECT_TRUE(host.Called("no registers"));
    EXPECT_TRUE(host.Called("apply 1"));
    EXPECT_TRUE(Has(DriverLog(), "exit"));
    EXPECT_TRUE(routed.Called("EnableTargetBox"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartFailure,
    ::testing::Values(
        FailRow{"NoToolsetSection", "", 1, "Bad or missing [ARM] section in file 'Tools.Ini'", false},
        FailRow{"NoDriverNamed", "", 2, "No CPU DLL specified under 'Options for Target - Debug' !", false},
        FailRow{"DriverNotFound", "", 3, "*** Error: '$/ARM/BIN/NOSUCH' not found\n", false},
        FailRow{"NoBootDll", "", 4, "*** Error: '$/ARM/BIN/NOBOOT' invalid debug Dll\n", false},
        FailRow{"NotALibrary", "", 5, "*** Error: not a driver library: $/ARM/BIN/NotALib.so: invalid ELF header\n",
                false},
        FailRow{"FailsAtCode3", "fail 3 no target connected\n", 0, "Error: no target connected\nDebugger aborted !",
                true},
        FailRow{"FailsAtCode4", "fail 4 program not loaded\n", 0, "Error: program not loaded\nDebugger aborted !",
                true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, StopEndsTheSessionAndFreesTheDriver) {
  host.open[int(DebugWindow::Serial1)] = false;
  Start();
  ASSERT_TRUE(session->SessionActive());
  host.calls.clear();
  session->StopDebugger();
  EXPECT_FALSE(session->SessionActive());
  EXPECT_FALSE(session->DriverLoaded());
  EXPECT_EQ(session->Record(), &session->Mirror());
  EXPECT_TRUE(Has(DriverLog(), "control 10"));
  EXPECT_TRUE(Has(DriverLog(), "control 9"));
  EXPECT_TRUE(Has(DriverLog(), "exit"));
  // The add-in hears of the end first.
  EXPECT_EQ(host.calls[0], "ending");
  EXPECT_EQ(host.calls[1], "save 0");
  EXPECT_EQ(host.calls[2], "apply 1");
  EXPECT_TRUE(host.Called("no registers"));
  EXPECT_TRUE(routed.Called("ShowOutputPage 0"));
  // The IDE's own record carries its callbacks again.
  EXPECT_NE(session->Mirror().IdeServiceCall, nullptr);
  EXPECT_EQ(session->Mirror().notifyMessage, 0x414u);
}

TEST_F(SessionTest, ThirdRefusalShowsTheDriversReason) {
  Script("refuse 3 target still flashing\n");
  Start();
  ASSERT_TRUE(session->SessionActive());
  session->StopDebugger();
  session->StopDebugger();
  EXPECT_TRUE(session->SessionActive());
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(dialogs.beeps, 0);
  session->StopDebugger();
  EXPECT_TRUE(session->SessionActive());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "target still flashing");
  EXPECT_EQ(dialogs.beeps, 1);
  session->StopDebugger();  // the driver now agrees
  EXPECT_FALSE(session->SessionActive());
}

TEST_F(SessionTest, StartStopCommandBeepsWhileTheTargetRuns) {
  Start();
  SetExecuting(true);
  session->OnDebugStartStop();
  EXPECT_EQ(dialogs.beeps, 1);
  EXPECT_TRUE(session->SessionActive());
  SetExecuting(false);
  session->OnDebugStartStop();
  EXPECT_FALSE(session->SessionActive());
}

TEST_F(SessionTest, StartStopWithoutSessionSchedulesTheStart) {
  session->OnDebugStartStop();
  EXPECT_TRUE(app->Deferred().Pending());
  EXPECT_FALSE(session->SessionActive());
  EXPECT_TRUE(DriverLog().empty());
}

TEST_F(SessionTest, SecondStartStopsTheRunningSession) {
  Start();
  ASSERT_TRUE(session->SessionActive());
  Start();
  EXPECT_FALSE(session->SessionActive());
  EXPECT_TRUE(host.Called("aborted"));
}

TEST_F(SessionTest, StartStopIsGreyedForATargetThatCannotBeDebugged) {
  EXPECT_TRUE(session->StartStopEnabled());
  project->curTarget->toolset = 5;  // "above 5" means anything not 0 to 4
  EXPECT_FALSE(session->StartStopEnabled());
  project->curTarget->toolset = 3;
  app->SetState(kStateBusy);
  EXPECT_FALSE(session->StartStopEnabled());
}

TEST_F(SessionTest, SessionStartedWithDashDClosesTheProgramAtTheEnd) {
  app->SetState(kStateDebugOnStart);
  Start();
  session->StopDebugger();
  EXPECT_TRUE(routed.Called("CloseMainWindow"));
}

TEST_F(SessionTest, WindowFlagsGoBackIntoTheTargetWithTheSerialHexMode) {
  // Serial windows 1 and 3 open, the third one's hex mode (0x40000) on.
  project->curTarget->debugFlags = 0x10 | 0x80000 | 0x40000;
  Start();
  ASSERT_TRUE(session->SessionActive());
  EXPECT_EQ(session->Record()->windowFlags & (kDbgWinSerial1 | kDbgWinSerial3 | 0x40000u),
            uint32_t(kDbgWinSerial1 | kDbgWinSerial3 | 0x40000u));
  session->StopDebugger();
  EXPECT_EQ(project->curTarget->debugFlags & (0x10u | 0x80000u | 0x40000u), 0x10u | 0x80000u | 0x40000u);
}

struct FlashRow {
  const char* name;
  int command;
  std::string script;
  std::string message;  // empty: no message
};

class FlashThroughDriver : public SessionTest, public ::testing::WithParamInterface<FlashRow> {};

TEST_P(FlashThroughDriver, CallsTheFlashCodesAndEndsTheSession) {
  Script(GetParam().script);
  // The flash options name the driver; its parameters are the target side's.
  OptionBlock* o = project->curTarget->pOpts;
  o->dbg.str[0] = OptString::Pooled("NOSUCH.DLL", kPoolScratch);
  o->flash.FLASH2 = OptString::Pooled("TestDrv.dll", kPoolScratch);
  o->dbg.str[6] = OptString::Pooled(scriptPath, kPoolScratch);
  session->FlashViaDriver(GetParam().command);
  const std::string log = DriverLog();
  const std::string code = GetParam().command == 35405 ? "boot 7" : "boot 6";
  EXPECT_LT(log.find("boot 5"), log.find(code)) << log;
  EXPECT_TRUE(Has(log, "exit"));
  EXPECT_FALSE(session->DriverLoaded());
  EXPECT_FALSE(session->InFlashSession());
  EXPECT_EQ(session->Record(), &session->Mirror());
  if (GetParam().message.empty()) {
    EXPECT_TRUE(dialogs.boxes.empty());
  } else {
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, GetParam().message);
    EXPECT_EQ(dialogs.beeps, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FlashThroughDriver,
    ::testing::Values(FlashRow{"DownloadOk", 35404, "", ""}, FlashRow{"EraseOk", 35405, "", ""},
                      FlashRow{"DownloadFails", 35404, "fail 6 no flash algorithm\n",
                               "Error: Flash Download failed  -  no flash algorithm"},
                      FlashRow{"EraseFails", 35405, "fail 7 sector locked\n",
                               "Error: Flash Erase failed  -  sector locked"}),
    [](const auto& info) { return std::string(info.param.name); });

// The tool box's buttons: the target's come to the shell when a session
// starts (the box may open before the driver does) and go back when it
// ends, unless the target's tool-box option is off; then they end with it.
TEST_F(SessionTest, ToolBoxButtonsComeFromTheTargetAndGoBackUnlessTheOptionIsOff) {
  struct Row {
    const char* name;
    bool keep;
  };
  for (const Row& row : {Row{"tool-box option on", true}, Row{"tool-box option off", false}}) {
    SCOPED_TRACE(row.name);
    TargetRec* t = project->curTarget;
    t->toolbox = nullptr;
    AppendToolboxButton(t, OptString::Pooled("Reset", kPoolDebugLists), OptString::Pooled("RESET", kPoolDebugLists));
    Script("");
    // The simulator side's tool-box bit (settings bit 7).
    OptionBlock* o = t->pOpts;
    o->dbg.flags = row.keep ? (o->dbg.flags | 0x100u) : (o->dbg.flags & ~0x100u);
    app->SetSavedToolBox({});
    Start();
    ASSERT_TRUE(session->SessionActive());
    ASSERT_EQ(app->SavedToolBox().size(), 1u);
    EXPECT_EQ(app->SavedToolBox()[0].text, "Reset");
    // The driver adds a button while the box is closed.
    const char* words[] = {"Go", "G"};
    EXPECT_EQ(app->IdeServiceCall(32, reinterpret_cast<intptr_t>(words)), 1);
    session->StopDebugger();
    ASSERT_FALSE(session->SessionActive());
    if (row.keep) {
      ASSERT_NE(t->toolbox, nullptr);
      EXPECT_STREQ(t->toolbox->text1.c_str(), "Reset");
      ASSERT_NE(t->toolbox->next, nullptr);
      EXPECT_STREQ(t->toolbox->next->text1.c_str(), "Go");
      EXPECT_STREQ(t->toolbox->next->text2.c_str(), "G");
      EXPECT_EQ(app->SavedToolBox().size(), 2u);
    } else {
      EXPECT_EQ(t->toolbox, nullptr);
      EXPECT_TRUE(app->SavedToolBox().empty());
    }
  }
}

TEST_F(SessionTest, StepAndRunGoToTheDriverOnlyWhileHalted) {
  Script("pc 100\n");
  Start();
  ClearDriverLog();
  intptr_t result = 0;
  EXPECT_TRUE(session->Service(8, 1, &result));  // step over
  session->Go();
  SetExecuting(true);
  session->Step(kDbgStepInto);  // refused while running
  session->StopRunning();
  EXPECT_EQ(DriverLog(), "step 1\ngo 4294967295\nstop\n");
  EXPECT_EQ(session->Record()->pc, 0x104u);
}

// Services 7, 8 and 2053 take the number of steps; into and over go by
// instruction where no source line is in view (the disassembly window in
// front, or the program counter's file not open), else by source line.
// Service 13 tells whether the disassembly window is open.
TEST_F(SessionTest, StepServicesTakeTheirCountAndTheStepKind) {
  struct Row {
    const char* name;
    int service;
    intptr_t count;
    bool byInstruction;
    const char* log;
  };
  const Row rows[] = {
      {"into by line", 7, 1, false, "step 0\n"},
      {"over by line, twice", 8, 2, false, "step 1\nstep 1\n"},
      {"into by instruction", 7, 1, true, "step 3\n"},
      {"over by instruction, three times", 8, 3, true, "step 4\nstep 4\nstep 4\n"},
      {"instructions, twice", 2053, 2, false, "step 3\nstep 3\n"},
  };
  Script("pc 100\n");
  Start();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    host.byInstruction = row.byInstruction;
    ClearDriverLog();
    intptr_t result = -1;
    EXPECT_TRUE(session->Service(row.service, row.count, &result));
    EXPECT_EQ(DriverLog(), row.log);
  }
  intptr_t open = -1;
  EXPECT_TRUE(session->Service(13, 0, &open));
  EXPECT_EQ(open, 0);
  host.open[int(DebugWindow::Disassembly)] = true;
  EXPECT_TRUE(session->Service(13, 0, &open));
  EXPECT_EQ(open, 1);
}

// Step out needs a call to return from: the innermost entry of the driver's
// call stack with a calling place that the driver will leave.
TEST_F(SessionTest, StepOutOnlyWithACallToReturnFrom) {
  struct Row {
    const char* name;
    const char* frames;
    bool executing;
    bool possible;
  };
  const Row rows[] = {
      {"a call with its caller", "frame 0 200\nframe 210 100\n", false, true},
      {"only the outermost entry", "frame 0 200\n", false, false},
      {"a call the driver will not leave", "frame 0 200\nframe 210 100 0\n", false, false},
      {"no call stack", "", false, false},
      {"the target running", "frame 0 200\nframe 210 100\n", true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Script(std::string("pc 100\n") + row.frames);
    Start();
    ASSERT_TRUE(session->SessionActive());
    session->Control(kDbgCtlBeforeCallStack, 0, 0);
    SetExecuting(row.executing);
    ClearDriverLog();
    const int beepsBefore = dialogs.beeps;
    intptr_t possible = -1, stepped = -1;
    EXPECT_TRUE(session->Service(12, 0, &possible));
    EXPECT_EQ(possible, row.possible ? 1 : 0);
    EXPECT_TRUE(session->Service(9, 1, &stepped));
    EXPECT_EQ(stepped, row.possible ? 1 : 0);
    EXPECT_EQ(DriverLog().find("step 2") != std::string::npos, row.possible) << DriverLog();
    // Refused while halted: a beep; while running the step is simply not taken.
    EXPECT_EQ(dialogs.beeps - beepsBefore, !row.possible && !row.executing ? 1 : 0);
    // Refused either way, the clients hear why.
    const bool told = std::find(ipc.events.begin(), ipc.events.end(), "status Cannot StepOut") != ipc.events.end();
    EXPECT_EQ(told, !row.possible);
    ipc.events.clear();
    SetExecuting(false);
    session->StopDebugger();
    ASSERT_FALSE(session->SessionActive());
  }
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// Paths of the settings block in the project's stored form: found as the
// build finds them (below the project folder, in either separator, in the
// case the files have on the disk).
struct PathRow {
  const char* name;
  const char* outDir;   // the output folder as stored
  const char* iniFile;  // the simulator's initialisation file as stored
  const char* onDisk;   // a file made first ("" none), below the project folder
  const char* program;  // the program file expected, below the project folder
  const char* ini;      // the initialisation file expected ("$" the project folder)
};

class SettingsPaths : public SessionTest, public ::testing::WithParamInterface<PathRow> {};

TEST_P(SettingsPaths, StoredFormsAreFoundBelowTheProject) {
  const PathRow& row = GetParam();
  const std::string folder = dir.path() + "/";
  if (*row.onDisk) {
    std::filesystem::create_directories(std::filesystem::path(folder + row.onDisk).parent_path());
    std::ofstream(folder + row.onDisk) << "x";
  }
  OptionBlock* o = project->curTarget->pOpts;
  o->out.OUTDIR = OptString::Pooled(row.outDir, kPoolScratch);
  o->dbg.str[4] = OptString::Pooled(row.iniFile, kPoolScratch);
  DebugSettings settings{};
  DeviceWords words;
  std::string err;
  ASSERT_EQ(BuildDebugSettings(*project, *project->curTarget, 3, &arm, kSettingsDebug, &settings, &words, &err), 1)
      << err;
  EXPECT_EQ(std::string(settings.programFile), folder + row.program);
  std::string ini = row.ini;
  if (!ini.empty() && ini[0] == '$') ini = folder + ini.substr(1);
  EXPECT_EQ(std::string(settings.initFile), ini);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsPaths,
    ::testing::Values(PathRow{"WindowsForm", ".\\Obj\\", ".\\sub\\x.ini", "", "Obj/Blinky.ELF", "$sub/x.ini"},
                      PathRow{"LinuxForm", "./Obj/", "./sub/x.ini", "", "Obj/Blinky.ELF", "$sub/x.ini"},
                      PathRow{"WithoutDot", "Obj\\", "x.ini", "", "Obj/Blinky.ELF", "x.ini"},
                      PathRow{"NoTrailingSeparator", ".\\Obj", "", "", "Obj/Blinky.ELF", ""},
                      PathRow{"ProjectFolder", ".\\", "", "", "Blinky.ELF", ""},
                      PathRow{"CaseOfTheFiles", ".\\OBJ\\", ".\\SUB\\X.INI", "obj/Blinky.elf", "obj/Blinky.elf",
                              "$SUB/X.INI"},
                      PathRow{"IniFileOnDisk", ".\\Obj\\", ".\\Sub\\Debug.ini", "sub/debug.ini", "Obj/Blinky.ELF",
                              "$sub/debug.ini"}),
    [](const auto& info) { return std::string(info.param.name); });

// The device values and the target driver's settings text come from the
// target's options: the clock, and the text kept under the driver's name.
TEST_F(SessionTest, DeviceValuesAndTheDriversSettingsTextFromTheOptions) {
  OptionBlock* o = project->curTarget->pOpts;
  o->tGnu.clock = 12000000;
  o->dbg.str11 = OptString::Pooled("PROBE.DLL", kPoolScratch);
  o->dbg.OPTKEY = SetKeyValue(o->dbg.OPTKEY, "Other", "-x", kPoolScratch);
  o->dbg.OPTKEY = SetKeyValue(o->dbg.OPTKEY, "probe", "-S1 -C0", kPoolScratch);
  DebugSettings settings{};
  DeviceWords words;
  std::string err;
  ASSERT_EQ(BuildDebugSettings(*project, *project->curTarget, 3, &arm, kSettingsDebug, &settings, &words, &err), 1)
      << err;
  EXPECT_EQ(settings.device32, 12000000u);
  EXPECT_EQ(words.device32, 12000000u);
  EXPECT_EQ(std::string(settings.targetDriverBase), "PROBE");
  EXPECT_EQ(std::string(settings.targetDriverText), "-S1 -C0");
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// The target driver's settings text goes to the driver and comes back into
// the options under its name when the driver changed it; the simulator's
// sessions leave it alone.
TEST_F(SessionTest, TheTargetDriversSettingsTextIsWrittenBack) {
  struct Row {
    const char* name;
    bool targetSide;
    std::string stored;
  } rows[] = {{"TargetSide", true, "-S1 -C0 -P1"}, {"Simulator", false, "-S1"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Script("drivertext -S1 -C0 -P1\n");
    OptionBlock* o = project->curTarget->pOpts;
    o->dbg.OPTKEY = nullptr;
    o->dbg.OPTKEY = SetKeyValue(o->dbg.OPTKEY, "PROBE", "-S1", kPoolScratch);
    o->dbg.str11 = OptString::Pooled("PROBE.DLL", kPoolScratch);
    if (row.targetSide) {
      o->dbg.flags &= ~1u;
      o->dbg.str[5] = o->dbg.str[0];
      o->dbg.str[6] = o->dbg.str[1];
    }
    ClearDriverLog();
    Start();
    ASSERT_TRUE(session->SessionActive());
    EXPECT_TRUE(Has(DriverLog(), "drivertext -S1")) << DriverLog();
    session->StopDebugger();
    EXPECT_EQ(GetKeyValue(o->dbg.OPTKEY, "PROBE"), row.stored);
  }
}

// A code-generator project that changed while the session ran is checked
// when the session ends.
TEST_F(SessionTest, APendingImportCheckRunsAfterTheSession) {
  Start();
  ASSERT_TRUE(session->SessionActive());
  app->m_bImportChangePending = true;
  session->StopDebugger();
  EXPECT_FALSE(app->TakeImportChangePending());
}

}  // namespace
}  // namespace pm2
