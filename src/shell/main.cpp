// pelmora2: the program's entry point. With a display it starts the main
// window through the shell's start-up; with -b or -r the build then runs in
// the window, which closes when it ends. Without a display -b and -r build
// without a window; any other start says that a display is needed.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "project/environment/install_paths.h"
#include "shell/command_line_build.h"
#include "shell/frame/display_check.h"

#ifdef PM2_HAVE_WINDOWS
#include <QApplication>
#include <QTimer>

#include "platform/settings_store.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/shell_app.h"
#include "shell/frame/frame_startup.h"
#include "shell/windows/shell_runtime.h"
#endif

namespace {

#ifdef PM2_HAVE_WINDOWS
int RunWindow(int argc, char** argv, const std::string& line, const std::string& program, bool batch) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName("Pelmora2");
  QApplication::setOrganizationName("Vond");
  pm2::SettingsStore settings(pm2::SettingsStore::DefaultPath());
  std::string err;
  if (!settings.Load(&err)) std::fprintf(stderr, "%s\n", err.c_str());
  pm2::ShellRuntime runtime(settings);
  pm2::ShellApp& app = runtime.App();
  // The picture would only hide what a build shows; PM2_NO_SPLASH leaves it
  // out for scripted starts.
  pm2::FrameStartup ports(runtime, settings, !batch && std::getenv("PM2_NO_SPLASH") == nullptr);
  int rc = 0;
  if (app.InitInstance(ports, line, program)) {
    // A batch start whose project did not open has nothing to wait for.
    if (app.HasState(pm2::kStateBatchBuild) && !app.HasState(pm2::kStateBusy) && ports.Frame())
      app.Frame().CloseMainWindow();
    // PM2_QUIT_WHEN_IDLE: end as soon as the started window has handled
    // what its start queued, so that a script can time the start-up.
    if (ports.Frame() && std::getenv("PM2_QUIT_WHEN_IDLE")) QTimer::singleShot(0, &qt, &QCoreApplication::quit);
    if (ports.Frame()) rc = qt.exec();
  } else {
    rc = 1;
  }
  ports.DestroyFrame();
  const bool wasBatch = app.HasState(pm2::kStateBatchBuild);
  app.ExitInstance(ports);
  return wasBatch ? app.BatchExitStatus() : rc;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::string line = pm2::JoinArguments(argc, argv);
  const pm2::CommandLineArgs args = pm2::ParseCommandLine(line);
  std::string program = pm2::CurrentProgramPath();
  if (program.empty()) program = argv[0];
#ifdef PM2_HAVE_WINDOWS
  const bool batch = args.build || args.rebuild;
  // A batch start whose project is not there would only wait in a message
  // box for nobody; the build without a window reports it and ends.
  const bool batchCanStart = !batch || std::filesystem::exists(args.project);
  // A timed start (PM2_QUIT_WHEN_IDLE) opens the window on any platform,
  // the offscreen one included.
  if (batchCanStart && (pm2::HasDisplay([](const char* name) { return std::getenv(name); }) ||
                        (!batch && std::getenv("PM2_QUIT_WHEN_IDLE"))))
    return RunWindow(argc, argv, line, program, batch);
#endif
  if (!args.help && !args.build && !args.rebuild && !args.debug)
    std::fputs("Pelmora2 needs a display to open its window (none found: DISPLAY and WAYLAND_DISPLAY are unset).\n"
               "Without one it builds from the command line:\n\n",
               stderr);
  return pm2::RunCommandLine(args, program, stdout, stderr);
}
