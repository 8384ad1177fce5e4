// pelmora2: the program's entry point. Without a display -b and -r build
// without a window; any other start says that a display is needed. With a
// display the window program beside this one (pelmora2_window) takes over
// the process with the same arguments and environment.
//
// This program loads no Qt library: a command-line build pays nothing for
// windows it never opens (their libraries cost more at start than a no-op
// build of a small project).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/termination.h"
#include "project/environment/install_paths.h"
#include "shell/command_line_build.h"
#include "shell/frame/display_check.h"
#include "shell/window_program.h"

int main(int argc, char** argv) {
  const std::string line = pm2::JoinArguments(argc, argv);
  const pm2::CommandLineArgs args = pm2::ParseCommandLine(line);
  std::string program = pm2::CurrentProgramPath();
  if (program.empty()) program = argv[0];
  // A display is named but does not answer.
  bool silentDisplay = false;
#ifdef PM2_HAVE_WINDOWS
  const bool batch = args.build || args.rebuild;
  // A batch start whose project is not there would only wait in a message
  // box for nobody; the build without a window reports it and ends.
  // (A path that can't be examined - a link loop, a name too long - is no
  // project either, and must not end the program with an exception.)
  std::error_code noProject;
  const bool batchCanStart = !batch || std::filesystem::exists(args.project, noProject);
  // A timed start (PM2_QUIT_WHEN_IDLE) opens the window on any platform,
  // the offscreen one included. A display that is named but does not answer
  // (a closed session's DISPLAY) would end the window program at its start:
  // a build goes on without the window, as without a display.
  const auto getenv = [](const char* name) -> const char* { return std::getenv(name); };
  const bool named = pm2::HasDisplay(getenv);
  const bool reachable = named && pm2::DisplayReachable(getenv);
  silentDisplay = named && !reachable;
  if (batchCanStart && (reachable || (!batch && std::getenv("PM2_QUIT_WHEN_IDLE")))) {
    const std::string window = pm2::WindowProgramPath(program);
    ::execv(window.c_str(), argv);
    std::fprintf(stderr, "Cannot start the window program '%s': %s\n", window.c_str(), std::strerror(errno));
    // A build still runs without the window; anything else needed it.
    if (!batch) return 1;
  }
#endif
  // A command-line build ended by SIGTERM, SIGINT or SIGHUP ends the tools
  // it started (they run in process groups of their own).
  pm2::InstallTerminationHandlers();
  if (!args.help && !args.build && !args.rebuild && !args.debug) {
    if (silentDisplay)
      std::fprintf(stderr, "Pelmora2 needs a display to open its window (the one named does not answer: DISPLAY '%s', "
                   "WAYLAND_DISPLAY '%s').\n", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "",
                   std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "");
    else
      std::fputs("Pelmora2 needs a display to open its window (none found: DISPLAY and WAYLAND_DISPLAY are unset).\n",
                 stderr);
    std::fputs("Without one it builds from the command line:\n\n", stderr);
  }
  // The process ends as soon as the build's files are closed: freeing the
  // records of every file of the project would only add to the build's time.
  // A sanitized build frees them and returns, so that its leak check runs.
#if defined(__SANITIZE_ADDRESS__)
  constexpr bool kLeakChecked = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  constexpr bool kLeakChecked = true;
#else
  constexpr bool kLeakChecked = false;
#endif
#else
  constexpr bool kLeakChecked = false;
#endif
  if (kLeakChecked) return pm2::RunCommandLine(args, program, stdout, stderr);
  return pm2::RunCommandLine(args, program, stdout, stderr, [](int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
  });
}
