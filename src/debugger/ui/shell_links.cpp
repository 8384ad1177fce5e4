#include "debugger/ui/shell_links.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "shell/frame/main_frame.h"

namespace pm2 {

std::string SupportPageUrl(const std::string& page) {
  return "https://www.vond-software.example" + page + "?P=Pelmora2&V=2.0&S=Linux";
}

ShellLinks::ShellLinks(CMainFrame& frame, std::function<bool(const std::string&)> open)
    : QObject(&frame), m_frame(frame), m_open(std::move(open)) {
  if (!m_open)
    m_open = [](const std::string& url) { return QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); };
  static const struct {
    unsigned id;
    const char* page;
  } kPages[] = {{kCmdKnowledgeBase, "/support/kb.asp"},
                {kCmdContact, "/support/contact.asp"},
                {kCmdUpdateCheck, "/update/check.asp"}};
  for (const auto& p : kPages) {
    const std::string url = SupportPageUrl(p.page);
    m_frame.OnCommand(p.id, [this, url](CommandId) {
      if (!m_open(url)) QApplication::beep();
    });
    m_frame.OnUpdate(p.id, [](CommandState& s) { s.Enable(true); });
  }
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
  // Each dropped file opens (or comes to the front when it is open).
  for (const QUrl& url : e->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    std::string path = url.toLocalFile().toStdString();
    if (path.size() > 511) continue;
    m_frame.OpenFileAndShow(path, 1, -1);
  }
  e->acceptProposedAction();
  return true;
}

}  // namespace pm2
