#include "shell/frame/command_table.h"

#include "shell/frame/shell_resources.h"

namespace pm2 {

namespace {

using C = const CommandUpdateContext&;
using S = CommandState&;

bool ProjectMayChange(C c) { return !c.sessionActive && !c.buildRunning; }
bool DebugIdle(C c) { return c.sessionActive && !c.targetExecuting; }
bool SelectedOpenable(C c) {
  if (c.selectedKind != 4 || c.selectedIsInclude) return false;
  switch (c.selectedFileType) {
    case 0: case 1: case 2: case 5: case 6: case 7: case 8: return true;
    default: return false;
  }
}
bool SelectedTranslatable(C c) {
  return c.selectedKind == 4 && !c.selectedIsInclude &&
         (c.selectedFileType == 1 || c.selectedFileType == 2 || c.selectedFileType == 8);
}

// The common rules.
void Always(C, S s) { s.Enable(true); }
void RuleP(C c, S s) { s.Enable(ProjectMayChange(c)); }
void RuleD(C c, S s) { s.Enable(DebugIdle(c)); }
void PWithTarget(C c, S s) { s.Enable(ProjectMayChange(c) && c.hasTarget); }
void ProjectBar(C c, S s) {
  s.Enable(true);
  s.SetCheck(c.projectBarOpen ? 1 : 0);
}
void OutputBar(C c, S s) {
  s.Enable(true);
  s.SetCheck(c.outputBarOpen ? 1 : 0);
}
void FileBar(C c, S s) { s.SetCheck(c.toolbarVisible[0]); }
void BuildBar(C c, S s) { s.SetCheck(c.toolbarVisible[1]); }
void DebugBar(C c, S s) { s.SetCheck(c.toolbarVisible[2]); }
void Workbook(C c, S s) { s.SetCheck(c.workbookMode ? 1 : 0); }
void IncludeDeps(C c, S s) { s.SetCheck(c.includeDependencies ? 1 : 0); }
// The look changes only outside a debug session.
void VisualStyle(C c, S s) {
  s.Enable(!c.sessionActive);
  s.SetCheck(c.visualStyle ? 1 : 0);
}
void FindInFiles(C c, S s) {
  s.Enable(true);
  s.SetCheck(c.findRunning ? 1 : 0);
}
void IndentLines(C c, S s) { s.Enable(c.activeViewKind == 2 && c.viewHasSelection); }
void CloseProject(C c, S s) { s.Enable(c.hasProject && ProjectMayChange(c)); }
void SelectDevice(C c, S s) {
  s.Enable(c.selectedKind == 2 && !c.projectReadOnly && !c.currentTargetHidden && ProjectMayChange(c));
  if (c.hasTarget) s.SetText("Select &Device for Target '" + c.targetName + "'...");
}
const char* KindWord(int kind) { return kind == 2 ? "Target" : kind == 3 ? "Group" : "File"; }
void OptionsForItem(C c, S s) {
  s.Enable(ProjectMayChange(c) && c.hasTarget && c.selectedKind != 0 && c.currentTargetHasOptions);
  if (c.selectedKind != 0)
    s.SetText(std::string("&Options for ") + KindWord(c.selectedKind) + " '" + c.selectedName + "'...");
}
void RemoveItem(C c, S s) {
  // Only a group or a file can be removed: without one there is nothing to do.
  s.Enable(c.hasProject && !c.projectReadOnly && ProjectMayChange(c) && (c.selectedKind == 3 || c.selectedKind == 4));
  if (c.selectedKind == 3) s.SetText("R&emove Group '" + c.selectedName + "' and it's Files");
  if (c.selectedKind == 4) s.SetText("R&emove File '" + c.selectedName + "'");
}
void AddFiles(C c, S s) {
  s.Enable(c.selectedKind == 3 && !c.projectReadOnly && ProjectMayChange(c));
  if (c.selectedKind == 3) s.SetText("Add Files to Group '" + c.selectedName + "'...");
}
void OpenSelected(C c, S s) {
  s.Enable(SelectedOpenable(c));
  if (c.selectedKind == 4) s.SetText("&Open " + c.selectedName);
}
void Translate(C c, S s) {
  s.Enable(ProjectMayChange(c) && c.hasTarget && c.activeDocTranslatable);
  if (!c.activeDocName.empty()) s.SetText("&Translate " + c.activeDocName);
}
void TranslateNamed(C c, S s) {
  s.Enable(ProjectMayChange(c) && c.hasTarget && SelectedTranslatable(c));
  if (c.selectedKind == 4) s.SetText("&Translate " + c.selectedName);
}
void StopBuild(C c, S s) { s.Enable(c.buildRunning && !c.stopBlocked); }
void Recent(C c, S s) { s.Enable(ProjectMayChange(c)); }
void StopRunning(C c, S s) { s.Enable(c.sessionActive && c.targetExecuting); }
void FindBox(C c, S s) { s.Enable(c.activeViewKind == 1 || c.activeViewKind == 2); }
void EditorViewActive(C c, S s) { s.Enable(c.activeViewKind == 2); }
void FlashDownload(C c, S s) { s.Enable(ProjectMayChange(c) && c.hasTarget && c.flashDownloadReady); }
void FlashErase(C c, S s) { s.Enable(ProjectMayChange(c) && c.hasTarget && c.flashEraseReady); }

}  // namespace

const std::vector<CommandRow>& CommandTable() {
  static const std::vector<CommandRow> rows = {
      {57600, 57601, "File", "Create a new document, or open a file", nullptr},
      {32717, 32717, "File", "Save all text documents, then the project", Always},
      {32710, 32710, "File", "Edit the device database", RuleP},
      {57607, 57607, "File", "Print the active document", nullptr},
      {57634, 57637, "Edit", "Copy, cut, find or paste text", nullptr},
      {57643, 57644, "Edit", "Undo or redo the last change", nullptr},
      {35056, 35056, "Edit", "Find a text in files, or stop the running search", FindInFiles},
      {35070, 35071, "Edit", "Unindent or indent the selected lines", IndentLines},
      {45027, 45030, "Edit", "Set, find or clear bookmarks", nullptr},
      {35086, 35086, "Edit", "Cut the caret's line to the clipboard", nullptr},
      {35087, 35087, "Edit", "Find the word at the caret further down", nullptr},
      {35088, 35088, "Edit", "Find the word at the caret further up", nullptr},
      {35099, 35099, "Edit", "Go to the definition of the word at the caret", nullptr},
      {35100, 35100, "Edit", "Go to a reference to the word at the caret", nullptr},
      {35037, 35037, "View", "Show or hide the project window", ProjectBar},
      {35033, 35033, "View", "Show or hide the output window", OutputBar},
      {35038, 35038, "View", "Show or hide the File toolbar", FileBar},
      {35039, 35039, "View", "Show or hide the Build toolbar", BuildBar},
      {35040, 35040, "View", "Show or hide the Debug toolbar", DebugBar},
      {32705, 32705, "View", "Show the document windows as tabs", Workbook},
      {32763, 32763, "View", "Set the editor's colours, fonts and options", Always},
      {32752, 32752, "View", "Show or hide the disassembly window", nullptr},
      {32749, 32749, "View", "Show or hide the watch and call stack window", nullptr},
      {32758, 32758, "View", "Show or hide the memory window", nullptr},
      {32735, 32735, "View", "Show or hide serial window #1", nullptr},
      {32728, 32728, "View", "Show or hide serial window #2", nullptr},
      {35418, 35418, "View", "Show or hide serial window #3", nullptr},
      {32732, 32732, "View", "Show or hide the performance analyzer", nullptr},
      {35047, 35047, "View", "Show or hide the code coverage window", nullptr},
      {35048, 35048, "View", "Show or hide the symbols window", nullptr},
      {35073, 35073, "View", "Show or hide the toolbox", nullptr},
      {35081, 35081, "View", "Update the debug windows while the program runs", nullptr},
      {35096, 35096, "View", "Open the source browser", nullptr},
      {35409, 35409, "View", "Show the included files in the project window", IncludeDeps},
      {35417, 35417, "View", "Draw the menus and toolbars in the XP style or the classic style", VisualStyle},
      {32702, 32702, "Project", "Create a new project", RuleP},
      {32792, 32792, "Project", "Open a project", RuleP},
      {32793, 32793, "Project", "Close the project", CloseProject},
      {32704, 32704, "Project", "Manage the targets, groups, environment and books", Always},
      {32712, 32712, "Project", "Select the device of the current target", SelectDevice},
      {32707, 32707, "Project", "Set the options of the selected item", OptionsForItem},
      {35051, 35051, "Project", "Set the options of the current target", PWithTarget},
      {35085, 35085, "Project", "Remove the selected group or file", RemoveItem},
      {35000, 35000, "Project", "Add files to the selected group", AddFiles},
      {32708, 32708, "Project", "Open the selected file", OpenSelected},
      {35091, 35091, "Project", "Import a Pelmora1 project", RuleP},
      {32720, 32720, "Project", "Build the current target", PWithTarget},
      {32816, 32816, "Project", "Rebuild all files of the current target", PWithTarget},
      {32719, 32719, "Project", "Translate the active editor file", Translate},
      {35403, 35403, "Project", "Translate the selected file", TranslateNamed},
      {35092, 35092, "Project", "Translate the selected file", TranslateNamed},
      {32721, 32721, "Project", "Stop the build", StopBuild},
      {32804, 32813, "Project", "Open a recent project", Recent},
      {32802, 32802, "Debug", "Start or stop a debug session", nullptr},
      {32815, 32815, "Debug", "Stop the debug session", RuleD},
      {32791, 32791, "Debug", "Run the program", RuleD},
      {32797, 32797, "Debug", "Stop the running program", StopRunning},
      {32794, 32795, "Debug", "Step into or over the next statement", RuleD},
      {32741, 32741, "Debug", "Step out of the current function", nullptr},
      {32796, 32796, "Debug", "Run to the cursor line", nullptr},
      {35072, 35072, "Debug", "Show the next statement", RuleD},
      {35012, 35012, "Debug", "Insert or remove a breakpoint", nullptr},
      {35017, 35017, "Debug", "Enable or disable a breakpoint", nullptr},
      {35015, 35016, "Debug", "Disable or kill all breakpoints", Always},
      {35041, 35041, "Debug", "Edit the breakpoints", RuleD},
      {35019, 35019, "Debug", "Record the executed instructions or stop recording", nullptr},
      {35043, 35043, "Debug", "View the recorded instructions", nullptr},
      {35069, 35069, "Debug", "Edit the memory map", nullptr},
      {35079, 35079, "Debug", "Set up the performance analyzer", nullptr},
      {35082, 35083, "Debug", "Change code in place, or edit the debug functions", nullptr},
      {35020, 35020, "Peripherals", "Reset the CPU", nullptr},
      {35058, 35067, "(memory window)", "Show the memory in another format", nullptr},
      {35407, 35408, "(memory window)", "Show the memory in another format", nullptr},
      {35090, 35090, "(memory window)", "Change the memory at the cursor", nullptr},
      {35124, 35125, "(watch window)", "Show values in decimal or hexadecimal", nullptr},
      {35411, 35411, "(disassembly window)", "Show the source line of the cursor's address", nullptr},
      {35413, 35413, "(disassembly window)", "Set the program counter to the cursor's address", nullptr},
      {35129, 35129, "Window", "Close all documents", EditorViewActive},
      {35134, 35134, "Help", "Open the books window", Always},
      {35135, 35135, "Help", "Open the peripheral help of the device", nullptr},
      {35136, 35137, "Help", "Open the web page", Always},
      {35400, 35400, "Help", "Check for an update on the web", Always},
      {35404, 35404, "Flash", "Download the program to the flash memory", FlashDownload},
      {35405, 35405, "Flash", "Erase the flash memory", FlashErase},
      {35415, 35415, "Flash", "Configure the flash tools of the current target", PWithTarget},
      {32789, 32789, "(none)", "", Always},
      {1000, 1000, "toolbar", "Find the text typed in the box", FindBox},
      {1088, 1088, "toolbar", "Select the current target", Always},
      {118, 118, "status bar", "", Always},
      {123, 123, "status bar", "", Always},
  };
  return rows;
}

const CommandRow* FindCommandRow(CommandId id) {
  for (const CommandRow& r : CommandTable())
    if (id >= r.first && id <= r.last) return &r;
  return nullptr;
}

CommandState EvaluateCommand(CommandId id, const CommandUpdateContext& ctx) {
  CommandState s;
  s.id = id;
  const CommandRow* row = FindCommandRow(id);
  if (row && row->update) row->update(ctx, s);
  return s;
}

namespace {

// The item text of a command in a menu, without '&' and its key.
std::string MenuItemText(const std::vector<MenuEntry>& entries, CommandId id) {
  for (const MenuEntry& e : entries) {
    if (e.kind == MenuEntry::Kind::Popup) {
      std::string t = MenuItemText(e.children, id);
      if (!t.empty()) return t;
    }
    if (e.kind != MenuEntry::Kind::Item || e.id != id) continue;
    std::string t;
    for (char c : e.text) {
      if (c == '\t') break;
      if (c != '&') t += c;
    }
    while (t.size() > 3 && t.compare(t.size() - 3, 3, "...") == 0) t.resize(t.size() - 3);
    return t;
  }
  return {};
}

}  // namespace

std::string CommandPrompt(CommandId id) {
  const CommandRow* row = FindCommandRow(id);
  if (row && row->first == row->last && row->what[0] != '\0' &&
      std::string_view(row->menu).find('(') == std::string_view::npos)
    return row->what;
  for (unsigned menu : {kEditorMenuId, kMainMenuId})
    if (const std::vector<MenuEntry>* m = ShellResources().Menu(menu)) {
      std::string t = MenuItemText(*m, id);
      if (!t.empty()) return t;
    }
  return {};
}

RuntimeRange ClassifyRuntimeId(CommandId id, int* index, int* table) {
  struct Range {
    CommandId first, last;
    RuntimeRange kind;
    int table;
  };
  static const Range kRanges[] = {
      {32804, 32813, RuntimeRange::RecentProject, 0}, {32820, 32869, RuntimeRange::DriverMenu, 0},
      {32880, 32929, RuntimeRange::DriverMenu, 1},    {33000, 33009, RuntimeRange::DriverMenu, 2},
      {35114, 35123, RuntimeRange::DriverMenu, 3},    {32930, 32979, RuntimeRange::UserTool, 0},
      {32980, 32999, RuntimeRange::SourceControl, 0},
  };
  for (const Range& r : kRanges) {
    if (id < r.first || id > r.last) continue;
    if (index) *index = int(id - r.first);
    if (table) *table = r.table;
    return r.kind;
  }
  return RuntimeRange::None;
}

}  // namespace pm2
