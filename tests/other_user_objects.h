// What the tests of names that another user blocks share: the user that
// stands for the other one (only root can give a file to it), how messages
// name that user, and the entries of /dev/shm under a namespace's names.
#pragma once

#include <pwd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ipc_namespace.h"

namespace pm2::test {

inline constexpr unsigned kOtherUid = 65534;

// "user nobody (uid 65534)", as the program names the owner.
inline std::string OtherUserText() {
  const passwd* entry = getpwuid(kOtherUid);
  return entry ? "user " + std::string(entry->pw_name) + " (uid 65534)" : "the user with uid 65534";
}

// The entries of /dev/shm under the namespace's names: "<base>.<uid><suffix>"
// alone, or followed by "-<key>" (private names) or ".locks".
inline std::vector<std::string> OwnShmEntries(const IpcNamespace& ns) {
  std::vector<std::string> found;
  const std::string mark = "." + std::to_string(ns.uid) + ns.suffix;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator("/dev/shm", ec)) {
    const std::string name = e.path().filename().string();
    const size_t at = name.find(mark);
    const size_t end = at + mark.size();
    if (at != std::string::npos && (end == name.size() || name[end] == '-' || name[end] == '.'))
      found.push_back(e.path().string());
  }
  return found;
}

}  // namespace pm2::test
