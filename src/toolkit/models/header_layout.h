#pragma once
// Where a self-drawn header button puts its 16x16 image and its text.
// One function serves painting and the drag image of a header button.

#include "toolkit/core/geometry.h"

namespace pm2 {

constexpr int kHeaderImageSize = 16;

struct HeaderButtonLayout {
  Rect text;             // where the text goes
  int textFormat = 0;    // LVCFMT_LEFT, _RIGHT or _CENTER for the text in `text`
  Rect image;            // empty when the button shows no image
};

// `button`: the button's rectangle; `format`: the column format (with
// LVCFMT_BITMAP_ON_RIGHT); `textWidth`: the text's width in the header
// font; `hasImage`: a header image list exists and the column names an
// image. Buttons of 22 pixels or less show no image.
HeaderButtonLayout LayoutHeaderButton(const Rect& button, int format, int textWidth, bool hasImage);

}  // namespace pm2
