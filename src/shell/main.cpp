// pelmora2: the program's entry point.
#include <cstdio>
#include <cstring>

static const char kUsage[] =
    "Pelmora2 - integrated development environment for embedded microcontrollers\n"
    "\n"
    "usage: pelmora2 [-b | -r] [-t target] [-o file] [-p] project.pm2\n"
    "  -b         build the target, then exit\n"
    "  -r         rebuild the target, then exit\n"
    "  -d         open the project and start a debug session\n"
    "  -t target  the target to build (default: the project's current target)\n"
    "  -o file    write a copy of the build output to this file\n"
    "  -p         the next word names the project\n"
    "  -x, -y     open the channel to other running instances\n";

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  std::fputs(kUsage, stdout);
  return argc > 1 ? 2 : 0;
}
