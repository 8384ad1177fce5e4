// The one-line text input the main frame and the driver ask for (service
// code 23): the prompt is the window title; the edit takes 64 characters;
// OK keeps at most 77 without leading blanks.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

namespace pm2 {

class LineInputDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kEditId = 1473;

  LineInputDialog(const QString& prompt, QWidget* parent = nullptr);
  QLineEdit* Edit() const { return m_edit; }
  QPushButton* OkButton() const { return m_ok; }
  QPushButton* CancelButton() const { return m_cancel; }
  // The text OK kept, and its length (0 after Cancel).
  const std::string& Result() const { return m_result; }
  int ResultLength() const { return static_cast<int>(m_result.size()); }

  // Runs the dialog modally; false on Cancel.
  static bool Run(const std::string& prompt, std::string* text, QWidget* parent = nullptr);

 public slots:
  void accept() override;
  void reject() override;

 private:
  QLineEdit* m_edit;
  QPushButton* m_ok;
  QPushButton* m_cancel;
  std::string m_result;
};

}  // namespace pm2
