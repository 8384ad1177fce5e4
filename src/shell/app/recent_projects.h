// The recent-project list: at most 10 paths, the most recent first, no two
// equal ignoring case. Entry 0 is the project reopened at start-up.
//
// Stored in the profile section "Recent Projects" as "Project 1" to
// "Project 10"; reading stops at the first missing or empty value, and a
// save writes every place, an empty one as an empty text.
#pragma once

#include <string>
#include <vector>

namespace pm2 {

class SettingsStore;

inline constexpr int kRecentProjectMax = 10;

class RecentProjects {
 public:
  // Moves the path to the front (taking out an entry equal to it ignoring
  // case); the tenth entry falls out. An empty path changes nothing.
  void Add(const std::string& path);
  // Removes the first entry equal to the path ignoring case.
  void Remove(const std::string& path);
  void Load(const SettingsStore& store);
  void Save(SettingsStore& store) const;

  int Count() const { return static_cast<int>(m_entries.size()); }
  // "" for a place beyond the end.
  const std::string& At(int i) const;
  const std::vector<std::string>& Entries() const { return m_entries; }

 private:
  std::vector<std::string> m_entries;
};

}  // namespace pm2
