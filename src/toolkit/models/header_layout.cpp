#include "toolkit/models/header_layout.h"

#include <algorithm>

#include "toolkit/models/list_item.h"

namespace pm2 {

HeaderButtonLayout LayoutHeaderButton(const Rect& button, int format, int textWidth, bool hasImage) {
  HeaderButtonLayout out;
  const Rect t{button.left + 6, button.top, button.right - 5, button.bottom};
  const int justify = format & LVCFMT_JUSTIFYMASK;
  out.text = t;
  out.textFormat = justify;
  if (!hasImage || button.Width() <= 22) return out;
  int imageLeft = 0;
  if (format & LVCFMT_BITMAP_ON_RIGHT) {
    // The image follows the text; the text ends 10 pixels before it.
    int textEnd = t.left + textWidth;
    if (justify == LVCFMT_RIGHT) textEnd = t.right;
    else if (justify == LVCFMT_CENTER) textEnd = t.left + (t.Width() - textWidth) / 2 + textWidth;
    imageLeft = std::max(button.left, std::min(textEnd + 10, button.right - kHeaderImageSize));
    out.text.right = imageLeft - 10;
    out.textFormat = LVCFMT_RIGHT;
  } else {
    // The text starts 26 pixels right of the image's left edge.
    if (justify == LVCFMT_RIGHT) imageLeft = t.right - textWidth - 26;
    else if (justify == LVCFMT_CENTER) imageLeft = t.left + (t.Width() - textWidth - 26) / 2;
    else imageLeft = t.left;
    imageLeft = std::max(button.left, imageLeft);
    out.text.left = imageLeft + 26;
    if (justify == LVCFMT_CENTER) out.textFormat = LVCFMT_LEFT;
  }
  out.image = {imageLeft, button.top + 1, imageLeft + kHeaderImageSize, button.top + 1 + kHeaderImageSize};
  return out;
}

}  // namespace pm2
