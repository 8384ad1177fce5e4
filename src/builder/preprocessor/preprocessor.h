// The C preprocessor of the dependency scan. It walks a C, C++ or
// assembler source and every file it includes, under the macros, conditionals
// and include folders the compiler will see, and answers one question: must
// the file be translated again? On the way it lists every file it read with
// its modification time, for the file record and the dependency file.
//
// The preprocessed text is never used. Nothing is reported either: any error
// (a missing include, a malformed directive, an unterminated comment...) just
// marks the file out of date, so the compiler runs and says what is wrong in
// its own words. "#error" and "#warning" in active text do the same.
//
// Include search, for the first form that opens:
//   "name": the name as it stands (against the current folder), the scanned
//           source's folder + name, the including file's folder + name;
//   both forms: each include folder + name, in order; then the name as it
//           stands.
// A folder is used up to its first ';'; folder and name are upper-cased when
// joined (so a file found through a folder is listed under an upper-case
// name) and looked up through the path layer, which finds the file whatever
// its case on this machine.
//
// Limits: 99 input levels (open files), 19 nested conditionals, 100 macro
// parameters and arguments, 128 include folders and defines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

class PathResolver;

inline constexpr int kMaxScanIncludePaths = 128;
inline constexpr int kMaxScanDefines = 128;
inline constexpr int kMaxInputLevels = 99;
inline constexpr int kMaxConditionalDepth = 19;
inline constexpr int kMaxMacroParams = 100;

enum IncludeKind : uint8_t { kIncludeSource = 1, kIncludeHeader = 2 };

// One file the scan read, in the order files were first opened; a name
// appears once (compared ignoring case).
struct IncludeEntry {
  uint8_t kind = kIncludeHeader;
  uint32_t time = 0;  // modification time, seconds since 1970; 0 unknown
  std::string name;   // the path under which the file was opened
};

struct DepScanRequest {
  std::string sourcePath;  // stored form; relative paths are taken against the current folder
  std::string objectPath;  // the object the translation makes
  std::vector<std::string> includePaths;  // search order; at most 128
  // Command-line defines: "NAME" or "NAME=body"; at most 128.
  std::vector<std::string> defines;

  // Results of the scan.
  std::vector<IncludeEntry> includes;
  std::string reason;  // why the file is out of date (the first cause); empty when it is not
};

// Appends a path or define while fewer than 128 are held; later ones are
// ignored.
void AddScanIncludePath(DepScanRequest& request, std::string_view path);
void AddScanDefine(DepScanRequest& request, std::string_view define);

// Runs the scan. `currentFolder` stands for the process's current folder
// (the project folder) when names are taken "as they stand"; it is never
// made current. Result 1 when the file must be translated again, 0 when it
// is up to date; request.includes is filled either way (empty when the
// source cannot be opened).
int PreprocessForDependencies(DepScanRequest& request, PathResolver& resolver,
                              const std::string& currentFolder);

// The stored form of folder + name as the include search forms it: both
// upper-cased, a backslash between unless the folder ends in '/', ':' or
// '\\', a leading backslash of the name dropped, the folder cut at its
// first ';'.
std::string JoinIncludePath(std::string_view folder, std::string_view name);

}  // namespace pm2
