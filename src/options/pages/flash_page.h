// CFlashU: how the flash download command programs the device: through a
// flash-capable target driver, or an external tool with a command line.
// Edits the flash record of the target's working copy.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "options/core/driver_caps.h"
#include "options/pages/option_page.h"

namespace pm2 {

class FlashPage : public OptionPage {
  Q_OBJECT
 public:
  explicit FlashPage(OptionsSheet& sheet);
  bool Leave() override;
  void Defaults() override;

  QRadioButton* UseTool() const { return m_tool; }
  QComboBox* Drivers() const { return m_drivers; }
  QLineEdit* Command() const { return m_command; }
  QLineEdit* Arguments() const { return m_arguments; }
  QCheckBox* Independent() const { return m_independent; }
  QLabel* CpuDll() const { return m_cpuDll; }
  QPushButton* Settings() const { return m_settings; }
  // The selected driver's flash settings dialog.
  void RunFlashSettings();

 protected:
  void Load() override;

 private:
  OptionBlock& Block() const;
  uint32_t Flags() const;
  void SetFlags(uint32_t flags);
  void EnableGroups();
  void ShowCpuDll();

  QRadioButton* m_driver;
  QRadioButton* m_tool;
  QComboBox* m_drivers;
  QLineEdit* m_command;
  QLineEdit* m_arguments;
  QCheckBox* m_independent;
  QLabel* m_cpuDll;
  std::vector<DriverEntry> m_entries;  // the flash-capable drivers
  std::vector<std::string> m_paths;     // where each is loaded from
  QPushButton* m_settings;
};

}  // namespace pm2
