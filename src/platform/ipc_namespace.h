// Where the event interface's named objects live for one user.
//
// POSIX shared memory and semaphores share one machine-wide name space, so
// every name carries the user's numeric id ("/ZARIzu_file_mapping.1000") and
// an optional suffix that keeps parallel test runs apart
// ("/ZARIzu_file_mapping.1000-t42"). The lock files that say which of the
// objects are in use are keyed the same way (a folder beside the objects),
// so every process that shares the objects shares the locks, whatever its
// runtime folder. Diagnostic files go into the user's runtime folder.
//
// Those names are predictable, and /dev/shm is open to every user: another
// user can make one of them first. Its object is never used nor removed;
// this user's processes then meet under private names, the usual ones
// with a key of 32 random hex digits appended ("/ZARIzu_file_mapping.1000-
// 9f0c..."), which only the key file in the user's own runtime folder
// tells (ipc_private_names.h). The lock folder is named as the objects are.
// Peers that find them are this user's processes with the same runtime
// folder; one with another runtime folder (an ssh shell beside a desktop
// session) or a program that knows only the usual names is not reached
// while the usual names are blocked: the start says so.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

struct IpcNamespace {
  unsigned uid = 0;        // numeric user id appended to every name
  std::string suffix;      // appended after the uid; empty in normal use
  std::string runtimeDir;  // folder for diagnostic files, no trailing '/'
  std::string privateKey;  // empty: the usual names; else appended after '-'

  // "/<base>.<uid><suffix>" - a name for shm_open or sem_open; with a
  // private key "/<base>.<uid><suffix>-<key>".
  std::string ObjectName(std::string_view base) const;
  // "/dev/shm/pm2.<uid><suffix>.locks": beside the objects, named as they are.
  std::string LockFolder() const;
  // "<LockFolder()>/<base>.lock"
  std::string LockPath(std::string_view base) const;
  // "<runtimeDir>/<name>"
  std::string RuntimeFile(std::string_view name) const;
  // "<runtimeDir>/ipc-names.<uid><suffix>": the private key, when the
  // usual names are blocked.
  std::string PrivateKeyFile() const;
  // The files in /dev/shm that stand behind the names of `bases` (shared
  // memory "<name>", semaphores "sem.<name>") and the lock folder: every
  // name that another user could make first.
  std::vector<std::string> ShmPaths(const std::vector<std::string>& mappings,
                                    const std::vector<std::string>& semaphores) const;

  // The real user's id, the suffix from the environment variable
  // PM2_IPC_SUFFIX (empty when unset) and the runtime folder from
  // XDG_RUNTIME_DIR, else "/tmp/pm2-<uid>".
  static IpcNamespace FromEnvironment();
  // The real user's id with an explicit suffix and runtime folder (tests).
  static IpcNamespace ForTest(std::string suffix, std::string runtimeDir);

  // Creates the runtime folder (mode 0700) when it is missing and checks
  // that it belongs to this user. False with *err naming the folder.
  bool EnsureRuntimeDir(std::string* err) const;
  // The same for the lock folder.
  bool EnsureLockFolder(std::string* err) const;
};

}  // namespace pm2
