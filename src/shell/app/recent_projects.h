// The recent-project list: at most 10 paths, the most recent first, no two
// equal ignoring case. Entry 0 is the project reopened at start-up.
//
// Stored in the profile section "Recent Projects" as "Project 1" to
// "Project 10"; reading stops at the first missing or empty value, and a
// save writes every place, an empty one as an empty text.
//
// The same list, in its own section with its own key names and length,
// keeps the recent documents: six places, "File1" to "File6" of the
// section "Recent File List".
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pm2 {

class SettingsStore;

inline constexpr int kRecentProjectMax = 10;
inline constexpr int kRecentFileMax = 6;

class RecentProjects {
 public:
  // Keys are the prefix followed by the place's number from 1.
  explicit RecentProjects(std::string section = "Recent Projects", std::string keyPrefix = "Project ",
                          int max = kRecentProjectMax)
      : m_section(std::move(section)), m_keyPrefix(std::move(keyPrefix)), m_max(max) {}
  // The recent documents' list.
  static RecentProjects Files() { return RecentProjects("Recent File List", "File", kRecentFileMax); }

  // Moves the path to the front (taking out an entry equal to it ignoring
  // case); the entry beyond the last place falls out. An empty path changes nothing.
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
  std::string KeyName(int i) const { return m_keyPrefix + std::to_string(i + 1); }

  std::string m_section;
  std::string m_keyPrefix;
  int m_max;
  std::vector<std::string> m_entries;
};

}  // namespace pm2
