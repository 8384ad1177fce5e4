// pelmora2_window: the main window, started by pelmora2 in its own place
// when there is a display (see main.cpp). With -b or -r the build runs in
// the window, which closes when it ends; the exit status is the build's.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <future>

#include "platform/settings_store.h"
#include "platform/termination.h"
#include "project/environment/install_paths.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/shell_app.h"
#include "shell/command_line_build.h"
#include "shell/frame/frame_startup.h"
#include "shell/window_program.h"
#include "shell/windows/shell_runtime.h"

namespace {

// PM2_QUIT_WHEN_SHOWN: at the first paint of a top-level window (the main
// one: PM2_NO_SPLASH leaves out the picture), once the paint of all of it is
// done, print "shown" and end, so that a script can time the start-up to the
// window on the screen.
class QuitWhenShown : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
      m_seen = true;
      QTimer::singleShot(0, qApp, [] {
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
        QCoreApplication::quit();
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool m_seen = false;
};

// Reading the font configuration (a few milliseconds of parsing) is the
// first thing the frame's first text waits for. It needs no application
// object, so it starts on its own thread before the window system's
// connection is made; the font database then finds it read (the frame's
// start-up waits for it to end rather than begin a read of its own). The
// library is already loaded with Qt's; looking the call up keeps this
// program from depending on it where Qt draws text another way.
std::shared_future<void> ReadFontConfiguration() {
  return std::async(std::launch::async, [] {
           using Init = int (*)();
           if (auto init = reinterpret_cast<Init>(::dlsym(RTLD_DEFAULT, "FcInit"))) init();
         })
      .share();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string line = pm2::JoinArguments(argc, argv);
  const pm2::CommandLineArgs args = pm2::ParseCommandLine(line);
  std::string self = pm2::CurrentProgramPath();
  if (self.empty()) self = argv[0];
  // Everything named after the program is pelmora2's, beside this one.
  const std::string program = pm2::MainProgramPath(self);
  const bool batch = args.build || args.rebuild;
  // Ended by SIGTERM, SIGINT or SIGHUP, the program leaves neither the event
  // interface's shared objects (as their last user) nor running tools.
  pm2::InstallTerminationHandlers();

  const std::shared_future<void> fontConfiguration = ReadFontConfiguration();
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
  pm2::FrameStartup ports(runtime, settings, !batch && std::getenv("PM2_NO_SPLASH") == nullptr, fontConfiguration);
  int rc = 0;
  QuitWhenShown quitWhenShown;
  if (std::getenv("PM2_QUIT_WHEN_SHOWN") && !batch) qt.installEventFilter(&quitWhenShown);
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
  fontConfiguration.wait();
  ports.DestroyFrame();
  const bool wasBatch = app.HasState(pm2::kStateBatchBuild);
  app.ExitInstance(ports);
  return wasBatch ? app.BatchExitStatus() : rc;
}
