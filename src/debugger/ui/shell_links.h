// Files dropped on the main window open in the editor; project files as
// the project.
#pragma once

#include <QObject>
#include <functional>
#include <string>

namespace pm2 {

class CMainFrame;

class ShellLinks : public QObject {
 public:
  explicit ShellLinks(CMainFrame& frame);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CMainFrame& m_frame;
};

}  // namespace pm2
