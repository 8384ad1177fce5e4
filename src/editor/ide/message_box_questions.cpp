#include "editor/ide/message_box_questions.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace pm2 {

namespace {
// Texts are 8-bit bytes; the box shows them as Latin-1 so that no byte is
// lost.
QString Q(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

// A box belongs to the window that asks: the one with the keyboard (a
// modeless window such as Find, whose Mark All tells an invalid
// expression), else the frame's. When it closes the keyboard goes back to
// that window and its field, where the user mends what the box told; a box
// of the frame would leave it in the frame, under the window that asked.
class BoxOwner {
 public:
  explicit BoxOwner(QWidget* parent) : m_focus(QApplication::focusWidget()) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
    if (!owner || owner->windowType() == Qt::Popup) owner = parent;
    m_window = owner;
  }
  ~BoxOwner() {
    if (!m_window || !m_window->isVisible()) return;
    m_window->activateWindow();
    if (m_focus && m_focus->window() == m_window) m_focus->setFocus(Qt::OtherFocusReason);
  }
  BoxOwner(const BoxOwner&) = delete;
  BoxOwner& operator=(const BoxOwner&) = delete;
  QWidget* Window() const { return m_window; }

 private:
  QPointer<QWidget> m_focus;
  QPointer<QWidget> m_window;
};

// The box is made on the heap, not on this stack: its owner may go while
// it is open (a floating frame closed by what its loop runs takes its
// windows and their boxes along), and a box on the stack would then be
// freed by its parent. One that went is answered as its Escape.
QMessageBox::StandardButton AskInBox(QMessageBox::Icon icon, QWidget* owner, const char* title, const QString& text,
                                     QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preset,
                                     QMessageBox::StandardButton gone) {
  QPointer<QMessageBox> box = new QMessageBox(icon, QString::fromLatin1(title), text, buttons, owner);
  if (preset != QMessageBox::NoButton) box->setDefaultButton(preset);
  const int answer = box->exec();
  if (!box) return gone;
  delete box;
  return QMessageBox::StandardButton(answer);
}
}  // namespace

MessageBoxQuestions::MessageBoxQuestions(QWidget* parent, const char* title)
    : m_parent(parent), m_title(title) {}

DocumentQuestions::Answer MessageBoxQuestions::AskSaveChanges(const std::string& text) {
  QApplication::beep();
  const BoxOwner owner(m_parent);
  const auto b = AskInBox(QMessageBox::Question, owner.Window(), m_title, Q(text),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                          QMessageBox::Cancel);
  return b == QMessageBox::Yes ? kYes : b == QMessageBox::No ? kNo : kCancel;
}

bool MessageBoxQuestions::AskYesNo(const std::string& text) {
  const BoxOwner owner(m_parent);
  return AskInBox(QMessageBox::Question, owner.Window(), m_title, Q(text), QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::Yes, QMessageBox::No) == QMessageBox::Yes;
}

void MessageBoxQuestions::ShowError(const std::string& text) {
  QApplication::beep();
  const BoxOwner owner(m_parent);
  AskInBox(QMessageBox::Warning, owner.Window(), m_title, Q(text), QMessageBox::Ok, QMessageBox::NoButton,
           QMessageBox::Ok);
}

}  // namespace pm2
