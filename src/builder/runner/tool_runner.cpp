#include "builder/runner/tool_runner.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <random>
#include <thread>
#include <unistd.h>

#include "builder/runner/batch_file.h"
#include "builder/runner/command_line_split.h"
#include "builder/runner/output_filters.h"
#include "builder/runner/process_spawn.h"
#include "builder/runner/tool_paths.h"
#include "builder/runner/tool_table.h"
#include "platform/own_file.h"
#include "platform/temporary_files.h"
#include "project/model/app_state.h"

namespace pm2 {

std::atomic<bool> g_bToolRunning{false};

namespace {
// Tools of one build run side by side: the flag stays set until the last
// of them has ended.
std::atomic<int> g_toolsRunning{0};
void ToolStarted() {
  ++g_toolsRunning;
  g_bToolRunning = true;
}
void ToolEnded() {
  if (--g_toolsRunning == 0) g_bToolRunning = false;
}
}  // namespace

namespace {

constexpr int kWaitSliceMs = 100;  // progress records and stop requests are seen this often

bool IsGnuCode(int code) { return code >= 31 && code <= 34; }

// The exit codes that mean a translation, link, library or hex step failed:
// any but 0 for the GNU tools; above 1 for the others (1 means warnings).
// User commands and PC-Lint report through their output only.
bool ExitCodeIsFailure(int code, uint32_t exitCode) {
  if (code < 0 || code > 42) return false;
  if (code >= 31 && code <= 35) return exitCode != 0;
  return exitCode > 1;
}

// One pair of enclosing double quotes removed.
std::string Unquoted(const std::string& s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
  return s;
}

}  // namespace

bool IsCommandShellOrBatch(const std::string& command) {
  const char* c = command.c_str();
  if (command.size() > 7 && strncasecmp(c, "CMD.EXE", 7) == 0) return true;
  if (command.size() > 4 && strncasecmp(c, "CMD", 3) == 0) return true;
  for (size_t i = 0; i < command.size(); ++i) {
    if (command[i] != '.') continue;
    if (i + 1 < command.size() && command[i + 1] == '\\') continue;
    return strncasecmp(c + i + 1, "BAT", 3) == 0;
  }
  return false;
}

std::string FormToolCommandLine(const ToolRunRequest& r, const std::string& captureName, bool* usedAlt) {
  const ToolCodeInfo& info = ToolInfo(r.toolCode);
  const std::string& F = r.toolFolder;
  const std::string& P = r.runThrough;
  const std::string& R = r.commandFile;
  const std::string& N = r.file;
  const std::string& C = r.controlString;
  std::string T = ToolProgramName(r.toolCode);
  if (usedAlt) *usedAlt = false;
  if (info.form == CommandForm::kPFormAlt && !r.altProgram.empty()) {
    T = r.altProgram;
    if (usedAlt) *usedAlt = true;
  }
  // A path with a blank or a quote in it (a project or installation folder
  // named so, a command file named after a source "q'uote\".c") is quoted,
  // so the command line splits into the same words.
  auto Q = [](const std::string& word) {
    return word.find_first_of(" \t\"") == std::string::npos ? word : QuoteCommandLineArg(word);
  };
  // Always in quotes, as the program run through expects its words.
  auto AQ = [](const std::string& word) {
    return word.find('"') == std::string::npos && (word.empty() || word.back() != '\\') ? "\"" + word + "\""
                                                                                       : QuoteCommandLineArg(word);
  };
  auto pForm = [&]() -> std::string {
    if (!R.empty()) {
      if (!P.empty()) return AQ(P) + " " + AQ(F + T) + " " + AQ("@" + R);
      return Q(F + T) + " " + Q("@" + R);
    }
    // Without a program to run through the tool is started directly.
    std::string head = P.empty() ? std::string() : "\"" + P + "\" ";
    return head + "\"" + F + T + "\" " + N + " " + C + "\n";
  };
  switch (info.form) {
    case CommandForm::kNone: return {};
    case CommandForm::kCustom: return "\"" + P + "\" " + C;
    case CommandForm::kPForm:
    case CommandForm::kPFormAlt: return pForm();
    case CommandForm::kPlm: return Q(F + T) + " " + N + " " + C + " PR(" + captureName + ")\n";
    case CommandForm::kLinker:
      if (R.empty()) return {};
      return pForm();
    case CommandForm::kHex:
      if (!R.empty()) return pForm();
      return "\"" + F + T + "\" " + N + " " + C + "\n";
    case CommandForm::kGnuCmdFile: return R.empty() ? std::string() : T + " " + Q("@" + R);
    case CommandForm::kGnuPlain: return T + " " + C + "\r\n";
    case CommandForm::kAdsVia: return R.empty() ? std::string() : Q(F + T) + " -Via " + Q(R);
    case CommandForm::kFromElf: return P.empty() ? Q(F + T + ".exe") + " " + C : std::string();
    case CommandForm::kUser:
      if (!P.empty() && !IsCommandShellOrBatch(C)) return "\"" + P + "\" " + C;
      return Unquoted(C);
    case CommandForm::kLint: return "\"" + F + "\" \"" + R + "\"";
  }
  return {};
}

ToolRunner::ToolRunner(ToolRunnerDeps deps) : deps_(std::move(deps)) {
  if (deps_.tempFolder.empty()) {
    const char* t = std::getenv("TMPDIR");
    deps_.tempFolder = (t && *t) ? t : "/tmp";
  }
  if (deps_.tempFolder.back() != '/') deps_.tempFolder += '/';
  if (!deps_.openCapture)
    deps_.openCapture = [](const std::string& name) { return ::open(name.c_str(), O_RDONLY | O_CLOEXEC); };
}

void ToolRunner::Print(const std::string& text) {
  (deps_.shell ? *deps_.shell : theApp().Shell()).PostOutputText(text);
}

void ToolRunner::Printf(const char* format, ...) {
  char text[1025];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  Print(text);
}

void ToolRunner::MakeCaptureName() {
  // The name is told (to the build's journal) before the file exists, so
  // a build killed at any moment leaves no capture nobody knows of; it is
  // then made exclusively, as mkstemp would.
  static std::atomic<uint32_t> serial{0};
  std::random_device seed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "Pm2__%08x%04x", seed(), unsigned(++serial & 0xFFFF));
    captureName_ = deps_.tempFolder + name;
    if (deps_.onCaptureFile) deps_.onCaptureFile(captureName_);
    // Removed with the run, or by the end by a signal during it.
    int fd = CreateTemporaryFile(captureName_);
    if (fd >= 0) {
      ::close(fd);
      return;
    }
    if (errno != EEXIST) return;  // the run reports what it can't read
  }
}

bool ToolRunner::MapRequestPaths(ToolRunRequest& run, std::string* folder) {
  ToolPathMapper map(deps_.paths, deps_.projectFolder.empty() ? deps_.workFolder : deps_.projectFolder);
  const ToolCodeInfo& info = ToolInfo(run.toolCode);
  const bool usesToolFolder = !IsGnuCode(run.toolCode) && info.form != CommandForm::kCustom &&
                              info.form != CommandForm::kUser;
  std::string err;
  bool ok = map.MapFolder(deps_.workFolder, folder, &err) &&
            map.MapFile(run.runThrough, &run.runThrough, &err) &&
            map.MapFile(run.commandFile, &run.commandFile, &err);
  if (ok && usesToolFolder) {
    // PC-Lint's "folder" is the lint program itself, found as a user tool's.
    if (info.form == CommandForm::kLint) {
      std::string inProject;
      ok = map.MapFile(run.toolFolder, &inProject, &err);
      if (ok) run.toolFolder = ProgramToStart(run.toolFolder, inProject);
    } else {
      ok = map.MapFolder(run.toolFolder, &run.toolFolder, &err);
    }
  }
  if (!ok) Printf("--- Error: %s\n", err.c_str());
  return ok;
}

bool IsBareProgramName(const std::string& program) {
  return !program.empty() && program.find_first_of("/\\:") == std::string::npos;
}

std::string ProgramToStart(const std::string& named, const std::string& inProject) {
  return IsBareProgramName(named) ? named : inProject;
}

void ToolRunner::RequestStop() {
  stopRequested_ = true;
  pid_t pid = runningPid_.load();
  if (pid > 0) KillProcessTree(pid);
}

int ToolRunner::RunToolProcess(const std::string& commandLine, const std::string& folder, bool capture) {
  if (deps_.batch) deps_.batch->WriteLine(commandLine);
  work_.processId = kNoProcessId;
  int out = -1;
  if (capture) {
    out = OpenOwnFile(captureName_, O_RDWR | O_TRUNC, 0600);
    if (out < 0) return 1;
  }
  bool progress = progressWanted_ && progress_.Open(deps_.runtimeFolder);

  SpawnSpec spec;
  spec.commandLine = commandLine;
  spec.folder = folder;
  spec.env = work_.environment;
  spec.outputFd = out;
  spec.inheritFd = deps_.toolLockFd ? deps_.toolLockFd() : -1;
  SpawnResult started = SpawnProcess(spec);
  if (started.pid < 0) {
    startError_ = started.error;
    if (out >= 0) ::close(out);
    progress_.Close();
    return 1;
  }
  work_.processId = static_cast<uint32_t>(started.pid);
  runningPid_ = started.pid;
  ToolStarted();
  if (stopRequested_) KillProcessTree(started.pid);

  int exitCode;
  while ((exitCode = WaitProcess(started.pid, kWaitSliceMs)) == kExitRunning) {
    if (progress) progress_.Drain(deps_.hub);
    if (!stopRequested_ && deps_.stopWanted && deps_.stopWanted()) RequestStop();
  }
  runningPid_ = -1;
  stopped_ = stopRequested_.load();
  work_.exitCode = static_cast<uint32_t>(exitCode);
  int result = 0;
  if (work_.toolCode == kToolUserCommand && exitCode >= 1) result = exitCode;

  if (progress) progress_.Drain(deps_.hub);
  progress_.Close();
  if (out >= 0) {
    // No fsync: the capture is a scratch file read back through the page
    // cache and deleted; syncing it cost a disk flush per tool run.
    ::close(out);
    // Bounded retries: a capture that can't be read back is reported, not ignored.
    for (int i = 0; i < kCaptureReopenTries && captureFd_ < 0; ++i) {
      captureFd_ = deps_.openCapture(captureName_);
      if (captureFd_ < 0) ::usleep(5000);
    }
    captureLost_ = captureFd_ < 0;
  }
  ToolEnded();
  return result;
}

int ToolRunner::RunToolWithoutCapture(const std::string& commandLine, const std::string& folder) {
  SpawnSpec spec;
  spec.commandLine = commandLine;
  spec.folder = folder;
  spec.inheritFd = deps_.toolLockFd ? deps_.toolLockFd() : -1;
  SpawnResult started = SpawnProcess(spec);
  if (started.pid < 0) {
    startError_ = started.error;
    return 1;
  }
  work_.processId = static_cast<uint32_t>(started.pid);
  runningPid_ = started.pid;
  int exitCode;
  while ((exitCode = WaitProcess(started.pid, kWaitSliceMs)) == kExitRunning) {
    if (!stopRequested_ && deps_.stopWanted && deps_.stopWanted()) RequestStop();
  }
  runningPid_ = -1;
  stopped_ = stopRequested_.load();
  work_.exitCode = static_cast<uint32_t>(exitCode);
  // The compiler wrote its listing to the capture name through PR(...).
  captureFd_ = deps_.openCapture(captureName_);
  return 0;
}

void ToolRunner::FilterCapture() {
  if (captureFd_ < 0) return;
  FdByteSource source(captureFd_);
  CaptureReader reader(source);
  FilterToolOutput(work_, reader, deps_.shell ? *deps_.shell : theApp().Shell());
  ::close(captureFd_);
  captureFd_ = -1;
}

void ToolRunner::RunBuildStep(ToolRunRequest& request) {
  progressWanted_ = false;
  captureLost_ = false;
  stopped_ = false;
  stopRequested_ = false;
  startError_.clear();
  captureFd_ = -1;
  MakeCaptureName();
  work_ = request;
  work_.runFailed = 0;
  work_.errors = 0;
  work_.warnings = 0;
  work_.exitCode = 0;
  bool usedAlt = false;
  const int code = work_.toolCode;
  const ToolCodeInfo& info = ToolInfo(code);

  if (code <= kToolPcLint && info.form != CommandForm::kNone) {
    if (info.announce && info.arg != AnnounceArg::kProgram) {
      const char* text = info.announce;
      if (info.arg == AnnounceArg::kFlag && !(work_.flags & kToolFlagHexOutput)) text = info.announceAlt;
      const std::string& arg = info.arg == AnnounceArg::kObject ? work_.objectFile : work_.file;
      Printf(text, arg.c_str());
    }
    ToolRunRequest run = work_;
    std::string folder;
    const bool mapped = MapRequestPaths(run, &folder);
    if (info.announce && info.arg == AnnounceArg::kProgram) {
      // The program a project's options name: the output says which file
      // runs (as found on PATH or with its folder), or the name as given.
      const std::string found = mapped ? LocateProgram(run.toolFolder, run.environment, folder) : std::string();
      Printf(info.announce, (found.empty() ? work_.toolFolder : found).c_str());
    }
    std::string commandLine = FormToolCommandLine(run, captureName_, &usedAlt);
    progressWanted_ = info.form == CommandForm::kLinker;
    int result = 1;
    if (mapped && !commandLine.empty()) {
      result = info.start == StartMode::kNoCapture ? RunToolWithoutCapture(commandLine, folder)
                                                   : RunToolProcess(commandLine, folder, true);
    }
    work_.runFailed = static_cast<uint32_t>(result);
    progressWanted_ = false;
  }

  FilterCapture();
  RemoveTemporaryFile(captureName_);

  const std::string program =
      (IsGnuCode(code) ? std::string() : work_.toolFolder) +
      (usedAlt ? work_.altProgram : std::string(ToolProgramName(code)));
  if (work_.runFailed) {
    const uint32_t starterResult = work_.runFailed;
    work_.exitCode = kRunFailedExitCode;
    ++work_.errors;
    if (code == kToolCustom || code == kToolUserCommand) {
      // A command that did not start says why (a program not found names
      // where it was looked for).
      if (!startError_.empty()) Printf("--- Error: %s\n", startError_.c_str());
      Printf("--- User Command terminated, Exit-Code = %d\n", static_cast<int>(starterResult));
    }
    else if (startError_.empty())
      Printf("--- Error: can't execute '%s'\n", program.c_str());
    else {
      // The reason names the file looked for; said once when it is the program itself.
      std::string why = startError_;
      const std::string self = "'" + program + "': ";
      if (why.rfind(self, 0) == 0) why.erase(0, self.size());
      Printf("--- Error: can't execute '%s': %s\n", program.c_str(), why.c_str());
    }
  } else if (stopped_) {
    ++work_.errors;
    Printf("--- Error: '%s' stopped on request\n", program.c_str());
  } else if (captureLost_) {
    ++work_.errors;
    Printf("--- Error: can't read the output of '%s'\n", program.c_str());
  } else if (info.checksExitCode && work_.exitCode >= 4 && info.form != CommandForm::kNone) {
    // The output was kept and shown above; the exit code itself is the error.
    ++work_.errors;
    Printf("--- Error: '%s' returned exit code %u\n", program.c_str(), work_.exitCode);
  } else if (info.oneErrorOnExit1 && work_.exitCode >= 1) {
    ++work_.errors;
  } else if (work_.errors == 0 && ExitCodeIsFailure(code, work_.exitCode)) {
    // A tool that failed without a message we recognise (a crash, a driver
    // message of a form we do not know) still fails the build.
    ++work_.errors;
    Printf("--- Error: '%s' returned exit code %u\n", program.c_str(), work_.exitCode);
  }
  request = work_;
}

void ToolRunner::RunExternalCommand(const std::string& program, const std::string& arguments,
                                    const std::string& folder, const EnvOverlay* environment, int mode) {
  captureLost_ = false;
  stopped_ = false;
  stopRequested_ = false;
  startError_.clear();
  captureFd_ = -1;
  MakeCaptureName();
  work_ = ToolRunRequest();
  work_.environment = environment;
  const std::string commandLine = "\"" + program + "\" " + arguments;
  Print(commandLine + "\n");
  ToolPathMapper map(deps_.paths, deps_.projectFolder.empty() ? deps_.workFolder : deps_.projectFolder);
  std::string where, local, err;
  bool failed = !map.MapFolder(folder.empty() ? deps_.workFolder : folder, &where, &err) ||
                !map.MapFile(program, &local, &err);
  if (!failed) local = ProgramToStart(program, local);
  const std::string runLine = "\"" + local + "\" " + arguments;
  if (failed) {
    Printf("--- Error: %s\n", err.c_str());
  } else if (mode & 0x80) {
    SpawnSpec spec;
    spec.commandLine = runLine;
    spec.folder = where;
    spec.env = environment;
    spec.ownProcessGroup = false;
    SpawnResult started = SpawnProcess(spec);
    failed = started.pid < 0;
    if (failed) startError_ = started.error;
    if (!failed) {
      work_.processId = static_cast<uint32_t>(started.pid);
      // Nobody waits for a detached program; reap it so it leaves no zombie.
      std::thread([pid = started.pid] { ::waitpid(pid, nullptr, 0); }).detach();
    }
  } else {
    failed = RunToolProcess(runLine, where, true) != 0;
    FilterCapture();
  }
  if (failed) {
    work_.exitCode = kRunFailedExitCode;
    if (startError_.empty())
      Printf("--- Error: can't execute '%s'\n", commandLine.c_str());
    else
      Printf("--- Error: can't execute '%s': %s\n", commandLine.c_str(), startError_.c_str());
  }
  RemoveTemporaryFile(captureName_);
}

}  // namespace pm2
