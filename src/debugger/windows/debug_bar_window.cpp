#include "debugger/windows/debug_bar_window.h"

#include <QResizeEvent>

#include "debugger/windows/call_stack_window.h"
#include "debugger/windows/watch_window.h"
#include "toolkit/controls/tab_windows.h"

namespace pm2 {

DebugBarWindow::DebugBarWindow(DebugInterface* const* record, Services services, QWidget* parent)
    : QWidget(parent) {
  setObjectName("DebugBar");
  m_tabs = new SEC3DTabWnd(this, 0x10, kTabWndId);
  WatchEnvironment env{services.beep, services.assignmentDone, services.say};
  static const char* const kLabels[] = {"Locals", "Watch #1", "Watch #2"};
  for (int i = 0; i < 3; ++i) {
    m_watch[i] = new WatchWindow(i == 0, record, env);
    m_watch[i]->setObjectName(i == 0 ? "Locals" : i == 1 ? "Watch1" : "Watch2");
    m_tabs->AddTab(m_watch[i], kLabels[i]);
  }
  m_callStack = new CallStackWindow(record, services.showSource, services.beep, services.askCallStack);
  m_tabs->AddTab(m_callStack, "Call Stack");
  m_tabs->SetNotifyWnd(this);
  m_tabs->ActivateTab(0);
  m_current = m_watch[0];
}

// The tab window lets go of its pages when it goes (they belong to their
// owners): this window deletes the ones it made while the tabs are whole.
DebugBarWindow::~DebugBarWindow() {
  m_ending = true;  // no page comes to the front on the way
  m_current = nullptr;
  delete m_callStack;
  for (WatchWindow*& w : m_watch) {
    delete w;
    w = nullptr;
  }
}

int DebugBarWindow::ActivePage() const {
  int index = -1;
  return m_tabs->GetActiveTab(&index) ? index : -1;
}

void DebugBarWindow::ActivatePage(int page) {
  if (page < 0 || page > 3) return;
  m_tabs->ActivateTab(page);
  PageActivated(page);
}

std::intptr_t DebugBarWindow::OnTabMessage(unsigned message, std::intptr_t, TabActivateInfo*) {
  if (message == WM_TABCTRL_ACTIVATE && !m_ending) PageActivated(ActivePage());
  return 0;
}

void DebugBarWindow::PageActivated(int page) {
  if (page < 0 || page > 3) return;
  if (page < 3) {
    m_current = m_watch[page];
    m_current->Attach();
    return;
  }
  // The call stack in front: no watch page is current.
  m_current = nullptr;
  m_callStackShown = true;
  m_callStack->Refresh();
}

void DebugBarWindow::TargetStopped() {
  if (m_current) m_current->Refresh();
  if (m_callStackShown) m_callStack->Refresh();
}

void DebugBarWindow::SessionStarted() {
  if (m_current) m_current->Attach();
  if (m_callStackShown) m_callStack->Refresh();
}

void DebugBarWindow::SessionEnded() {
  for (WatchWindow* w : m_watch) w->ClearValues();
  m_callStack->Clear();
}

void DebugBarWindow::resizeEvent(QResizeEvent* e) {
  m_tabs->setGeometry(0, 0, e->size().width(), e->size().height());
}

}  // namespace pm2
