#pragma once
// The menu resource template the menu bar walks. After a 4-byte header
// (version and header size, both 0), items follow one after the other:
//   WORD flags; WORD command id unless the item opens a popup (flag 0x10);
//   the text as zero-terminated 16-bit characters.
// Flag 0x80 marks the last item of a level; a popup's items follow it as a
// nested level. Every read is bounded by the template's end: a cut-off
// template ends the walk instead of reading past it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/resources.h"

namespace pm2 {

constexpr std::uint16_t kMfPopup = 0x10;
constexpr std::uint16_t kMfEnd = 0x80;
constexpr std::uint16_t kMfSeparator = 0x800;  // written for separators, with id 0 and no text

struct MenuTemplateItem {
  std::uint16_t flags = 0;
  std::uint16_t id = 0;     // 0 for a popup
  std::u16string text;
  std::size_t next = 0;     // offset of what follows the item itself
};

// The item at `offset`; false when it runs past the end.
bool ReadMenuTemplateItem(const std::vector<std::uint8_t>& t, std::size_t offset, MenuTemplateItem* item);
// Offset after a popup item at `offset` and all its nested items.
bool SkipMenuTemplatePopup(const std::vector<std::uint8_t>& t, std::size_t offset, std::size_t* after);
// Offset of the n-th item (0-based) of the level starting at `levelStart`;
// false past the level's end.
bool FindMenuTemplateItem(const std::vector<std::uint8_t>& t, std::size_t levelStart, int n, std::size_t* offset);
// The offset of an item's text.
std::size_t MenuTemplateTextOffset(const MenuTemplateItem& item, std::size_t offset);

// A template of a resource-table menu (8-bit texts widened as Latin-1).
std::vector<std::uint8_t> WriteMenuTemplate(const std::vector<MenuEntry>& entries);

}  // namespace pm2
