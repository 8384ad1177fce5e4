// The debug and flash pages' view of the driver libraries: the target
// drivers that the environment file lists per toolset, the paths they are
// loaded from, and the drivers' capability export "DllPm3Cap" (code,
// argument) behind a small interface, so the pages can be tested with a
// fake and the real loader stays in one place.
//
// Codes: 2 the family identifier; 1 the settings dialog (argument: a
// DriverSettingsRecord, or a short record from the CPU and driver DLL
// buttons), 1 = new settings text; 3 (parameter text) nonzero when the
// device has configuration options; 4 the dialog DLL's configuration
// dialog; 100 nonzero when the driver can program flash; 110 its flash
// settings dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "project/environment/driver_location.h"
#include "project/environment/environment.h"

namespace pm2 {


inline constexpr uint32_t kDriverSettingsSize = 16384;

enum DriverCapCode : int {
  kCapSettings = 1,
  kCapFamily = 2,
  kCapHasConfig = 3,
  kCapConfigDialog = 4,
  kCapFlash = 100,
  kCapFlashSettings = 110,
};

// Handed to codes 1, 4, 100 and 110, fields in this order.
struct DriverSettingsRecord {
  void* parentWindow = nullptr;
  const char* dllPath = nullptr;
  uint32_t bufferSize = kDriverSettingsSize;
  const char* baseName = nullptr;
  char* buffer = nullptr;
  const char* configFile = nullptr;
};

// Handed to code 1 by the CPU and driver DLL buttons.
struct DriverShortRecord {
  void* parentWindow = nullptr;
  const char* toolsetFolder = nullptr;
  void* library = nullptr;  // the loaded library, when the caller has it
};

class DriverCaps {
 public:
  virtual ~DriverCaps() = default;
  // Loads the library, calls its export with the code and frees it again.
  // False (and *error set to the message) when the library does not load
  // or lacks the export; *result gets the export's answer.
  virtual bool Call(const std::string& dllPath, int code, void* argument, int32_t* result) = 0;
  // Why the library at dllPath is not loaded at all, naming it (a name
  // that leads out of the installation's driver folders); "" when it may
  // be loaded, or when it simply does not exist.
  virtual std::string Refusal(const std::string& dllPath) = 0;
};

// The real loader: the library is located in the installation's driver
// folders (project/environment/driver_location.h: "X.DLL" is X.so or
// libX.so, ignoring case) and only then opened; a name leading elsewhere
// is refused before anything is loaded.
class LoadedDriverCaps : public DriverCaps {
 public:
  // `folders` is asked at each call (the toolset and program folders the
  // sheet has then).
  explicit LoadedDriverCaps(std::function<DriverFolders()> folders) : m_folders(std::move(folders)) {}
  bool Call(const std::string& dllPath, int code, void* argument, int32_t* result) override;
  std::string Refusal(const std::string& dllPath) override;

 private:
  std::function<DriverFolders()> m_folders;
};

struct DriverEntry {
  std::string title;  // "<untitled>" for an empty description
  std::string path;   // as the environment file gives it
  int32_t flashCap = 0;
};

// The toolset's drivers, at most 40, stopping at the first without a path.
std::vector<DriverEntry> ToolsetDrivers(const ToolsetInfo* toolset);

// True when the family identifier a driver answers belongs to the toolset
// (51: 8563, 8051, 8307; 251: 80251; 166: 80167; ARM: 7).
bool FamilyMatches(uint16_t toolset, int32_t identifier);

// The 51 family's dialog libraries answer only 8051 or 8307.
bool DialogFamilyMatches(uint16_t toolset, int32_t identifier);

// The file name of an entry without folder (after the last "\", "/" or ":").
std::string DriverFileName(const std::string& path);
// The file name without its extension.
std::string DriverBaseName(const std::string& path);
// The path a driver is loaded from: an absolute entry as it is; else by
// the toolset's driver-folder kind 1 "<folder><base>/Debug/<base>.dll",
// 2 "<folder><base>/Release/<base>.dll", otherwise "<folder><entry>".
// The parts added are joined with the folder's own separator: '/' unless
// the folder is stored in Windows form (ending in a backslash).
std::string DriverLoadPath(const std::string& entry, const std::string& toolsetFolder, int folderKind);
// A dialog library's path: the same rules with "<folder>BIN/<entry>" last.
std::string DialogLoadPath(const std::string& entry, const std::string& toolsetFolder, int folderKind);
// "<project folder><project name>_<target name>.cfg".
std::string DriverConfigFile(const std::string& projectFolder, const std::string& projectName,
                             const std::string& targetName);

}  // namespace pm2
