// The main frame's debug windows and their commands: the debug bar (watch,
// locals, call stack) in the frame's watch bar, the editor margin's link to
// the session and the project's stored breakpoints, run to the cursor,
// reset, the breakpoint commands, the window toggles and the watch radix,
// with their update rules, and the IDE services the windows serve.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "editor/ide/margin_view.h"

namespace pm2 {

class CMainFrame;
class DebugBarWindow;
class DebugSession;
class DisassemblyView;
class EditorView;
class MemoryWindow;
class ShellApp;
struct CommandState;
struct SymbolsDialogState;
struct TargetRec;

class DebugBarCommands : public EditorDebugLink {
 public:
  // Command ids of the windows and commands served here.
  static constexpr unsigned kCmdRunToCursor = 32796, kCmdResetCpu = 35020, kCmdToggleBreak = 35012,
                            kCmdEnableBreak = 35017, kCmdDisableAll = 35015, kCmdKillAll = 35016,
                            kCmdWatchBar = 32749, kCmdMemoryBar = 32758, kCmdDisassembly = 32752,
                            kCmdShowNext = 35072, kCmdRadixHex = 35124, kCmdRadixDecimal = 35125,
                            kCmdTrace = 35019, kCmdPeriodicUpdate = 35081;

  DebugBarCommands(CMainFrame& frame, ShellApp& app, DebugSession& session);
  ~DebugBarCommands() override;

  DebugBarWindow* Bar() const { return m_bar; }
  // The session's steps.
  void SessionStarting();   // the saved watch lists come back
  void SessionEnded();
  void TargetStopped();
  // The program counter moved without a stop (a written PC): every editor
  // finds its arrow's line again, and the bar's pages follow as at a stop.
  void PcMoved();
  // The bar's pages read what the last stop changed.
  void RefreshBarPages();
  // The driver's call stack and the bar's pages follow a new position
  // (a hidden bar catches up when it is shown).
  void FollowPosition();
  // The watch page in front reads its values again and the editors' value
  // marks follow (after an assignment; deferred command 2048).
  void RefreshWatch();
  // IDE services of the debug windows; false when the code is not theirs.
  bool Service(int code, intptr_t arg, intptr_t* result);

  // The disassembly window's toggle belongs to the disassembly window:
  // until it is installed here, its command stays greyed.
  void SetDisassemblyToggle(std::function<void()> toggle, std::function<bool()> isOpen);
  // The disassembly window when it is the active window (view kind 1): the
  // breakpoint and run-to-cursor commands then act on its cursor line.
  void SetActiveDisassembly(std::function<DisassemblyView*()> active) { m_activeDisassembly = std::move(active); }
  // The code address of the active view's cursor line: the disassembly
  // window's, else the editor's caret line; false when it has none.
  bool CursorAddress(uint32_t* address) const;

  // The other windows whose state the target keeps between sessions (the
  // memory pages, the symbols dialog's choices); they belong to the debug
  // windows and dialogs, which are made after this object.
  struct KeptWindows {
    std::function<MemoryWindow*()> memory;          // null while never opened
    std::function<SymbolsDialogState*()> symbols;
  };
  void SetKeptWindows(KeptWindows windows) { m_kept = std::move(windows); }

  // ---- EditorDebugLink
  DebugInterface* SessionRecord() override;
  uint32_t ShownPosition() override;
  bool InProject(const std::string& path) override;
  bool DebugInfoOn() override;
  void ApplyStored(CEditLine* first, const std::string& fileName) override;
  void ToggleStored(CEditLine* line, const std::string& fileName) override;
  bool ToggleStoredEnable(CEditLine* line, const std::string& fileName) override;
  void SettleStored(const CEditLine* first, const std::string& fileName) override;
  void ClearShownPosition() override;
  void BreakpointsChanged() override;
  void ShowDisassemblyAt(uint32_t address) override;
  void SetProgramCounter(uint32_t address) override;
  void RunToAddress(uint32_t address) override;
  void ClearCoverage() override;
  bool AddToWatch(int page, const std::string& expression) override;

 private:
  void RegisterCommands();
  void Rule(unsigned id, std::function<void(CommandState&)> rule);
  bool DebugIdle() const;
  EditorView* ActiveEditor() const;
  DisassemblyView* ActiveDisassembly() const;
  // Every editor document's views get a hint.
  void HintAllViews(uint32_t hint);
  void ToggleWatchBar();
  TargetRec* CurrentTarget() const;
  // Service 20: the windows' state goes to the target, unless the start
  // failed (the windows then never took the target's state).
  void SaveWindowState();
  void SaveWatchLists();
  void RestoreWatchLists();
  void SaveMemoryPages();
  void RestoreMemoryPages();  // service 29
  void SaveSymbolsState();
  void RestoreSymbolsState();
  void Beep();

  CMainFrame& m_frame;
  ShellApp& m_app;
  DebugSession& m_session;
  DebugBarWindow* m_bar = nullptr;  // owned by the watch bar
  bool m_barBehind = false;         // stops the hidden bar has not shown yet
  bool m_marksLoaded = false;
  std::function<void()> m_toggleDisassembly;
  std::function<bool()> m_disassemblyOpen;
  std::function<DisassemblyView*()> m_activeDisassembly;
  KeptWindows m_kept;
};

}  // namespace pm2
