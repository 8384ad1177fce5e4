// The build system as the application layer drives it: start, stop, the
// include dependencies of a target and the HTML build log. DriverBuildPort
// is the real one, over the build driver and the build log; tests record
// the calls.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "builder/commands/key_sequences.h"

namespace pm2 {

struct ProjectRec;
struct TargetRec;
struct FileRec;
class NotificationHub;
class ShellServices;
class BuildDriver;
class BuildLog;

class BuildPort {
 public:
  virtual ~BuildPort() = default;
  // mode 0 build, 1 rebuild; the build ends with notification code 7.
  // False when the start was refused (a build or tool runs): no end follows.
  virtual bool StartBuild(ProjectRec* project, TargetRec* target, int mode) = 0;
  virtual bool StartTranslate(ProjectRec* project, TargetRec* target, FileRec* file) = 0;
  // 1 when the stop was accepted, 0 when stopping is not allowed now.
  virtual int StopBuild() = 0;
  // A build's thread runs, or its end is not yet told on the GUI thread
  // (a stopped build still reads the project until then).
  virtual bool Running() const { return false; }
  // Refreshes what the project knows of the target's include dependencies.
  virtual void UpdateDependencies(ProjectRec* project, TargetRec* target) = 0;
  // Action 1 names the log "<base>.plg" (the stored form of the path),
  // action 0 closes it.
  virtual void SetBuildLogFile(int action, const std::string& name) = 0;
  // One line of the build page, also kept in the open log.
  virtual void LogOutputLine(const char* line) = 0;
  // The error count of the build that ended last.
  virtual int LastErrorCount() const { return 0; }
  // The last build or translation started was refused because another
  // build holds its target: it wrote nothing, and nothing of the project
  // may be written on its account.
  virtual bool LastStartRefused() const { return false; }
  // How the build that ended last ended: -1 stopped, 0 without errors, 1 with.
  virtual int LastBuildResult() const { return LastErrorCount() != 0 ? 1 : 0; }
  // The last start was a translation of one file (it never builds the target).
  virtual bool LastWasTranslation() const { return false; }
  // Brings the include files the project window shows under a file up to
  // date; 0 nothing done (or a build runs), 1 unchanged, 2 replaced.
  virtual int ScanFileIncludes(ProjectRec* /*project*/, TargetRec* /*target*/, FileRec* /*file*/) { return 0; }
  // The C compilers' tab width for the next build (the editor's tab size).
  virtual void SetCTabWidth(int /*width*/) {}
  // The files the next build's user programs name by "E" (the active
  // editor file) and "F" (the file a translation would work on).
  virtual void SetUserProgramFiles(std::optional<FilePosition> /*activeEditorFile*/,
                                   std::optional<FilePosition> /*fileToTranslate*/) {}
  // False when the build that ended last ran no tool and changed no file's
  // include list, so what the project window shows of it still holds.
  virtual bool LastRunChangedFiles() const { return true; }
  // Says on the build page where the target's outputs go when that is
  // outside the project's folder or through a link (output_folders.h), as
  // the project opens or the target is chosen: the user knows before a
  // build writes there.
  virtual void SayOutputFolders(ProjectRec* /*project*/, TargetRec* /*target*/) {}
};

class DriverBuildPort : public BuildPort {
 public:
  // hub: where the build's lines and its end go; shell: its beeps and boxes.
  DriverBuildPort(NotificationHub& hub, ShellServices* shell);
  ~DriverBuildPort() override;

  bool StartBuild(ProjectRec* project, TargetRec* target, int mode) override;
  bool StartTranslate(ProjectRec* project, TargetRec* target, FileRec* file) override;
  int StopBuild() override;
  bool Running() const override;
  void UpdateDependencies(ProjectRec* project, TargetRec* target) override;
  void SetBuildLogFile(int action, const std::string& name) override;
  void LogOutputLine(const char* line) override;
  int LastErrorCount() const override;
  int LastBuildResult() const override;
  bool LastStartRefused() const override { return m_refused; }
  bool LastWasTranslation() const override { return m_translation; }
  int ScanFileIncludes(ProjectRec* project, TargetRec* target, FileRec* file) override;
  void SetCTabWidth(int width) override;
  void SetUserProgramFiles(std::optional<FilePosition> activeEditorFile,
                           std::optional<FilePosition> fileToTranslate) override;
  bool LastRunChangedFiles() const override;
  void SayOutputFolders(ProjectRec* project, TargetRec* target) override;

  BuildDriver& Driver() { return *m_driver; }
  // Asks a running build to stop and waits for its thread through `wait`,
  // which is handed the blocking wait: the thread may be waiting for the
  // GUI thread to take a line, so the window program serves its calls
  // meanwhile.
  using ServingWait = std::function<void(const std::function<void()>& blockingWait)>;
  void Finish(const ServingWait& wait);

 private:
  // Opens the named log for a build of the target, unless another build
  // holds the target: that build's log is left whole (m_refused).
  void OpenLogFor(ProjectRec* project, TargetRec* target);

  std::unique_ptr<BuildDriver> m_driver;
  std::unique_ptr<BuildLog> m_log;
  // The log named for the current target; opened (its heading written) only
  // when a build starts, so that a build refused its target cuts no log.
  std::string m_logName, m_logFolder, m_logProjectName, m_logProjectFile;
  std::vector<std::string> m_pendingLines;  // lines shown before the log opened
  bool m_started = false;                   // a build or translation was started
  bool m_refused = false;                   // see LastStartRefused
  bool m_translation = false;               // see LastWasTranslation
  // The notes said as a project opens are for the page: the build that
  // writes there says them again first thing in its own log.
  bool m_notesForThePage = false;
};

}  // namespace pm2
