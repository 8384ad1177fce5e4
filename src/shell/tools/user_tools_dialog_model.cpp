#include "shell/tools/user_tools_dialog_model.h"

#include <algorithm>

#include "platform/settings_store.h"

namespace pm2 {

void UserToolsDialogModel::Load(const SettingsStore& store) { m_tools = ReadUserTools(store); }

std::vector<std::string> UserToolsDialogModel::RowTexts() const {
  std::vector<std::string> out;
  for (const UserToolEntry& e : m_tools) out.push_back(e.menuText);
  return out;
}

UserToolEntry* UserToolsDialogModel::At(int row) {
  if (row < 0 || row >= Count()) return nullptr;
  return &m_tools[static_cast<size_t>(row)];
}

bool UserToolsDialogModel::Insert(int row, const std::string& text) {
  if (Count() >= kMaxUserTools) return false;
  UserToolEntry e;
  e.used = true;
  e.menuText = text;
  row = std::clamp(row, 0, Count());
  m_tools.insert(m_tools.begin() + row, std::move(e));
  return true;
}

void UserToolsDialogModel::Rename(int row, const std::string& text) {
  if (UserToolEntry* e = At(row)) e->menuText = text;
}

void UserToolsDialogModel::Move(int from, int to) {
  if (!At(from) || to < 0 || to >= Count() || from == to) return;
  UserToolEntry e = std::move(m_tools[static_cast<size_t>(from)]);
  m_tools.erase(m_tools.begin() + from);
  m_tools.insert(m_tools.begin() + to, std::move(e));
}

void UserToolsDialogModel::Erase(int row) {
  if (At(row)) m_tools.erase(m_tools.begin() + row);
}

void UserToolsDialogModel::SetProgram(int row, const std::string& text) {
  if (UserToolEntry* e = At(row)) e->program = text.substr(0, kToolFieldLimit);
}

void UserToolsDialogModel::SetFolder(int row, const std::string& text) {
  if (UserToolEntry* e = At(row)) e->folder = text.substr(0, kToolFieldLimit);
}

void UserToolsDialogModel::SetArguments(int row, const std::string& text) {
  if (UserToolEntry* e = At(row)) e->arguments = text.substr(0, kToolFieldLimit);
}

void UserToolsDialogModel::SetOption(int row, uint32_t option, bool on) {
  if (UserToolEntry* e = At(row)) e->options = on ? (e->options | option) : (e->options & ~option);
}

}  // namespace pm2
