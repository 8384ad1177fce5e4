#include "shell/tools/find_history.h"

#include <algorithm>

#include "platform/settings_store.h"

namespace pm2 {
namespace {

constexpr char kFindSection[] = "_FindLst";
constexpr char kTypeSection[] = "_TypeLst";
constexpr char kFolderSection[] = "_FoldLst";

void AddUnique(std::vector<std::string>* list, const std::string& text) {
  if (std::find(list->begin(), list->end(), text) == list->end()) list->push_back(text);
}

}  // namespace

std::vector<std::string> ReadHistoryList(const SettingsStore& store, std::string_view section) {
  std::vector<std::string> items;
  for (size_t i = 0;; ++i) {
    std::string text = store.GetProfileString(section, "_Item" + std::to_string(i));
    if (text.empty()) break;
    AddUnique(&items, text);
  }
  return items;
}

void WriteHistoryList(SettingsStore& store, std::string_view section,
                      const std::vector<std::string>& items) {
  const std::string s(section);
  size_t i = 0;
  for (; i < items.size() && i < kFindHistoryLimit; ++i)
    store.WriteProfileString(s.c_str(), ("_Item" + std::to_string(i)).c_str(), items[i].c_str());
  // An earlier, longer list ends here.
  store.WriteProfileString(s.c_str(), ("_Item" + std::to_string(i)).c_str(), nullptr);
}

void PushHistory(std::vector<std::string>* list, const std::string& text) {
  list->erase(std::remove(list->begin(), list->end(), text), list->end());
  list->insert(list->begin(), text);
  if (list->size() > kFindHistoryLimit) list->resize(kFindHistoryLimit);
}

void FindDialogState::Load(const SettingsStore& store, const std::string& preset,
                           const std::string& projectFolder) {
  int opt = store.GetProfileInt(kFindSection, "_Opt", 0);
  includeSubfolders = opt & 1;
  regularExpression = opt & 2;
  matchCase = opt & 4;
  wholeWord = opt & 8;
  findTexts.clear();
  if (!preset.empty()) findTexts.push_back(preset);
  for (const std::string& t : ReadHistoryList(store, kFindSection)) AddUnique(&findTexts, t);
  fileTypes = ReadHistoryList(store, kTypeSection);
  if (fileTypes.empty()) fileTypes.push_back(kDefaultFindTypes);
  folders = ReadHistoryList(store, kFolderSection);
  if (!projectFolder.empty()) {
    std::string f = projectFolder;
    while (f.size() > 1 && (f.back() == '/' || f.back() == '\\')) f.pop_back();
    PushHistory(&folders, f);
  }
}

FindInFilesRequest FindDialogState::Accept(SettingsStore& store, const std::string& findText,
                                           const std::string& types, const std::string& folder) {
  PushHistory(&findTexts, findText);
  PushHistory(&fileTypes, types);
  PushHistory(&folders, folder);
  store.WriteProfileInt(kFindSection, "_Opt",
                        (includeSubfolders ? 1 : 0) | (regularExpression ? 2 : 0) |
                            (matchCase ? 4 : 0) | (wholeWord ? 8 : 0));
  WriteHistoryList(store, kFindSection, findTexts);
  WriteHistoryList(store, kTypeSection, fileTypes);
  WriteHistoryList(store, kFolderSection, folders);
  FindInFilesRequest r;
  r.includeSubfolders = includeSubfolders;
  r.regularExpression = regularExpression;
  r.matchCase = regularExpression ? true : matchCase;
  r.wholeWord = regularExpression ? false : wholeWord;
  r.findText = findText.substr(0, 255);
  r.fileTypes = types.substr(0, 255);
  r.folder = folder.substr(0, 255);
  return r;
}

}  // namespace pm2
