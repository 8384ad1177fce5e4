// The program's start-up steps that belong to the window side: the
// "MFrame" settings, the splash window, the main frame and its placement.
// The application object calls them in its fixed order.
#pragma once

#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "shell/app/startup_ports.h"
#include "shell/frame/frame_settings.h"

namespace pm2 {

class CMainFrame;
class IpcWiring;
class SettingsStore;
class ShellRuntime;

class FrameStartup : public StartupPorts {
 public:
  // splash: show the start-up picture (tests and batch starts leave it out).
  // fontConfiguration: the font configuration being read on a thread of its
  // own since before the application object was made (valid when one was
  // started); the font list waits for it rather than read it a second time.
  FrameStartup(ShellRuntime& runtime, SettingsStore& settings, bool splash = true,
               std::shared_future<void> fontConfiguration = {});
  ~FrameStartup() override;

  void SetUpProfile() override;
  void LoadEditorDefaults() override;
  void ClearAddInLink() override;
  void RegisterDocumentTemplates() override;
  bool ProcessShellCommand() override;
  void LoadShortcutTable() override;
  void InitHelp() override;
  void CloseHelp() override;
  void LoadFrameSettings() override;
  void ShowSplash(int bitmap, int ms) override;
  bool CreateMainFrame() override;
  void ShowMainFrame() override;
  void SaveFrameSettings() override;
  // The links to other processes (ipc_wiring.h).
  void StartEventInterface() override;
  void OpenInstanceChannel() override;
  void CloseInstanceChannel() override;
  void SendGoodbye() override;
  IpcWiring* Ipc() const { return m_ipc.get(); }

  CMainFrame* Frame() const { return m_frame.get(); }
  // Deletes the main frame (after the event loop, before the exit steps).
  void DestroyFrame();
  FrameSettings& Settings() { return m_settings; }
  // The document templates registered at start-up, in their order.
  const std::vector<std::string>& DocumentTemplates() const { return m_templates; }

 private:
  ShellRuntime& m_runtime;
  SettingsStore& m_store;
  bool m_splash;
  FrameSettings m_settings;
  std::unique_ptr<CMainFrame> m_frame;
  std::unique_ptr<IpcWiring> m_ipc;
  std::vector<std::string> m_templates;
  // Waits for the helper thread's work, its attempt to join the event
  // interface included.
  void WaitForHelper();

  std::thread m_helper;  // prepares what the frame and the events need, meanwhile
};

}  // namespace pm2
