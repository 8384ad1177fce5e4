// CBankWizDlg: the modules of a banked 51 program over its code banks. The
// bank list shows each bank's fill (red when over its limit), the module
// list the modules of the selected bank with their sizes and inter-bank
// calls; modules are dragged onto a bank row or placed automatically, and
// a double click opens a module's source. OK hands the placement and the
// common size to the caller.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <functional>
#include <string>

#include "options/core/bank_link.h"

namespace pm2 {

class BankListCtrl;
class ModuleListCtrl;
class SECListCtrl;

class BankWizardDialog : public QDialog {
  Q_OBJECT
 public:
  struct Services {
    // Message boxes (title, text); replaceable by tests.
    std::function<void(const std::string&, const std::string&)> message;
    // The bank a module's project file stores (0 for none).
    std::function<uint8_t(const std::string&)> storedBank;
    // After OK: the modules' banks and the common size.
    std::function<void(const BankModel&)> apply;
    // Opens the source of a module (its name as the file gives it).
    std::function<void(const std::string&)> openSource;
  };

  // Reads the bank link file; without it the lists stay empty. The bank
  // list shows at least `bankCount` rows (the target's configured banks),
  // more when the file places modules higher.
  BankWizardDialog(const std::string& bankFile, uint16_t commonSize, uint16_t bankCount, Services services,
                   QWidget* parent = nullptr);
  ~BankWizardDialog() override;

  BankModel& Model() { return m_model; }
  SECListCtrl* Banks() const;
  SECListCtrl* Modules() const;
  // The image a drag of the selected modules carries: their rows as drawn.
  QPixmap DragImage() const;
  QLineEdit* CommonSize() const { return m_common; }
  QLabel* Statistics() const { return m_stats; }

  void SelectBank(int bank);
  // Opens the source of a module (an index of the model).
  void OpenModule(int module);
  // Moves the modules (indices of the model) into a bank and refreshes.
  void MoveModules(const std::vector<int>& modules, int bank);
  // The module list sorted by a column (a second click reverses).
  void SortByColumn(int column);
  // Reads the common-size edit; false (and the old value shown) for a bad one.
  bool ReadCommonSize();
  void Place();
  void accept() override;

 private:
  void FillBanks();
  void FillModules();

  Services m_services;
  BankModel m_model;
  BankListCtrl* m_banks = nullptr;
  ModuleListCtrl* m_modules = nullptr;
  QLineEdit* m_common = nullptr;
  QLabel* m_stats = nullptr;
  QPushButton* m_auto = nullptr;
  int m_bank = 0;
  bool m_selecting = false;  // the bank row is being selected by the dialog
  int m_sortKey = 0;  // 0/1 name, 2/3 size, 4/5 common, 6/7 calls from, 8/9 calls to
};

}  // namespace pm2
