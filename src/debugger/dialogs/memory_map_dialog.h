// The memory map dialog: which address ranges of the target are mapped
// with which access, from the driver's attribute arrays; maps or clears
// ranges with Map commands.
#pragma once

#include <QDialog>

#include "debugger/dialogs/dialog_context.h"
#include "toolkit/core/notify.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pm2 {

class SECListCtrl;

class MemoryMapDialog : public QDialog, public NotifyListener {
 public:
  MemoryMapDialog(DebugDialogContext ctx, QWidget* parent = nullptr);
  ~MemoryMapDialog() override;

  SECListCtrl* List() const { return m_list; }
  QLineEdit* Range() const { return m_range; }
  QCheckBox* Read() const { return m_read; }
  QCheckBox* Write() const { return m_write; }
  QCheckBox* Exec() const { return m_exec; }
  QPushButton* MapButton() const { return m_map; }
  std::vector<std::string> Lines() const;

  void Refresh();
  void MapRange();
  void ClearSelected();

  NotifyResult OnNotify(NotifyHeader& hdr) override;

 protected:
  bool eventFilter(QObject*, QEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void Layout();
  void UpdateButtons();

  DebugDialogContext m_ctx;
  SECListCtrl* m_list;
  QLabel* m_example;
  QLineEdit* m_range;
  QCheckBox *m_read, *m_write, *m_exec, *m_vnm;
  QPushButton *m_map, *m_clear, *m_close;
};

}  // namespace pm2
