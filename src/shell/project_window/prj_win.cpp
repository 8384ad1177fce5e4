#include "shell/project_window/prj_win.h"

#include "project/dialogs/book_view.h"
#include "shell/app/shell_app.h"
#include "shell/project_window/prj_images.h"
#include "shell/project_window/prj_view.h"
#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/tab_windows.h"
#include "toolkit/models/tab_layout.h"

namespace pm2 {

CPrjWin::CPrjWin(ShellApp& app, ProjectViewOwner& owner) : m_app(app) {
  m_tabs = new SEC3DTabWnd(nullptr, 0x10, kTabWndId);
  // Three tabs with an icon each: with the strip's usual blanks their
  // labels would be shortened at the bar's default width.
  if (auto* strip = dynamic_cast<SEC3DTabControlModel*>(m_tabs->TabCtrl())) strip->m_nTextInset = kTabTextInset;
  m_view = new CPrjView(app, owner);
  m_tabs->AddTab(m_view, "Files");
  // The register page shows a debug session's registers; the books page the
  // target's books (filled by the frame's RefreshBooks). The register page
  // stays empty until a session exists.
  auto* regs = new SECListCtrl(nullptr, LVS_REPORT, 0);
  regs->setObjectName("Regs");
  regs->AddColumn("Register", LVCFMT_LEFT, 90);
  regs->AddColumn("Value", LVCFMT_LEFT, 90);
  m_tabs->AddTab(regs, "Regs");
  m_ownRegs = regs;
  auto* books = new BookView;
  m_books = books;
  books->setObjectName("Books");
  m_tabs->AddTab(books, "Books");
  for (int i = 0; i < 3; ++i) m_tabs->SetTabIcon(i, ProjectBarTabIcon(i));
  m_tabs->SetNotifyWnd(this);
  m_tabs->ActivateTab(0);
  SetChild(m_tabs);
}

CPrjWin::~CPrjWin() {
  // Each page loses its tab as it goes, while the tab window is still whole;
  // no page comes to the front on the way.
  m_ending = true;
  delete m_books.data();
  delete m_ownRegs.data();
  delete m_view;
}

void CPrjWin::SetRegisterPage(QWidget* page, std::function<void()> shown) {
  m_registerPageShown = nullptr;
  QWidget* placeholder = nullptr;
  if (m_tabs->GetTabInfo(1, nullptr, nullptr, &placeholder, nullptr, nullptr)) m_tabs->RemoveTab(1);
  m_tabs->InsertTab(page, 1, "Regs");
  m_tabs->SetTabIcon(1, ProjectBarTabIcon(1));
  if (placeholder && placeholder != page) placeholder->deleteLater();
  m_tabs->ActivateTab(0);
  m_registerPageShown = std::move(shown);
}

std::intptr_t CPrjWin::OnTabMessage(unsigned message, std::intptr_t, TabActivateInfo*) {
  if (message != WM_TABCTRL_ACTIVATE || m_ending) return 0;
  int active = -1;
  QWidget* regs = m_tabs->PaneOf(1);
  if (m_tabs->GetActiveTab(&active) && active == 1 && regs) {
    const bool already = m_app.m_windows.Get(WindowSlot::RegTree) == static_cast<void*>(regs);
    m_app.m_windows.Set(WindowSlot::RegTree, regs);
    if (!already && m_registerPageShown) m_registerPageShown();
  } else {
    m_app.m_windows.Set(WindowSlot::RegTree, nullptr);
  }
  return 0;
}

void CPrjWin::ActivatePane(unsigned id) {
  static const unsigned kPages[] = {kFilesPageId, kRegsPageId, kBooksPageId};
  for (int i = 0; i < 3; ++i)
    if (kPages[i] == id) m_tabs->ActivateTab(i);
}

void CPrjWin::resizeEvent(QResizeEvent* e) {
  SECControlBar::resizeEvent(e);
  // The width the frame saves as "PrjW".
  int w = width();
  if (w >= 1 && w <= 1023 && !IsFloating()) m_app.m_projectWidth = w;
}

}  // namespace pm2
