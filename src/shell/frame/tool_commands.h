// The Tools, SVCS and Find in Files commands of the main frame: the user
// tools and source-control entries appended to their popups when they
// open, their runs on the user-tool thread, the lint runs, and the search
// thread of Find in Files whose lines land in the output window's find
// page. The frame owns one and consults it for the run-time id ranges,
// before a popup opens and before it closes.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>
#include <string>

#include "builder/commands/key_sequences.h"
#include "shell/tools/tool_frame.h"
#include "shell/tools/user_tool_thread.h"
#include "toolkit/core/commands.h"

class QMenu;

namespace pm2 {

class BuildPort;
class CMainFrame;
class FindInFiles;
class LintRunner;
class SccMenu;
class SettingsStore;
class ShellApp;
class ExternalRunner;
class UserToolLauncher;
class UserToolsMenu;
struct ToolMenuItem;

// What the tools read of the active editor window; the frame fills it from
// its editor windows (empty path: no editor window is active).
struct ActiveEditorQuery {
  std::function<std::string()> path;
  std::function<int()> caretLine;
  std::function<int()> caretColumn;        // counted from 1, as the status bar shows it
  std::function<std::string()> selection;  // the selected text or the word at the caret
  // The caret of the editor window that shows the file (a local path):
  // false when no window shows it.
  std::function<bool(const std::string& path, int* line, int* column)> caretOf;
};

class ToolCommands : public ToolFrame {
 public:
  // Registers the commands with the frame and loads the tools and the
  // source-control menu from the settings.
  ToolCommands(CMainFrame& frame, ShellApp& app, SettingsStore& settings, ActiveEditorQuery editor);
  ~ToolCommands() override;
  ToolCommands(const ToolCommands&) = delete;
  ToolCommands& operator=(const ToolCommands&) = delete;

  // Ids 32930..32999 (user tools, source control); true when consumed.
  bool RunRuntimeCommand(CommandId id);
  // Appends the dynamic items to the Tools or SVCS popup about to open
  // (told apart by their fixed items); other popups are left alone.
  void PopupAboutToShow(QMenu* menu);
  bool FindRunning() const;
  // The close sequence: refused while a search runs, and while a tool the
  // user waits for runs unless the user agrees to end it; the comment file
  // goes.
  bool MayClose();
  // Ends the running tools and lint run and waits for their threads (the
  // close, once agreed).
  void EndRuns();
  // The program of the waiting tool or lint run in progress; empty: none.
  std::string RunningTool() const;

  UserToolsMenu& Tools() { return *m_tools; }
  FindInFiles& Finder() { return *m_find; }
  // The key-sequence sources of the moment (project, target, editor file).
  KeySequenceSources Sources() const;
  // Runs a program on the user-tool thread (the external flash tool):
  // waiting (busy until it ends) or independent; false when refused.
  bool RunExternal(ExternalRun run, bool independent);

  // ---- ToolFrame
  void Beep() override;
  int MessageBox(const std::string& text, int kind) override;
  std::optional<std::string> PromptArguments(const std::string& program, const std::string& arguments) override;
  bool QuerySccTexts(const SccQueryFlags& flags, std::string* comment, std::string* revision,
                     std::string* checkPoint) override;
  void SaveProject() override;
  void ClearBuildPage() override;

 private:
  void Register();
  void OnCustomizeTools();
  void OnConfigureScc();
  void OnFindInFiles();
  void OnLint(bool allFiles);
  void OnConfigureLint();
  void AppendItems(QMenu* menu, int keep, const std::vector<ToolMenuItem>& items);

  CMainFrame& m_frame;
  ShellApp& m_app;
  SettingsStore& m_settings;
  ActiveEditorQuery m_editor;
  std::atomic<bool> m_stopRuns{false};  // read by the runs' threads, set by EndRuns
  std::unique_ptr<ExternalRunner> m_external;
  std::unique_ptr<UserToolLauncher> m_launcher;
  std::unique_ptr<UserToolsMenu> m_tools;
  std::unique_ptr<SccMenu> m_scc;
  std::unique_ptr<FindInFiles> m_find;
  std::unique_ptr<LintRunner> m_lint;
  std::set<CommandId> m_greyed;  // run-time items whose text could not be filled in
};

// The close's question while a tool runs.
std::string ToolStillRunningText(const std::string& tool);

}  // namespace pm2
