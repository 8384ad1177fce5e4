// The output page of an ARM target (ARM-GNU and ARM-ADS): where and under
// which name the executable goes, debug and browse information, the hex
// file, big-endian code, the batch file of a rebuild, and the user
// programs run after (and on ARM-ADS also before) a build. Edits the
// target's working copy in place.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "options/pages/option_page.h"

namespace pm2 {

class ArmOutputPage : public OptionPage {
  Q_OBJECT
 public:
  ArmOutputPage(OptionsSheet& sheet, PageId id);
  bool Leave() override;
  void Defaults() override;

  QLineEdit* Name() const { return m_name; }
  QRadioButton* Executable() const { return m_exe; }
  QCheckBox* BigEndian() const { return m_bigEndian; }
  QCheckBox* HexBox() const { return m_hex; }
  QComboBox* HexFormat() const { return m_hexFormat; }
  QCheckBox* BatchBox() const { return m_batch; }
  // Programs 0 and 1 run after the build, 2 and 3 before it (ARM-ADS).
  QCheckBox* RunBox(int i) const { return m_run[std::size_t(i)]; }
  QLineEdit* Program(int i) const { return m_prog[std::size_t(i)]; }
  QPushButton* ProgramBrowse(int i) const { return m_browseProg[std::size_t(i)]; }
  QPushButton* FolderButton() const { return m_folderButton; }
  const std::string& Folder() const { return m_folder; }

 protected:
  void Load() override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  OptionBlock& Block() const;
  bool Ads() const { return Id() == PageId::kArmAdsOutput; }
  void UpdateRadioTexts();
  bool CheckName();

  QLineEdit* m_name;
  QRadioButton* m_exe;
  QRadioButton* m_lib;
  QCheckBox* m_debug;
  QCheckBox* m_hex;
  QComboBox* m_hexFormat;
  QCheckBox* m_bigEndian;
  QCheckBox* m_beep;
  QCheckBox* m_startDebug;
  QCheckBox* m_runDebugger;
  QCheckBox* m_batch;
  std::array<QCheckBox*, 4> m_run{};
  std::array<QLineEdit*, 4> m_prog{};
  std::array<QPushButton*, 4> m_browseProg{};
  QPushButton* m_folderButton;
  std::string m_folder;
};

}  // namespace pm2
