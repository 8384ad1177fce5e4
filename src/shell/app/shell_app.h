// The application object: the record of shared state that every part of
// the shell reads (the open project lives in AppState, which this object
// drives), the single-instance window registry, the values of the command
// line, the recent-project list and the installation paths, with the
// operations of start-up and shut-down, cross-thread output, notification
// codes, deferred commands, IDE service calls and the project's open, save
// and close.
//
// Everything runs on the GUI thread (the thread that built the object)
// except the output helpers and IdeServiceCall, which may be called from
// any thread and carry their work to the GUI thread through the
// notification hub. Worker threads touch only the busy bit of the state.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "project/files/project_file.h"
#include "project/model/app_state.h"
#include "shell/app/command_text_pool.h"
#include "shell/app/deferred_commands.h"
#include "platform/progress_request.h"
#include "platform/service_record.h"
#include "shell/app/recent_projects.h"
#include "shell/app/state_bits.h"
#include "shell/app/window_registry.h"

namespace pm2 {

class NotificationHub;
class SettingsStore;
class FileWatch;
class Disk;
class UserDialogs;
class TimerPort;
class FrameHooks;
class BuildPort;
class DebugPort;
class IpcPort;
class StartupPorts;
struct NodeRec;
struct ProjectRec;
struct TargetRec;
struct OptionBlock;
struct CodeGenImportEnv;

struct ShellDeps {
  NotificationHub* hub = nullptr;      // required: the way to the GUI thread
  UserDialogs* dialogs = nullptr;      // required
  SettingsStore* settings = nullptr;   // required: the profile
  TimerPort* timer = nullptr;          // required: the deferred commands' timer
  BuildPort* build = nullptr;          // null: nothing builds
  FrameHooks* frame = nullptr;         // null until the main frame exists
  DebugPort* debug = nullptr;          // null: no session
  IpcPort* ipc = nullptr;              // null: nothing is sent
  FileWatch* watcher = nullptr;        // null: the project file is not watched
  Disk* disk = nullptr;                // project writes; null: the real disk
};


// The serial output record of codes 3 and 4.
struct SerialOutputRecord {
  int32_t window = 0;    // 0..2
  int32_t count = 0;
  const void* chars = nullptr;  // 8-bit (code 3) or 16-bit (code 4) characters
};

// The driver input record of code 11.
struct DriverInputRecord {
  uint32_t value = 0;
  uint16_t extra = 0;
};

// What OpenDocumentFile returns for a project file: a project was opened
// (or refused), no document.
inline void* const kProjectOpenedMarker = reinterpret_cast<void*>(1);

// Commands the application routes through the frame.
enum ShellCommandId : int {
  kCmdBuildTarget = 32720,
  kCmdRebuildAll = 32816,
  kCmdStopBuild = 32721,
  kCmdDebugStartStop = 32802,
};

// The question of a close that cannot save the project (Yes closes it).
extern const char* const kCloseUnsavedQuestion;

class ShellApp {
 public:
  explicit ShellApp(ShellDeps deps);
  ~ShellApp();
  ShellApp(const ShellApp&) = delete;
  ShellApp& operator=(const ShellApp&) = delete;

  void SetFrame(FrameHooks* frame);
  void SetDebugPort(DebugPort* debug);
  void SetIpcPort(IpcPort* ipc);
  FrameHooks& Frame() const;
  DebugPort& Debug() const;
  IpcPort& Ipc() const;
  UserDialogs& Dialogs() const { return *m_deps.dialogs; }
  SettingsStore& Settings() const { return *m_deps.settings; }
  NotificationHub& Hub() const { return *m_deps.hub; }

  // ---------------------------------------------------------- shared state
  AppState& State() const { return theApp(); }
  ProjectRec* Project() const { return theApp().m_pProject; }
  bool HasState(uint32_t bits) const { return (theApp().m_nState.load() & bits) != 0; }
  void SetState(uint32_t bits) { theApp().m_nState.fetch_or(bits); }
  void ClearState(uint32_t bits) { theApp().m_nState.fetch_and(~bits); }
  bool IsGuiThread() const { return std::this_thread::get_id() == m_guiThread; }

  NodeRec* m_pSelItem = nullptr;     // the project-window item selected last
  NodeRec* m_pOptionsNode = nullptr; // the node whose options sheet is open, null when none
  WindowRegistry m_windows;          // the single-instance windows
  void* m_hEscapeParent = nullptr;   // Esc in a child of it focuses the active view
  RecentProjects m_recent;
  RecentProjects m_recentFiles = RecentProjects::Files();  // the recent documents
  std::string m_szProgramFolder;     // ends in '/'
  std::string m_szSpawnPath;         // "VSPAWN.EXE" beside the program
  std::string m_szDeviceDbPath;      // the program's path with the extension "cdb"
  std::string m_szWatchedProject;    // the project file as last written or read
  // The user's answers to LinkQuestion, by link and target: asked once,
  // not again at every save (a build saves the project first).
  std::map<std::pair<std::string, std::string>, bool> m_linkAnswers;
  std::string m_szTargetArg;         // -t; cleared once the first project is opened
  std::string m_szOutputArg;         // -o
  std::string m_szProjectArg;        // -p, -d or a bare word
  std::string m_szBuildLogName;      // "<output base>.plg" of the current target
  std::string m_szBrowseFile;        // the output base of the current target
  std::FILE* m_pOutputFile = nullptr;  // the -o file while the first project is open
  uint16_t m_familyWord = 2;         // copied into the debugger record's header
  uint16_t m_familyWord2 = 0;        // likewise; 0 after each project open
  uint32_t m_envDigit = 3;
  int32_t m_cmdWindowValues[2] = {}; // written by the command window (service 25)
  int m_outputHeight = 130;          // "OvwH"
  int m_projectWidth = 180;          // "PrjW"
  int m_nSerialToOpen = 0;
  uint32_t m_visualStyle = 0;        // 0 at every start; "XpStyle" at exit
  std::string m_currentDir;          // the folder SetProjectDirectory chose

  bool m_bMirrorCommands = false;    // -x
  std::atomic<bool> m_bMirrorActive{false};  // a typed command's output is mirrored
  bool m_bDirErrorShown = false;
  bool m_bHoldOpenError = false;  // a failed open is tried again: say nothing yet
  bool m_bImportChangePending = false;
  // The migration question is open: a check that comes meanwhile (the
  // program activated again, a tool ended) must not ask it a second time.
  bool m_bAskingImportChange = false;
  bool m_bProjectChangedWhileBusy = false;
  // Exit was asked while the build linked (a link is not stopped): the
  // program closes when the build's end is told.
  bool m_bCloseWhenBuildEnds = false;
  std::string m_szDriverStatus;      // at most 30 characters (code 13)

  // ---------------------------------------------------------- toolset queries
  // The current target's ToolsetId 0..4; 100 without project, target or a
  // known toolset.
  int GetTargetToolset() const;
  bool HasTarget() const;
  bool IsTarget166() const;
  OptionBlock* GetCurrentTargetOptions() const;

  // ---------------------------------------------------------- project state
  // Takes the open project's folder as the folder that file dialogs and
  // relative names start from (the process's own directory is never
  // changed); false without a project, with an empty folder, or when the
  // folder does not exist - then "Error: can't set directory '%s' !" once
  // until the next project is opened.
  bool SetProjectDirectory();
  // Composes the current target's output base into *buffer (may be null),
  // sets m_szBuildLogName and opens the build log; 0 (and an empty buffer)
  // without project, target or block; else the base's length.
  int SetBuildLogName(std::string* buffer);
  void SelectTarget(TargetRec* target);
  // kind 1 the project file, else the options file: clears the project's
  // read-only flag and sets it again when the file exists and cannot be
  // written. -1 file missing, 0 writable, 1 read-only.
  int CheckProjectFileReadOnly(ProjectRec* project, int kind);
  // The project's folder (the path's, with its separator) and name.
  static void SetProjectPathName(ProjectRec* project, const std::string& path,
                                 const std::string& name);
  // The driver's KEY=value list of the current target (keys ignoring
  // case): null when the key is absent or there is no current target.
  const char* GetDriverKey(const char* key) const;
  // 0 without a current target block or with a missing argument, else 1.
  int SetDriverKey(const char* key, const char* value);
  // 1 when the target's (null: the current one's) output file exists; with
  // del set it is deleted.
  int CheckTargetOutputFile(TargetRec* target, bool del);

  // Both recent lists are stored as soon as they change: a program ended by
  // a signal or a crash keeps what the user opened until then.
  void AddRecentProject(const std::string& path);
  void RemoveRecentProject(const std::string& path) { m_recent.Remove(path); }
  void LoadRecentProjects();
  void SaveRecentProjects();
  void AddRecentFile(const std::string& path);
  void StoreRecentLists();

  // ---------------------------------------------------------- start-up, exit
  // Parses the program's command line into the -d/-b/-r/-x/-y bits and the
  // argument texts.
  void ParseCommandLine(const std::string& text);
  // Fills the installation paths from the program's path and reads
  // "TOOLS.INI"; false (after a beep and a message naming the file) when it
  // cannot be read.
  bool FindToolsIni(const std::string& programPath);
  // The start-up in its fixed order; false ends the program.
  bool InitInstance(StartupPorts& ports, const std::string& commandLine,
                    const std::string& programPath);
  int ExitInstance(StartupPorts& ports);

  // ---------------------------------------------------------- output (any thread)
  // mode 0: a line for the build page; else a beep and a message box.
  // Returns the formatted length (nothing happens below 1).
  int PrintToOutput(int mode, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void PostOutputText(const char* text);
  void PrintToCommandWindow(const char* text);
  // GUI thread only:
  void OutputText(const char* text);
  void OutputText2(const char* text);
  void CommandWindowText(const char* text);
  int ExecDebugCommandLine(const char* text);
  int ExecDebugCommand(const char* text, int length);
  int WriteSerialWindow(int window, const uint8_t* bytes, int count);
  // The driver's echo of a command for the command window (a driver
  // callback; any thread: from another one it is posted with its flag).
  void DriverCommandOutput(const char* text);
  int WriteSerialWindow16(int window, const uint16_t* chars, int count);

  // ---------------------------------------------------------- notifications
  // The IDE notification message's handler; returns 1 for every code.
  intptr_t OnDebugNotify(int code, intptr_t arg);
  bool PostDeferredCommand(int code) { return m_deferred.Post(code); }
  // The program's exit status after a -b or -r start, as the command-line
  // build gives it: 0 when the last build created its target without
  // errors, 1 otherwise (also when no build ended).
  int BatchExitStatus() const;
  // What the build-end event tells a peer: -1 stopped, 0 built without
  // errors, 1 not built.
  int BuildEndResult() const;
  DeferredCommands& Deferred() { return m_deferred; }

  // ---------------------------------------------------------- service calls
  intptr_t IdeServiceCall(int code, intptr_t arg);
  intptr_t IdeServiceCallNoLock(int code, intptr_t arg);
  intptr_t IdeServiceDispatch(int code, intptr_t arg);
  // The instance channel's progress requests (kinds 180, 181, 182).
  void DdeProgressRequest(int kind, const char* text);
  // Toolbox buttons kept while the tool-box window is closed (codes 32, 33).
  struct ToolBoxButton {
    std::string text;
    std::string command;
    bool fromProject = false;  // from the options file, not yet run (ToolButton)
  };
  const std::vector<ToolBoxButton>& SavedToolBox() const { return m_toolBox; }
  // The tool box hands its buttons back when it closes.
  void SetSavedToolBox(std::vector<ToolBoxButton> buttons) { m_toolBox = std::move(buttons); }

  // ---------------------------------------------------------- project
  // fromWatcher: the reload after an external change (no -t, -o again).
  void OpenProject(const std::string& path, bool fromWatcher = false);
  // Writes and closes the project. With interactive set, a failed write
  // offers another name or keeps the project open (false); a project that
  // holds a text no save can write asks kCloseUnsavedQuestion.
  bool CloseProject(bool interactive = false);
  void SaveProject();
  // Asked by the writer for a read-only project file.
  bool SaveProjectAs(ProjectRec* project);
  // The question before a project or options file that is a symbolic link
  // is written through it; none in a build from the command line.
  WriteThroughLinkHook LinkQuestion();
  // Whether the open project may give way to another: not while a debug
  // session runs on it or a build or tool uses it (its breakpoints and
  // outputs belong to it). A refusal beeps; nothing else changes.
  bool MayReplaceProject();
  // The framework's open entry: project files open as the project
  // (kProjectOpenedMarker, also when MayReplaceProject refused; null while
  // an editor document is being opened), others as documents.
  void* OpenDocumentFile(const std::string& path);
  int ReloadProjectAfterTool();
  // Asks "File '%s' has changed. ..." when the ".dpt" file a project was
  // imported from has changed since, and migrates the changes on Yes (1).
  int CheckImportedProjectChanged(ProjectRec* project);
  // The code-generator importer's environment: the first device database,
  // the toolsets' folders, failures told as errors.
  CodeGenImportEnv CodeGenEnv();
  bool TakeImportChangePending();
  // The project file of the same name as a ".dpt" file; true when it exists.
  static bool FindImportedProject(const std::string& dptPath, std::string* out);
  // Makes the first non-hidden target of exactly that name current.
  static bool SelectTargetByName(ProjectRec* project, const std::string& name);
  // The watch of an opened project's file starts this long after the open,
  // when the window is up: setting it up and taking it down again (the
  // kernel waits out a grace period when a watch descriptor closes) is no
  // part of showing the project. A change made meanwhile is still reported.
  static constexpr int kProjectWatchDelayMs = 500;
  bool ProjectWatchPending() const { return m_watchTimer != 0; }

 private:
  class Services;
  void RunDeferred(int code);
  void ProjectFileChanged();
  void ScheduleProjectWatch(const std::string& path);
  void StartProjectWatch();
  void CancelProjectWatch();
  void BuildEnded(intptr_t notBuilt);
  void WriteOutputCopy(const char* text);
  void CloseOutputCopy();
  intptr_t ServiceOffGuiThread(int code, intptr_t arg, bool lock);

  // Notification codes and service codes, one table row each.
  struct NotifyRow;
  struct ServiceRow;
  static const NotifyRow kNotifyRows[];
  static const ServiceRow kServiceRows[];

  ShellDeps m_deps;
  std::thread::id m_guiThread;
  std::unique_ptr<Services> m_services;
  ShellServices* m_previousServices = nullptr;
  CommandTextPool m_cmdTextPool;
  DeferredCommands m_deferred;
  std::vector<ToolBoxButton> m_toolBox;
  // The questions before a driver runs a program a project named by its
  // path that the user answered Yes to: not asked again in this run.
  std::vector<std::string> m_agreedRuns;
  std::string m_activeDocTitle;     // kept for service code 2054
  int m_lastBuildEnd = -1;          // code 7's argument: 0 built, 1 not; -1 none yet
  ProgressRequest m_ddeProgress;   // the instance channel's progress record
  std::string m_ddeLabel;
  int m_watchTimer = 0;             // the pending start of the project-file watch
  std::string m_watchPath;          // the file it will watch
  std::int64_t m_watchFileTime = -1;  // its write time (ns) when it was read; -1 none
};

}  // namespace pm2
