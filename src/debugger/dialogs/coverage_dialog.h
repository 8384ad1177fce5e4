// The code coverage dialog: the program's modules and functions as the
// driver reports them, with each function's share of executed
// instructions and its conditional jumps not executed both ways; fully
// executed functions are highlighted. With a driver that keeps no
// coverage it says so.
#pragma once

#include <QDialog>
#include <vector>

#include "debugger/dialogs/dialog_context.h"
#include "debugger/model/coverage_text.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace pm2 {

class CoverageList;

class CoverageDialog : public QDialog {
 public:
  CoverageDialog(DebugDialogContext ctx, QWidget* parent = nullptr);

  QComboBox* Modules() const { return m_modules; }
  QPushButton* ResetButton() const { return m_reset; }
  QPushButton* UpdateButton() const { return m_update; }
  // Row texts: name (indented) and coverage text.
  std::vector<std::pair<std::string, std::string>> RowTexts() const;
  const std::vector<CoverageRow>& Rows() const { return m_rows; }

  void Fill();
  void BuildTree();
  void Refresh();
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
  CoverageList* m_list;
  QPushButton *m_reset, *m_update, *m_close;
  std::vector<CoverageRow> m_rows;
  int m_shownChoice = -1;
};

}  // namespace pm2
