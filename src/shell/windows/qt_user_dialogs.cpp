#include "shell/windows/qt_user_dialogs.h"

#include "shell/windows/gui_call_server.h"
#include "toolkit/controls/kept_header_icon_model.h"

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

QtUserDialogs::QtUserDialogs(QWidget* parent) : m_parent(parent) { ServeCallsOf(this); }

void QtUserDialogs::Beep() {
  ++m_beeps;
  QApplication::beep();
}

QWidget* QtUserDialogs::Asker(const void* asking) const {
  // The window that asks (a modeless window of the frame: the Inline
  // Assembler, the Function Editor), else the one that has the keyboard; a
  // box of the program's own with none of its windows active belongs to the
  // main frame.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (asking) return static_cast<QWidget*>(const_cast<void*>(asking))->window();
  QWidget* active = QApplication::activeWindow();
  return active && active->windowType() != Qt::Popup ? active : m_parent.data();
}

int QtUserDialogs::ShowBox(const std::string& text, int kind, const void* asking) {
  // The keyboard goes back where it was when the box closes: to the window
  // that asked, where its keys were last.
  const QPointer<QWidget> focus = QApplication::focusWidget();
  QWidget* owner = Asker(asking);
  const QPointer<QWidget> window = owner;
  QMessageBox box(owner);
  box.setWindowTitle("Pelmora2");
  box.setText(QString::fromLocal8Bit(text.c_str()));
  box.setStandardButtons(QMessageBox::Ok);
  for (const ButtonRow& r : kButtons)
    if (r.kind == (kind & 0xF)) box.setStandardButtons(r.buttons);
  for (const IconRow& r : kIcons)
    if (r.kind == (kind & 0xF0)) box.setIcon(r.icon);
  if (kind & kMbDefButton2) box.setDefaultButton((kind & 0xF) == kMbOkCancel ? QMessageBox::Cancel : QMessageBox::No);
  const int answer = Answer(static_cast<QMessageBox::StandardButton>(box.exec()));
  if (window && window->isVisible()) {
    window->activateWindow();
    if (focus && focus->window() == window)
      focus->setFocus(Qt::OtherFocusReason);
    else if (QWidget* last = window->focusWidget())
      last->setFocus(Qt::OtherFocusReason);
  }
  return answer;
}

int QtUserDialogs::MessageBox(const std::string& text, int kind) { return MessageBoxOf(nullptr, text, kind); }

int QtUserDialogs::MessageBoxOf(const void* asking, const std::string& text, int kind) {
  if (QThread::currentThread() == thread()) return ShowBox(text, kind, asking);
  int result = kIdCancel;
  QMetaObject::invokeMethod(
      this, [this, text, kind, asking] { return ShowBox(text, kind, asking); }, Qt::BlockingQueuedConnection,
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
  KeepHeaderIcon(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  *path = dialog.selectedFiles().front().toLocal8Bit().toStdString();
  return true;
}

}  // namespace pm2
