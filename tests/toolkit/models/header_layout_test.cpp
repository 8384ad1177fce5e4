#include <gtest/gtest.h>

#include "toolkit/models/header_layout.h"
#include "toolkit/models/list_item.h"

namespace pm2 {
namespace {

// A 100-pixel button at x 10 with 30 pixels of text: the text rectangle
// without an image runs from 16 to 105.
TEST(HeaderButtonLayout, ImageAndTextPlacesByFormat) {
  const Rect button{10, 0, 110, 20};
  struct Row {
    const char* name;
    int format;
    bool hasImage;
    int imageLeft;  // -1: no image
    int textLeft, textRight, textFormat;
  } rows[] = {
      {"no image list", LVCFMT_LEFT, false, -1, 16, 105, LVCFMT_LEFT},
      {"left", LVCFMT_LEFT, true, 16, 42, 105, LVCFMT_LEFT},
      {"right: image before the right-aligned text", LVCFMT_RIGHT, true, 105 - 30 - 26, 105 - 30, 105, LVCFMT_RIGHT},
      {"centre: image and text centred as one", LVCFMT_CENTER, true, 16 + (89 - 56) / 2, 16 + (89 - 56) / 2 + 26, 105,
       LVCFMT_LEFT},
      {"image right of left text", LVCFMT_LEFT | LVCFMT_BITMAP_ON_RIGHT, true, 16 + 30 + 10, 16, 46, LVCFMT_RIGHT},
      {"image right of right text stays inside", LVCFMT_RIGHT | LVCFMT_BITMAP_ON_RIGHT, true, 110 - 16, 16, 84,
       LVCFMT_RIGHT},
  };
  for (const Row& r : rows) {
    const HeaderButtonLayout l = LayoutHeaderButton(button, r.format, 30, r.hasImage);
    if (r.imageLeft < 0) {
      EXPECT_TRUE(l.image.IsEmpty()) << r.name;
    } else {
      EXPECT_EQ(l.image, (Rect{r.imageLeft, 1, r.imageLeft + 16, 17})) << r.name;
    }
    EXPECT_EQ(l.text.left, r.textLeft) << r.name;
    EXPECT_EQ(l.text.right, r.textRight) << r.name;
    EXPECT_EQ(l.textFormat, r.textFormat) << r.name;
  }
}

TEST(HeaderButtonLayout, NarrowButtonsAndLongTexts) {
  // 22 pixels or less: no image at all.
  EXPECT_TRUE(LayoutHeaderButton({0, 0, 22, 20}, LVCFMT_LEFT, 5, true).image.IsEmpty());
  EXPECT_FALSE(LayoutHeaderButton({0, 0, 23, 20}, LVCFMT_LEFT, 5, true).image.IsEmpty());
  // A text wider than the button never pushes the image left of it.
  EXPECT_EQ(LayoutHeaderButton({40, 0, 80, 20}, LVCFMT_RIGHT, 200, true).image.left, 40);
  EXPECT_EQ(LayoutHeaderButton({40, 0, 80, 20}, LVCFMT_CENTER, 200, true).image.left, 40);
}

}  // namespace
}  // namespace pm2
