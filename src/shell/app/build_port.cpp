#include "shell/app/build_port.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "builder/driver/build_driver.h"
#include "builder/driver/dependency_file.h"
#include "builder/runner/build_log.h"
#include "platform/win_path.h"
#include "project/files/project_file.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"

namespace pm2 {

DriverBuildPort::DriverBuildPort(NotificationHub& hub, ShellServices* shell)
    : m_log(std::make_unique<BuildLog>()) {
  BuildDriverDeps deps;
  deps.hub = &hub;
  deps.shell = shell;
  deps.keepUpToDateState = true;  // the IDE's builds know what changed since the last
  m_driver = std::make_unique<BuildDriver>(std::move(deps));
}

DriverBuildPort::~DriverBuildPort() {
  m_driver->Wait();
  m_log->SetBuildLogFile(0, std::string(), nullptr);
}

void DriverBuildPort::OpenLogFor(ProjectRec* project, TargetRec* target) {
  m_refused = m_driver->TargetHeldElsewhere(project, target);
  if (m_refused) return;
  // Where the outputs go when that is outside the project (or through a
  // link) is said before the first write there, the log's.
  m_driver->SayOutputFolders(project, target);
  if (m_logName.empty() || m_log->IsOpen()) return;
  // The log's folder is made by the build that writes into it, never when
  // a project is opened: a project may name folders anywhere.
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(m_logName).parent_path(), ec);
  BuildLogProject lp{m_logFolder, m_logProjectName, m_logProjectFile};
  m_log->SetBuildLogFile(1, m_logName, &lp);
  // A link planted at the log's name was replaced: said in the output.
  if (!m_log->ReplacedNote().empty()) theApp().Shell().PostOutputText(m_log->ReplacedNote() + "\n");
  for (const std::string& line : m_pendingLines) m_log->WriteOutputLine(line);
  m_pendingLines.clear();
}

bool DriverBuildPort::StartBuild(ProjectRec* project, TargetRec* target, int mode) {
  // A start refused for a run under way cuts no log: the running one's stays whole.
  if (m_driver->Busy()) return m_driver->StartBuildThread(project, target, mode);
  m_started = true;
  m_translation = false;
  OpenLogFor(project, target);
  return m_driver->StartBuildThread(project, target, mode);
}

bool DriverBuildPort::StartTranslate(ProjectRec* project, TargetRec* target, FileRec* file) {
  if (m_driver->Busy()) return m_driver->StartTranslateThread(project, target, file);
  m_started = true;
  m_translation = true;
  OpenLogFor(project, target);
  return m_driver->StartTranslateThread(project, target, file);
}

int DriverBuildPort::LastErrorCount() const { return m_driver->State().errors; }

int DriverBuildPort::LastBuildResult() const {
  const int total = m_driver->ResultTotal();
  return total < 0 ? -1 : total > 0 ? 1 : 0;
}

void DriverBuildPort::SetCTabWidth(int width) { m_driver->SetCTabWidth(width); }

void DriverBuildPort::SetUserProgramFiles(std::optional<FilePosition> activeEditorFile,
                                          std::optional<FilePosition> fileToTranslate) {
  m_driver->SetUserProgramFiles({std::move(activeEditorFile), std::move(fileToTranslate)});
}

bool DriverBuildPort::LastRunChangedFiles() const { return m_driver->LastRunChangedFiles(); }

int DriverBuildPort::StopBuild() { return m_driver->StopBuild(); }

bool DriverBuildPort::Running() const { return m_driver->Busy() || m_driver->EndPending(); }

void DriverBuildPort::Finish(const ServingWait& wait) {
  m_driver->StopBuild();
  // Nothing was ever started: no thread to wait for, no helper to start.
  if (!m_started) return;
  wait([this] { m_driver->Wait(); });
}

int DriverBuildPort::ScanFileIncludes(ProjectRec* project, TargetRec* target, FileRec* file) {
  return m_driver->ScanFileIncludes(project, target, file);
}

void DriverBuildPort::UpdateDependencies(ProjectRec* project, TargetRec* target) {
  if (!project || !target) return;
  // What the last build of the target left: without it every file would be
  // scanned and translated again.
  ClearDependencyData(*project);
  ReadDependencyFile(*project, *target);
}

void DriverBuildPort::SetBuildLogFile(int action, const std::string& name) {
  ProjectRec* project = theApp().m_pProject;
  if (action == 0 || !project || name.empty()) {
    // Closed for the project (another opens, or it closes) while it and its
    // target are still open: the log's page is ended. Only the end of the
    // program closes it without.
    const BuildLogProject ending;
    const bool trailer = action == 0 && project && project->curTarget;
    m_log->SetBuildLogFile(0, std::string(), trailer ? &ending : nullptr);
    m_logName.clear();
    m_pendingLines.clear();
    return;
  }
  // The name is in the project's stored form; the log is a file of this machine.
  std::string folder = project->folder.str();
  std::string local, why;
  static const DriveMap kNoDrives;
  if (!ToLocalPath(name, folder.empty() ? "./" : ToForwardSlashes(folder), kNoDrives, &local, &why))
    return;
  // The heading shows the date of the project file as it lies on disk.
  std::string onDisk;
  ToLocalPath(ProjectSiblingPath(*project, "pm2"), folder.empty() ? "./" : ToForwardSlashes(folder), kNoDrives,
              &onDisk, &why);
  // Another log open stays open for this one's name (the next build's
  // heading cuts it); any other closes now and the named one opens with
  // the next build.
  if (m_log->IsOpen() && local != m_logName) m_log->SetBuildLogFile(0, std::string(), nullptr);
  m_logName = local;
  m_logFolder = folder;
  m_logProjectName = project->name.str();
  m_logProjectFile = onDisk;
}

void DriverBuildPort::SayOutputFolders(ProjectRec* project, TargetRec* target) {
  m_notesForThePage = true;
  m_driver->SayOutputFolders(project, target);
  m_notesForThePage = false;
}

void DriverBuildPort::LogOutputLine(const char* line) {
  // A refused build's lines belong in the log of the build holding the target.
  if (!line || m_refused || m_notesForThePage || (!m_log->IsOpen() && m_logName.empty())) return;
  std::string_view text(line);
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) >= 249) ++i;
  text.remove_prefix(i);
  if (text.empty()) return;  // only a switch of the pane's redrawing
  // The line goes with its own line end: the log writes an empty line
  // ("\n") that the page does not show, and a line that ends in 0x02 before
  // its line end runs on into the next.
  // Kept for the log of the next build (bounded: tools may write to the
  // page for a long time before any build).
  constexpr std::size_t kMaxPendingLines = 10000;
  if (m_log->IsOpen())
    m_log->WriteOutputLine(std::string(text));
  else if (m_pendingLines.size() < kMaxPendingLines)
    m_pendingLines.emplace_back(text);
}

}  // namespace pm2
