// The breakpoints dialog: the driver's breakpoints with a check box each
// (enabled), kill one or all, and define execution, conditional and
// access breakpoints from an expression, a pass count, a command and the
// kind and size of access. The breakpoints live in the driver.
#pragma once

#include <QDialog>

#include "debugger/dialogs/dialog_context.h"
#include "debugger/model/breakpoints_lines.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace pm2 {

class BpCheckList;

class BreakpointsDialog : public QDialog {
 public:
  BreakpointsDialog(DebugDialogContext ctx, QWidget* parent = nullptr);

  BpCheckList* List() const { return m_list; }
  QLineEdit* Expression() const { return m_expr; }
  QLineEdit* Count() const { return m_count; }
  QLineEdit* Command() const { return m_command; }
  QLineEdit* Size() const { return m_size; }
  QCheckBox* Read() const { return m_read; }
  QCheckBox* Write() const { return m_write; }
  QRadioButton* Bytes() const { return m_bytes; }
  QRadioButton* Objects() const { return m_objects; }
  QPushButton* DefineButton() const { return m_define; }
  QPushButton* KillButton() const { return m_kill; }
  QPushButton* KillAllButton() const { return m_killAll; }
  QPushButton* CloseButton() const { return m_close; }

  void Define();
  void KillSelected();
  void KillAll();
  void Close();
  // The driver's list again (a peer set or killed breakpoints); the boxes
  // changed here and not yet handed on stay as they are.
  void Refresh();

 protected:
  // The title bar's close button applies the boxes as Close does.
  void reject() override;
  void keyPressEvent(QKeyEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void Fill();
  void Renumber();
  std::string Line(const DbgBreakpointRecord& bp) const;
  void SelectionChanged();
  void LinePicked(int row);
  void UpdateSizeControls();
  void Layout();
  DbgBreakpointRecord* Head() const;

  DebugDialogContext m_ctx;
  BpCheckList* m_list;
  QLineEdit *m_expr, *m_count, *m_command, *m_size;
  QCheckBox *m_read, *m_write;
  QRadioButton *m_bytes, *m_objects;
  QPushButton *m_define, *m_kill, *m_killAll, *m_close;
  std::vector<QWidget*> m_labels;
  QWidget* m_countUpDown = nullptr;  // the up-down controls of count and size
  QWidget* m_sizeUpDown = nullptr;
  bool m_closing = false;  // Close runs: no refresh, no second close
};

}  // namespace pm2
