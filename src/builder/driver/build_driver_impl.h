// The build driver's inside, shared by the files that make it up (the
// build itself and the dependency-data updates of the project window).
// Not for other callers: they use build_driver.h.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <unordered_set>

#include "builder/driver/build_driver.h"
#include "builder/driver/build_file_cache.h"
#include "builder/commands/arm_controls.h"
#include "builder/commands/arm_ads_command.h"
#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"
#include "builder/commands/command_lists.h"
#include "builder/commands/gnu_command_file.h"
#include "builder/commands/key_sequences.h"
#include "builder/commands/q166_command.h"
#include "builder/commands/q51_command.h"
#include "builder/commands/w166_command.h"
#include "builder/commands/w51_command.h"
#include "builder/commands/yq166_command.h"
#include "builder/driver/dependency_file.h"
#include "builder/driver/folder_watch.h"
#include "builder/driver/link_51_steps.h"
#include "builder/driver/link_steps.h"
#include "builder/driver/register_optimization.h"
#include "builder/driver/run_journal.h"
#include "builder/driver/toolset_folders.h"
#include "builder/driver/translation_pool.h"
#include "builder/driver/up_to_date.h"
#include "builder/preprocessor/preprocessor.h"
#include "builder/runner/batch_file.h"
#include "builder/runner/command_line_split.h"
#include "builder/runner/tool_environment.h"
#include "builder/runner/tool_runner.h"
#include "builder/runner/progress_channel.h"
#include "builder/runner/tool_table.h"
#include "platform/ascii_case.h"
#include "platform/notification_hub.h"
#include "platform/own_file.h"
#include "platform/win_path.h"
#include "project/environment/environment.h"
#include "project/files/entry_stream.h"
#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace driver_detail {

// The kinds of progress record the status bar takes (service 43).
constexpr uint32_t kProgressShow = 1, kProgressEnd = 2, kProgressMove = 3;

// Tool codes the driver chooses.
enum : uint16_t {
  kToolQ251 = 1, kToolQ51 = 2, kToolQ166 = 3, kToolW51 = 8, kToolW251 = 9, kToolW166 = 10,
  kToolWX51 = 23, kToolQX51 = 25, kToolZZQ51 = 29, kToolYQ166 = 30, kToolGnuCc = 31, kToolGnuAs = 32,
  kToolAdsCc = 36, kToolAdsAsm = 37, kToolTcc = 42,
};
constexpr uint32_t kFlagGnuTool = 0x08;
constexpr uint32_t kFlagArmTool = 0x10;
constexpr uint32_t kArmLayoutMask = 0x78;
constexpr uint32_t kDebugAfterBuild = 0x10000;

inline bool IsAssemblerCode(int code) {
  return code == 8 || code == 9 || code == 10 || code == 23 || code == 32 || code == 37;
}
// The linkers keep their command files for the next up-to-date test.
inline bool IsLinkerCode(int code) {
  return code == 5 || code == 6 || code == 7 || code == 13 || code == 24 || code == 28 ||
         code == 33 || code == 38;
}

inline bool IsArm(uint16_t toolset) { return toolset == kToolsetArmGnu || toolset == kToolsetArmAds; }

// Bits of the 51 tool word (T51FL) the driver reads.
constexpr uint32_t kT51SymbolsOnly = 0x1000;
constexpr uint32_t kT51CodeBanking = 0x2000;
constexpr uint32_t kT51ExtendedLinker = 0x8000;
constexpr uint32_t kT51ExtendedAsm = 0x10000;
constexpr uint32_t kT51ExtendedCompiler = 0x20000;

// The 2-bit global register optimisation setting of the toolset's compiler.
inline uint16_t GlobalRegisterOptimization(const OptionBlock& o, uint16_t toolset) {
  switch (toolset) {
    case kToolset51: return o.q51.Q51FL & 3;
    case kToolset251: return o.q251.Q251F1 & 3;
    case kToolset166: return o.q166.flags.REGCOLOR;
    default: return 0;
  }
}



// The shell the tool runner and the link steps print through: lines go to
// the hub as code 6, beeps and boxes to the real shell.
class HubShell : public ShellServices {
 public:
  HubShell(NotificationHub* hub, ShellServices* shell) : hub_(hub), shell_(shell) {}
  void Beep() override { Shell().Beep(); }
  int MessageBox(const std::string& text, int kind) override { return Shell().MessageBox(text, kind); }
  void PostOutputText(const std::string& line) override {
    hub_->Send(kNotifyBuildOutputLine, reinterpret_cast<intptr_t>(line.c_str()));
  }

 private:
  ShellServices& Shell() { return shell_ ? *shell_ : theApp().Shell(); }
  NotificationHub* hub_;
  ShellServices* shell_;
};


}  // namespace driver_detail

class BuildDriver::Impl {
  using HubShell = driver_detail::HubShell;
 public:
  Impl(BuildDriver& owner, BuildDriverDeps& deps)
      : owner_(owner), deps_(deps), shell_(deps.hub, deps.shell), s_(owner.state_) {}

  void Build(ProjectRec* project, TargetRec* target, int mode);
  void TranslateOne(ProjectRec* project, TargetRec* target, FileRec* file);
  void UpdateDependencies(ProjectRec* project, TargetRec* target, bool scanNow);
  int ScanFileIncludes(ProjectRec* project, TargetRec* target, FileRec* file);
  bool ChangedFiles() const { return toolsRan_ || depDataChanged_; }
  // See BuildDriver::SayOutputFolders.
  void SayOutputFolders(ProjectRec* project, TargetRec* target);

 private:
  void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Box(const std::string& text) {
    if (quiet_) return;
    shell_.Beep();
    shell_.MessageBox(text, kMbOk | kMbIconExclamation);
  }
  void Run(ToolRunRequest& r) {
    // The tool may write any file. (The source times noted for the
    // dependency file stay: they are the times this build decided on, so a
    // source changed since is older in the file than on the disk, and the
    // next build looks at it again.)
    includeTimes_.clear();
    files_.ForgetStatuses();
    // Until the tool has ended its outputs are not whole: a build killed
    // meanwhile must not leave them to be taken as up to date.
    std::vector<std::string> outputs;
    const std::string object = WithoutQuotes(r.objectFile);
    if (!object.empty()) {
      outputs.push_back(object);
      if (r.flags & kToolFlagHexOutput) outputs.push_back(object + ".hex");
    }
    journal_.StepStarting(outputs);
    ReplaceLinksAtOutputs(r);
    toolsRan_ = true;
    if (deps_.run) deps_.run(r);
    else runner_->RunBuildStep(r);
    journal_.StepDone();
  }
  // Starts the journal of a build or translation, undoing a killed one's.
  void BeginJournal();
  // Removes a link (or a second name of another file) planted at a name the
  // request's tool may write in the output, listing or temporary folder,
  // saying so: the tool would write through it (output_names.h).
  void ReplaceLinksAtOutputs(const ToolRunRequest& r);
  // The tools' own temporary folder of the target (ends in '/'): beside
  // the journal, emptied by each build.
  std::string ToolTempPath() { return LocalOutput(OutputBase(*options_) + ".pm2tmp") + "/"; }
  // The tools' temporary folder into the environment overlay.
  void SetToolTempEnvironment();
  // True for a file no build may delete: the project's own files and sources.
  bool IsProjectFile(const std::string& local);
  bool CheckTargetToolset(ProjectRec* project, TargetRec* target);
  void TranslateFileByType(GroupRec* group, FileRec* file, int mode);
  void CompileOrAssemble(GroupRec* group, FileRec* file, const BuildProperties& props, bool assemble);
  void CompileCpp(GroupRec* group, FileRec* file, const BuildProperties& props, int mode);
  void FillRequest(FileRec* file, const BuildProperties& props);
  // itemFile: the project's file the item belongs to (file may be a copy).
  void AssembleGeneratedSource(GroupRec* group, FileRec* file, FileRec* itemFile, const BuildProperties& props);
  void NameObjectAsOnDisk(ToolRunRequest& r);
  void NameSourceAsOnDisk(ToolRunRequest& r, std::string_view stored);
  void RunCustomTranslator(FileRec* file, const BuildProperties& props);
  void AddFileToLink(GroupRec* group, FileRec* file, const BuildProperties& props, bool library);
  bool WriteCommandInputFile(ToolRunRequest& r, std::string_view language = {});
  // True (the file refused and counted as an error) when the line just made
  // for the file lost entries of a full Define or Set merge.
  bool RefuseLineWithDroppedEntries(const FileRec* file);
  void RunStep(const BuildProperties& props);
  void RunUserCommand(const OptString& command, int number);
  void Link(const OptionBlock& options);
  void DeleteCommandInputFiles();
  void Finish();
  std::string Local(std::string_view stored) {
    std::string out;
    resolver_.ResolveStoredPath(stored, folder_, &out);
    return out;
  }
  // A tool wrote (or a step deleted) the object: its status, kept under
  // the conversion the checks used, is taken again when next asked for.
  void ForgetObject(std::string_view stored);
  // The local path of an output that need not exist yet: its folder
  // resolved (it exists), the name as given.
  std::string LocalOutput(std::string_view stored);
  // The local path of a stored one with its status, in one stat call when
  // the exact name exists; else through the case-insensitive lookup.
  // keep: the conversion and status are kept for the rest of the build.
  std::string LocalWithStatus(std::string_view stored, FileStatus* status, bool keep);
  void PrepareScan(DepScanRequest& scan, FileRec* file, const std::string& controls,
                   const std::string& object);

  // The control string of a C or assembler file into the context (ARM);
  // false for a file that takes no part in the build.
  bool ArmControls(GroupRec* group, FileRec* file, bool assemble);
  // Scans a C file of an ARM target; its include list in `scan`.
  void ScanArmCFile(FileRec* file, DepScanRequest& scan);
  void Progress(uint32_t kind, uint32_t position);
  // The shown include list replaced by `names` unless equal; 1 equal, 2 replaced.
  int ReplaceShownIncludes(FileRec* file, const std::vector<std::string>& names);

  BuildDriver& owner_;
  BuildDriverDeps& deps_;
  bool quiet_ = false;  // no message boxes or refusals printed (dependency updates)
  bool makeFolders_ = true;  // false for a look that writes nothing in the output folders
  // The notes of the output folders the caller said before the build's
  // start (BuildDriver::SayOutputFolders): the build does not say them again.
  std::mutex foldersSaidMutex_;
  std::vector<std::string> foldersSaid_;
  HubShell shell_;
  BuildState& s_;
  ProjectRec* project_ = nullptr;
  TargetRec* target_ = nullptr;
  OptionBlock* options_ = nullptr;
  std::string folder_;  // the project folder on this machine, ends in '/'
  PathResolver resolver_;
  std::unique_ptr<ToolRunner> runner_;
  std::unique_ptr<CommandContext> ctx_;
  EnvOverlay overlay_;
  ToolEnvInput envInput_;
  std::string toolFolder_;
  std::string tempFolder_;  // the tools' temporary folder, ends in '/'
  // The folders the build writes in (output, listing, temporary), each
  // ending in '/', set with the journal.
  std::vector<std::string> outputFolders_;
  BatchFile batch_;
  TraceFile trace_;
  RunJournal journal_;
  ToolTempFolder toolTemp_;
  // Translations side by side (ARM-GNU builds): the pool, and every file
  // decided since the oldest run not yet taken back, oldest first. A file
  // that needs no run waits there too, so the items keep project order.
  struct Pending;
  bool Poolable(GroupRec* group, FileRec* file, int mode);
  void SubmitTranslation(GroupRec* group, FileRec* file, uint16_t stopCode);
  // Records the current request's item now, or after the pending runs.
  void Record(GroupRec* group, FileRec* file);
  void CompleteOldest();
  // Takes back every pending run in order; once the build is to stop, the
  // rest is discarded (see DiscardPending).
  void CompleteAll();
  // Ends the pending runs unseen: their output is not shown and what they
  // may have half written (object, command file) is deleted, so no later
  // build takes it as up to date.
  void DiscardPending();
  std::unique_ptr<TranslationPool> pool_;  // made by the first run handed over
  int poolWorkers_ = 0;                     // 0: this build translates one file at a time
  std::deque<std::shared_ptr<Pending>> pending_;
  // Runs handed over and not taken back: at most window_ of them. Only runs
  // count; the files between them that need none cost nothing to keep, and
  // counting them would make a slow run hold back the runs decided after
  // it while workers stand idle (few files need a run: one header touched).
  size_t pendingRuns_ = 0;
  size_t window_ = 0;
  ToolRunnerDeps runnerDeps_;

  BuildFileCache files_;  // conversions and statuses of this build's files
  // Command input files the workers deleted after their tool's run.
  std::unordered_set<std::string> deletedCommandFiles_;
  bool depDataChanged_ = false;  // this build translated or rescanned a file
  bool toolsRan_ = false;        // this build or translation started a tool
  IncludeStatuses includeTimes_;  // of this build's include tests
  // Source times taken by this build's checks (stored path -> time), for the
  // dependency file.
  std::unordered_map<std::string, uint32_t> sourceTimes_;

  // The ARM-GNU compiler line of a group's C files without options of their
  // own differs between them in the object's name only: it is made whole
  // for the first and reused for the others of this build.
  struct GnuCcLineMemo {
    const GroupRec* group = nullptr;  // null: nothing kept
    bool dotPath = false;             // the files' paths start with ".\" (decides the object folder)
    const NodeRec* lastFile = nullptr;  // the context was last set up for it
    std::string prefix;               // the line before "-o <object>", ending in a blank
    std::string objFolder;
  };
  void MakeGnuCcLine(FileRec* file);
  GnuCcLineMemo gnuCcMemo_;

  // What the running IDE's driver keeps between builds (build_memory.cpp).
  struct UpToDateMemory {
    bool valid = false;  // the last build made the target, and nothing it read changed since
    const ProjectRec* project = nullptr;
    const TargetRec* target = nullptr;
    uint64_t fingerprint = 0;  // of the files, their command lines and the target's options
    std::string finalLine;     // the last build's closing line
    std::unordered_set<std::string> files;  // what it read (sources, include files) and made (objects, image, hex)
  };
  // Before a build: true when it may end at once (nothing changed since a
  // build that made the target); else the watch is set up and what it
  // reported is noted for the checks.
  bool BuildFromMemory(ProjectRec* project, TargetRec* target, int mode);
  // After the build: keeps what it found when it made the target.
  void RememberBuild(ProjectRec* project, TargetRec* target, int mode, const std::string& finalLine);
  // The fingerprint of what decides the build's lines; usable false when
  // the build can't be taken from memory at all (user programs, files
  // always built, other file kinds).
  uint64_t Fingerprint(ProjectRec* project, TargetRec* target, bool* usable);
  // Watches the folders of the sources, their include files and the
  // outputs; false when one can't be watched.
  bool WatchBuildFolders(ProjectRec* project);
  // The include file as it lies on disk (empty when missing), once per build.
  const std::string& IncludeOnDisk(std::string_view stored);
  // A source or one of its include files was reported changed by the watch.
  bool ChangedWhileWatched(const FileRec& file, const std::string& sourceLocal);
  // The file a path names once every link on its way is followed, when that
  // is another path ("" when it is the same or cannot be found), once per
  // build: an edit of a linked file is seen in its own folder, under its
  // own name.
  const std::string& LinkedFile(const std::string& path);
  // Reported changed under its own name or under the name of the file it
  // links to.
  bool ReportedChanged(const std::string& path);

  FolderWatch watch_;
  UpToDateMemory memory_;
  bool watchComplete_ = false;                     // this build's folders are all watched
  std::unordered_set<std::string> changed_;        // paths the watch reported before this build
  std::unordered_set<std::string> carried_;        // reported during a build, for the next one
  std::unordered_set<std::string> inputs_;         // the sources and include files this build read
  std::unordered_map<std::string, std::string> includeOnDisk_;  // stored -> on disk
  std::unordered_map<std::string, std::string> linkedFile_;     // path -> the file it links to
};

}  // namespace pm2
