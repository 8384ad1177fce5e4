#include "toolkit/controls/wnd_plugin.h"

#include <QEvent>
#include <QWidget>

namespace pm2 {

SECWndPlugIn::~SECWndPlugIn() {
  // The host outlives the plug-in: only the filter goes.
  if (m_hWnd) m_hWnd->removeEventFilter(this);
  m_hWnd = nullptr;
}

bool SECWndPlugIn::AttachToFrame(QWidget* host) {
  if (!host) return false;
  if (m_hWnd) m_hWnd->removeEventFilter(this);
  m_hWnd = host;
  m_bAttached = true;
  host->installEventFilter(this);
  return true;
}

bool SECWndPlugIn::DetachFromFrame() {
  if (m_hWnd) m_hWnd->removeEventFilter(this);
  m_bAttached = false;
  m_hWnd = nullptr;
  return false;
}

std::intptr_t SECWndPlugIn::SetHandledResult(std::intptr_t value) {
  m_bResultSet = true;
  m_nResult = value;
  return value;
}

std::intptr_t SECWndPlugIn::OnWndMsg(QEvent* event, std::intptr_t* result) {
  if (!m_bAttached) return 0;
  m_bExitMsg = false;
  m_bAllowDefault = false;
  const std::intptr_t handled = OnPlugInEvent(event, result) ? 1 : 0;
  if (m_bResultSet) {
    m_bResultSet = false;
    return m_nResult;
  }
  return handled;
}

bool SECWndPlugIn::DispatchFirst(QEvent* event, std::intptr_t* result) {
  std::intptr_t local = 0;
  if (!result) result = &local;
  *result = 0;
  const std::intptr_t answer = OnWndMsg(event, result);
  if (m_bExitMsg) return true;
  return answer && (event->type() == QEvent::WhatsThis || event->type() == QEvent::QueryWhatsThis);
}

bool SECWndPlugIn::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_hWnd && m_bAttached) {
    std::intptr_t result = 0;
    if (DispatchFirst(event, &result)) return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace pm2
