// The application layer wired for the window program: the GUI-thread hub,
// timers, message boxes, the project-file watcher, the build and the
// application object, created in the order they depend on each other. The
// program makes one after its QApplication and before its main frame.
#pragma once

#include <memory>

namespace pm2 {

class SettingsStore;
class ShellApp;
class QtNotificationHub;
class QtTimerPort;
class QtUserDialogs;
class FileWatch;
class DriverBuildPort;

class ShellRuntime {
 public:
  // settings: the loaded settings store; it must outlive the runtime.
  explicit ShellRuntime(SettingsStore& settings);
  ~ShellRuntime();
  ShellRuntime(const ShellRuntime&) = delete;
  ShellRuntime& operator=(const ShellRuntime&) = delete;

  ShellApp& App() { return *m_app; }
  QtNotificationHub& Hub() { return *m_hub; }
  QtUserDialogs& Dialogs() { return *m_dialogs; }
  DriverBuildPort& Build() { return *m_build; }

 private:
  std::unique_ptr<QtNotificationHub> m_hub;
  std::unique_ptr<QtTimerPort> m_timer;
  std::unique_ptr<QtUserDialogs> m_dialogs;
  std::unique_ptr<FileWatch> m_watch;
  std::unique_ptr<DriverBuildPort> m_build;
  std::unique_ptr<ShellApp> m_app;
};

}  // namespace pm2
