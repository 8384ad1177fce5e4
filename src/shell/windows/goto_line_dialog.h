// The modeless go-to-line dialog of the editor: a line number and a "Go To"
// button. The dialog stays open after a jump so that the user can jump
// again; Enter and Escape do nothing, only the close box closes it (and the
// window is then destroyed and forgotten by the registry).
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace pm2 {

// The editor view the dialog jumps in.
class GotoLineTarget {
 public:
  virtual ~GotoLineTarget() = default;
  virtual bool HasActiveEditorView() = 0;
  // False when the view refuses the line.
  virtual bool GoToLine(long line) = 0;
};

class GotoLineDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kEditId = 1473;
  static constexpr int kButtonId = 1223;

  // beep: the refusal (null: the platform's beep). Deletes itself when closed.
  GotoLineDialog(GotoLineTarget& target, std::function<void()> beep = nullptr,
                 QWidget* parent = nullptr);
  QLineEdit* Edit() const { return m_edit; }
  QPushButton* GoButton() const { return m_go; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Go();
  void Refuse();
  GotoLineTarget& m_target;
  std::function<void()> m_beep;
  QLineEdit* m_edit;
  QPushButton* m_go;
};

}  // namespace pm2
