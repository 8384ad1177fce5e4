// A debug session and a flash session through a driver library: the IDE's
// own record, the pointer to the active record, the settings block, the
// loaded driver, and the start and stop in their fixed order. Runs on the
// GUI thread; the driver reaches the IDE only through the callbacks in the
// record. The windows and the frame's layouts are the SessionHost's.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "debugger/session/debug_settings_builder.h"
#include "debugger/session/driver_library.h"
#include "shell/app/debug_port.h"

namespace pm2 {

class ShellApp;
struct BreakpointRec;
struct TargetRec;

// The debug windows a session opens from the window flags.
enum class DebugWindow : int {
  Disassembly, Serial1, Serial2, Serial3, Analyser, Symbols, Coverage, ToolBox, InlineAsm, FuncEditor
};

// What the session asks of the frame and the debug windows. Every operation
// has a neutral default; the frame implements them, tests record them.
class SessionHost {
 public:
  virtual ~SessionHost() = default;
  virtual void SaveDockLayout(int /*which: 0 debug, 1 build*/) {}
  virtual void ApplyDockLayout(int /*which*/) {}
  // The first-run flag: true once, when the debug layout was never saved.
  virtual bool TakeFirstRun() { return false; }
  virtual void ShowDebugToolbar() {}  // hides "Build", shows "Debug"
  virtual void ProjectBarDebugState(bool /*on*/) {}
  virtual bool WindowOpen(DebugWindow) { return false; }
  virtual void OpenWindow(DebugWindow) {}
  virtual void CloseWindow(DebugWindow) {}
  virtual void AttachWatch() {}
  virtual void SerialTerminals(bool /*create*/) {}
  virtual void SetRegisterSet(const RegisterSet* /*set or null*/) {}
  virtual void SendDebuggerAborted() {}
  // A session is asked to end: a connected add-in hears the command states
  // of a program that no longer debugs.
  virtual void SessionEnding() {}
  // The driver's menus changed (session started or ended).
  virtual void DriverMenusChanged() {}
  // The target stopped: refresh the register page and show the position.
  virtual void TargetStopped() {}
  // The same from any thread: queued for the GUI thread.
  virtual void PostTargetStopped() {}
  // From any thread: the driver's process or target is gone; the session
  // ends on the GUI thread with the driver's message left in view.
  virtual void PostDriverEnded() {}
  // Drains the GUI thread's queue (the driver's PumpPendingMessages).
  virtual void PumpMessages() {}
  // Steps go by instruction: the disassembly window is the active window,
  // or the program counter's source file is not open in an editor.
  virtual bool StepByInstruction() { return false; }
  // The disassembly window is open.
  virtual bool DisassemblyOpen() { return false; }
  // The driver's command syntax tables for the command window's help.
  virtual void SetSyntaxTables(const void* /*fallback1*/, const void* /*fallback2*/, const void* /*root*/) {}
};

class DebugSession : public DebugPort {
 public:
  DebugSession(ShellApp& app, SessionHost& host);
  ~DebugSession() override;
  // A driver still loaded is told to end (its children with it) and
  // unloaded. The destructor does it too; its owner calls it first when
  // the driver's last notices (a stop, its end) may reach the owner's
  // host, which then still has a whole session to read.
  void EndLoadedDriver();
  DebugSession(const DebugSession&) = delete;
  DebugSession& operator=(const DebugSession&) = delete;

  // Fills the IDE's own record (cleared; family and version; the IDE's
  // callbacks; bit 9 from the settings' bit 0).
  void InitDebugInterface(uint16_t family, uint16_t version);

  // The start/stop command: no session schedules the start; an idle
  // session stops; a running target beeps.
  void OnDebugStartStop();
  // A command that waits for the target to stop (the session's end, the
  // program's close) was refused while it runs: a beep, and the command
  // page and the status line say why and how to go on. `what` names the
  // refused command's effect ("the debug session ends"), and `then` is
  // done at the target's next stop, as the text says (the last such
  // command counts; a session that ends otherwise forgets it).
  void SayTargetRuns(const std::string& what, std::function<void()> then);
  bool StartStopEnabled() const;
  void StartDebugger();
  void StopDebugger() { Stop(false); }
  void CloseDebugWindows();
  void UnloadDriver();
  void ExchangeTargetDebugState(bool toSession);

  // Flash download (35404) and erase (35405) through the driver.
  void FlashViaDriver(int command);
  bool InFlashSession() const { return m_flashSession; }

  // Run control for the frame's commands: runs (to a stop address, or
  // with 0xFFFFFFFF for none) after IDE service 1 told that it starts. A
  // run or step that the driver refuses, the target still halted, never
  // began: it ends as a stop does (IDE service 2), so that whoever heard it
  // start hears the target stopped.
  void Go(uint32_t stopAddress = 0xFFFFFFFFu);
  void Step(int mode);
  // `count` steps of the mode, each while the target is halted (a step that
  // leaves the target running ends them). With a driver that steps off the
  // GUI thread (its step returns with the target running) the next step
  // goes at the stop of the one before; Stop Running and the session's end
  // drop those left.
  void Step(int mode, int count);
  // A step out is possible now: the target is halted in a session and the
  // innermost call of the driver's call stack has a caller and may be left.
  // The call stack is the last stop's: asked for again when it is older
  // (a client may ask before the windows' refresh after the stop).
  bool StepOutPossible();
  // Asks the driver for its call stack of the target as it is now.
  void RefreshCallStack();
  void StopRunning();
  // How many runs and steps the IDE started (read from any thread).
  uint64_t Runs() const { return m_runs.load(); }
  // How many stops the IDE took (IDE service 2; on the GUI thread).
  uint64_t Stops() const { return m_stops; }

  // IDE services whose work lies in the session (step, evaluate, memory,
  // register set, target stopped); false when the code is not the session's.
  bool Service(int code, intptr_t arg, intptr_t* result);

  DebugInterface* Record() const { return m_pRecord; }
  // The pointer to the active record itself (windows read it on each call).
  DebugInterface* const& RecordSlot() const { return m_pRecord; }
  DebugInterface& Mirror() { return m_mirror; }
  DebugSettings& Settings() { return m_settings; }
  bool DriverLoaded() const { return m_driver.handle != nullptr; }
  // The driver is being started or ended: it may run the message pump, and
  // nothing may close the program or start a session under it.
  bool DriverBusy() const { return m_driverBusy; }

  // ---- DebugPort
  bool SessionActive() const override { return (m_pRecord->flags & kDbgFlagActive) != 0 && !m_flashSession; }
  bool TargetExecuting() const override { return (m_pRecord->flags & kDbgFlagExecuting) != 0; }
  // The session's end was asked for while the target ran: it ends at the
  // stop (told then, and ended by a command posted at it).
  bool EndAsked() const { return m_endAsked; }
  bool CommandLogOn() const override { return (m_pRecord->flags & 0x3) == 0x3; }
  bool SerialLogOn() const override { return (m_pRecord->flags & 0x5) == 0x5; }
  bool LoadedForFlash() const override { return m_flashSession; }
  uint32_t ProgramCounter() const override { return m_pRecord->pc; }
  void Log(int kind, const char* data, int count) override;
  int ExecCommand(const char* text, int length) override;
  std::string LastCommandRefusal() const override { return m_commandRefusal; }
  // The driver's print callback: kept while a command of service 34 runs.
  void Printed(const char* text);
  // Runs a call of the driver on this thread (a dialog's definition) and
  // gives the reason the driver said for a refusal, "" when it said none.
  std::string RefusalOf(const std::function<void()>& call);
  void SerialInput(uint32_t value, uint16_t extra) override;
  bool HasControl() const override { return m_pRecord->DbgControl != nullptr; }
  intptr_t Control(int code, intptr_t a, intptr_t b) override;
  bool EvaluateOnCallingThread(intptr_t record) override;
  std::string ExpressionFault(const std::string& text) override;
  bool ExpressionFaultOnCallingThread(const std::string& text, std::string* why) override;

  // The driver said it ended abnormally (its process or target is gone);
  // from any thread. Its breakpoints are taken when the session stops only
  // when it still lists them (kDbgEndedListsBreakpoints).
  void DriverEnded(bool listsBreakpoints) {
    m_endedWithBreakpoints = listsBreakpoints;
    m_driverEnded = true;
  }

  // The session the record's C callbacks reach (the one live instance).
  static DebugSession* Active();
  ShellApp& App() { return m_app; }
  SessionHost& Host() { return m_host; }

 private:
  // A command line defining a breakpoint the project could not keep is
  // refused before the driver sees it: the reason on the Command page and
  // as the last command's refusal.
  bool RefusedBreakpointText(const char* text, int length);
  void EndRefusedRun(int32_t driverResult);
  void Stop(bool afterFailedStart);
  void CopyDriverRecord();
  bool PrepareDriver(int toolset, int mode, std::string* err);
  void FillRecordForStart(int toolset);
  TargetRec* CurrentTarget() const;
  // After a start: the stored breakpoints into the driver, the session
  // started (IDE service 6), and the run to main when the options ask.
  void AfterStart();
  void GoTillMain();
  bool RunsToMain() const;  // the options ask for the run to main
  // The address of a public symbol of the program (the driver's list).
  bool FindPublic(const std::string& name, uint32_t* address) const;
  // The local path of the project's source file of that file name.
  std::string SourcePath(const std::string& fileName) const;
  // Before the driver goes: its breakpoints stored in the target.
  void KeepBreakpoints();

  ShellApp& m_app;
  SessionHost& m_host;
  DebugInterface m_mirror{};
  DebugInterface* m_pRecord = &m_mirror;
  DebugSettings m_settings{};
  LoadedDriver m_driver;
  DeviceWords m_words;
  bool m_driverBusy = false;
  bool m_flashSession = false;
  int m_refusals = 0;
  // What a command refused while the target ran does once it has stopped.
  std::function<void()> m_onceStopped;
  bool m_endAsked = false;  // from Ctrl+F5 while running until the session ends
  // Steps of a counted step still to go at the next stop, and their mode.
  int m_stepsLeft = 0;
  int m_stepsMode = 0;
  std::atomic<uint64_t> m_runs{0};
  // Stops told (service 2) and the stop the driver's call stack was last
  // asked for at (kNoStop: not in this session). GUI thread.
  static constexpr uint64_t kNoStop = ~uint64_t(0);
  uint64_t m_stops = 0;
  uint64_t m_callStackStop = kNoStop;
  std::atomic<bool> m_driverEnded{false};
  std::atomic<bool> m_endedWithBreakpoints{false};
  // The driver's reads on any thread (EvaluateOnCallingThread): allowed by
  // the driver at the start, forbidden before the driver is torn down; a
  // read under way holds the mutex, so the teardown waits for it.
  std::mutex m_anyThreadMutex;
  bool m_anyThreadReads = false;
  // Allows (after a start the driver said it takes such reads) or forbids them.
  void AllowAnyThreadReads(bool allow);
  bool m_capturing = false;       // a command of service 34 runs, on this thread:
  std::thread::id m_capturingThread;
  std::string m_commandRefusal;  // what the driver refused it with
  std::optional<uint32_t> m_mainAddress;  // where the run to main goes
  // The stored breakpoints set in the driver at the start, and those left
  // out as another stands on their address.
  std::vector<const BreakpointRec*> m_appliedBreakpoints, m_coveredBreakpoints;
};

// The IDE's version word handed to the driver.
constexpr uint16_t kIdeVersionWord = 0x0200;

}  // namespace pm2
