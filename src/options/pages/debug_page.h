// CDebDlg: the simulator or a target driver, each with its start-up
// switches, initialisation file and what the last session restores; the
// CPU, driver and dialog libraries with their parameters; the driver list
// of the environment file and the drivers' own settings dialogs (through
// their capability export).
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "options/core/driver_caps.h"
#include "options/pages/option_page.h"

namespace pm2 {

// Texts of the debug record: the two initialisation files and the driver.
inline constexpr int kDbgSimIniText = 0, kDbgTargetIniText = 1, kDbgDriverText = 2;

class DebugPage : public OptionPage {
  Q_OBJECT
 public:
  explicit DebugPage(OptionsSheet& sheet);
  bool Leave() override;
  void Defaults() override;

  QRadioButton* Simulator() const { return m_sim; }
  QRadioButton* TargetDriver() const { return m_target; }
  QComboBox* Drivers() const { return m_drivers; }
  QCheckBox* FlagBox(int bit) const { return m_flags[std::size_t(bit)]; }
  QLineEdit* IniFile(int i) const { return m_ini[i]; }
  QLineEdit* DllText(int i) const { return m_dll[i]; }
  QPushButton* DriverSettings() const { return m_settings; }
  // Runs the selected driver's settings dialog (button 1523).
  void RunDriverSettings();
  // The CPU (0) or driver (1) library's own settings dialog.
  void RunDllSettings(int which);
  // The simulator's dialog library's configuration dialog.
  void RunDialogDllSettings();
  QPushButton* IniBrowse(int i) const { return m_iniBrowse[i]; }
  QPushButton* IniEdit(int i) const { return m_iniEdit[i]; }

 protected:
  void Load() override;

 private:
  OptionBlock& Block() const;
  void EnableGoMain();
  std::string ToolsetFolder() const;
  int FolderKind() const;

  QRadioButton* m_sim;
  QRadioButton* m_target;
  QComboBox* m_drivers;
  QPushButton* m_settings;
  std::vector<QCheckBox*> m_flags;
  QLineEdit* m_ini[2];
  QPushButton* m_iniBrowse[2];
  QPushButton* m_iniEdit[2];
  QLineEdit* m_dll[8];
  std::vector<DriverEntry> m_entries;
};

}  // namespace pm2
