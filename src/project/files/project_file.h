// The project file "<folder><name>.Pm2" and the options file beside it
// ("<folder><name>.Opt"): one reader and one writer for both.
//
// Layout of the project file (all lines CR LF, see project_lines.h for the
// grammar): the 64-byte header; one "Target (%s), 0x%04X // Tools: '%s'"
// line per target and an empty line; one "Group (%s)" line per group and
// an empty line; one "File %d,%d,<%s><%s> 0x%X " line per file (group
// number, type, full path, name, time stamp) and two empty lines; then the
// option blocks "Options t,g,f  // Kind 'name'" ... "EndOpt" (targets, then
// per target the groups' and then the files' own blocks). Targets, groups
// and files are numbered from 1 in list order, removed records left out.
// The tail after "//" is for people and is not read back. A target or group
// line whose name is not closed, or whose fields go on past where the line
// gives them (a name's leftover taken for the toolset), is refused naming
// its line; so are those of the options file ("Target", "GRPOPT",
// "TARGOPT"). A name with a bracket without its partner is refused where it
// is given, since it could not be read back.
//
// Saving writes both files atomically, each with a backup of the old one
// (BufferedFile), and leaves a file whose text is unchanged untouched.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

struct ProjectRec;
struct TargetRec;
struct GroupRec;
struct FileRec;
class Disk;
class FileWatch;

// Error codes of reading and writing.
enum ProjectFileError : int {
  kProjectFileOk = 0,
  kProjectFileCannotOpen = 2,  // the file could not be opened or mapped
  kProjectFileReadOnly = 3,    // the file exists and is read-only
  kProjectFileBadContents = 8, // the file's contents are wrong
  kProjectFileTextRefused = 9, // a text would read back as another (message names it); nothing written
  kProjectFileLinkRefused = 10, // the file is a symbolic link and no one said to write through it
};

// Numbers the targets, groups and files as the project file refers to
// them: 1, 2, 3 ... in list order (files across all groups), records
// marked deleted or removed, and the files of a deleted group, get 0.
void NumberProjectRecords(ProjectRec& project);

// The shell's "save under a different name" question, asked when the
// project file on disk is read-only and its text has to change. It asks
// the user, lets them choose a new name, moves the project to it (folder
// and name), clears the project's read-only flag and returns true; false
// on No or Cancel, which ends the save with nothing written and result 0.
// Without a hook such a save fails with error 3.
using SaveProjectAsHook = std::function<bool(ProjectRec* project)>;

// The shell's question when the project or options file is a symbolic
// link (`link`, naming `target`) and its text has to change: a project
// made by someone else may link its files to any file of the user's. True
// writes through the link (the target and a backup beside it); false
// leaves both as they are, the save of that file declined with result 0.
// Without a hook (a build from the command line, a peer) the file is not
// written: error 10, the message naming the link and its target.
using WriteThroughLinkHook = std::function<bool(const std::string& link, const std::string& target)>;

// "'<link>' is a link to '<target>'" for the messages about such a file.
std::string LinkedFileText(const std::string& link, const std::string& target);

// One save or one open.
class ProjectFileIo {
 public:
  // `disk` (for writes) must outlive the object; null means the real disk.
  // `watcher`, when given, is stopped before a save.
  explicit ProjectFileIo(Disk* disk = nullptr, FileWatch* watcher = nullptr)
      : m_disk(disk), m_watcher(watcher) {}

  int error = kProjectFileOk;
  std::string path;          // the file being read or written
  std::string message;       // why the last step failed, naming the file
  ProjectRec* project = nullptr;
  int pool = 1;              // pool of records and strings read

  SaveProjectAsHook saveProjectAs;
  WriteThroughLinkHook writeThroughLink;

  Disk* disk() const { return m_disk; }
  FileWatch* watcher() const { return m_watcher; }

 private:
  Disk* m_disk;
  FileWatch* m_watcher;
};

// The texts of the two files as a save would write them.
std::string BuildProjectFileText(ProjectRec& project);
std::string BuildOptionsFileText(ProjectRec& project);

// The path of one of the project's files: folder + name + "." + ext, or an
// existing file of that name in the folder that differs only in case.
std::string ProjectSiblingPath(const ProjectRec& project, const char* ext);

// Writes the project file and then the options file, each only when its
// text differs from the file on disk, and in the project's folder only: a
// file that is a symbolic link is written through it only when the hook
// says so (see WriteThroughLinkHook). A project holding a text that would
// read back different (ProjectTextRefusal) writes neither: error 9, the
// refusal in io.message. Returns the first error (0 when
// nothing failed); the options file is written even when the project file
// failed. A caller that gets an error shows "Can't update '%s'" with
// io.path.
int WriteProjectFiles(ProjectFileIo& io, ProjectRec* project);

// Reads the project file at path and the options file beside it into a
// new project in pool 1 (io.project). Returns 0, 2 or 8.
int ReadProjectFile(ProjectFileIo& io, const std::string& path);

// Parses a project text (header included) into io.project; the options
// text, when not null, is read after it. A line either text holds that the
// reader leaves out (a project-file line of no key of the format, see
// ReadOptionsText for the options file) is said once per file
// (SayDroppedLines): the next save writes the file without it. Used by ReadProjectFile and by
// tests and fuzzers that have no file.
int ReadProjectText(ProjectFileIo& io, const std::string& path, std::string_view text,
                    const std::string_view* optionsText);

// The options file's part of a save and of an open.
void WriteOptionsText(std::string& out, ProjectRec& project);
// The reader finds records by the numbers they carry (those of the
// project file read before it, or of NumberProjectRecords).
int ReadOptionsText(ProjectRec& project, std::string_view text);
// The same; a value that is not a number where the format has one refuses
// the text with the line in *message ("line 7: the value of 'CLK51' is not
// a number").
int ReadOptionsText(ProjectRec& project, std::string_view text, std::string* message);
// The same; each line it leaves out is added to *dropped (ProjectLineReader::
// Described): a line of no key the format has, a line of a target's
// section outside any section, and the section of a target the project
// does not have (its "TargOpt" line standing for all of its lines).
int ReadOptionsText(ProjectRec& project, std::string_view text, std::string* message,
                    std::vector<std::string>* dropped);

// Says once, in a message box, that the file at `path` is damaged and
// which of its lines a reader left out; nothing when none was.
void SayDroppedLines(const std::string& path, const std::vector<std::string>& dropped);

// Shell names of the toolsets ("MCS-51" ... "ARM-ADS", "<unspecified>").
const char* ToolsetDisplayName(uint16_t toolset);

}  // namespace pm2
