// The find options and the find and replace histories as the profile keeps
// them: section "Editor\Find", keys "Regular expression", "Match case",
// "Search down", "Wrap" (0 or 1; defaults 0, 0, 1, 1), "Find 1" .. "Find
// 10" and "Replace 1" .. "Replace 10" (newest first, read up to the first
// empty entry; an empty replacement is stored as "<OE empty string>").
#pragma once

#include <string>
#include <vector>

#include "editor/engine/edit_engine.h"

namespace pm2 {

class SettingsStore;

constexpr int kFindHistoryLength = 10;
inline constexpr const char kFindSection[] = "Editor\\Find";
inline constexpr const char kEmptyReplaceMark[] = "<OE empty string>";

struct FindHistory {
  std::vector<std::string> find;     // newest first
  std::vector<std::string> replace;  // newest first
};

// Puts text first; an equal older entry moves up instead of staying twice;
// the list keeps kFindHistoryLength entries. An empty text is not stored
// unless `allowEmpty` (a replacement may be empty).
void PushHistory(std::vector<std::string>& list, const std::string& text, bool allowEmpty);

// The options (their text is the newest find entry) and the histories.
void LoadFindSettings(SettingsStore& store, EditFindOptions* pOptions, FindHistory* pHistory);
void SaveFindSettings(SettingsStore& store, const EditFindOptions& options, const FindHistory& history);

}  // namespace pm2
