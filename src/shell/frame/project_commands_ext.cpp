#include "shell/frame/project_commands_ext.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>

#include "builder/driver/toolset_folders.h"
#include "editor/document/editor_document.h"
#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "project/dialogs/add_files_dialog.h"
#include "project/dialogs/device_db_editor.h"
#include "project/dialogs/device_selection.h"
#include "project/dialogs/file_type_dialog.h"
#include "project/dialogs/old_project_import.h"
#include "project/dialogs/project_sheet.h"
#include "options/pages/options_command.h"
#include "project/edit/startup_copy.h"
#include "project/files/project_file.h"
#include "project/files/stored_texts.h"
#include "project/environment/environment.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/command_table.h"
#include "shell/frame/main_frame.h"
#include "toolkit/controls/kept_header_icon_model.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

namespace {

std::vector<TitledPath> Databases(const ShellApp& app) {
  if (EnvironmentInfo* env = app.State().m_pEnvironment) return env->deviceDatabases;
  TitledPath generic;
  generic.title = "Generic CPU Data Base";
  generic.path = app.m_szDeviceDbPath;
  return {generic};
}

}  // namespace

FileTypesDialog::FileTypesDialog(ProjectRec* project, QWidget* parent) : QDialog(parent) {
  setWindowTitle("File Extensions");
  auto* layout = new QVBoxLayout(this);
  m_page = new FileTypesPage(project, this);
  layout->addWidget(m_page);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void FileTypesDialog::accept() {
  if (m_page->Confirm()) QDialog::accept();
}

void FileTypesDialog::reject() {
  m_page->Cancel();
  QDialog::reject();
}

ProjectCommandsExt::ProjectCommandsExt(CMainFrame& frame, ShellApp& app) : m_frame(frame), m_app(app) {
  m_chooseNewProjectName = [this] {
    QFileDialog dialog(&m_frame, "Create New Project", QString(), "Project Files (*.pm2)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("pm2");
    // The command asks itself, about the options file beside it too.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    KeepHeaderIcon(dialog);
    if (m_runDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    return FromQString(dialog.selectedFiles().front());
  };
  m_runDialog = [](QDialog& d) { return d.exec(); };
  frame.OnCommand(cmd::kNewProject, [this](CommandId) { OnNewProject(); });
  frame.OnCommand(cmd::kImportOld, [this](CommandId) { OnImportOldProject(); });
  frame.OnCommand(cmd::kComponents, [this](CommandId) { OnComponentsSheet(); });
  frame.OnCommand(32710, [this](CommandId) { OnDeviceDatabase(); });
  frame.OnCommand(cmd::kSelectDevice, [this](CommandId) { OnSelectDevice(); });
  frame.OnCommand(cmd::kAddFiles, [this](CommandId) { OnAddFilesToGroup(); });
  frame.OnCommand(kCmdFileExtensions, [this](CommandId) { OnFileExtensions(); });
  frame.OnUpdate(kCmdFileExtensions, [this](CommandState& s) { s.Enable(m_app.Project() != nullptr); });
  frame.OnCommand(cmd::kOptionsForItem, [this](CommandId) { OnOptions(false, false); });
  frame.OnCommand(cmd::kOptionsForTarget, [this](CommandId) { OnOptions(true, false); });
  frame.OnCommand(35415, [this](CommandId) { OnOptions(true, true); });
}

void ProjectCommandsExt::OnOptions(bool currentTarget, bool flashPage) {
  ProjectRec* p = m_app.Project();
  OptionsRequest r;
  r.project = p;
  r.node = currentTarget && p ? p->curTarget : m_app.m_pSelItem;
  r.busy = m_app.HasState(kStateBusy);
  r.openOnFlash = flashPage;
  r.parent = &m_frame;
  r.services.environment = m_app.State().m_pEnvironment;
  r.services.programFolder = m_app.m_szProgramFolder;
  r.services.databases = Databases(m_app);
  r.services.openFile = [this](const std::string& path) { m_frame.OpenDocument(path); };
  r.services.cTabWidth = m_frame.CTabWidth();
  r.message = [this](const std::string& text, int kind) {
    m_app.Dialogs().Beep();
    if (!text.empty()) m_app.Dialogs().MessageBox(text, kind);
  };
  r.run = m_runOptionsSheet;
  // The target's device before the sheet: a new one on its Device page
  // keeps the linker script, and the user is told which.
  const auto* edited = r.node && r.node->kind == kKindTarget ? static_cast<const TargetRec*>(r.node) : nullptr;
  const std::string targetName = edited ? edited->name.str() : std::string();
  const std::string oldDevice = edited ? edited->DEVICE.str() : std::string();
  r.editing = [this](NodeRec* node) { m_app.m_pOptionsNode = node; };
  const OptionsOutcome outcome = RunOptionsCommand(r);
  if (outcome == OptionsOutcome::kRefused) return;
  // The sheet's OK replaces the target records: the target by its name (a
  // Cancel has put its device back).
  for (const TargetRec* t = p && edited ? p->firstTarget : nullptr; t; t = t->next)
    if (t->name.str() == targetName) TellKeptLinkerScript(oldDevice, *t);
  if (outcome == OptionsOutcome::kChanged) {
    m_app.SaveProject();
    // The next build's log follows a changed output folder or name.
    m_app.SetBuildLogName(nullptr);
  }
  m_app.m_pSelItem = nullptr;
  Refill();
}

void ProjectCommandsExt::Refill() {
  m_frame.RefreshProjectTree();
  m_frame.RefreshBooks();
  m_frame.UpdateTitle();
  m_frame.FillTargetSelector();
}

void ProjectCommandsExt::OnNewProject() {
  std::string path = m_chooseNewProjectName ? m_chooseNewProjectName() : std::string();
  if (path.empty()) return;
  const std::size_t slash = path.find_last_of("/\\:");
  // A project is made only in a folder that is there (the file dialog lets
  // a name in a missing one through): refused each time, before the open
  // project is closed, and nothing is created.
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  std::error_code ec;
  if (!std::filesystem::is_directory(ToForwardSlashes(folder), ec)) {
    ShowError(m_app.Dialogs(), "Cannot create project '" + path + "'\n\nThe folder '" + folder + "' does not exist.");
    return;
  }
  const std::size_t dot = path.rfind('.');
  // The file is written under the name as typed ("Test.pm2"), whatever the
  // case of its extension; without one it gets ".pm2".
  std::string extension = ".pm2";
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
    if (path.size() - dot == 4 && SamePathIgnoringCase(path.substr(dot), ".pm2")) extension = path.substr(dot);
    path.resize(dot);
  }
  // The project's name is the file's name without ".pm2" ("Blinky.v2"
  // for "Blinky.v2.pm2"), and it is its output name by default: one the
  // project file cannot hold would build another program ("p)q" as "p").
  // Refused before anything closes.
  const std::string folderPart = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = path.substr(folderPart.size());
  if (const std::string why = ProjectNameRefusal(name); !why.empty()) {
    ShowError(m_app.Dialogs(), "Cannot create project '" + path + extension + "'\n\n" + why);
    return;
  }
  // The new project takes the place of a project or options file of its
  // name (in any letter case) only when the user says so, under the name
  // that file has.
  std::string replaced;
  {
    ProjectRec named;
    named.folder = OptString(folderPart.c_str());
    named.name = OptString(name.c_str());
    std::vector<std::string> existing;
    for (const char* ext : {"Pm2", "Opt"}) {
      const std::string sibling = ProjectSiblingPath(named, ext);
      if (StatFile(ToForwardSlashes(sibling)).exists) existing.push_back(sibling);
      if (existing.size() == 1 && std::string(ext) == "Pm2") replaced = sibling;
    }
    if (!existing.empty()) {
      const bool both = existing.size() > 1;
      const std::string text = "'" + existing.front() + (both ? "' and '" + existing.back() : std::string()) +
                               (both ? "' already exist.\nDo you want to replace them?"
                                     : "' already exists.\nDo you want to replace it?");
      if (m_app.Dialogs().MessageBox(text, kMbYesNo | kMbIconExclamation) != kIdYes) return;
    }
  }
  if (m_app.Project()) {
    m_frame.ExecuteCommand(cmd::kCloseProject);
    if (m_app.Project()) return;  // the user kept it open
  }
  ProjectRec* p = NewOpenProject(name.c_str(), folderPart.c_str());
  if (!p) {
    ShowError(m_app.Dialogs(), "Cannot create project '" + path + "'");
    return;
  }
  m_app.State().m_pProject = p;
  m_app.m_pSelItem = p->curTarget;
  m_app.m_bDirErrorShown = false;  // a folder error is told once per project
  m_app.SetProjectDirectory();
  const std::string file = replaced.empty() ? path + extension : replaced;
  m_app.AddRecentProject(file);
  // The writer keeps the name of a file that is there: the new one takes
  // its place under the typed name.
  const std::string onDisk = ToForwardSlashes(file);
  const bool placeholder = !StatFile(onDisk).exists;
  if (placeholder) std::ofstream(onDisk, std::ios::binary);
  Refill();
  m_created = 1;
  if (OnSelectDevice() == 1) OfferStartupFile();
  // The project exists on disk from now on, as the user named it.
  m_app.SaveProject();
  // Its build log and browse file are named after its output, as an
  // opened project's are.
  m_app.SetBuildLogName(nullptr);
  // The first save backed up the empty placeholder: a new project has no
  // earlier version to keep.
  if (placeholder) {
    const std::string backup = BackupNameOf(onDisk);
    std::error_code ec;
    if (std::filesystem::is_regular_file(backup, ec) && std::filesystem::file_size(backup, ec) == 0)
      std::filesystem::remove(backup, ec);
  }
  Refill();
}

namespace {

// The startup copy's questions as the shell's message boxes.
class ShellStartupUser : public StartupCopyUser {
 public:
  explicit ShellStartupUser(UserDialogs& dialogs) : m_dialogs(dialogs) {}
  bool AskYesNo(const std::string& text) override {
    return m_dialogs.MessageBox(text, kMbYesNo | kMbIconQuestion) == kIdYes;
  }
  void Report(const std::string& text) override { ShowError(m_dialogs, text); }

 private:
  UserDialogs& m_dialogs;
};

}  // namespace

void ProjectCommandsExt::TellKeptLinkerScript(const std::string& oldDevice, const TargetRec& target) {
  const std::string note = KeptLinkerScriptNote(oldDevice, target);
  if (!note.empty()) m_app.Dialogs().MessageBox(note, kMbOk | kMbIconExclamation);
}

bool ProjectCommandsExt::OfferStartupFile() {
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget) return false;
  std::string lib;
  GetToolsetLibFolder(m_app.State(), *p->curTarget, &lib);
  ShellStartupUser user(m_app.Dialogs());
  if (!CopyStartupFileToProject(p, lib, user)) return false;
  // The selection pointed into the tree that is filled again.
  m_app.m_pSelItem = nullptr;
  Refill();
  return true;
}

void ProjectCommandsExt::OnFileExtensions() {
  ProjectRec* project = m_app.Project();
  if (!project) return;
  FileTypesDialog dialog(project, &m_frame);
  if (m_runDialog(dialog) != QDialog::Accepted) return;
  Refill();
}

void ProjectCommandsExt::OnImportOldProject() {
  if (!AskOldProjectImport()) return;
  m_created = 0;
  OnNewProject();
  if (m_created != 2 || !m_app.Project()) return;
  if (RunOldProjectImport(&m_frame, m_app.Project())) {
    m_app.SetProjectDirectory();
    m_app.SaveProject();
    Refill();
  }
}

void ProjectCommandsExt::OnComponentsSheet() {
  AppState& state = m_app.State();
  ProjectSheet sheet(m_app.Project(), state.m_toolsIniPath, state.m_pEnvironment, &m_frame);
  m_componentsOpen = true;
  const int answer = m_runDialog(sheet);
  m_componentsOpen = false;
  if (answer != QDialog::Accepted) return;
  SheetApplyResult r = sheet.ApplyToProject();
  if (r.envChanged) m_app.FindToolsIni(m_app.m_szProgramFolder + "pelmora2");
  m_app.m_pSelItem = nullptr;
  if (ProjectRec* p = m_app.Project()) {
    TargetRec* current = r.newCurrent ? r.newCurrent : p->curTarget ? p->curTarget : p->firstTarget;
    if (current) m_app.SelectTarget(current);
  }
  PoolFree(kPoolScratch);
  Refill();
}

std::string ProjectCommandsExt::ChooseDatabase() {
  std::vector<TitledPath> all = Databases(m_app);
  if (all.empty()) return {};
  if (all.size() == 1) return all.front().path;
  int index = ChooseDatabaseDialog(all, &m_frame);
  return index < 0 ? std::string() : all[size_t(index)].path;
}

void ProjectCommandsExt::OnDeviceDatabase() {
  std::string path = ChooseDatabase();
  if (path.empty()) return;
  DeviceDbEditor editor(path, &m_frame);
  if (m_runDialog(editor) == QDialog::Accepted) editor.Save();  // reports its own failures
}

int ProjectCommandsExt::OnSelectDevice() {
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget) {
    m_app.Dialogs().Beep();
    return 0;
  }
  const int armSelect = m_app.State().m_pEnvironment ? m_app.State().m_pEnvironment->armSelect : 0;
  DeviceSheet sheet(Databases(m_app), armSelect, p->curTarget, &m_frame);
  if (m_runDialog(sheet) != QDialog::Accepted) return 0;
  const std::string oldDevice = p->curTarget->DEVICE.str();
  const uint16_t oldToolset = p->curTarget->toolset;
  if (!sheet.ApplyTo(p->curTarget)) return 0;
  DetachNodeBlocksAfterFamilyChange(p, p->curTarget, oldToolset);
  TellKeptLinkerScript(oldDevice, *p->curTarget);
  if (m_created > 0) ++m_created;
  m_app.SelectTarget(p->curTarget);
  Refill();
  return 1;
}

void ProjectCommandsExt::OnAddFilesToGroup() {
  ProjectRec* p = m_app.Project();
  auto* group = static_cast<GroupRec*>(m_app.m_pSelItem);
  if (!p || !group || group->kind != kKindGroup) {
    m_app.Dialogs().Beep();
    return;
  }
  // Each file shows in the project window as it is added, while the dialog
  // stays open for the next choice; the group stays selected in the tree
  // filled again.
  RunAddFilesToGroup(p, group, &m_frame, [this, group](FileRec*) {
    m_app.m_pSelItem = group;
    Refill();
  });
}

}  // namespace pm2
