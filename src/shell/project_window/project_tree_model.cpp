#include "shell/project_window/project_tree_model.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

#include "builder/driver/dependency_file.h"
#include "platform/win_path.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"

namespace pm2 {

namespace {

// The 2-bit include-in-build state of a block; 1 when there is none.
int BuildState(const OptionBlock* block) { return block ? block->prop.flags.INCBLD : 1; }

int FileImage(const FileRec& file, const TargetRec* target) {
  if (file.type == kFileText) return 4;
  const OptionBlock* groupBlock = file.group ? FindTargetOptions(file.group->pOpts, target) : nullptr;
  const OptionBlock* fileBlock = file.group ? FindTargetOptions(file.pOpts, target) : nullptr;
  int groupState = BuildState(groupBlock);
  if (groupState == kInherit2Bit) groupState = 1;
  if (!fileBlock) return groupBlock ? 4 + groupState : 5;
  int state = BuildState(fileBlock);
  if (state == kInherit2Bit) state = groupState;
  return 6 + state;
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string FileNameOf(const std::string& path) {
  std::size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

FileProbe RealFileProbe() {
  return [](const std::string& path, bool* readOnly) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    *readOnly = ::access(path.c_str(), W_OK) != 0;
    return true;
  };
}

std::string LocalFilePath(const ProjectRec& project, const std::string& stored) {
  static const DriveMap kNoDrives;
  std::string folder = project.folder.str();
  std::string local, why;
  if (!ToLocalPath(stored, folder.empty() ? "./" : ToForwardSlashes(folder), kNoDrives, &local, &why)) return {};
  return local;
}

std::string LocalFilePath(const ProjectRec& project, const FileRec& file) {
  return LocalFilePath(project, file.path.str());
}

int GetNodeImage(const ProjectRec& project, NodeRec* record, bool expanded, const TargetRec* target,
                 const FileProbe& probe) {
  if (!record) return 5;
  if (record->kind == kKindTarget || record->kind == kKindGroup) {
    const OptionBlock* own = record->kind == kKindTarget ? record->pOpts : FindTargetOptions(record->pOpts, target);
    return (expanded ? 1 : 0) + (own ? 2 : 0);
  }
  auto* file = static_cast<FileRec*>(record);
  int readOnlyAdd = 0;
  std::string local = LocalFilePath(project, *file);
  if (!local.empty()) {
    bool readOnly = false;
    if (!probe(local, &readOnly)) {
      file->flags |= kFileMissing;
      return kImageMissing;
    }
    file->flags &= uint8_t(~kFileMissing);
    if (readOnly) readOnlyAdd = 4;
  }
  if (!file->group) return 5 + readOnlyAdd;  // an include entry
  return FileImage(*file, target) + readOnlyAdd;
}

ProjectTree BuildProjectTree(ProjectRec* project, bool includes, const FileProbe& probe) {
  ProjectTree tree;
  if (!project || !project->curTarget) return tree;
  TargetRec* target = project->curTarget;
  while (target && (target->flags & kTargetDeleted)) target = target->next;
  project->curTarget = target;
  if (!target) return tree;

  auto add = [&](int parent, std::string text, int image, NodeRec* rec, bool expanded) {
    ProjectTreeRow row;
    row.parent = parent;
    row.text = std::move(text);
    row.image = image;
    row.record = rec;
    row.expanded = expanded;
    tree.rows.push_back(std::move(row));
    return int(tree.rows.size()) - 1;
  };
  // A project that never recorded an open node shows its groups open; the
  // records stay as they are until the user opens or closes a node.
  bool anyOpen = (target->flags & kNodeExpanded) != 0;
  for (GroupRec* g = project->firstGroup; g && !anyOpen; g = g->next)
    anyOpen = !(g->flags & kGroupDeleted) && (g->flags & kNodeExpanded);
  auto isOpen = [&](uint32_t flags) { return !anyOpen || (flags & kNodeExpanded) != 0; };
  bool targetOpen = isOpen(target->flags);
  int targetRow = add(-1, target->name.str(), GetNodeImage(*project, target, targetOpen, target, probe), target,
                      targetOpen);
  tree.selected = targetRow;
  for (GroupRec* g = project->firstGroup; g; g = g->next) {
    if (g->flags & kGroupDeleted) continue;
    bool groupOpen = isOpen(g->flags);
    int groupRow = add(targetRow, g->name.str(), GetNodeImage(*project, g, groupOpen, target, probe), g, groupOpen);
    for (FileRec* f = g->firstFile; f; f = f->next) {
      if (f->flags & kFileRemoved) continue;
      f->treeItem = 0;
      bool open = (f->flags & kFileIncludesShown) != 0;
      int fileRow = add(groupRow, f->name.str(), GetNodeImage(*project, f, false, target, probe), f, false);
      if (!includes) continue;
      int added = 0;
      for (FileRec* inc = f->includes; inc; inc = inc->next) {
        inc->flags |= kFileIncludeEntry;
        add(fileRow, Lower(inc->name.str()), GetNodeImage(*project, inc, false, target, probe), inc, false);
        ++added;
      }
      if (!f->includes) {
        for (DepIncludeRec* d = f->depIncludes; d; d = d->next) {
          std::string local = LocalFilePath(*project, d->path.str());
          bool readOnly = false;
          int image = local.empty() || probe(local, &readOnly) ? 5 + (readOnly ? 4 : 0) : kImageMissing;
          int row = add(fileRow, Lower(FileNameOf(d->path.str())), image, nullptr, false);
          tree.rows[row].includePath = local;
          ++added;
        }
      }
      if (added == 0) f->flags &= uint8_t(~kFileIncludesShown);
      tree.rows[fileRow].expanded = open && added > 0;
    }
  }
  return tree;
}

}  // namespace pm2
