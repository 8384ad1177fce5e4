// What one build learns of the files it looks at, kept for the rest of the
// build: the local path of each stored path (the conversion depends on no
// file, so it is made once) and the status of each local path (one stat
// call per build, taken again only after a tool may have written the file).
// Sources, objects and includes are thus stat'ed once per build, and the
// link's up-to-date test reuses the objects' statuses of the translation
// checks. Used by the build thread alone.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "builder/driver/up_to_date.h"
#include "platform/win_path.h"

namespace pm2 {

class BuildFileCache {
 public:
  // A new build: stored paths are taken against `folder` (ends in '/') and
  // the drive map; everything learnt before is dropped.
  void Reset(const std::string& folder, const DriveMap& drives);

  // The stored path as a path of this machine (ToLocalPath); false when
  // it can't be mapped (*local then empty).
  bool Converted(std::string_view stored, std::string* local);

  // The status of a local path: one stat call the first time.
  FileStatus Status(const std::string& local);
  // A status just taken by the caller, kept as the file's.
  void Keep(const std::string& local, const FileStatus& status) { statuses_[local] = status; }

  // A tool may have written the file (or any file): the next Status stats again.
  void Forget(const std::string& local) { statuses_.erase(local); }
  void ForgetStatuses() { statuses_.clear(); }

 private:
  std::string folder_;
  DriveMap drives_;
  std::unordered_map<std::string, std::string> locals_;  // stored -> local ("" unmappable)
  std::unordered_map<std::string, FileStatus> statuses_;
};

}  // namespace pm2
