// Opening, saving and closing a project through one path.
//
// A file whose first line is the project-file banner is read as a project
// file of this format (project_file.h); any other file as a binary project
// of the previous generation (binary_project.h), which a later save writes
// in the current format. After a successful open the project's folder is
// the folder it was opened from and the file watcher watches the file.
// Opening creates no file and no folder.
#pragma once

#include <string>

#include "project/files/project_file.h"

namespace pm2 {

struct ProjectRec;
class Disk;
class FileWatch;

class OldProjectProbe {
 public:
  // `watcher` and `disk` may be null (no watch; the real disk).
  explicit OldProjectProbe(FileWatch* watcher = nullptr, Disk* disk = nullptr)
      : m_watcher(watcher), m_disk(disk) {}

  // Builds the path (from the open project's folder and name with "pm2",
  // else from path) and the base name; mode 1: a missing file gives 2;
  // mode 2: a read-only file gives 3. Returns 0, 2 or 3.
  int Check(const ProjectRec* open, const std::string& path, int mode);
  // Writes the probe's project in the current format; keeps and returns
  // the error code.
  int SaveProject();

  std::string path;      // the project file
  std::string folder;    // up to and including the last '/', '\' or ':'
  std::string baseName;  // the file name up to its first '.'
  bool readOnly = false;
  int mode = 0;
  int error = 0;
  std::string message;   // why the last step failed, naming the file
  ProjectRec* project = nullptr;
  // Asked by SaveProject when the project file on disk is read-only, and
  // when the project or options file is a symbolic link.
  SaveProjectAsHook saveProjectAs;
  WriteThroughLinkHook writeThroughLink;

  FileWatch* watcher() const { return m_watcher; }
  Disk* disk() const { return m_disk; }

 private:
  FileWatch* m_watcher;
  Disk* m_disk;
};

// Reads the project named by probe.path in either format into
// probe.project; returns the error code (binary_project.h's codes, or 2
// and 8 of the project-file reader).
int ImportOldBinaryProject(OldProjectProbe& probe);

// Opens the project file at path and makes it theApp().m_pProject.
// Returns 0 or an error code; *message (may be null) tells why.
int OpenProjectFile(const std::string& path, std::string* message = nullptr,
                    FileWatch* watcher = nullptr);
// Saves the open project (or the given one) in the current format; on
// failure *message names the file ("Can't update '%s'" is the shell's).
int SaveProjectFiles(ProjectRec* project = nullptr, std::string* message = nullptr,
                     Disk* disk = nullptr);
// The same with the shell's question for a read-only project file.
int SaveProjectFiles(ProjectRec* project, std::string* message, Disk* disk,
                     SaveProjectAsHook saveProjectAs);
// The same with the shell's question for a file that is a symbolic link
// too (project_file.h); without it such a file is not written.
int SaveProjectFiles(ProjectRec* project, std::string* message, Disk* disk, SaveProjectAsHook saveProjectAs,
                     WriteThroughLinkHook writeThroughLink);

}  // namespace pm2
