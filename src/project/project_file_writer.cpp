#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "project/buffered_file.h"
#include "project/file_watcher.h"
#include "project/option_block.h"
#include "project/project_file.h"
#include "project/project_keys.h"
#include "project/project_lines.h"
#include "project/project_records.h"

namespace pm2 {

namespace {

const char* const kToolsetNames[kToolsetCount] = {"MCS-51", "MCS-251", "166/167", "ARM-GNU",
                                                   "ARM-ADS"};

bool TargetRemoved(const TargetRec* t) { return (t->flags & kTargetDeleted) != 0; }
bool GroupRemoved(const GroupRec* g) { return (g->flags & kGroupDeleted) != 0; }
bool FileRemoved(const FileRec* f) { return (f->flags & kFileRemoved) != 0; }

// The node's own block for the target (by owner).
OptionBlock* OwnBlock(const NodeRec* node, const TargetRec* target) {
  for (OptionBlock* b = node->pOpts; b; b = b->next) {
    if (b->owner == target) return b;
  }
  return nullptr;
}

void WriteBlock(ProjectLineWriter& w, int t, int g, int f, const char* kind, const char* name,
                TargetRec* target, OptionBlock* block, int nodeKind, uint8_t fileType) {
  w.Linef("Options %d,%d,%d  // %s '%s'", t, g, f, kind, name);
  if (target->toolset < kToolsetCount) {
    WriteOptionKeyLines(w, target, block, nodeKind, fileType);
  }
  w.Line("EndOpt");
  w.Empty();
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

}  // namespace

const char* ToolsetDisplayName(uint16_t toolset) {
  return toolset < kToolsetCount ? kToolsetNames[toolset] : "<unspecified>";
}

void ProjectNumbering::Build(const ProjectRec& project) {
  targets.clear();
  groups.clear();
  files.clear();
  fileGroup.clear();
  for (TargetRec* t = project.firstTarget; t; t = t->next) {
    if (!TargetRemoved(t)) targets.push_back(t);
  }
  for (GroupRec* g = project.firstGroup; g; g = g->next) {
    if (GroupRemoved(g)) continue;
    groups.push_back(g);
    for (FileRec* f = g->firstFile; f; f = f->next) {
      if (FileRemoved(f)) continue;
      files.push_back(f);
      fileGroup.push_back(int(groups.size()));
    }
  }
}

int ProjectNumbering::TargetNumber(const TargetRec* t) const {
  auto it = std::find(targets.begin(), targets.end(), t);
  return it == targets.end() ? 0 : int(it - targets.begin()) + 1;
}

int ProjectNumbering::GroupNumber(const GroupRec* g) const {
  auto it = std::find(groups.begin(), groups.end(), g);
  return it == groups.end() ? 0 : int(it - groups.begin()) + 1;
}

std::string BuildProjectFileText(ProjectRec& project) {
  ProjectNumbering n;
  n.Build(project);
  std::string out;
  out.reserve(64 * 1024);
  ProjectLineWriter w(out);
  w.Header();
  for (TargetRec* t : n.targets) {
    w.Linef("Target (%s), 0x%04X // Tools: '%s'", t->name.c_str(), unsigned(t->toolset),
            ToolsetDisplayName(t->toolset));
  }
  w.Empty();
  for (GroupRec* g : n.groups) w.Linef("Group (%s)", g->name.c_str());
  w.Empty();
  for (std::size_t i = 0; i < n.files.size(); ++i) {
    FileRec* f = n.files[i];
    w.Linef("File %d,%d,<%s><%s> 0x%X ", n.fileGroup[i], int(f->type), f->path.c_str(),
            f->name.c_str(), unsigned(f->time));
  }
  w.Empty();
  w.Empty();

  for (std::size_t ti = 0; ti < n.targets.size(); ++ti) {
    TargetRec* t = n.targets[ti];
    if (t->toolset == kToolsetUndefined || !t->pOpts) continue;
    WriteBlock(w, int(ti + 1), 0, 0, "Target", t->name.c_str(), t, t->pOpts, kKindTarget, 0);
  }
  for (std::size_t ti = 0; ti < n.targets.size(); ++ti) {
    TargetRec* t = n.targets[ti];
    for (std::size_t gi = 0; gi < n.groups.size(); ++gi) {
      if (OptionBlock* b = OwnBlock(n.groups[gi], t)) {
        WriteBlock(w, int(ti + 1), int(gi + 1), 0, "Group", n.groups[gi]->name.c_str(), t, b,
                   kKindGroup, 0);
      }
    }
  }
  for (std::size_t ti = 0; ti < n.targets.size(); ++ti) {
    TargetRec* t = n.targets[ti];
    for (std::size_t fi = 0; fi < n.files.size(); ++fi) {
      FileRec* f = n.files[fi];
      if (OptionBlock* b = OwnBlock(f, t)) {
        WriteBlock(w, int(ti + 1), n.fileGroup[fi], int(fi + 1), "File", f->name.c_str(), t, b,
                   kKindFile, f->type);
      }
    }
  }
  return out;
}

std::string BuildOptionsFileText(ProjectRec& project) {
  std::string out;
  WriteOptionsText(out, project);
  return out;
}

std::string ProjectSiblingPath(const ProjectRec& project, const char* ext) {
  std::string folder = ToForwardSlashes(project.folder.view());
  std::string name = project.name.str() + "." + ext;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir) {
    std::string found;
    while (dirent* e = ::readdir(dir)) {
      if (std::strcmp(e->d_name, name.c_str()) == 0) {
        found.clear();
        break;
      }
      if (found.empty() && SamePathIgnoringCase(e->d_name, name)) found = e->d_name;
    }
    ::closedir(dir);
    if (!found.empty()) name = found;
  }
  return folder + name;
}

namespace {

// Writes text to path with a backup when it differs from the file; returns
// the error code.
int SaveWhenChanged(ProjectFileIo& io, const std::string& text) {
  BufferedFile file(io.disk());
  file.SetPath(io.path);
  file.Append(text);
  if (!file.DiffersFromDisk()) return kProjectFileOk;
  int rc = file.WriteWithBackup();
  if (rc != kBufferedWriteOk) {
    io.message = file.LastError();
    return rc;
  }
  return kProjectFileOk;
}

}  // namespace

int WriteProjectFiles(ProjectFileIo& io, ProjectRec* project) {
  if (io.watcher()) io.watcher()->Stop();
  io.error = kProjectFileOk;
  io.message.clear();
  io.path = ProjectSiblingPath(*project, "Pm2");
  bool readOnly = IsReadOnlyFile(io.path);

  std::string text = BuildProjectFileText(*project);
  int first = kProjectFileOk;
  BufferedFile probe(io.disk());
  probe.SetPath(io.path);
  probe.Append(text);
  if (probe.DiffersFromDisk()) {
    if (readOnly) {
      if (!io.saveProjectAs) {
        io.message = "'" + io.path + "' is read-only";
        io.error = kProjectFileReadOnly;
        return io.error;
      }
      if (!io.saveProjectAs(project)) return kProjectFileOk;  // the user refused
      io.path = ProjectSiblingPath(*project, "Pm2");
      text = BuildProjectFileText(*project);
    }
    first = SaveWhenChanged(io, text);
  }
  std::string projectPath = io.path;
  std::string projectMessage = io.message;

  // The options file is written even when the project file failed, so
  // the user loses as little as possible; the first error is reported.
  io.path = ProjectSiblingPath(*project, "Opt");
  int second = SaveWhenChanged(io, BuildOptionsFileText(*project));
  if (first != kProjectFileOk) {
    io.path = projectPath;
    io.message = projectMessage;
    io.error = first;
  } else {
    io.error = second;
  }
  return io.error;
}

}  // namespace pm2
