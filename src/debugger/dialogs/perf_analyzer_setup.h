// The performance analyser's setup: the ranges the driver measures, with
// a definition edit (sent as "PA %s\n"), kill selected ("PA Kill %d\n"),
// kill all ("PA Kill *\n"), and for the 8- and 16-bit families the
// program's functions, whose path a double click writes into the edit.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "driver_abi/debug_records.h"
#include "debugger/dialogs/dialog_context.h"
#include "toolkit/core/notify.h"

class QLineEdit;
class QPushButton;

namespace pm2 {

class SECListCtrl;

// A range's list line: "%d\t%s (%s-%s)", or "%d\t%s (%s)" without an end;
// a leading "`" of the name dropped and a trailing ":" removed.
std::string PaRangeLine(const DbgPaRangeRecord& r, const std::string& start, const std::string& end);

class PerfAnalyzerSetup : public QDialog, public NotifyListener {
 public:
  PerfAnalyzerSetup(DebugDialogContext ctx, QWidget* parent = nullptr);
  ~PerfAnalyzerSetup() override;
  NotifyResult OnNotify(NotifyHeader& hdr) override;

  SECListCtrl* Ranges() const { return m_ranges; }
  SECListCtrl* Functions() const { return m_functions; }
  QLineEdit* Definition() const { return m_edit; }
  QPushButton* DefineButton() const { return m_define; }
  QPushButton* KillButton() const { return m_kill; }
  QPushButton* KillAllButton() const { return m_killAll; }
  std::vector<std::string> RangeLines() const;

  void FillRanges();
  bool Define();
  bool KillSelected();
  bool KillAll();
  void PickFunction(int row);

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  bool Run(const std::string& command);
  void FillFunctions();
  void Layout();

  DebugDialogContext m_ctx;
  SECListCtrl* m_ranges;
  SECListCtrl* m_functions;
  QLineEdit* m_edit;
  QPushButton *m_define, *m_kill, *m_killAll, *m_close;
  std::vector<const DbgPaRangeRecord*> m_rangeRecords;
  std::vector<std::string> m_functionPaths;
};

}  // namespace pm2
