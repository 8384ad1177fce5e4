// The spawn helper "VSPAWN.EXE": runs the program named by its first
// argument with the remaining arguments, on the same standard handles, and
// exits with the program's exit code (254 when it can't be started).
#include <cstdio>
#include <string>

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
  pm2::SpawnSpec spec;
  spec.commandLine = commandLine;
  spec.nullInput = false;
  // Stay in the caller's process group, so a stop ends the tool with us.
  spec.ownProcessGroup = false;
  pm2::SpawnResult started = pm2::SpawnProcess(spec);
  if (started.pid < 0) {
    std::fprintf(stderr, "VSPAWN: can't execute %s\n", started.error.c_str());
    return 254;
  }
  int code;
  while ((code = pm2::WaitProcess(started.pid, 1000)) == pm2::kExitRunning) {
  }
  return code;
}
