#include "builder/runner/process_spawn.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "builder/runner/command_line_split.h"
#include "builder/runner/folder_names.h"
#include "builder/runner/tool_environment.h"
#include "platform/termination.h"

#include <mutex>
#include <set>

extern char** environ;

namespace pm2 {

namespace {

// The process groups of the tools started and not yet reaped. A program
// ended by a signal ends them with it: in groups of their own they get
// neither the terminal's Ctrl+C nor anything else sent to the program.
// A tool is started and noted under the lock its end by a signal takes, so
// the signal finds every tool either noted or not yet started (and then
// none starts): a tool started in between would run on.
std::mutex g_groupsMutex;
std::set<pid_t> g_groups;

void KillRunningGroups() {
  std::lock_guard<std::mutex> lock(g_groupsMutex);
  for (pid_t group : g_groups) ::kill(-group, SIGKILL);
}

// Registers the end of the groups by a signal (once, before the first tool
// starts; not under g_groupsMutex, which that end takes).
void WatchGroups() {
  static const int cleanup = AddTerminationCleanup(KillRunningGroups);
  (void)cleanup;
}

void Ended(pid_t group) {
  std::lock_guard<std::mutex> lock(g_groupsMutex);
  g_groups.erase(group);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EndsWithCi(const std::string& s, const char* tail) {
  size_t n = std::strlen(tail);
  return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, tail) == 0;
}

// The entry of folder whose name equals name ignoring case (the first in
// the folder's order that is a regular file), or "".
std::string FindIgnoringCase(const std::string& folder, const std::string& name) {
  for (const std::string& entry : FolderNamesIgnoringCase(folder, name)) {
    std::string path = folder + entry;
    if (IsRegularFile(path)) return path;
  }
  return {};
}

// The folder as it exists on disk, each component matched ignoring case
// when the exact one is missing; "" when there is none.
std::string ExistingFolder(const std::string& folder) {
  struct stat st;
  if (folder.empty() || (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) return folder;
  std::string done = folder[0] == '/' ? "/" : "";
  size_t pos = done.size();
  while (pos < folder.size()) {
    size_t end = folder.find('/', pos);
    if (end == std::string::npos) end = folder.size();
    std::string part = folder.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty()) continue;
    std::string exact = done + part;
    if (::stat(exact.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      done = exact + "/";
      continue;
    }
    DIR* dir = ::opendir(done.empty() ? "." : done.c_str());
    if (!dir) return {};
    std::string match;
    while (dirent* e = ::readdir(dir)) {
      if (strcasecmp(e->d_name, part.c_str()) != 0) continue;
      std::string candidate = done + e->d_name;
      if (::stat(candidate.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        match = candidate;
        break;
      }
    }
    ::closedir(dir);
    if (match.empty()) return {};
    done = match + "/";
  }
  return done;
}

std::string FindInFolder(const std::string& givenFolder, const std::string& name) {
  if (name.empty()) return {};
  const std::string folder = ExistingFolder(givenFolder);
  if (folder.empty() && !givenFolder.empty()) return {};
  if (IsRegularFile(folder + name)) return folder + name;
  std::string path = FindIgnoringCase(folder, name);
  if (!path.empty()) return path;
  if (EndsWithCi(name, ".EXE") && name.size() > 4) {
    std::string bare = name.substr(0, name.size() - 4);
    if (IsRegularFile(folder + bare)) return folder + bare;
    return FindIgnoringCase(folder, bare);
  }
  return {};
}

std::string Slashes(std::string s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

std::string PathList(const EnvOverlay* env) {
  if (env) {
    auto value = env->Get("PATH", environ);
    return value ? *value : std::string();
  }
  const char* p = std::getenv("PATH");
  return p ? p : "";
}

std::string EnvValue(const EnvOverlay* env, const char* name) {
  if (env) {
    auto value = env->Get(name, environ);
    return value ? *value : std::string();
  }
  const char* p = std::getenv(name);
  return p ? p : "";
}

bool IsWindowsExecutable(const std::string& path) {
  // Non-blocking: a "program" that is a named pipe must not hang the run.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  char magic[2] = {};
  bool mz = ::read(fd, magic, 2) == 2 && magic[0] == 'M' && magic[1] == 'Z';
  ::close(fd);
  return mz;
}

bool IsShellName(const std::string& name) {
  std::string base = name.substr(name.find_last_of("/\\") + 1);
  return strcasecmp(base.c_str(), "CMD") == 0 || strcasecmp(base.c_str(), "CMD.EXE") == 0;
}

// Why `path` can't be run when a file or link of that name is there; empty
// when there is nothing of that name.
std::string WhyNotThere(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return {};
  if (S_ISLNK(st.st_mode)) {
    char target[4096];
    ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    std::string to = n > 0 ? std::string(target, size_t(n)) : std::string("?");
    struct stat end;
    if (::stat(path.c_str(), &end) != 0)
      return "'" + path + "' is a link to '" + to + "': " + std::strerror(errno);
  }
  return "'" + path + "' is no program that can be run";
}

// Where a program that was not found was looked for, and why what was
// there could not be used.
std::string DescribeMissing(const std::string& name, const std::string& pathList, const std::string& folder) {
  std::string n = Slashes(name);
  size_t slash = n.rfind('/');
  if (slash != std::string::npos) {
    std::string path = n;
    if (path[0] != '/' && !folder.empty()) path = folder + path;
    std::string why = WhyNotThere(path);
    return why.empty() ? "'" + path + "': " + std::strerror(ENOENT) : why;
  }
  std::string searched;
  size_t start = 0;
  while (start <= pathList.size()) {
    size_t end = pathList.find(':', start);
    if (end == std::string::npos) end = pathList.size();
    std::string dir = pathList.substr(start, end - start);
    if (!dir.empty() && dir[0] == '/') {
      if (dir.back() != '/') dir += '/';
      std::string why = WhyNotThere(dir + n);
      if (!why.empty()) return why;
      if (searched.size() < 400) searched += (searched.empty() ? "" : ", ") + dir;
    }
    start = end + 1;
  }
  return "'" + n + "' is in none of the folders of PATH (" + searched +
         "); programs are not looked up in the working folder" + (folder.empty() ? "" : " '" + folder + "'") +
         ": to run one of its own, name it with its folder ('./" + n + "')";
}

}  // namespace

std::string FindProgram(const std::string& name, const std::string& pathList, const std::string& folder) {
  std::string n = Slashes(name);
  size_t slash = n.rfind('/');
  if (slash != std::string::npos) {
    std::string dir = n.substr(0, slash + 1);
    if (dir[0] != '/' && !folder.empty()) dir = folder + dir;
    return FindInFolder(dir, n.substr(slash + 1));
  }
  // A name without a folder is looked up as a shell does: on the search
  // list only, never in the working folder. That folder is the project's,
  // and a project made by someone else must not put its own "make" or
  // compiler in place of the system's. A file of the name that is no
  // program (a note called "pwd") hides none further on; it is named when
  // nothing else is found, so the error says why it can't run.
  std::string notAProgram;
  size_t start = 0;
  while (start <= pathList.size()) {
    size_t end = pathList.find(':', start);
    if (end == std::string::npos) end = pathList.size();
    std::string dir = pathList.substr(start, end - start);
    // An empty or relative entry means a folder below the current one
    // (the project's) to a shell: not here.
    if (!dir.empty() && dir[0] == '/') {
      if (dir.back() != '/') dir += '/';
      std::string found = FindInFolder(dir, n);
      if (!found.empty() && IsProgramFile(found)) return found;
      if (!found.empty() && notAProgram.empty()) notAProgram = found;
    }
    start = end + 1;
  }
  return notAProgram;
}

namespace {
std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}
}  // namespace

std::string LocateProgram(const std::string& name, const EnvOverlay* env, const std::string& folder) {
  return FindProgram(name, PathList(env), WithSlash(folder));
}

bool IsProgramFile(const std::string& path) {
  if (!IsRegularFile(path)) return false;
  return EndsWithCi(path, ".BAT") || EndsWithCi(path, ".CMD") || IsWindowsExecutable(path) ||
         ::access(path.c_str(), X_OK) == 0;
}

ResolvedCommand ResolveCommandLine(const std::string& commandLine, const EnvOverlay* env,
                                   const std::string& folder) {
  ResolvedCommand out;
  std::vector<CommandLineArg> args = SplitCommandLineArgs(commandLine);
  if (args.empty()) {
    out.error = "empty command line";
    return out;
  }
  const std::string pathList = PathList(env);
  const std::string where = WithSlash(folder);
  std::string program = FindProgram(args[0].text, pathList, where);
  if (program.empty() && IsShellName(args[0].text)) {
    // The command interpreter's "/C text" (or "/K text") runs text as a shell line.
    out.argv = {"/bin/sh"};
    for (size_t i = 1; i < args.size(); ++i) {
      if (strcasecmp(args[i].text.c_str(), "/C") == 0 || strcasecmp(args[i].text.c_str(), "/K") == 0) {
        out.argv.push_back("-c");
        out.argv.push_back(i + 1 < args.size() ? commandLine.substr(args[i + 1].offset) : std::string());
        break;
      }
    }
    return out;
  }
  if (program.empty()) {
    out.error = DescribeMissing(args[0].text, pathList, where);
    return out;
  }
  if (EndsWithCi(program, ".BAT") || EndsWithCi(program, ".CMD")) {
    out.argv = {"/bin/sh", program};
  } else if (IsWindowsExecutable(program)) {
    std::string launcher = EnvValue(env, "PM2_EXE_LAUNCHER");
    if (launcher.empty()) {
      out.error = "'" + program + "' is a Windows program and PM2_EXE_LAUNCHER is not set";
      return out;
    }
    std::vector<std::string> parts = SplitCommandLine(launcher);
    std::string exe = parts.empty() ? std::string() : FindProgram(parts[0], pathList);
    if (exe.empty()) {
      out.error = "launcher '" + launcher + "' not found";
      return out;
    }
    parts[0] = exe;
    out.argv = parts;
    out.argv.push_back(program);
  } else {
    if (::access(program.c_str(), X_OK) != 0) {
      out.error = "'" + program + "' is not executable";
      return out;
    }
    out.argv = {program};
  }
  for (size_t i = 1; i < args.size(); ++i) out.argv.push_back(args[i].text);
  return out;
}

SpawnResult SpawnProcess(const SpawnSpec& spec) {
  SpawnResult result;
  ResolvedCommand cmd = ResolveCommandLine(spec.commandLine, spec.env, spec.folder);
  if (!cmd.error.empty()) {
    result.error = cmd.error;
    return result;
  }
  std::vector<char*> argv;
  for (auto& a : cmd.argv) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStrings;
  std::vector<char*> envp;
  char** envArg = environ;
  if (spec.env) {
    envStrings = spec.env->Build(environ);
    for (auto& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);
    envArg = envp.data();
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (spec.nullInput) posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (spec.outputFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, spec.outputFd, 1);
    posix_spawn_file_actions_adddup2(&actions, spec.outputFd, 2);
  }
  if (!spec.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, spec.folder.c_str());
  // Duplicated onto itself, the handle loses its close-on-exec flag in the
  // child only.
  if (spec.inheritFd >= 0) posix_spawn_file_actions_adddup2(&actions, spec.inheritFd, spec.inheritFd);

  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (spec.ownProcessGroup) {
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&attr, 0);
  }
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, flags);

  pid_t pid = -1;
  int rc = 0;
  if (spec.ownProcessGroup) WatchGroups();
  {
    std::unique_lock<std::mutex> lock(g_groupsMutex, std::defer_lock);
    if (spec.ownProcessGroup) lock.lock();
    if (spec.ownProcessGroup && TerminationUnderWay()) {
      rc = ECANCELED;
    } else {
      rc = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), envArg);
      if (rc == 0 && spec.ownProcessGroup) g_groups.insert(pid);
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    result.error = "'" + cmd.argv[0] + "': " + std::strerror(rc);
    return result;
  }
  result.pid = pid;
  return result;
}

int WaitProcess(pid_t pid, int timeoutMs) {
  int status = 0;
  pid_t r = ::waitpid(pid, &status, WNOHANG);
  if (r == 0 && timeoutMs > 0) {
    // A pidfd wakes us the moment the child ends; without one, sleep the slice.
    int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
      pollfd p{pidfd, POLLIN, 0};
      ::poll(&p, 1, timeoutMs);
      ::close(pidfd);
    } else {
      ::usleep(static_cast<useconds_t>(timeoutMs) * 1000);
    }
    r = ::waitpid(pid, &status, WNOHANG);
  }
  if (r == 0) return kExitRunning;
  if (r < 0) return errno == EINTR ? kExitRunning : 255;
  Ended(pid);
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return kExitRunning;
}

void KillProcessTree(pid_t pid) {
  if (pid <= 0) return;
  if (::kill(-pid, SIGKILL) != 0) ::kill(pid, SIGKILL);
  Ended(pid);
}

}  // namespace pm2
