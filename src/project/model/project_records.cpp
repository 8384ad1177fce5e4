#include "project/model/project_records.h"

#include <unistd.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/win_path.h"
#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

// Filters a new project starts with, in FilterIndex order.
constexpr const char* kDefaultFilters[kFilterCount] = {
    "*.c", "*.s*; *.src; *.a*", "*.obj", "*.lib", "*.txt; *.h; *.inc", "*.plm", "*.cpp"};
// What an empty filter stands for.
constexpr const char* kFallbackFilters[kFilterCount] = {"*.c",   "*.asm", "*.obj", "*.lib",
                                                        "*.txt", "*.plm", "*.cpp"};
// The FileType each filter gives.
constexpr uint8_t kFilterTypes[kFilterCount] = {kFileC,    kFileAsm, kFileObject, kFileLibrary,
                                                kFileText, kFilePlm, kFileCpp};

constexpr const char* kFileTypeNames[] = {
    "<unknown>",       "C source file",       "Assembly language file",
    "Object file",     "Library file",        "Text Document file",
    "PL/M-51 source file", "Custom file",     "C++ source file"};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool IsSep(char c) { return c == '\\' || c == '/'; }

// Paths compare ignoring case, with '\' and '/' the same.
bool SamePathNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsSep(a[i]) && IsSep(b[i])) continue;
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

OptString Dup(OptString s, int pool) { return OptString::Pooled(s.view(), pool); }

bool IsSourceType(uint8_t type) {
  return type == kFileC || type == kFileAsm || type == kFilePlm || type == kFileCpp;
}

// Calls f for every file of every non-deleted group that is not removed.
template <class F>
FileRec* FindFile(ProjectRec* project, F&& match) {
  if (!project) return nullptr;
  for (GroupRec* g = project->firstGroup; g; g = g->next) {
    if (g->flags & kGroupDeleted) continue;
    for (FileRec* f = g->firstFile; f; f = f->next)
      if (!(f->flags & kFileRemoved) && match(*f)) return f;
  }
  return nullptr;
}

ProjectRec* ProjectWithTarget() {
  ProjectRec* p = theApp().m_pProject;
  return (p && p->curTarget) ? p : nullptr;
}

std::string_view WithoutExt(std::string_view name) {
  std::size_t dot = name.find_last_of(".\\/:");
  if (dot == std::string_view::npos || name[dot] != '.') return name;
  return name.substr(0, dot);
}

}  // namespace

// ---------------------------------------------------------------- creation

ProjectRec* NewProject(const char* name, const char* path) {
  ProjectRec* p = PoolNew<ProjectRec>(kPoolScratch);
  std::string_view full = path ? path : "";
  if (!name) {
    std::size_t cut = full.find_last_of("\\/:");
    std::string_view folder = cut == std::string_view::npos ? std::string_view() : full.substr(0, cut + 1);
    std::string_view title = full.substr(folder.size());
    std::size_t dot = title.rfind('.');
    if (dot != std::string_view::npos) title = title.substr(0, dot);
    p->name = OptString::Pooled(title, kPoolScratch);
    p->folder = OptString::Pooled(folder, kPoolScratch);
  } else {
    p->name = OptString::Pooled(name, kPoolScratch);
    p->folder = OptString::Pooled(full, kPoolScratch);
  }
  for (int i = 0; i < kFilterCount; ++i) p->filters[i] = OptString(kDefaultFilters[i]);

  TargetRec* t = PoolNew<TargetRec>(kPoolScratch);
  t->kind = kKindTarget;
  t->name = OptString::Pooled("Target 1", kPoolScratch);
  p->firstTarget = p->lastTarget = p->curTarget = t;

  GroupRec* g = PoolNew<GroupRec>(kPoolScratch);
  g->kind = kKindGroup;
  g->name = OptString::Pooled("Source Group 1", kPoolScratch);
  p->firstGroup = p->lastGroup = g;
  return p;
}

ProjectRec* NewOpenProject(const char* name, const char* path) {
  ProjectRec* p = CopyProjectTree(NewProject(name, path), kPoolProject);
  PoolFree(kPoolScratch);
  return p;
}

GroupRec* FindGroupByName(GroupRec* first, const char* name) {
  std::string_view n = name ? name : "";
  for (GroupRec* g = first; g; g = g->next)
    if (!(g->flags & kGroupDeleted) && g->name.EqualsNoCase(n)) return g;
  return nullptr;
}

GroupRec* AddGroup(ProjectRec* project, const char* name) {
  if (!project || FindGroupByName(project->firstGroup, name)) return nullptr;
  GroupRec* g = PoolNew<GroupRec>(kPoolProject);
  g->kind = kKindGroup;
  g->name = OptString::Pooled(name ? name : "", kPoolProject);
  if (project->lastGroup)
    project->lastGroup->next = g;
  else
    project->firstGroup = g;
  project->lastGroup = g;
  return g;
}

std::string JoinFilePath(const char* folder, const char* name) {
  std::string path = folder ? folder : "";
  // An empty folder means the name alone, not the root folder.
  if (!path.empty() && !IsSep(path.back()) && path.back() != ':') path += '\\';
  path += name ? name : "";
  return path;
}

namespace {
std::size_t CountFiles(const GroupRec* group) {
  std::size_t n = 0;
  for (const FileRec* f = group->firstFile; f; f = f->next) ++n;
  return n;
}
}  // namespace

FileRec* NewFileRecord(GroupRec* group, const char* name, const char* folder, uint8_t type,
                       int pool) {
  if (!group || CountFiles(group) >= kMaxFilesPerGroup) return nullptr;
  FileRec* f = PoolNew<FileRec>(pool);
  f->kind = kKindFile;
  f->name = OptString::Pooled(name ? name : "", pool);
  f->path = OptString::Pooled(JoinFilePath(folder, name), pool);
  f->group = group;
  f->type = type;
  if (group->lastFile)
    group->lastFile->next = f;
  else
    group->firstFile = f;
  group->lastFile = f;
  return f;
}

FileRec* AddFileToGroup(GroupRec* group, const char* name, const char* folder, uint8_t type) {
  return NewFileRecord(group, name, folder, type, kPoolProject);
}

FileRec* CopyFileRecord(const FileRec* file) {
  if (!file) return nullptr;
  FileRec* copy = PoolNew<FileRec>(kPoolProject);
  *copy = *file;
  copy->next = nullptr;
  return copy;
}

// ---------------------------------------------------------------- ordering

void CompactGroupFiles(GroupRec* group) {
  if (!group) return;
  std::vector<FileRec*> kept;
  for (FileRec* f = group->firstFile; f; f = f->next)
    if (!(f->flags & kFileRemoved)) kept.push_back(f);
  group->firstFile = group->lastFile = nullptr;
  for (FileRec* f : kept) {
    f->group = group;
    f->next = nullptr;
    if (group->lastFile)
      group->lastFile->next = f;
    else
      group->firstFile = f;
    group->lastFile = f;
  }
}

namespace {

// Takes the file out of the group's chain when it is there, so a move
// never links it twice (which would make the chain a loop).
void Unlink(GroupRec* group, FileRec* file) {
  FileRec** link = &group->firstFile;
  while (*link) {
    if (*link == file) {
      *link = file->next;
      file->next = nullptr;
      break;
    }
    link = &(*link)->next;
  }
  group->lastFile = nullptr;
  for (FileRec* f = group->firstFile; f; f = f->next) group->lastFile = f;
}

// A file dragged in from another group leaves that group's chain first;
// left there, the other group's list would run on into this one's files
// and its next rebuild would take them over.
void UnlinkEverywhere(GroupRec* group, FileRec* file) {
  if (file->group && file->group != group) Unlink(file->group, file);
  Unlink(group, file);
}

}  // namespace

void InsertFileAtHead(GroupRec* group, FileRec* file) {
  if (!group || !file) return;
  UnlinkEverywhere(group, file);
  file->next = group->firstFile;
  group->firstFile = file;
  CompactGroupFiles(group);
}

void AppendFileRecord(GroupRec* group, FileRec* file) {
  if (!group || !file) return;
  UnlinkEverywhere(group, file);
  file->next = nullptr;
  if (group->lastFile)
    group->lastFile->next = file;
  else
    group->firstFile = file;
  CompactGroupFiles(group);
}

void InsertFileBefore(GroupRec* group, FileRec* before, FileRec* file) {
  if (!group || !file) return;
  if (before == file) {  // nothing moves, but the list is still rebuilt
    CompactGroupFiles(group);
    return;
  }
  UnlinkEverywhere(group, file);
  FileRec** link = &group->firstFile;
  while (*link && *link != before) link = &(*link)->next;
  file->next = *link;  // an unknown 'before' appends
  *link = file;
  CompactGroupFiles(group);
}

// ---------------------------------------------------------------- lookup

OptionBlock* FindTargetOptions(OptionBlock* list, const TargetRec* target) {
  if (!target) return nullptr;
  for (OptionBlock* b = list; b; b = b->next) {
    if (!b->owner) continue;
    if (b->owner == target || b->owner->name.view() == target->name.view()) return b;
  }
  return nullptr;
}

FileRec* FindProjectFile(ProjectRec* project, const char* name, uint8_t type) {
  if (type == kFileLibrary || !name) return nullptr;
  return FindFile(project, [&](const FileRec& f) {
    return f.type != kFileLibrary && f.name.EqualsNoCase(name);
  });
}

FileRec* FindSourceFileByName(const char* name) {
  if (!name) return nullptr;
  return FindFile(ProjectWithTarget(), [&](const FileRec& f) {
    return IsSourceType(f.type) && f.name.EqualsNoCase(name);
  });
}

bool GetLinkerCodFilePath(std::string* out) {
  out->clear();
  const ProjectRec* project = theApp().m_pProject;
  const TargetRec* target = project ? project->curTarget : nullptr;
  if (!target || target->toolset != kToolset51 || !target->pOpts) return false;
  const OptionBlock& o = *target->pOpts;
  // The bits the device keywords MX and MXP set.
  if ((o.t51.T51FL & (kT51Mx15 | kT51Mx17)) == 0) return false;
  std::string name(o.out.OUTNAME.view());
  ChangeFileExt(name, "cod");
  const bool bothProjectFolder =
      IsProjectFolderText(o.lst.LSTDIR.c_str()) && IsProjectFolderText(o.out.OUTDIR.c_str());
  const std::string stored = bothProjectFolder ? name : std::string(o.lst.LSTDIR.view()) + name;
  *out = ExpandProjectPath(*project, stored.c_str());
  std::string local;
  PathResolver resolver;
  return resolver.ResolveStoredPath(*out, std::string_view(), &local, nullptr) &&
         ::access(local.c_str(), R_OK) == 0;
}

std::string ExpandProjectPath(const ProjectRec& project, const char* path) {
  std::string_view p = path ? path : "";
  bool absolute = (!p.empty() && IsSep(p[0])) || (p.size() >= 2 && p[1] == ':');
  std::string full = absolute ? std::string(p) : std::string(project.folder.view()) + std::string(p);
  // Drop "." components and fold ".." ones, keeping the separators used.
  std::vector<std::string> parts;
  std::vector<char> seps;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= full.size(); ++i) {
    if (i < full.size() && !IsSep(full[i])) continue;
    std::string part = full.substr(start, i - start);
    char sep = i < full.size() ? full[i] : '\0';
    if (part == "." && !parts.empty()) {
    } else if (part == ".." && !parts.empty() && parts.back() != ".." && !parts.back().empty() &&
               parts.back().back() != ':') {
      parts.pop_back();
      seps.pop_back();
    } else {
      parts.push_back(part);
      seps.push_back(sep);
    }
    start = i + 1;
  }
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    out += parts[i];
    if (seps[i]) out += seps[i];
  }
  return out;
}

FileRec* FindSourceFileByPath(const char* path) {
  ProjectRec* p = ProjectWithTarget();
  if (!p || !path) return nullptr;
  return FindFile(p, [&](const FileRec& f) {
    return IsSourceType(f.type) && SamePathNoCase(ExpandProjectPath(*p, f.path.c_str()), path);
  });
}

std::string FindSourceFileByBaseName(const char* name, std::string* pathOut) {
  if (pathOut) pathOut->clear();
  if (!name) return std::string();
  std::string_view base = WithoutExt(name);
  FileRec* f = FindFile(ProjectWithTarget(), [&](const FileRec& file) {
    return IsSourceType(file.type) && EqualNoCase(WithoutExt(file.name.view()), base);
  });
  if (!f) return std::string();
  if (pathOut) *pathOut = f->path.str();
  return f->name.str();
}

std::string GetOutputFileBase(const OptionBlock& work) {
  std::string base = IsProjectFolderText(work.out.OUTDIR.c_str()) ? std::string()
                                                                 : work.out.OUTDIR.str();
  base += work.out.OUTNAME.view();
  ChangeFileExt(base, "Sbr");
  return base;
}

// ---------------------------------------------------------------- file types

bool MatchFilterList(const char* filterList, const char* ext) {
  if (!filterList || !ext) return false;
  std::string_view list = filterList, text = ext;
  while (true) {
    std::size_t semi = list.find(';');
    std::string_view pattern = list.substr(0, semi);
    while (!pattern.empty() && pattern.front() == ' ') pattern.remove_prefix(1);
    while (!pattern.empty() && pattern.back() == ' ') pattern.remove_suffix(1);
    if (!pattern.empty() && pattern.front() == '*') pattern.remove_prefix(1);
    std::size_t i = 0, j = 0;
    bool matched = false;
    for (;; ++i, ++j) {
      if (i == pattern.size()) {
        matched = j == text.size();
        break;
      }
      if (pattern[i] == '*') {  // the rest of the text
        matched = true;
        break;
      }
      if (j == text.size()) break;
      if (pattern[i] != '?' && Lower(pattern[i]) != Lower(text[j])) break;
    }
    if (matched && !pattern.empty()) return true;
    if (semi == std::string_view::npos) return false;
    list.remove_prefix(semi + 1);
  }
}

uint8_t GetFileTypeOfExt(const char* ext) {
  ProjectRec* p = theApp().m_pProject;
  if (!p || !ext) return kFileUnknown;
  for (int i = 0; i < kFilterCount; ++i) {
    const char* filter = p->filters[i].empty() ? kFallbackFilters[i] : p->filters[i].c_str();
    if (MatchFilterList(filter, ext)) return kFilterTypes[i];
  }
  // The sources the 51, 251 and 166 families' own assemblers read (the
  // startup files "Startup.w51" and "Start167.w66" among them) are
  // assembler sources though the default filter does not name them: as an
  // unknown type they would be left out of the build.
  for (const char* own : {".w51", ".w251", ".w66"})
    if (EqualIgnoringCase(ext, own)) return kFileAsm;
  return kFileUnknown;
}

uint8_t GetFileTypeOfName(const char* name) {
  if (!name) return kFileUnknown;
  std::string_view n = name;
  std::size_t cut = n.find_last_of("./:\\");
  if (cut == std::string_view::npos || n[cut] != '.') return kFileUnknown;
  return GetFileTypeOfExt(name + cut);
}

const char* GetFileTypeName(uint8_t type) {
  return type < std::size(kFileTypeNames) ? kFileTypeNames[type] : kFileTypeNames[0];
}

std::string FileMembershipMessage(const FileRec* file, const char* extraText) {
  std::string text = "File '";
  text += file ? file->name.view() : "";
  text += "' is already a member of -\n   Group:\t'";
  text += (file && file->group) ? file->group->name.view() : "";
  text += "'\n   Type:\t";
  text += GetFileTypeName(file ? file->type : 0);
  text += '\n';
  if (extraText && *extraText) {
    text += '\n';
    text += extraText;
  }
  return text;
}

int CheckFileMembership(const FileRec* file, const char* extraText, int boxKind) {
  AppState& app = theApp();
  app.Shell().Beep();
  return app.Shell().MessageBox(FileMembershipMessage(file, extraText), boxKind);
}

// ---------------------------------------------------------------- copying

namespace {

FileRec* CopyFileDeep(const FileRec& src, GroupRec* group, int pool) {
  FileRec* f = PoolNew<FileRec>(pool);
  *f = src;
  f->pOpts = nullptr;
  f->next = nullptr;
  f->group = group;
  f->name = Dup(src.name, pool);
  f->path = Dup(src.path, pool);
  f->lastControls = Dup(src.lastControls, pool);
  f->includes = nullptr;
  FileRec** tail = &f->includes;
  for (const FileRec* inc = src.includes; inc; inc = inc->next) {
    FileRec* copy = PoolNew<FileRec>(pool);
    *copy = *inc;
    copy->name = Dup(inc->name, pool);
    copy->path = Dup(inc->path, pool);
    copy->lastControls = Dup(inc->lastControls, pool);
    copy->pOpts = nullptr;
    copy->includes = nullptr;
    copy->group = nullptr;
    copy->next = nullptr;
    *tail = copy;
    tail = &copy->next;
  }
  return f;
}

TargetRec* CopiedTargetNamed(TargetRec* first, OptString name) {
  for (TargetRec* t = first; t; t = t->next)
    if (t->name.view() == name.view()) return t;
  return nullptr;
}

// Copies a node's blocks whose target survives, re-pointed at the copy.
OptionBlock* CopyNodeBlocks(const OptionBlock* list, TargetRec* copiedTargets, int pool) {
  OptionBlock* head = nullptr;
  OptionBlock** tail = &head;
  for (const OptionBlock* b = list; b; b = b->next) {
    if (!b->owner) continue;
    TargetRec* owner = CopiedTargetNamed(copiedTargets, b->owner->name);
    if (!owner) continue;
    OptionBlock* copy = CopyOptionBlockDeep(*b, pool, owner);
    *tail = copy;
    tail = &copy->next;
  }
  return head;
}

}  // namespace

TargetRec* CopyTargetRec(const TargetRec* src, int pool) {
  if (!src) return nullptr;
  TargetRec* t = PoolNew<TargetRec>(pool);
  *t = *src;
  t->next = nullptr;
  t->copyLink = nullptr;
  for (OptString* s : {&t->name, &t->DEVICE, &t->VENDOR, &t->CPU, &t->RGF, &t->MEM, &t->C,
                       &t->A, &t->RL, &t->OH, &t->FLASHUT, &t->STUPF, &t->FLASHDR, &t->OPTLE,
                       &t->OPTLC, &t->ENVBIN, &t->ENVINC, &t->ENVLIB, &t->ENVREG, &t->ORGREG})
    *s = Dup(*s, pool);
  for (OptString& s : t->OPTDL) s = Dup(s, pool);
  for (BookSlot& b : t->books) {
    b.path = Dup(b.path, pool);
    b.title = Dup(b.title, pool);
  }
  TextListRec** tail = &t->OPTLI;
  *tail = nullptr;
  for (const TextListRec* n = src->OPTLI; n; n = n->next) {
    TextListRec* copy = PoolNew<TextListRec>(pool);
    copy->text = Dup(n->text, pool);
    *tail = copy;
    tail = &copy->next;
  }
  // The debug lists live in their own pool with the project; the copy
  // shares them.
  t->pOpts = src->pOpts ? CopyOptionBlockDeep(*src->pOpts, pool, t) : nullptr;
  return t;
}

ProjectRec* CopyProjectTree(const ProjectRec* src, int pool) {
  if (!src) return nullptr;
  ProjectRec* p = PoolNew<ProjectRec>(pool);
  *p = *src;
  p->name = Dup(src->name, pool);
  p->folder = Dup(src->folder, pool);
  for (OptString& f : p->filters) f = Dup(f, pool);
  p->firstTarget = p->lastTarget = p->curTarget = nullptr;
  p->firstGroup = p->lastGroup = nullptr;

  for (TargetRec* t = src->firstTarget; t; t = t->next) {
    if (t->flags & kTargetDeleted) continue;
    TargetRec* copy = CopyTargetRec(t, pool);
    if (p->lastTarget)
      p->lastTarget->next = copy;
    else
      p->firstTarget = copy;
    p->lastTarget = copy;
  }
  if (src->curTarget) p->curTarget = CopiedTargetNamed(p->firstTarget, src->curTarget->name);
  // A current target that was deleted hands over to the first one left.
  if (!p->curTarget) p->curTarget = p->firstTarget;

  for (GroupRec* g = src->firstGroup; g; g = g->next) {
    if (g->flags & kGroupDeleted) continue;
    GroupRec* gc = PoolNew<GroupRec>(pool);
    *gc = *g;
    gc->name = Dup(g->name, pool);
    gc->next = nullptr;
    gc->firstFile = gc->lastFile = nullptr;
    gc->pOpts = CopyNodeBlocks(g->pOpts, p->firstTarget, pool);
    for (FileRec* f = g->firstFile; f; f = f->next) {
      if (f->flags & kFileRemoved) continue;
      FileRec* fc = CopyFileDeep(*f, gc, pool);
      fc->pOpts = CopyNodeBlocks(f->pOpts, p->firstTarget, pool);
      if (gc->lastFile)
        gc->lastFile->next = fc;
      else
        gc->firstFile = fc;
      gc->lastFile = fc;
    }
    if (p->lastGroup)
      p->lastGroup->next = gc;
    else
      p->firstGroup = gc;
    p->lastGroup = gc;
  }
  return p;
}

// ---------------------------------------------------------------- editing

void SelectEditedOptions(NodeRec* node) {
  AppState& app = theApp();
  app.m_pEditTargetOpts = app.m_pEditGroupOpts = app.m_pEditFileOpts = nullptr;
  ProjectRec* p = app.m_pProject;
  TargetRec* target = p ? p->curTarget : nullptr;
  if (!target) return;
  app.m_pEditTargetOpts = target->pOpts;
  if (!node) return;
  if (node->kind == kKindGroup) {
    app.m_pEditGroupOpts = FindTargetOptions(node->pOpts, target);
  } else if (node->kind == kKindFile) {
    FileRec* f = static_cast<FileRec*>(node);
    if (f->group) app.m_pEditGroupOpts = FindTargetOptions(f->group->pOpts, target);
    app.m_pEditFileOpts = FindTargetOptions(node->pOpts, target);
  }
}

}  // namespace pm2
