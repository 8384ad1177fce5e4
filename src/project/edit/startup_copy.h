// The copy of a device's startup file into a new project: which file, from
// where, to where, the user's questions, and adding it to the first group.
//
// The target's startup-file setting (STUPF, from the device's SFILE) names
// the file below the toolset's root folder: the library folder up to the
// separator before its "LIB" folder. Its first word (quoted or up to the
// first blank) is the file, its last path component the name the project
// gets. The copy is written whole or not at all; the file is added to the
// project only after the copy succeeded.
//
// A startup file of the GNU tools starts the program itself and needs a
// linker script that places the vectors and defines the symbols it reads.
// The installation keeps each device's script beside the startup file, as
// "<device>.ld". For an ARM-GNU target without a linker script of its own
// the script is copied with the startup file (the same question before
// overwriting a file of that name; No keeps that file), and the target's
// linker options name it, leave out the C library's start files and, when
// they have none, take the device's flash as the text address, so the new
// project links as it is.
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
inline constexpr const char* kLinkerScriptCopyFailed = "Could not copy the linker script '%s' to the project folder";

// ALDFLAG[0] bit 2: the C library's start files are left out of the link
// ("-nostartfiles").
inline constexpr uint8_t kAldNoStartFiles = 0x04;

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
  // The device's linker script beside the startup file, for an ARM-GNU
  // target without one; all empty when there is none to copy.
  std::string script;            // below the toolset's root, as stored
  std::string scriptLocal;       // that file on this machine
  std::string scriptName;        // its name in the project folder
  std::string scriptDestination; // the project folder and that name, local
};

// The toolset's root folder from its library folder: the text up to and
// including the separator before "LIB" ("LIB\", "LIB/" or a final "LIB",
// ignoring case). False when the folder has no such part.
bool StartupRootFolder(const std::string& libFolder, std::string* root);

// Decides whether and what to offer for the project's current target.
StartupPlan PlanStartupCopy(const ProjectRec& project, const std::string& libFolder, StartupCopyPlan* plan);

// The whole copy with its questions. True when the file was copied and
// added to the first group (with its linker script, when the plan has one).
// A device whose startup file is missing from the tools folder, and a
// failed copy, are reported; the other cases in which nothing is offered
// are silent. A linker script that cannot be copied is reported and leaves
// the linker options as they were.
bool CopyStartupFileToProject(ProjectRec* project, const std::string& libFolder, StartupCopyUser& user,
                              Disk* disk = nullptr);

// A device change keeps the target's linker script: the script names the
// memory of the device it was written for, so the user is told which one
// the target still links with. The note after a change from `oldDevice`
// to the target's device; "" when the device is the same (ignoring case),
// there was none before, or the target is not an ARM-GNU one with a linker
// script.
inline constexpr const char* kKeptLinkerScriptNote =
    "Device '%s' links with the linker script '%s', kept from device '%s'.\n\n"
    "If the script does not fit the new device's memory, name another on the Linker page of the target's options.";
std::string KeptLinkerScriptNote(const std::string& oldDevice, const TargetRec& target);

}  // namespace pm2
