// CdbSheet with its page Cdbase0: the device-database editor. The database
// is edited in memory; Save writes it atomically after OK.
//
// The shell's command:
//   DeviceDbEditor editor(path, mainWindow);
//   if (editor.exec() == QDialog::Accepted) editor.Save();  // reports failures
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "project/edit/device_choice.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {

class DeviceDbEditor : public QDialog, public NotifyListener {
  Q_OBJECT
 public:
  // `disk` null: the real disk (tests pass a failing one).
  explicit DeviceDbEditor(const std::string& path, QWidget* parent = nullptr, Disk* disk = nullptr);
  ~DeviceDbEditor() override;

  // Writes the database; false after reporting the writer's message.
  bool Save();

  DeviceDatabase& Database() { return m_db; }
  SECTreeCtrl* Tree() const { return m_tree; }
  QLineEdit* Vendor() const { return m_vendor; }
  QLineEdit* Device() const { return m_device; }
  QComboBox* Family() const { return m_family; }
  QPlainTextEdit* OptionsEdit() const { return m_options; }
  QPushButton* AddButton() const { return m_add; }
  QPushButton* UpdateButton() const { return m_update; }

  void OnAdd();
  void OnUpdate();
  void OnDelete();
  // Selects the tree row of the entry and shows its fields.
  void SelectEntry(const DeviceDbEntry* e);

  NotifyResult OnNotify(NotifyHeader& hdr) override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void FillTree();
  DeviceFields Fields() const;
  void ShowFields(const DeviceDbEntry* e);
  DeviceDbEntry* SelectedDevice() const;

  std::string m_path;
  DeviceDatabase m_db;
  // The file was there but refused: the list is empty, and OK must not
  // put that empty list in place of the user's devices. Saved only after
  // an edit, and then with the damaged file kept as its backup.
  bool m_damaged = false;
  bool m_changed = false;
  SECTreeCtrl* m_tree = nullptr;
  QLineEdit* m_vendor = nullptr;
  QComboBox* m_family = nullptr;
  QLineEdit* m_device = nullptr;
  QPlainTextEdit* m_description = nullptr;
  QPlainTextEdit* m_options = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_update = nullptr;
};

}  // namespace pm2
