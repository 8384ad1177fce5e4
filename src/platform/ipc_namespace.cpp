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
  return name;
}

std::string IpcNamespace::LockPath(std::string_view base) const {
  std::string path = runtimeDir + "/";
  path += base;
  path += '.';
  path += std::to_string(uid);
  path += suffix;
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

bool IpcNamespace::EnsureRuntimeDir(std::string* err) const {
  if (mkdir(runtimeDir.c_str(), 0700) != 0 && errno != EEXIST) {
    if (err) *err = "Cannot create the runtime folder '" + runtimeDir + "': " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (lstat(runtimeDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (err) *err = "The runtime folder '" + runtimeDir + "' is not a folder";
    return false;
  }
  if (st.st_uid != uid) {
    if (err) *err = "The runtime folder '" + runtimeDir + "' belongs to another user";
    return false;
  }
  return true;
}

}  // namespace pm2
