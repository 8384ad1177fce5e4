// What the application layer asks of the main frame and its windows. The
// main frame implements this interface; every operation has a neutral
// default so that a frame can grow into it and tests override only what
// they watch. All calls come on the GUI thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/progress_request.h"

namespace pm2 {

struct ProjectRec;
struct TargetRec;

// Output window pages.
enum OutputPage : int { kOutputBuildPage = 0, kOutputCommandPage = 1, kOutputFindPage = 2 };

// Actions of ForAllDocuments: the update hint each gives every document.
enum DocumentAction : int {
  kDocShowDebuggerPosition = 0,
  kDocSessionStarted = 1,
  kDocTargetReset = 2,
  kDocBreakpointsChanged = 3,
  kDocShowShownAddress = 5,         // hint 0x12348000
  kDocReloadStoredBreakpoints = 6,  // hint 0x12342100
  kDocBeforeSaveOrTargetChange = 7, // hint 0x12342110
  kDocAnySourceOpen = 8,
};

class FrameHooks {
 public:
  virtual ~FrameHooks() = default;

  // ---- the main window
  virtual void CloseMainWindow() {}       // posts a close request to the frame
  virtual void UpdateTitle() {}
  virtual void EnableTargetBox(bool /*enable*/) {}
  virtual void IdleUpdate() {}            // one command-state update of menus and toolbars
  virtual void ShowOutputPage(int /*page*/) {}
  virtual void RepaintMainWindow() {}
  virtual void SetWaitCursor(bool /*on*/) {}
  virtual void ShowStatusProgress(const ProgressRequest& /*request*/) {}
  virtual void DriverStatusChanged(const std::string& /*text*/) {}
  // Routes a command id through the frame's command routing; false when
  // nothing handled it.
  virtual bool RouteCommand(int /*id*/) { return false; }

  // ---- output window (only called while the page is registered as open)
  // Appends one line to a page; a null text clears the page.
  virtual void AppendOutputLine(int /*page*/, const char* /*text*/) {}
  virtual void AppendCommandOutput(const char* /*text*/) {}
  // The driver's echo of a command: its first line is a history entry.
  virtual void AppendCommandEcho(const char* text) { AppendCommandOutput(text); }
  virtual void MarkCommandOutput(bool /*typedCommand*/) {}

  // ---- project window and books
  virtual void RefreshProjectTree() {}
  virtual void RefreshBooks() {}
  virtual void RefreshFileMarks(TargetRec* /*target*/) {}

  // ---- documents
  virtual void ForAllDocuments(int /*action*/) {}
  // Saves modified text documents (asking when ask is set) and closes them
  // when close is set; false when the user cancelled.
  virtual bool SaveAndCloseTextDocuments(bool /*close*/, bool /*ask*/) { return true; }
  // Records the windows of open files outside the project in the project.
  virtual void StoreOpenEditorWindows(ProjectRec* /*project*/) {}
  // Reopens the project's saved editor windows (project files, then others).
  virtual void RestoreEditorWindows(ProjectRec* /*project*/) {}
  // Opens a file as a document of its template; null when it cannot.
  virtual void* OpenDocument(const std::string& /*path*/) { return nullptr; }
  virtual void CheckChangedSourceFiles() {}
  virtual void ReloadChangedDocuments() {}
  // The title of the active document; empty when there is none.
  virtual std::string ActiveDocumentTitle() { return {}; }
  // The one-line input dialog; false on Cancel.
  virtual bool LineInput(const std::string& /*prompt*/, std::string* /*text*/) { return false; }

  // ---- source browser
  virtual void CloseBrowser() {}          // closes its window and drops the browse data

  // ---- debug session and its windows
  virtual void StartDebugger() {}
  virtual void StopDebugger() {}
  virtual void OnDebugStartStop() {}
  virtual void RefreshWatch() {}          // deferred command 2048
  virtual void RunInitFileInclude() {}    // deferred command 2050
  virtual void ActivatePendingFrame() {}  // deferred command 16384
  // Appends characters to serial window n (0..2), or to its terminal buffer
  // while the window is closed; wide: 16-bit characters.
  virtual void WriteSerial(int /*window*/, const void* /*chars*/, int /*count*/, bool /*wide*/) {}
  // The service codes whose work lies in the debug windows (watch, memory,
  // disassembly, call stack, symbols, tool box, register page ...).
  virtual intptr_t DebugService(int /*code*/, intptr_t /*arg*/) { return 0; }
};

}  // namespace pm2
