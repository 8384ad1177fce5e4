// The keys of the project file and the options file, and the option key
// lines that fill an option block between "Options" and "EndOpt".
//
// g_ProjectKeys: 237 keys of the project file with their codes, in
// descending code order (236..0), ended by a row with code kKeyTableEnd.
// "ENDOPT" stands twice (codes 39 and 6); the first is always the one
// found. "PRJNAME", "PRJPATH" and "OMFSEL" are in the table but neither
// written nor read.
// g_OptFileKeys: the 46 keys of the options file, codes 0..45 ascending.
//
// The key lines of a block are grouped in families (one sub-record each);
// every family is a table of rows {written key, kind, width, accessor}. A
// block writes its families in a fixed order by level, toolset and file
// type, and writes every key whatever its value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "project/text/opt_string.h"

namespace pm2 {

struct TargetRec;
struct OptionBlock;
class ProjectLineReader;
class ProjectLineWriter;

inline constexpr uint32_t kKeyTableEnd = 0xFFFFFFFF;

struct KeyRow {
  const char* key;  // upper case
  uint32_t code;
};

inline constexpr std::size_t kProjectKeyCount = 237;
inline constexpr std::size_t kOptFileKeyCount = 46;
extern const KeyRow g_ProjectKeys[kProjectKeyCount + 1];
extern const KeyRow g_OptFileKeys[kOptFileKeyCount + 1];

// The first row whose key equals upperKey in the table (selector 0 the
// project file, 1 the options file); null when none.
const KeyRow* LookupProjectKey(std::string_view upperKey, int selector);

// What a key line reads from and writes to.
struct KeyContext {
  TargetRec* t = nullptr;   // the block's target
  OptionBlock* b = nullptr; // the block
  int pool = 1;             // where read strings go
};

enum class FieldKind : uint8_t {
  kNumber,  // unsigned field of `width` bits: " Key=%d"
  kBits,    // bit-field of `width` (1 or 2) bits: " Key=%d"
  kString,  // " Key (%s)"
  kBytes,   // byte list of `width` bytes: " Key { ... }"
  kLine,    // a line of its own form (RunUsr, ExtMem, OPTDL, ...)
};

struct FieldRow {
  const char* key;  // the written spelling
  FieldKind kind;
  uint16_t width;   // bits (number, bit-field) or bytes (byte list)
  uint32_t (*get)(KeyContext&) = nullptr;              // number, bit-field
  void (*set)(KeyContext&, uint32_t) = nullptr;        // takes the value cut to width
  OptString* (*str)(KeyContext&) = nullptr;            // string
  void (*load)(KeyContext&, uint8_t*) = nullptr;       // byte list: field to bytes
  void (*store)(KeyContext&, const uint8_t*) = nullptr;  // bytes to field
  void (*write)(ProjectLineWriter&, KeyContext&) = nullptr;  // own-form line
  void (*read)(ProjectLineReader&, KeyContext&) = nullptr;
};

enum KeyFamilyId : int {
  kFamDevice, kFamOutput, kFamUserPrograms,
  kFamTarget51, kFamTarget251, kFamTarget166, kFamTargetArmGnu, kFamTargetArmAds,
  kFamCompiler51, kFamCompiler251, kFamCompiler166, kFamCompilerYq166,
  kFamCompilerArmGnu, kFamCompilerArmAds,
  kFamAsm51, kFamAsm166, kFamAsmArmGnu, kFamAsmArmAds,
  kFamBuildProps,
  kFamLinker51, kFamLinker166, kFamLinkerArmGnu, kFamLinkerArmAds,
  kFamDebug, kFamFlash,
  kFamCount
};

struct KeyFamily {
  const char* name;
  const FieldRow* rows;
  std::size_t count;
};
const KeyFamily& GetKeyFamily(int family);

// The families a block carries, in written order. toolset 0..4; for a
// target block (kind 2), a group block (3) or a file block (4, by fileType).
std::vector<int> BlockFamilies(int nodeKind, uint16_t toolset, uint8_t fileType);

// The key row of an upper-case key, over all families; null when the key
// fills no field (record keys, "ENDOPT", unknown keys).
const FieldRow* FindFieldRow(std::string_view upperKey);

// Writes one row, or reads the rest of the current line into its field.
// The read gives what is wrong with a number or bit-field value (no
// number, more than the field holds), empty when nothing is; the field
// then keeps its value.
void WriteFieldRow(ProjectLineWriter& w, KeyContext& c, const FieldRow& row);
std::string ReadFieldRow(ProjectLineReader& r, KeyContext& c, const FieldRow& row);

// The key lines of the block's families.
void WriteOptionKeyLines(ProjectLineWriter& w, TargetRec* target, OptionBlock* block,
                         int nodeKind, uint8_t fileType);
// Reads key lines into the block until "EndOpt" or the end of the text;
// false when the text ended before "EndOpt" (a cut-off file, *error left
// empty) or at a line it cannot take: a key no block holds or a value its
// field can't (*error says what; the reader stands at that line).
// *cpuLine (may be null) receives the line number of the "Cpu" key line.
bool ReadTargetOptionLines(ProjectLineReader& r, TargetRec* target, OptionBlock* block,
                           int pool, std::string* error, int* cpuLine = nullptr);

// The "OPTDL" and "OPTDBG" lines (the options file writes them too).
void WriteOptDlLine(ProjectLineWriter& w, KeyContext& c);
void ReadOptDlLine(ProjectLineReader& r, KeyContext& c);
void WriteOptDbgLine(ProjectLineWriter& w, KeyContext& c);
void ReadOptDbgLine(ProjectLineReader& r, KeyContext& c);

}  // namespace pm2
