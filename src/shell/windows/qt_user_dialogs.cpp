#include "shell/windows/qt_user_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

namespace pm2 {

namespace {

struct ButtonRow {
  int kind;
  QMessageBox::StandardButtons buttons;
};

constexpr ButtonRow kButtons[] = {
    {kMbOk, QMessageBox::Ok},
    {kMbYesNo, QMessageBox::Yes | QMessageBox::No},
    {kMbOkCancel, QMessageBox::Ok | QMessageBox::Cancel},
    {kMbYesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
};

struct IconRow {
  int kind;
  QMessageBox::Icon icon;
};

constexpr IconRow kIcons[] = {
    {kMbIconExclamation, QMessageBox::Warning},
    {kMbIconQuestion, QMessageBox::Question},
    {kMbIconStop, QMessageBox::Critical},
};

struct AnswerRow {
  QMessageBox::StandardButton button;
  int answer;
};

constexpr AnswerRow kAnswers[] = {
    {QMessageBox::Yes, kIdYes},
    {QMessageBox::No, kIdNo},
    {QMessageBox::Cancel, kIdCancel},
};

int Answer(QMessageBox::StandardButton b) {
  for (const AnswerRow& r : kAnswers)
    if (r.button == b) return r.answer;
  return kIdOk;
}

}  // namespace

QtUserDialogs::QtUserDialogs(QWidget* parent) : m_parent(parent) {}

void QtUserDialogs::Beep() {
  ++m_beeps;
  QApplication::beep();
}

int QtUserDialogs::ShowBox(const std::string& text, int kind) {
  QMessageBox box(m_parent);
  box.setWindowTitle("Pelmora2");
  box.setText(QString::fromLocal8Bit(text.c_str()));
  box.setStandardButtons(QMessageBox::Ok);
  for (const ButtonRow& r : kButtons)
    if (r.kind == (kind & 0xF)) box.setStandardButtons(r.buttons);
  for (const IconRow& r : kIcons)
    if (r.kind == (kind & 0xF0)) box.setIcon(r.icon);
  if (kind & kMbDefButton2) box.setDefaultButton((kind & 0xF) == kMbOkCancel ? QMessageBox::Cancel : QMessageBox::No);
  return Answer(static_cast<QMessageBox::StandardButton>(box.exec()));
}

int QtUserDialogs::MessageBox(const std::string& text, int kind) {
  if (QThread::currentThread() == thread()) return ShowBox(text, kind);
  int result = kIdCancel;
  QMetaObject::invokeMethod(
      this, [this, text, kind] { return ShowBox(text, kind); }, Qt::BlockingQueuedConnection,
      &result);
  return result;
}

QString QtUserDialogs::QtFilter(const std::string& filter) {
  // Pairs of "description|pattern", ended by an empty pair.
  QStringList parts = QString::fromLocal8Bit(filter.c_str()).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    if (!parts[i].isEmpty()) out << parts[i];
  return out.join(";;");
}

bool QtUserDialogs::SaveFileDialog(const std::string& title, const std::string& filter,
                                   const std::string& defaultExt, std::string* path) {
  if (QThread::currentThread() != thread()) {
    bool ok = false;
    QMetaObject::invokeMethod(
        this, [&] { return SaveFileDialog(title, filter, defaultExt, path); },
        Qt::BlockingQueuedConnection, &ok);
    return ok;
  }
  QFileDialog dialog(m_parent, QString::fromLocal8Bit(title.c_str()));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(QtFilter(filter));
  dialog.setDefaultSuffix(QString::fromLocal8Bit(defaultExt.c_str()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  *path = dialog.selectedFiles().front().toLocal8Bit().toStdString();
  return true;
}

}  // namespace pm2
