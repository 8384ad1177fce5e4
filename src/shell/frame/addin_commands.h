// The frame's side of the add-in link: the Tools menu's three add-in
// commands (setup, start/stop, show the current line), the add-in's
// connection watched by the event loop, and the frame services the link
// calls back.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "browser/browse_session.h"
#include "shell/tools/addin_link.h"

class QDialog;
class QSocketNotifier;

namespace pm2 {

class AddInServer;
class AddInWaitFilter;
class CMainFrame;
class SettingsStore;
class ShellApp;

class AddInCommands : public AddInFrame {
 public:
  // Registers the commands and their update handlers with the frame.
  AddInCommands(CMainFrame& frame, ShellApp& app, SettingsStore& settings);
  ~AddInCommands() override;
  AddInCommands(const AddInCommands&) = delete;
  AddInCommands& operator=(const AddInCommands&) = delete;

  // Runs a dialog modally; tests replace it to drive the dialog.
  std::function<int(QDialog&)> m_runDialog;

  AddInLinkLogic& Logic() { return m_logic; }
  // Starts the configured add-in and watches its connection; false with
  // the error shown when it cannot run.
  bool Start();
  // The frame closes: the add-in is asked to close too.
  void NotifyClose();
  // A file was saved or shown: the add-in follows it.
  void NotifyFile(const std::string& file, int line);
  // The browse information the add-in's look-ups load on demand; dropped
  // whenever it may be stale (project opened or closed, a build).
  BrowseSession& Browse() { return m_browse; }
  void FreeBrowseInfo() { m_browse.Free(); }

  void OnSetup();
  void OnToggle();
  void OnShowInAddIn();

  // ---- AddInFrame
  void Beep() override;
  int MessageBox(const std::string& text, int kind) override;
  void ShowProjectFile(const std::string& path) override;
  void OpenFileAndShow(const std::string& path, int line) override;
  bool LeftButtonDown() override;
  bool IsDebugging() override;
  bool TargetRunning() override;
  void RunTarget() override;
  intptr_t IdeServiceCall(int code, intptr_t arg) override;
  std::optional<std::string> FindSymbolLocation(const std::string& symbol, bool definition,
                                                BrowseLocation* location) override;
  bool StepReference(bool next, BrowseLocation* location) override;

 private:
  void Register();
  std::string ProgramPath() const;
  // Follows the server's sockets after anything that may have changed them.
  void WatchSockets();
  void PollSockets();

  CMainFrame& m_frame;
  ShellApp& m_app;
  SettingsStore& m_settings;
  AddInLinkLogic m_logic;
  std::unique_ptr<AddInServer> m_server;
  std::unique_ptr<QSocketNotifier> m_listenNotifier;
  std::unique_ptr<QSocketNotifier> m_connNotifier;
  int m_watchedConn = -1;
  bool m_polling = false;
  BrowseSession m_browse;
  // While an answer is awaited: the status bar names the add-in, Esc ends the wait.
  void AddInWait(bool waiting, const std::string& program);
  std::unique_ptr<AddInWaitFilter> m_waitFilter;
};

}  // namespace pm2
