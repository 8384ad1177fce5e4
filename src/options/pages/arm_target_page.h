// The target page of an ARM target (ARM-GNU and ARM-ADS alike, over
// different fields): the device, the clock and the real-time operating
// system. The on-chip memory bits and the off-chip rows have no visible
// controls; they are loaded, checked and written back with the page.
// Works on a copy of the toolset's target sub-record only.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <array>

#include "options/core/arm_memory.h"
#include "options/pages/option_page.h"
#include "project/model/option_block.h"

namespace pm2 {

struct ArmTargetFields;

class ArmTargetPage : public OptionPage {
  Q_OBJECT
 public:
  ArmTargetPage(OptionsSheet& sheet, PageId id);
  bool Leave() override;
  void Defaults() override {}
  bool HasDefaults() const override { return false; }

  QLabel* DeviceText() const { return m_device; }
  QLineEdit* Clock() const { return m_clock; }
  QComboBox* Rtos() const { return m_rtos; }
  QLineEdit* RowStart(int row) const { return m_start[std::size_t(row)]; }
  QLineEdit* RowSize(int row) const { return m_size[std::size_t(row)]; }
  QCheckBox* OnChip(int i) const { return m_onChip[std::size_t(i)]; }

 protected:
  void Load() override;

 private:
  const ArmTargetFields& m_fields;
  OptionBlock m_copy;  // only the toolset's target sub-record is written back
  QLabel* m_device;
  QLineEdit* m_clock;
  QComboBox* m_rtos;
  std::array<QCheckBox*, 3> m_onChip{};
  std::array<QLineEdit*, kArmMemRows> m_start{};
  std::array<QLineEdit*, kArmMemRows> m_size{};
};

}  // namespace pm2
