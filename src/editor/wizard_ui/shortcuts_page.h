// CPgScut: the keyboard shortcuts, on a copy of the shortcut table. The
// list of commands (those with a name), the chosen command's description
// and keys; Remove takes the chosen key away, Assign (or a double click on
// a command) captures a key for the command, Reset All empties the table
// after a question. Every change marks the page modified.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/menus/accel.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace pm2 {

class SECCommandList;
class SECShortcutTable;

class CPgScut : public QWidget {
  Q_OBJECT
 public:
  // `table` gives the records copied and the key names; `commands` the
  // assignable commands. Either may be null: the page then lists nothing.
  CPgScut(const SECShortcutTable* table, const SECCommandList* commands, QWidget* parent = nullptr);

  const AccelTable& Records() const { return m_records; }
  bool Modified() const { return m_modified; }
  // The command list's row of a command (-1: not listed).
  int RowOfCommand(uint32_t id) const;

  QListWidget* Commands() const { return m_commandList; }
  QListWidget* Keys() const { return m_keys; }
  QLabel* Description() const { return m_description; }
  QPushButton* RemoveButton() const { return m_remove; }
  QPushButton* AssignButton() const { return m_assign; }
  QPushButton* ResetButton() const { return m_reset; }

  // The key capture (the key-assignment dialog; 0 on Cancel), the
  // exclamation message and the OK/Cancel question; replaceable by tests.
  std::function<uint32_t()> captureKey;
  std::function<void(const std::string&)> showMessage;
  std::function<bool(const std::string&)> askOkCancel;

 private:
  void CommandChosen(int row);
  void RemoveKey();
  void AssignKey();
  void ResetAll();
  uint32_t ChosenCommand() const;

  const SECShortcutTable* m_table;
  const SECCommandList* m_commands;
  AccelTable m_records;
  std::vector<uint32_t> m_ids;       // command of each list row
  std::vector<size_t> m_keyRecords;  // record of each key row
  bool m_modified = false;
  QListWidget* m_commandList;
  QListWidget* m_keys;
  QLabel* m_description;
  QPushButton* m_remove;
  QPushButton* m_assign;
  QPushButton* m_reset;
};

}  // namespace pm2
