// What one build learns of the files it looks at, kept for the rest of the
// build: the local path of each stored path (the conversion depends on no
// file, so it is made once) and the status of each local path (one stat
// call per build, taken again only after a tool may have written the file).
// Sources, objects and includes are thus stat'ed once per build, and the
// link's up-to-date test reuses the objects' statuses of the translation
// checks. Used by the build thread alone.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "builder/driver/up_to_date.h"
#include "platform/win_path.h"

namespace pm2 {

class BuildFileCache {
 public:
  BuildFileCache() = default;
  ~BuildFileCache();
  BuildFileCache(const BuildFileCache&) = delete;
  BuildFileCache& operator=(const BuildFileCache&) = delete;

  // A new build: stored paths are taken against `folder` (ends in '/') and
  // the drive map; everything learnt before is dropped. `files` (the
  // project's file count) sizes the tables.
  void Reset(const std::string& folder, const DriveMap& drives, size_t files = 0);

  // The stored path as a path of this machine (ToLocalPath); null when it
  // can't be mapped. Stays valid until the next Reset.
  const std::string* Converted(std::string_view stored);
  bool Converted(std::string_view stored, std::string* local) {
    const std::string* found = Converted(stored);
    local->assign(found ? *found : std::string());
    return found != nullptr;
  }

  // The stored path as a path of this machine, made as Converted does but
  // not kept (for a path looked at once); false when it can't be mapped.
  bool ConvertedOnce(std::string_view stored, std::string* local) {
    ConvertNow(stored, local);
    return !local->empty();
  }

  // The status of a local path: one stat call the first time (a path in
  // the project folder is looked up from the folder, not from the root).
  FileStatus Status(const std::string& local);
  // The status of a file looked at once: the one kept, else a stat call
  // whose answer is not kept.
  FileStatus Peek(const std::string& local);
  // A status just taken by the caller, kept as the file's.
  void Keep(const std::string& local, const FileStatus& status) { statuses_[local] = status; }

  // A tool may have written the file (or any file): the next Status stats
  // again. A tool may also have replaced a folder, so after it the folders
  // are opened again.
  void Forget(const std::string& local);
  void ForgetStatuses();

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  FileStatus StatNow(const std::string& local);
  template <class T>
  using Table = std::unordered_map<std::string, T, Hash, std::equal_to<>>;

  // The handle of a subfolder of the project folder (relative, ends in
  // '/'), opened on first use and kept for the build: sources in src/ and
  // objects in Obj/ are looked up in turns.
  int SubfolderFd(std::string_view sub);
  void CloseFolders();

  std::string folder_;
  int folderFd_ = -1;
  Table<int> subfolderFds_;  // -1: could not be opened
  DriveMap drives_;
  void ConvertNow(std::string_view stored, std::string* out);

  Table<std::string> locals_;        // stored -> local ("" unmappable)
  Table<std::string> folderLocals_;  // stored folder -> local folder ("" unmappable)
  Table<FileStatus> statuses_;
};

}  // namespace pm2
