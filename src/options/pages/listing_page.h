// CListPg: the listing folder, the page layout of listings and which
// listings the compiler, assembler and linker of a 51, 251 or 166 target
// write, with their contents. Edits the target's working copy.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <vector>

#include "options/pages/option_page.h"
#include "options/pages/up_down_edit.h"

namespace pm2 {

class ListingPage : public OptionPage {
  Q_OBJECT
 public:
  explicit ListingPage(OptionsSheet& sheet);
  bool Leave() override;
  void Defaults() override;

  QLineEdit* PageWidth() const { return m_width; }
  QLineEdit* PageLength() const { return m_length; }
  QLineEdit* TabSpace() const { return m_tab; }
  // The up-down controls of page width (0), page length (1) and tab space (2).
  UpDownEdit* Spin(int i) const { return m_spins[std::size_t(i)]; }
  // The box of a bit of the listing word.
  QCheckBox* BitBox(int bit) const { return m_bits[std::size_t(bit)]; }
  QPushButton* FolderButton() const { return m_folderButton; }

 protected:
  void Load() override;

 private:
  OptionBlock& Block() const;
  void EnableGroups();
  void UpdateLabels();

  std::array<UpDownEdit*, 3> m_spins{};
  QLineEdit* m_width;
  QLineEdit* m_length;
  QLineEdit* m_tab;
  QComboBox* m_macro;
  QPushButton* m_folderButton;
  std::vector<QCheckBox*> m_bits;
  std::string m_folder;
};

}  // namespace pm2
