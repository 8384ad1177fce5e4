#include "platform/ipc_namespace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace pm2 {

std::string IpcNamespace::ObjectName(std::string_view base) const {
  std::string name = "/";
  name += base;
  name += '.';
  name += std::to_string(uid);
  name += suffix;
  if (!privateKey.empty()) name += "-" + privateKey;
  return name;
}

std::string IpcNamespace::PrivateKeyFile() const {
  return RuntimeFile("ipc-names." + std::to_string(uid) + suffix);
}

std::vector<std::string> IpcNamespace::ShmPaths(const std::vector<std::string>& mappings,
                                                const std::vector<std::string>& semaphores) const {
  // Linux keeps shared memory as "/dev/shm/<name>", semaphores as
  // "/dev/shm/sem.<name>" (the name without its leading '/').
  std::vector<std::string> paths {LockFolder()};
  for (const std::string& base : mappings) paths.push_back("/dev/shm/" + ObjectName(base).substr(1));
  for (const std::string& base : semaphores) paths.push_back("/dev/shm/sem." + ObjectName(base).substr(1));
  return paths;
}

std::string IpcNamespace::LockFolder() const {
  // Where shm_open and sem_open keep the objects on this system.
  return "/dev/shm" + ObjectName("pm2") + ".locks";
}

std::string IpcNamespace::LockPath(std::string_view base) const {
  std::string path = LockFolder() + "/";
  path += base;
  path += ".lock";
  return path;
}

std::string IpcNamespace::RuntimeFile(std::string_view name) const {
  std::string path = runtimeDir + "/";
  path += name;
  return path;
}

IpcNamespace IpcNamespace::FromEnvironment() {
  IpcNamespace ns;
  ns.uid = static_cast<unsigned>(getuid());
  if (const char* s = std::getenv("PM2_IPC_SUFFIX")) ns.suffix = s;
  const char* run = std::getenv("XDG_RUNTIME_DIR");
  if (run && *run)
    ns.runtimeDir = run;
  else
    ns.runtimeDir = "/tmp/pm2-" + std::to_string(ns.uid);
  return ns;
}

IpcNamespace IpcNamespace::ForTest(std::string suffix, std::string runtimeDir) {
  IpcNamespace ns;
  ns.uid = static_cast<unsigned>(getuid());
  ns.suffix = std::move(suffix);
  ns.runtimeDir = std::move(runtimeDir);
  return ns;
}

namespace {

// Creates a private folder (mode 0700) when it is missing and checks that
// it is a folder of this user; `what` names it in the error.
bool EnsureOwnFolder(const std::string& dir, unsigned uid, const char* what, std::string* err) {
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    if (err) *err = std::string("Cannot create the ") + what + " '" + dir + "': " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (err) *err = std::string("The ") + what + " '" + dir + "' is not a folder";
    return false;
  }
  if (st.st_uid != uid) {
    if (err) *err = std::string("The ") + what + " '" + dir + "' belongs to another user";
    return false;
  }
  return true;
}

}  // namespace

bool IpcNamespace::EnsureRuntimeDir(std::string* err) const {
  return EnsureOwnFolder(runtimeDir, uid, "runtime folder", err);
}

bool IpcNamespace::EnsureLockFolder(std::string* err) const {
  return EnsureOwnFolder(LockFolder(), uid, "lock folder", err);
}

}  // namespace pm2
