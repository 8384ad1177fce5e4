#include "toolkit/workspace/workspace_list.h"

#include <algorithm>

#include "platform/settings_store.h"

namespace pm2 {

const char* WorkspaceListSection(bool registryMode) { return registryMode ? "__MRURegList" : "__MRUFileList"; }

std::string WorkspaceListKey(const SettingsStore& store, const WorkspaceListPlace& place) {
  std::string key = place.baseKey;
  if (!key.empty() && key.back() != '\\') key += '\\';
  key += WorkspaceListSection(place.registryMode);
  if (place.useApplicationKey) key = store.ProfileRoot() + "\\" + key;
  return key;
}

bool ReadWorkspaceList(const SettingsStore& store, const WorkspaceListPlace& place, std::vector<std::string>* list) {
  list->clear();
  const std::string key = WorkspaceListKey(store, place);
  if (!store.KeyExists(key)) return false;
  for (int i = 0;; ++i) {
    std::string name;
    if (!store.GetString(key, "Workspace" + std::to_string(i), &name)) break;
    if (!name.empty()) list->push_back(name);
  }
  return true;
}

bool WriteWorkspaceList(SettingsStore& store, const WorkspaceListPlace& place, const std::vector<std::string>& list) {
  const std::string key = WorkspaceListKey(store, place);
  if (store.KeyExists(key)) store.DeleteKey(key);
  if (!store.CreateKey(key)) return false;
  bool ok = true;
  for (std::size_t i = 0; i < list.size(); ++i) ok &= store.SetString(key, "Workspace" + std::to_string(i), list[i]);
  return ok;
}

void AddToWorkspaceList(const std::string& name, std::vector<std::string>* list, int size) {
  list->erase(std::remove(list->begin(), list->end(), name), list->end());
  list->insert(list->begin(), name);
  if (int(list->size()) > size) list->resize(std::size_t(std::max(size, 0)));
}

std::vector<RecentMenuItem> BuildRecentWorkspaceMenu(const std::vector<std::string>& list, bool listRead,
                                                     const std::string& current, const std::string& noneText,
                                                     const std::string& moreText, int size) {
  std::vector<RecentMenuItem> items;
  if (!listRead || list.empty()) {
    items.push_back({kIdWorkspaceRecentFirst, noneText, false, false});
    return items;
  }
  for (int i = 0; i < int(list.size()) && i < size; ++i)
    items.push_back({kIdWorkspaceRecentFirst + unsigned(i), "&" + std::to_string(i + 1) + " " + list[std::size_t(i)],
                     true, list[std::size_t(i)] == current});
  // The whole list is reached through the open command.
  if (int(list.size()) > size) items.push_back({kIdWorkspaceOpen, moreText, true, false});
  return items;
}

}  // namespace pm2
