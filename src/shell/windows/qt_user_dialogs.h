// Message boxes, beeps and the save-file dialog on Qt. Callable from any
// thread: a call from another thread waits while the GUI thread shows the
// box.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <atomic>

#include "shell/app/user_dialogs.h"

namespace pm2 {

class QtUserDialogs : public QObject, public UserDialogs {
  Q_OBJECT
 public:
  // Must be created on the GUI thread; boxes are owned by parent (may be null).
  explicit QtUserDialogs(QWidget* parent = nullptr);
  // The window the boxes belong to (the main frame once it is made): they
  // open over it and over its tool windows (floating bars) rather than
  // behind them.
  void SetParentWindow(QWidget* parent) { m_parent = parent; }
  QWidget* ParentWindow() const { return m_parent; }

  void Beep() override;
  // Beeps so far (the program's refusals are beeps: tests count them).
  int BeepCount() const { return m_beeps; }
  int MessageBox(const std::string& text, int kind) override;
  int MessageBoxOf(const void* asking, const std::string& text, int kind) override;
  bool SaveFileDialog(const std::string& title, const std::string& filter,
                      const std::string& defaultExt, std::string* path) override;

  // "Project Files (*.pm2)|*.pm2||" as Qt's filter "Project Files (*.pm2)".
  static QString QtFilter(const std::string& filter);

 private:
  int ShowBox(const std::string& text, int kind, const void* asking);
  // The window a box belongs to: the one that asked.
  QWidget* Asker(const void* asking) const;
  QPointer<QWidget> m_parent;
  std::atomic<int> m_beeps{0};
};

}  // namespace pm2
