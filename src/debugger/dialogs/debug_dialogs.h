// The debug dialogs and tool windows of a session, owned by the frame's
// debug commands: the breakpoints and memory map dialogs, the serial
// windows with their terminal buffers, the symbols dialog, the tool box,
// the debug-function editor, the inline assembler, the performance
// analyser and the code coverage dialog. Each exists at most once; this
// object opens, focuses and closes them, answers the IDE services they
// serve, and is the one road by which they hand a command to the command
// window.
#pragma once

#include <QPointer>
#include <QRect>
#include <array>
#include <map>
#include <functional>
#include <memory>
#include <string>

#include "debugger/dialogs/dialog_context.h"
#include "debugger/dialogs/symbols_dialog.h"
#include "debugger/model/serial_terminal.h"
#include "debugger/session/debug_session.h"

class QWidget;

namespace pm2 {

class CMainFrame;
class ShellApp;
class SerialWindow;
class BreakpointsDialog;
class ToolBox;
class ToolBoxButtons;
class FunctionEditor;
class InlineAssembler;
class PerfAnalyzerView;
class CoverageDialog;
class SECWorksheetWnd;
struct WindowFonts;

class DebugDialogs {
 public:
  // appendCommand: text into the command window.
  DebugDialogs(CMainFrame& frame, ShellApp& app, DebugSession& session,
               std::function<void(const char*)> appendCommand);
  ~DebugDialogs();

  DebugDialogContext Context();
  // The code address of the active view's cursor line (the inline
  // assembler starts there); false when there is none.
  void SetCursorAddress(std::function<bool(uint32_t*)> cursor) { m_cursorAddress = std::move(cursor); }
  // Echoes the command in the command window and has the driver run it now; 0 = accepted.
  int SendToCommandWindow(const std::string& text);
  int TypeToCommandWindow(const std::string& text);

  // ---- the session's windows
  bool WindowOpen(DebugWindow w) const;
  void OpenWindow(DebugWindow w);
  void CloseWindow(DebugWindow w);
  void SerialTerminals(bool create);
  // Received characters for serial window n (0..2).
  void WriteSerial(int window, const void* chars, int count, bool wide);
  // The IDE services the windows serve; true when the code was consumed.
  bool Service(int code, intptr_t arg, intptr_t* result);
  // The open serial windows and the analyser take their fonts and colours
  // from the settings.
  void ApplySettings(const WindowFonts& settings);

  // ---- commands
  void OpenBreakpoints();
  void OpenMemoryMap();
  void ToggleSerial(int n);
  void OpenSymbols();
  void OpenToolBox();
  void OpenFunctionEditor();
  void OpenInlineAssembler();
  void OpenAnalyser();
  void OpenCoverage();
  // The driver offers the analyser's ranges / coverage records.
  bool HasAnalyser() const;
  bool HasCoverage() const;
  // Why the session's driver has no inline assembler ("" when it has one).
  std::string AssemblerMissing() const;

  SerialWindow* Serial(int n) const;
  SymbolsDialog* Symbols() const { return m_symbols; }
  // The symbols dialog's choices while it is closed (kept with the target).
  SymbolsDialogState& SymbolsState() { return m_symbolsState; }
  ToolBox* Box() const;
  FunctionEditor* FuncEditor() const;
  InlineAssembler* InlineAsm() const;
  PerfAnalyzerView* Analyser() const;
  CoverageDialog* Coverage() const;

 private:
  void RegisterCommands();
  // A window command: opens the window, or closes it when open.
  void Toggle(DebugWindow w);
  // A session whose driver sets all the capability bits.
  bool Offers(uint32_t capability) const;
  void CloseToolBox();
  void KeepToolBoxButtons(const ToolBoxButtons& buttons);
  void CloseSheet(QPointer<SECWorksheetWnd>& sheet);
  // The coverage dialog takes the place it had when it last closed in this
  // run, and keeps its place when it goes (the others keep theirs in the
  // shared window settings).
  void KeepPlacement(QWidget* window, DebugWindow which);
  WindowFonts& Settings();
  DebugInterface* Record() const { return m_session.Record(); }

  CMainFrame& m_frame;
  ShellApp& m_app;
  DebugSession& m_session;
  std::function<void(const char*)> m_appendCommand;
  std::function<bool(uint32_t*)> m_cursorAddress;
  std::array<std::unique_ptr<SerialTerminal>, 3> m_terminals;
  std::array<QPointer<SerialWindow>, 3> m_serial;
  std::array<QPointer<SECWorksheetWnd>, 3> m_serialSheets;
  QPointer<SymbolsDialog> m_symbols;
  BreakpointsDialog* m_breakpoints = nullptr;  // while the modal dialog is open
  SymbolsDialogState m_symbolsState;
  QPointer<ToolBox> m_toolBox;
  QPointer<FunctionEditor> m_funcEditor;
  QPointer<InlineAssembler> m_inlineAsm;
  QPointer<PerfAnalyzerView> m_analyser;
  QPointer<SECWorksheetWnd> m_analyserSheet;
  QPointer<CoverageDialog> m_coverage;
  std::map<int, QRect> m_placements;  // by DebugWindow, for this run of the program
};

}  // namespace pm2
