// The symbols dialog: the symbols the driver loaded from the program,
// public symbols, locals by module and function, or the line-number
// table, filtered by a name mask; C copies a symbol's qualified name.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "driver_abi/debug_records.h"
#include "debugger/dialogs/dialog_context.h"
#include "toolkit/core/notify.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace pm2 {

class SECListCtrl;

// What the dialog keeps between openings (the debug settings' record).
struct SymbolsDialogState {
  std::string mask = "*";
  int module = 0;
  int mode = 0;
  bool ignoreCase = false;  // "Case sensitive" checked
};

class SymbolsDialog : public QDialog, public NotifyListener {
 public:
  SymbolsDialog(DebugDialogContext ctx, SymbolsDialogState state, QWidget* parent = nullptr);
  ~SymbolsDialog() override;

  SECListCtrl* List() const { return m_list; }
  QComboBox* Mode() const { return m_mode; }
  QComboBox* Modules() const { return m_modules; }
  QLineEdit* Mask() const { return m_mask; }
  QPushButton* Apply() const { return m_apply; }
  QCheckBox* CaseSensitive() const { return m_case; }
  SymbolsDialogState State() const;

  // Empties the list and sets up its columns for the mode again, then lists.
  void Refresh();
  // Checks the mask; false (caret placed, beep) when it is bad.
  bool ApplyMask();
  // The selected symbol's qualified name to the clipboard; false with a beep.
  bool CopySelected();
  // The text CopySelected writes for a row.
  std::string QualifiedName(int row) const;

  NotifyResult OnNotify(NotifyHeader& hdr) override;

 protected:
  bool eventFilter(QObject*, QEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  struct Row {
    const DbgSymbolRecord* symbol = nullptr;
    const DbgScopeRecord* module = nullptr;
    const DbgScopeRecord* function = nullptr;
    const DbgScopeRecord* app = nullptr;
    uint32_t line = 0;
    bool isLine = false;
  };
  void SetupColumns();
  void FillModules();
  void ListPublics();
  void ListLocals();
  void ListLines();
  void AddRow(const std::string& address, const std::string& name, const std::string& type, const Row& row);
  void AddSymbol(const DbgSymbolRecord& s, int level, Row row);
  void SortBy(int column);
  void Layout();
  const DbgScopeRecord* ScopeTree() const;

  DebugDialogContext m_ctx;
  QComboBox* m_mode;
  QComboBox* m_modules;
  QLineEdit* m_mask;
  QPushButton* m_apply;
  QCheckBox* m_case;
  SECListCtrl* m_list;
  QPushButton* m_close;
  std::vector<const DbgScopeRecord*> m_moduleList;  // item n+1 of the module box
  std::vector<Row> m_rows;                          // the list's item data indexes this
  std::string m_appliedMask = "*";
  int m_shownMode = -1;
  int m_sortColumn = 1;
};

}  // namespace pm2
