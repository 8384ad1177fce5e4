#pragma once
// SECAssignKeyDlg: the small modal dialog that takes a new key
// combination, says which command holds it now and refuses the reserved
// ones. It never changes the shortcut table: after OK the caller reads
// HotKey() and calls AssignShortcut.

#include <QDialog>
#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;

namespace pm2 {

class SECCommandList;
class SECHotKeyEdit;
class SECShortcutTable;

class SECAssignKeyDlg : public QDialog {
 public:
  SECAssignKeyDlg(const SECCommandList& commands, const SECShortcutTable& table, QWidget* parent = nullptr);

  std::uint32_t HotKey() const { return m_hotKey; }
  SECHotKeyEdit* HotKeyControl() const { return m_edit; }
  QLabel* AssignmentText() const { return m_assigned; }
  QPushButton* OkButton() const { return m_ok; }

  // Shows the refusal of a reserved key; a message box unless replaced.
  std::function<void(const QString&)> showRefusal;

  void accept() override;

 private:
  void OnHotKeyChanged();

  const SECCommandList& m_commands;
  const SECShortcutTable& m_table;
  SECHotKeyEdit* m_edit;
  QLabel* m_caption;
  QLabel* m_assigned;
  QPushButton* m_ok;
  std::uint32_t m_hotKey = 0;
};

}  // namespace pm2
