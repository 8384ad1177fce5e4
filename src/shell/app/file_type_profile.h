// One file type's editor settings in the profile: the section
// ("Editor\C Files", ...) holds 12 texts and 4 numbers under the keys of
// g_EditorKeyNames, written in that order.
#pragma once

#include <string>

namespace pm2 {

class SettingsStore;

struct FileTypeProfile {
  std::string keywords;                 // "Keywords": the keyword file
  int chroma = 0;                       // "Chroma": colouring on
  std::string extraWordChars;           // "Extra word chars"
  std::string comment, keyword, quote, squote, defaultText, background;  // colours
  std::string commentStart1, commentEnd1, commentStart2, commentEnd2;
  int caseSensitive = 0;                // "Case"
  int tabSize = 0;                      // "Tab size"
  int showTabs = 0;                     // "Show tabs"
};

// The 16 key names in stored order: "Keywords", "Chroma", "Extra word
// chars", "Comment", "Keyword", "Quote", "SQuote", "Default Text",
// "Background", "Comment Start 1", "Comment End 1", "Comment Start 2",
// "Comment End 2", "Case", "Tab size", "Show tabs".
extern const char* const g_EditorKeyNames[16];

void WriteFileTypeProfile(SettingsStore& store, const std::string& section,
                          const FileTypeProfile& profile);

}  // namespace pm2
