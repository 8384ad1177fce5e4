// Projects of the DAvE code generator (".dpt"): the reader and the import
// into a new project, and the migration of a changed ".dpt" file into the
// project made from it.
//
// File: sections in this order, each optional: "Version" (skipped),
// "General" (Device, DeviceType), "Interface" (Compiler, MemoryModel),
// "Environment" (OscillatorFrequency, DeviceFrequency in MHz, a fraction
// allowed), then the file list "Files" whose keys "File<n>" hold quoted
// names (only ".C" files are taken, at most 256), and "Registers"
// (FIELD-NAME = number). Lines beginning with "'" are comments; the other
// rules are those of old_ini_reader.h. A cut-off file reads as far as its
// complete lines go.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "project/devices/device_db.h"
#include "project/model/project_records.h"

namespace pm2 {

inline constexpr const char* kCodeGenFileSection = "Files";
inline constexpr const char* kCodeGenNoDevice = "No device of the device database matches the device type '%s'";
inline constexpr const char* kCodeGenGroupDave = "Dave Files";
inline constexpr const char* kCodeGenGroupUser = "User Files";
inline constexpr uint8_t kFileMadeByCodeGen = 0x10;  // FileRec::flags bit 4
inline constexpr uint8_t kFileMigrateMark = 0x20;    // FileRec::flags bit 5

struct CodeGenProject {
  std::string device, deviceType, compiler, memoryModel;
  uint32_t oscillatorHz = 0, deviceHz = 0;
  std::vector<std::string> cFiles;
  std::map<std::string, uint32_t> registers;  // field name (upper case) -> value
};

// Parses the text of a ".dpt" file.
CodeGenProject ParseCodeGenProject(const std::string& text);
// "20" -> 20000000, "24.576" -> 24576000, "14H" -> 20000000.
uint32_t ParseFrequencyMHz(const std::string& value);

// The device-type score of a database name: leading characters that agree
// ignoring case, blanks and '-' stepped over in either name.
int DeviceTypeScore(const std::string& name, const std::string& deviceType);
// The best entry of vendor "Infineon" or "ST Microelectronics" with a score
// of at least 3 (the first on a tie); null when none.
const DeviceDbEntry* MatchCodeGenDevice(const DeviceDatabase& db, const std::string& deviceType);

// The memory-model index of toolset 0 or 2; -1 when not found.
int CodeGenModelIndex(uint16_t toolset, const std::string& model);

// The startup file of a toolset: "Startup.w51", "Start_V2.W66" (XC16x),
// "Start167.w66"; empty for others.
std::string CodeGenStartupFile(uint16_t toolset, bool xc16x);
// The library folder beside an executables folder ending in "BIN" (one
// trailing separator dropped): "...\\lib\\". False when the folder does not
// end in "BIN", rather than cutting three characters of another name.
bool LibraryFolderOf(const std::string& toolsFolder, std::string* libFolder, std::string* message);

// Migration of the file list: the startup file and the C files are found
// or added in group "Dave Files" and marked as the generator's; files the
// generator made that are no longer listed are marked removed. Empty on
// success, else "Can't find Group 'Dave Files', migration cancelled".
std::string MigrateCodeGenFiles(ProjectRec* project, const std::string& startupFile,
                                const std::vector<std::string>& cFiles);

// The new project's target options after ApplyDeviceOptions: memory model
// and clock (and for classic 166 devices the on-chip ROM and XPER
// switches from SYSCON_ROMEN and SYSCON_XPEN).
void ApplyCodeGenTargetOptions(TargetRec* target, const CodeGenProject& dpt, bool xc16x);

// The refusal of the first C file of the ".dpt" file whose name the
// project file cannot hold (it would come back as another file at the
// next open); "" when it can hold them all. Asked before anything is made.
std::string CodeGenFilesRefusal(const CodeGenProject& dpt);

// Makes the new project (in pool 1) from a read ".dpt" file and its
// matched device: groups "Dave Files" and "User Files", the startup file
// and the C files, the device and the target options. `projectPath` is the
// ".Pm2" path beside the ".dpt" file.
ProjectRec* MakeCodeGenProject(const std::string& projectPath, const CodeGenProject& dpt,
                               const DeviceDbEntry& device);

// The ".dpt" file's last-write time as the project stores it (8 bytes,
// codeGenTime); 0 when the file is missing.
uint64_t CodeGenFileTime(const std::string& path);

// MigrateFromCodeGenerator and MigrateFromCodeGeneratorChanges in one:
// reads the ".dpt" file at dptPath, the device database (databasePath),
// matches the device, copies the startup file into the project folder from
// the library folder beside toolsFolders[toolset] unless one is there, and
// then makes a new project (existing null; the result) or migrates the
// changes into `existing`. Failures are reported through `report` (beep
// and message) and give null.
struct CodeGenImportEnv {
  std::string databasePath;
  std::string toolsFolders[5];  // executables folder per ToolsetId
  std::function<void(const std::string& message)> report;
};
ProjectRec* ImportCodeGenProject(const std::string& dptPath, const CodeGenImportEnv& env,
                                 ProjectRec* existing);

}  // namespace pm2
