// The build driver: turns one target of the open project into its output on
// a worker thread of its own. It checks the toolset, runs the user programs
// before the build, translates every out-of-date file of every included
// group, links (or archives) the objects, converts to hex, runs the user
// programs after the build and reports the totals. A second entry
// translates one file. A stop request is honoured between files and refused
// (with a beep) in the link phase.
//
// Everything the user sees goes through the notification hub: output lines
// (code 6, sent, so the worker waits until the line is shown), the end of
// the build (code 7, argument 1 when the target was not built) and the
// start of a debug session after a good build (code 17). Message boxes and
// beeps go through the shell services.
//
// Command input files: "__i" (compilers), "_ia" (assemblers), "_ii" (EC++)
// beside the object, deleted after the build unless a batch file is being
// written.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "builder/commands/key_sequences.h"
#include "builder/driver/build_state.h"
#include "builder/driver/target_lock.h"
#include "builder/runner/tool_run_request.h"

namespace pm2 {

class NotificationHub;
class ShellServices;
class PathResolver;
struct ProjectRec;
struct TargetRec;
struct GroupRec;
struct FileRec;
struct OptionBlock;
struct HexOptions;

enum BuildMode : int { kBuildModeBuild = 0, kBuildModeRebuild = 1 };

struct BuildDriverDeps {
  NotificationHub* hub = nullptr;  // required
  ShellServices* shell = nullptr;  // beeps and message boxes; null: theApp().Shell()
  // Runs one tool step; null: a ToolRunner working in the project folder.
  std::function<void(ToolRunRequest&)> run;
  std::string tempFolder;          // capture files of our own runner; empty: $TMPDIR
  std::string runtimeFolder;       // progress channel of our own runner; empty: default
  // The running IDE's driver: it watches the folders of a target's files and
  // keeps what its last build found up to date, so that a build after which
  // nothing changed looks at no file (see build_memory.cpp).
  bool keepUpToDateState = false;
  // Translation workers of the GNU tools; 0: as many as TranslationWorkerCount()
  // gives (a test that needs side-by-side runs sets its own count).
  int workers = 0;
};

// A file's resolved build properties (group and file levels).
struct BuildProperties {
  uint8_t incBld = 1, alwaysBuild = 0, genAsm = 0, asmAsm = 0, publicsOnly = 0;
  uint16_t stopCode = 0;
  uint16_t bankNo = 0;
  uint8_t ecpp = 0;  // 166 family: translate the C file with the EC++ compiler
  std::string custArgs;
  std::string libMods;
};

// Group block (or null: the target-level defaults, INCBLD 1, STOPCODE 3,
// the rest off), file block (or null), mode.
BuildProperties ResolveBuildProperties(const OptionBlock* group, const OptionBlock* file, int mode);

// The extended-51 mode of a 51 tool word (T51FL): 1 for the extended
// assembler, 2 more for the extended linker, 3 for the extended compiler.
uint32_t Extended51Mode(uint32_t t51);

// The hex converter's settings of a target's options.
HexOptions HexOptionsOf(const OptionBlock& options);

// The command input file's name for a tool code: the object's name with
// "_ia" (assemblers), "_ii" (EC++) or "__i".
std::string CommandInputFileName(const std::string& objectFile, int toolCode);


class BuildDriver {
 public:
  explicit BuildDriver(BuildDriverDeps deps);
  ~BuildDriver();
  BuildDriver(const BuildDriver&) = delete;
  BuildDriver& operator=(const BuildDriver&) = delete;

  // GUI thread. Refused with a beep (false) while a tool runs or a build is
  // under way; mode 0 build, 1 rebuild. A run clears its state before its
  // end (notification code 7) is told.
  bool StartBuildThread(ProjectRec* project, TargetRec* target, int mode);
  bool StartTranslateThread(ProjectRec* project, TargetRec* target, FileRec* file);
  // A tool or a build runs: a start now is refused.
  bool Busy() const;
  // The build thread is over but its end not yet handled on the GUI thread
  // (a start now waits a moment for it, then is refused). GUI thread only.
  bool EndPending() const { return thread_.joinable() && !endTold_; }
  // The build StartBuildThread runs, on the calling thread: returns when it
  // has ended and its end is announced (a program that only waits for the
  // build spares the thread's start and the wake-up at its end).
  void RunBuild(ProjectRec* project, TargetRec* target, int mode);
  // 1 when the stop was requested; 0 (with a beep) in the link phase.
  int StopBuild();
  // Waits for the worker thread to end.
  void Wait();

  // The build and the single-file translation themselves (the threads run
  // these; tests may call them directly).
  void BuildTarget(ProjectRec* project, TargetRec* target, int mode);
  void TranslateOneFile(ProjectRec* project, TargetRec* target, FileRec* file);

  // Claims the target for this driver until the driver's end, so that a caller can make sure no other build (of this or another
  // instance) runs before it touches any of the target's files. False when
  // another build holds it. A build or dependency update claims the target
  // itself for its own duration when the caller has not.
  bool ClaimTarget(const ProjectRec* project, const TargetRec* target);
  // Gives up what ClaimTarget took (its lock file goes), before the
  // driver's end: for a caller that ends the process without destroying it.
  void ReleaseTarget();
  // True when a build other than this driver's holds the target now: a
  // build started on it would be refused. Claims nothing.
  bool TargetHeldElsewhere(const ProjectRec* project, const TargetRec* target) const;
  // What a build of a target that another build holds says.
  static std::string TargetBusyMessage(const TargetRec& target);
  // Says in the build output where the target's output and listing folders
  // lie when that is outside the project's folder or through a link
  // (output_folders.h), for a caller about to write there before the build
  // (the build log): the next build of the target does not say it again.
  // GUI thread, before the build's start.
  void SayOutputFolders(ProjectRec* project, TargetRec* target);

  // The dependency data of a target made anew, on the GUI thread while no
  // build runs (the project window's command, a change of the current
  // target, the command-line build before it builds). Every file's data is
  // cleared; for an ARM target the dependency file is read, and when it
  // cannot be, every C and assembler file that takes part in the build is
  // scanned, with the progress "Scanning for Dependencies..." (service 43
  // through the hub); then the dependency file is written again. The other
  // families keep their evidence in their objects. No message box: a target
  // its build would refuse is left as it is.
  // scanNow false, for a build that follows at once: without a dependency
  // file only each file's controls are noted; the build scans each C file
  // when it comes to it (side by side with the translations before it)
  // and writes the file at its end.
  void UpdateDependencies(ProjectRec* project, TargetRec* target, bool scanNow = true);

  // The include files the project window shows under a C, assembler or C++
  // file (file->includes, records of kind 4 in the project's pool), when
  // showIncludes (the window's option) is on. 51, 251 and 166 families:
  // from the include entries its object records. ARM toolsets: from the
  // file's dependency include list while it is current, else from a scan.
  // 0 nothing done; 1 the list is unchanged; 2 it was replaced (for the
  // ARM toolsets always 2).
  int ScanFileIncludes(ProjectRec* project, TargetRec* target, FileRec* file, bool showIncludes = true);

  BuildState& State() { return state_; }
  // False when the last build or translation ran no tool and found no
  // file's includes changed: the files and include lists it leaves are the
  // ones it found (a build with nothing to do). After the end notice.
  bool LastRunChangedFiles() const;
  // The error total as the build reports it when it ends: 1 after an
  // error, -1 after a stop request, else the count of errors.
  int32_t ResultTotal() const { return resultTotal_; }
  // The C compilers' tab width (the editor's tab size of C files), taken
  // by the next build or translation; 0 or 4: the compilers' own.
  void SetCTabWidth(int width) { cTabWidth_ = width > 0 ? width : 4; }
  // The files the key sequences of the user programs name, taken by the
  // next build: "E" the active editor file, "F" the file a translation
  // would work on. The shell hands its own when it starts a build (the
  // command line's as the window's -b: the project file, no editor file);
  // a build given none has neither, and a user program that names one runs
  // nothing.
  struct UserProgramFiles {
    std::optional<FilePosition> activeEditorFile;
    std::optional<FilePosition> fileToTranslate;
  };
  void SetUserProgramFiles(UserProgramFiles files) {
    std::lock_guard<std::mutex> lock(userFilesMutex_);
    userFiles_ = std::move(files);
  }
  UserProgramFiles UserFiles() const {
    std::lock_guard<std::mutex> lock(userFilesMutex_);
    return userFiles_;
  }
  // The file that was translated last by a build (tests ask why).
  struct Explained {
    std::string file;
    bool translated = false;
    std::string reason;
  };
  const std::vector<Explained>& Explanations() const { return explanations_; }

 private:
  class Impl;
  void ThreadEnd(TargetRec* target, bool translation);
  // Claims the target for one build unless held already; false when busy.
  // *own tells whether this call took the claim (and must release it).
  bool ClaimForRun(const ProjectRec* project, const TargetRec* target, bool* own);
  // Refuses with a beep while a tool or a build runs; else readies a new run.
  bool BeginRun();

  BuildDriverDeps deps_;
  BuildState state_;
  TargetBuildLock lock_;
  bool claimedByCaller_ = false;
  std::unique_ptr<Impl> impl_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  // The last run's end was handled by the hub (the thread needs nothing more
  // of the GUI thread); how long a new start waits for that.
  std::atomic<bool> endTold_{true};
  static constexpr int kEndToldWaitMs = 500;
  int32_t resultTotal_ = 0;
  std::atomic<int> cTabWidth_{4};
  mutable std::mutex userFilesMutex_;
  UserProgramFiles userFiles_;
  std::vector<Explained> explanations_;
};

}  // namespace pm2
