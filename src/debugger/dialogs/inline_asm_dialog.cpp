#include "debugger/dialogs/inline_asm_dialog.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace pm2 {

std::string InlineAsmCommand(const std::string& text) {
  const std::size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return "asm " + text.substr(b, 126) + "\n";
}

InlineAssembler::InlineAssembler(DebugDialogContext ctx, QWidget* parent)
    : QDialog(parent), m_ctx(std::move(ctx)), m_current(new QLabel(this)), m_address(new QLineEdit(this)),
      m_instruction(new QLineEdit(this)) {
  setObjectName("InlineAssembler");
  m_ctx.asking = static_cast<QWidget*>(this);
  setWindowTitle("Inline Assembler");
  m_current->setObjectName("CurrentInstruction");
  m_address->setObjectName("AsmAddress");
  m_instruction->setObjectName("AsmInstruction");
  m_current->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  m_address->setMaxLength(128);
  m_instruction->setMaxLength(128);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Current Assembly Address:", this), 0, 0);
  grid->addWidget(m_current, 0, 1);
  grid->addWidget(new QLabel("Address:", this), 1, 0);
  grid->addWidget(m_address, 1, 1);
  grid->addWidget(new QLabel("Enter New Instruction:", this), 2, 0);
  grid->addWidget(m_instruction, 2, 1);
  m_address->installEventFilter(this);
  connect(m_address, &QLineEdit::returnPressed, this, [this] { SetAddress(); });
  connect(m_instruction, &QLineEdit::returnPressed, this, [this] { Assemble(); });
  DebugInterface* r = m_ctx.R();
  if (r) {
    if (r->shownAddress == 0xFFFFFFFFu && r->DbgControl) r->shownAddress = uint32_t(r->DbgControl(12, 0, 0));
    const uint32_t address = r->shownAddress;
    ShowInstruction(address);
    const std::string text = m_ctx.AddressText(address);
    m_address->setText(QString::fromLocal8Bit(text.c_str()));
    Run(InlineAsmCommand(text));
  }
  resize(460, 130);
  m_initialising = false;
  m_instruction->setFocus();
}

void InlineAssembler::ShowInstruction(uint32_t address) {
  DebugInterface* r = m_ctx.R();
  if (!r) return;
  if (m_ctx.service) m_ctx.service(40, reinterpret_cast<intptr_t>(&address));
  char text[257] = {};
  if (r->DbgControl) r->DbgControl(kDbgCtlInstructionText, reinterpret_cast<intptr_t>(&address), reinterpret_cast<intptr_t>(text));
  text[256] = 0;
  m_current->setText(QString::fromLocal8Bit(text));
}

bool InlineAssembler::Run(const std::string& command) {
  if (command.empty()) {
    m_ctx.Beep();
    return false;
  }
  const intptr_t result = m_ctx.service ? m_ctx.service(34, reinterpret_cast<intptr_t>(command.c_str())) : 1;
  if (result != 0) {
    char buffer[1024] = {};
    std::snprintf(buffer, sizeof buffer, "%s", command.c_str());
    intptr_t record[2] = {result, reinterpret_cast<intptr_t>(buffer)};
    if (m_ctx.service) m_ctx.service(35, reinterpret_cast<intptr_t>(record));
    buffer[sizeof buffer - 1] = 0;
    m_ctx.Beep();
    m_ctx.Message(buffer);
    return false;
  }
  return true;
}

bool InlineAssembler::SetAddress() {
  if (!Run(InlineAsmCommand(m_address->text().toStdString()))) return false;
  DebugInterface* r = m_ctx.R();
  if (r && r->DbgControl) ShowInstruction(uint32_t(r->DbgControl(12, 0, 0)));
  return true;
}

bool InlineAssembler::Assemble() {
  if (!Run(InlineAsmCommand(m_instruction->text().toStdString()))) return false;
  DebugInterface* r = m_ctx.R();
  if (r && r->DbgControl) ShowInstruction(uint32_t(r->DbgControl(12, 0, 0)));
  m_instruction->clear();
  return true;
}

void InlineAssembler::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    // The two edits act on their own Enter; anywhere else it beeps.
    if (focusWidget() != m_address && focusWidget() != m_instruction) m_ctx.Beep();
    return;
  }
  QDialog::keyPressEvent(e);
}

bool InlineAssembler::eventFilter(QObject* o, QEvent* e) {
  if (o == m_address && e->type() == QEvent::FocusOut && !m_initialising) SetAddress();
  return QDialog::eventFilter(o, e);
}

void InlineAssembler::closeEvent(QCloseEvent* e) {
  m_initialising = true;  // leaving the address edit sets nothing now
  QDialog::closeEvent(e);
}

}  // namespace pm2
