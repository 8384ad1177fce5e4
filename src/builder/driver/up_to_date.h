// Whether a file must be translated again. Every answer carries its reason
// (which file, which time, which control changed), so a test or a user can
// ask why a file was or was not translated.
//
// 51, 251 and 166 families: the object file itself records the command
// line and every source and include file with its time (entry_stream.h).
// ARM-GNU and ARM-ADS: the file record keeps the control string of the
// last translation, the source's time and its include list (from the
// dependency file), and the dependency preprocessor rescans when they do
// not settle it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "project/files/entry_stream.h"

namespace pm2 {

struct FileRec;
struct DepScanRequest;
class PathResolver;

struct Verdict {
  bool translate = false;
  std::string reason;  // empty when up to date
};

// A file's status as one stat call found it.
// Two times that both come from the disk are compared at full precision
// (ns); a stored time (dependency file, object records) has whole seconds.
struct FileStatus {
  bool exists = false;
  uint32_t time = 0;  // seconds since 1970; 0 unless exists
  int64_t ns = 0;     // the same time in nanoseconds
};

// One stat call: false when the file has no status.
bool StatFile(const std::string& path, FileStatus* status);
// The same for a path relative to the open folder dirFd.
bool StatFileAt(int dirFd, const char* path, FileStatus* status);

// 51, 251 and 166 families: the recorded command line (its first two
// tokens skipped) against the new control string, token by token
// (ControlStringsMatch), then every recorded source and include file's time.
Verdict ObjectIsUpToDate(const std::string& object, const std::string& source,
                         const std::string& controlString, FileTimeFn fileTime = DiskFileTime);

// Translate when the object or the source has no status, or the object is
// older than the source (an equal time is up to date). The statuses, when
// given, stand for stat calls on the two paths.
Verdict ObjectOlderThanSource(const std::string& source, const std::string& object,
                              const FileStatus* sourceStatus = nullptr,
                              const FileStatus* objectStatus = nullptr);

// The include statuses a build has taken, by stored path. The dependency
// data store each path once, so most look-ups go by the stored text's
// address; another copy of the same path is found by its text.
struct IncludeStatuses {
  std::unordered_map<const char*, FileStatus> byAddress;
  std::unordered_map<std::string, FileStatus> byPath;
  void clear() {
    byAddress.clear();
    byPath.clear();
  }
};

// What the ARM checks need: the file's paths on this machine and the path
// layer for the stored include paths.
struct ArmCheckInput {
  std::string sourceLocal;
  std::string objectLocal;
  // The statuses of source and object, taken by the caller when it found
  // the paths (nothing writes them during the check); null: stat here.
  const FileStatus* source = nullptr;
  const FileStatus* object = nullptr;
  std::string projectFolder;  // stored include paths are taken against it
  PathResolver* resolver = nullptr;
  // Include statuses already taken in this build; null: none kept. The
  // owner empties it whenever a tool may have written a file.
  IncludeStatuses* includeTimes = nullptr;
  // Fills the scan request just before a rescan, so a file settled by its
  // include list costs no scan preparation; null: the request is ready.
  std::function<void(DepScanRequest&)> prepareScan;
};

// The include test: source newer than the object (strictly), or an
// include file missing or not older than the object. Stores the source's
// time in the record.
Verdict IncludeTest(FileRec& file, const ArmCheckInput& in);

// The whole decision for a C file of ARM-GNU or ARM-ADS (the control string already
// built; the scan request prepared with the file's include folders and
// defines). Stores a changed control string in the record and the verdict
// in bit 0 of its state; a rescan's include list replaces the record's.
Verdict CheckArmCFile(FileRec& file, const std::string& controls, DepScanRequest& scan,
                         const ArmCheckInput& in);

// ARM assembler files: the control string, then the object's age.
Verdict CheckArmAsmFile(FileRec& file, const std::string& controls, const ArmCheckInput& in);

}  // namespace pm2
