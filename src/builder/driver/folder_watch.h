// Folders watched for changes between builds (inotify, one watch per
// folder, not its subfolders). Nothing runs in the background: the kernel
// queues the events, and Take collects what happened since the last call.
// Used by one thread at a time.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace pm2 {

class FolderWatch {
 public:
  FolderWatch() = default;
  ~FolderWatch() { Clear(); }
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Watches the folder (a path ending in '/') from now on; true when it is
  // watched (also when it already was).
  bool Add(const std::string& folder);

  struct Changes {
    std::vector<std::string> paths;  // folder + name of each entry changed, created, deleted or moved
    bool all = false;                // events were lost or a watched folder went: anything may have changed
  };
  // What the watched folders reported since the last call.
  Changes Take();
  // Watches nothing any more.
  void Clear();

 private:
  int fd_ = -1;
  // watch -> the names it was added under: one folder reached by two
  // names (through a link) is one watch, and its changes are told under
  // each name.
  std::unordered_map<int, std::vector<std::string>> folders_;
  std::unordered_set<std::string> watched_;
};

}  // namespace pm2
