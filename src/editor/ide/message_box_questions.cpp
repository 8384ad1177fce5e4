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
}  // namespace

MessageBoxQuestions::MessageBoxQuestions(QWidget* parent, const char* title)
    : m_parent(parent), m_title(title) {}

DocumentQuestions::Answer MessageBoxQuestions::AskSaveChanges(const std::string& text) {
  QApplication::beep();
  const BoxOwner owner(m_parent);
  auto b = QMessageBox::question(owner.Window(), QString::fromLatin1(m_title), Q(text),
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                 QMessageBox::Yes);
  return b == QMessageBox::Yes ? kYes : b == QMessageBox::No ? kNo : kCancel;
}

bool MessageBoxQuestions::AskYesNo(const std::string& text) {
  const BoxOwner owner(m_parent);
  return QMessageBox::question(owner.Window(), QString::fromLatin1(m_title), Q(text),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void MessageBoxQuestions::ShowError(const std::string& text) {
  QApplication::beep();
  const BoxOwner owner(m_parent);
  QMessageBox::warning(owner.Window(), QString::fromLatin1(m_title), Q(text));
}

}  // namespace pm2
