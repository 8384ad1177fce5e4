// Profile key names of the editor's per-file-type sections ("Editor\...")
// and the section list with the values written at start-up.
#pragma once

#include <string>

namespace pm2 {

class SettingsStore;

// Keys read by the text buffer's settings loader. The tab size and show
// tabs keys, and the font keys, are shared with the file-type settings of
// the main frame (editor/options/file_type_settings.h); keys compare
// ignoring case.
inline constexpr const char* kKeyTabSize = "Tab size";
inline constexpr const char* kKeyKeepTabs = "Keep tabs";
inline constexpr const char* kKeyShowTabs = "Show tabs";
inline constexpr const char* kKeyFontFace = "Font Name";
inline constexpr const char* kKeyFontSize = "Font size";
inline constexpr const char* kKeyCharSet = "Charset";
inline constexpr const char* kKeyFontWeight = "Font weight";
inline constexpr const char* kKeyItalic = "Font Italic";
inline constexpr const char* kKeyWordWrap = "Word wrap";
inline constexpr const char* kKeyInsertMode = "Insert mode";
inline constexpr const char* kKeyLockFile = "Lock file";
inline constexpr const char* kKeyLineEnd = "Line end";

// The language kinds of the sections.
enum EditorLanguageKind : int { kLangPlain = 0, kLangCLike = 1, kLangAssembler = 2 };

struct EditorSection {
  const char* section;      // "Editor\C Files"
  const char* keywordFile;  // "c.ini"; null: nothing is written
  int kind;
};

// The twelve sections in their order; the last gets no values written.
extern const EditorSection kEditorSections[12];

// Fills every key of the first eleven sections that is missing with the
// value of its section's kind (a user's values stay), then writes
// "Terminator chars" = ">" into "Editor\CArmA".
void InitEditorProfiles(SettingsStore& store);

}  // namespace pm2
