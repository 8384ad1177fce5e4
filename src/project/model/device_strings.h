// Device description strings: the CPU and MEM strings of a device
// and how a selected device fills a target.
//
// CPU string: keyword items separated by blanks, looked up
// ignoring case in the toolset's keyword table (one table per family);
// a keyword that takes an argument must be followed by '('. Parsing stops
// at the first unknown keyword, at a missing '(' or at a malformed item and
// keeps what it stored so far; nothing is reported.
//   51:   IRAM( XRAM( IROM( CLOCK( MODE2 MODA2 MODDP2 MODP2 MOD517DP
//         MOD517AU REGFILE( MX DPX MOD_CONT NP51 MODDA MODAB2 MXP XRAM2(
//   251:  IRAM( XRAM( IROM( CLOCK( REGFILE( MODBIN MODSRC INTR2 INTR4
//   166:  RAM( ROM( XRAM( IRAM( IROM( ICAN( CAN( CLOCK( MOD167 XRAM2( MODV2
//   ARM:  IRAM( IROM( CLOCK( XRAM( CPUTYPE( EBIG ELITTLE
// Range argument: "(a,size)" or "(a-end)" (size = end - a + 1; an end below
// a stores nothing). Numbers take every ParseNumber form.
//
// MEM string: up to six "RAM(range)" / "ROM(range)" items (ARM:
// "IRAM(range)" / "IROM(range)", at most three of each); any other keyword
// stops. The 51 family has no MEM string.
#pragma once

#include <cstdint>
#include <string>

#include "project/model/option_block.h"
#include "project/text/opt_string.h"

namespace pm2 {

class TextScanner;
struct TargetRec;
struct DeviceDbEntry;

// Reads "a,size)" or "a-end)" after a keyword's '('. The scanner must have
// '-' as its extra delimiter. False on a malformed range (the caller stops);
// true otherwise, storing the range only when it is well ordered.
bool ParseMemRange(TextScanner& scanner, MemRangeRec& range, uint8_t kind);

// CPU parsers. reset also clears the bits that only a device selection
// sets (see each family's table).
void ParseCpu51(Target51Opts& t, const char* cpu, bool reset, std::string* problem = nullptr);
void ParseCpu251(Target251Opts& t, const char* cpu, bool reset, std::string* problem = nullptr);
void ParseCpu166(Target166Opts& t, const char* cpu, bool reset, std::string* problem = nullptr);

// The ARM target sub-records differ only in names; this view serves both.
struct ArmTargetView {
  uint32_t* clock;
  uint8_t* flags;       // TFLAGSA / ADSTFLGA
  MemRangeRec* ocm;     // OCMARM / OCMADSOCM, six ranges
  MemRangeRec* iram;
  MemRangeRec* irom;
  MemRangeRec* xram;
  OptString* cpuType;   // GCPUTYP / ACPUTYP
};
ArmTargetView ArmView(TargetArmGnuOpts& t);
ArmTargetView ArmView(TargetArmAdsOpts& t);
// Returns true when the CPU string said "EBIG" (big-endian device).
bool ParseCpuArm(const ArmTargetView& t, const char* cpu, bool reset, std::string* problem = nullptr);

// MEM parsers: fill the ranges from the MEM string (the caller clears
// them first).
void ParseMem251(Target251Opts& t, const char* mem);
void ParseMem166(Target166Opts& t, const char* mem);
void ParseMemArm(const ArmTargetView& t, const char* mem);

// The CPU parser of the toolset on the block's target sub-record (the
// project-file reader calls it with reset false after the key lines).
// A parser stops at an item it can't read; *problem then says which
// (a known keyword's argument that is no number or range).
// Returns the ARM big-endian flag (false for other toolsets).
bool ParseCpuSpec(OptionBlock& b, uint16_t toolset, const char* cpu, bool reset, std::string* problem = nullptr);

// The device step of a toolset: clears the device-derived part of the
// target sub-record, parses CPU with reset, then MEM. Returns the ARM
// big-endian flag.
bool RunDeviceStep(OptionBlock& b, uint16_t toolset, const char* mem, const char* cpu);

// Rewrites a controls string so that it holds the control exactly when on
// is set (first, followed by the other controls in their order). An empty
// result is g_szEmptyOpt, an unchanged one (ignoring case) the input
// itself, else a copy in the pool.
OptString SyncControl(OptString controls, const char* control, bool on, int pool = 1);
OptString SyncMod167Control(OptString controls, bool on);
OptString SyncModV2Control(OptString controls, bool on);
OptString SyncMode2Control(OptString controls, bool on);

// "NAME (\"folder\")": returns the name (text up to the first blank or '(')
// and sets folder to 0xFF + folder text + '\\' when a folder is given,
// else "".
std::string ParseRegFileSpec(const char* value, std::string& folder);

// Splits a driver entry "drv(args) dlg(args)" into four texts.
void SplitDriverSpec(const char* spec, std::string out[4]);

// Device entry steps. The value of an option line copied into pool 1;
// g_szEmptyOpt when missing.
OptString FindDeviceOption(const DeviceDbEntry* entry, const char* key);
void GetDeviceDriverSpecs(const DeviceDbEntry* entry, OptString out[4], const char* key);
void ApplyDeviceBooks(const DeviceDbEntry* entry, TargetRec* target);
// Copies the device's strings into the target and derives its block.
// A side of the block's debug options (simulator, target debugger) that
// names no DLL takes the device's driver of that side ("SIM", "MON").
// Nothing happens without an entry or for a vendor node of the selection
// tree (entry flag bit 1).
void ApplyDeviceOptions(TargetRec* target, uint16_t toolset, const DeviceDbEntry* entry);
// The Debug page's DLL fields (the debug record's texts) from the device's
// drivers in OPTDL: a side for which the database names a DLL takes its
// DLL, parameters, dialog DLL and its parameters; a side it names none for
// keeps its texts. Part of ApplyDeviceOptions.
void FillDebugDllTexts(TargetRec* target);

}  // namespace pm2
