// The debug bar's content: a tab window with the pages "Locals",
// "Watch #1", "Watch #2" and "Call Stack". Only the page in front is
// current: the window updates after a stop reach that page alone (the call
// stack is registered once it was shown and stays so).
#pragma once

#include <QWidget>
#include <functional>

#include "debugger/model/watch_model.h"
#include "toolkit/models/tab_model.h"

namespace pm2 {

class CallStackWindow;
class SEC3DTabWnd;
class WatchWindow;

class DebugBarWindow : public QWidget, public TabListener {
 public:
  static constexpr unsigned kTabWndId = 0xE900;
  enum Page { kLocals = 0, kWatch1 = 1, kWatch2 = 2, kCallStack = 3 };

  struct Services {
    std::function<void()> beep;
    std::function<void()> assignmentDone;          // deferred command 2048
    std::function<bool(uint32_t)> showSource;      // IDE service 21
    std::function<void()> askCallStack;            // the driver's call stack brought up to date
    std::function<void(const std::string&)> say;   // a refusal's reason (a message box)
  };
  DebugBarWindow(DebugInterface* const* record, Services services, QWidget* parent = nullptr);
  ~DebugBarWindow() override;

  WatchWindow* Watch(int slot) const { return m_watch[slot]; }
  CallStackWindow* CallStack() const { return m_callStack; }
  // The current watch page (null while the call stack is in front) and
  // the call stack once it was shown.
  WatchWindow* CurrentWatch() const { return m_current; }
  CallStackWindow* RegisteredCallStack() const { return m_callStackShown ? m_callStack : nullptr; }
  void ActivatePage(int page);
  int ActivePage() const;

  // After a stop: the current watch page and the call stack.
  void TargetStopped();
  // Session start and end.
  void SessionStarted();
  void SessionEnded();

  std::intptr_t OnTabMessage(unsigned message, std::intptr_t wParam, TabActivateInfo* info) override;

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void PageActivated(int page);

  SEC3DTabWnd* m_tabs = nullptr;
  WatchWindow* m_watch[3] = {};
  CallStackWindow* m_callStack = nullptr;
  WatchWindow* m_current = nullptr;
  bool m_callStackShown = false;
  bool m_ending = false;  // the pages are being deleted
};

}  // namespace pm2
