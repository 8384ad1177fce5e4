// pelmora2: the program's entry point. For now it runs the command-line
// build without a window; the shell's start-up takes it over later.
#include <cstdio>

#include "project/environment/install_paths.h"
#include "shell/command_line_build.h"

int main(int argc, char** argv) {
  const pm2::CommandLineArgs args = pm2::ParseCommandLine(pm2::JoinArguments(argc, argv));
  std::string program = pm2::CurrentProgramPath();
  if (program.empty()) program = argv[0];
  return pm2::RunCommandLine(args, program, stdout, stderr);
}
