// The dependency data of a target outside a build: the project window's
// command and target change (UpdateDependencies) and the include files it
// shows under a source file (ScanFileIncludes).
#include "builder/driver/build_driver_impl.h"

namespace pm2 {

using namespace driver_detail;

// ---------------------------------------------------------------- dependency data

void BuildDriver::Impl::Progress(uint32_t kind, uint32_t position) {
  ProgressRecord record;
  record.kind = kind;
  record.position = position;
  record.lower = 0;
  record.upper = 100;
  record.text = "Scanning for Dependencies...";
  ShowProgressRecord(deps_.hub, record);
}

bool BuildDriver::Impl::ArmControls(GroupRec* group, FileRec* file, bool assemble) {
  if (!group) group = file->group;
  const OptionBlock* gopts = group ? FindTargetOptions(group->pOpts, target_) : nullptr;
  const OptionBlock* fopts = FindTargetOptions(file->pOpts, target_);
  if (ResolveBuildProperties(gopts, fopts, kBuildModeBuild).incBld == 0) return false;
  CommandContext& c = *ctx_;
  if (target_->toolset == kToolsetArmGnu) {
    if (assemble) MakeGnuAsCommand(c, file, target_, true);
    else MakeGnuCcCommand(c, file, target_, true);
  } else {
    if (assemble) MakeAdsAsmCommand(c, file, target_, true);
    else MakeAdsCcCommand(c, file, target_, true);
  }
  return true;
}

void BuildDriver::Impl::ScanArmCFile(FileRec* file, DepScanRequest& scan) {
  const std::string controls(ctx_->Text());
  PrepareScan(scan, file, controls, ctx_->g_szObjFileName);
  PreprocessForDependencies(scan, resolver_, folder_);
}

void BuildDriver::Impl::UpdateDependencies(ProjectRec* project, TargetRec* target, bool scanNow) {
  if (project) ClearDependencyData(*project);
  if (!project || !target) return;
  quiet_ = true;
  makeFolders_ = scanNow;  // only a scan now writes the dependency file
  const bool ready = CheckTargetToolset(project, target);
  makeFolders_ = true;
  quiet_ = false;
  if (ready && IsArm(target->toolset)) {
    // Read whole, the file already holds what writing it would store: the
    // next build writes it when a file's data change.
    const bool read = ReadDependencyFile(*project, *target);
    if (!read) {
      int total = 0;
      for (GroupRec* g = project->firstGroup; g; g = g->next)
        for (FileRec* f = g->firstFile; f; f = f->next) ++total;
      if (scanNow) Progress(kProgressShow, 0);
      int step = 0;
      for (GroupRec* g = project->firstGroup; g; g = g->next) {
        for (FileRec* f = g->firstFile; f; f = f->next) {
          if (scanNow) Progress(kProgressMove, uint32_t(++step * 100 / std::max(total, 1)));
          if ((g->flags & kGroupDeleted) || (f->flags & kFileRemoved)) continue;
          if ((f->type != kFileC && f->type != kFileAsm) || !f->lastControls.empty()) continue;
          if (!ArmControls(g, f, f->type == kFileAsm)) continue;
          f->lastControls = OptString::Pooled(ctx_->Text(), kPoolDependencies);
          if (f->type == kFileC && scanNow) {
            DepScanRequest scan;
            ScanArmCFile(f, scan);
            MergeIncludeList(*f, scan.includes);
          }
        }
      }
      if (scanNow) {
        Progress(kProgressMove, 100);
        Progress(kProgressEnd, 0);
      }
    }
    std::string err;
    DepFileTime time = [this](const std::string& stored, uint32_t* t) {
      struct stat st;
      if (::stat(Local(stored).c_str(), &st) != 0) return false;
      *t = uint32_t(st.st_mtime);
      return true;
    };
    if (!read && scanNow && !WriteDependencyFile(*project, *target, time, &err)) Print("%s\n", err.c_str());
  }
  s_.ClearItems();
  ctx_.reset();
}

int BuildDriver::Impl::ReplaceShownIncludes(FileRec* file, const std::vector<std::string>& names) {
  size_t n = 0;
  bool same = true;
  for (FileRec* r = file->includes; r; r = r->next, ++n)
    if (n >= names.size() || !SamePathIgnoringCase(r->path.view(), names[n])) same = false;
  if (same && n == names.size()) return 1;
  FileRec* head = nullptr;
  FileRec** tail = &head;
  for (const std::string& name : names) {
    FileRec* r = PoolNew<FileRec>(kPoolProject);
    r->kind = kKindFile;
    r->path = OptString::Pooled(name, kPoolProject);
    r->name = OptString::Pooled(GetFileNamePart(name), kPoolProject);
    r->type = GetFileTypeOfName(r->name.c_str());
    *tail = r;
    tail = &r->next;
  }
  file->includes = head;
  return 2;
}

int BuildDriver::Impl::ScanFileIncludes(ProjectRec* project, TargetRec* target, FileRec* file) {
  if (!project || !target || !file) return 0;
  if (file->type != kFileC && file->type != kFileAsm && file->type != kFileCpp) return 0;
  std::string_view name = GetFileNamePart(file->name.view());
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot + 1 < name.size() && std::strchr("HhIi", name[dot + 1])) return 0;
  quiet_ = true;
  makeFolders_ = false;
  const bool ready = CheckTargetToolset(project, target);
  makeFolders_ = true;
  quiet_ = false;
  if (!ready) return 0;
  int result = 0;
  std::vector<std::string> names;
  if (!IsArm(target->toolset)) {
    if (file->type != kFileAsm) {
      // The object the compiler made; it records every include file it read.
      CommandContext& c = *ctx_;
      c.SetCommandContext(file, target);
      c.SetObjFolder(file->path.view());
      c.MakeObjFileName(file->name.view());
      ObjectFileEntries entries;
      if (entries.Open(Local(file->path.view()), Local(c.g_szObjFileName)) == 0) {
        for (const DepEntry& e : entries.Entries())
          if (e.Kind() == 2) names.push_back(e.name);
        result = ReplaceShownIncludes(file, names);
      }
    }
  } else if (file->type == kFileC) {
    if (file->depIncludes && !(file->depState & 1)) {
      for (DepIncludeRec* r = file->depIncludes; r; r = r->next) names.push_back(r->path.str());
    } else if (ArmControls(nullptr, file, false)) {
      DepScanRequest scan;
      ScanArmCFile(file, scan);
      for (size_t i = 1; i < scan.includes.size(); ++i) names.push_back(scan.includes[i].name);
    }
    file->depState &= ~1u;
    ReplaceShownIncludes(file, names);
    result = 2;
  } else {
    result = 2;  // assembler files keep no include list
  }
  s_.ClearItems();
  ctx_.reset();
  return result;
}

void BuildDriver::UpdateDependencies(ProjectRec* project, TargetRec* target, bool scanNow) {
  if (running_) return;  // the build owns the data while it runs
  bool own = false;
  if (!ClaimForRun(project, target, &own)) return;  // another build writes the file
  impl_->UpdateDependencies(project, target, scanNow);
  if (own) lock_.Release();
}

int BuildDriver::ScanFileIncludes(ProjectRec* project, TargetRec* target, FileRec* file, bool showIncludes) {
  if (!showIncludes || running_) return 0;
  return impl_->ScanFileIncludes(project, target, file);
}

}  // namespace pm2
