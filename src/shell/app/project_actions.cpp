// Opening, saving and closing the one project the program holds, and what
// the user is told. Reading and writing the files themselves is the
// project model's (project/files/project_open.h).
#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "platform/ascii_case.h"
#include "platform/notification_hub.h"
#include "platform/stale_temporaries.h"
#include "platform/win_path.h"
#include "project/files/file_watcher.h"
#include "project/files/project_file.h"
#include "project/environment/environment.h"
#include "project/files/project_open.h"
#include "project/import/code_gen_open.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/app/build_port.h"
#include "shell/app/debug_port.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/shell_app.h"
#include "shell/app/timer_port.h"
#include "shell/app/user_dialogs.h"

namespace pm2 {

namespace {

constexpr std::size_t kPathMax = 260;

bool HasExtension(const std::string& path, const char* ext) {
  return path.size() > 4 && EndsWithIgnoringCase(path, ext);
}

std::string ProjectFilePath(const ProjectRec& project) {
  return ProjectSiblingPath(project, "Pm2");
}

// Why a write of the project's files failed, after a blank line, as the
// message that names the file goes on ("" where the writer said nothing).
std::string WriteFailureReason(const std::string& why) { return why.empty() ? std::string() : "\n\n" + why; }

// The file's write time in nanoseconds; -1 when it does not exist.
std::int64_t WriteTimeOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

void ShellApp::OpenProject(const std::string& pathIn, bool fromWatcher) {
  std::string path = pathIn;  // may be m_szWatchedProject itself
  // A relative name (from the command line) counts from the current folder
  // once, here: the project's folder, and every path made from it later,
  // must not depend on the current folder again.
  if (!path.empty() && path[0] != '/' && path[0] != '\\' && !(path.size() > 1 && path[1] == ':')) {
    std::error_code ec;
    std::string absolute = std::filesystem::absolute(ToForwardSlashes(path), ec).lexically_normal().string();
    if (!ec) path = absolute;
  }
  m_bDirErrorShown = false;
  Frame().SaveAndCloseTextDocuments(true, true);
  if (m_deps.build) m_deps.build->SetBuildLogFile(0, std::string());
  PostOutputText(nullptr);
  // The old project's records go with pool 1: nothing may point at them.
  theApp().m_pProject = nullptr;
  m_pSelItem = nullptr;
  PoolFree(kPoolProject);
  PoolFree(kPoolDebugLists);
  m_szBrowseFile.clear();
  Frame().CloseBrowser();  // what it knew was the old project's
  m_familyWord2 = 0;
  // The project window lets go of the records just freed: a project that
  // does not open leaves it showing nothing, not the one closed.
  Frame().RefreshProjectTree();

  if (HasExtension(path, ".DPT")) {
    std::string projectFile;
    if (!FindImportedProject(path, &projectFile)) {
      // A new project from the code generator's file, written beside it and
      // then opened as any other; a failure has been told and leaves nothing.
      projectFile = ImportCodeGenProjectFiles(ToForwardSlashes(path), CodeGenEnv());
      if (projectFile.empty()) {
        Frame().UpdateTitle();
        return;
      }
    }
    path = projectFile;
  }

  std::string why;
  const std::string file = ToForwardSlashes(path);
  int rc = OpenProjectFile(file, &why, nullptr);
  if (rc == 0) {
    ScheduleProjectWatch(file);
  } else if (m_deps.watcher && WriteTimeOf(file) != -1) {
    // A file that was there but did not read ends the watch; a missing
    // one leaves it as it was.
    CancelProjectWatch();
    m_deps.watcher->Stop();
  }
  ProjectRec* p = rc == 0 ? Project() : nullptr;
  if (p) {
    // The copies a killed save of ours left beside the project's files.
    RemoveStaleTemporariesOnce(std::string(FolderPart(file)));
    m_szWatchedProject = path;
    // Its folder is where relative names and the programs the tools start
    // begin from.
    SetProjectDirectory();
    if (!HasState(kStateBatchBuild)) AddRecentProject(path);
    if (!fromWatcher) {
      if (!m_szTargetArg.empty() && !SelectTargetByName(p, m_szTargetArg)) {
        ShowError(Dialogs(), "-t \"" + m_szTargetArg + "\"  ---  Target not defined in Project '" +
                                 path + "'");
      }
      m_szTargetArg.clear();
      if (!m_szOutputArg.empty() && !m_pOutputFile) {
        m_pOutputFile = std::fopen(m_szOutputArg.c_str(), "w");
        if (!m_pOutputFile)
          ShowError(Dialogs(), "-o \"" + m_szOutputArg + "\"  ---  Can't create output file");
      }
      if (m_deps.build && p->curTarget) m_deps.build->UpdateDependencies(p, p->curTarget);
    }
    // Where the outputs go when that is outside the project or through a
    // link, said before anything is built there. A build from the command
    // line says it as it starts, first thing.
    if (m_deps.build && p->curTarget && !HasState(kStateBatchBuild)) m_deps.build->SayOutputFolders(p, p->curTarget);
    CheckImportedProjectChanged(p);
    Frame().RefreshProjectTree();
    Frame().RefreshBooks();
    Frame().RestoreEditorWindows(p);
  } else {
    theApp().m_pProject = nullptr;
    std::string text = "Cannot open project file '" + path + "'";
    if (!why.empty()) text += "\n\n" + why;
    if (!m_bHoldOpenError) ShowError(Dialogs(), text);
    RemoveRecentProject(path);
    PoolFree(kPoolDebugLists);
    // The earlier project's books went with its records.
    Frame().RefreshBooks();
  }
  Frame().UpdateTitle();
  SetBuildLogName(&m_szBrowseFile);
}

// Asked when the project holds a text no save can write: Yes loses what
// was changed since the last save, so the way to keep it is named.
const char* const kCloseUnsavedQuestion =
    "Close the project without saving it ?\n(No keeps it open, so that the text can be changed and saved.)";

bool ShellApp::CloseProject(bool interactive) {
  ProjectRec* p = Project();
  if (p) {
    CheckProjectFileReadOnly(p, 1);
    Frame().StoreOpenEditorWindows(p);
    Frame().ForAllDocuments(kDocBeforeSaveOrTargetChange);
    // Our own write is no change made by another program.
    CancelProjectWatch();
    if (m_deps.watcher) m_deps.watcher->Stop();
    // A build started from the command line that another build's hold on
    // its target refused writes nothing, the project files included.
    const bool writeNothing = HasState(kStateBatchBuild) && m_deps.build && m_deps.build->LastStartRefused();
    for (; !writeNothing;) {
      std::string why;
      int rc = SaveProjectFiles(
          p, &why, m_deps.disk, [this](ProjectRec* pr) { return SaveProjectAs(pr); }, LinkQuestion());
      if (rc == 0) break;
      std::string path = ProjectFilePath(*p);
      // A text the files cannot hold is named, and so is a file that is a
      // link no one said to write through; another name would not help.
      // Every refusal says why (a folder the user may not write in).
      const bool nameWouldNotHelp = rc == kProjectFileTextRefused || rc == kProjectFileLinkRefused;
      const std::string reason = WriteFailureReason(why);
      Dialogs().Beep();
      if (!interactive || nameWouldNotHelp) {
        if (interactive) {
          // Closing would lose the user's changes: keep the project open
          // so that the text can be mended, or close without saving.
          const int answer = Dialogs().MessageBox("Can't write project file '" + path + "' !" + reason +
                                                      "\n\n" + kCloseUnsavedQuestion,
                                                  kMbYesNo | kMbIconExclamation);
          if (answer != kIdYes) return false;
          RemoveRecentProject(path);
          break;
        }
        Dialogs().MessageBox("Can't write project file '" + path + "' !" + reason, kMbOk | kMbIconExclamation);
        RemoveRecentProject(path);
        break;
      }
      // Closing after a failed write would lose the user's changes: offer
      // another name, closing without saving, or keeping the project open.
      int answer = Dialogs().MessageBox(
          "Can't write project file '" + path + "' !" + reason +
              "\n\nSave the project under a different name ?\n"
              "(No closes the project without saving it, Cancel keeps it open.)",
          kMbYesNoCancel | kMbIconExclamation);
      if (answer == kIdCancel) return false;
      if (answer == kIdNo) {
        RemoveRecentProject(path);
        break;
      }
      std::string newPath;
      if (!Dialogs().SaveFileDialog("Save Project", "Project Files (*.pm2)|*.pm2||", "pm2", &newPath))
        return false;
      std::string file(FileNamePart(newPath));
      SetProjectPathName(p, newPath, file.substr(0, file.rfind('.')));
      p->flags &= ~kProjectReadOnly;
    }
    theApp().m_pProject = nullptr;
    m_pSelItem = nullptr;
    m_szWatchedProject.clear();
  }
  if (m_pOutputFile) {
    // -o serves the first project only.
    CloseOutputCopy();
    m_szOutputArg.clear();
  }
  Frame().SaveAndCloseTextDocuments(true, true);
  OutputText(nullptr);
  PoolFree(kPoolProject);
  PoolFree(kPoolDebugLists);
  // The books window listed the target's books and kept the project it
  // read them from: that project is gone now.
  Frame().RefreshBooks();
  Frame().UpdateTitle();
  return true;
}

void ShellApp::SaveProject() {
  Frame().SaveAndCloseTextDocuments(false, false);
  ProjectRec* p = Project();
  if (!p) return;
  Frame().ForAllDocuments(kDocBeforeSaveOrTargetChange);
  CheckProjectFileReadOnly(p, 1);
  if (p->flags & kProjectReadOnly) return;
  Frame().StoreOpenEditorWindows(p);
  // Our own write is no change made by another program: the watch starts
  // again on the file as written.
  CancelProjectWatch();
  if (m_deps.watcher) m_deps.watcher->Stop();
  std::string why;
  int rc = SaveProjectFiles(
      p, &why, m_deps.disk, [this](ProjectRec* pr) { return SaveProjectAs(pr); }, LinkQuestion());
  m_szWatchedProject = ProjectFilePath(*p);
  if (m_deps.watcher) m_deps.watcher->Watch(ToForwardSlashes(m_szWatchedProject));
  if (rc != 0)
    ShowError(Dialogs(), "Can't write project file '" + m_szWatchedProject + "' !" + WriteFailureReason(why));
}

void ShellApp::ScheduleProjectWatch(const std::string& path) {
  if (!m_deps.watcher) return;
  CancelProjectWatch();
  m_deps.watcher->Stop();  // the earlier project's watch ends with its open
  m_watchPath = path;
  m_watchFileTime = WriteTimeOf(path);
  m_watchTimer = m_deps.timer->StartTimer(kProjectWatchDelayMs, [this](int) { StartProjectWatch(); });
}

void ShellApp::StartProjectWatch() {
  const std::string path = m_watchPath;
  const std::int64_t readTime = m_watchFileTime;
  CancelProjectWatch();
  if (!m_deps.watcher || path.empty() || !m_deps.watcher->Watch(path)) return;
  // Written by another program since it was read: reported as the watch
  // reports a change.
  if (WriteTimeOf(path) != readTime)
    OnDebugNotify(kNotifyProjectFileChanged, reinterpret_cast<intptr_t>(path.c_str()));
}

void ShellApp::CancelProjectWatch() {
  if (m_watchTimer) m_deps.timer->KillTimer(m_watchTimer);
  m_watchTimer = 0;
  m_watchPath.clear();
  m_watchFileTime = -1;
}

WriteThroughLinkHook ShellApp::LinkQuestion() {
  // A build from the command line asks nothing: the file is not written
  // and the reason said.
  if (HasState(kStateBatchBuild)) return nullptr;
  return [this](const std::string& link, const std::string& target) {
    const auto known = m_linkAnswers.find({link, target});
    if (known != m_linkAnswers.end()) return known->second;
    const std::string question = LinkedFileText(link, target) +
                                 ", not a file of the project's folder.\n\nWrite the project's changes through "
                                 "the link, into '" + target + "' ?\n(No leaves both as they are.)";
    return m_linkAnswers[{link, target}] =
               Dialogs().MessageBox(question, kMbYesNo | kMbIconQuestion | kMbDefButton2) == kIdYes;
  };
}

bool ShellApp::SaveProjectAs(ProjectRec* project) {
  if (!project) return false;
  int answer = Dialogs().MessageBox(
      "Current project is read only. Do you want\nto save the project under a different name ?",
      kMbYesNo | kMbIconQuestion);
  if (answer != kIdYes) return false;
  std::string path;
  if (!Dialogs().SaveFileDialog("Save Project", "Project Files (*.pm2)|*.pm2||", "pm2", &path))
    return false;
  std::string file(FileNamePart(path));
  SetProjectPathName(project, path, file.substr(0, file.rfind('.')));
  project->flags &= ~kProjectReadOnly;
  return true;
}

bool ShellApp::MayReplaceProject() {
  if (!Debug().SessionActive() && !HasState(kStateBusy)) return true;
  Dialogs().Beep();
  return false;
}

void* ShellApp::OpenDocumentFile(const std::string& pathIn) {
  std::error_code ec;
  std::string path = std::filesystem::absolute(ToForwardSlashes(pathIn), ec).lexically_normal().string();
  if (ec || path.size() > kPathMax) return nullptr;
  bool project = HasExtension(path, ".PM2");
  bool codeGen = HasExtension(path, ".DPT");
  if (project || codeGen) {
    if (HasState(kStateOpeningDocument)) {
      Dialogs().Beep();
      return nullptr;
    }
    // Every road to another project comes here (File > Open, a drop, the
    // recent list): the project a session or a build holds stays open.
    if (!MayReplaceProject()) return kProjectOpenedMarker;
    // A code-generator file is converted before anything is closed: one
    // that does not convert (the importer said why) leaves the open
    // project as it was.
    if (codeGen) {
      std::string projectFile;
      if (!FindImportedProject(path, &projectFile)) {
        projectFile = ImportCodeGenProjectFiles(ToForwardSlashes(path), CodeGenEnv());
        if (projectFile.empty()) return kProjectOpenedMarker;
      }
      path = projectFile;
    }
    if (!CloseProject(true)) return kProjectOpenedMarker;
    OpenProject(path);
    return kProjectOpenedMarker;
  }
  void* doc = Frame().OpenDocument(path);
  SetProjectDirectory();
  return doc;
}

int ShellApp::ReloadProjectAfterTool() {
  ProjectRec* p = Project();
  if (!p) return 0;
  bool imported = false;
  for (uint8_t b : p->codeGenTime) imported = imported || b != 0;
  if (imported) SaveProject();
  if (CheckImportedProjectChanged(p) != 1) return 0;
  OutputText(nullptr);
  Frame().RefreshProjectTree();
  Frame().RefreshBooks();
  return 1;
}

CodeGenImportEnv ShellApp::CodeGenEnv() {
  std::string database = m_szDeviceDbPath;
  if (const EnvironmentInfo* env = State().m_pEnvironment; env && !env->deviceDatabases.empty())
    database = env->deviceDatabases.front().path;
  return CodeGenEnvFrom(State(), database, [this](const std::string& m) { ShowError(Dialogs(), m); });
}

int ShellApp::CheckImportedProjectChanged(ProjectRec* project) {
  std::string dpt;
  if (!project || !CodeGenProjectChanged(*project, &dpt)) return 0;
  if (Debug().SessionActive()) {
    m_bImportChangePending = true;  // asked again when the session ends
    return 0;
  }
  if (m_bAskingImportChange) return 0;
  m_bAskingImportChange = true;
  Dialogs().Beep();
  const bool yes = Dialogs().MessageBox(CodeGenChangedQuestion(dpt), kMbYesNo | kMbIconExclamation) == kIdYes;
  const bool migrated = yes && ImportCodeGenProject(dpt, CodeGenEnv(), project);
  m_bAskingImportChange = false;
  return migrated ? 1 : 0;
}

bool ShellApp::TakeImportChangePending() {
  bool was = m_bImportChangePending;
  m_bImportChangePending = false;
  return was;
}

bool ShellApp::FindImportedProject(const std::string& dptPath, std::string* out) {
  if (dptPath.size() < 5) return false;
  std::string path = dptPath.substr(0, dptPath.size() - 3) + "Pm2";
  if (out) *out = path;
  std::error_code ec;
  std::string local = ToForwardSlashes(path);
  if (std::filesystem::is_regular_file(local, ec)) return true;
  // Files from Windows may differ in the case of the extension.
  std::string lower = local.substr(0, local.size() - 3) + "pm2";
  if (std::filesystem::is_regular_file(lower, ec)) {
    if (out) *out = lower;
    return true;
  }
  return false;
}

bool ShellApp::SelectTargetByName(ProjectRec* project, const std::string& name) {
  if (!project) return false;
  for (TargetRec* t = project->firstTarget; t; t = t->next) {
    if (!(t->flags & kTargetDeleted) && t->name == name) {
      project->curTarget = t;
      return true;
    }
  }
  return false;
}

}  // namespace pm2
