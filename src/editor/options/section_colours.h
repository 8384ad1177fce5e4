// The colours, comment delimiters, case and colouring switches of one
// editor profile section ("Editor\C Files"), as the section colour dialog
// edits them. Stored under the editor's keys: "Keyword", "Quote",
// "Comment", "Default Text", "Background" as "r,g,b" (decimal; a missing
// part counts 0), "Case" and "Chroma" as integers, "Comment Start 1",
// "Comment End 1", "Comment Start 2", "Comment End 2" as texts.
#pragma once

#include <cstdint>
#include <string>

namespace pm2 {

class SettingsStore;

// Colours are 0x00BBGGRR, as the text buffer keeps them.
struct SectionColours {
  uint32_t keyword = 0xC00000;      // "0,0,192"
  uint32_t quote = 0x0000FF;        // "255,0,0"
  uint32_t comment = 0x00FF00;      // "0,255,0"
  uint32_t text = 0x000000;         // "0,0,0"
  uint32_t background = 0xFFFFFF;   // "255,255,255"
  int caseSensitive = 0;
  std::string commentStart1, commentEnd1, commentStart2, commentEnd2;
  int colouring = 0;
  bool operator==(const SectionColours&) const = default;
};

// The section's values; a missing key takes the default above.
SectionColours LoadSectionColours(const SettingsStore& store, const std::string& section);
// Writes every value back to the section.
void SaveSectionColours(SettingsStore& store, const std::string& section, const SectionColours& values);

}  // namespace pm2
