#include "debugger/ui/command_stand_in.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace pm2 {

CommandStandIn::CommandStandIn(std::function<void(const std::string&)> execute, QWidget* parent)
    : QWidget(parent), m_output(new QPlainTextEdit(this)), m_input(new QLineEdit(this)), m_execute(std::move(execute)) {
  setObjectName("CommandStandIn");
  m_output->setReadOnly(true);
  m_output->setObjectName("CommandOutput");
  m_input->setObjectName("CommandInput");
  m_input->setPlaceholderText("> command (e.g. BS main, g, or any gdb command)");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  layout->addWidget(m_output, 1);
  layout->addWidget(m_input);
  connect(m_input, &QLineEdit::returnPressed, this, [this] {
    const std::string line = m_input->text().toStdString();
    m_input->clear();
    if (m_execute) m_execute(line);
  });
}

void CommandStandIn::Append(const char* text) {
  if (!text) {
    m_output->clear();
    return;
  }
  QString t = QString::fromLocal8Bit(text);
  if (t.endsWith('\n')) t.chop(1);
  m_output->appendPlainText(t);
  m_output->verticalScrollBar()->setValue(m_output->verticalScrollBar()->maximum());
}

QString CommandStandIn::Text() const { return m_output->toPlainText(); }

}  // namespace pm2
