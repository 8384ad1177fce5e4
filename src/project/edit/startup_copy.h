// The copy of a device's startup file into a new project: which file, from
// where, to where, the user's questions, and adding it to the first group.
//
// The target's startup-file setting (STUPF, from the device's SFILE) names
// the file below the toolset's root folder: the library folder up to the
// separator before its "LIB" folder. Its first word (quoted or up to the
// first blank) is the file, its last path component the name the project
// gets. The copy is written whole or not at all; the file is added to the
// project only after the copy succeeded.
#pragma once

#include <cstdint>
#include <string>

namespace pm2 {

class Disk;
struct ProjectRec;
struct TargetRec;

inline constexpr const char* kStartupCopyQuestion = "Copy %s to Project Folder and Add File to Project ?";
inline constexpr const char* kStartupOverwriteQuestion = "File '%s' already exists, overwrite ?";
inline constexpr const char* kStartupCopyFailed = "Could not copy Startup File to Project Folder";
inline constexpr const char* kStartupFileMissing = "Startup file '%s' of device '%s' not found: nothing was copied";

// What the copy asks of the user.
class StartupCopyUser {
 public:
  virtual ~StartupCopyUser() = default;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // An error: beep and message.
  virtual void Report(const std::string& text) = 0;
};

enum class StartupPlan {
  kOffer,            // the copy can be offered
  kNoTarget,         // no project, target or first group
  kNoSetting,        // the device names no startup file
  kNoRootFolder,     // no library folder, or none with a "LIB" part
  kSourceMissing,    // the device's startup file is not in the tools folder
  kAlreadyInProject  // a file of that name is in the project (any group)
};

struct StartupCopyPlan {
  std::string source;       // the file below the toolset's root, as stored
  std::string sourceLocal;  // that file on this machine (when found)
  std::string name;         // the file's name in the project
  std::string destination;  // the project folder and the name, local
  uint8_t type = 0;         // its file type
};

// The toolset's root folder from its library folder: the text up to and
// including the separator before "LIB" ("LIB\", "LIB/" or a final "LIB",
// ignoring case). False when the folder has no such part.
bool StartupRootFolder(const std::string& libFolder, std::string* root);

// Decides whether and what to offer for the project's current target.
StartupPlan PlanStartupCopy(const ProjectRec& project, const std::string& libFolder, StartupCopyPlan* plan);

// The whole copy with its questions. True when the file was copied and
// added to the first group. A device whose startup file is missing from
// the tools folder, and a failed copy, are reported; the other cases in
// which nothing is offered are silent.
bool CopyStartupFileToProject(ProjectRec* project, const std::string& libFolder, StartupCopyUser& user,
                              Disk* disk = nullptr);

}  // namespace pm2
