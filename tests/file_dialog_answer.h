// Answers the file dialogs the program opens while it lives (modal
// QFileDialogs): with a file, or with Cancel when the file is "". Each
// dialog's title and the window it belongs to are kept.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <string>
#include <utility>
#include <vector>

namespace pm2::test {

// Ends a file dialog with OK on `file`, its name typed whole. Never through
// the dialog's own accept(): that checks the name against the folder it
// lists, which on a loaded machine may not be read yet, and then asks in a
// box no one answers.
inline void EndWithFile(QFileDialog& dialog, const QString& file) {
  dialog.selectFile(file);
  if (auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit")) edit->setText(file);
  static_cast<QDialog&>(dialog).done(QDialog::Accepted);
}

class FileDialogAnswer {
 public:
  explicit FileDialogAnswer(std::string file) : m_file(std::move(file)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      // The dialog open, whether or not it is the active modal window (a
      // window of an earlier case of the process may still be one).
      QFileDialog* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      for (QWidget* w : QApplication::topLevelWidgets())
        if (!dialog && w->isVisible()) dialog = qobject_cast<QFileDialog*>(w);
      if (!dialog) return;
      titles.push_back(dialog->windowTitle().toStdString());
      owners.push_back(dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr);
      if (m_file.empty()) {
        dialog->reject();
        return;
      }
      EndWithFile(*dialog, QString::fromStdString(m_file));
    });
    m_timer.start(10);
  }
  std::vector<std::string> titles;
  std::vector<QPointer<QWidget>> owners;

 private:
  std::string m_file;
  QTimer m_timer;
};

}  // namespace pm2::test
