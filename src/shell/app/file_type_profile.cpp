#include "shell/app/file_type_profile.h"

#include "platform/settings_store.h"

namespace pm2 {

const char* const g_EditorKeyNames[16] = {
    "Keywords",        "Chroma",        "Extra word chars", "Comment", "Keyword", "Quote",
    "SQuote",          "Default Text",  "Background",       "Comment Start 1",
    "Comment End 1",   "Comment Start 2", "Comment End 2",  "Case",    "Tab size", "Show tabs",
};

namespace {

// One row per key in the stored order: either a text or a number field.
struct KeyRow {
  std::string FileTypeProfile::*text;
  int FileTypeProfile::*number;
};

constexpr KeyRow kRows[16] = {
    {&FileTypeProfile::keywords, nullptr},      {nullptr, &FileTypeProfile::chroma},
    {&FileTypeProfile::extraWordChars, nullptr}, {&FileTypeProfile::comment, nullptr},
    {&FileTypeProfile::keyword, nullptr},       {&FileTypeProfile::quote, nullptr},
    {&FileTypeProfile::squote, nullptr},        {&FileTypeProfile::defaultText, nullptr},
    {&FileTypeProfile::background, nullptr},    {&FileTypeProfile::commentStart1, nullptr},
    {&FileTypeProfile::commentEnd1, nullptr},   {&FileTypeProfile::commentStart2, nullptr},
    {&FileTypeProfile::commentEnd2, nullptr},   {nullptr, &FileTypeProfile::caseSensitive},
    {nullptr, &FileTypeProfile::tabSize},       {nullptr, &FileTypeProfile::showTabs},
};

}  // namespace

void WriteFileTypeProfile(SettingsStore& store, const std::string& section,
                          const FileTypeProfile& profile) {
  for (int i = 0; i < 16; ++i) {
    if (kRows[i].text)
      store.WriteProfileString(section.c_str(), g_EditorKeyNames[i], (profile.*kRows[i].text).c_str());
    else
      store.WriteProfileInt(section, g_EditorKeyNames[i], profile.*kRows[i].number);
  }
}

}  // namespace pm2
