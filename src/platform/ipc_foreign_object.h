// A file behind one of the event interface's names that another user made
// (in /dev/shm, open to every user): whose it is, for the message that
// says what is in the way. Such a file is never opened for use nor removed
// (root could remove it, but it is not this user's to remove).
#pragma once

#include <string>
#include <vector>

namespace pm2 {

struct ForeignObject {
  std::string path;  // "/dev/shm/sem.bs_InterProcessEventHandler_access_guard0.1000"
  unsigned uid = 0;  // its owner
  std::string user;  // the owner's login name; "" when the id has none
  int others = 0;    // how many more of the names looked at are another user's
};

// The first of `paths` that exists (a symlink is looked at, not followed)
// and that `uid` does not own; false when there is none.
bool FindForeignObject(const std::vector<std::string>& paths, unsigned uid, ForeignObject* found);
// "'/dev/shm/x.1000' belongs to user nobody (uid 65534)"; "... to the user
// with uid 4242" when the id has no name; "(and 2 more of the names)".
std::string OwnerText(const ForeignObject& object);
// True when `path` is not there or `uid` owns it: only then may this user's
// clean-up remove it.
bool OwnedOrMissing(const std::string& path, unsigned uid);

}  // namespace pm2
