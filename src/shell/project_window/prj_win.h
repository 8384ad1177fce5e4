// CPrjWin: the project bar, a docking control bar holding a tab window
// with the files page (CPrjView), the register page and the books page.
#pragma once

#include <QPointer>
#include <functional>
#include <string>

#include "toolkit/frames/control_bar.h"
#include "toolkit/models/tab_model.h"

namespace pm2 {

class CPrjView;
class ProjectViewOwner;
class SEC3DTabWnd;
class ShellApp;

class CPrjWin : public SECControlBar, public TabListener {
 public:
  static constexpr unsigned kBarId = 1003;
  static constexpr unsigned kTabWndId = 59648;
  static constexpr unsigned kFilesPageId = 1005, kRegsPageId = 38003, kBooksPageId = 109;
  // The blank before a tab's content and after its label (the strip's
  // own is 6 pixels).
  static constexpr int kTabTextInset = 3;

  CPrjWin(ShellApp& app, ProjectViewOwner& owner);
  ~CPrjWin() override;
  std::string ClassName() const override { return "CPrjWin"; }

  CPrjView* View() const { return m_view; }
  SEC3DTabWnd* Tabs() const { return m_tabs; }
  // Brings the page of that id to the front; other ids are ignored.
  void ActivatePane(unsigned id);
  // The debugger's register page takes the place of the empty one. It is
  // published in the window registry only while it is the page in front,
  // so that nothing reads the target's registers for a hidden page;
  // `shown` runs each time it comes to the front (to refresh it). The
  // files page is in front afterwards.
  void SetRegisterPage(QWidget* page, std::function<void()> shown);
  // The register page's owner goes: nothing more to run.
  void ForgetRegisterPageShown() { m_registerPageShown = nullptr; }

  // The tab window reports the page in front.
  std::intptr_t OnTabMessage(unsigned message, std::intptr_t wParam, TabActivateInfo* info) override;

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  ShellApp& m_app;
  SEC3DTabWnd* m_tabs = nullptr;
  CPrjView* m_view = nullptr;
  // The pages this bar made: the tab window lets go of its pages when it
  // goes (they belong to their owners), so the bar deletes its own. The
  // register page made here goes when the debugger's takes its place.
  QPointer<QWidget> m_ownRegs, m_books;
  bool m_ending = false;  // the pages are being deleted
  std::function<void()> m_registerPageShown;
};

}  // namespace pm2
