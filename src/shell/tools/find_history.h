// The histories of the Find in Files dialog in the profile: sections
// "_FindLst" (find texts, and "_Opt": bit 0 subfolders, bit 1 regular
// expression, bit 2 match case, bit 3 whole word), "_TypeLst" (pattern
// lists) and "_FoldLst" (folders), items as "_Item%d" from 0, read up to the
// first empty value. Each list keeps at most 32 items, newest first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/tools/find_in_files.h"

namespace pm2 {

class SettingsStore;

inline constexpr size_t kFindHistoryLimit = 32;
inline constexpr char kDefaultFindTypes[] = "*.c*;*.h*;*.a*;*.src;*.txt;*.p;*.i*";

std::vector<std::string> ReadHistoryList(const SettingsStore& store, std::string_view section);
void WriteHistoryList(SettingsStore& store, std::string_view section,
                      const std::vector<std::string>& items);
// Moves (or adds) the text to the top of the list.
void PushHistory(std::vector<std::string>* list, const std::string& text);

// What the dialog shows when it opens, and what its OK stores.
struct FindDialogState {
  std::vector<std::string> findTexts, fileTypes, folders;
  bool includeSubfolders = false, regularExpression = false, matchCase = false, wholeWord = false;

  // `preset`: the word at the caret (may be empty); `projectFolder`: the
  // folder of a project read since the last search (may be empty), added
  // and shown first.
  void Load(const SettingsStore& store, const std::string& preset, const std::string& projectFolder);
  // OK: the three texts to the top of their lists, options and lists
  // written; returns the request.
  FindInFilesRequest Accept(SettingsStore& store, const std::string& findText,
                            const std::string& fileTypes, const std::string& folder);
  // OK is enabled only while all three texts are non-empty.
  static bool CanAccept(const std::string& a, const std::string& b, const std::string& c) {
    return !a.empty() && !b.empty() && !c.empty();
  }
};

}  // namespace pm2
