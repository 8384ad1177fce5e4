// The tools a build runs, by tool code: program names (22-byte rows, codes
// 0 to 42; 43 user command and 44 PC-Lint have no row) and, per code, how
// the runner announces it, forms its command line, starts it and filters
// its output. One row per code range, one loop over them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pm2 {

constexpr int kToolTableRows = 43;
constexpr size_t kToolNameSize = 22;
constexpr int kToolUserCommand = 43;
constexpr int kToolPcLint = 44;
constexpr int kToolCustom = 0;

extern const char ToolTable[kToolTableRows][kToolNameSize];

// How the command line is formed (F tool folder, P program to run through,
// T table name, R command file, N file, C control string, O object file).
enum class CommandForm : uint8_t {
  kNone,        // nothing is started; the step succeeds
  kCustom,      // "\"P\" C"
  kPForm,       // translators with or without a command file
  kPFormAlt,    // P-form, the alternative program name in place of T
  kPlm,         // "F T N C PR(capture)"; the compiler writes its own listing
  kLinker,      // "\"P\" \"FT\" \"@R\"" or "FT @R"; progress records expected
  kHex,         // with R the P-form, else "\"FT\" N C"
  kGnuCmdFile,  // "T @R" (found through PATH)
  kGnuPlain,    // "T C"
  kAdsVia,      // "FT -Via R"
  kFromElf,     // "FT.exe C"
  kUser,        // user command
  kLint,        // "\"F\" \"R\""
};

// Which filter reads the tool's output.
enum class FilterKind : uint8_t {
  kCopy, kCompiler, kPlm, kLinker, kAssembler, kHex, kYq166, kGnu, kAds, kLint,
};

// What the announcement line names.
// What the announce text's %s is: nothing, the file, the object file, the
// flag's choice of text, or the program as it is started (its path as
// found, so the output says what runs).
enum class AnnounceArg : uint8_t { kNone, kFile, kObject, kFlag, kProgram };

enum class StartMode : uint8_t { kNone, kHidden, kMinimized, kNoCapture };

struct ToolCodeInfo {
  CommandForm form = CommandForm::kNone;
  FilterKind filter = FilterKind::kCopy;
  bool filterBelowExit3 = false;  // exit code 3 or more: plain copy instead
  const char* announce = nullptr;  // printf text, or null
  const char* announceAlt = nullptr;  // kFlag: text when flags bit 7 is clear
  AnnounceArg arg = AnnounceArg::kNone;
  StartMode start = StartMode::kHidden;
  bool oneErrorOnExit1 = false;  // an exit code of 1 or more adds one error
  bool checksExitCode = true;    // exit code 4 or more is a failed run
};

// The row of a tool code (0 to 44); codes above 44 get a row that does
// nothing.
const ToolCodeInfo& ToolInfo(int code);

// The table name of a code, "" for codes without a row.
const char* ToolProgramName(int code);

}  // namespace pm2
