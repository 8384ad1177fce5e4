#include "builder/driver/build_driver.h"

#include "builder/driver/build_driver_impl.h"
#include "builder/driver/output_folders.h"
#include "builder/driver/project_tool_folder.h"

#include <chrono>
#include <thread>

namespace pm2 {

using namespace driver_detail;

uint32_t Extended51Mode(uint32_t t51) {
  if (t51 & kT51ExtendedCompiler) return 3;
  uint32_t mode = (t51 & kT51ExtendedAsm) ? 1 : 0;
  if (t51 & kT51ExtendedLinker) mode += 2;
  return mode;
}

HexOptions HexOptionsOf(const OptionBlock& o) {
  HexOptions h;
  h.hexSel = o.out.HEXSEL;
  h.flashFill = o.out.outWord2;
  h.rangeStart = o.out.outSpare[0];
  h.rangeEnd = o.out.outSpare[1];
  h.offset = int32_t(o.out.outSpare[2]);
  // The record length is the listing record's first word (16 unless set);
  // a block that never had it set holds 0, which is no length at all.
  h.recordLength = o.lst.OPTOX != 0 ? o.lst.OPTOX : 16;
  // The bank area's second value is its end address (0x10000 stands for 0xFFFF).
  const MemRangeRec& bank = o.t51.RCB51;
  h.mergeBanks = o.out.flags.MG32K && (o.t51.T51FL & kT51CodeBanking) && bank.start == 0x8000 &&
                 (bank.size == 0xFFFF || bank.size == 0x10000);
  return h;
}

BuildProperties ResolveBuildProperties(const OptionBlock* group, const OptionBlock* file, int mode) {
  BuildProperties p;
  // A group without a block of its own has the target-level defaults (not
  // whatever the target's own block holds in its build-property record).
  BuildPropOpts targetDefaults;
  InitBuildPropOpts(targetDefaults, kLevelTarget);
  {
    const BuildPropOpts& g = group ? group->prop : targetDefaults;
    p.incBld = g.flags.INCBLD;
    p.alwaysBuild = g.flags.ALWAYSBUILD;
    p.genAsm = g.flags.GENASM;
    p.asmAsm = g.flags.ASMASM;
    p.publicsOnly = g.flags.PUBLICSONLY;
    p.stopCode = g.STOPCODE;
    p.bankNo = g.BANKNO;
    p.ecpp = g.PROPFLD[0] & 3;
  }
  if (file) {
    const BuildPropOpts& f = file->prop;
    auto over = [](uint8_t& v, unsigned fv) {
      if (fv != kInherit2Bit) v = uint8_t(fv);
    };
    over(p.incBld, f.flags.INCBLD);
    over(p.alwaysBuild, f.flags.ALWAYSBUILD);
    over(p.genAsm, f.flags.GENASM);
    over(p.asmAsm, f.flags.ASMASM);
    over(p.publicsOnly, f.flags.PUBLICSONLY);
    if (f.STOPCODE != kInheritStopCode) p.stopCode = f.STOPCODE;
    p.custArgs = f.CUSTARGS.str();
    p.libMods = f.LIBMODS.str();
    if (f.BANKNO < kNoBank) p.bankNo = f.BANKNO;
    if ((f.PROPFLD[0] & 3) == 1) p.ecpp = 1;
  }
  if (p.incBld == kInherit2Bit) p.incBld = 1;
  if (p.genAsm == kInherit2Bit) p.genAsm = 0;
  if (p.asmAsm == kInherit2Bit) p.asmAsm = 0;
  if (p.alwaysBuild == kInherit2Bit) p.alwaysBuild = 0;
  if (p.publicsOnly == kInherit2Bit) p.publicsOnly = 0;
  if (p.stopCode == kInheritStopCode) p.stopCode = 0;
  if (p.bankNo == kNoBank) p.bankNo = 0;
  if (p.ecpp == kInherit2Bit) p.ecpp = 0;
  if (mode == kBuildModeRebuild) p.alwaysBuild = 1;
  return p;
}

std::string CommandInputFileName(const std::string& objectFile, int toolCode) {
  const char* ext = IsAssemblerCode(toolCode) ? "_ia" : toolCode == kToolYQ166 ? "_ii" : "__i";
  return ChangeExtension(objectFile, ext);
}

// ---------------------------------------------------------------- the build

std::string BuildDriver::Impl::LocalWithStatus(std::string_view stored, FileStatus* status, bool keep) {
  std::string local;
  *status = FileStatus{};
  if (keep ? files_.Converted(stored, &local) : files_.ConvertedOnce(stored, &local)) {
    *status = keep ? files_.Status(local) : files_.Peek(local);
    if (status->exists) return local;
  }
  // Not there by its exact name: the case-insensitive lookup.
  if (resolver_.ResolveStoredPath(stored, folder_, &local)) {
    StatFile(local, status);
    if (keep) files_.Keep(local, *status);
  }
  return local;
}

void BuildDriver::Impl::ForgetObject(std::string_view stored) {
  if (!stored.empty() && stored.front() == '"') stored.remove_prefix(1);
  if (!stored.empty() && stored.back() == '"') stored.remove_suffix(1);
  if (const std::string* local = files_.Converted(stored)) files_.Forget(*local);
}

std::string BuildDriver::Impl::LocalOutput(std::string_view stored) {
  const std::string_view name = FileNamePart(stored);
  const std::string_view folder = stored.substr(0, stored.size() - name.size());
  std::string local = Local(folder.empty() ? std::string_view("./") : folder);
  if (!local.empty() && !IsPathSeparator(local.back())) local += '/';
  return local + std::string(name);
}

// Sized to the text: a fixed buffer would cut a long path or user command
// and with it the line end, gluing the next line onto this one.
void BuildDriver::Impl::Print(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  va_list again;
  va_copy(again, ap);
  const int n = std::vsnprintf(nullptr, 0, format, ap);
  va_end(ap);
  std::string text(n > 0 ? std::size_t(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  shell_.PostOutputText(text);
}

bool BuildDriver::Impl::CheckTargetToolset(ProjectRec* project, TargetRec* target) {
  s_.BuildFlags.fetch_and(kBuildStopRequested);
  s_.ClearItems();
  s_.errors = s_.warnings = 0;
  s_.globalRegOpt = 0;
  project_ = project;
  target_ = target;
  options_ = target ? FindTargetOptions(target->pOpts, target) : nullptr;
  if (!project || !target || target->toolset >= kToolsetCount) {
    Box("Toolset is undefined\n");
    s_.SetFlags(kBuildNotBuilt);
    return false;
  }
  const ToolsetInfo* info = theApp().m_pToolsetInfo[target->toolset];
  if (!info || info->toolsFolder.empty() || !options_) {
    static const char* const kNames[kToolsetCount] = {"MCS-51", "MCS-251", "166/167", "ARM-GNU", "ARM-ADS"};
    Box(std::string("The folder of the ") + kNames[target->toolset] +
        " toolset is undefined, wrong or missing in the environment file '" + theApp().m_toolsIniPath +
        "'.\n");
    s_.SetFlags(kBuildNotBuilt);
    return false;
  }
  s_.toolsetInfo = info;
  s_.vspawnPath = theApp().m_vspawnPath;
  folder_ = project->folder.str();
  if (!folder_.empty() && !IsPathSeparator(folder_.back())) folder_ += '/';
  // The tools run in the project folder, so every path handed to them has
  // to mean the same from there.
  // A project opened by its bare name lives in the current folder.
  if (folder_.empty() || !IsAbsolutePath(folder_)) {
    std::error_code ec;
    folder_ = (std::filesystem::current_path(ec) / folder_).string();
    if (!folder_.empty() && !IsPathSeparator(folder_.back())) folder_ += '/';
  }
  resolver_.InvalidateAll();
  size_t files = 0;
  for (GroupRec* g = project->firstGroup; g; g = g->next)
    for (FileRec* f = g->firstFile; f; f = f->next) ++files;
  files_.Reset(folder_, resolver_.Drives(), files);
  s_.items.reserve(files + 1);
  s_.recordedFiles.reserve(files);
  deletedCommandFiles_.clear();
  depDataChanged_ = false;
  toolsRan_ = false;
  includeTimes_.clear();
  sourceTimes_.clear();
  // A folder outside the project's own, or one a link leads to, is said
  // before anything is written there (the folder made first of all),
  // unless the caller said it just now (SayOutputFolders).
  if (makeFolders_ && !quiet_) {
    std::vector<std::string> said;
    {
      std::lock_guard<std::mutex> lock(foldersSaidMutex_);
      said.swap(foldersSaid_);
    }
    for (const std::string& note : OutputFolderNotes(*project, *target, resolver_.Drives()))
      if (std::find(said.begin(), said.end(), note) == said.end()) Print("%s\n", note.c_str());
  }
  for (const OptString* f : {&options_->out.OUTDIR, &options_->lst.LSTDIR}) {
    // A look that writes nothing there (a scan for the project window's
    // include list, the dependency data read at an open) makes no folder:
    // a project may name folders anywhere, and opening it creates nothing.
    if (!makeFolders_) break;
    if (f->empty() || *f == ".\\" || *f == "./") continue;
    std::string local;
    std::string err;
    ToLocalPath(f->view(), folder_, resolver_.Drives(), &local, &err);
    // Never an exception: a name too long for the file system, a folder
    // without permission and the like are reported like a missing folder.
    std::error_code ec;
    if (!local.empty()) std::filesystem::create_directories(local, ec);
    std::error_code isDir;
    if (local.empty() || !std::filesystem::is_directory(local, isDir)) {
      if (quiet_) {
        // A dependency update leaves the saying to the build.
      } else if (ec) {
        Print("Path '%s' does not exist ! (%s)\n", f->c_str(), ec.message().c_str());
      } else {
        Print("Path '%s' does not exist !\n", f->c_str());
      }
      s_.SetFlags(kBuildNotBuilt);
      return false;
    }
  }
  // Without a name every output would be named by its extension alone
  // (".elf", ".hex") and the next target's build would take it for its own.
  if (IsBlankText(options_->out.OUTNAME.view())) {
    if (!quiet_) Print("Output name of target '%s' is empty !\n", target->name.c_str());
    s_.SetFlags(kBuildNotBuilt);
    return false;
  }
  ctx_ = std::make_unique<CommandContext>();
  ctx_->m_nCTabWidth = owner_.cTabWidth_.load();
  ctx_->m_szToolsFolder = info->toolsFolder;
  envInput_ = MakeToolEnvInput(*target, info);
  overlay_ = EnvOverlay();
  toolFolder_ = target->toolset == kToolsetArmAds ? SetArmToolEnvironment(envInput_, 0, overlay_, nullptr)
                                                  : SetToolEnvironment(envInput_, 0, overlay_, nullptr);
  // A folder of its own tools the project names may not be one it brings
  // (a program named like a tool planted there): said before anything runs.
  if (target->toolset <= kToolset166 && envInput_.useOwnEnv && toolFolder_ == envInput_.envBin) {
    if (const std::string fault = ProjectToolFolderFault(toolFolder_, folder_, resolver_.Drives()); !fault.empty()) {
      if (!quiet_) Print("*** Error: target '%s': %s\n", target->name.c_str(), fault.c_str());
      s_.SetFlags(kBuildNotBuilt);
      return false;
    }
  }
  tempFolder_ = deps_.tempFolder.empty() ? ToolTempPath() : deps_.tempFolder;
  SetToolTempEnvironment();
  if (!deps_.run) {
    ToolRunnerDeps rd;
    rd.shell = &shell_;
    rd.hub = deps_.hub;
    rd.batch = &batch_;
    rd.tempFolder = tempFolder_;
    rd.runtimeFolder = deps_.runtimeFolder;
    rd.workFolder = folder_;
    rd.onCaptureFile = [this](const std::string& name) { journal_.CaptureStarting(name); };
    rd.toolLockFd = [this] { return toolTemp_.LockFd(); };
    // Stop Build ends the running tools at once instead of waiting for them.
    rd.stopWanted = [this] { return (s_.Flags() & kBuildStopRequested) != 0; };
    runnerDeps_ = rd;
    runner_ = std::make_unique<ToolRunner>(rd);
  }
  return true;
}

void BuildDriver::Impl::Build(ProjectRec* project, TargetRec* target, int mode) {
  owner_.explanations_.clear();
  gnuCcMemo_ = GnuCcLineMemo();
  if (target) target->TGSTAT &= ~kBuildNotBuilt;
  if (!CheckTargetToolset(project, target)) {
    if (target) target->TGSTAT = s_.Flags() | kBuildNotBuilt;
    return;
  }
  if (BuildFromMemory(project, target, mode)) {
    Finish();
    target->TGSTAT = s_.Flags();
    return;
  }
  BeginJournal();
  Print("Build target '%s'\n", target->name.c_str());
  const OptionBlock& opts = *options_;
  for (int n = 0; n < 2; ++n) {
    bool on = n == 0 ? opts.out.flags.BRUNUSR0 : opts.out.flags.BRUNUSR1;
    if (on) RunUserCommand(opts.out.BRUNUSR[n], n + 1);
  }
  if (s_.Flags() == 0 && s_.errors == 0) {
    s_.globalRegOpt = GlobalRegisterOptimization(opts, target->toolset);
    if (mode == kBuildModeRebuild && (opts.out.TGMORE & 1)) {
      // Batch file of a rebuild ("Create Batch File"): the variables and
      // every command line.
      if (batch_.Open(folder_, target->name.str(), shell_)) {
        overlay_ = EnvOverlay();
        if (target->toolset == kToolsetArmAds) SetArmToolEnvironment(envInput_, 0, overlay_, &batch_);
        else SetToolEnvironment(envInput_, 0, overlay_, &batch_);
        SetToolTempEnvironment();
      }
    }
    // The GNU tools write nothing but their own outputs, so their
    // translations may run side by side; the other families' tools share
    // scratch files or a licence, and a batch file lists the lines in order.
    // The workers start with the first run handed over: a build with
    // nothing to translate starts none.
    const int workers = deps_.workers > 0 ? deps_.workers : TranslationWorkerCount();
    poolWorkers_ = 0;
    if (target->toolset == kToolsetArmGnu && !deps_.run && !batch_.Active() && workers > 1) {
      poolWorkers_ = workers;
      window_ = size_t(workers) * 4;
    }
    constexpr uint32_t kStop = kBuildStopAfterError | kBuildStopRequested;
    for (GroupRec* g = project->firstGroup; g; g = g->next) {
      if (g->flags & kGroupDeleted) continue;
      for (FileRec* f = g->firstFile; f; f = f->next) {
        if (f->flags & kFileRemoved) continue;
        // Any other step waits for the runs before it: it may read or
        // write what they make, and its output follows theirs.
        if (!pending_.empty() && !Poolable(g, f, mode)) {
          CompleteAll();
          if (s_.Flags() & kStop) break;
        }
        TranslateFileByType(g, f, mode);
        if (s_.Flags() & kStop) break;
      }
      if (s_.Flags() & kStop) break;
    }
    CompleteAll();
    pool_.reset();
    poolWorkers_ = 0;
    if (s_.Flags() & kBuildStopRequested) {
      Print("Project build/rebuild aborted.\n");
      s_.SetFlags(kBuildNotBuilt);
    } else if (s_.Flags() != 0) {
      s_.SetFlags(kBuildNotBuilt);
    } else if (s_.errors == 0) {
      if (s_.items.empty()) {
        Print("Target has no object modules\n");
        s_.SetFlags(kBuildNotBuilt);
      } else {
        s_.linkPhase = true;
        Link(opts);
        s_.linkPhase = false;
        if (s_.Flags() != 0) s_.SetFlags(kBuildNotBuilt);
        if (s_.errors == 0 && s_.Flags() == 0) {
          for (int n = 0; n < 2; ++n) {
            bool on = n == 0 ? opts.out.flags.RUNUSR0 : opts.out.flags.RUNUSR1;
            if (on) RunUserCommand(opts.out.RUNUSR[n], n + 1);
          }
        }
      }
    }
  }
  // A build that translated and rescanned nothing leaves the dependency
  // file as it is (unless it is gone): its data are what the file holds.
  struct stat depStat;
  if (IsArm(target->toolset) &&
      (depDataChanged_ || ::stat(DependencyFileName(*project, *target).c_str(), &depStat) != 0)) {
    std::string err;
    DepFileTime time = [this](const std::string& stored, uint32_t* t) {
      auto known = sourceTimes_.find(stored);
      if (known != sourceTimes_.end()) {
        *t = known->second;
        return true;
      }
      struct stat st;
      if (::stat(Local(stored).c_str(), &st) != 0) return false;
      *t = uint32_t(st.st_mtime);
      return true;
    };
    // Written before the counts: a file the next build cannot read back
    // would have it translate everything again, so its failure is one of
    // this build's errors, not a line after "0 Error(s)".
    if (!WriteDependencyFile(*project, *target, time, &err)) {
      Print("%s\n", err.c_str());
      ++s_.errors;
    }
  }
  std::string finalLine;
  if ((s_.Flags() & (kBuildStopAfterError | kBuildStopRequested)) || !s_.HeadIsLinkItem()) {
    Print("Target not created\n");
    // A target without a link item was not made, whatever else happened (an
    // ARM library target has no librarian step).
    s_.SetFlags(kBuildNotBuilt);
  } else {
    char counts[64];
    std::snprintf(counts, sizeof counts, " - %d Error(s), %d Warning(s).\n", s_.errors, s_.warnings);
    finalLine = s_.items.front().request.objectFile + counts;
    Print("%s", finalLine.c_str());
    if (s_.errors != 0) s_.SetFlags(kBuildNotBuilt);
  }
  if (opts.out.flags.bit4) shell_.Beep();  // beep when the build is complete
  Finish();
  RememberBuild(project, target, mode, finalLine);
  target->TGSTAT = s_.Flags();
}

void BuildDriver::Impl::SetToolTempEnvironment() {
  if (!deps_.tempFolder.empty() || tempFolder_.empty()) return;
  // Temporary files of the tools go where the next build finds them.
  std::string folder = tempFolder_;
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  for (const char* name : {"TMP", "TEMP", "TMPDIR"}) overlay_.Set(name, folder);
}

bool BuildDriver::Impl::IsProjectFile(const std::string& local) {
  if (!project_) return false;
  const std::string_view name = FileNamePart(local);
  const size_t dot = name.rfind('.');
  const std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
  std::string ext = dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  // Sources, headers, documents and the project's own files, whatever
  // their folder.
  static const char* const kNeverOutputs[] = {".c",   ".cpp", ".cc",  ".cxx", ".h",   ".hpp", ".hh",
                                              ".inc", ".asm", ".s",   ".plm", ".txt", ".ini", ".pm2",
                                              ".opt", ".bak", ".sct", ".ld"};
  for (const char* e : kNeverOutputs)
    if (ext == e) return true;
  // The families' assembler sources: ".a" and a part number (".a67"); no
  // tool writes such a file, while ".axf" and the like are outputs.
  if (ext.size() > 2 && ext.compare(0, 2, ".a") == 0 &&
      ext.find_first_not_of("0123456789", 2) == std::string::npos)
    return true;
  // And what the project's own file types call a source or a document.
  static constexpr uint8_t kSourceTypes[] = {kFileC, kFileAsm, kFileText, kFilePlm, kFileCpp};
  const uint8_t type = GetFileTypeOfName(std::string(name).c_str());
  for (uint8_t t : kSourceTypes)
    if (type == t) return true;
  if (SamePathIgnoringCase(stem, project_->name.view()) && (ext == ".pm2" || ext == ".opt")) return true;
  for (GroupRec* g = project_->firstGroup; g; g = g->next)
    for (FileRec* f = g->firstFile; f; f = f->next)
      if (Local(f->path.view()) == local) return true;
  return false;
}

void BuildDriver::Impl::BeginJournal() {
  JournalScope scope;
  const std::string base = LocalOutput(OutputBase(*options_));
  scope.folders.push_back(base.substr(0, base.size() - FileNamePart(base).size()));
  scope.folders.push_back(LocalOutput(options_->lst.LSTDIR.str() + "x"));
  scope.folders.back().pop_back();
  scope.folders.push_back(tempFolder_);
  for (const OptString* f : {&options_->out.OUTDIR, &options_->lst.LSTDIR})
    if (!f->empty()) scope.storedFolders.push_back(f->str());
  scope.isProjectFile = [this](const std::string& local) { return IsProjectFile(local); };
  outputFolders_ = scope.folders;
  std::vector<std::string> warnings;
  journal_.Begin(base + ".pm2run", [this](const std::string& stored) { return Local(stored); }, scope, &warnings);
  for (const std::string& w : warnings) Print("%s", w.c_str());
  if (!deps_.tempFolder.empty() || !runner_) return;
  // Earlier builds left their tools' folders behind, also for output names
  // no longer built: the idle ones go.
  ToolTempFolder::RemoveIdle(scope.folders.front());
  std::string err;
  const bool usable = toolTemp_.Prepare(tempFolder_, 5000, &err);
  if (usable && !err.empty()) Print("*** WARNING: %s.\n", err.c_str());
  if (!usable) {
    // Not ours to empty: the tools take the usual temporary folder.
    Print("*** WARNING: %s: the tools use the system's temporary folder.\n", err.c_str());
    tempFolder_.clear();
    const char* system = std::getenv("TMPDIR");
    for (const char* name : {"TMP", "TEMP", "TMPDIR"}) overlay_.Set(name, system && *system ? system : "/tmp");
    runnerDeps_.tempFolder.clear();
    runner_ = std::make_unique<ToolRunner>(runnerDeps_);
  }
}

void BuildDriver::Impl::Finish() {
  DeleteCommandInputFiles();
  batch_.Close();
  journal_.End();
  // The build's tools have ended (a stopped build ends them): what they
  // left in their folder, and the folder, go.
  toolTemp_.Remove();
}

void BuildDriver::Impl::Link(const OptionBlock& opts) {
  LinkStepEnv env;
  env.cmd = ctx_.get();
  env.state = &s_;
  env.run = [this](ToolRunRequest& r) { Run(r); };
  env.onTempFile = [this](const std::string& temp) { journal_.AddCommandFile(temp); };
  env.shell = &shell_;
  env.projectFolder = folder_;
  env.envInput = envInput_;
  env.overlay = &overlay_;
  env.batch = &batch_;
  env.trace = &trace_;
  // The objects' conversions and statuses of the translation checks,
  // unless a tool has written them since.
  env.storedFileTime = [this](std::string_view stored, std::string* local) -> std::optional<int64_t> {
    const std::string* converted = files_.Converted(stored);
    local->assign(converted ? *converted : std::string(stored));
    const FileStatus status = files_.Status(*local);
    if (!status.exists) return std::nullopt;
    return status.ns;
  };
  const bool library = !opts.out.flags.GENAPP;
  switch (target_->toolset) {
    case kToolsetArmGnu: {
      if (library) return;
      const uint8_t linked = LinkGnuTarget(env, target_);
      if (s_.errors == 0) MakeGnuHexFile(env, target_, opts, linked != 0);
      return;
    }
    case kToolsetArmAds:
      if (library) return;
    {
      // Beside the image in the project folder, not in the process's current folder.
      trace_.Open(LocalPath(env, OutputBase(opts)));
      const uint8_t linked = LinkAdsTarget(env, target_);
      trace_.Close();
      MakeAdsHexFile(env, opts, linked != 0);
      return;
    }
    default:
      break;
  }
  if (library) {
    CreateTargetLibrary(env, opts, target_);
    return;
  }
  const uint32_t t51 = opts.t51.T51FL;
  const HexOptions hex = HexOptionsOf(opts);
  uint8_t linked = 0;
  switch (target_->toolset) {
    case kToolset51: {
      s_.extended51Mode = Extended51Mode(t51);
      const bool extended = s_.extended51Mode != 0;
      if (t51 & kT51ExtendedCompiler) {
        linked = Link51Target(env, target_);
        linked |= RunRegisterOptimizationPasses(env);
        if (extended) MakeHexFile(env, HexStep::k51Extended, opts, hex, linked);
      } else if (t51 & kT51ExtendedLinker) {
        linked = Link251Target(env, target_);
        linked |= RunRegisterOptimizationPasses(env);
        if (extended) MakeHexFile(env, HexStep::k51Extended, opts, hex, linked);
      } else {
        linked = Link51Target(env, target_);
        linked |= RunRegisterOptimizationPasses(env);
        if (extended) MakeHexFile(env, HexStep::k51Extended, opts, hex, linked);
        if (t51 & kT51CodeBanking) MakeBankedHexFiles(env, opts, (t51 & kT51SymbolsOnly) != 0);
        else MakeHexFile(env, HexStep::k51, opts, hex, linked);
      }
      break;
    }
    case kToolset251:
      linked = Link251Target(env, target_);
      linked |= RunRegisterOptimizationPasses(env);
      MakeHexFile(env, HexStep::k251, opts, hex, linked);
      break;
    case kToolset166:
      linked = Link166Target(env, target_);
      linked |= RunRegisterOptimizationPasses(env);
      MakeHexFile(env, HexStep::k166, opts, hex, linked);
      break;
    default:
      break;
  }
}

void BuildDriver::Impl::TranslateFileByType(GroupRec* group, FileRec* file, int mode) {
  if (!group) group = file->group;
  if ((file->flags & kFileRemoved) || (group && (group->flags & kGroupDeleted))) return;
  const OptionBlock* gopts = group ? FindTargetOptions(group->pOpts, target_) : nullptr;
  const OptionBlock* fopts = FindTargetOptions(file->pOpts, target_);
  BuildProperties props = ResolveBuildProperties(gopts, fopts, mode);
  if (props.incBld == 0) return;
  s_.request = ToolRunRequest{};
  switch (file->type) {
    case kFileC: CompileOrAssemble(group, file, props, false); break;
    case kFileCpp: CompileCpp(group, file, props, mode); break;
    case kFileAsm: CompileOrAssemble(group, file, props, true); break;
    case kFileCustom: RunCustomTranslator(file, props); break;
    case kFileObject: AddFileToLink(group, file, props, false); break;
    case kFileLibrary: AddFileToLink(group, file, props, true); break;
    default: break;
  }
}

void BuildDriver::Impl::PrepareScan(DepScanRequest& scan, FileRec* file, const std::string& controls,
                                    const std::string& object) {
  scan.sourcePath = file->path.str();
  scan.objectPath = object;
  // The include folders and defines the compiler gets, from its own line.
  for (const std::string& a : SplitCommandLine(controls)) {
    if (a.size() > 2 && a.compare(0, 2, "-I") == 0) AddScanIncludePath(scan, a.substr(2));
    else if (a.size() > 2 && a.compare(0, 2, "-D") == 0) AddScanDefine(scan, a.substr(2));
  }
  const ToolsetInfo* info = s_.toolsetInfo;
  const TargetRec& t = *target_;
  std::string_view device = !t.ORGREG.empty() ? t.ORGREG.view() : t.ENVREG.view();
  if (!device.empty() && static_cast<unsigned char>(device[0]) == 0xFF) device.remove_prefix(1);
  if (t.toolset == kToolsetArmAds) {
    // The folders the ADS compiler searches on its own (ARMINC).
    if (t.USEENV == 1) {
      if (!t.ENVINC.empty()) {
        if (!device.empty()) AddScanIncludePath(scan, JoinFolderName(t.ENVINC.view(), device));
        AddScanIncludePath(scan, t.ENVINC.view());
      }
    } else {
      if (!device.empty()) AddScanIncludePath(scan, ToolsetIncludeFolder(info->toolsFolder, device));
      AddScanIncludePath(scan, ToolsetIncludeFolder(info->toolsFolder, ""));
      AddToolsetIncludePath(t, info, scan);
    }
    return;
  }
  AddScanIncludePath(scan, ToolsetIncludeFolder(info->toolsFolder, ""));
  if (!device.empty()) AddScanIncludePath(scan, ToolsetIncludeFolder(info->toolsFolder, device));
  // The toolset's system include folders beside its programs, where the
  // compiler finds <stdint.h> and its kin.
  AddToolsetIncludePath(t, info, scan);
  const std::string& programs = info->ProgramFolder();
  if (!programs.empty()) AddScanIncludePath(scan, JoinFolderName(JoinFolderName(StripBinFolder(programs), "Include"), "Sys"));
}

void BuildDriver::Impl::CompileOrAssemble(GroupRec* group, FileRec* file, const BuildProperties& props,
                                          bool assemble) {
  CommandContext& c = *ctx_;
  ToolRunRequest& r = s_.request;
  const uint16_t toolset = target_->toolset;
  Verdict verdict{true, "translated on request"};
  bool decided = false;  // the ARM tests decide while the line is built
  if (!assemble && toolset == kToolset166 && props.ecpp == 1) {
    CompileCpp(group, file, props, props.alwaysBuild == 1 ? kBuildModeRebuild : kBuildModeBuild);
    return;
  }
  const uint32_t t51 = options_->t51.T51FL;
  switch (toolset) {
    case kToolset51:
      if (assemble) {
        MakeW51AssemblerCommand(c, file, target_, true);
        r.toolCode = (t51 & (kT51ExtendedAsm | kT51ExtendedCompiler)) ? kToolWX51 : kToolW51;
      } else {
        MakeQ51CompilerCommand(c, file, target_, true);
        r.toolCode = kToolQ51;
        // C++ sources go to the translator the environment file names.
        if (EndsWithIgnoringCase(file->name.view(), ".cpp") && !s_.toolsetInfo->cppTranslator.empty()) {
          r.toolCode = kToolZZQ51;
          r.altProgram = s_.toolsetInfo->cppTranslator;
        }
        if (t51 & kT51ExtendedCompiler) r.toolCode = kToolQX51;
      }
      r.extra = props.bankNo;
      break;
    case kToolset251:
      if (assemble) MakeW51AssemblerCommand(c, file, target_, true);
      else MakeQ251CompilerCommand(c, file, target_, true);
      r.toolCode = assemble ? kToolW251 : kToolQ251;
      r.extra = props.bankNo;
      break;
    case kToolset166:
      if (assemble) MakeW166AssemblerCommand(c, file, target_, true);
      else MakeQ166CompilerCommand(c, file, target_, true);
      r.toolCode = assemble ? kToolW166 : kToolQ166;
      break;
    case kToolsetArmGnu:
    case kToolsetArmAds: {
      if (toolset == kToolsetArmGnu) {
        if (assemble) MakeGnuAsCommand(c, file, target_, true);
        else MakeGnuCcLine(file);
        r.toolCode = assemble ? kToolGnuAs : kToolGnuCc;
        r.flags = assemble ? kFlagArmTool : kFlagGnuTool;
      } else {
        bool thumb = false;
        if (assemble) MakeAdsAsmCommand(c, file, target_, true);
        else thumb = MakeAdsCcCommand(c, file, target_, true);
        r.toolCode = assemble ? kToolAdsAsm : thumb ? kToolTcc : kToolAdsCc;
        r.flags = kFlagArmTool;
      }
      if (RefuseLineWithDroppedEntries(file)) return;
      std::string controls(c.Text());
      FileStatus source, object;
      ArmCheckInput in;
      // The source is looked at once (its time is noted below for the
      // dependency file); the object again by the link's test.
      in.sourceLocal = LocalWithStatus(file->path.view(), &source, false);
      in.objectLocal = LocalWithStatus(c.g_szObjFileName, &object, true);
      // A link planted at the object's name is no object of this build,
      // whatever the time of the file it names: the file is translated, and
      // the link replaced before the tool writes (ReplaceLinksAtOutputs).
      if (object.exists && IsForeignName(in.objectLocal)) object = FileStatus{};
      in.source = &source;
      in.object = &object;
      in.projectFolder = folder_;
      in.resolver = &resolver_;
      in.includeTimes = &includeTimes_;
      if (assemble) {
        verdict = CheckArmAsmFile(*file, controls, in);
      } else {
        // Both ARM toolsets: a changed header retranslates its includers.
        in.prepareScan = [&](DepScanRequest& scan) {
          depDataChanged_ = true;  // a rescan renews the include list
          PrepareScan(scan, file, controls, c.g_szObjFileName);
        };
        DepScanRequest scan;
        verdict = CheckArmCFile(*file, controls, scan, in);
      }
      if (source.exists) sourceTimes_[file->path.str()] = source.time;
      if (deps_.keepUpToDateState) {
        inputs_.insert(in.sourceLocal);
        if (!verdict.translate && ChangedWhileWatched(*file, in.sourceLocal))
          verdict = {true, "'" + in.sourceLocal + "' or one of its include files changed"};
      }
      if (verdict.translate) depDataChanged_ = true;
      decided = true;
      break;
    }
    default:
      return;
  }
  if (RefuseLineWithDroppedEntries(file)) return;
  r.controlString = std::string(c.Text());
  FillRequest(file, props);
  if (!assemble && props.genAsm) {
    // The ARM builders name no object when the compiler writes assembler
    // source; the object is still the one the assembler will make of it.
    if (IsArm(toolset)) {
      MakeArmObjectName(c);
      r.objectFile = c.g_szObjFileName;
    }
    // An old object must not reach the link as if this build had made it.
    if (!r.objectFile.empty()) ::unlink(Local(r.objectFile).c_str());
    ForgetObject(r.objectFile);
  }

  if (!props.genAsm && props.alwaysBuild != 1) {
    if (!decided) verdict = ObjectIsUpToDate(Local(r.objectFile), Local(file->path.view()), r.controlString);
    owner_.explanations_.push_back({file->name.str(), verdict.translate, verdict.reason});
    if (!verdict.translate) {
      // A register-optimisation pass may run the step again from its item.
      if (!IsArm(toolset) && s_.globalRegOpt != 0 && !WriteCommandInputFile(r)) return;
      NameObjectAsOnDisk(r);
      Record(group, file);
      return;
    }
  } else {
    owner_.explanations_.push_back({file->name.str(), true, "always translated"});
  }
  NameSourceAsOnDisk(r, file->path.view());
  if (!WriteCommandInputFile(r, GnuSourceLanguage(file->type, assemble))) return;
  if (poolWorkers_ > 0 && !(!assemble && props.genAsm)) {
    SubmitTranslation(group, file, props.stopCode);
    return;
  }
  RunStep(props);
  if (!assemble && props.genAsm) {
    AssembleGeneratedSource(group, file, file, props);
    return;
  }
  NameObjectAsOnDisk(r);
  RecordBuildItem(s_, target_, group, file);
}

// The compiler wrote assembler source instead of an object. Without the
// option to assemble it the file gives the link nothing; with it the source
// is assembled into the object the compiler would have made.
void BuildDriver::Impl::AssembleGeneratedSource(GroupRec* group, FileRec* file, FileRec* itemFile,
                                                 const BuildProperties& props) {
  ToolRunRequest& r = s_.request;
  const uint16_t toolset = target_->toolset;
  if ((s_.Flags() & kBuildError) || r.errors != 0) {
    if (props.asmAsm) RecordBuildItem(s_, target_, group, itemFile);  // the link is refused anyway
    return;
  }
  if (!props.asmAsm) return;
  const OptionBlock& o = *options_;
  const std::string object = WithoutQuotes(r.objectFile);
  std::string source;  // stored form, relative to the project folder
  std::string controls;
  const bool debug = o.out.flags.DEBUG;
  switch (toolset) {
    case kToolsetArmAds:
      // The compiler's "-S" output: the file's name with ".s" in the project folder.
      source = ChangeExtension(GetFileNamePart(file->name.view()), "s");
      r.toolCode = kToolAdsAsm;
      r.flags = kFlagArmTool;
      controls = std::string(debug ? "-g " : "") + "-o " + object;
      break;
    case kToolsetArmGnu:
      source = ChangeExtension(GetFileNamePart(file->name.view()), "s");
      r.toolCode = kToolGnuAs;
      r.flags = kFlagArmTool;
      // The compiler already put the debug information into the source.
      controls = std::string("-mcpu=arm7tdmi") + ((o.lst.GLFLAGS & kGlFlagsBigEndian) ? " -EB" : "") + " -o " + object;
      break;
    default: {
      // Where the compiler was told to write it: SRC (<object folder><name>.SRC).
      source = ChangeExtension(object, "SRC");
      const uint32_t t51 = o.t51.T51FL;
      r.toolCode = toolset == kToolset51   ? ((t51 & (kT51ExtendedAsm | kT51ExtendedCompiler)) ? kToolWX51 : kToolW51)
                   : toolset == kToolset251 ? kToolW251
                                            : kToolW166;
      std::string listing = ChangeExtension(GetFileNamePart(file->name.view()), "ls1");
      controls = "PR(" + o.lst.LSTDIR.str() + listing + ") EP";
      if (debug) controls += " DEBUG";
      if (toolset == kToolset51 && Is51ContiguousMode(o)) controls += " MOD_CONT";
      // Told nothing, the assembler leaves its object in the current folder.
      if (!IsProjectFolderText(o.out.OUTDIR.c_str()) && !o.out.OUTDIR.empty() && o.out.OUTDIR != "./")
        controls += " OBJECT(" + object + ")";
      break;
    }
  }
  if (source.compare(0, 2, ".\\") == 0 || source.compare(0, 2, "./") == 0) source.erase(0, 2);
  r.controlString = controls;
  r.file = std::string(GetFileNamePart(source));
  r.projectFileName = source;
  r.objectFile = object;
  r.errors = r.warnings = 0;
  if (!WriteCommandInputFile(r)) {
    ++s_.errors;
    return;
  }
  RunStep(props);
  NameObjectAsOnDisk(r);
  RecordBuildItem(s_, target_, group, itemFile);
}

void BuildDriver::Impl::FillRequest(FileRec* file, const BuildProperties& props) {
  ToolRunRequest& r = s_.request;
  r.objectFile = ctx_->g_szObjFileName;
  r.file = file->name.str();
  std::string pfn = file->path.str();
  if (pfn.compare(0, 2, ".\\") == 0 || pfn.compare(0, 2, "./") == 0) pfn.erase(0, 2);
  r.projectFileName = pfn;
  r.toolFolder = toolFolder_;
  r.environment = &overlay_;
  if (props.publicsOnly == 1) r.flags |= kItemPublicsOnly;
}

void BuildDriver::Impl::MakeGnuCcLine(FileRec* file) {
  CommandContext& c = *ctx_;
  GnuCcLineMemo& m = gnuCcMemo_;
  const bool own = FindTargetOptions(file->pOpts, target_) != nullptr;
  const bool dot = StartsWithDotBackslash(file->path.view());
  // Reused only while the context still holds what the group's last C file
  // set up (no other line made since).
  if (!own && m.group && m.group == file->group && m.dotPath == dot && c.g_pCmdNode == m.lastFile) {
    c.g_pCmdNode = file;
    c.ResetBuffer();
    c.AppendControl(m.prefix, false);
    c.g_szObjFolder = m.objFolder;
    MakeArmObjectName(c);
    c.AppendControl("-o " + QuoteIfBlank(c.g_szObjFileName));
    m.lastFile = file;
    return;
  }
  MakeGnuCcCommand(c, file, target_, true);
  m.group = nullptr;
  // Kept when the line ends in the object's name alone: no listing named
  // after the file, no assembler source instead of the object.
  const std::string objectPart = "-o " + QuoteIfBlank(c.g_szObjFileName);
  const std::string_view text = c.Text();
  const bool listing = c.g_WorkOptions.lst.GLFLAGS & kGlListingOn;
  if (own || listing || !file->group || c.g_szObjFileName.empty() || text.size() <= objectPart.size() ||
      text.substr(text.size() - objectPart.size()) != objectPart || text[text.size() - objectPart.size() - 1] != ' ')
    return;
  m.group = file->group;
  m.dotPath = dot;
  m.lastFile = file;
  m.prefix.assign(text.substr(0, text.size() - objectPart.size()));
  m.objFolder = c.g_szObjFolder;
}

// A source renamed on disk to another case is found by the up-to-date test
// ignoring case; the tool opens it by name, so it is handed the name on disk.
void BuildDriver::Impl::NameSourceAsOnDisk(ToolRunRequest& r, std::string_view stored) {
  const std::string* local = files_.Converted(stored);
  if (!local || files_.Peek(*local).exists) return;
  std::string found;
  if (!resolver_.ResolveStoredPath(stored, folder_, &found)) return;
  const bool inFolder = !folder_.empty() && found.compare(0, folder_.size(), folder_) == 0;
  r.projectFileName = inFolder ? found.substr(folder_.size()) : found;
}

// A 51, 251 or 166 tool told no OBJECT() names the object itself, in upper
// case ("MAIN.OBJ"): the linker and the next up-to-date test are handed the
// name as it stands on disk.
void BuildDriver::Impl::NameObjectAsOnDisk(ToolRunRequest& r) {
  if (IsArm(target_->toolset) || r.objectFile.empty()) return;
  std::string stored = WithoutQuotes(r.objectFile);
  std::string local;
  if (!resolver_.ResolveStoredPath(stored, folder_, &local)) {
    // The listing of the folder may predate the tool's run.
    resolver_.InvalidateFolder(std::string(FolderPart(local)));
    if (!resolver_.ResolveStoredPath(stored, folder_, &local)) return;
  }
  std::string_view found = FileNamePart(local);
  std::string_view name = FileNamePart(stored);
  if (found == name) return;
  r.objectFile = stored.substr(0, stored.size() - name.size()) + std::string(found);
}

// The EC++ compiler of the 166 family makes a C file ("ic") of the C++
// source, which the C compiler then translates in its second pass.
void BuildDriver::Impl::CompileCpp(GroupRec* group, FileRec* file, const BuildProperties& props, int mode) {
  CommandContext& c = *ctx_;
  ToolRunRequest& r = s_.request;
  const uint16_t toolset = target_->toolset;
  // The handles point at these texts: they must live as long as `generated`.
  const std::string generatedName = ChangeExtension(file->name.view(), "ic");
  const std::string generatedPath = ChangeExtension(file->path.view(), "ic");
  FileRec generated = *file;
  generated.name = OptString(generatedName.c_str());
  generated.path = OptString(generatedPath.c_str());
  if (toolset == kToolset166) {
    // What the object records: the C compiler's line of the second pass.
    c.g_bCppSecondPass = 1;
    c.g_pszCppSourceName = file->name.str();
    MakeQ166CompilerCommand(c, &generated, target_, true);
    c.g_bCppSecondPass = 0;
    if (RefuseLineWithDroppedEntries(file)) return;
    const std::string secondLine(c.Text());
    if (!props.genAsm && props.alwaysBuild != 1 && mode != kBuildModeRebuild) {
      Verdict v = ObjectIsUpToDate(Local(c.g_szObjFileName), Local(file->path.view()), secondLine);
      owner_.explanations_.push_back({file->name.str(), v.translate, v.reason});
      if (!v.translate) {
        r.toolCode = kToolQ166;
        r.controlString = secondLine;
        FillRequest(file, props);
        NameObjectAsOnDisk(r);
        RecordBuildItem(s_, target_, group, file);
        return;
      }
    } else {
      owner_.explanations_.push_back({file->name.str(), true, "always translated"});
    }
  }
  if (toolset == kToolset51 && !s_.toolsetInfo->cppTranslator.empty()) {
    // The 51 family's C++ translator takes the file like a C compiler.
    CompileOrAssemble(group, file, props, false);
    return;
  }
  if (toolset != kToolset166) {
    Print("no C++ support available\n");
    s_.SetFlags(kBuildFailed);
    return;
  }
  MakeYQ166CompilerCommand(c, file, target_, true);
  if (RefuseLineWithDroppedEntries(file)) return;
  r.toolCode = kToolYQ166;
  r.controlString = std::string(c.Text()) + "\r\n";
  FillRequest(file, props);
  // The C compiler will write assembler source: an old object must not
  // reach the link as if this build had made it.
  if (props.genAsm && !r.objectFile.empty()) ::unlink(Local(r.objectFile).c_str());
  if (!WriteCommandInputFile(r)) return;
  Run(r);
  s_.AddCounts();
  if (props.stopCode != 0 && r.exitCode >= props.stopCode) s_.SetFlags(kBuildFailed);
  if (r.exitCode > 1) {
    s_.SetFlags(kBuildError);
    return;
  }
  // Second pass: the generated C file, told the C++ source's name.
  s_.request = ToolRunRequest{};
  c.g_bCppSecondPass = 1;
  c.g_pszCppSourceName = file->name.str();
  MakeQ166CompilerCommand(c, &generated, target_, true);
  c.g_bCppSecondPass = 0;
  if (RefuseLineWithDroppedEntries(file)) return;
  r.toolCode = kToolQ166;
  r.controlString = std::string(c.Text());
  FillRequest(&generated, props);
  if (!WriteCommandInputFile(r)) return;
  RunStep(props);
  if (r.exitCode > 1) return;
  if (props.genAsm) {
    AssembleGeneratedSource(group, &generated, file, props);
    return;
  }
  NameObjectAsOnDisk(r);
  RecordBuildItem(s_, target_, group, file);
}

void BuildDriver::Impl::RunStep(const BuildProperties& props) {
  ToolRunRequest& r = s_.request;
  Run(r);
  s_.AddCounts();
  if (props.stopCode != 0 && r.exitCode >= props.stopCode) s_.SetFlags(kBuildFailed);
  if (r.exitCode > 1) s_.SetFlags(kBuildError);
}

// A merge holds at most DefineList::kMaxEntries entries and kPoolSize
// characters of names and values. A line that lost entries past those
// would translate the file without symbols the user defined, and the build
// would report success for a program other than the one asked for: the
// file is not translated and the build counts an error.
bool BuildDriver::Impl::RefuseLineWithDroppedEntries(const FileRec* file) {
  const DroppedListEntries& dropped = ctx_->g_droppedListEntries;
  if (dropped.list.empty()) return false;
  if (!pending_.empty()) {
    // Said after the output of the files before this one, as one at a time;
    // not at all when one of them stops the build.
    CompleteAll();
    if (s_.Flags() & (kBuildStopAfterError | kBuildStopRequested)) return true;
  }
  Print("%s: error - the %s list of its command line is full (at most %d entries and %d characters of "
        "names and values): '%s' and the entries after it were not taken; the file is not translated\n",
        file->name.c_str(), dropped.list.c_str(), DefineList::kMaxEntries, DefineList::kPoolSize,
        dropped.firstEntry.c_str());
  ++s_.errors;
  s_.SetFlags(kBuildError);
  return true;
}

bool BuildDriver::Impl::WriteCommandInputFile(ToolRunRequest& r, std::string_view language) {
  std::string name = CommandInputFileName(r.objectFile, r.toolCode);
  std::string local = Local(name);
  // On this machine the tools read the file's path with '/' separators.
  std::string path = ToForwardSlashes(r.projectFileName.empty() ? r.file : r.projectFileName);
  std::string quoted = !path.empty() && path.front() == '"' ? path : "\"" + path + "\"";
  std::string text = target_->toolset == kToolsetArmGnu ? GnuCommandFileText(r.controlString, path, language)
                     : (r.flags & kArmLayoutMask)        ? r.controlString + " " + quoted
                                                         : quoted + " " + r.controlString;
  if (!batch_.Active()) journal_.AddCommandFile(local);  // a batch file keeps them
  // A name of the project's folders: a link planted there is replaced, not written through.
  ReplacedName replaced;
  std::FILE* f = OpenOwnFileStream(local, &replaced);
  if (replaced.replaced) Print("%s\n", ReplacedNameText(name, replaced).c_str());
  bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok && !pending_.empty()) {
    // Said after the output of the files before this one, as one at a time;
    // not at all when one of them stops the build.
    CompleteAll();
    if (s_.Flags() & (kBuildStopAfterError | kBuildStopRequested)) return false;
  }
  if (!ok) {
    Print("error - can't create command input file '%s'\n", name.c_str());
    s_.SetFlags(kBuildFailed);
    return false;
  }
  r.commandFile = local;
  return true;
}

void BuildDriver::Impl::RunCustomTranslator(FileRec* file, const BuildProperties& props) {
  if (IsBlankText(props.custArgs)) {
    Print("%s: error - custom translator properties not set\n", file->name.c_str());
    s_.SetFlags(kBuildFailed);
    return;
  }
  depDataChanged_ = true;  // it may write any file
  ToolRunRequest& r = s_.request;
  r.toolCode = kToolCustom;
  r.file = file->name.str();
  r.projectFileName = file->path.str();
  r.controlString = props.custArgs;
  r.runThrough = theApp().m_vspawnPath;
  r.extra = props.bankNo;
  r.toolFolder = toolFolder_;
  r.environment = &overlay_;
  RunStep(props);
}

void BuildDriver::Impl::AddFileToLink(GroupRec* group, FileRec* file, const BuildProperties& props,
                                      bool library) {
  ToolRunRequest& r = s_.request;
  r.extra = props.bankNo;
  r.flags = (library ? kItemLibrary : kItemObject) | (props.publicsOnly == 1 ? kItemPublicsOnly : 0);
  r.objectFile = file->path.str();
  if (library) r.commandFile = props.libMods;
  RecordBuildItem(s_, target_, group, file);
}

void BuildDriver::Impl::RunUserCommand(const OptString& command, int number) {
  if (IsBlankText(command.view())) return;
  KeySequenceSources src;
  src.project = project_;
  src.target = target_;
  src.targetOptions = options_;
  const BuildDriver::UserProgramFiles files = owner_.UserFiles();
  src.activeEditorFile = [&files] { return files.activeEditorFile; };
  src.fileToTranslate = [&files] { return files.fileToTranslate; };
  src.executable = theApp().m_programDir + "pelmora2";
  std::string expanded, failed;
  const ExpandResult filled = ExpandToolArguments(src, command.view(), expanded, &failed);
  if (filled != kExpandDone) {
    // A cut line runs something the user did not write ("rm -rf ./Obj/"
    // of "rm -rf ./Obj/@F_old"): nothing runs, and the build counts it.
    Print("User command #%d: %s\n", number, command.c_str());
    Print("error - %s; the command is not run\n", ExpandFailureText(filled, failed).c_str());
    ++s_.errors;
    s_.SetFlags(kBuildError);
    return;
  }
  Print("User command #%d: %s\n", number, expanded.c_str());
  ToolRunRequest& r = s_.request;
  r = ToolRunRequest{};
  r.toolCode = kToolUserCommand;
  r.runThrough = theApp().m_vspawnPath;
  r.controlString = expanded;
  r.environment = &overlay_;
  Run(r);
  s_.AddCounts();
  if (r.errors) s_.SetFlags(kBuildError);
}

// Items whose command file field is empty (objects, custom steps) are
// passed over: the files of the items after them still go.
void BuildDriver::Impl::DeleteCommandInputFiles() {
  if (batch_.Active()) return;
  for (const BuildItem& item : s_.items) {
    const ToolRunRequest& r = item.request;
    if (r.commandFile.empty() || IsLinkerCode(r.toolCode) || (r.flags & kItemLibrary)) continue;
    if (deletedCommandFiles_.count(r.commandFile)) continue;
    ::unlink(r.commandFile.c_str());
  }
  deletedCommandFiles_.clear();
}

void BuildDriver::Impl::TranslateOne(ProjectRec* project, TargetRec* target, FileRec* file) {
  owner_.explanations_.clear();
  if (!CheckTargetToolset(project, target)) {
    if (target) target->TGSTAT = s_.Flags() | kBuildNotBuilt;
    return;
  }
  BeginJournal();
  if (file->type == kFileC || file->type == kFileAsm || file->type == kFileCustom || file->type == kFileCpp)
    TranslateFileByType(nullptr, file, kBuildModeRebuild);
  s_.SetFlags(kBuildNotBuilt);
  target->TGSTAT = s_.Flags();
  if (!s_.items.empty())
    Print("%s - %d Error(s), %d Warning(s).\n", s_.items.front().request.projectFileName.c_str(),
          s_.errors, s_.warnings);
  if (options_ && options_->out.flags.bit4) shell_.Beep();
  Finish();
}

// ---------------------------------------------------------------- threads

BuildDriver::BuildDriver(BuildDriverDeps deps) : deps_(std::move(deps)) {
  impl_ = std::make_unique<Impl>(*this, deps_);
}

BuildDriver::~BuildDriver() { Wait(); }

void BuildDriver::Wait() {
  if (thread_.joinable()) thread_.join();
}

namespace {

// The project file's absolute path: the key two instances agree on.
std::string ProjectFileKey(const ProjectRec& project) {
  std::error_code ec;
  std::filesystem::path folder = ToForwardSlashes(project.folder.view());
  if (folder.empty() || folder.is_relative()) folder = std::filesystem::current_path(ec) / folder;
  return (folder / (project.name.str() + ".pm2")).lexically_normal().string();
}

}  // namespace

std::string BuildDriver::TargetBusyMessage(const TargetRec& target) {
  return "Target '" + target.name.str() + "' is being built by another build\n";
}

bool BuildDriver::ClaimTarget(const ProjectRec* project, const TargetRec* target) {
  if (!project || !target) return false;
  if (!lock_.Acquire(deps_.runtimeFolder.empty() ? DefaultRuntimeFolder() : deps_.runtimeFolder,
                     ProjectFileKey(*project), target->name.str()))
    return false;
  claimedByCaller_ = true;
  return true;
}

void BuildDriver::ReleaseTarget() {
  if (!claimedByCaller_) return;
  lock_.Release();
  claimedByCaller_ = false;
}

void BuildDriver::SayOutputFolders(ProjectRec* project, TargetRec* target) { impl_->SayOutputFolders(project, target); }

void BuildDriver::Impl::SayOutputFolders(ProjectRec* project, TargetRec* target) {
  if (!project || !target) return;
  std::vector<std::string> notes = OutputFolderNotes(*project, *target, resolver_.Drives());
  for (const std::string& note : notes) Print("%s\n", note.c_str());
  std::lock_guard<std::mutex> lock(foldersSaidMutex_);
  foldersSaid_ = std::move(notes);
}

bool BuildDriver::TargetHeldElsewhere(const ProjectRec* project, const TargetRec* target) const {
  if (!project || !target) return false;
  if (lock_.Held() && lock_.Key() == ProjectFileKey(*project) + '\n' + target->name.str()) return false;
  TargetBuildLock probe;
  return !probe.Acquire(deps_.runtimeFolder.empty() ? DefaultRuntimeFolder() : deps_.runtimeFolder,
                        ProjectFileKey(*project), target->name.str());
}

bool BuildDriver::ClaimForRun(const ProjectRec* project, const TargetRec* target, bool* own) {
  *own = false;
  if (!project || !target) return true;  // the build itself refuses these
  const std::string key = ProjectFileKey(*project) + '\n' + target->name.str();
  if (lock_.Held() && lock_.Key() == key) return true;
  if (claimedByCaller_) return true;  // the caller holds another claim: its business
  if (!lock_.Acquire(deps_.runtimeFolder.empty() ? DefaultRuntimeFolder() : deps_.runtimeFolder,
                     ProjectFileKey(*project), target->name.str()))
    return false;
  *own = true;
  return true;
}

void BuildDriver::BuildTarget(ProjectRec* project, TargetRec* target, int mode) {
  bool own = false;
  if (!ClaimForRun(project, target, &own)) {
    // Another build makes this target now: touch none of its files.
    deps_.hub->Send(kNotifyBuildOutputLine, reinterpret_cast<intptr_t>(TargetBusyMessage(*target).c_str()));
    target->TGSTAT |= kBuildNotBuilt;
    state_.SetFlags(kBuildNotBuilt);
    return;
  }
  impl_->Build(project, target, mode);
  if (own) lock_.Release();
}

bool BuildDriver::LastRunChangedFiles() const { return impl_->ChangedFiles(); }

void BuildDriver::TranslateOneFile(ProjectRec* project, TargetRec* target, FileRec* file) {
  bool own = false;
  if (!ClaimForRun(project, target, &own)) {
    deps_.hub->Send(kNotifyBuildOutputLine, reinterpret_cast<intptr_t>(TargetBusyMessage(*target).c_str()));
    target->TGSTAT |= kBuildNotBuilt;
    return;
  }
  impl_->TranslateOne(project, target, file);
  if (own) lock_.Release();
}

void BuildDriver::ThreadEnd(TargetRec* target, bool translation) {
  const uint32_t flags = state_.Flags();
  resultTotal_ = state_.errors;
  if (flags & kBuildError) resultTotal_ = 1;
  if (flags & kBuildStopRequested) resultTotal_ = -1;
  const bool notBuilt = translation || !target || (target->TGSTAT & kBuildNotBuilt);
  // Everything read from the project before the end is told: once the GUI
  // thread hears it, the user (or a client) may close the project at once.
  bool debugAfterBuild = false;
  if (!translation && !notBuilt) {
    const OptionBlock* own = FindTargetOptions(target->pOpts, target);
    debugAfterBuild = own && (own->dbg.flags & kDebugAfterBuild);
  }
  // The run is over before anyone hears of its end: a build asked for the
  // moment the end is told (by the user or a client) must find it so.
  endTold_ = false;
  running_ = false;
  deps_.hub->Send(kNotifyBuildFinished, notBuilt ? 1 : 0);
  endTold_ = true;
  // Posted: after the end the thread waits for nothing of the GUI thread,
  // which may be about to join it for the next build.
  if (debugAfterBuild) deps_.hub->Post(kNotifyDebugAfterBuild, 0);
}

bool BuildDriver::Busy() const { return g_bToolRunning || running_; }

bool BuildDriver::BeginRun() {
  if (g_bToolRunning || running_.exchange(true)) {
    (deps_.shell ? *deps_.shell : theApp().Shell()).Beep();
    return false;
  }
  // The previous thread has cleared its state; it may still be telling its
  // end, which needs the GUI thread (after a stop the user can start again
  // before the end was handled). Once the end is told it needs nothing more
  // and is joined; an end that stays untold is refused rather than waited
  // for on the thread that has to take it.
  if (thread_.joinable()) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEndToldWaitMs);
    while (!endTold_ && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    if (!endTold_) {
      running_ = false;
      (deps_.shell ? *deps_.shell : theApp().Shell()).Beep();
      return false;
    }
  }
  Wait();
  state_.BuildFlags.fetch_and(~kBuildStopRequested);
  return true;
}

bool BuildDriver::StartBuildThread(ProjectRec* project, TargetRec* target, int mode) {
  if (!BeginRun()) return false;
  // Also for an undefined toolset: the thread says so and ends the build,
  // so the program does not stay busy.
  thread_ = std::thread([this, project, target, mode] {
    BuildTarget(project, target, mode);
    ThreadEnd(target, false);
  });
  return true;
}

void BuildDriver::RunBuild(ProjectRec* project, TargetRec* target, int mode) {
  if (!BeginRun()) return;
  BuildTarget(project, target, mode);
  ThreadEnd(target, false);
}

bool BuildDriver::StartTranslateThread(ProjectRec* project, TargetRec* target, FileRec* file) {
  if (!BeginRun()) return false;
  thread_ = std::thread([this, project, target, file] {
    TranslateOneFile(project, target, file);
    ThreadEnd(target, true);
  });
  return true;
}

int BuildDriver::StopBuild() {
  if (state_.linkPhase) {
    (deps_.shell ? *deps_.shell : theApp().Shell()).Beep();
    return 0;
  }
  state_.SetFlags(kBuildStopRequested);
  return 1;
}

}  // namespace pm2
