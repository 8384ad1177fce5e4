#include "shell/app/shell_app.h"

#include "shell/app/settings_flush.h"

#include "project/files/project_lines.h"

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/ascii_case.h"
#include "platform/notification_hub.h"
#include "platform/settings_store.h"
#include "platform/win_path.h"
#include "project/files/project_file.h"
#include "project/model/key_values.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"
#include "shell/app/build_port.h"
#include "shell/app/debug_port.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/ipc_port.h"
#include "shell/app/timer_port.h"
#include "shell/app/user_dialogs.h"

namespace pm2 {

namespace {

// The neutral ports used while the real ones are missing.
FrameHooks& NoFrame() {
  static FrameHooks none;
  return none;
}
DebugPort& NoDebug() {
  static DebugPort none;
  return none;
}
IpcPort& NoIpc() {
  static IpcPort none;
  return none;
}

// A stored folder as a folder of this machine ("" when it names none).
std::string LocalFolder(const std::string& stored) {
  if (stored.empty()) return std::string();
  std::string local, why;
  static const DriveMap kNoDrives;
  if (!ToLocalPath(stored, "./", kNoDrives, &local, &why)) return std::string();
  return local;
}

}  // namespace

// The core's way to the user (theApp().Shell()): beeps and boxes go to the
// dialogs, output lines to the build page by way of the GUI thread.
class ShellApp::Services : public ShellServices {
 public:
  explicit Services(ShellApp& app) : m_app(app) {}
  void Beep() override { m_app.Dialogs().Beep(); }
  int MessageBox(const std::string& text, int kind) override {
    return m_app.Dialogs().MessageBox(text, kind);
  }
  void PostOutputText(const std::string& line) override { m_app.PostOutputText(line.c_str()); }

 private:
  ShellApp& m_app;
};

ShellApp::ShellApp(ShellDeps deps)
    : m_deps(deps),
      m_guiThread(std::this_thread::get_id()),
      m_services(std::make_unique<Services>(*this)),
      m_deferred(
          *deps.timer, [this](int code) { RunDeferred(code); }, [this] { Dialogs().Beep(); },
          [this] { return Debug().TargetExecuting(); }) {
  // The state a fresh application object starts with.
  ClearState(kStateStartMask);
  m_previousServices = theApp().m_pShell;
  theApp().m_pShell = m_services.get();
}

ShellApp::~ShellApp() {
  m_deferred.Cancel();
  CancelProjectWatch();
  CloseOutputCopy();
  if (theApp().m_pShell == m_services.get()) theApp().m_pShell = m_previousServices;
}

void ShellApp::SetFrame(FrameHooks* frame) { m_deps.frame = frame; }
void ShellApp::SetDebugPort(DebugPort* debug) { m_deps.debug = debug; }
void ShellApp::SetIpcPort(IpcPort* ipc) { m_deps.ipc = ipc; }
FrameHooks& ShellApp::Frame() const { return m_deps.frame ? *m_deps.frame : NoFrame(); }
DebugPort& ShellApp::Debug() const { return m_deps.debug ? *m_deps.debug : NoDebug(); }
IpcPort& ShellApp::Ipc() const { return m_deps.ipc ? *m_deps.ipc : NoIpc(); }

// ------------------------------------------------------------ toolset queries

int ShellApp::GetTargetToolset() const {
  ProjectRec* p = Project();
  if (!p || !p->curTarget || p->curTarget->toolset >= kToolsetCount) return 100;
  return p->curTarget->toolset;
}

bool ShellApp::HasTarget() const { return GetTargetToolset() < kToolsetCount; }

bool ShellApp::IsTarget166() const { return GetTargetToolset() == kToolset166; }

OptionBlock* ShellApp::GetCurrentTargetOptions() const {
  ProjectRec* p = Project();
  if (!p || !p->curTarget) return nullptr;
  return FindTargetOptions(p->curTarget->pOpts, p->curTarget);
}

// ------------------------------------------------------------ project state

bool ShellApp::SetProjectDirectory() {
  ProjectRec* p = Project();
  if (!p || p->folder.empty()) return false;
  std::string local = LocalFolder(p->folder.str());
  std::error_code ec;
  if (local.empty() || !std::filesystem::is_directory(local, ec)) {
    if (!m_bDirErrorShown) {
      ShowError(Dialogs(), "Error: can't set directory '" + p->folder.str() + "' !");
      m_bDirErrorShown = true;
    }
    return false;
  }
  m_currentDir = local;
  return true;
}

int ShellApp::SetBuildLogName(std::string* buffer) {
  // The browse file follows the current target's output base wherever the
  // base is worked out anew (a new project, another target, changed
  // options), not only when a project is opened.
  m_szBrowseFile.clear();
  if (buffer) buffer->clear();
  ProjectRec* p = Project();
  OptionBlock* own = GetCurrentTargetOptions();
  if (!p || !own) return 0;
  std::string folder = own->out.OUTDIR.str();
  std::string base;
  if (folder.size() >= 2 && folder[0] == '.' && IsPathSeparator(folder[1]))
    base = p->folder.str() + folder.substr(2) + own->out.OUTNAME.str();
  else
    base = folder + own->out.OUTNAME.str();
  m_szBrowseFile = base;
  if (buffer) *buffer = base;
  m_szBuildLogName = base + ".plg";
  if (m_deps.build) m_deps.build->SetBuildLogFile(1, m_szBuildLogName);
  return static_cast<int>(base.size());
}

void ShellApp::SelectTarget(TargetRec* target) {
  ProjectRec* p = Project();
  if (!p || !target) return;
  if (p->curTarget && !(p->curTarget->flags & kTargetDeleted))
    Frame().ForAllDocuments(kDocBeforeSaveOrTargetChange);
  if (m_deps.build) m_deps.build->UpdateDependencies(p, target);
  // Another target, or the options just changed, may write elsewhere.
  if (m_deps.build && !HasState(kStateBatchBuild)) m_deps.build->SayOutputFolders(p, target);
  p->curTarget = target;
  Frame().RefreshProjectTree();
  Frame().RefreshBooks();
  Frame().UpdateTitle();
  Frame().ForAllDocuments(kDocReloadStoredBreakpoints);
  SetBuildLogName(nullptr);
}

int ShellApp::CheckProjectFileReadOnly(ProjectRec* project, int kind) {
  if (!project) return -1;
  project->flags &= ~kProjectReadOnly;
  std::string path = ToForwardSlashes(ProjectSiblingPath(*project, kind == 1 ? "Pm2" : "Opt"));
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  // The read-only attribute of the file, as the project reader takes it:
  // no write permission for anybody.
  if ((st.st_mode & 0222) == 0) {
    project->flags |= kProjectReadOnly;
    return 1;
  }
  return 0;
}

void ShellApp::SetProjectPathName(ProjectRec* project, const std::string& path,
                                  const std::string& name) {
  if (!project) return;
  project->folder = OptString::Pooled(FolderPart(path), kPoolProject);
  project->name = OptString::Pooled(name, kPoolProject);
}

const char* ShellApp::GetDriverKey(const char* key) const {
  OptionBlock* own = GetCurrentTargetOptions();
  if (!own || !key) return nullptr;
  for (const KeyValueRec* n = own->dbg.OPTKEY; n; n = n->next)
    if (EqualIgnoringCase(n->key.view(), key)) return n->value.c_str();
  return nullptr;
}

int ShellApp::SetDriverKey(const char* key, const char* value) {
  OptionBlock* own = GetCurrentTargetOptions();
  if (!own || !key || !*key || !value) return 0;
  // The options file could not give such a key or value back as it was.
  if (!ParenthesisedTextFault(key).empty() || !ParenthesisedTextFault(value).empty()) return 0;
  own->dbg.OPTKEY = SetKeyValue(own->dbg.OPTKEY, key, value, kPoolProject);
  return 1;
}

int ShellApp::CheckTargetOutputFile(TargetRec* target, bool del) {
  ProjectRec* p = Project();
  if (!p) return 0;
  if (!target) target = p->curTarget;
  if (!target) return 0;
  OptionBlock* own = FindTargetOptions(target->pOpts, target);
  if (!own || own->out.OUTNAME.empty()) return 0;
  std::string folder = own->out.OUTDIR.str();
  if (folder.size() >= 2 && folder[0] == '.' && IsPathSeparator(folder[1])) folder = folder.substr(2);
  std::string local, why;
  static const DriveMap kNoDrives;
  std::string projectFolder = LocalFolder(p->folder.str());
  if (!ToLocalPath(folder + own->out.OUTNAME.str(), projectFolder.empty() ? "./" : projectFolder,
                   kNoDrives, &local, &why))
    return 0;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(local, ec)) return 0;
  if (del) std::filesystem::remove(local, ec);
  return 1;
}

void ShellApp::LoadRecentProjects() { m_recent.Load(Settings()); }

void ShellApp::SaveRecentProjects() { m_recent.Save(Settings()); }

void ShellApp::AddRecentProject(const std::string& path) {
  m_recent.Add(path);
  StoreRecentLists();
}

void ShellApp::AddRecentFile(const std::string& path) {
  m_recentFiles.Add(path);
  StoreRecentLists();
}

void ShellApp::StoreRecentLists() {
  m_recent.Save(Settings());
  m_recentFiles.Save(Settings());
  // A failure is said when the program ends, where every setting is saved
  // again.
  SaveSettingsIfChanged(Settings(), nullptr);
}

}  // namespace pm2
