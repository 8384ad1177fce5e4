#include "editor/engine/find_settings.h"

#include <algorithm>

#include "platform/settings_store.h"

namespace pm2 {

namespace {
struct FlagKey {
  const char* key;
  bool EditFindOptions::*field;
  int def;
};
constexpr FlagKey kFlags[] = {
    {"Regular expression", &EditFindOptions::regex, 0},
    {"Match case", &EditFindOptions::matchCase, 0},
    {"Search down", &EditFindOptions::forward, 1},
    {"Wrap", &EditFindOptions::wrap, 1},
};

// An empty entry ends a list, so an empty replacement is stored as a mark
// (`withMark` lists only).
std::vector<std::string> ReadList(SettingsStore& store, const char* prefix, bool withMark) {
  std::vector<std::string> out;
  for (int i = 1; i <= kFindHistoryLength; ++i) {
    std::string v = store.GetProfileString(kFindSection, prefix + std::to_string(i), "");
    if (v.empty()) break;
    out.push_back(withMark && v == kEmptyReplaceMark ? std::string() : v);
  }
  return out;
}

void WriteList(SettingsStore& store, const char* prefix, const std::vector<std::string>& list,
               bool withMark) {
  for (int i = 1; i <= kFindHistoryLength; ++i) {
    std::string key = prefix + std::to_string(i);
    std::string value = size_t(i) <= list.size() ? list[size_t(i - 1)] : std::string();
    if (withMark && value.empty() && size_t(i) <= list.size()) value = kEmptyReplaceMark;
    store.WriteProfileString(kFindSection, key.c_str(), value.c_str());
  }
}
}  // namespace

void PushHistory(std::vector<std::string>& list, const std::string& text, bool allowEmpty) {
  if (text.empty() && !allowEmpty) return;
  auto old = std::find(list.begin(), list.end(), text);
  if (old != list.end()) list.erase(old);
  list.insert(list.begin(), text);
  if (list.size() > size_t(kFindHistoryLength)) list.resize(size_t(kFindHistoryLength));
}

void LoadFindSettings(SettingsStore& store, EditFindOptions* pOptions, FindHistory* pHistory) {
  for (const FlagKey& f : kFlags) pOptions->*f.field = store.GetProfileInt(kFindSection, f.key, f.def) != 0;
  pHistory->find = ReadList(store, "Find ", false);
  pHistory->replace = ReadList(store, "Replace ", true);
  pOptions->text = pHistory->find.empty() ? std::string() : pHistory->find.front();
}

void SaveFindSettings(SettingsStore& store, const EditFindOptions& options, const FindHistory& history) {
  for (const FlagKey& f : kFlags) store.WriteProfileInt(kFindSection, f.key, options.*f.field ? 1 : 0);
  WriteList(store, "Find ", history.find, false);
  WriteList(store, "Replace ", history.replace, true);
}

}  // namespace pm2
