// The code coverage dialog: the program's modules and functions as the
// driver reports them, with each function's share of executed
// instructions and its conditional jumps not executed both ways; fully
// executed functions are highlighted. The modules are tree rows that open
// to their functions. With a driver that keeps no coverage it says so.
#pragma once

#include <QDialog>
#include <vector>

#include "debugger/dialogs/dialog_context.h"
#include "debugger/model/coverage_text.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace pm2 {

class CoverageTree;
class SECTreeCtrl;

class CoverageDialog : public QDialog {
 public:
  CoverageDialog(DebugDialogContext ctx, QWidget* parent = nullptr);

  QComboBox* Modules() const { return m_modules; }
  QPushButton* ResetButton() const { return m_reset; }
  QPushButton* UpdateButton() const { return m_update; }
  SECTreeCtrl* Tree() const;
  // The rows shown (open modules' functions included), top to bottom: name
  // and coverage text.
  std::vector<std::pair<std::string, std::string>> RowTexts() const;
  // The record behind a shown row (null past the last).
  DbgCoverageRecord* RowRecord(int row) const;

  void Fill();
  void BuildTree();
  // Asks the driver for the current figures of every function row shown
  // and repaints them.
  void Refresh();
  // Drops every row (they point into the driver's records).
  void Forget();
  void Reset();

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  void Layout();
  DbgCoverageRecord* First() const;

  DebugDialogContext m_ctx;
  QLabel* m_label;
  QLabel* m_none;
  QComboBox* m_modules;
  CoverageTree* m_tree;
  QPushButton *m_reset, *m_update, *m_close;
  int m_shownChoice = -1;
};

}  // namespace pm2
