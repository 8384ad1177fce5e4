// Device selection: DeviceSelector is the Device page (CpuSelPg) and the
// body of the device sheet (CCpuSel in CCpuSht): the vendor/device tree of
// a device database, the chosen device's vendor, name, family and
// description, the toolset choices and, for 51 devices, the extended-tool
// check boxes.
//
// The shell's device command:
//   DeviceSheet sheet(theApp().m_pEnvironment->deviceDatabases,
//                     env.armSelect, project->curTarget, mainWindow);
//   if (sheet.exec() == QDialog::Accepted) sheet.ApplyTo(project->curTarget);
// The options sheet's Device page:
//   auto* page = new DeviceSelector(databases, armSelect, target,
//                                   DeviceSelector::kOptionsPage);
//   connect(page, &DeviceSelector::deviceApplied, sheet, [] { ...ResetPages... });
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>
#include <memory>
#include <vector>

#include "project/edit/device_choice.h"
#include "project/environment/environment.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {

class DeviceSelector : public QWidget, public NotifyListener {
  Q_OBJECT
 public:
  enum Mode { kSheet, kOptionsPage };

  // `target` may be null; on the options page a choice is applied to it at
  // once. `reader` null: the databases' files are read.
  DeviceSelector(const std::vector<TitledPath>& databases, int armSelect, TargetRec* target, Mode mode,
                 QWidget* parent = nullptr, DatabaseReader reader = nullptr);
  ~DeviceSelector() override;

  const DeviceDbEntry* ChosenEntry() const { return m_chosen; }
  int ChosenToolset() const;
  int DatabaseIndex() const { return m_dbIndex; }
  // Selects the device (vendor and name as a target stores them).
  bool SelectDevice(const std::string& vendor, const std::string& device);

  SECTreeCtrl* Tree() const { return m_tree; }
  QComboBox* Toolsets() const { return m_toolsets; }
  QComboBox* Databases() const { return m_databases; }
  QCheckBox* LinkerBox() const { return m_linker; }
  QCheckBox* AssemblerBox() const { return m_assembler; }
  QLabel* VendorLabel() const { return m_vendor; }
  QLabel* FamilyLabel() const { return m_family; }
  QPlainTextEdit* Description() const { return m_description; }

  NotifyResult OnNotify(NotifyHeader& hdr) override;

 signals:
  // Options page: the device (or the extended-tool bits) was applied.
  void deviceApplied();

 private:
  void LoadDatabase(int index);
  void FillTree();
  // A refusal of the database with what its reader found wrong.
  std::string WithReadError(const std::string& text) const;
  void ShowEntry(const DeviceDbEntry* e);
  void OnToolBoxes();
  void OnToolsetChosen();

  std::vector<TitledPath> m_paths;
  int m_armSelect;
  TargetRec* m_target;
  Mode m_mode;
  DatabaseReader m_reader;
  DeviceDatabase m_db;
  int m_dbIndex = 0;
  const DeviceDbEntry* m_chosen = nullptr;
  bool m_filling = false;

  QComboBox* m_databases = nullptr;
  SECTreeCtrl* m_tree = nullptr;
  QLabel* m_vendor = nullptr;
  QLabel* m_device = nullptr;
  QLabel* m_family = nullptr;
  QComboBox* m_toolsets = nullptr;
  QPlainTextEdit* m_description = nullptr;
  QCheckBox* m_linker = nullptr;
  QCheckBox* m_assembler = nullptr;
};

// CCpuSht: the device selection as a sheet of its own with OK and Cancel.
class DeviceSheet : public QDialog {
  Q_OBJECT
 public:
  DeviceSheet(const std::vector<TitledPath>& databases, int armSelect, TargetRec* target,
              QWidget* parent = nullptr, DatabaseReader reader = nullptr);
  DeviceSelector* Selector() const { return m_selector; }
  // After OK: the chosen device and toolset applied to the target
  // (ApplyDeviceOptions); false when no device was chosen.
  bool ApplyTo(TargetRec* target) const;

 private:
  DeviceSelector* m_selector;
};

// CDbSel: picks one of the databases by title; -1 for Cancel.
int ChooseDatabaseDialog(const std::vector<TitledPath>& databases, QWidget* parent);

}  // namespace pm2
