#pragma once
// SECWndPlugIn: an object that sees a host window's events before the host
// does, without subclassing it. Attached, it filters the host's events; a
// handler (OnPlugInEvent) that sets m_bExitMsg ends the event and the host
// never sees it. A handler that only answers true lets the host go on,
// except for help requests. Frames without an event filter of their own can
// call DispatchFirst from their event() instead.

#include <QObject>
#include <QPointer>
#include <cstdint>

class QEvent;
class QWidget;

namespace pm2 {

class SECWndPlugIn : public QObject {
 public:
  SECWndPlugIn() = default;
  ~SECWndPlugIn() override;

  // False for a null host.
  virtual bool AttachToFrame(QWidget* host);
  virtual bool DetachFromFrame();
  std::intptr_t SetHandledResult(std::intptr_t value);

  // The plug-in's look at one event: false while detached; otherwise the
  // handler's answer, or the result fixed by SetHandledResult.
  std::intptr_t OnWndMsg(QEvent* event, std::intptr_t* result);
  // The host's protocol: true when the host must stop and return *result.
  bool DispatchFirst(QEvent* event, std::intptr_t* result);

  QWidget* Host() const { return m_hWnd; }

  bool m_bExitMsg = false;
  bool m_bAllowDefault = false;
  bool m_bResultSet = false;
  std::intptr_t m_nResult = 0;
  bool m_bAttached = false;

 protected:
  // Derived plug-ins handle events here; the base handles nothing.
  virtual bool OnPlugInEvent(QEvent* /*event*/, std::intptr_t* /*result*/) { return false; }
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The host, never owned; it clears itself when the host goes first, so a
  // plug-in that outlives its window neither filters nor touches it.
  QPointer<QWidget> m_hWnd;
};

}  // namespace pm2
