// The register page's tree without a window: the driver's register-set
// descriptor turned into rows (groups at the top, registers below them,
// the fields of a composite register below its head), the refresh pass
// through the descriptor's callback and the edit rule.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2 {

struct RegisterRow {
  int parent = -1;                   // index of the parent row; -1 at the top
  int group = -1;                    // a group row: its index in the group table
  RegisterEntry* entry = nullptr;    // a register row: its entry
  std::string name;
  bool expanded = false;             // a group expanded at load
  bool bold = false;                 // a group drawn bold
};

class RegisterSetModel {
 public:
  // Rebuilds the rows from the descriptor; null, a group count of 0 or
  // above 32, or no register entries leave the model empty. The copy of
  // the descriptor is kept (zeroed for null).
  void SetRegisterSet(const RegisterSet* set);
  const std::vector<RegisterRow>& Rows() const { return m_rows; }
  const RegisterSet& Descriptor() const { return m_set; }
  bool Empty() const { return m_rows.empty(); }

  // The refresh pass: with mode != 0 the callback is called once with
  // (0, mode); then with (entry, 0) for each register row. Returns the rows
  // to redraw (registers whose text changed, and every group).
  std::vector<int> Refresh(uint32_t mode, bool sessionActive);

  // The value column of a row: the register's text, nothing for a group.
  std::string ValueText(int row) const;
  bool Changed(int row) const;
  // An edit of a row's value may begin: during a session, a register row
  // whose entry is editable, with a set-value callback.
  bool MayEdit(int row, bool sessionActive) const;
  // Hands an evaluated value to the set-value callback.
  void SetValue(int row, uint64_t value);
  // The text a typed value is evaluated as: where the row shows its value
  // as hex digits without a prefix ("000003E8"), a value typed the same way
  // ("3E8") is hex too ("0x3E8"), not a decimal or float number; any other
  // text is evaluated as typed.
  static std::string TextToEvaluate(const std::string& typed, const std::string& shown);

  static constexpr uint32_t kRefreshAll = 0x80000000u;
  static constexpr uint32_t kRefreshItem = 0x40000000u;
  static constexpr std::size_t kEditMax = 128;

 private:
  RegisterSet m_set{};
  std::vector<RegisterRow> m_rows;
};

}  // namespace pm2
