// CMainFrame: the program's main window. A workbook MDI frame with the
// menu bar and the "File", "Build" and "Debug" toolbars at the top, the status bar at the bottom, the project bar
// docked left and the output bar docked at the bottom (the watch and
// memory bars wait hidden beside it), editor documents in child windows. It
// is the application layer's FrameHooks, routes every command id through
// the command table's update rules to its handlers, and closes in its
// fixed order of questions, saving the layout and the placement.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "builder/runner/output_lines.h"
#include "toolkit/core/window_fonts.h"
#include "editor/document/document_services.h"
#include "editor/ide/editor_status.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/status_progress.h"
#include "shell/frame/command_table.h"
#include "shell/frame/document_lookup.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/find_history.h"
#include "shell/frame/frame_settings.h"
#include "shell/frame/key_indicators.h"
#include "shell/project_window/prj_view.h"
#include "toolkit/frames/workbook.h"

class QMenu;
class QFileIconProvider;

namespace pm2 {

class AddInCommands;
class BrowserCommands;
class DebugCommands;
class BuildPort;
class COutWin;
class CPrjWin;
class EditorView;
class FrameBars;
class FrameKeys;
class FrameWorkspace;
class SECBmpMenuPlugIn;
class SECControlBar;
class SECStatusBar;
class SettingsStore;
class ProjectCommandsExt;
class ShellApp;
class ToolCommands;

class CMainFrame : public SECWorkbookWnd,
                   public FrameHooks,
                   public ProjectViewOwner,
                   public MessageJumpTarget,
                   public EditorStatusPanes,
                   public DocumentShell {
 public:
  static constexpr unsigned kOutputBarId = 1006, kWatchBarId = 112, kMemoryBarId = 1464, kStatusBarId = 59393;
  static constexpr const char* kBuildLayout = "BSTAT2\\XX";
  static constexpr const char* kDebugLayout = "DSTAT2\\XX";

  // settings: the profile (layouts, find history); frame: the "MFrame"
  // values read at start-up, kept and written back at exit.
  CMainFrame(ShellApp& app, SettingsStore& settings, BuildPort* build, FrameSettings& frame);
  ~CMainFrame() override;

  // Builds the menu bar, the toolbars, the bars and the status bar; false on failure.
  bool OnCreate();
  // Shows the frame with the saved placement, else with the show command.
  void ShowMainFrame(int showCmd = 1);
  // The frame's command entry (menus, buttons, keys): the run-time id
  // ranges first, then the handlers; false when nothing ran.
  bool ExecuteCommand(CommandId id, bool fromControl = false);
  CommandState QueryCommand(CommandId id);
  CommandUpdateContext Context() const;
  void UpdateCommandUi();
  // The CAP, NUM and SCRL panes after the lock keys (at idle and after a
  // lock key).
  void UpdateKeyIndicators();
  void FillTargetSelector();
  // The open-project question: returns a chosen path or "" (replaceable by tests).
  std::function<std::string(const std::string& folder)> m_chooseProjectFile;

  // The two docking layouts (0 debug "DSTAT2\XX", 1 build "BSTAT2\XX"): the
  // layout in use captured into one, or one applied (the debug layout
  // starts without the output bar). A debug session switches between them.
  void SaveDockLayout(int which);
  void ApplyDockLayout(int which);
  // Start-up: the shortcut table as the frame's accelerators; the help
  // viewer ready for F1 (frame_keys.h).
  void InstallShortcutTable();
  void SetHelpReady(bool ready);
  FrameKeys* Keys() const { return m_keys; }
  // The workspace commands of the Window menu (frame_workspace.h).
  FrameWorkspace* Workspace() const { return m_workspace; }
  COutWin* Output() const { return m_output; }
  CPrjWin* ProjectBar() const { return m_projectBar; }
  SECControlBar* OutputBar() const { return m_outputBar; }
  SECControlBar* WatchBar() const { return m_watchBar; }
  SECControlBar* MemoryBar() const { return m_memoryBar; }
  SECStatusBar* Status() const { return m_status; }
  FrameBars* Bars() const { return m_bars; }
  EditorWindows& Editors() const { return *m_editors; }
  // Draws the main toolbars' images in the context menus the frame and the
  // editors open.
  SECBmpMenuPlugIn* ContextMenuImages() const { return m_contextMenuImages.get(); }
  // Who answers the documents' questions (save, reload); null: message boxes.
  void SetDocumentQuestions(DocumentQuestions* questions);
  FrameSettings& Settings() { return m_frameSettings; }
  // The shared window settings: fonts, colours and placements of the
  // output, debug windows and dialogs; read from the frame's settings at
  // start, written back with them at exit.
  WindowFonts& WindowSettings() { return m_windowFonts; }
  // Every open window takes its font and colours from them again (after
  // the options sheet's OK).
  void ApplyWindowSettings();
  void ApplyOutputFont();

  // ---- FrameHooks
  void CloseMainWindow() override;
  void UpdateTitle() override;
  void EnableTargetBox(bool enable) override;
  void IdleUpdate() override { UpdateCommandUi(); }
  void ShowOutputPage(int page) override;
  void RepaintMainWindow() override { update(); }
  void SetWaitCursor(bool on) override;
  void ShowStatusProgress(const ProgressRequest& request) override;
  void DriverStatusChanged(const std::string& text) override;
  bool RouteCommand(int id) override { return ExecuteCommand(CommandId(id)); }
  void AppendOutputLine(int page, const char* text) override;
  void RefreshProjectTree() override;
  void RefreshBooks() override;
  // After a build: the project window's include lists and images as the
  // build left them.
  void RefreshFileMarks(TargetRec* target) override;
  bool SaveAndCloseTextDocuments(bool close, bool ask) override;
  void* OpenDocument(const std::string& path) override;
  std::string ActiveDocumentTitle() override;
  void CheckChangedSourceFiles() override;
  void ReloadChangedDocuments() override;
  void ForAllDocuments(int action) override { RunDocumentAction(action, {}); }
  // The project's editor windows: what the options file keeps of them, and
  // the windows reopened from it (frame_window_commands.cpp).
  void StoreOpenEditorWindows(ProjectRec* project) override;
  void RestoreEditorWindows(ProjectRec* project) override;
  bool LineInput(const std::string& prompt, std::string* text) override;
  void AppendCommandOutput(const char* text) override;
  void AppendCommandEcho(const char* text) override;
  void RefreshWatch() override;
  void MarkCommandOutput(bool typedCommand) override { m_typedCommandOutput = typedCommand; }
  void ActivatePendingFrame() override;
  // The one-line input (replaceable by tests; default: the modal dialog).
  std::function<bool(const std::string& prompt, std::string* text)> m_lineInput;
  // The Save As question: the chosen path or "" (replaceable by tests).
  std::function<std::string(const std::string& suggested)> m_chooseSaveAsFile;
  // Opens an address of the support pages in the desktop's browser; false
  // when none starts (replaceable by tests).
  std::function<bool(const std::string& url)> m_openUrl;
  // The lock keys' state; nothing when it cannot be read (replaceable by
  // tests; default: the X server's keyboard).
  std::function<std::optional<KeyLocks>()> m_readKeyLocks;
  // Closes the source browser and drops the loaded browse information.
  void CloseBrowser() override;
  // The debug session (debugger/ui/debug_commands.h).
  void StartDebugger() override;
  void StopDebugger() override;
  void OnDebugStartStop() override;
  intptr_t DebugService(int code, intptr_t arg) override;
  void WriteSerial(int window, const void* chars, int count, bool wide) override;
  void RunInitFileInclude() override;

  // ---- documents and source positions
  // Gives every editor document the hints of a DocumentAction; debuggerFile
  // names the debugger's current source file. The OR of the matches (for
  // kDocAnySourceOpen: 1 when a C, assembler or C++ file is open).
  int RunDocumentAction(int action, const std::string& debuggerFile);
  // The editor document of a full path, or of a bare file name opened from
  // any folder (case ignored); null when none.
  EditorDocument* FindTextDocument(const std::string& path) const;
  // The active editor's file with its caret (path, line, column, in this
  // order everywhere) and its SourceFileId; 0 when no editor is active.
  uint32_t GetActiveSourceFile(SourcePosition* out) const;
  // The open-file question: the chosen path or "" (replaceable by tests);
  // filterIndex comes in as the last choice and goes out as the new one.
  std::function<std::string(const std::string& folder, const std::vector<std::string>& filters, int* filterIndex)>
      m_chooseSourceFile;
  // Shows a tool's help file (replaceable by tests; default: the desktop's viewer).
  std::function<void(const ToolHelpRequest&)> m_showHelp;
  // The About box and its text.
  std::string AboutBoxText() const;
  void ShowAboutBox();

  // ---- EditorStatusPanes (panes 118 and 395)
  void SetCaretPosition(const std::string& text) override;
  void SetReadOnly(const std::string& text) override;
  void SetOverwrite(const std::string& text) override;  // pane 59140
  void ShowStatusText(const std::string& text) override;

  // ---- DocumentShell
  int TargetToolset() const override;
  int FileTypeOfName(const std::string& path) const override;
  // A saved file and its caret line go to the add-in when one is connected.
  void DocumentSaved(const std::string& path, int caretLine) override;

  // ---- CommandTarget: the menu bar and the toolbars route through the table
  bool Execute(CommandId id) override { return ExecuteCommand(id); }
  bool Update(CommandState& state) override;

  // ---- ProjectViewOwner
  void OpenSelectedFile() override;
  void OpenIncludeFile(const std::string& localPath) override;
  void ShowProjectContextMenu(QPoint globalPos) override;
  void TargetNamesChanged() override { FillTargetSelector(); }

  // A file dropped on the window: a project file opens as the project, as
  // File > Open opens it; any other file in the editor at its first line.
  void OpenDroppedFile(const std::string& path);
  // The editor's tab size of the current target's C files, for the compilers.
  int CTabWidth() const;

  // ---- MessageJumpTarget (a double click on a build message)
  void OpenFileAndShow(const std::string& file, int line, int column) override;
  void ShowToolHelp(int code, const std::string& topic) override;

 private:
  void CreateBars();
  void CreateStatusBar();
  void RegisterCommands();
  void RegisterKeys();
  bool CloseSequence();
  void SaveLayoutAndPlacement();
  void UpdateRecentMenu(QMenu* menu);
  // The File menu's recent documents, before Exit; and the command of one.
  void UpdateRecentFilesMenu(QMenu* menu);
  void OnRecentFile(int index);
  void RenderProgress();
  void TargetChosen(int index);

  // Handlers of the project, target and build commands.
  void OnOpenProject();
  void OnCloseProject();
  void OnSaveAll();
  void OnBuild(int mode);
  // A start the build system refused: busy cleared, the target box back.
  void BuildNotStarted();
  void OnTranslateFile();
  void OnTranslateSelected();
  void OnStopBuild();
  void OnRemoveItem();
  void OnRecentProject(int index);
  void OnFileOpen();
  void OnFileSave();
  void ToggleBar(SECControlBar* bar);
  // Hands the application's visual-style switch to the toolkit as its XP
  // look and redraws what shows it: toolbar and menu images are loaded
  // again (the classic look maps their colours, the XP look keeps them).
  void ApplyVisualStyle();
  void RegisterEditorCommands();
  // File New, Save As and Close, the Window menu, the Help menu's books and
  // pages, and the editor options (frame_window_commands.cpp).
  void RegisterWindowCommands();
  void ForgetWindowCommands();
  void OnFileNew();
  void OnFileSaveAs();
  void OnEditorOptions();
  void OnBooksWindow();
  void UpdateWindowMenu(QMenu* menu);
  bool m_typedCommandOutput = false;
  FrameKeys* m_keys = nullptr;
  FrameWorkspace* m_workspace = nullptr;
  // Set while a close has asked its questions about the modified texts:
  // later steps of the same close neither ask again nor save.
  bool m_documentsAsked = false;
  void ShowGotoLineDialog();
  void ActiveEditorChanged();
  uint32_t* EditorState();

  ShellApp& m_app;
  SettingsStore& m_settings;
  BuildPort* m_build;
  FrameSettings& m_frameSettings;
  WindowFonts m_windowFonts;
  FrameBars* m_bars = nullptr;
  SECStatusBar* m_status = nullptr;
  CPrjWin* m_projectBar = nullptr;
  SECControlBar* m_outputBar = nullptr;
  COutWin* m_output = nullptr;
  SECControlBar* m_watchBar = nullptr;
  SECControlBar* m_memoryBar = nullptr;
  EditorWindows* m_editors = nullptr;
  std::unique_ptr<SECBmpMenuPlugIn> m_contextMenuImages;
  ForwardingQuestions m_questions;
  QPointer<QWidget> m_gotoLine;  // the one go-to-line dialog
  std::unique_ptr<DocumentQuestions> m_messageBoxes;
  // The editor's bits of the application state, kept in step with it.
  uint32_t m_editorState = 0;
  std::unique_ptr<StatusProgress> m_progress;
  std::string m_lastProjectFolder;
  // Open files outside the project that its list of open files cannot
  // hold, each told to the user once.
  std::set<std::string> m_unkeptEditorFiles;
  FindBoxHistory m_findHistory;
  void FindEntered(const std::string& text);
  // The text goes to the front of the find history and of the find box,
  // chosen there; the history is saved.
  void AddFindHistory(const std::string& text);
  // The build's progress in the status bar: the steps expected and seen.
  bool m_buildProgress = false;
  int m_buildSteps = 0;
  int m_buildStep = 0;
  std::string m_buildLabel;
  void StartBuildProgress(const std::string& label, int steps);
  void BuildProgressLine(const char* text);
  bool m_closing = false;
  bool m_created = false;
  bool m_reloadCheckWaits = false;  // the check after coming back is on its timer
  // The open-file dialog's folder and filter, kept for this run.
  std::string m_openFolder;
  int m_openFilterIndex = 0;
  // The icons of the open-file dialog's rows, one set for every opening:
  // each dialog with icons of its own would leave its scaled images in
  // Qt's pixmap cache under keys no later dialog asks for.
  std::unique_ptr<QFileIconProvider> m_openDialogIcons;

 public:
  // The project dialogs' commands and the tools' commands, in files of
  // their own (project_commands_ext.h, tool_commands.h).
  ProjectCommandsExt* ProjectCommands() const { return m_projectCommands.get(); }
  ToolCommands* Tools() const { return m_tools.get(); }
  // The add-in link's commands (addin_commands.h).
  AddInCommands* AddIns() const { return m_addIns.get(); }
  // The source browser's command, window and look-ups (browser_commands.h).
  BrowserCommands* Browser() const { return m_browser.get(); }
  DebugCommands* Debugger() const { return m_debug.get(); }

 private:
  std::unique_ptr<ProjectCommandsExt> m_projectCommands;
  std::unique_ptr<ToolCommands> m_tools;
  std::unique_ptr<AddInCommands> m_addIns;
  std::unique_ptr<BrowserCommands> m_browser;
  std::unique_ptr<DebugCommands> m_debug;
};

}  // namespace pm2
