#include "shell/app/recent_projects.h"

#include <algorithm>

#include "platform/ascii_case.h"
#include "platform/settings_store.h"

namespace pm2 {

void RecentProjects::Add(const std::string& path) {
  if (path.empty()) return;
  Remove(path);
  m_entries.insert(m_entries.begin(), path);
  if (int(m_entries.size()) > m_max) m_entries.resize(m_max);
}

void RecentProjects::Remove(const std::string& path) {
  auto it = std::find_if(m_entries.begin(), m_entries.end(),
                         [&](const std::string& e) { return EqualIgnoringCase(e, path); });
  if (it != m_entries.end()) m_entries.erase(it);
}

void RecentProjects::Load(const SettingsStore& store) {
  m_entries.clear();
  for (int i = 0; i < m_max; ++i) {
    std::string value = store.GetProfileString(m_section, KeyName(i));
    if (value.empty()) break;
    m_entries.push_back(value);
  }
}

void RecentProjects::Save(SettingsStore& store) const {
  for (int i = 0; i < m_max; ++i) store.WriteProfileString(m_section.c_str(), KeyName(i).c_str(), At(i).c_str());
}

const std::string& RecentProjects::At(int i) const {
  static const std::string kEmpty;
  return (i >= 0 && i < Count()) ? m_entries[i] : kEmpty;
}

}  // namespace pm2
