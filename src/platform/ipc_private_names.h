// The key of the private names under which this user's processes meet when
// another user blocks the usual ones (ipc_namespace.h).
//
// The key file IpcNamespace::PrivateKeyFile() in the user's runtime folder
// (mode 0700, checked to be the user's) holds 32 lowercase hex digits, 16
// random bytes, and a line end; anything else (cut short, damaged, not a
// file) counts as no key. It is written whole into a temporary file beside
// it, then renamed into place. It is made or replaced (when its names are
// blocked too) under the lock file "<key file>.lock", so that two starts at
// once agree on one key.
// The key file stays for later starts: processes of the user that started
// before or start after find one another under the same names.
#pragma once

#include <string>

#include "platform/ipc_namespace.h"

namespace pm2 {

// The key the key file holds; false when there is none (or none readable).
bool ReadPrivateKey(const IpcNamespace& ns, std::string* key);
// The key to use: the one the file holds, unless it is `refused` (its names
// are blocked as well) or there is none; then a new one, made and
// published. False with *err naming the file that could not be written.
bool ObtainPrivateKey(const IpcNamespace& ns, const std::string& refused, std::string* key, std::string* err);

}  // namespace pm2
