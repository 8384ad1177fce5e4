// CPrjWin: the project bar, a docking control bar holding a tab window
// with the files page (CPrjView), the register page and the books page.
#pragma once

#include <string>

#include "toolkit/frames/control_bar.h"

namespace pm2 {

class CPrjView;
class ProjectViewOwner;
class SEC3DTabWnd;
class ShellApp;

class CPrjWin : public SECControlBar {
 public:
  static constexpr unsigned kBarId = 1003;
  static constexpr unsigned kTabWndId = 59648;
  static constexpr unsigned kFilesPageId = 1005, kRegsPageId = 38003, kBooksPageId = 109;

  CPrjWin(ShellApp& app, ProjectViewOwner& owner);
  std::string ClassName() const override { return "CPrjWin"; }

  CPrjView* View() const { return m_view; }
  SEC3DTabWnd* Tabs() const { return m_tabs; }
  // Brings the page of that id to the front; other ids are ignored.
  void ActivatePane(unsigned id);

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  ShellApp& m_app;
  SEC3DTabWnd* m_tabs = nullptr;
  CPrjView* m_view = nullptr;
};

}  // namespace pm2
