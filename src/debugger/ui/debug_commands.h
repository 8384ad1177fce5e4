// The main frame's debug session: the start/stop and run-control commands,
// the driver's menu entries in the Debug menu, flash download and erase,
// the register page of the project window; the debug bar and the margin's
// breakpoints (debug_bar_commands.h), the command, disassembly and memory
// windows (debug_windows.h), the debug dialogs (debug_dialogs.h). It is the
// session's SessionHost: the frame's layouts and windows as the session
// asks for them.
#pragma once

#include <QPointer>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "debugger/session/debug_session.h"

class QAction;
class QMenu;

namespace pm2 {

class CMainFrame;
class CommandWindow;
class DebugBarCommands;
class DebugDialogs;
class DebugWindows;
class RegisterPage;
class SettingsStore;
class ShellLinks;
class ShellApp;

// The external flash tool's command split into its program and the
// argument text, in the page's stored form or as a device's default line
// (SplitToolLine).
void SplitFlashCommand(const std::string& command, std::string* program, std::string* arguments);

class DebugCommands : public SessionHost {
 public:
  DebugCommands(CMainFrame& frame, ShellApp& app, SettingsStore& settings);
  ~DebugCommands() override;

  DebugSession& Session() { return *m_session; }
  RegisterPage* Registers() const { return m_registers; }
  CommandWindow* CommandPage() const;
  // The debug bar, the editor margin's link and the window commands.
  DebugBarCommands& BarCommands() { return *m_barCommands; }
  // The debug windows: command, disassembly, memory.
  DebugWindows& Windows() { return *m_windows; }
  DebugDialogs* Dialogs() const { return m_dialogs.get(); }
  void WriteSerial(int window, const void* chars, int count, bool wide);

  // ---- what the frame forwards (FrameHooks)
  void OnDebugStartStop() { m_session->OnDebugStartStop(); }
  void StartDebugger();
  void StopDebugger() { m_session->StopDebugger(); }
  intptr_t DebugService(int code, intptr_t arg);
  void AppendCommandOutput(const char* text);
  // The driver's echo: the first line of the text is a history entry.
  void AppendCommandEcho(const char* text);
  // The flash options select the driver with a name, or the external tool
  // with a command (erase: the driver, with erase enabled).
  bool FlashEnabled(bool erase) const;
  // Ends a session before the program closes; false when the driver
  // refused to stop.
  bool EndForClose();
  // Deferred command 2050: the initialisation file of a -d session.
  void RunInitFileInclude();

  // ---- SessionHost
  void SaveDockLayout(int which) override;
  void ApplyDockLayout(int which) override;
  bool TakeFirstRun() override;
  void ShowDebugToolbar() override;
  void ProjectBarDebugState(bool on) override;
  bool WindowOpen(DebugWindow w) override;
  void OpenWindow(DebugWindow w) override;
  void CloseWindow(DebugWindow w) override;
  void SerialTerminals(bool create) override;
  void SetSyntaxTables(const void* fallback1, const void* fallback2, const void* root) override;
  void SetRegisterSet(const RegisterSet* set) override;
  void SendDebuggerAborted() override;
  void SessionEnding() override;
  void DriverMenusChanged() override;
  void TargetStopped() override;
  void AttachWatch() override;
  void PostTargetStopped() override;
  void PostDriverEnded() override;
  void PumpMessages() override;
  bool StepByInstruction() override;
  bool DisassemblyOpen() override;

 private:
  void RegisterCommands();
  void InstallRegisterPage();
  void FillDebugMenu(QMenu* menu);
  void OnFlash(int command);
  // A stop: the program counter's line in its source file (the arrow, no
  // selection), else in the disassembly window.
  void ShowProgramCounter();
  // The source file the driver names for the program counter, as a file
  // of this machine ("" none).
  std::string PcSourceFile();
  // The local file of a source file the driver names (empty for none).
  std::string LocalDriverSource(const std::string& named) const;
  // IDE service 21: the source line of a code address in its editor (the
  // shown position's arrow), else the address in the disassembly window;
  // false when neither shows it.
  bool ShowCodeAtAddress(uint32_t address);
  // The program counter was written (the register page): the disassembly
  // window's arrow, the editor's and the status line follow it.
  void ProgramCounterWritten();
  void ShowPcStatus();
  // The windows show the last stop, if the target is still halted.
  void RefreshAfterStop();
  // The disassembly window's cursor address, when it is on a code line.
  bool DisassemblyCursor(uint32_t* address) const;
  void SetPcAtCursor();
  // The existing source file and line of the cursor address, or "".
  std::string CursorSource(int* line) const;

  CMainFrame& m_frame;
  ShellApp& m_app;
  SettingsStore& m_settings;
  std::unique_ptr<DebugSession> m_session;
  std::unique_ptr<DebugBarCommands> m_barCommands;
  RegisterPage* m_registers = nullptr;
  // The register page while it is the project bar's page in front, else null.
  RegisterPage* ShownRegisters() const;
  std::unique_ptr<DebugWindows> m_windows;
  std::unique_ptr<DebugDialogs> m_dialogs;
  ShellLinks* m_links = nullptr;  // owned by the frame
  // The context of what a driver's thread posts to the GUI thread: a post
  // still waiting when this object goes is dropped with it.
  std::unique_ptr<QObject> m_posts;
  std::vector<QPointer<QAction>> m_driverActions;
  bool m_firstRun = false;
  uint32_t m_shownPc = 0xFFFFFFFFu;  // the program counter the status bar shows
  // The driver's stops are shown once the target stayed halted a moment:
  // stops in quick succession (a client stepping back to back) are shown
  // together, at least every so often.
  QTimer m_stopRefresh;
  bool m_driverStop = false;   // the stop being told is the driver's (posted)
  bool m_stopPending = false;  // a stop not shown yet
  std::chrono::steady_clock::time_point m_firstPendingStop{};
};

}  // namespace pm2
