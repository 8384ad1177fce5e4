#include "editor/options/section_colours.h"

#include "editor/text/text_buffer.h"
#include "platform/settings_store.h"

namespace pm2 {

namespace {

struct ColourKey {
  const char* key;
  uint32_t SectionColours::*field;
};
constexpr ColourKey kColours[] = {
    {"Keyword", &SectionColours::keyword},     {"Quote", &SectionColours::quote},
    {"Comment", &SectionColours::comment},     {"Default Text", &SectionColours::text},
    {"Background", &SectionColours::background},
};

struct TextKey {
  const char* key;
  std::string SectionColours::*field;
};
constexpr TextKey kTexts[] = {
    {"Comment Start 1", &SectionColours::commentStart1}, {"Comment End 1", &SectionColours::commentEnd1},
    {"Comment Start 2", &SectionColours::commentStart2}, {"Comment End 2", &SectionColours::commentEnd2},
};

struct NumberKey {
  const char* key;
  int SectionColours::*field;
};
constexpr NumberKey kNumbers[] = {{"Case", &SectionColours::caseSensitive}, {"Chroma", &SectionColours::colouring}};

}  // namespace

SectionColours LoadSectionColours(const SettingsStore& store, const std::string& section) {
  SectionColours v;
  for (const ColourKey& k : kColours)
    v.*k.field =
        CEditTextBuffer::ParseColour(store.GetProfileString(section, k.key, CEditTextBuffer::FormatColour(v.*k.field)));
  for (const TextKey& k : kTexts) v.*k.field = store.GetProfileString(section, k.key, "");
  for (const NumberKey& k : kNumbers) v.*k.field = store.GetProfileInt(section, k.key, v.*k.field);
  return v;
}

void SaveSectionColours(SettingsStore& store, const std::string& section, const SectionColours& v) {
  for (const ColourKey& k : kColours)
    store.WriteProfileString(section.c_str(), k.key, CEditTextBuffer::FormatColour(v.*k.field).c_str());
  for (const TextKey& k : kTexts) store.WriteProfileString(section.c_str(), k.key, (v.*k.field).c_str());
  for (const NumberKey& k : kNumbers) store.WriteProfileInt(section, k.key, v.*k.field);
}

}  // namespace pm2
