// The workspace manager on the main frame: the workspace commands of the
// Window menu save and reopen, under a name, the layout (the main window's
// placement, the bars and toolbars) and the open text documents (which
// files, where their windows are, which is active).
#pragma once

#include <QObject>
#include <memory>

class QMenu;

namespace pm2 {

class CMainFrame;
class FrameBars;
class SECWorkspaceManagerEx;
class SettingsStore;

class FrameWorkspace : public QObject {
 public:
  FrameWorkspace(CMainFrame& frame, FrameBars& bars, SettingsStore& settings);
  ~FrameWorkspace() override;

  SECWorkspaceManagerEx& Manager() { return *m_manager; }
  // The recent workspaces in a menu, before it shows.
  void FillRecentMenu(QMenu* menu);

 private:
  class Host;
  std::unique_ptr<Host> m_host;
  std::unique_ptr<class QtWorkspacePrompts> m_prompts;
  std::unique_ptr<SECWorkspaceManagerEx> m_manager;
  CMainFrame& m_frame;
};

}  // namespace pm2
