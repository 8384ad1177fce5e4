#include "platform/ipc_foreign_object.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pm2 {
namespace {

std::string UserName(unsigned uid) {
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(static_cast<uid_t>(uid), &entry, buffer, sizeof buffer, &found) != 0 || !found || !found->pw_name)
    return "";
  return found->pw_name;
}

}  // namespace

bool FindForeignObject(const std::vector<std::string>& paths, unsigned uid, ForeignObject* found) {
  bool any = false;
  for (const std::string& path : paths) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || st.st_uid == uid) continue;
    if (any) {
      ++found->others;
      continue;
    }
    any = true;
    *found = ForeignObject {path, static_cast<unsigned>(st.st_uid), UserName(st.st_uid), 0};
  }
  return any;
}

std::string OwnerText(const ForeignObject& object) {
  std::string text = "'" + object.path + "' belongs to ";
  text += object.user.empty() ? "the user with uid " + std::to_string(object.uid)
                              : "user " + object.user + " (uid " + std::to_string(object.uid) + ")";
  if (object.others > 0)
    text += " (and " + std::to_string(object.others) + " more of the names to another user)";
  return text;
}

bool OwnedOrMissing(const std::string& path, unsigned uid) {
  struct stat st {};
  return lstat(path.c_str(), &st) != 0 || st.st_uid == uid;
}

}  // namespace pm2
