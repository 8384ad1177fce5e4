// The start-up values of the environment file "TOOLS.INI": per toolset the
// tool folders, drivers, simulator extensions, books and RTOS entries
// (ToolsetInfo, what AppState::m_pToolsetInfo points at), and the IDE's own
// values (device databases, ARM tool-chain selector, device books, general
// books).
//
// Sections and their codes: "Q51" 0, "Q251" 1, "Q166" 2, "ARM" 3 (ARM-GNU),
// "ARMADS" 4 (ARM-ADS), "PM2" 100 (the IDE). Keys (numbered ones by prefix):
//   PATH          toolset root folder; its "BIN\" holds the tool programs
//   PATH1         second folder; programs in its "BIN\", for ARM-GNU in its
//                 "Arm-Tools\Bin\"
//   DBGPA, DBGFG  debugger parameter string, one-digit debugger flag
//   BOOKn         path("title"[,kind])       any section, at most 128
//   TDRVn         dll("title")               toolset, at most 40
//   AGSIn         dll("title")               toolset, at most 20
//   CDBn          file("title")              IDE, at most 8 besides entry 0
//   CPPTRN        the C++ translator          51 toolset
//   ARMSEL        one digit: the ARM tool chain (0 GNU, 1 ADS)
//   DEVICE_BOOKS  text kept for the device books (IDE)
//   RTOS1..RTOS6  name("title")              toolset
// Relative paths are taken against the installation root. Unknown keys,
// sections not in the table and lines outside the grammar are skipped.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "project/model/app_state.h"

namespace pm2 {

constexpr int kEnvSectionIde = 100;
constexpr int kMaxToolsetBooks = 128;
constexpr int kMaxTargetDrivers = 40;
constexpr int kMaxSimulatorExtensions = 20;
constexpr int kMaxExtraDeviceDatabases = 8;
constexpr int kRtosSlots = 6;

// Section name ("Q51", "pm2", ...) to code, -1 when not in the table.
int EnvSectionCode(std::string_view name);
// Code to section name; null for an unknown code.
const char* EnvSectionName(int code);

// A driver, simulator extension, device database or RTOS entry.
struct TitledPath {
  std::string path;   // as written, except relative database paths
  std::string title;
};

struct EnvBook {
  // General books: made absolute against the root; a toolset's books: as
  // written (relative ones belong below the toolset's root folder).
  std::string path;
  std::string title;
  int kind = 7;       // BookKind of environment_lines.h; 7 GEN
};

// One toolset's values. Folders end in a separator (the one their text
// uses: '\' for Windows-form paths, '/' for paths written with '/') or are
// empty. Folders made from a relative value are absolute against the
// installation root.
struct ToolsetInfo {
  int toolset = 0;  // ToolsetId 0..4

  std::string rootFolder;   // PATH: the toolset's installation folder
  std::string toolsFolder;  // rootFolder + "BIN\": its executables folder
  // PATH1 and the folder holding its programs ("BIN\", for ARM-GNU
  // "Arm-Tools\Bin\"): the GNU tools of ARM-GNU, the RealView tools of
  // ARM-ADS (the ADS "program folder").
  std::string secondFolder;
  std::string secondToolsFolder;

  // ARM toolsets: the maker's folder (PATH) and the GNU or RealView folder
  // (PATH1) as the folders page edits them, each with the value read at
  // start-up kept beside it.
  std::string makerFolder, makerFolderSaved;
  std::string armToolFolder, armToolFolderSaved;

  std::string debuggerParams;  // DBGPA
  int debuggerFlag = 0;        // DBGFG
  std::string cppTranslator;   // CPPTRN (51 toolset)

  std::vector<TitledPath> targetDrivers;        // TDRVn, at most 40
  std::vector<TitledPath> simulatorExtensions;  // AGSIn, at most 20
  std::vector<EnvBook> books;                   // BOOKn, at most 128
  TitledPath rtos[kRtosSlots];                  // RTOS1..RTOS6; empty path: none

  // The folder the build's ARM-ADS steps run tools from: the program folder
  // (secondToolsFolder), else the tools folder.
  const std::string& ProgramFolder() const {
    return secondToolsFolder.empty() ? toolsFolder : secondToolsFolder;
  }
};

// Everything read from the file at start-up. Owns the toolset records.
struct EnvironmentInfo {
  std::unique_ptr<ToolsetInfo> toolsets[kToolsetCount];  // null: no section
  // Entry 0 is the generic database ("Generic CPU Data Base") and always
  // present; then at most 8 more from CDBn entries.
  std::vector<TitledPath> deviceDatabases;
  int armSelect = 0;            // ARMSEL
  std::string deviceBooks;      // DEVICE_BOOKS
  std::vector<EnvBook> generalBooks;  // BOOKn of the IDE section
  bool fileRead = false;        // false when the file was missing

  ToolsetInfo* Toolset(int id) const {
    return (id >= 0 && id < kToolsetCount) ? toolsets[id].get() : nullptr;
  }
};

constexpr const char* kGenericDatabaseTitle = "Generic CPU Data Base";

// Reads the environment file `text` into `env` (which is reset first; its
// database list gets the generic entry with `genericDatabasePath`). Paths
// that are relative are taken against `installRoot` (ends in a separator).
void ParseToolsIni(std::string_view text, const std::string& installRoot,
                   const std::string& genericDatabasePath, EnvironmentInfo* env);

// Reads the file at `path`. False (with *err naming the file, err may be
// null) when it cannot be read; `env` then holds the defaults: the generic
// database and no toolsets.
bool ReadToolsIni(const std::string& path, const std::string& installRoot,
                  const std::string& genericDatabasePath, EnvironmentInfo* env,
                  std::string* err);

// The process's one start-up environment, owned here until the shell's
// application object takes it over.
EnvironmentInfo& theEnvironment();

// Reads "TOOLS.INI" from app.m_toolsIniPath into theEnvironment(), points
// app.m_pToolsetInfo at its records (null where the file has no section) and
// app.m_pEnvironment at the whole (also when the file is missing).
// The generic database is the program's path with the extension "cdb"
// (app.m_programDir + "pelmora2.cdb"). False when the file is missing.
bool LoadStartupEnvironment(AppState& app, std::string* err = nullptr);

}  // namespace pm2
