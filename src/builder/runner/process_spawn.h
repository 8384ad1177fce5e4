// Child processes of the tool runner and the spawn helper: a Windows-style
// command line is split, its program looked up (exact name, then ignoring
// case, then without ".EXE"), and started with posix_spawn in its own
// process group with the environment made from an overlay.
//
// Programs of the original platform: "CMD /C text" runs text through
// /bin/sh -c; a ".BAT" file runs through /bin/sh; a Windows executable
// ("MZ" header) runs through the launcher named by PM2_EXE_LAUNCHER, and
// without one it is refused.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace pm2 {

class EnvOverlay;

struct SpawnSpec {
  std::string commandLine;         // one Windows-style string
  std::string folder;              // working folder; empty: the current one
  const EnvOverlay* env = nullptr; // null: the IDE's own environment
  int outputFd = -1;               // standard output and error; -1 inherits
  bool nullInput = true;           // standard input from /dev/null, so no tool waits
  bool ownProcessGroup = true;     // a stop ends the tool and its children
  int inheritFd = -1;              // a close-on-exec handle the child keeps open
};

struct ResolvedCommand {
  std::vector<std::string> argv;  // argv[0] is the full path to execute
  std::string error;              // why it can't run; empty when argv is set
};

// Finds a program as a shell does: a name with a folder is looked up in
// that folder (relative to `folder`, the working folder); a bare name in
// the absolute folders of pathList (':'-separated) only, never in the
// working folder (the project's: its own "make" must not stand in for the
// system's). For a bare name a file that cannot be run (IsProgramFile) is
// passed over and named only when no folder holds a program of that name.
// Backslashes are read as separators; folders missing under their exact
// name are matched ignoring case. Empty when not found.
std::string FindProgram(const std::string& name, const std::string& pathList,
                        const std::string& folder = {});

// FindProgram with the search list of `env` (null: the IDE's own PATH)
// and `folder` as the working folder.
std::string LocateProgram(const std::string& name, const EnvOverlay* env, const std::string& folder);

// A regular file the spawn can start: executable, a batch file (run by the
// shell) or a Windows program (run by the launcher).
bool IsProgramFile(const std::string& path);

ResolvedCommand ResolveCommandLine(const std::string& commandLine, const EnvOverlay* env,
                                   const std::string& folder = {});

struct SpawnResult {
  pid_t pid = -1;
  std::string error;  // set when pid is -1
};

SpawnResult SpawnProcess(const SpawnSpec& spec);

// Waits for the child: kExitRunning while it runs (timeoutMs elapsed, or
// 0: no waiting), else its exit code; a child ended by a signal gives
// 128 + the signal.
constexpr int kExitRunning = -1;
int WaitProcess(pid_t pid, int timeoutMs);

// Ends the child's process group (and so the tools it started).
void KillProcessTree(pid_t pid);

}  // namespace pm2
