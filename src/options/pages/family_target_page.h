// The target pages of the 51, 251 and 166 families: the device, the clock
// in MHz, memory and code-size models, the kernel, the thresholds, the
// on-chip memories, the external memory rows and (51, 251) code banking.
// The 51 and 251 pages edit a copy of their target sub-record that reaches
// the edited block only when the page is left without an error; the 166
// page edits the block itself, reading only the edits that changed.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <string>

#include "options/core/memory_ranges.h"
#include "options/pages/option_page.h"
#include "project/model/option_block.h"

class QGridLayout;

namespace pm2 {

// A row of edits for one memory range: type list (251, 166), start, and
// size or end.
struct MemRowEdits {
  QComboBox* type = nullptr;
  QLineEdit* start = nullptr;
  QLineEdit* second = nullptr;
};

class FamilyTargetPage : public OptionPage {
  Q_OBJECT
 public:
  FamilyTargetPage(OptionsSheet& sheet, PageId id);
  QLineEdit* ClockEdit() const { return m_clock; }

 protected:
  // The device line and the clock in MHz.
  void LoadHeader(uint32_t clock);
  // The clock edit's value: an empty edit keeps `clock`.
  bool ReadClock(uint32_t* clock);
  // A threshold edit: empty gives 0, else a number from 0 to max.
  bool ReadThreshold(QLineEdit* edit, uint32_t max, uint32_t* value);
  // "None" and the toolset's kernels.
  void FillKernels(QComboBox* combo);
  QLineEdit* NewEdit(int limit);
  QComboBox* NewList(std::initializer_list<const char*> rows);
  QCheckBox* NewBox(const QString& text);
  MemRowEdits NewRow(QGridLayout* grid, int row, const QString& label, bool typed, int limit);
  static void ShowRange(const MemRowEdits& edits, uint32_t start, uint32_t second, const char* format);
  static std::string Text(const QLineEdit* edit);
  QGridLayout* Grid() const { return m_grid; }
  bool m_keepCopy = false;  // the next load keeps the page's copy (Defaults)

 private:
  QGridLayout* m_grid = nullptr;
  QLabel* m_device = nullptr;
  QLineEdit* m_clock = nullptr;
};

class Target51Page : public FamilyTargetPage {
  Q_OBJECT
 public:
  explicit Target51Page(OptionsSheet& sheet);
  bool Leave() override;
  void Defaults() override;
  const Target51Opts& PageCopy() const { return m_t; }

  QComboBox* Model() const { return m_model; }
  QComboBox* Kernel() const { return m_rtos; }
  QComboBox* Banks() const { return m_banks; }
  QLineEdit* DataThreshold() const { return m_dhold; }
  QLineEdit* XdataThreshold() const { return m_xhold; }
  const MemRowEdits& Eprom(int i) const { return m_eprom[std::size_t(i)]; }
  const MemRowEdits& Ram(int i) const { return m_ram[std::size_t(i)]; }
  const MemRowEdits& BankArea() const { return m_bankArea; }
  const MemRowEdits& FarArea() const { return m_farArea; }
  QCheckBox* Banking() const { return m_banking; }
  QCheckBox* Far() const { return m_far; }
  QCheckBox* OnChipRom() const { return m_onRom; }
  QCheckBox* OnChipXram() const { return m_onXram; }
  QCheckBox* Arithmetic() const { return m_arith; }
  QCheckBox* MultiDptr() const { return m_dptr; }
  QPushButton* BankingButton() const { return m_manage; }
  // The code-banking wizard (the Manage... button).
  void RunBankWizard();

 protected:
  void Load() override;

 private:
  void LoadControls();
  void ApplyBanking();
  void Bit(QCheckBox* box, uint32_t mask);
  bool ReadRange(RangeRow51 kind, const MemRowEdits& edits, MemRangeRec* out, uint32_t limit);

  Target51Opts m_t;
  QComboBox *m_model, *m_rom, *m_rtos, *m_banks, *m_farBanks;
  QLineEdit *m_dhold, *m_xhold;
  std::array<MemRowEdits, 3> m_eprom, m_ram;
  MemRowEdits m_bankArea, m_farArea;
  QCheckBox *m_banking, *m_far, *m_sfr, *m_onRom, *m_onXram, *m_onXram2, *m_arith, *m_dptr;
  QWidget* m_farGroup = nullptr;
  QPushButton* m_manage;
};

class Target251Page : public FamilyTargetPage {
  Q_OBJECT
 public:
  explicit Target251Page(OptionsSheet& sheet);
  bool Leave() override;
  void Defaults() override;
  const Target251Opts& PageCopy() const { return m_t; }

  QComboBox* Model() const { return m_model; }
  QComboBox* Kernel() const { return m_rtos; }
  QComboBox* Banks() const { return m_banks; }
  QLineEdit* Threshold(int i) const { return m_hold[std::size_t(i)]; }
  const MemRowEdits& External(int i) const { return m_ext[std::size_t(i)]; }
  const MemRowEdits& BankArea() const { return m_bankArea; }
  QCheckBox* Banking() const { return m_banking; }
  QCheckBox* OnChipRom() const { return m_onRom; }

 protected:
  void Load() override;

 private:
  void LoadControls();

  Target251Opts m_t;
  QComboBox *m_mode, *m_model, *m_rom, *m_rtos, *m_banks;
  std::array<QLineEdit*, 3> m_hold{};
  std::array<MemRowEdits, 6> m_ext;
  MemRowEdits m_bankArea;
  QCheckBox *m_banking, *m_onRom, *m_frame4;
  QLineEdit *m_codeBase, *m_xdataBase;
};

class Target166Page : public FamilyTargetPage {
  Q_OBJECT
 public:
  explicit Target166Page(OptionsSheet& sheet);
  bool Leave() override;
  void Defaults() override;

  QComboBox* Model() const { return m_model; }
  QComboBox* Kernel() const { return m_rtos; }
  QComboBox* NearRam() const { return m_nearRam; }
  QComboBox* NearRom() const { return m_nearRom; }
  QLineEdit* Thresholds() const { return m_hold; }
  const MemRowEdits& External(int i) const { return m_ext[std::size_t(i)]; }
  QCheckBox* OnChipRom() const { return m_onRom; }

 protected:
  void Load() override;

 private:
  Target166Opts& T() const;
  void NearChosen(QComboBox* mine, QComboBox* other, uint8_t& mineField, uint8_t& otherField);

  QComboBox *m_model, *m_rtos, *m_nearRam, *m_nearRom;
  QLineEdit* m_hold;
  std::array<MemRowEdits, 6> m_ext;
  QCheckBox *m_onRom, *m_onXcan, *m_onXram2;
  // What changed since the page was shown: clock, thresholds, and each
  // external row's start and size.
  bool m_clockChanged = false, m_holdChanged = false;
  std::array<bool, 6> m_startChanged{}, m_sizeChanged{};
};

}  // namespace pm2
