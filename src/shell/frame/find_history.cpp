#include "shell/frame/find_history.h"

#include <algorithm>

#include "platform/settings_store.h"

namespace pm2 {

namespace {
constexpr const char* kSection = "Settings\\Find";
}

void FindBoxHistory::Load(const SettingsStore& store) {
  m_entries.clear();
  for (int i = 1;; ++i) {
    std::string text = store.GetProfileString(kSection, "Find" + std::to_string(i));
    if (text.empty()) break;
    m_entries.push_back(text);
  }
}

void FindBoxHistory::Save(SettingsStore& store) const {
  std::size_t n = std::min(m_entries.size(), kWriteMax);
  for (std::size_t i = 0; i < n; ++i)
    store.WriteProfileString(kSection, ("Find" + std::to_string(i + 1)).c_str(), m_entries[i].c_str());
  // An entry beyond the list would be read back as part of it.
  store.WriteProfileString(kSection, ("Find" + std::to_string(n + 1)).c_str(), nullptr);
}

void FindBoxHistory::Add(const std::string& text) {
  if (text.empty()) return;
  auto it = std::find(m_entries.begin(), m_entries.end(), text);
  if (it != m_entries.end())
    m_entries.erase(it);
  else if (m_entries.size() >= kKeep)
    m_entries.erase(m_entries.begin() + (kKeep - 1));
  m_entries.insert(m_entries.begin(), text);
}

}  // namespace pm2
