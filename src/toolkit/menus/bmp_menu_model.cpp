#include "toolkit/menus/bmp_menu_model.h"

#include <algorithm>
#include <cctype>

#include "toolkit/core/color_math.h"
#include "toolkit/toolbars/std_btn.h"

namespace pm2 {

std::string MenuShownText(const std::string& text) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      shown += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '&') {
      shown += '&';
      ++i;
    }
  }
  return shown;
}

char MenuMnemonic(const std::string& text) {
  const auto at = text.find('&');
  if (at == std::string::npos || at + 1 >= text.size()) return 0;
  return char(std::toupper(static_cast<unsigned char>(text[at + 1])));
}

bool ConvertsItem(const MenuItemFacts& item, bool xpLook, bool excluded) {
  if (item.ownerDrawnByOther || excluded) return false;
  if (item.separator) return xpLook && !item.previousIsSysCommand;
  return !IsSysCommand(item.id);
}

Size MeasureMenuItem(Size text, Size image, int cyMenu) {
  return {text.cx + image.cx + 30, std::max(text.cy, std::max(cyMenu, image.cy + 4))};
}

MenuItemColors MenuItemColorsFor(bool selected, bool disabled, bool xp, const SysColorTable& c) {
  MenuItemColors out;
  if (xp) {
    out.background = selected && !disabled ? SECGetXPColor(19) : SECGetXPColor(15);
    out.text = disabled ? SECGetXPColor(18) : selected ? SECGetXPColor(21) : SECGetXPColor(16);
    return out;
  }
  out.background = c.Get(selected ? SysColor::Highlight : SysColor::Menu);
  if (!disabled) {
    out.text = c.Get(selected ? SysColor::HighlightText : SysColor::MenuText);
  } else {
    out.text = c.Get(selected ? SysColor::GrayText : SysColor::BtnShadow);
    out.embossed = !selected;
  }
  return out;
}

void DrawMenuItemImage(PixelBuffer& cell, const PixelBuffer& image, Color transparent, const MenuImageState& s,
                       const SysColorTable& c) {
  const int w = cell.width, h = cell.height;
  const bool selEnabled = s.selected && !s.disabled;
  if (image.width == 0) {
    const Color back = s.xpLook ? (selEnabled ? SECGetXPColor(19) : SECGetXPColor(25))
                                : c.Get(s.selected ? SysColor::Highlight : SysColor::Menu);
    FillPixels(cell, 0, 0, w, h, back);
    return;
  }
  FillPixels(cell, 0, 0, w, h, s.xpLook ? (selEnabled ? SECGetXPColor(19) : SECGetXPColor(25)) : c.Get(SysColor::Menu));
  // A box of image height + 4, centred.
  const int boxH = image.height + 4;
  const int boxY = (h - boxH) / 2;
  if (!s.xpLook) {
    if (s.checked)
      FramePixels(cell, 0, boxY, w, boxH, c.Get(SysColor::BtnShadow), c.Get(SysColor::BtnHighlight));
    else if (selEnabled)
      FramePixels(cell, 0, boxY, w, boxH, c.Get(SysColor::BtnHighlight), c.Get(SysColor::BtnShadow));
  } else if (s.checked) {
    FillPixels(cell, 0, boxY, w, boxH, SECGetXPColor(s.selected ? 13 : 11));
    FramePixels(cell, 0, boxY, w, boxH, SECGetXPColor(s.selected ? 14 : 12), SECGetXPColor(s.selected ? 14 : 12));
  }
  const int x = 2, y = boxY + 2;
  const BlitArea at{x, y, image.width, image.height, 0, 0};
  if (!s.xpLook) {
    if (s.disabled) {
      // Embossed: the image's shape in highlight one pixel down and right,
      // then in shadow.
      BlitArea moved = at;
      moved.x += 1;
      moved.y += 1;
      SECDrawHighlightBitmap(cell, moved, image, transparent, c.Get(SysColor::BtnHighlight));
      SECDrawShadowBitmap(cell, at, image, transparent, c.Get(SysColor::BtnShadow));
      return;
    }
    if (s.checked && !s.selected) {
      // The dithered checked background behind the image.
      for (int j = 1; j < boxH - 1; ++j)
        for (int i = 1; i < w - 1; ++i) cell.Set(i, boxY + j, HalftoneAt(i, j));
    }
    SECDrawTransparentBitmap(cell, at, image, transparent);
    return;
  }
  BlitArea leftDown = at;
  leftDown.x -= 1;
  leftDown.y += 1;
  if (s.disabled) {
    SECDrawShadowBitmap(cell, leftDown, image, transparent, SECGetXPColor(31));
  } else if (s.selected && !s.checked) {
    BlitArea shadow = at;
    shadow.y += 2;
    SECDrawHighlightBitmap(cell, shadow, image, transparent, SECGetXPColor(30));
    BlitArea lifted = at;
    lifted.x -= 2;
    SECDrawDisabledBitmap(cell, lifted, image, transparent, false);
  } else if (s.checked) {
    SECDrawDisabledBitmap(cell, leftDown, image, transparent, false);
  } else {
    SECDrawBlendedBitmap(cell, leftDown, image, transparent, c.Get(SysColor::Window), 178);
  }
}

namespace {

PixelBuffer FromRows(const char* const* rows) {
  PixelBuffer p(16, 15, 0xC0C0C0);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 16; ++x)
      if (rows[y][x] == 'K') p.Set(x, y, 0);
  return p;
}

}  // namespace

PixelBuffer MenuCheckImage() {
  static const char* const kRows[15] = {
      "................", "................", "................", "................", "..........K.....",
      ".........KK.....", "...K....KKK.....", "...KK..KKK......", "...KKKKKK.......", "....KKKK........",
      ".....KK.........", "................", "................", "................", "................"};
  return FromRows(kRows);
}

PixelBuffer MenuBulletImage() {
  // A round dot in rows 4 to 8: two pixels wide, four, four, four, two.
  static const char* const kRows[15] = {
      "................", "................", "................", "................", ".......KK.......",
      "......KKKK......", "......KKKK......", "......KKKK......", ".......KK.......", "................",
      "................", "................", "................", "................", "................"};
  return FromRows(kRows);
}

MenuCharResult MatchMenuChar(const std::vector<char>& mnemonics, int highlighted, char key) {
  const char k = char(std::toupper(static_cast<unsigned char>(key)));
  std::vector<int> matches;
  for (int i = 0; i < int(mnemonics.size()); ++i)
    if (mnemonics[std::size_t(i)] != 0 && mnemonics[std::size_t(i)] == k) matches.push_back(i);
  if (matches.empty()) return {};
  if (matches.size() == 1) return {MenuCharResult::Execute, matches[0]};
  for (int m : matches)
    if (m > highlighted) return {MenuCharResult::Select, m};
  return {MenuCharResult::Select, matches[0]};
}

}  // namespace pm2
