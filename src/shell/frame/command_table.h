// The main frame's command table: every fixed command id with its menu,
// what it does and the rule of its update handler, and the id ranges the
// frame fills at run time. The rules are functions of a CommandUpdateContext, a
// plain snapshot of the state they read, so that they can be checked
// without a window.
#pragma once

#include <string>
#include <vector>

#include "toolkit/core/commands.h"

namespace pm2 {

// What the update rules look at; the frame fills it before an update.
struct CommandUpdateContext {
  bool sessionActive = false;     // bit 0 of the active debugger record's flags
  bool targetExecuting = false;   // bit 3 of the same flags
  bool buildRunning = false;      // the busy bit of the application state
  bool stopBlocked = false;       // a tool run that must not be stopped
  bool hasProject = false;
  bool projectReadOnly = false;
  bool hasTarget = false;         // the project has a current target
  bool currentTargetHidden = false;
  bool currentTargetHasOptions = false;
  std::string targetName;         // the current target's name
  int activeViewKind = 0;         // 1 disassembly, 2 editor view, 4 editor elsewhere, 0 none
  bool viewHasSelection = false;
  std::string activeDocName;      // file name of the active editor document
  bool activeDocTranslatable = false;  // C, assembly or C++ file of the project
  int selectedKind = 0;           // 0 none, 2 target, 3 group, 4 file
  int selectedFileType = 0;       // FileType of a selected file
  bool selectedIsInclude = false; // the selected file is an include entry
  std::string selectedName;
  bool projectBarOpen = false;
  bool outputBarOpen = false;
  bool toolbarVisible[3] = {};    // "File", "Build", "Debug"
  bool workbookMode = false;
  bool includeDependencies = false;
  bool visualStyle = false;       // the application's visual-style switch
  bool findRunning = false;
  int recentCount = 0;            // entries of the recent-project list
  bool flashDownloadReady = false;  // the flash options name a driver or a tool
  bool flashEraseReady = false;     // erase through the driver is enabled
};

using UpdateRule = void (*)(const CommandUpdateContext&, CommandState&);

struct CommandRow {
  CommandId first = 0;
  CommandId last = 0;             // equals first for a single id
  const char* menu = "";
  const char* what = "";          // a sentence for the user: the status line's prompt
  // Null: the state comes from the window or module that owns the command
  // (the editor, the debug bar and dialogs, the source browser, the frame's
  // window commands).
  UpdateRule update = nullptr;
};

// Ids of the commands the frame implements itself.
namespace cmd {
constexpr CommandId kFileNew = 57600, kFileOpen = 57601, kFileSave = 57603, kSaveAll = 32717;
constexpr CommandId kEditCut = 57635, kEditCopy = 57634, kEditPaste = 57637, kEditUndo = 57643, kEditRedo = 57644,
                    kEditFind = 57636, kPrint = 57607;
constexpr CommandId kViewProjectBar = 35037, kViewOutputBar = 35033, kViewFileBar = 35038, kViewBuildBar = 35039,
                    kViewDebugBar = 35040, kViewWorkbook = 32705, kViewIncludeDeps = 35409,
                    kViewVisualStyle = 35417;
constexpr CommandId kNewProject = 32702, kOpenProject = 32792, kCloseProject = 32793, kComponents = 32704,
                    kSelectDevice = 32712, kOptionsForItem = 32707, kOptionsForTarget = 35051,
                    kRemoveItem = 35085, kAddFiles = 35000, kOpenSelectedFile = 32708, kImportOld = 35091;
constexpr CommandId kBuildTarget = 32720, kRebuildAll = 32816, kTranslate = 32719, kTranslateNamed = 35403,
                    kTranslateNamed2 = 35092, kStopBuild = 32721;
constexpr CommandId kRecentFirst = 32804, kRecentLast = 32813;
// The File menu's recent documents (six places), after Print.
constexpr CommandId kRecentFileFirst = 57616, kRecentFileLast = 57621;
constexpr CommandId kDebugStartStop = 32802;
constexpr CommandId kCloseAll = 35129;
constexpr CommandId kAppExit = 57665, kAppAbout = 57664;
constexpr CommandId kFindBox = 1000, kTargetBox = 1088;
}  // namespace cmd

// The table in menu order.
const std::vector<CommandRow>& CommandTable();
// The row of an id, or null.
const CommandRow* FindCommandRow(CommandId id);
// The state the row's rule gives (enabled and unchecked when the row has
// no rule; handled stays false for an id without a row).
CommandState EvaluateCommand(CommandId id, const CommandUpdateContext& ctx);

// The status line's prompt of a command: what a single row of the table
// says it does, else the text of its menu item; "" when neither has it.
std::string CommandPrompt(CommandId id);

// Ids the frame fills at run time.
enum class RuntimeRange { None, RecentProject, DriverMenu, UserTool, SourceControl };
// The range of an id; *index is its place in the range and *table the
// driver table (0..3) for DriverMenu.
RuntimeRange ClassifyRuntimeId(CommandId id, int* index, int* table = nullptr);

}  // namespace pm2
