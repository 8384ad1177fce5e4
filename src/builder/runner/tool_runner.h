// Runs the tools of a build, one at a time: announces the step, forms the
// command line from the tool code, starts the tool with its standard output
// and error going to a capture file "Pm2__*" in the temporary folder, waits
// (draining the linkers' progress records meanwhile), and filters the
// capture into the output window with errors and warnings counted.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <sys/types.h>

#include "builder/runner/progress_channel.h"
#include "builder/runner/tool_run_request.h"

namespace pm2 {

class BatchFile;
class EnvOverlay;
class NotificationHub;
class PathResolver;
class ShellServices;

// Set while a tool started by a runner runs; the build and the single-file
// translation refuse to start while it is set.
extern std::atomic<bool> g_bToolRunning;

// True when the command begins with "CMD.EXE" (longer than 7) or "CMD"
// (longer than 4), or the first '.' not followed by a backslash is followed
// by "BAT"; case ignored.
bool IsCommandShellOrBatch(const std::string& command);

// The command line of a request (empty when the code starts nothing or the
// request lacks what its form needs); usedAlt tells whether the alternative
// program name of code 29 replaced the table's name.
std::string FormToolCommandLine(const ToolRunRequest& request, const std::string& captureName,
                                bool* usedAlt = nullptr);

// A program named without a folder or drive ("sh", "lint.exe").
bool IsBareProgramName(const std::string& program);

// What a user tool or the lint run starts for the program `named`, whose
// path below the project's folder is `inProject`: a name with a folder
// ("./mytool", "bin\lint") is that path; a bare name stays bare, and the
// spawn looks for it on PATH only, as a shell does: a project's own program
// never stands in for one named without its folder.
std::string ProgramToStart(const std::string& named, const std::string& inProject);

constexpr int kCaptureReopenTries = 20;

struct ToolRunnerDeps {
  ShellServices* shell = nullptr;  // every printed line; null: theApp().Shell()
  NotificationHub* hub = nullptr;  // progress records (code 10, service 43)
  BatchFile* batch = nullptr;      // receives every command line started
  std::string tempFolder;          // capture files; empty: $TMPDIR or /tmp
  std::string runtimeFolder;       // progress channel; empty: DefaultRuntimeFolder()
  std::string workFolder;          // the tools' working folder; empty: current
  // Stored paths (tool folder, programs, command files, working folder) are
  // mapped through the path layer: the drive map of `paths` (null: no
  // drives mapped) and ".\" against projectFolder (empty: workFolder).
  PathResolver* paths = nullptr;
  std::string projectFolder;
  // Told the capture file's name before the tool starts (so a killed
  // build's capture can be found and removed); may be empty.
  std::function<void(const std::string& name)> onCaptureFile;
  // A handle every build step's tool keeps open (the lock of the build's
  // temporary folder), or -1; may be empty.
  std::function<int()> toolLockFd;
  // Asked while a tool runs (every wait slice, from the running thread):
  // true ends it at once, as RequestStop does. Null: only RequestStop.
  std::function<bool()> stopWanted;
  // Opens the finished capture for reading (test seam); -1 on failure.
  std::function<int(const std::string& name)> openCapture;
};

class ToolRunner {
 public:
  explicit ToolRunner(ToolRunnerDeps deps);
  ToolRunner(const ToolRunner&) = delete;
  ToolRunner& operator=(const ToolRunner&) = delete;

  // Runs one tool and writes the outcome back into the request.
  void RunBuildStep(ToolRunRequest& request);

  // Runs "\"program\" arguments"; mode bit 7: start and return at once.
  void RunExternalCommand(const std::string& program, const std::string& arguments,
                          const std::string& folder, const EnvOverlay* environment, int mode);

  // Ends the running tool (and what it started); callable from any thread.
  void RequestStop();

  const std::string& LastCaptureName() const { return captureName_; }
  // The last tool run was ended by a stop request.
  bool WasStopped() const { return stopped_; }

 private:
  int RunToolProcess(const std::string& commandLine, const std::string& folder, bool capture);
  int RunToolWithoutCapture(const std::string& commandLine, const std::string& folder);
  void MakeCaptureName();
  // The request's stored paths in this machine's form; false (with the
  // error printed) when one can't be mapped.
  bool MapRequestPaths(ToolRunRequest& run, std::string* folder);
  void FilterCapture();
  void Print(const std::string& text);
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

  ToolRunnerDeps deps_;
  ToolRunRequest work_;
  std::string captureName_;
  int captureFd_ = -1;  // open for reading after a run, until filtered
  bool progressWanted_ = false;
  bool captureLost_ = false;
  std::string startError_;  // why the last tool could not be started
  bool stopped_ = false;
  ProgressChannel progress_;
  std::atomic<pid_t> runningPid_{-1};
  std::atomic<bool> stopRequested_{false};
};

}  // namespace pm2
