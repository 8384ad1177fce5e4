// CDebDlg: the simulator or a target driver, each with its start-up
// switches, initialisation file and what the last session restores; the
// CPU, driver and dialog libraries with their parameters; the driver list
// of the environment file and the drivers' own settings dialogs (through
// their capability export). The page edits the texts of the debug record
// that the session reads (DebugText); the driver chosen under "Use:" is the
// target side's DLL, so the list and that field follow each other.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "options/core/driver_caps.h"
#include "options/pages/option_page.h"
#include "project/model/debug_texts.h"

namespace pm2 {

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
  // The initialisation file of the simulator (0) or the target side (1).
  QLineEdit* IniFile(int i) const { return m_ini[i]; }
  // The DLL texts: the simulator's CPU DLL, its parameter, dialog DLL and
  // its parameter (0-3), then the target side's (4-7).
  QLineEdit* DllText(int i) const { return m_dll[i]; }
  QPushButton* DriverSettings() const { return m_settings; }
  // The CPU (0) or driver (1) library's settings button.
  QPushButton* DllSettings(int which) const { return m_dllSettings[which]; }
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
  // The driver row whose file is the target side's DLL, -1 when none.
  int RowOfTargetDll() const;
  // The field of the debug record that an edit shows.
  static int TextOfDll(int i) { return (i / 4) * kDbgSideTexts + i % 4; }
  static int TextOfIni(int side) { return side * kDbgSideTexts + kDbgSimIni; }
  std::string ToolsetFolder() const;
  int FolderKind() const;
  // Where the CPU (0) or driver (1) library is loaded from, as the session
  // finds it (the toolset's folder, else the program's); "" when it does
  // not load there; *refusal (may be null) gets why a name that leads out
  // of the installation's driver folders is not loaded.
  std::string DllLibrary(int which, std::string* refusal = nullptr) const;
  // How the library at path offers its settings (kDrvSettings...); -1
  // when it does not load.
  int SettingsKind(const std::string& path) const;
  // The three settings buttons greyed, with a tip saying why, for a driver
  // that has no settings of its own.
  void OfferSettings();
  // The driver's settings form over the parameter field: true when the
  // user took new settings.
  bool RunSettingsForm(const std::string& path, const std::string& base, QLineEdit* parameter,
                       const std::string& parameterName);

  QRadioButton* m_sim;
  QRadioButton* m_target;
  QComboBox* m_drivers;
  QPushButton* m_settings;
  QPushButton* m_dllSettings[2] = {nullptr, nullptr};
  std::vector<QCheckBox*> m_flags;
  QLineEdit* m_ini[2];
  QPushButton* m_iniBrowse[2];
  QPushButton* m_iniEdit[2];
  QLineEdit* m_dll[8];
  std::vector<DriverEntry> m_entries;
  bool m_syncing = false;  // the driver list and the target's DLL follow each other
};

}  // namespace pm2
