// The dependency file "%s_%s.dep" (project name, target name) in the
// project folder: what an ARM target's files looked like at their last
// translation, so the next build can tell what changed. Written after every
// build of an ARM-GNU or ARM-ADS target, read when the dependencies are
// rebuilt.
//
// Text, CR LF line ends:
//   Dependencies for Project '%s', Target '%s': (DO NOT MODIFY !)
//   F (path)(0x%08X)(control string)     one per file of the build, in project order
//   I (path)(0x%08X)                     after a C file: one per include file
// A field is a parenthesised text; parentheses inside it nest, so a control
// string may hold balanced parentheses. A path runs up to the time field
// as written (")(0x" and eight hex digits), and the control string to the
// line's last ')', so a file name may hold a parenthesis without its
// partner ("LE)D.c", compiled with "-o ./Obj/LE)D.o"). A field ends at its matching ')' or
// at the end of the line; a time field takes an optional "0x" and hex
// digits of either case. A line is cut at 24584 characters. F lines whose
// file is no longer in the project are skipped with their I lines; other
// lines are skipped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "project/text/opt_string.h"

namespace pm2 {

class Disk;
struct ProjectRec;
struct TargetRec;
struct FileRec;

// One include file of a file's last translation (pool 14).
struct DepIncludeRec {
  DepIncludeRec* next = nullptr;
  OptString path;
  uint32_t time = 0;
};

inline constexpr std::size_t kDepLineMax = 24584;

// The file's current time (seconds) through the caller's file lookup; false
// when it has no status.
using DepFileTime = std::function<bool(const std::string& storedPath, uint32_t* time)>;

std::string DependencyFileName(const ProjectRec& project, const TargetRec& target);

// The text the build writes; every file's time is taken anew (0 when it has
// no status) and stored in its record.
std::string DependencyFileText(ProjectRec& project, const TargetRec& target,
                               const DepFileTime& fileTime);

// Writes the file atomically into the project folder through `disk` (null:
// the real disk); false with *err naming the file, the old file then whole.
bool WriteDependencyFile(ProjectRec& project, const TargetRec& target, const DepFileTime& fileTime,
                         std::string* err, Disk* disk = nullptr);

// Fills the file records (time, control string, include list in pool 14)
// from a dependency text.
void ReadDependencyText(ProjectRec& project, std::string_view text);
// 1 read; 0 for a target that is no ARM target or a file that cannot be read.
int ReadDependencyFile(ProjectRec& project, const TargetRec& target);

// Clears every file's control string, time, state and include list and
// frees pool 14.
void ClearDependencyData(ProjectRec& project);

// Replaces the file's include list by scanned entries (the first, the file
// itself, is skipped): the records keep their places when the paths are
// the same in the same order, else a new list is built.
struct IncludeEntry;
void MergeIncludeList(FileRec& file, const std::vector<IncludeEntry>& scanned);

}  // namespace pm2
