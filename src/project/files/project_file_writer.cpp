#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "project/files/buffered_file.h"
#include "project/files/file_watcher.h"
#include "project/files/project_file.h"
#include "project/files/project_keys.h"
#include "project/files/project_lines.h"
#include "project/files/stored_texts.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"

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

std::string LinkedFileText(const std::string& link, const std::string& target) {
  return "'" + link + "' is a link to '" + target + "'";
}

const char* ToolsetDisplayName(uint16_t toolset) {
  return toolset < kToolsetCount ? kToolsetNames[toolset] : "<unspecified>";
}

void NumberProjectRecords(ProjectRec& project) {
  uint16_t n = 0;
  for (TargetRec* t = project.firstTarget; t; t = t->next) {
    t->number = TargetRemoved(t) ? 0 : ++n;
  }
  uint32_t groups = 0, files = 0;
  for (GroupRec* g = project.firstGroup; g; g = g->next) {
    bool groupGone = GroupRemoved(g);
    g->number = groupGone ? 0 : ++groups;
    for (FileRec* f = g->firstFile; f; f = f->next) {
      f->number = (groupGone || FileRemoved(f)) ? 0 : ++files;
    }
  }
}

std::string BuildProjectFileText(ProjectRec& project) {
  NumberProjectRecords(project);
  std::string out;
  out.reserve(64 * 1024);
  ProjectLineWriter w(out);
  w.Header();
  for (TargetRec* t = project.firstTarget; t; t = t->next) {
    if (!t->number) continue;
    w.Linef("Target (%s), 0x%04X // Tools: '%s'", t->name.c_str(), unsigned(t->toolset),
            ToolsetDisplayName(t->toolset));
  }
  w.Empty();
  for (GroupRec* g = project.firstGroup; g; g = g->next) {
    if (g->number) w.Linef("Group (%s)", g->name.c_str());
  }
  w.Empty();
  for (GroupRec* g = project.firstGroup; g; g = g->next) {
    for (FileRec* f = g->firstFile; f && g->number; f = f->next) {
      if (!f->number) continue;
      w.Linef("File %u,%d,<%s><%s> 0x%X ", unsigned(g->number), int(f->type), f->path.c_str(),
              f->name.c_str(), unsigned(f->time));
    }
  }
  w.Empty();
  w.Empty();

  for (TargetRec* t = project.firstTarget; t; t = t->next) {
    if (!t->number) continue;
    // A target whose toolset is not chosen yet still gets its (empty) block:
    // without one the reader would drop the target, and a new project saved
    // before a device is chosen could not be opened again.
    if (t->toolset != kToolsetUndefined && !t->pOpts) continue;
    WriteBlock(w, t->number, 0, 0, "Target", t->name.c_str(), t, t->pOpts, kKindTarget, 0);
  }
  for (TargetRec* t = project.firstTarget; t; t = t->next) {
    if (!t->number) continue;
    for (GroupRec* g = project.firstGroup; g; g = g->next) {
      if (!g->number) continue;
      if (OptionBlock* b = OwnBlock(g, t)) {
        WriteBlock(w, t->number, g->number, 0, "Group", g->name.c_str(), t, b, kKindGroup, 0);
      }
    }
  }
  for (TargetRec* t = project.firstTarget; t; t = t->next) {
    if (!t->number) continue;
    for (GroupRec* g = project.firstGroup; g; g = g->next) {
      for (FileRec* f = g->firstFile; f && g->number; f = f->next) {
        if (!f->number) continue;
        if (OptionBlock* b = OwnBlock(f, t)) {
          WriteBlock(w, t->number, g->number, f->number, "File", f->name.c_str(), t, b,
                     kKindFile, f->type);
        }
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

// The text of the symbolic link at `path`; false when it is none (a
// disk of the tests' own has no links).
bool IsLinkOnDisk(const ProjectFileIo& io, const std::string& path, std::string* target) {
  struct stat st;
  if (io.disk() || ::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
  *target = BufferedFile::FileBehindLinks(path);
  return true;
}

// Writes text to path with a backup when it differs from the file; returns
// the error code.
int SaveWhenChanged(ProjectFileIo& io, const std::string& text) {
  BufferedFile file(io.disk());
  file.SetPath(io.path);
  file.Append(text);
  if (!file.DiffersFromDisk()) return kProjectFileOk;
  if (std::string target; IsLinkOnDisk(io, io.path, &target)) {
    if (!io.writeThroughLink) {
      io.message = LinkedFileText(io.path, target) +
                   ": the project's files are saved in the project's folder only, so it was not written";
      return kProjectFileLinkRefused;
    }
    if (!io.writeThroughLink(io.path, target)) return kProjectFileOk;  // the user declined
    file.FollowLinks(true);
  }
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
  // A text the readers would take back as another one is not written:
  // both files stay as they were and the message names the text.
  if (std::string why = ProjectTextRefusal(*project, true); !why.empty()) {
    io.message = std::move(why);
    io.error = kProjectFileTextRefused;
    return io.error;
  }
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
