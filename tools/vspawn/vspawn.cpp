// The spawn helper "VSPAWN.EXE": runs the program named by its first
// argument with the remaining arguments, on the same standard handles, and
// exits with the program's exit code (254 when it can't be started).
//
// The program takes this process's place (exec) rather than running as its
// child: the exit code, the handles, the process group a stop ends and the
// folder are the same, and every tool run of a build costs one process
// start fewer.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "builder/runner/command_line_split.h"
#include "builder/runner/process_spawn.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: VSPAWN program [arguments]\n");
    return 254;
  }
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += pm2::QuoteCommandLineArg(argv[i]);
  }
  // Found as a child of ours would be: by exact name, ignoring case,
  // without ".EXE", a batch file through the shell, a Windows program
  // through the launcher.
  pm2::ResolvedCommand cmd = pm2::ResolveCommandLine(commandLine, nullptr, std::string());
  if (!cmd.error.empty()) {
    std::fprintf(stderr, "VSPAWN: can't execute %s\n", cmd.error.c_str());
    return 254;
  }
  std::vector<char*> args;
  for (std::string& a : cmd.argv) args.push_back(a.data());
  args.push_back(nullptr);
  // The tool starts with no signal blocked and every signal at its default.
  for (int sig = 1; sig < NSIG; ++sig) ::signal(sig, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execv(args[0], args.data());
  std::fprintf(stderr, "VSPAWN: can't execute '%s': %s\n", cmd.argv[0].c_str(), std::strerror(errno));
  return 254;
}
