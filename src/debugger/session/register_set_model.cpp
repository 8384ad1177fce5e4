#include "debugger/session/register_set_model.h"

#include <cstring>

namespace pm2 {

void RegisterSetModel::SetRegisterSet(const RegisterSet* set) {
  m_rows.clear();
  m_set = set ? *set : RegisterSet{};
  if (!set || set->groupCount == 0 || set->groupCount > 32 || set->registerCount == 0 || !set->groups ||
      !set->registers)
    return;
  std::vector<int> groupRows;
  for (uint32_t g = 0; g < set->groupCount; ++g) {
    const RegisterGroup& group = set->groups[g];
    groupRows.push_back(int(m_rows.size()));
    RegisterRow row;
    row.group = int(g);
    row.name = group.name ? group.name : "";
    row.expanded = (group.flags & 1) != 0;
    row.bold = (group.flags & 2) != 0;
    m_rows.push_back(row);
  }
  int openHead = -1;
  for (uint32_t i = 0; i < set->registerCount; ++i) {
    RegisterEntry* e = &set->registers[i];
    const std::string name(e->name, strnlen(e->name, sizeof e->name));
    const bool composite = e->composite >= 256;
    if (composite && name.empty()) {  // closes the open composite
      openHead = -1;
      continue;
    }
    const bool head = composite && (e->composite & 0xFF) == 0;
    if (head) openHead = -1;
    RegisterRow row;
    row.entry = e;
    row.name = name;
    if (openHead >= 0)
      row.parent = openHead;
    else
      row.parent = e->group < groupRows.size() ? groupRows[e->group] : -1;
    m_rows.push_back(row);
    if (head) openHead = int(m_rows.size()) - 1;
  }
}

std::vector<int> RegisterSetModel::Refresh(uint32_t mode, bool sessionActive) {
  std::vector<int> redraw;
  if (!sessionActive || !m_set.refresh) return redraw;
  if (mode != 0) m_set.refresh(nullptr, mode);
  for (int i = 0; i < int(m_rows.size()); ++i) {
    RegisterRow& row = m_rows[std::size_t(i)];
    if (!row.entry) {
      redraw.push_back(i);
      continue;
    }
    m_set.refresh(row.entry, 0);
    if (row.entry->redraw) redraw.push_back(i);
  }
  return redraw;
}

std::string RegisterSetModel::ValueText(int row) const {
  if (row < 0 || row >= int(m_rows.size()) || !m_rows[std::size_t(row)].entry) return {};
  const RegisterEntry* e = m_rows[std::size_t(row)].entry;
  return std::string(e->value, strnlen(e->value, sizeof e->value));
}

bool RegisterSetModel::Changed(int row) const {
  return row >= 0 && row < int(m_rows.size()) && m_rows[std::size_t(row)].entry &&
         m_rows[std::size_t(row)].entry->changed;
}

bool RegisterSetModel::MayEdit(int row, bool sessionActive) const {
  if (!sessionActive || !m_set.setValue || row < 0 || row >= int(m_rows.size())) return false;
  const RegisterEntry* e = m_rows[std::size_t(row)].entry;
  return e && e->editable;
}

void RegisterSetModel::SetValue(int row, uint64_t value) {
  if (row < 0 || row >= int(m_rows.size()) || !m_rows[std::size_t(row)].entry || !m_set.setValue) return;
  m_set.setValue(m_rows[std::size_t(row)].entry, &value);
}

std::string RegisterSetModel::TextToEvaluate(const std::string& typed, const std::string& shown) {
  const auto hexDigits = [](const std::string& t) {
    return !t.empty() && t.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos;
  };
  std::size_t first = typed.find_first_not_of(" \t"), last = typed.find_last_not_of(" \t");
  const std::string word = first == std::string::npos ? std::string() : typed.substr(first, last - first + 1);
  return hexDigits(shown) && hexDigits(word) ? "0x" + word : typed;
}

}  // namespace pm2
