#include "shell/windows/shell_runtime.h"

#include "project/files/file_watcher.h"
#include "shell/app/build_port.h"
#include "shell/app/shell_app.h"
#include "platform/serve_while_waiting.h"
#include "shell/windows/gui_call_server.h"
#include "shell/windows/qt_notification_hub.h"
#include "shell/windows/qt_timer_port.h"
#include "shell/windows/qt_user_dialogs.h"

namespace pm2 {

ShellRuntime::ShellRuntime(SettingsStore& settings)
    : m_hub(std::make_unique<QtNotificationHub>()),
      m_timer(std::make_unique<QtTimerPort>()),
      m_dialogs(std::make_unique<QtUserDialogs>()),
      m_watch(std::make_unique<FileWatch>(*m_hub)),
      // Beeps and boxes of the build reach the application's services.
      m_build(std::make_unique<DriverBuildPort>(*m_hub, nullptr)) {
  ShellDeps deps;
  deps.hub = m_hub.get();
  deps.dialogs = m_dialogs.get();
  deps.settings = &settings;
  deps.timer = m_timer.get();
  deps.build = m_build.get();
  deps.watcher = m_watch.get();
  m_app = std::make_unique<ShellApp>(deps);
  m_hub->SetHandler([app = m_app.get()](int code, intptr_t arg) { return app->OnDebugNotify(code, arg); });
}

ShellRuntime::~ShellRuntime() {
  // Workers end before what they report to goes away; the frame is gone
  // by now, so what they still report reaches no window.
  m_app->SetFrame(nullptr);
  m_watch->Stop();
  m_build->Finish([](const std::function<void()>& wait) { WaitServing(wait, ServePendingGuiCalls); });
  m_build.reset();
  m_hub->SetHandler(nullptr);
  m_app.reset();
}

}  // namespace pm2
