#include "shell/frame/frame_startup.h"

#include <QCoreApplication>
#include <QFontDatabase>

#include "editor/text/editor_keys.h"
#include "platform/settings_store.h"
#include "shell/app/shell_app.h"
#include "ipc/ipc_interface.h"
#include "shell/frame/ipc_wiring.h"
#include "shell/frame/main_frame.h"
#include "shell/frame/project_commands_ext.h"
#include "shell/windows/qt_user_dialogs.h"
#include "shell/windows/shell_runtime.h"
#include "shell/app/build_port.h"
#include "toolkit/controls/kept_standard_icons.h"
#include "toolkit/frames/splash_wnd.h"

namespace pm2 {

FrameStartup::FrameStartup(ShellRuntime& runtime, SettingsStore& settings, bool splash,
                           std::shared_future<void> fontConfiguration)
    : m_runtime(runtime), m_store(settings), m_splash(splash) {
  // Work that needs no window is done on a helper thread while the frame
  // is made. Reading the font configuration and the list of fonts takes a
  // few milliseconds that the first measured text would otherwise wait
  // for (the database locks itself). A read of the configuration still
  // under way is waited for: the font list would otherwise start a second
  // one from the beginning (the library keeps whichever ends first). The
  // event interface's shared objects are made then too: the interface is
  // still announced, with its handlers in place, at its own start-up step,
  // whose activation finds them made (activation locks itself and is done
  // once); that step does not wait for the attach lock again when this
  // attempt failed because another process holds it.
  m_helper = std::thread([fontConfiguration = std::move(fontConfiguration)] {
    if (fontConfiguration.valid()) fontConfiguration.wait();
    (void)QFontDatabase::families();
    (void)GetEventDispatcher().Activate();
  });
}

void FrameStartup::WaitForHelper() {
  if (m_helper.joinable()) m_helper.join();
}

FrameStartup::~FrameStartup() {
  WaitForHelper();
  DestroyFrame();
  if (m_ipc) m_runtime.App().SetIpcPort(nullptr);
  m_ipc.reset();
  // The program's attachment to the event interface ends with it: the last
  // process to leave removes the named objects (POSIX keeps them otherwise).
  DestroyEventDispatcher();
}

void FrameStartup::StartEventInterface() {
  // The attempt made meanwhile is over (ShowMainFrame waited for it when
  // the window came); its outcome, and its reason, stand.
  WaitForHelper();
  if (!m_ipc) {
    m_ipc = std::make_unique<IpcWiring>(m_runtime.App(), GetEventDispatcher());
    m_ipc->m_componentsOpen = [this] {
      const ProjectCommandsExt* commands = m_frame ? m_frame->ProjectCommands() : nullptr;
      return commands && commands->ComponentsSheetOpen();
    };
    m_runtime.App().SetIpcPort(m_ipc.get());
  }
  m_ipc->StartEventInterface();
}

void FrameStartup::OpenInstanceChannel() {
  if (m_ipc) m_ipc->OpenInstanceChannel();
}

void FrameStartup::CloseInstanceChannel() {
  if (m_ipc) m_ipc->CloseInstanceChannel();
}

void FrameStartup::SendGoodbye() {
  if (m_ipc) m_ipc->SendGoodbye();
}

// The settings live under the maker's and the program's names; Qt's own
// places (its caches, the desktop's file dialogs) take the same names.
void FrameStartup::SetUpProfile() {
  QCoreApplication::setOrganizationName("Vond");
  QCoreApplication::setApplicationName("Pelmora2");
}

// The add-in link is made with the frame (step 10); one left from an
// earlier start in this process goes with its frame.
void FrameStartup::ClearAddInLink() { DestroyFrame(); }

// The editor's documents are the one template this program has built; the
// disassembly, serial, analyser and browse windows come with their parts.
void FrameStartup::RegisterDocumentTemplates() { m_templates = {"Text"}; }

// The framework's own command line has nothing more to do here: the
// program's options are read by the application at the next steps, and no
// empty document is opened at start.
bool FrameStartup::ProcessShellCommand() { return m_frame != nullptr; }

void FrameStartup::LoadShortcutTable() {
  if (m_frame) m_frame->InstallShortcutTable();
}

// Help files open in the desktop's viewer; the frame owns the requests.
void FrameStartup::InitHelp() {
  if (m_frame) m_frame->SetHelpReady(true);
}

void FrameStartup::CloseHelp() {
  if (m_frame) m_frame->SetHelpReady(false);
}

// The editor's file-type sections get their defaults (keyword files,
// colours, fonts) where the settings don't hold them yet.
void FrameStartup::LoadEditorDefaults() { InitEditorProfiles(m_store); }

void FrameStartup::LoadFrameSettings() {
  m_settings = pm2::LoadFrameSettings(m_store);
  ShellApp& app = m_runtime.App();
  app.m_outputHeight = m_settings.outputHeight;
  app.m_projectWidth = m_settings.projectWidth;
  if (m_settings.reopenLastProject)
    app.SetState(kStateReopenLastProject);
  else
    app.ClearState(kStateReopenLastProject);
}

void FrameStartup::ShowSplash(int /*bitmap*/, int ms) {
  if (!m_splash) return;
  auto* splash = new SECSplashWnd(SECSplashWnd::kDefaultBitmap, ms);
  splash->setAttribute(Qt::WA_DeleteOnClose);
  if (!splash->Create()) delete splash;
}

bool FrameStartup::CreateMainFrame() {
  // Before the first window: every dialog and message box of the run then
  // shows the same standard icons, and Qt's pixmap cache keeps one copy of
  // their images.
  KeepStandardIcons();
  m_frame = std::make_unique<CMainFrame>(m_runtime.App(), m_store, &m_runtime.Build(), m_settings);
  if (!m_frame->OnCreate()) {
    m_frame.reset();
    return false;
  }
  m_runtime.App().SetFrame(m_frame.get());
  // Message boxes belong to the frame from now on, so that they open over
  // it and over its floating windows.
  m_runtime.Dialogs().SetParentWindow(m_frame.get());
  return true;
}

void FrameStartup::ShowMainFrame() {
  // An attach kept waiting by another process (one that holds the attach
  // lock) waits here, before the window is there, rather than behind a
  // window that would not answer meanwhile.
  WaitForHelper();
  if (m_frame) m_frame->ShowMainFrame(1);
}

void FrameStartup::SaveFrameSettings() { pm2::SaveFrameSettings(m_store, m_settings); }

void FrameStartup::DestroyFrame() {
  if (!m_frame) return;
  if (m_runtime.App().m_pSelItem) m_runtime.App().m_pSelItem = nullptr;
  m_runtime.App().SetFrame(nullptr);
  m_runtime.Dialogs().SetParentWindow(nullptr);
  m_frame.reset();
}

}  // namespace pm2
