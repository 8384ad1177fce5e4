#include "project/files/project_open.h"
#include "project/files/stored_file_read.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "project/files/binary_project.h"
#include "project/files/file_watcher.h"
#include "project/files/project_file.h"
#include "project/files/project_lines.h"
#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

// Points the project at the folder it was opened from. Returns an error
// code. (Its targets' output and listing folders are made by the build
// that writes into them: opening a project creates nothing, wherever its
// options name those folders.)
int FixFolders(OldProjectProbe& probe) {
  ProjectRec* p = probe.project;
  if (!probe.folder.empty()) {
    std::error_code ec;
    if (!std::filesystem::is_directory(ToForwardSlashes(probe.folder), ec)) {
      probe.message = "Can't use folder '" + probe.folder + "'";
      return kBinBadFolder;
    }
  }
  std::string joined = p->folder.str() + p->name.str();
  std::string pathNoExt = probe.path.substr(0, probe.path.size() - FileNamePart(probe.path).size()) +
                          probe.baseName;
  if (!SamePathIgnoringCase(joined, pathNoExt)) {
    // A file opened by a bare name lies in the current directory: its
    // project has no folder, rather than keeping the one stored in it.
    p->folder = probe.folder.empty() ? OptString() : OptString::Pooled(probe.folder, kPoolProject);
  }
  return kBinOk;
}

}  // namespace

int OldProjectProbe::Check(const ProjectRec* open, const std::string& pathIn, int checkMode) {
  mode = checkMode;
  if (open) {
    // The save writes "<name>.Pm2"; an existing file differing only in
    // case is the project's file too.
    path = ProjectSiblingPath(*open, "pm2");
    folder.clear();
  } else {
    path = pathIn;
    folder = std::string(FolderPart(path));
  }
  std::string_view file = FileNamePart(path);
  baseName = std::string(file.substr(0, file.find('.')));
  struct stat st;
  bool exists = ::stat(path.c_str(), &st) == 0;
  readOnly = exists && (st.st_mode & 0222) == 0;
  if (mode == 1 && !exists) return kBinCannotOpen;
  if (mode == 2 && readOnly) return kBinReadOnly;
  return kBinOk;
}

int ImportOldBinaryProject(OldProjectProbe& probe) {
  probe.error = kBinOk;
  probe.project = nullptr;
  probe.message.clear();
  std::string data;
  std::string err;
  if (!ReadStoredFile(probe.path, kStoredTextFileMax, data, &err)) {
    probe.message = err;
    probe.error = kBinCannotOpen;
  } else if (data.empty() || IsCutBanner(data)) {
    // A project file cut off before its header ends: said as the text's,
    // not taken for a binary project.
    probe.message = "'" + probe.path + "' line 1: " + BannerFault(data, "project");
    probe.error = kBinBadHeader;
  } else if (HasProjectBanner(data)) {
    // Text projects written with LF endings are accepted too.
    ProjectFileIo io;
    probe.error = ReadProjectFile(io, probe.path);
    probe.message = io.message;
    if (probe.error == kProjectFileOk) {
      probe.project = io.project;
      if (probe.readOnly) probe.project->flags |= kProjectReadOnly;
      probe.error = FixFolders(probe);
    }
  } else {
    ProjectRec* p = nullptr;
    std::string why;
    probe.error = ReadBinaryProject(data, probe.readOnly, &p, probe.baseName, &why);
    probe.project = p;
    // A file with no project record holds no project to open.
    if (probe.error == kBinOk && !p) probe.error = kBinBadHeader;
    if (probe.error == kBinOk) {
      p->name = OptString::Pooled(probe.baseName, kPoolProject);
      probe.error = FixFolders(probe);
    } else if (probe.message.empty()) {
      // What is wrong and where (the record, its byte, the field).
      probe.message = why.empty() ? "'" + probe.path + "' is no valid project (error " + std::to_string(probe.error) + ")"
                                  : "'" + probe.path + "' is no valid project: " + why;
    }
  }
  if (probe.watcher()) {
    if (probe.error == kBinOk) probe.watcher()->Watch(probe.path); else probe.watcher()->Stop();
  }
  return probe.error;
}

int OldProjectProbe::SaveProject() {
  ProjectFileIo io(m_disk, m_watcher);
  io.saveProjectAs = saveProjectAs;
  io.writeThroughLink = writeThroughLink;
  error = project ? WriteProjectFiles(io, project) : kProjectFileOk;
  message = io.message;
  if (error && message.empty()) message = "Can't write project file '" + io.path + "' !";
  return error;
}

int OpenProjectFile(const std::string& path, std::string* message, FileWatch* watcher) {
  OldProjectProbe probe(watcher);
  int rc = probe.Check(nullptr, path, 1);
  if (rc == kBinOk) rc = ImportOldBinaryProject(probe);
  else probe.message = "'" + path + "' not found";
  if (message) *message = probe.message;
  if (rc == kBinOk) theApp().m_pProject = probe.project;
  return rc;
}

int SaveProjectFiles(ProjectRec* project, std::string* message, Disk* disk) {
  return SaveProjectFiles(project, message, disk, nullptr);
}

int SaveProjectFiles(ProjectRec* project, std::string* message, Disk* disk,
                     SaveProjectAsHook saveProjectAs) {
  return SaveProjectFiles(project, message, disk, std::move(saveProjectAs), nullptr);
}

int SaveProjectFiles(ProjectRec* project, std::string* message, Disk* disk, SaveProjectAsHook saveProjectAs,
                     WriteThroughLinkHook writeThroughLink) {
  OldProjectProbe probe(nullptr, disk);
  probe.saveProjectAs = std::move(saveProjectAs);
  probe.writeThroughLink = std::move(writeThroughLink);
  probe.project = project ? project : theApp().m_pProject;
  int rc = probe.SaveProject();
  if (message) *message = probe.message;
  return rc;
}

}  // namespace pm2
