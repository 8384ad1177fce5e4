// The find box's history, most recent first, kept in profile section
// "Settings\Find" as "Find1", "Find2" ... (read up to the first empty
// value). Adding holds it at 10 entries; a longer stored list is read
// whole and written back with at most 128 entries.
#pragma once

#include <string>
#include <vector>

namespace pm2 {

class SettingsStore;

class FindBoxHistory {
 public:
  static constexpr std::size_t kKeep = 10;
  static constexpr std::size_t kWriteMax = 128;

  void Load(const SettingsStore& store);
  void Save(SettingsStore& store) const;
  // A text already held moves to the front; a new one goes in front, the
  // 10th entry making room for it.
  void Add(const std::string& text);
  const std::vector<std::string>& Entries() const { return m_entries; }

 private:
  std::vector<std::string> m_entries;
};

}  // namespace pm2
