// The listing page of an ARM target: the listing folder, the assembler
// and linker listings and what they contain (ARM-GNU: the GLFLAGS word;
// ARM-ADS: the first word of ADSFLGA and the page layout). Works on a copy
// of the target's working copy and writes its fields back on leaving.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <map>

#include "options/pages/option_page.h"
#include "project/model/option_block.h"

namespace pm2 {

struct ArmListingBit;

class ArmListingPage : public OptionPage {
  Q_OBJECT
 public:
  ArmListingPage(OptionsSheet& sheet, PageId id);
  bool Leave() override;
  void Defaults() override;
  bool HasDefaults() const override { return !Ads(); }

  QCheckBox* BitBox(int bit) const;
  QPushButton* FolderButton() const { return m_folderButton; }
  QSpinBox* PageWidth() const { return m_width; }
  QSpinBox* PageLength() const { return m_length; }
  const std::string& Folder() const { return m_folder; }

 protected:
  void Load() override;

 private:
  bool Ads() const { return Id() == PageId::kArmAdsListing; }
  uint32_t Word() const;
  void SetWord(uint32_t w);
  void EnableContents();
  void UpdateLabels();

  OptionBlock m_copy;
  std::map<int, QCheckBox*> m_bits;
  QPushButton* m_folderButton;
  QSpinBox* m_width = nullptr;
  QSpinBox* m_length = nullptr;
  std::string m_folder;
  bool m_folderPicked = false;
};

}  // namespace pm2
