// CPropPg: the first page of a group or file: what the project knows of
// the file (path, size, date, type), the file's type, and the build
// properties of the node: include in the build, always build, generate and
// assemble an assembler source, link publics only, the stop code, the code
// bank, a custom file's arguments and a library's modules that are always
// linked.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "options/pages/option_page.h"
#include "project/model/option_block.h"

namespace pm2 {

class PropertiesPage : public OptionPage {
  Q_OBJECT
 public:
  explicit PropertiesPage(OptionsSheet& sheet);
  bool Leave() override;
  void Defaults() override;

  QComboBox* FileType() const { return m_type; }
  QComboBox* Bank() const { return m_bank; }
  QComboBox* StopCode() const { return m_stop; }
  QLineEdit* CustomArgs() const { return m_custom; }
  QListWidget* Modules() const { return m_modules; }
  QCheckBox* PropBox(int i) const { return m_boxes[i]; }  // include, always, gen asm, asm asm, publics
  QCheckBox* EcppBox() const { return m_ecpp; }
  const BuildPropOpts& Record() const { return m_prop; }

 protected:
  void Load() override;

 private:
  OptionBlock& Edited() const;
  void FillBanks();
  void FillFileInfo();
  void FillModules();
  void DisableByType();
  void TypeChosen(int row);
  // The page's record, with the bank, modules and arguments as the
  // controls show them, into the edited block.
  void WriteBack();

  BuildPropOpts m_prop;
  QLabel* m_path;
  QLabel* m_size;
  QLabel* m_date;
  QLabel* m_typeName;
  QComboBox* m_type;
  QComboBox* m_bank;
  QLabel* m_bankLabel;
  QComboBox* m_stop;
  QLineEdit* m_custom;
  QListWidget* m_modules;
  QCheckBox* m_boxes[5];
  QCheckBox* m_ecpp;
  int m_defaultBankRow = -1;
  bool m_libraryFailed = false;
};

}  // namespace pm2
