#include "debugger/ui/shell_links.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "shell/frame/main_frame.h"

namespace pm2 {

ShellLinks::ShellLinks(CMainFrame& frame) : QObject(&frame), m_frame(frame) {
  m_frame.setAcceptDrops(true);
  m_frame.installEventFilter(this);
}

bool ShellLinks::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &m_frame) return false;
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* e = static_cast<QDropEvent*>(event);
    if (!e->mimeData()->hasUrls()) return false;
    e->acceptProposedAction();
    return true;
  }
  if (event->type() != QEvent::Drop) return false;
  auto* e = static_cast<QDropEvent*>(event);
  if (!e->mimeData()->hasUrls()) return false;
  // Each dropped file opens (or comes to the front when it is open); a
  // project file as the project.
  for (const QUrl& url : e->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    std::string path = url.toLocalFile().toStdString();
    if (path.size() > 511) continue;
    m_frame.OpenDroppedFile(path);
  }
  e->acceptProposedAction();
  return true;
}

}  // namespace pm2
