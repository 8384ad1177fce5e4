// The inline assembler: shows the current assembly address and the
// instruction there, takes a new address or instruction and hands each
// to the driver as an "asm" command; the disassembly window follows.
#pragma once

#include <QDialog>

#include "debugger/dialogs/dialog_context.h"

class QLabel;
class QLineEdit;

namespace pm2 {

// "asm %s\n" with the text's leading blanks removed; "" for an empty text.
std::string InlineAsmCommand(const std::string& text);

class InlineAssembler : public QDialog {
 public:
  InlineAssembler(DebugDialogContext ctx, QWidget* parent = nullptr);

  QLabel* Current() const { return m_current; }
  QLineEdit* Address() const { return m_address; }
  QLineEdit* Instruction() const { return m_instruction; }

  bool SetAddress();
  bool Assemble();

 protected:
  void keyPressEvent(QKeyEvent*) override;
  bool eventFilter(QObject*, QEvent*) override;
  void closeEvent(QCloseEvent*) override;

 private:
  void ShowInstruction(uint32_t address);
  bool Run(const std::string& text);

  DebugDialogContext m_ctx;
  QLabel* m_current;
  QLineEdit* m_address;
  QLineEdit* m_instruction;
  bool m_initialising = true;
};

}  // namespace pm2
