// The debug windows of this stage in the main frame: the command window
// (the output window's Command page), the disassembly window (an MDI
// worksheet) and the memory window (in the frame's memory bar). One
// opening function per window, for the frame's menu and window toggles
// (the disassembly toggle's command and rule are the debug bar's).
#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/app/progress_gate.h"

namespace pm2 {

class CMainFrame;
class CommandWindow;
class DebugSession;
class DisassemblyView;
class MemoryWindow;
class OutputFindDialog;
class ShellApp;
class SECWorksheetWnd;
struct WindowFonts;

class DebugWindows {
 public:
  DebugWindows(CMainFrame& frame, ShellApp& app, DebugSession& session);
  ~DebugWindows();

  // The Command page in front, its edit focused.
  CommandWindow* ShowCommandWindow();
  // Focuses the one disassembly window, making it when there is none.
  DisassemblyView* OpenDisassemblyWindow();
  // Closes it (the session closing its windows; the record's bit stays).
  void CloseDisassemblyWindow();
  // View > Disassembly Window: opens it, brings it to the front when it is
  // behind another window, or closes it for good (the bit goes).
  void ToggleDisassemblyWindow();
  // Shows the memory bar with its four pages.
  MemoryWindow* OpenMemoryWindow();
  // View > Memory Window: shows the memory bar, or hides it when shown.
  void ToggleMemoryWindow();

  CommandWindow* Command() const { return m_command; }
  // The clock of the progress dialogs of the windows' long operations
  // (tests pass one of their own).
  MillisecondClock progressClock = SteadyMilliseconds;
  DisassemblyView* Disassembly() const;
  // The disassembly window is the active window of the editor area.
  bool DisassemblyInFront() const;
  // The register pane the disassembly window's cursor line ties to.
  void SetRegisterTie(std::function<void(int64_t item)> tie) { m_registerTie = std::move(tie); }
  // The disassembly window when it is the frame's active window, else null.
  DisassemblyView* ActiveDisassembly() const;
  MemoryWindow* Memory() const;

  // The session's calls.
  void TargetStopped();
  void SetSyntaxTables(const void* fallback1, const void* fallback2, const void* root);
  // The IDE services of these windows; false when the code is not theirs.
  bool Service(int code, intptr_t arg, intptr_t* result);
  void Append(const char* text);
  // The driver's echo of a command: the first line it completes is selected.
  void AppendEcho(const char* text);
  // The open windows take their fonts and colours from the settings.
  void ApplySettings(const WindowFonts& settings);

 private:
  // The memory window in its bar, made once; not shown, no focus taken.
  void MakeMemoryWindow();
  void InstallCommandPage();
  // The disassembly window's find dialog (direction, match case, whole word).
  void OpenFindDialog();
  void RegisterCommands();
  // What the windows show, written to the file PM2_DEBUG_WINDOWS_DUMP names
  // (for the end-to-end tests, which cannot read a painted window), with
  // the text of a message box that is open.
  void WriteDump(const char* path) const;

  CMainFrame& m_frame;
  ShellApp& m_app;
  DebugSession& m_session;
  CommandWindow* m_command = nullptr;
  QPointer<DisassemblyView> m_disassembly;
  QPointer<SECWorksheetWnd> m_disassemblySheet;
  QPointer<MemoryWindow> m_memory;
  // The disassembly bookmarks of the project they were set in.
  std::vector<uint32_t> m_bookmarks;
  std::string m_bookmarkProject;
  QPointer<OutputFindDialog> m_find;
  std::function<void(int64_t)> m_registerTie;
};

}  // namespace pm2
