#include "editor/ide/message_box_questions.h"

#include <QApplication>
#include <QMessageBox>

namespace pm2 {

namespace {
// Texts are 8-bit bytes; the box shows them as Latin-1 so that no byte is
// lost.
QString Q(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
}  // namespace

MessageBoxQuestions::MessageBoxQuestions(QWidget* parent, const char* title)
    : m_parent(parent), m_title(title) {}

DocumentQuestions::Answer MessageBoxQuestions::AskSaveChanges(const std::string& text) {
  QApplication::beep();
  auto b = QMessageBox::question(m_parent, QString::fromLatin1(m_title), Q(text),
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                 QMessageBox::Yes);
  return b == QMessageBox::Yes ? kYes : b == QMessageBox::No ? kNo : kCancel;
}

bool MessageBoxQuestions::AskYesNo(const std::string& text) {
  return QMessageBox::question(m_parent, QString::fromLatin1(m_title), Q(text),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void MessageBoxQuestions::ShowError(const std::string& text) {
  QApplication::beep();
  QMessageBox::warning(m_parent, QString::fromLatin1(m_title), Q(text));
}

}  // namespace pm2
