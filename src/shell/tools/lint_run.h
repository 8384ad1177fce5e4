// PC-Lint runs on the active file or on every C source file of the
// project: a command file "Pm2__*.lnt" in the temporary folder, the lint
// program run through the tool runner (tool code 44) on the lint thread,
// which ends with notification code 9 and deletes the command file.
//
// Command file, each item ending in LF:
//   "-i%s"        each include folder of the target, in list order
//   "%s"          the lint configuration file
//   single file:  its define arguments and one blank (only for a file of the
//                 project, only while shorter than 32540 characters), then
//                 "\"%s\"" with its path
//   all files:    "\"%s\"" for every C source file that is not removed, in
//                 every group that is not deleted, in project order
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "builder/runner/tool_run_request.h"
#include "platform/serve_while_waiting.h"
#include "shell/tools/tool_frame.h"

namespace pm2 {

class NotificationHub;
struct FileRec;
struct ProjectRec;
struct TargetRec;

inline constexpr uint32_t kCmdConfigureLint = 35103;
inline constexpr uint32_t kCmdLintFile = 35094;
inline constexpr uint32_t kCmdLintAllFiles = 35105;
inline constexpr size_t kLintDefinesLimit = 32540;
inline constexpr char kLintWriteError[] = "Cannot Create/Write PC-Lint Input Command File !";

struct LintSettings {
  std::string program;
  std::string configFile;
  std::vector<std::string> includeFolders;
};
LintSettings LintSettingsOf(const TargetRec& target);
// The lint options dialog's OK: program and configuration file trimmed at
// both ends, the folders trimmed with empty ones left out, all as new
// strings of the project's pool (the old ones stay in the pool).
void ApplyLintSettings(TargetRec& target, const LintSettings& settings);

// Why the dialog's OK cannot store the settings ("" when it can), naming
// the field, checked as ApplyLintSettings would store them: each text is
// kept in the options file as "<text>" and goes to the lint run one per
// line, so a text the file would give back as another or a line break is
// refused. `field` becomes 0 (program), 1 (configuration file) or 2 (an
// include folder, `row` its index).
struct LintRefusal {
  std::string message;
  int field = -1;
  int row = -1;
};
LintRefusal LintSettingsRefusal(const LintSettings& settings);

// The fields' names in the refusals.
inline constexpr const char* kLintProgramField = "Lint Executable";
inline constexpr const char* kLintConfigField = "Configuration File";
inline constexpr const char* kLintFoldersField = "PC-Lint Include Folders";
// Why one field's text cannot be stored ("" when it can), as above; the
// dialog asks it of an include-folder row when the row is typed.
std::string LintFieldRefusal(const char* field, const std::string& typed);

// The file of a single-file run.
struct LintFile {
  std::string path;
  bool inProject = false;
  std::string defines;  // its define arguments (MakeLintDefineArgs)
  std::string refusal;  // why it is not linted ("" when it is): defines not taken
};

// The single-file run's file: a file of the project (`record` with a
// group) gets the defines its C compiler would get at its levels.
LintFile LintFileFor(const std::string& path, FileRec* record, TargetRec* target);

std::string MakeLintCommandText(const LintSettings& settings, const LintFile& file);
std::string MakeLintAllFilesText(const LintSettings& settings, const ProjectRec& project);

// Update handlers: the lint commands are greyed while a build or tool runs,
// since a lint run shares the tool runner with the build.
bool LintConfigureEnabled(bool hasTarget);
bool LintFileEnabled(bool activeTextEditor, const LintSettings& settings, bool busy);
bool LintAllFilesEnabled(const LintSettings& settings, bool busy);
// "&Lint " and the file's path.
std::string LintFileMenuText(const std::string& path);

class LintRunner {
 public:
  // `run` is the tool runner's RunBuildStep; `tempFolder` empty: $TMPDIR
  // or /tmp. The run's lines and its code 9 wait until the GUI thread takes
  // them, so Join serves the GUI thread's calls (`serve`) while it waits.
  LintRunner(ToolFrame& frame, NotificationHub& hub, std::atomic<uint32_t>& state,
             std::function<void(ToolRunRequest&)> run, std::string tempFolder = {},
             GuiCallServer serve = {});
  ~LintRunner();

  // The two commands; false (after a beep, with the message for a command
  // file that can't be written) when nothing started.
  bool LintFile(const LintSettings& settings, const struct LintFile& file);
  bool LintAllFiles(const LintSettings& settings, const ProjectRec& project);
  bool Running() const { return m_running.load(); }
  void Join();

 private:
  bool Start(const LintSettings& settings, const std::string& text, const std::string& file);

  ToolFrame& m_frame;
  NotificationHub& m_hub;
  std::atomic<uint32_t>& m_state;
  std::function<void(ToolRunRequest&)> m_run;
  std::string m_tempFolder;
  GuiCallServer m_serve;
  std::atomic<bool> m_running{false};
  std::thread m_thread;
};

}  // namespace pm2
