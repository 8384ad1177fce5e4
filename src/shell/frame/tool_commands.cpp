#include "shell/frame/tool_commands.h"

#include <QAction>
#include <QMenu>

#include "builder/runner/tool_runner.h"
#include "platform/notification_hub.h"
#include "platform/settings_store.h"
#include "project/files/project_file.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/command_table.h"
#include "shell/frame/main_frame.h"
#include "shell/output/arg_get.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "shell/project_window/project_tree_model.h"
#include "shell/tools/find_in_files.h"
#include "shell/tools/lint_run.h"
#include "shell/tools/scc_commands.h"
#include "shell/tools/tool_runner_adapter.h"
#include "shell/tools/ui/find_in_files_dialog.h"
#include "shell/tools/ui/lint_options_dialog.h"
#include "shell/tools/ui/scc_query_dialog.h"
#include "shell/tools/ui/svcs_template_dialog.h"
#include "shell/tools/ui/tools_menu_dialog.h"
#include "shell/tools/user_tool_thread.h"
#include "shell/tools/user_tools.h"
#include "shell/windows/gui_call_server.h"
#include "shell/windows/window_tracking.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

namespace {

// Whether a popup holds an item of that command (the fixed items tell the
// Tools and SVCS popups apart from the others).
int IndexOfCommand(QMenu* menu, CommandId id) {
  const QList<QAction*> actions = menu->actions();
  for (int i = 0; i < actions.size(); ++i) {
    bool ok = false;
    if (actions[i]->data().toUInt(&ok) == id && ok) return i;
  }
  return -1;
}

// The programs these commands start (user tools without a start folder of
// their own, version-control commands, PC-Lint, the external flash tool) run
// in the folder the project made current, so that a bare file name in their
// arguments means the project's file.
// A run ends its program (and what that started) once `stop` is set: the
// program's close does not wait for a tool that may never end.
ToolRunnerDeps RunnerDeps(ShellApp& app, const std::atomic<bool>* stop) {
  ToolRunnerDeps deps;
  deps.hub = &app.Hub();
  if (ProjectRec* p = app.Project()) deps.projectFolder = p->folder.str();
  deps.workFolder = app.m_currentDir;
  deps.stopWanted = [stop] { return stop->load(); };
  return deps;
}

// Each run gets a tool runner of its own, made for the project open at
// that moment.
class PerRunExternal : public ExternalRunner {
 public:
  PerRunExternal(ShellApp& app, const std::atomic<bool>& stop) : m_app(app), m_stop(stop) {}
  void Run(const ExternalRun& run) override { ToolRunnerExternal(RunnerDeps(m_app, &m_stop)).Run(run); }

 private:
  ShellApp& m_app;
  const std::atomic<bool>& m_stop;
};

}  // namespace

ToolCommands::ToolCommands(CMainFrame& frame, ShellApp& app, SettingsStore& settings, ActiveEditorQuery editor)
    : m_frame(frame), m_app(app), m_settings(settings), m_editor(std::move(editor)) {
  m_external = std::make_unique<PerRunExternal>(app, m_stopRuns);
  // The tools' threads wait in their notifications for this thread, which
  // joins them when the frame goes away or a run starts: their calls are
  // served meanwhile.
  const GuiCallServer serve = ServePendingGuiCalls;
  m_launcher = std::make_unique<UserToolLauncher>(*m_external, app.Hub(), app.State().m_nState, serve);
  m_tools = std::make_unique<UserToolsMenu>(*this, *m_launcher, app.State().m_nState);
  m_scc = std::make_unique<SccMenu>(*this, *m_launcher, app.State().m_nState);
  m_find = std::make_unique<FindInFiles>(app.Hub(), [this] { Beep(); }, serve);
  m_lint = std::make_unique<LintRunner>(
      *this, app.Hub(), app.State().m_nState,
      [&app, stop = &m_stopRuns](ToolRunRequest& r) {
        ToolRunner runner(RunnerDeps(app, stop));
        runner.RunBuildStep(r);
      },
      std::string(), serve);
  m_tools->Load(settings);
  m_scc->Load(settings);
  // The search's lines reach the find page only while it is known open.
  if (COutWin* out = frame.Output()) TrackWindow(app.m_windows, WindowSlot::OutputPane2, out->FindPane());
  Register();
}

ToolCommands::~ToolCommands() {
  m_find.reset();  // stops a running search and waits for it
  if (COutWin* out = m_frame.Output()) m_app.m_windows.Forget(WindowSlot::OutputPane2, out->FindPane());
  if (m_lint) m_lint->Join();
  m_scc.reset();
  m_tools.reset();
  m_launcher.reset();
}

void ToolCommands::Register() {
  // The run-time items: routed by the frame before its handlers; these keep
  // them known to the update, greyed while busy or when their text could
  // not be filled in.
  m_frame.OnCommandRange(kUserToolFirstId, kSccLastId, [](CommandId) {});
  for (CommandId id = kUserToolFirstId; id <= kSccLastId; ++id)
    m_frame.OnUpdate(id, [this](CommandState& s) {
      s.Enable(!m_app.HasState(kStateBusy) && !m_greyed.count(s.id));
    });
  m_frame.OnCommand(kCmdCustomizeTools, [this](CommandId) { OnCustomizeTools(); });
  m_frame.OnUpdate(kCmdCustomizeTools, [this](CommandState& s) { s.Enable(m_tools->CustomizeEnabled()); });
  m_frame.OnCommand(kCmdConfigureScc, [this](CommandId) { OnConfigureScc(); });
  m_frame.OnUpdate(kCmdConfigureScc, [this](CommandState& s) { s.Enable(!m_app.HasState(kStateBusy)); });
  m_frame.OnCommand(kCmdFindInFiles, [this](CommandId) { OnFindInFiles(); });
  m_frame.OnCommand(kCmdLintFile, [this](CommandId) { OnLint(false); });
  m_frame.OnCommand(kCmdLintAllFiles, [this](CommandId) { OnLint(true); });
  m_frame.OnCommand(kCmdConfigureLint, [this](CommandId) { OnConfigureLint(); });
  m_frame.OnUpdate(kCmdConfigureLint, [this](CommandState& s) { s.Enable(LintConfigureEnabled(m_app.HasTarget())); });
  m_frame.OnUpdate(kCmdLintFile, [this](CommandState& s) {
    ProjectRec* p = m_app.Project();
    const std::string path = m_editor.path();
    LintSettings ls = p && p->curTarget ? LintSettingsOf(*p->curTarget) : LintSettings{};
    s.Enable(p && p->curTarget && LintFileEnabled(!path.empty(), ls, m_app.HasState(kStateBusy)));
    if (!path.empty()) s.SetText(LintFileMenuText(path));
  });
  m_frame.OnUpdate(kCmdLintAllFiles, [this](CommandState& s) {
    ProjectRec* p = m_app.Project();
    s.Enable(p && p->curTarget && LintAllFilesEnabled(LintSettingsOf(*p->curTarget), m_app.HasState(kStateBusy)));
  });
}

KeySequenceSources ToolCommands::Sources() const {
  KeySequenceSources src;
  ProjectRec* p = m_app.Project();
  src.project = p;
  if (p) {
    src.target = p->curTarget;
    src.targetOptions = p->curTarget ? p->curTarget->pOpts : nullptr;
  }
  src.executable = m_app.m_szProgramFolder + "pelmora2";
  const ActiveEditorQuery* editor = &m_editor;
  src.activeEditorFile = [editor]() -> std::optional<FilePosition> {
    FilePosition pos;
    pos.path = editor->path();
    if (pos.path.empty()) return std::nullopt;
    pos.line = editor->caretLine();
    pos.column = editor->caretColumn ? editor->caretColumn() : 0;
    return pos;
  };
  ShellApp* app = &m_app;
  const auto activeFile = src.activeEditorFile;
  src.fileToTranslate = [editor, app, activeFile]() -> std::optional<FilePosition> {
    ProjectRec* project = app->Project();
    // The target row stands for the project file, which has no position.
    if (project && app->m_pSelItem && app->m_pSelItem->kind == kKindTarget) {
      FilePosition pos;
      pos.path = ProjectSiblingPath(*project, "pm2");
      return pos;
    }
    auto* f = static_cast<FileRec*>(app->m_pSelItem);
    if (project && f && f->kind == kKindFile) {
      FilePosition pos;
      pos.path = LocalFilePath(*project, *f);
      if (!pos.path.empty()) {
        // The selected file's position is that of the window showing it;
        // a file no window shows has none (0).
        if (editor->caretOf) editor->caretOf(pos.path, &pos.line, &pos.column);
        return pos;
      }
    }
    return activeFile();
  };
  return src;
}

bool ToolCommands::RunRuntimeCommand(CommandId id) {
  if (id >= kUserToolFirstId && id <= kUserToolLastId) {
    m_tools->Run(id, Sources());
    m_frame.UpdateCommandUi();
    return true;
  }
  if (id >= kSccFirstId && id <= kSccLastId) {
    m_scc->Run(id, Sources());
    m_frame.UpdateCommandUi();
    return true;
  }
  return false;
}

void ToolCommands::AppendItems(QMenu* menu, int keep, const std::vector<ToolMenuItem>& items) {
  QList<QAction*> actions = menu->actions();
  for (int i = keep; i < actions.size(); ++i) {
    menu->removeAction(actions[i]);
    delete actions[i];
  }
  for (const ToolMenuItem& item : items) {
    if (item.separator) {
      menu->addSeparator();
      continue;
    }
    QAction* a = menu->addAction(ToQString(item.text));
    a->setData(uint(item.id));
    if (item.greyed)
      m_greyed.insert(item.id);
    else
      m_greyed.erase(item.id);
    a->setEnabled(!item.greyed && !m_app.HasState(kStateBusy));
  }
}

void ToolCommands::PopupAboutToShow(QMenu* menu) {
  if (int at = IndexOfCommand(menu, kCmdCustomizeTools); at >= 0) {
    AppendItems(menu, at + 1, m_tools->Rebuild(Sources()));
    return;
  }
  if (int at = IndexOfCommand(menu, kCmdConfigureScc); at >= 0) {
    AppendItems(menu, at + 1, m_scc->Rebuild(m_app.HasTarget(), Sources()));
  }
}

bool ToolCommands::FindRunning() const { return m_find->Running(); }

std::string ToolCommands::RunningTool() const {
  std::string program = m_launcher->WaitingProgram();
  if (program.empty() && m_lint->Running()) program = "PC-Lint";
  return program;
}

bool ToolCommands::MayClose() {
  if (m_find->Running()) {
    Beep();
    return false;
  }
  // A tool the user waits for may never end by itself: the close asks
  // whether to end it rather than leave the process waiting for it after
  // the window has gone. A batch build has nobody to ask.
  const std::string tool = RunningTool();
  if (!tool.empty() && !m_app.HasState(kStateBatchBuild) &&
      MessageBox(ToolStillRunningText(tool), kMbYesNo | kMbIconQuestion) != kIdYes)
    return false;
  m_scc->DeleteCommentFile();
  return true;
}

void ToolCommands::EndRuns() {
  m_stopRuns = true;
  m_launcher->JoinAll();
  m_lint->Join();
  m_stopRuns = false;
}

std::string ToolStillRunningText(const std::string& tool) {
  return "'" + tool + "' is still running.\n\nEnd it and exit?";
}

void ToolCommands::OnCustomizeTools() {
  ToolsMenuDialog dialog(m_settings, &m_frame);
  if (dialog.exec() != QDialog::Accepted) return;
  m_tools->Load(m_settings);
  m_settings.Save(nullptr);
}

void ToolCommands::OnConfigureScc() {
  SvcsTemplateDialog dialog(m_settings, &m_frame, m_app.HasTarget() ? m_app.GetCurrentTargetOptions() : nullptr);
  if (dialog.exec() != QDialog::Accepted) return;
  m_scc->Load(m_settings);
  m_settings.Save(nullptr);
}

// While a search runs the command asks it to stop; otherwise the dialog
// and, after OK, a new search with the find page cleared and in front.
void ToolCommands::OnFindInFiles() {
  if (m_find->Running()) {
    m_find->RequestStop();
    Beep();
    return;
  }
  const std::string preset = m_editor.selection();
  std::string projectFolder;
  if (m_app.HasState(kStateReadingProject) && m_app.Project()) {
    m_app.ClearState(kStateReadingProject);
    projectFolder = m_app.Project()->folder.str();
    while (projectFolder.size() > 1 && (projectFolder.back() == '/' || projectFolder.back() == '\\'))
      projectFolder.pop_back();
  }
  FindInFilesDialog dialog(m_settings, preset, projectFolder, &m_frame);
  if (dialog.exec() != QDialog::Accepted) return;
  m_settings.Save(nullptr);
  // The search reads the files from disk: edits made in the editor are
  // saved first, with the project.
  if (m_app.Project())
    m_app.SaveProject();
  else
    m_frame.SaveAndCloseTextDocuments(false, false);
  m_frame.ShowOutputPage(kOutputFindPage);
  if (COutWin* out = m_frame.Output()) out->FindPane()->Clear();
  m_find->Join();
  if (!m_find->Start(dialog.Request())) Beep();
  m_frame.UpdateCommandUi();
}

void ToolCommands::OnLint(bool allFiles) {
  // The last run's thread ends first. The wait serves the workers' calls,
  // a peer's among them, which may close the project: it is asked for
  // after the wait.
  m_lint->Join();
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget || m_app.HasState(kStateBusy)) {
    Beep();
    return;
  }
  const LintSettings settings = LintSettingsOf(*p->curTarget);
  if (allFiles) {
    m_lint->LintAllFiles(settings, *p);
    return;
  }
  const std::string path = m_editor.path();
  m_lint->LintFile(settings, LintFileFor(path, FindSourceFileByPath(path.c_str()), p->curTarget));
}

void ToolCommands::OnConfigureLint() {
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget) {
    Beep();
    return;
  }
  LintOptionsDialog dialog(*p->curTarget, &m_frame);
  dialog.exec();
}

// ---- ToolFrame

void ToolCommands::Beep() { m_app.Dialogs().Beep(); }

int ToolCommands::MessageBox(const std::string& text, int kind) { return m_app.Dialogs().MessageBox(text, kind); }

std::optional<std::string> ToolCommands::PromptArguments(const std::string& program, const std::string& arguments) {
  CArgGet dialog(&m_frame);
  dialog.m_toolName = program;
  dialog.m_prepared = arguments;
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.m_result;
}

bool ToolCommands::QuerySccTexts(const SccQueryFlags& flags, std::string* comment, std::string* revision,
                                 std::string* checkPoint) {
  SccQueryDialog dialog(flags, *comment, *revision, *checkPoint, &m_frame);
  if (dialog.exec() != QDialog::Accepted) {
    // A cancelled query leaves nothing for the next command to offer.
    comment->clear();
    revision->clear();
    checkPoint->clear();
    return false;
  }
  dialog.Texts(comment, revision, checkPoint);
  return true;
}

bool ToolCommands::RunExternal(ExternalRun run, bool independent) {
  if (independent) {
    m_launcher->StartIndependent(std::move(run));
    return true;
  }
  return m_launcher->StartWaiting(std::move(run));
}

void ToolCommands::SaveProject() {
  if (m_app.Project()) m_app.SaveProject();
}

void ToolCommands::ClearBuildPage() {
  // The lint thread calls this from its own thread.
  m_app.PostOutputText(nullptr);
}

}  // namespace pm2
