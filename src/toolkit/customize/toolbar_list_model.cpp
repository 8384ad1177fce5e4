#include "toolkit/customize/toolbar_list_model.h"

#include <algorithm>

#include "toolkit/toolbars/toolbar_state.h"

namespace pm2 {

bool IsUserToolBarId(unsigned id) { return id >= kFirstUserToolBarId && id != kMenuBarId; }

bool ClipToolBarName(std::string* name) {
  if (name->size() <= kMaxToolBarName) return false;
  name->resize(kMaxToolBarName);
  return true;
}

std::vector<unsigned> CommandGroupWindowIds(std::size_t count) {
  std::vector<unsigned> ids;
  for (unsigned id = 0xE8FE; ids.size() < count && id > 0; --id)
    if (id < 0xE81B || id > 0xE81F) ids.push_back(id);
  return ids;
}

void ToolBarListModel::Reset(std::vector<ToolBarListRow> rows) {
  m_rows = std::move(rows);
  std::stable_sort(m_rows.begin(), m_rows.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  m_selected = m_rows.empty() ? -1 : std::min(std::max(m_selected, 0), int(m_rows.size()) - 1);
}

int ToolBarListModel::Find(unsigned id) const {
  for (std::size_t i = 0; i < m_rows.size(); ++i)
    if (m_rows[i].id == id) return int(i);
  return -1;
}

void ToolBarListModel::Notify(BarNotify code, unsigned id, const std::string& title) {
  const int at = Find(id);
  switch (code) {
    case BarNotify::Shown:
    case BarNotify::Hidden:
      if (at >= 0) m_rows[std::size_t(at)].checked = code == BarNotify::Shown;
      return;
    case BarNotify::Added: {
      if (at >= 0) return;
      auto pos = std::find_if(m_rows.begin(), m_rows.end(), [&](const auto& r) { return r.id > id; });
      const int index = int(pos - m_rows.begin());
      m_rows.insert(pos, ToolBarListRow{id, title, true});
      if (m_selected >= index) ++m_selected;
      return;
    }
    case BarNotify::Removed:
      if (at < 0) return;
      m_rows.erase(m_rows.begin() + at);
      if (m_selected > at) --m_selected;
      else if (m_selected == at) m_selected = std::min(at, int(m_rows.size()) - 1);
      return;
  }
}

bool ToolBarListModel::ToggleCheck(int row) {
  if (row < 0 || row >= int(m_rows.size())) return false;
  ToolBarListRow& r = m_rows[std::size_t(row)];
  r.checked = r.id == kMenuBarId ? true : !r.checked;
  return r.checked;
}

bool ToolBarListModel::Rename(int row, std::string title) {
  if (row < 0 || row >= int(m_rows.size())) return false;
  ClipToolBarName(&title);
  m_rows[std::size_t(row)].title = std::move(title);
  return true;
}

}  // namespace pm2
