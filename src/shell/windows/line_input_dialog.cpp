#include "shell/windows/line_input_dialog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/app/line_input_rules.h"

namespace pm2 {

LineInputDialog::LineInputDialog(const QString& prompt, QWidget* parent) : QDialog(parent) {
  setWindowTitle(prompt);
  m_edit = new QLineEdit(this);
  m_edit->setObjectName(QString::number(kEditId));
  m_edit->setMaxLength(kLineInputEditLimit);
  m_edit->setMinimumWidth(260);
  m_ok = new QPushButton("OK", this);
  m_ok->setDefault(true);
  m_cancel = new QPushButton("Cancel", this);
  connect(m_ok, &QPushButton::clicked, this, &LineInputDialog::accept);
  connect(m_cancel, &QPushButton::clicked, this, &LineInputDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_ok);
  buttons->addWidget(m_cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_edit);
  layout->addLayout(buttons);
}

void LineInputDialog::accept() {
  m_result = LineInputResult(m_edit->text().toLocal8Bit().toStdString());
  QDialog::accept();
}

void LineInputDialog::reject() {
  m_result.clear();
  QDialog::reject();
}

bool LineInputDialog::Run(const std::string& prompt, std::string* text, QWidget* parent) {
  LineInputDialog dialog(QString::fromLocal8Bit(prompt.c_str()), parent);
  bool ok = dialog.exec() == QDialog::Accepted;
  *text = ok ? dialog.Result() : std::string();
  return ok;
}

}  // namespace pm2
