// The customise-tools dialog without a window: the tools in list order,
// kept in step with the dialog's list rows through the list editor's hooks
// (added, renamed, moved, deleting), and the fields of the selected tool.
// OK writes the tools that have a menu text, in list order.
#pragma once

#include <string>
#include <vector>

#include "shell/tools/user_tools.h"

namespace pm2 {

inline constexpr size_t kToolFieldLimit = 256;

class UserToolsDialogModel {
 public:
  // The stored tools; their menu texts are the list's rows.
  void Load(const SettingsStore& store);
  std::vector<std::string> RowTexts() const;
  int Count() const { return static_cast<int>(m_tools.size()); }
  const UserToolEntry& Tool(int row) const { return m_tools.at(static_cast<size_t>(row)); }

  // Hooks. Insert is false when 50 tools exist (the caller beeps and drops
  // the new row).
  bool Insert(int row, const std::string& text);
  void Rename(int row, const std::string& text);
  void Move(int from, int to);
  void Erase(int row);

  // The fields of the selected row (ignored without one); texts keep at
  // most 256 characters.
  void SetProgram(int row, const std::string& text);
  void SetFolder(int row, const std::string& text);
  void SetArguments(int row, const std::string& text);
  void SetOption(int row, uint32_t option, bool on);

  void Save(SettingsStore& store) const { WriteUserTools(store, m_tools); }

 private:
  UserToolEntry* At(int row);
  std::vector<UserToolEntry> m_tools;
};

}  // namespace pm2
