// The frame's small links to the outside: files dropped on the main window
// open in the editor, and the support web pages open in the desktop's
// browser.
#pragma once

#include <QObject>
#include <functional>
#include <string>

namespace pm2 {

class CMainFrame;

// The address of a support page: the maker's host, the page, and the
// query that names the product, its version and the system.
std::string SupportPageUrl(const std::string& page);

class ShellLinks : public QObject {
 public:
  static constexpr unsigned kCmdKnowledgeBase = 35136, kCmdContact = 35137, kCmdUpdateCheck = 35400;
  // open: shows an address (default: the desktop's browser).
  explicit ShellLinks(CMainFrame& frame, std::function<bool(const std::string&)> open = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CMainFrame& m_frame;
  std::function<bool(const std::string&)> m_open;
};

}  // namespace pm2
