// The build in the running IDE knows what changed. The driver watches the
// folders of a target's sources, their include files and its outputs, and
// keeps, after a build that made the target, a fingerprint of what decided
// that build (files, command lines, the target's options) and its closing
// line. The next build of the target with the same fingerprint and nothing
// reported by the watch ends at once, looking at no file. Otherwise it
// checks every file as a build without memory does, and translates in any
// case what the watch reported changed, so that an edit the times would
// hide (a clock moved back, an older file renamed over a source) is
// translated too. A build in a new process starts without memory, so what
// changed while no IDE watched is found by the times, as always.
#include "builder/driver/build_driver_impl.h"

#include <stdlib.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace pm2 {

namespace {

// FNV-1a over texts and numbers, each closed so that "ab"+"c" differs from
// "a"+"bc". Texts go in eight bytes at a time (a 2,000-file project's
// command lines are some 600 KB, hashed on every build request).
struct Fnv {
  uint64_t h = 1469598103934665603ull;
  void Add(std::string_view s) {
    size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
      uint64_t word;
      std::memcpy(&word, s.data() + i, 8);
      h = (h ^ word) * 1099511628211ull;
      h ^= h >> 29;
    }
    for (; i < s.size(); ++i) {
      h ^= static_cast<unsigned char>(s[i]);
      h *= 1099511628211ull;
    }
    h ^= s.size();
    Close();
  }
  void Add(uint64_t v) {
    for (int i = 0; i < 8; ++i) {
      h ^= (v >> (8 * i)) & 0xFF;
      h *= 1099511628211ull;
    }
    Close();
  }
  void Close() {
    h ^= 0x1FF;
    h *= 1099511628211ull;
  }
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

uint64_t BuildDriver::Impl::Fingerprint(ProjectRec* project, TargetRec* target, bool* usable) {
  *usable = true;
  const OptionBlock& opts = *options_;
  if (opts.out.flags.BRUNUSR0 || opts.out.flags.BRUNUSR1 || opts.out.flags.RUNUSR0 || opts.out.flags.RUNUSR1)
    *usable = false;  // user programs run on every build
  Fnv f;
  f.Add(folder_);  // another project may be opened at the same address
  f.Add(target->name.view());
  CommandContext& c = *ctx_;
  for (GroupRec* g = project->firstGroup; g && *usable; g = g->next) {
    if (g->flags & kGroupDeleted) continue;
    f.Add(uint64_t(reinterpret_cast<uintptr_t>(g)));
    for (FileRec* file = g->firstFile; file && *usable; file = file->next) {
      if (file->flags & kFileRemoved) continue;
      const BuildProperties props = ResolveBuildProperties(FindTargetOptions(g->pOpts, target),
                                                           FindTargetOptions(file->pOpts, target), kBuildModeBuild);
      if (props.alwaysBuild == 1 || props.genAsm == 1) *usable = false;
      f.Add(file->path.view());
      f.Add(uint64_t(file->type) << 32 | file->flags);
      f.Add(uint64_t(props.incBld) | uint64_t(props.stopCode) << 8);
      if (file->type == kFileC) MakeGnuCcLine(file);
      else if (file->type == kFileAsm) MakeGnuAsCommand(c, file, target, true);
      else if (file->type == kFileObject || file->type == kFileLibrary || file->type == kFileText) c.ResetBuffer();
      else *usable = false;
      f.Add(c.Text());
    }
  }
  // The context now holds other lines: the build makes its own from scratch.
  gnuCcMemo_ = GnuCcLineMemo();
  MakeGnuLdCommand(c, opts, 0, {});
  f.Add(c.Text());
  f.Add(opts.out.OUTDIR.view());
  f.Add(opts.out.OUTNAME.view());
  f.Add(opts.lst.LSTDIR.view());
  f.Add(uint64_t(opts.out.flags.GENAPP) | uint64_t(opts.out.flags.GENHEX) << 1 | uint64_t(opts.out.flags.bit4) << 2);
  const HexOptions hex = HexOptionsOf(opts);
  f.Add(uint64_t(hex.hexSel) | uint64_t(hex.rangeStart) << 8);
  f.Add(uint64_t(hex.rangeEnd) | uint64_t(uint32_t(hex.offset)) << 32);
  return f.h;
}

const std::string& BuildDriver::Impl::IncludeOnDisk(std::string_view stored) {
  auto known = includeOnDisk_.find(std::string(stored));
  if (known != includeOnDisk_.end()) return known->second;
  std::string local;
  if (!resolver_.ResolveStoredPath(stored, folder_, &local)) local.clear();
  return includeOnDisk_.emplace(std::string(stored), std::move(local)).first->second;
}

const std::string& BuildDriver::Impl::LinkedFile(const std::string& path) {
  auto known = linkedFile_.find(path);
  if (known != linkedFile_.end()) return known->second;
  std::string linked;
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    if (path != real) linked = real;
    std::free(real);
  }
  return linkedFile_.emplace(path, std::move(linked)).first->second;
}

bool BuildDriver::Impl::ReportedChanged(const std::string& path) {
  if (changed_.count(path)) return true;
  const std::string& linked = LinkedFile(path);
  return !linked.empty() && changed_.count(linked);
}

bool BuildDriver::Impl::WatchBuildFolders(ProjectRec* project) {
  bool all = true;
  std::unordered_set<std::string> seen;
  auto watch = [&](const std::string& folder) {
    if (folder.empty() || !seen.insert(folder).second) return;
    if (!watch_.Add(folder)) all = false;
  };
  // A file read through a link changes in the folder of the file it links
  // to: that folder is watched too.
  auto watchFileOf = [&](const std::string& path) {
    watch(FolderOf(path));
    if (const std::string& linked = LinkedFile(path); !linked.empty()) watch(FolderOf(linked));
  };
  watch(folder_);
  for (const OptString* out : {&options_->out.OUTDIR, &options_->lst.LSTDIR}) {
    std::string local;
    if (files_.ConvertedOnce(std::string(out->view()) + "x", &local)) watch(FolderOf(local));
  }
  for (GroupRec* g = project->firstGroup; g; g = g->next) {
    if (g->flags & kGroupDeleted) continue;
    for (FileRec* file = g->firstFile; file; file = file->next) {
      if (file->flags & kFileRemoved) continue;
      std::string local;
      if (files_.ConvertedOnce(file->path.view(), &local)) watchFileOf(local);
      else all = false;
      for (DepIncludeRec* r = file->depIncludes; r; r = r->next) {
        const std::string& onDisk = IncludeOnDisk(r->path.view());
        if (onDisk.empty()) all = false;  // found again by the next check, then watched
        else watchFileOf(onDisk);
      }
    }
  }
  return all;
}

bool BuildDriver::Impl::ChangedWhileWatched(const FileRec& file, const std::string& sourceLocal) {
  if (changed_.empty()) return false;
  if (ReportedChanged(sourceLocal)) return true;
  for (DepIncludeRec* r = file.depIncludes; r; r = r->next) {
    const std::string& onDisk = IncludeOnDisk(r->path.view());
    if (!onDisk.empty() && ReportedChanged(onDisk)) return true;
  }
  return false;
}

bool BuildDriver::Impl::BuildFromMemory(ProjectRec* project, TargetRec* target, int mode) {
  changed_.clear();
  inputs_.clear();
  includeOnDisk_.clear();
  linkedFile_.clear();
  watchComplete_ = false;
  if (!deps_.keepUpToDateState || target->toolset != kToolsetArmGnu) return false;
  FolderWatch::Changes changes = watch_.Take();
  bool usable = false;
  const uint64_t fingerprint = Fingerprint(project, target, &usable);
  const bool same = memory_.valid && memory_.project == project && memory_.target == target &&
                    memory_.fingerprint == fingerprint;
  memory_.valid = false;
  // Only what the build reads or makes counts: the folders hold other files
  // (logs, backups, an editor's scratch files) that change all the time.
  bool relevant = changes.all;
  for (const std::string& path : changes.paths)
    if (memory_.files.count(path)) relevant = true;
  if (same && usable && mode == kBuildModeBuild && !relevant) {
    Print("Build target '%s'\n", target->name.c_str());
    Print("%s", memory_.finalLine.c_str());
    if (options_->out.flags.bit4) shell_.Beep();
    memory_.valid = true;
    return true;
  }
  changed_.insert(changes.paths.begin(), changes.paths.end());
  changed_.insert(carried_.begin(), carried_.end());
  carried_.clear();
  memory_.project = project;
  memory_.target = target;
  memory_.fingerprint = usable ? fingerprint : 0;
  // Watched before any file is looked at, so that a change made while the
  // build looks is reported to the next one.
  watchComplete_ = usable && WatchBuildFolders(project);
  return false;
}

void BuildDriver::Impl::RememberBuild(ProjectRec* project, TargetRec* target, int mode,
                                      const std::string& finalLine) {
  if (!deps_.keepUpToDateState || target->toolset != kToolsetArmGnu || !watchComplete_) return;
  if (mode != kBuildModeBuild || s_.Flags() != 0 || s_.errors != 0 || !s_.HeadIsLinkItem()) return;
  // Include files found by this build's scans are watched from now on; the
  // build read them before, so it is not remembered.
  if (!WatchBuildFolders(project)) return;
  for (const auto& [stored, onDisk] : includeOnDisk_)
    if (!onDisk.empty()) inputs_.insert(onDisk);
  // A linked input is reported under the name of the file it links to.
  std::vector<std::string> linked;
  for (const std::string& path : inputs_)
    if (const std::string& to = LinkedFile(path); !to.empty()) linked.push_back(to);
  inputs_.insert(linked.begin(), linked.end());
  // The events of the build's own writes; one that names a file the build
  // read means it changed while the build ran.
  const FolderWatch::Changes during = watch_.Take();
  if (during.all) return;
  for (const std::string& path : during.paths)
    if (inputs_.count(path)) {
      carried_.insert(during.paths.begin(), during.paths.end());
      return;
    }
  memory_.files = inputs_;
  for (const BuildItem& item : s_.items)
    if (!item.request.objectFile.empty()) memory_.files.insert(Local(WithoutQuotes(item.request.objectFile)));
  memory_.files.insert(LocalOutput(OutputBase(*options_) + ".hex"));
  memory_.finalLine = finalLine;
  memory_.valid = memory_.project == project && memory_.target == target && memory_.fingerprint != 0;
}

}  // namespace pm2
