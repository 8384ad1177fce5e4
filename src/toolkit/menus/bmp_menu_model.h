#pragma once
// The rules of the bitmap menus without a window: which items are drawn by
// us, an item's size, its colours in the plain and XP looks, the image cell
// beside its text, and the answer to a mnemonic key. The popup widget asks
// these when it converts, measures, paints and handles keys.

#include <string>
#include <vector>

#include "toolkit/core/bitmap_effects.h"
#include "toolkit/core/geometry.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {

// One converted item: its command (-1 for a converted separator), its text
// as it was (tab part included) and its mnemonic.
struct SECBmpMenuItemInfo {
  int nID = 0;
  std::string strText;
  char mnemonic = 0;
};

// The character after the first "&", upper-cased; 0 when none.
char MenuMnemonic(const std::string& text);
// The text as the menu draws it: "&&" shows one '&', a single '&' marks the
// mnemonic and is not drawn ("&Watch && Call Stack" -> "Watch & Call Stack").
std::string MenuShownText(const std::string& text);

// An item as the popup sees it before conversion.
struct MenuItemFacts {
  int id = 0;                  // 0 for a separator or a popup
  bool separator = false;
  bool ownerDrawnByOther = false;  // someone else draws it
  bool previousIsSysCommand = false;
};
// System commands (0xF000-0xFEFF) keep their own look.
inline bool IsSysCommand(int id) { return id >= 0xF000 && id <= 0xFEFF; }
// Whether the item is drawn by the bitmap menus: string items that are not
// system commands and not excluded; separators only in the XP look and not
// right after a system command.
bool ConvertsItem(const MenuItemFacts& item, bool xpLook, bool excluded);

// Width: text + image width + 30. Height: the larger of the text height and
// the larger of the menu-bar height and image height + 4.
Size MeasureMenuItem(Size text, Size image, int cyMenu);

// The colours of an item's text part.
struct MenuItemColors {
  Color background = 0;
  Color text = 0;
  bool embossed = false;  // draw the text in highlight at (1, 1), then in shadow
};
MenuItemColors MenuItemColorsFor(bool selected, bool disabled, bool xpLook, const SysColorTable& colors);

// What an image cell shows.
struct MenuImageState {
  bool selected = false;
  bool disabled = false;
  bool checked = false;
  bool xpLook = false;
};
// Paints the image cell (image width + 4 by the item's height) of one item
// into `cell`; `image` is the command's image (empty for none) whose
// `transparent` pixels show the cell. Without an image the cell only takes
// the item's background.
void DrawMenuItemImage(PixelBuffer& cell, const PixelBuffer& image, Color transparent, const MenuImageState& s,
                       const SysColorTable& colors);

// The check mark and the radio bullet drawn beside checked items without an
// image, 16 x 15, black on light grey (light grey transparent).
PixelBuffer MenuCheckImage();
PixelBuffer MenuBulletImage();

// The answer to a mnemonic key in an open popup.
struct MenuCharResult {
  enum Action { None, Execute, Select } action = None;
  int position = -1;
};
// `mnemonics` holds each item's mnemonic (0 for items not ours); `highlighted`
// is the selected position or -1. One match runs it; several select the
// first match after the highlighted item, else the first.
MenuCharResult MatchMenuChar(const std::vector<char>& mnemonics, int highlighted, char key);

}  // namespace pm2
